// Five interval timers, polled by the event source; every time read goes
// through the clock seam (Date_ReadClock), which the host sets.
#include <array>

#include "calendar/Date.h"
#include "toolkit/nwInternal.h"

namespace {

constexpr std::int64_t kMicrosPerSecond = 1000000;

struct Timer {
  bool active;
  int interval;             // ms, at least 1
  nwObject* target;
  std::int64_t dueMicros;   // wall clock, microseconds since the epoch
};

std::array<Timer, cap::kTimers> timers{};

std::int64_t NowMicros() {
  DateClock clock{};
  Date_ReadClock(clock);
  return clock.seconds * kMicrosPerSecond + clock.micros;
}

bool ValidSlot(int slot) { return slot >= 0 && slot < static_cast<int>(timers.size()); }

// Milliseconds from now to due, whole milliseconds of each as the clock
// counts them (negative once due has passed).
std::int64_t MillisUntil(std::int64_t due, std::int64_t now) {
  const std::int64_t dueSeconds = due / kMicrosPerSecond;
  const std::int64_t nowSeconds = now / kMicrosPerSecond;
  return (dueSeconds - nowSeconds) * 1000 + (due % kMicrosPerSecond) / 1000 -
         (now % kMicrosPerSecond) / 1000;
}

// One step of a due timer: the Timer is posted (dropped if the queue is full)
// and due moves on by one interval. A timer far behind (the machine slept, the
// clock jumped) skips ahead instead of firing once per check for hours; one
// that is far ahead (the clock went back) is pulled back to one interval.
void Fire(int slot, Timer& timer, std::int64_t now) {
  nwMessage message{};
  nwEvent_Post(nwEvent_Set(&message, NW_TIMER, nullptr, slot, 0), timer.target);
  const std::int64_t interval = std::int64_t{timer.interval} * 1000;
  timer.dueMicros += interval;
  if (now - timer.dueMicros > interval * cap::kTimerCatchUp) timer.dueMicros = now + interval;
}

}  // namespace

void nwTimer_Set(int slot, nwObject* object, int intervalMs) {
  if (!ValidSlot(slot)) return;
  Timer& timer = timers[static_cast<std::size_t>(slot)];
  timer.active = true;
  timer.interval = intervalMs < 1 ? 1 : intervalMs;
  timer.target = object;
  timer.dueMicros = NowMicros();
}

void nwTimer_Kill(int slot) {
  if (ValidSlot(slot)) timers[static_cast<std::size_t>(slot)].active = false;
}

void nwTimer_Reset() { timers = {}; }

int nwTimer_Check() {
  const std::int64_t now = NowMicros();
  std::int64_t wait = cap::kTimerMaxWaitMs;
  for (std::size_t slot = 0; slot < timers.size(); ++slot) {
    Timer& timer = timers[slot];
    if (!timer.active) continue;
    const std::int64_t interval = std::int64_t{timer.interval} * 1000;
    if (timer.dueMicros - now > interval) timer.dueMicros = now + interval;
    std::int64_t d = MillisUntil(timer.dueMicros, now);
    if (d < 0) {
      Fire(static_cast<int>(slot), timer, now);
      d = MillisUntil(timer.dueMicros, now);
    }
    if (d < wait) wait = d;
  }
  // A timer still behind makes the next check come at once, not never.
  return wait < 0 ? 0 : static_cast<int>(wait);
}
