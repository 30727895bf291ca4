// The frame buffer: opening and closing the screen, the pen, single pixels,
// spans and the dirty rectangle.
#include "graphics/ZebScreen.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "Capacity.h"
#include "graphics/ZebHost.h"

namespace {

int screenWidth = cap::kScreenWidth;
int screenHeight = cap::kScreenHeight;

}  // namespace

const int& zebScreenWidth = screenWidth;
const int& zebScreenHeight = screenHeight;

void Zeb_SetScreenSize(int width, int height) {
  screenWidth = width;
  screenHeight = height;
}

ZebScreenState zebScreen = {{0, 0, 0, 0, nullptr}, ZEB_BLACK, 0xFF, false, 0, 0, 0, 0, false, false, 0, 0, 0, 0};

namespace {

struct FreeDeleter {
  void operator()(std::uint8_t* p) const { std::free(p); }
};
// The frame buffer lives from the first opening to the end of the process.
std::unique_ptr<std::uint8_t, FreeDeleter> frameMemory;
std::size_t frameBytes = 0;

constexpr int kLargestSide = 4096;

bool AllocateFrame(int width, int height) {
  const int bytesPerRow = (width + 3) / 4;
  const std::size_t bytes = static_cast<std::size_t>(bytesPerRow) * static_cast<std::size_t>(height);
  if (!frameMemory || frameBytes != bytes) {
    frameMemory.reset(static_cast<std::uint8_t*>(std::calloc(bytes, 1)));
    frameBytes = frameMemory ? bytes : 0;
    if (!frameMemory) return false;
  }
  std::memset(frameMemory.get(), 0, bytes);
  zebScreen.frame = {0, bytesPerRow, width, height, frameMemory.get()};
  return true;
}

}  // namespace

void ZebScreen_SetPen(int level) {
  if (level < 0 || level > ZEB_INVERT) level = ZEB_BLACK;
  zebScreen.pen = level;
  static constexpr std::uint8_t kPenBytes[5] = {0x00, 0x55, 0xAA, 0xFF, 0xFF};
  zebScreen.penByte = kPenBytes[level];
}

void Zeb_OpenScreen(ZebContext& ctx) {
  int width = zebScreenWidth;
  int height = zebScreenHeight;
  if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide) {
    width = cap::kScreenWidth;
    height = cap::kScreenHeight;
  }
  if (!AllocateFrame(width, height)) {
    Zeb_DebugMessage("malloc of physical_screen");
    std::exit(1);
  }
  ZebScreen_SetPen(ZEB_BLACK);
  Zeb_ClearDirty();
  Zeb_LoadFont("k10x8.fnt", 10, 8);
  ctx = ZebContext{};
  ctx.color = ZEB_BLACK;
  ctx.reservedColor[0] = ZEB_BLACK;
  ctx.reservedColor[1] = ZEB_LIGHT_GREY;
  Zeb_SetFont(ctx, ZEB_FONT_12);
}

void Zeb_Update(ZebContext&) {}

void Zeb_DebugMessage(const char* text) { ZebHost_Ops().debugMessage(text); }

void Zeb_SetColor(ZebContext& ctx, int level) {
  ctx.color = level;
  ZebScreen_SetPen(level);
}

const ZebBitmap& Zeb_Screen() { return zebScreen.frame; }

int Zeb_Pen() { return zebScreen.pen; }

int Zeb_GetPixel(int x, int y) {
  if (!ZebScreen_Inside(x, y)) return -1;
  const std::uint8_t byte = zebScreen.frame.pixels[y * zebScreen.frame.bytesPerRow + (x >> 2)];
  return (byte >> ((x & 3) * 2)) & 3;
}

void Zeb_DrawPixel(ZebContext& ctx, int x, int y) {
  if (!ZebScreen_Inside(x, y)) return;
  ZebScreen_PlotInside(x, y);
  Zeb_MarkDirty(x, y, x, y);
  Zeb_Update(ctx);
}

void ZebScreen_Span(int xa, int xb, int y) {
  const ZebBitmap& frame = zebScreen.frame;
  if (static_cast<unsigned>(y) >= static_cast<unsigned>(frame.height)) return;
  if (xa > xb) std::swap(xa, xb);
  if (xb < 0 || xa > frame.width - 1) return;
  xa = std::max(xa, 0);
  xb = std::min(xb, frame.width - 1);
  int x = xa;
  for (; x <= xb && (x & 3) != 0; ++x) ZebScreen_PlotInside(x, y);
  const int byteEnd = (xb + 1) & ~3;  // first pixel after the last whole byte
  if (x < byteEnd) {
    std::uint8_t* row = frame.pixels + y * frame.bytesPerRow;
    std::uint8_t* first = row + (x >> 2);
    const int count = (byteEnd - x) >> 2;
    if (zebScreen.pen == ZEB_INVERT) {
      int i = 0;
      for (; i + 8 <= count; i += 8) {  // eight bytes at a time
        std::uint64_t word;
        std::memcpy(&word, first + i, sizeof word);
        word = ~word;
        std::memcpy(first + i, &word, sizeof word);
      }
      for (; i < count; ++i) first[i] = static_cast<std::uint8_t>(first[i] ^ 0xFF);
    } else {
      std::memset(first, zebScreen.penByte, static_cast<std::size_t>(count));
    }
    x = byteEnd;
  }
  for (; x <= xb; ++x) ZebScreen_PlotInside(x, y);
}

bool ZebScreen_Clip(long long x, long long y, long long w, long long h, ZebRect& out) {
  const long long x1 = std::max(x, 0LL);
  const long long y1 = std::max(y, 0LL);
  const long long x2 = std::min(x + w, static_cast<long long>(zebScreen.frame.width));
  const long long y2 = std::min(y + h, static_cast<long long>(zebScreen.frame.height));
  if (w <= 0 || h <= 0 || x1 >= x2 || y1 >= y2) return false;
  out = {static_cast<std::int32_t>(x1), static_cast<std::int32_t>(y1),
         static_cast<std::int32_t>(x2 - x1), static_cast<std::int32_t>(y2 - y1)};
  return true;
}

// Reports are clamped to the frame buffer, so a primitive that overhangs an
// edge still gets its visible part transferred.
void Zeb_MarkDirty(int x1, int y1, int x2, int y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  const int right = zebScreen.frame.width - 1;
  const int bottom = zebScreen.frame.height - 1;
  if (x2 < 0 || y2 < 0 || x1 > right || y1 > bottom) return;
  x1 = std::max(x1, 0);
  y1 = std::max(y1, 0);
  x2 = std::min(x2, right);
  y2 = std::min(y2, bottom);
  if (zebScreen.watching && x1 <= zebScreen.watchX2 && x2 >= zebScreen.watchX1 && y1 <= zebScreen.watchY2 &&
      y2 >= zebScreen.watchY1) {
    zebScreen.watchHit = true;
  }
  if (!zebScreen.dirty) {
    zebScreen.dirty = true;
    zebScreen.minX = x1;
    zebScreen.minY = y1;
    zebScreen.maxX = x2;
    zebScreen.maxY = y2;
    return;
  }
  zebScreen.minX = std::min(zebScreen.minX, x1);
  zebScreen.minY = std::min(zebScreen.minY, y1);
  zebScreen.maxX = std::max(zebScreen.maxX, x2);
  zebScreen.maxY = std::max(zebScreen.maxY, y2);
}

bool Zeb_GetDirty(ZebRect& box) {
  if (!zebScreen.dirty) return false;
  ZebRect_SetCorners(box, zebScreen.minX, zebScreen.minY, zebScreen.maxX, zebScreen.maxY);
  return true;
}

void Zeb_ClearDirty() { zebScreen.dirty = false; }

void Zeb_WatchStart(const ZebRect& rect) {
  zebScreen.watching = rect.w > 0 && rect.h > 0;
  zebScreen.watchHit = false;
  zebScreen.watchX1 = rect.x;
  zebScreen.watchY1 = rect.y;
  zebScreen.watchX2 = rect.x + rect.w - 1;
  zebScreen.watchY2 = rect.y + rect.h - 1;
}

bool Zeb_WatchEnd() {
  const bool hit = zebScreen.watching && zebScreen.watchHit;
  zebScreen.watching = false;
  zebScreen.watchHit = false;
  return hit;
}

void Zeb_ToGrey(const ZebRect& box, std::uint8_t* grey, int stride) {
  ZebRect area;
  if (grey == nullptr || !ZebScreen_Clip(box.x, box.y, box.w, box.h, area)) return;
  const ZebBitmap& frame = zebScreen.frame;
  const int left = area.x & ~3;  // whole groups of four pixels
  const int right = area.x + area.w;
  for (int y = area.y; y < area.y + area.h; ++y) {
    const std::uint8_t* source = frame.pixels + y * frame.bytesPerRow;
    std::uint8_t* target = grey + static_cast<std::ptrdiff_t>(y) * stride;
    for (int x = left; x < right; ++x) {
      const int level = (source[x >> 2] >> ((x & 3) * 2)) & 3;
      target[x] = static_cast<std::uint8_t>(Zeb_HostGrey(level));
    }
  }
}
