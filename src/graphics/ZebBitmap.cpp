// Off-screen bitmaps and the "#ZBV" bitmap text header.
#include <cstdlib>
#include <cstring>

#include "graphics/Zeb.h"

namespace {

constexpr int kLargestSide = 4096;

bool SizeFits(int w, int h) { return w > 0 && h > 0 && w <= kLargestSide && h <= kLargestSide; }

// Four decimal digits; anything else (a letter, a sign, a space) refuses
// the header.
bool ReadNumber(const unsigned char* digits, int& value) {
  value = 0;
  for (int i = 0; i < 4; ++i) {
    if (digits[i] < '0' || digits[i] > '9') return false;
    value = value * 10 + (digits[i] - '0');
  }
  return true;
}

}  // namespace

bool Zeb_InitBitmap(ZebBitmap& bitmap, std::uint8_t* pixels, int w, int h) {
  if (pixels == nullptr || !SizeFits(w, h)) return false;
  bitmap = {0, (w + 3) / 4, w, h, pixels};
  return true;
}

ZebBitmap* Zeb_CreateBitmap(ZebContext&, std::uint8_t* pixels, int w, int h) {
  if (!SizeFits(w, h)) return nullptr;
  auto* bitmap = static_cast<ZebBitmap*>(std::malloc(sizeof(ZebBitmap)));
  if (bitmap == nullptr) return nullptr;
  const int bytesPerRow = (w + 3) / 4;
  const std::size_t bytes = static_cast<std::size_t>(bytesPerRow) * static_cast<std::size_t>(h);
  std::uint32_t flags = ZEB_BITMAP_OWNS_RECORD;
  if (pixels == nullptr) {
    pixels = static_cast<std::uint8_t*>(std::malloc(bytes));
    if (pixels == nullptr) {
      std::free(bitmap);
      return nullptr;
    }
    flags |= ZEB_BITMAP_OWNS_PIXELS;
  }
  std::memset(pixels, 0, bytes);
  *bitmap = {flags, bytesPerRow, w, h, pixels};
  return bitmap;
}

void Zeb_FreeBitmap(ZebContext&, ZebBitmap* bitmap) {
  if (bitmap == nullptr) return;
  const std::uint32_t flags = bitmap->flags;
  if (flags & ZEB_BITMAP_OWNS_PIXELS) {
    std::free(bitmap->pixels);
    bitmap->pixels = nullptr;
  }
  if (flags & ZEB_BITMAP_OWNS_RECORD) std::free(bitmap);
}

// Rows are (width + 3) / 4 bytes, as in every bitmap, so a width that is not
// a multiple of four still holds all its pixels.
bool Zeb_ParseBitmapHeader(const void* bytes, std::size_t size, ZebBitmapText& out) {
  out = {nullptr, 0, 0, 0};
  if (bytes == nullptr || size < ZEB_BITMAP_HEADER) return false;
  const auto* text = static_cast<const unsigned char*>(bytes);
  if (std::memcmp(text, "#ZBV", 4) != 0) return false;
  int width = 0;
  int height = 0;
  if (!ReadNumber(text + 8, width) || !ReadNumber(text + 12, height)) return false;
  if (width == 0 || height == 0) return false;
  const std::size_t byteCount = static_cast<std::size_t>(height) * static_cast<std::size_t>((width + 3) / 4);
  if (size - ZEB_BITMAP_HEADER < byteCount) return false;
  out = {text + ZEB_BITMAP_HEADER, width, height, static_cast<int>(byteCount)};
  return true;
}
