#include "text/ShiftJis.h"

#include <climits>
#include <cstring>

int ShiftJis_Fit(const char* text, int length, int limit) {
  if (text == nullptr) return 0;
  const int max = length < limit ? length : limit;
  int used = 0;
  while (used < max) {
    const int size = ShiftJis_IsLead(static_cast<unsigned char>(text[used])) ? 2 : 1;
    if (used + size > max) break;
    used += size;
  }
  return used;
}

void ShiftJis_Truncate(char* text, std::size_t limit) {
  if (text == nullptr) return;
  const int bounded = limit > INT_MAX ? INT_MAX : static_cast<int>(limit);
  const std::size_t length = std::strlen(text);
  text[ShiftJis_Fit(text, length > INT_MAX ? INT_MAX : static_cast<int>(length), bounded)] = '\0';
}
