// Lines, box outlines, filled and inverted boxes and 3-D edges.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "graphics/ZebScreen.h"

namespace {

constexpr long long kLongestLine = 1 << 16;

// Bresenham on doubled distances; an exact half step moves on only when
// going right (shallow) or down (steep), so A-to-B and B-to-A light the
// same pixels.
void Line(long long x1, long long y1, long long x2, long long y2) {
  const long long c = 2 * std::llabs(x2 - x1);
  const long long d = 2 * std::llabs(y2 - y1);
  const long long sx = x2 > x1 ? 1 : -1;
  const long long sy = y2 > y1 ? 1 : -1;
  long long x = x1;
  long long y = y1;
  const auto plot = [](long long px, long long py) {
    if (px >= 0 && py >= 0 && px < zebScreen.frame.width && py < zebScreen.frame.height) {
      ZebScreen_PlotInside(static_cast<int>(px), static_cast<int>(py));
    }
  };
  if (d < c) {
    long long error = d - c / 2;
    while (x != x2) {
      plot(x, y);
      if (error > 0 || (error == 0 && sx > 0)) {
        y += sy;
        error -= c;
      }
      x += sx;
      error += d;
    }
  } else {
    long long error = c - d / 2;
    while (y != y2) {
      plot(x, y);
      if (error > 0 || (error == 0 && sy > 0)) {
        x += sx;
        error -= d;
      }
      y += sy;
      error += c;
    }
  }
  plot(x2, y2);
}

void MarkRect(const ZebRect& rect) {
  Zeb_MarkDirty(rect.x, rect.y, rect.x + rect.w - 1, rect.y + rect.h - 1);
}

void FillClipped(const ZebRect& area) {
  for (int y = area.y; y < area.y + area.h; ++y) ZebScreen_Span(area.x, area.x + area.w - 1, y);
  MarkRect(area);
}

// Wide bounds, so a rectangle at the edge of the int range steps safely.
void Column(int x, long long y1, long long y2) {
  if (static_cast<unsigned>(x) >= static_cast<unsigned>(zebScreen.frame.width)) return;
  const long long height = zebScreen.frame.height;
  const int top = static_cast<int>(std::clamp(y1, 0LL, height));
  const int bottom = static_cast<int>(std::clamp(y2, -1LL, height - 1));
  for (int y = top; y <= bottom; ++y) ZebScreen_PlotInside(x, y);
}

// Edges of a rectangle whose far corner fits an int; false when empty.
bool Corners(const ZebRect& rect, int& x2, int& y2) {
  if (rect.w <= 0 || rect.h <= 0) return false;
  const long long right = static_cast<long long>(rect.x) + rect.w - 1;
  const long long bottom = static_cast<long long>(rect.y) + rect.h - 1;
  x2 = static_cast<int>(std::min<long long>(right, INT32_MAX));
  y2 = static_cast<int>(std::min<long long>(bottom, INT32_MAX));
  return true;
}

}  // namespace

void Zeb_DrawLine(ZebContext& ctx, int x1, int y1, int x2, int y2) {
  const ZebBitmap& frame = zebScreen.frame;
  // Nothing to plot when the whole line lies beyond one edge.
  if ((x1 < 0 && x2 < 0) || (y1 < 0 && y2 < 0) || (x1 >= frame.width && x2 >= frame.width) ||
      (y1 >= frame.height && y2 >= frame.height)) {
    Zeb_Update(ctx);
    return;
  }
  // A line that long can only come from a wild coordinate; stepping along it
  // would stall the program for seconds.
  const long long spanX = std::llabs(static_cast<long long>(x2) - x1);
  const long long spanY = std::llabs(static_cast<long long>(y2) - y1);
  if (y1 != y2 && (spanX > kLongestLine || spanY > kLongestLine)) {
    Zeb_Update(ctx);
    return;
  }
  if (y1 == y2) {
    ZebScreen_Span(x1, x2, y1);
  } else {
    Line(x1, y1, x2, y2);
  }
  Zeb_MarkDirty(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
  Zeb_Update(ctx);
}

void Zeb_DrawBox(ZebContext& ctx, const ZebRect& rect) {
  int x2 = 0;
  int y2 = 0;
  if (Corners(rect, x2, y2)) {
    // Every outline pixel is drawn once, so the invert pen flips each once.
    ZebScreen_Span(rect.x, x2, rect.y);
    if (rect.h > 1) ZebScreen_Span(rect.x, x2, y2);
    if (rect.h > 2) {
      Column(rect.x, rect.y + 1LL, y2 - 1LL);
      if (rect.w > 1) Column(x2, rect.y + 1LL, y2 - 1LL);
    }
    Zeb_MarkDirty(rect.x, rect.y, x2, y2);
  }
  Zeb_Update(ctx);
}

void Zeb_FillBox(ZebContext& ctx, const ZebRect& rect) {
  ZebRect area;
  if (ZebScreen_Clip(rect.x, rect.y, rect.w, rect.h, area)) FillClipped(area);
  Zeb_Update(ctx);
}

void Zeb_InvertBox(ZebContext& ctx, const ZebRect& rect) {
  ZebScreen_SetPen(ZEB_INVERT);
  Zeb_FillBox(ctx, rect);
  ZebScreen_SetPen(ZEB_BLACK);
}

void Zeb_DrawEdge(ZebContext& ctx, const ZebRect& rect) {
  int x2 = 0;
  int y2 = 0;
  if (Corners(rect, x2, y2)) {
    ZebScreen_SetPen(ZEB_WHITE);
    ZebScreen_Span(rect.x, x2, rect.y);
    Column(rect.x, rect.y, y2);
    ZebScreen_SetPen(ZEB_DARK_GREY);
    ZebScreen_Span(rect.x, x2, y2);
    Column(x2, rect.y, y2);
    Zeb_MarkDirty(rect.x, rect.y, x2, y2);
  }
  ctx.color = ZEB_DARK_GREY;
  ZebScreen_SetPen(ZEB_DARK_GREY);
  Zeb_Update(ctx);
}

void Zeb_DrawRaisedFrame(ZebContext& ctx, const ZebRect& rect, int back) {
  Zeb_SetColor(ctx, back);
  Zeb_FillBox(ctx, rect);
  Zeb_SetColor(ctx, ZEB_BLACK);
  Zeb_DrawBox(ctx, rect);
  ZebRect edge = rect;
  ZebRect_Inset(edge, 1, 1);
  Zeb_DrawEdge(ctx, edge);
}
