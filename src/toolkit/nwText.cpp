// Bounded Shift-JIS copies for the text widgets.
#include <cstring>

#include "text/ShiftJis.h"
#include "toolkit/nwInternal.h"

int nwText_Copy(char* destination, int capacity, const char* source, int length) {
  if (destination == nullptr || capacity <= 0) return 0;
  const int limit = length < capacity ? length : capacity;
  const int count = (source == nullptr || limit <= 0) ? 0 : ShiftJis_Fit(source, static_cast<int>(strnlen(source, static_cast<std::size_t>(limit))), limit);
  if (count > 0) std::memmove(destination, source, static_cast<std::size_t>(count));
  if (count < capacity) destination[count] = '\0';
  return count;
}
