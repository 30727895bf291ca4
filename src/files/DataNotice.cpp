#include "files/DataNotice.h"

#include <cstdio>
#include <cstring>

#include "Capacity.h"

namespace {

DataNoticeHook hook = nullptr;
// The notices of start-up, oldest first: a sync that failed before the
// record file was read, then what the read found.
char held[cap::kHeldNotices][cap::kFileName];
std::size_t heldCount = 0;

}  // namespace

void Data_SetNoticeHook(DataNoticeHook newHook) {
  hook = newHook;
  // Taken out before the hook runs: a notice it causes comes after these.
  while (hook != nullptr && heldCount > 0) {
    char text[cap::kFileName];
    std::memcpy(text, held[0], sizeof text);
    --heldCount;
    std::memmove(held[0], held[1], heldCount * sizeof held[0]);
    hook(text);
  }
}

void Data_Notice(const char* text) {
  if (hook != nullptr) {
    hook(text);
    return;
  }
  // Full: the latest takes the last place.
  if (heldCount < cap::kHeldNotices) ++heldCount;
  std::snprintf(held[heldCount - 1], sizeof held[0], "%s", text);
}
