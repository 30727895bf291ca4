#include "text/Cp932.h"

#include <cstring>
#include <iterator>

#include "SjisTable.h"
#include "text/Utf8.h"

bool Cp932_ToUnicode(unsigned code, unsigned& cp) {
  cp = SJIS_INVALID;
  if (code < 0x100) {
    cp = kSjisSingle[code];
  } else if (code <= 0xFFFF && kSjisLeadRow[code >> 8] != SJIS_NOT_LEAD) {
    cp = kSjisPair[kSjisLeadRow[code >> 8]][code & 0xFF];
  }
  return cp != SJIS_INVALID && cp != SJIS_LEAD;
}

bool Cp932_FromUnicode(unsigned cp, unsigned& code) {
  code = 0;
  if (cp < 0x80) {
    code = cp;
    return true;
  }
  // Binary search of the ascending table.
  std::size_t low = 0, high = std::size(kSjisFromUnicode);
  while (low < high) {
    const std::size_t mid = low + (high - low) / 2;
    if (kSjisFromUnicode[mid][0] < cp) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  if (low == std::size(kSjisFromUnicode) || kSjisFromUnicode[low][0] != cp) return false;
  code = kSjisFromUnicode[low][1];
  return true;
}

unsigned Cp932_Next(std::string_view sjis, std::size_t i, std::size_t& used) {
  used = 1;
  if (i >= sjis.size()) return CP932_NO_CHARACTER;
  const unsigned c = static_cast<unsigned char>(sjis[i]);
  unsigned cp = kSjisSingle[c];
  if (cp == SJIS_LEAD) {
    cp = i + 1 < sjis.size() ? kSjisPair[kSjisLeadRow[c]][static_cast<unsigned char>(sjis[i + 1])] : SJIS_INVALID;
    if (cp != SJIS_INVALID) used = 2;
  }
  return cp == SJIS_INVALID || cp == SJIS_LEAD ? CP932_NO_CHARACTER : cp;
}

char* Cp932_ToUtf8(char* out, std::string_view sjis) {
  for (std::size_t i = 0, used = 0; i < sjis.size(); i += used) out = Utf8_Put(out, Cp932_Next(sjis, i, used));
  return out;
}

std::size_t Cp932_ToUtf8Cut(std::string_view sjis, char* out, std::size_t size, unsigned unknown) {
  if (size == 0) return 0;
  std::size_t length = 0;
  for (std::size_t i = 0, used = 0; i < sjis.size(); i += used) {
    const unsigned cp = Cp932_Next(sjis, i, used);
    char one[UTF8_MAX_BYTES];
    const std::size_t n = static_cast<std::size_t>(Utf8_Put(one, cp == CP932_NO_CHARACTER ? unknown : cp) - one);
    if (length + n >= size) break;
    std::memcpy(out + length, one, n);
    length += n;
  }
  out[length] = '\0';
  return length;
}

long Cp932_FromUtf8(std::string_view utf8, char* out, std::size_t size, unsigned* missing) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t n = Utf8_Length(utf8, i);
    unsigned code = 0;
    const bool found = n != 0 && Cp932_FromUnicode(Utf8_Decode(utf8, i, n), code);
    char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    std::string_view one = !found ? CP932_GETA : code < 0x100 ? std::string_view(bytes + 1, 1)
                                                              : std::string_view(bytes, 2);
    if (!found && missing != nullptr) ++*missing;
    if (length + one.size() > size) return -1;
    std::memcpy(out + length, one.data(), one.size());
    length += one.size();
    i += n == 0 ? 1 : n;
  }
  return static_cast<long>(length);
}

std::size_t Cp932_ToEucJp(unsigned code, std::uint8_t out[CP932_EUC_MAX]) {
  if (code < 0x80) {  // ASCII, NUL included, is the same in both
    out[0] = static_cast<std::uint8_t>(code);
    return 1;
  }
  unsigned packed = 0;
  if (code < 0x100) {
    packed = kSjisEucSingle[code];
  } else if (code <= 0xFFFF && kSjisLeadRow[code >> 8] != SJIS_NOT_LEAD) {
    packed = kSjisEucPair[kSjisLeadRow[code >> 8]][code & 0xFF];
  }
  if (packed == 0) return 0;
  if (packed < 0x100) {
    out[0] = static_cast<std::uint8_t>(packed);
    return 1;
  }
  if (packed < 0x8000) {  // JIS X 0212, packed without its high bits
    out[0] = 0x8F;
    out[1] = static_cast<std::uint8_t>(packed >> 8 | 0x80);
    out[2] = static_cast<std::uint8_t>(packed | 0x80);
    return 3;
  }
  out[0] = static_cast<std::uint8_t>(packed >> 8);
  out[1] = static_cast<std::uint8_t>(packed);
  return 2;
}
