// The host operations: the shared key queue with its wait, and the defaults a
// real-time host keeps (system clock, an input-method flag, stderr debug text).
#include "host/common/Host.h"

#include <sys/time.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <mutex>

#include "Capacity.h"
#include "graphics/ZebKey.h"

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
HostOps ops{};
bool imeOpen = false;

struct TextSpot {
  std::mutex lock;
  HostTextSpot at{};
};
TextSpot textSpot;

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

void Host_Install(const HostOps& installed) {
  ops = installed;
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

int Host_WaitKey(int ms) { return ops.waitKey ? ops.waitKey(ms) : Host_WaitKeyDefault(ms); }

void Host_ReadSystemClock(HostClock& out) {
  timeval now{};
  gettimeofday(&now, nullptr);
  std::tm local{};
  const std::time_t seconds = now.tv_sec;
  localtime_r(&seconds, &local);
  out.seconds = now.tv_sec;
  out.micros = static_cast<std::int32_t>(now.tv_usec);
  out.year = static_cast<std::uint16_t>(local.tm_year + 1900);
  out.month = static_cast<std::uint8_t>(local.tm_mon + 1);
  out.mday = static_cast<std::uint8_t>(local.tm_mday);
  out.hour = static_cast<std::uint8_t>(local.tm_hour);
  out.minute = static_cast<std::uint8_t>(local.tm_min);
  out.second = static_cast<std::uint8_t>(local.tm_sec > 59 ? 59 : local.tm_sec);
}

void Host_ReadClock(HostClock& out) {
  if (ops.readClock) {
    ops.readClock(out);
  } else {
    Host_ReadSystemClock(out);
  }
}

void Host_TransferDirty() {
  if (ops.transferDirty) ops.transferDirty();
}

bool Host_IsImeOpen() { return ops.isImeOpen ? ops.isImeOpen() : DefaultIsImeOpen(); }

void Host_ToggleIme() {
  if (ops.toggleIme) {
    ops.toggleIme();
  } else {
    DefaultToggleIme();
  }
}

void Host_DebugMessage(const char* text) {
  if (ops.debugMessage) {
    ops.debugMessage(text);
  } else {
    DefaultDebugMessage(text);
  }
}

void Host_SetTextSpot(const HostTextSpot* spot) {
  std::lock_guard<std::mutex> guard(textSpot.lock);
  HostTextSpot next{};
  if (spot != nullptr) next = *spot;
  next.active = spot != nullptr;
  const HostTextSpot& was = textSpot.at;
  if (next.active == was.active && next.multiLine == was.multiLine && next.x == was.x && next.y == was.y &&
      next.w == was.w && next.h == was.h)
    return;
  next.serial = was.serial + 1;
  textSpot.at = next;
}

HostTextSpot Host_TextSpot() {
  std::lock_guard<std::mutex> guard(textSpot.lock);
  return textSpot.at;
}
