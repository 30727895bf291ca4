// What the text widgets share: bounded Shift-JIS copies and the box of an
// editor or list.
#include <cstring>

#include "text/ShiftJis.h"
#include "toolkit/nwInternal.h"

void nwText_DrawBox(const ZebRect& rect, int back, bool focused) {
  ZebRect inner = rect;
  ZebRect_Inset(inner, 1, 1);
  Zeb_SetColor(nwContext, ZEB_BLACK);
  Zeb_DrawBox(nwContext, rect);
  Zeb_SetColor(nwContext, back);
  Zeb_FillBox(nwContext, inner);
  if (!focused) return;
  Zeb_SetColor(nwContext, ZEB_BLACK);
  Zeb_DrawBox(nwContext, inner);
}

int nwText_Copy(char* destination, int capacity, const char* source, int length) {
  if (destination == nullptr || capacity <= 0) return 0;
  const int limit = length < capacity ? length : capacity;
  const int count = (source == nullptr || limit <= 0) ? 0 : ShiftJis_Fit(source, static_cast<int>(strnlen(source, static_cast<std::size_t>(limit))), limit);
  if (count > 0) std::memmove(destination, source, static_cast<std::size_t>(count));
  if (count < capacity) destination[count] = '\0';
  return count;
}
