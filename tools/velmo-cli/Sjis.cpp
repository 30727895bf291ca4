#include "Sjis.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

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
