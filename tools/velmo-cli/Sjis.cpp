#include "Sjis.h"

#include <cstdio>

#include "SjisTable.h"

namespace {

char* PutCodePoint(char* out, unsigned cp) {
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | cp >> 6);
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xE0 | cp >> 12);
    *out++ = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

}  // namespace

// A byte that starts no valid character becomes U+FFFD and the next byte is
// read afresh, as the C library's CP932 converter would have it.
char* Sjis_PutUtf8(char* out, std::string_view sjis) {
  const auto* p = reinterpret_cast<const unsigned char*>(sjis.data());
  const auto* end = p + sjis.size();
  while (p < end) {
    const unsigned c = *p;
    if (c < 0x80) {
      *out++ = static_cast<char>(c);
      ++p;
      continue;
    }
    unsigned cp = kSjisSingle[c];
    std::size_t used = 1;
    if (cp == SJIS_LEAD) {
      cp = p + 1 < end ? kSjisPair[kSjisLeadRow[c]][p[1]] : SJIS_INVALID;
      used = cp == SJIS_INVALID ? 1 : 2;
    }
    out = PutCodePoint(out, cp == SJIS_INVALID ? 0xFFFD : cp);
    p += used;
  }
  return out;
}

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
