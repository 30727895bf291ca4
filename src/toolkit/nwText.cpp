// Bounded Shift-JIS copies for the text widgets.
#include <cstring>

#include "toolkit/nwInternal.h"

namespace {

// Bytes of source that fit in limit without a NUL and without cutting a
// double-byte character in two.
int WholeCharacters(const char* source, int limit) {
  int used = 0;
  while (used < limit && source[used] != '\0') {
    const bool lead = Zeb_IsLeadByte(static_cast<unsigned char>(source[used]));
    const int size = lead ? 2 : 1;
    if (used + size > limit || (lead && source[used + 1] == '\0')) break;
    used += size;
  }
  return used;
}

}  // namespace

int nwText_Copy(char* destination, int capacity, const char* source, int length) {
  if (destination == nullptr || capacity <= 0) return 0;
  const int limit = length < capacity ? length : capacity;
  const int count = (source == nullptr || limit <= 0) ? 0 : WholeCharacters(source, limit);
  if (count > 0) std::memmove(destination, source, static_cast<std::size_t>(count));
  if (count < capacity) destination[count] = '\0';
  return count;
}
