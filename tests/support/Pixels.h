// Readers of the frame buffer's pixels shared by the tests of every layer
// above graphics.
#pragma once

#include <string>

#include "graphics/Zeb.h"

namespace velmo_test {

// Pixels of the given level in (x, y, w, h).
inline int Ink(int x, int y, int w, int h, int level = ZEB_BLACK) {
  int n = 0;
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i) n += Zeb_GetPixel(i, j) == level ? 1 : 0;
  return n;
}

// The levels of (x, y, w, h) row by row, one digit a pixel.
inline std::string Area(int x, int y, int w, int h) {
  std::string pixels;
  for (int row = y; row < y + h; ++row) {
    for (int col = x; col < x + w; ++col) pixels += static_cast<char>('0' + Zeb_GetPixel(col, row));
  }
  return pixels;
}

}  // namespace velmo_test
