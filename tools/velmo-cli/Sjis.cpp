#include "Sjis.h"

#include <cstdio>

#include "text/Cp932.h"
#include "text/ShiftJis.h"
#include "text/Utf8.h"

bool Sjis_ValidUtf8(std::string_view text) { return Utf8_Valid(text); }

std::string Sjis_FromUtf8(std::string_view utf8, unsigned& missing) {
  // Each input byte gives at most two (a malformed one gives the two of 〓).
  std::string out(utf8.size() * CP932_GETA.size(), '\0');
  const long length = Cp932_FromUtf8(utf8, out.data(), out.size(), &missing);
  out.resize(length < 0 ? 0 : static_cast<std::size_t>(length));
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

char* Sjis_PutUtf8(char* out, std::string_view sjis) { return Cp932_ToUtf8(out, sjis); }

std::string Sjis_ToUtf8(std::string_view sjis) {
  std::string out(sjis.size() * SJIS_UTF8_GROWTH, '\0');
  out.resize(static_cast<std::size_t>(Sjis_PutUtf8(out.data(), sjis) - out.data()));
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
