#include "host/common/HostText.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex lock;
char caption[HOST_CAPTION_BYTES] = "Zeb for Win32";
char banner[HOST_BANNER_BYTES] = "";

void CopyLocked(char* out, std::size_t size, const char* text) {
  if (size == 0) return;
  std::snprintf(out, size, "%s", text ? text : "");
}

}  // namespace

void HostText_SetCaption(const char* text) {
  std::lock_guard<std::mutex> guard(lock);
  CopyLocked(caption, sizeof caption, text);
}

void HostText_SetBanner(const char* text) {
  std::lock_guard<std::mutex> guard(lock);
  CopyLocked(banner, sizeof banner, text);
}

void HostText_Caption(char* out, std::size_t size) {
  std::lock_guard<std::mutex> guard(lock);
  CopyLocked(out, size, caption);
}

void HostText_Banner(char* out, std::size_t size) {
  std::lock_guard<std::mutex> guard(lock);
  CopyLocked(out, size, banner);
}
