// Rectangle arithmetic; nothing is drawn.
#include "graphics/Zeb.h"

void ZebRect_Set(ZebRect& rect, int x, int y, int w, int h) {
  rect.x = x;
  rect.y = y;
  rect.w = w;
  rect.h = h;
}

void ZebRect_SetCorners(ZebRect& rect, int x1, int y1, int x2, int y2) {
  rect.x = x1;
  rect.y = y1;
  rect.w = x2 - x1 + 1;
  rect.h = y2 - y1 + 1;
}

void ZebRect_Inset(ZebRect& rect, int dx, int dy) {
  rect.x += dx;
  rect.y += dy;
  rect.w -= 2 * dx;
  rect.h -= 2 * dy;
}

void ZebRect_Offset(ZebRect& rect, int dx, int dy) {
  rect.x += dx;
  rect.y += dy;
}

void ZebRect_Copy(ZebRect& destination, const ZebRect& source) { destination = source; }
