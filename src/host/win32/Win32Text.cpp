#include "host/win32/Win32Text.h"

#include "text/Cp932.h"

namespace {

constexpr unsigned kHighFirst = 0xD800, kLowFirst = 0xDC00, kLowEnd = 0xE000;
constexpr unsigned kGeta = static_cast<unsigned char>(CP932_GETA[0]) << 8 | static_cast<unsigned char>(CP932_GETA[1]);

bool IsHigh(unsigned unit) { return unit >= kHighFirst && unit < kLowFirst; }
bool IsLow(unsigned unit) { return unit >= kLowFirst && unit < kLowEnd; }

}  // namespace

std::size_t Win32Text_ToWide(std::string_view sjis, wchar_t* out, std::size_t size) {
  if (size == 0) return 0;
  std::size_t length = 0;
  // CP932 has nothing beyond the Basic Multilingual Plane: one unit a character.
  for (std::size_t i = 0, used = 0; i < sjis.size() && sjis[i] != '\0' && length + 1 < size; i += used)
    out[length++] = static_cast<wchar_t>(Cp932_Next(sjis, i, used));
  out[length] = L'\0';
  return length;
}

int Win32Text_Code(Win32TextInput& input, unsigned unit) {
  const unsigned high = input.high;
  input.high = 0;
  if (IsHigh(unit)) {
    input.high = unit;
    return -1;
  }
  if (unit == 0) return -1;
  unsigned cp = unit;
  if (IsLow(unit)) {
    if (high == 0) return static_cast<int>(kGeta);
    cp = 0x10000 + ((high - kHighFirst) << 10) + (unit - kLowFirst);
  }
  unsigned code = 0;
  return static_cast<int>(Cp932_FromUnicode(cp, code) ? code : kGeta);
}
