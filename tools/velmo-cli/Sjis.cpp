#include "Sjis.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "text/ShiftJis.h"

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kGeta = "\x81\xac";  // 〓

// Byte length of the UTF-8 sequence at text[i]; 0 when it is malformed.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  const unsigned char c = static_cast<unsigned char>(text[i]);
  std::size_t n = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3
                  : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (n == 0 || i + n > text.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
  }
  const unsigned char c1 = static_cast<unsigned char>(text[i + 1 < text.size() ? i + 1 : i]);
  if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 > 0x9F) || (c == 0xF0 && c1 < 0x90) ||
      (c == 0xF4 && c1 > 0x8F)) {
    return 0;  // overlong, surrogate or beyond U+10FFFF
  }
  return n;
}


}  // namespace

#ifdef _WIN32

namespace {

constexpr UINT kCp932 = 932;

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

// One UTF-8 character of n bytes in CP932 into out (8 bytes).
bool OneToSjis(const char* utf8, std::size_t n, char* out, std::size_t& length) {
  wchar_t wide[2];
  const int w = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, static_cast<int>(n), wide, 2);
  if (w <= 0) return false;
  BOOL lost = FALSE;
  const int m = WideCharToMultiByte(kCp932, 0, wide, w, out, 8, nullptr, &lost);
  if (m <= 0 || lost) return false;
  length = static_cast<std::size_t>(m);
  return true;
}

}  // namespace

std::string Sjis_ToUtf8(std::string_view sjis) {
  std::string out;
  for (std::size_t i = 0; i < sjis.size();) {
    const unsigned char c = static_cast<unsigned char>(sjis[i]);
    const int length = ShiftJis_IsLead(c) && i + 1 < sjis.size() ? 2 : 1;
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

iconv_t ToSjis() {
  static iconv_t cd = iconv_open("CP932", "UTF-8");
  return cd;
}

// One UTF-8 character of n bytes in CP932 into out (8 bytes); without a
// converter only ASCII passes.
bool OneToSjis(const char* utf8, std::size_t n, char* out, std::size_t& length) {
  iconv_t cd = ToSjis();
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    if (n != 1) return false;
    out[0] = utf8[0];
    length = 1;
    return true;
  }
  char one[4];
  std::memcpy(one, utf8, n);
  char* in = one;
  std::size_t inLeft = n;
  char* to = out;
  std::size_t toLeft = 8;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &in, &inLeft, &to, &toLeft) == static_cast<std::size_t>(-1) || inLeft != 0) return false;
  length = static_cast<std::size_t>(to - out);
  return true;
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

bool Sjis_ValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = Utf8Length(text, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

// One character at a time, so that a character CP932 lacks is replaced alone.
std::string Sjis_FromUtf8(std::string_view utf8, unsigned& missing) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t n = Utf8Length(utf8, i);
    if (n == 0) {
      out += kGeta;
      ++missing;
      ++i;
      continue;
    }
    char buffer[8];
    std::size_t length = 0;
    if (OneToSjis(utf8.data() + i, n, buffer, length)) {
      out.append(buffer, length);
    } else {
      out += kGeta;
      ++missing;
    }
    i += n;
  }
  return out;
}

std::size_t Sjis_CutLength(std::string_view sjis, std::size_t limit) {
  std::size_t i = 0;
  while (i < sjis.size()) {
    const std::size_t n = ShiftJis_IsLead(static_cast<unsigned char>(sjis[i])) && i + 1 < sjis.size() ? 2 : 1;
    if (i + n > limit) break;
    i += n;
  }
  return i;
}


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
