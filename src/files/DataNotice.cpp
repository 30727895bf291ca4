#include "files/DataNotice.h"

#include <cstdio>

#include "Capacity.h"

namespace {

DataNoticeHook hook = nullptr;
bool noticeHeld = false;
char heldNotice[cap::kFileName];

}  // namespace

void Data_SetNoticeHook(DataNoticeHook newHook) {
  hook = newHook;
  if (hook == nullptr || !noticeHeld) return;
  noticeHeld = false;
  hook(heldNotice);
}

void Data_Notice(const char* text) {
  if (hook != nullptr) {
    hook(text);
    return;
  }
  std::snprintf(heldNotice, sizeof heldNotice, "%s", text);
  noticeHeld = true;
}
