#include "Sjis.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <cstdio>
#include <cstring>

#include "SjisTable.h"
#include "text/ShiftJis.h"

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

constexpr std::string_view kGeta = "\x81\xac";  // 〓

#ifdef _WIN32

// One UTF-8 character of n bytes in CP932 (Windows' own table) into out (8 bytes).
bool OneToSjis(const char* utf8, std::size_t n, char* out, std::size_t& length) {
  constexpr UINT kCp932 = 932;
  wchar_t wide[2];
  const int w = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, static_cast<int>(n), wide, 2);
  if (w <= 0) return false;
  BOOL lost = FALSE;
  const int m = WideCharToMultiByte(kCp932, 0, wide, w, out, 8, nullptr, &lost);
  if (m <= 0 || lost) return false;
  length = static_cast<std::size_t>(m);
  return true;
}

#else

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

#endif

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
