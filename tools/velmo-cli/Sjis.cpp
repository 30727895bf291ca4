#include "Sjis.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <cerrno>
#include <cstdio>

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace

#ifdef _WIN32

namespace {

constexpr UINT kCp932 = 932;

bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// One character through Windows' own CP932 table; false when it has none.
bool AppendChar(std::string& out, const char* in, int length) {
  wchar_t wide[2];
  const int n = MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, in, length, wide, 2);
  if (n <= 0) return false;
  char utf8[8];
  const int m = WideCharToMultiByte(CP_UTF8, 0, wide, n, utf8, sizeof utf8, nullptr, nullptr);
  if (m <= 0) return false;
  out.append(utf8, static_cast<std::size_t>(m));
  return true;
}

}  // namespace

std::string Sjis_ToUtf8(std::string_view sjis) {
  std::string out;
  for (std::size_t i = 0; i < sjis.size();) {
    const unsigned char c = static_cast<unsigned char>(sjis[i]);
    const int length = IsLead(c) && i + 1 < sjis.size() ? 2 : 1;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (!AppendChar(out, sjis.data() + i, length)) {
      out += kReplacement;  // a byte that starts no character: go on with the next
      ++i;
      continue;
    }
    i += static_cast<std::size_t>(length);
  }
  return out;
}

#else

namespace {

// iconv descriptor opened once per process; CP932 is the Windows flavour of
// Shift-JIS that Velmo's texts are written in.
iconv_t Converter() {
  static iconv_t cd = iconv_open("UTF-8", "CP932");
  return cd;
}

}  // namespace

std::string Sjis_ToUtf8(std::string_view sjis) {
  std::string out;
  iconv_t cd = Converter();
  if (cd == reinterpret_cast<iconv_t>(-1)) {  // no converter: keep ASCII, mark the rest
    for (unsigned char c : sjis) {
      if (c < 0x80) out += static_cast<char>(c);
      else out += kReplacement;
    }
    return out;
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(sjis.data());
  std::size_t inLeft = sjis.size();
  char buffer[256];
  while (inLeft > 0) {
    char* to = buffer;
    std::size_t toLeft = sizeof buffer;
    const std::size_t r = iconv(cd, &in, &inLeft, &to, &toLeft);
    out.append(buffer, static_cast<std::size_t>(to - buffer));
    if (r != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL (a lead byte cut off at the end): replace one byte.
    out += kReplacement;
    ++in;
    --inLeft;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  return out;
}

#endif

void Sjis_AppendJson(std::string& out, std::string_view utf8) {
  out += '"';
  for (char ch : utf8) {
    const unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char esc[8];
          std::snprintf(esc, sizeof esc, "\\u%04x", c);
          out += esc;
        } else {
          out += ch;
        }
    }
  }
  out += '"';
}

void Sjis_AppendHex(std::string& out, std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
}
