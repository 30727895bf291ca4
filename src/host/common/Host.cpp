// The shared key queue with its wait, and the defaults a real-time host keeps
// (an input-method flag, stderr debug text).
#include "host/common/Host.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>

#include "Capacity.h"
#include "graphics/ZebKey.h"
#include "host/common/ZebGlyph.h"

namespace {

struct KeyQueue {
  std::mutex lock;
  std::condition_variable pushed;
  std::array<int, cap::kKeyQueue> codes{};
  std::size_t head = 0;
  std::size_t count = 0;
  bool closePending = false;
  int dropped = 0;
};

KeyQueue keys;
bool imeOpen = false;

// Caller holds the lock.
int TakeLocked() {
  if (keys.closePending) {
    keys.closePending = false;
    return KEY_HOST_CLOSE;
  }
  if (keys.count == 0) return -1;
  const int code = keys.codes[keys.head];
  keys.head = (keys.head + 1) % keys.codes.size();
  --keys.count;
  return code;
}

bool HasKeyLocked() { return keys.closePending || keys.count > 0; }

bool DefaultIsImeOpen() { return imeOpen; }
void DefaultToggleIme() { imeOpen = !imeOpen; }
void DefaultDebugMessage(const char* text) {
  std::fprintf(stderr, "Zeb Debug Message: %s\n", text ? text : "");
}

}  // namespace

void Host_Install(const ZebHostOps& installed) {
  ZebHostOps ops = installed;
  if (!ops.pushKey) ops.pushKey = Host_PushKey;
  if (!ops.waitKey) ops.waitKey = Host_WaitKeyDefault;
  if (!ops.isImeOpen) ops.isImeOpen = DefaultIsImeOpen;
  if (!ops.toggleIme) ops.toggleIme = DefaultToggleIme;
  if (!ops.debugMessage) ops.debugMessage = DefaultDebugMessage;
  if (!ops.renderGlyph) ops.renderGlyph = ZebGlyph_Render;
  ZebHost_Install(ops);
  imeOpen = false;
}

bool Host_PushKey(int code) {
  {
    std::lock_guard<std::mutex> guard(keys.lock);
    if (code == KEY_HOST_CLOSE) {
      keys.closePending = true;
    } else if (keys.count >= keys.codes.size()) {
      ++keys.dropped;
      return false;
    } else {
      keys.codes[(keys.head + keys.count) % keys.codes.size()] = code;
      ++keys.count;
    }
  }
  keys.pushed.notify_all();
  return true;
}

int Host_PopKey() {
  std::lock_guard<std::mutex> guard(keys.lock);
  return TakeLocked();
}

int Host_KeyCount() {
  std::lock_guard<std::mutex> guard(keys.lock);
  return static_cast<int>(keys.count) + (keys.closePending ? 1 : 0);
}

void Host_ClearKeys() {
  std::lock_guard<std::mutex> guard(keys.lock);
  keys.head = 0;
  keys.count = 0;
  keys.closePending = false;
  keys.dropped = 0;
}

int Host_DroppedKeys() {
  std::lock_guard<std::mutex> guard(keys.lock);
  return keys.dropped;
}

int Host_WaitKeyDefault(int ms) {
  std::unique_lock<std::mutex> guard(keys.lock);
  if (ms < 0) {
    keys.pushed.wait(guard, HasKeyLocked);
  } else if (ms > 0) {
    keys.pushed.wait_for(guard, std::chrono::milliseconds(ms), HasKeyLocked);
  }
  return TakeLocked();
}

void Host_AboutText(const char* hostLines, char* out, std::size_t size) {
  char banner[ZEB_BANNER_BYTES];
  ZebHost_Banner(banner, sizeof banner);
  std::snprintf(out, size, "%s\n\n%s", banner, hostLines);
}
