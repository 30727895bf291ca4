#include "text/Utf8.h"

std::size_t Utf8_Length(std::string_view text, std::size_t i) {
  if (i >= text.size()) return 0;
  const unsigned char c = static_cast<unsigned char>(text[i]);
  const std::size_t n = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3
                        : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (n == 0 || i + n > text.size()) return 0;
  if (n == 1) return 1;
  for (std::size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
  }
  const unsigned char c1 = static_cast<unsigned char>(text[i + 1]);
  if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 > 0x9F) || (c == 0xF0 && c1 < 0x90) ||
      (c == 0xF4 && c1 > 0x8F)) {
    return 0;  // overlong, surrogate or beyond U+10FFFF
  }
  return n;
}

unsigned Utf8_Decode(std::string_view text, std::size_t i, std::size_t n) {
  constexpr unsigned kLeadBits[UTF8_MAX_BYTES + 1] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  if (n == 0 || n > UTF8_MAX_BYTES || i + n > text.size()) return 0;
  unsigned cp = static_cast<unsigned char>(text[i]) & kLeadBits[n];
  for (std::size_t k = 1; k < n; ++k) cp = cp << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
  return cp;
}

char* Utf8_Put(char* out, unsigned cp) {
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | cp >> 6);
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | cp >> 12);
    *out++ = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | cp >> 18);
    *out++ = static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

bool Utf8_Valid(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = Utf8_Length(text, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}
