// The frame buffer, the pen and the dirty rectangle shared by the drawing
// sources of the graphics layer (not for use above it).
#pragma once

#include "graphics/Zeb.h"

struct ZebScreenState {
  ZebBitmap frame;          // width and height 0 until the screen is opened
  int pen;                  // 0..3, or ZEB_INVERT
  std::uint8_t penByte;     // the level in all four pixel positions
  bool dirty;
  int minX, minY, maxX, maxY;
  bool watching, watchHit;
  int watchX1, watchY1, watchX2, watchY2;  // inclusive
};

extern ZebScreenState zebScreen;

// Sets the pen without touching any context (Zeb_InvertBox, Zeb_DrawEdge).
void ZebScreen_SetPen(int level);

// Plots one pixel already known to lie inside the frame buffer.
inline void ZebScreen_PlotInside(int x, int y) {
  std::uint8_t& byte = zebScreen.frame.pixels[y * zebScreen.frame.bytesPerRow + (x >> 2)];
  const int shift = (x & 3) * 2;
  if (zebScreen.pen == ZEB_INVERT) {
    byte = static_cast<std::uint8_t>(byte ^ (3u << shift));
  } else {
    byte = static_cast<std::uint8_t>((byte & ~(3u << shift)) | (unsigned(zebScreen.pen) << shift));
  }
}

inline bool ZebScreen_Inside(int x, int y) {
  return static_cast<unsigned>(x) < static_cast<unsigned>(zebScreen.frame.width) &&
         static_cast<unsigned>(y) < static_cast<unsigned>(zebScreen.frame.height);
}

// Horizontal run from xa to xb (either order) on row y, clipped; no report.
void ZebScreen_Span(int xa, int xb, int y);

// Clips the rectangle (x, y, w, h) to the frame buffer; false when empty.
bool ZebScreen_Clip(long long x, long long y, long long w, long long h, ZebRect& out);
