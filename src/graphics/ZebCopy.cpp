// Screen-to-screen and bitmap-to-screen copies.
#include <algorithm>
#include <cstring>

#include "graphics/ZebScreen.h"

namespace {

inline int GetLevel(const ZebBitmap& image, int x, int y) {
  return (image.pixels[y * image.bytesPerRow + (x >> 2)] >> ((x & 3) * 2)) & 3;
}

inline void SetLevel(const ZebBitmap& image, int x, int y, int level) {
  std::uint8_t& byte = image.pixels[y * image.bytesPerRow + (x >> 2)];
  const int shift = (x & 3) * 2;
  byte = static_cast<std::uint8_t>((byte & ~(3u << shift)) | (unsigned(level) << shift));
}

// Clips a w x h copy from (sx, sy) of source to (dx, dy) of target against
// both images; false when nothing is left.
bool ClipCopy(const ZebBitmap& source, const ZebBitmap& target, long long& sx, long long& sy,
              long long& dx, long long& dy, long long& w, long long& h) {
  const auto trimStart = [&](long long& s, long long& d, long long& n) {
    const long long cut = std::max({0LL, -s, -d});
    s += cut;
    d += cut;
    n -= cut;
  };
  trimStart(sx, dx, w);
  trimStart(sy, dy, h);
  w = std::min({w, source.width - sx, target.width - dx});
  h = std::min({h, source.height - sy, target.height - dy});
  return w > 0 && h > 0;
}

// When source and target share memory and the target lies below, or on the
// same rows to the right, rows go last to first and pixels right to left,
// so nothing is read after it was overwritten.
void Copy(const ZebBitmap& source, int sx, int sy, const ZebBitmap& target, int dx, int dy, int w,
          int h) {
  const bool same = source.pixels == target.pixels;
  const bool backward = same && (dy > sy || (dy == sy && dx > sx));
  const bool aligned = (sx & 3) == 0 && (dx & 3) == 0 && (w & 3) == 0;
  for (int i = 0; i < h; ++i) {
    const int row = backward ? h - 1 - i : i;
    if (aligned) {
      std::memmove(target.pixels + (dy + row) * target.bytesPerRow + (dx >> 2),
                   source.pixels + (sy + row) * source.bytesPerRow + (sx >> 2),
                   static_cast<std::size_t>(w >> 2));
      continue;
    }
    for (int j = 0; j < w; ++j) {
      const int col = backward ? w - 1 - j : j;
      SetLevel(target, dx + col, dy + row, GetLevel(source, sx + col, sy + row));
    }
  }
}

void CopyToScreen(const ZebBitmap& source, long long sx, long long sy, long long dx, long long dy,
                  long long w, long long h) {
  const ZebBitmap& frame = zebScreen.frame;
  if (source.pixels == nullptr || frame.pixels == nullptr) return;
  if (!ClipCopy(source, frame, sx, sy, dx, dy, w, h)) return;
  Copy(source, static_cast<int>(sx), static_cast<int>(sy), frame, static_cast<int>(dx),
       static_cast<int>(dy), static_cast<int>(w), static_cast<int>(h));
  Zeb_MarkDirty(static_cast<int>(dx), static_cast<int>(dy), static_cast<int>(dx + w - 1),
                static_cast<int>(dy + h - 1));
}

}  // namespace

void Zeb_ScrollBox(ZebContext& ctx, const ZebRect& rect, int dx, int dy) {
  CopyToScreen(zebScreen.frame, rect.x, rect.y, static_cast<long long>(rect.x) + dx,
               static_cast<long long>(rect.y) + dy, rect.w, rect.h);
  Zeb_Update(ctx);
}

void Zeb_PutBitmap(ZebContext& ctx, int dx, int dy, int sx, int sy, const ZebBitmap& bitmap, int w,
                   int h) {
  const long long width = w < 0 ? static_cast<long long>(bitmap.width) - sx : w;
  const long long height = h < 0 ? static_cast<long long>(bitmap.height) - sy : h;
  CopyToScreen(bitmap, sx, sy, dx, dy, width, height);
  Zeb_Update(ctx);
}
