// The headless host. Time is virtual: it moves only when the program waits
// (by the time it waits) or when the caller or the feeder advances it.
#include "host/headless/Headless.h"

#include <cstdio>
#include <cstring>

#include "graphics/ZebKey.h"
#include "host/common/HostKeys.h"

namespace {

constexpr std::int64_t kMsPerDay = 86400000;

struct HeadlessState {
  std::int64_t nowMs = 0;
  HeadlessFeeder feeder = nullptr;
  void (*transfer)() = nullptr;
  int idleLimit = Headless_kIdleLimit;
  int idleWaits = 0;
  int waits = 0;
  bool imeOpen = false;
  char lastDebug[256] = "";
};

HeadlessState state;

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& mday) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  mday = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0); }

// A wait that found no key: the time passes, and a program that would wait
// forever is asked to close.
int PassIdle(int ms) {
  if (ms > 0) state.nowMs += ms;
  ++state.idleWaits;
  if (state.idleLimit > 0 && state.idleWaits >= state.idleLimit) {
    state.idleWaits = 0;
    Host_PushKey(KEY_HOST_CLOSE);
    return Host_PopKey();
  }
  return -1;
}

int WaitKey(int ms) {
  ++state.waits;
  int key = Host_PopKey();
  if (key >= 0 || ms == 0) {
    if (key >= 0) state.idleWaits = 0;
    return key;
  }
  if (state.feeder) {
    const std::int64_t before = state.nowMs;
    state.feeder(ms);
    key = Host_PopKey();
    if (key >= 0) {
      state.idleWaits = 0;
      return key;
    }
    if (state.nowMs != before) return -1;
    if (ms > 0) state.nowMs += ms;
    return -1;
  }
  return PassIdle(ms);
}

void Transfer() {
  if (state.transfer) state.transfer();
}

bool IsImeOpen() { return state.imeOpen; }
void ToggleIme() { state.imeOpen = !state.imeOpen; }

void DebugMessage(const char* text) {
  std::snprintf(state.lastDebug, sizeof state.lastDebug, "%s", text ? text : "");
}

// No desktop to show it on: told on stderr in UTF-8, where the tests read it.
void Notify(const char* title, const char* text) {
  char sjis[512];
  std::snprintf(sjis, sizeof sjis, "%s: %s", title ? title : "", text ? text : "");
  char utf8[sizeof sjis * 2];
  HostKeys_ToUtf8(sjis, utf8, sizeof utf8);
  std::fprintf(stderr, "Notification: %s\n", utf8);
}

}  // namespace

void Headless_Install() {
  state = HeadlessState{};
  Headless_SetLocalTime(2024, 1, 1, 9, 0, 0);
  Host_ClearKeys();
  Host_Install({
      .waitKey = WaitKey,
      .transferDirty = Transfer,
      .isImeOpen = IsImeOpen,
      .toggleIme = ToggleIme,
      .debugMessage = DebugMessage,
      .notify = Notify,
  });
  Date_SetClock(Headless_ReadClock);
}

bool Headless_PushKey(int code) { return Host_PushKey(code); }

int Headless_PushText(const char* text) {
  int pushed = 0;
  for (; text && *text; ++text) {
    if (Host_PushKey(static_cast<unsigned char>(*text))) ++pushed;
  }
  return pushed;
}

void Headless_RequestClose() { Host_PushKey(KEY_HOST_CLOSE); }

void Headless_AskClose() { Host_PushKey(KEY_HOST_CLOSE_REQUEST); }

bool Headless_PushCommand(int command) {
  const int code = Key_HostCommand(command);
  return code >= 0 && Host_PushKey(code);
}

void Headless_Advance(std::int64_t ms) {
  if (ms > 0) state.nowMs += ms;
}

void Headless_SetLocalTime(int year, int month, int mday, int hour, int minute, int second) {
  const std::int64_t days = DaysFromCivil(year, month, mday);
  state.nowMs = ((days * 24 + hour) * 60 + minute) * 60000 + std::int64_t{second} * 1000;
}

void Headless_ReadClock(DateClock& out) {
  const std::int64_t seconds = FloorDiv(state.nowMs, 1000);
  const std::int64_t days = FloorDiv(state.nowMs, kMsPerDay);
  const std::int64_t inDay = seconds - days * 86400;
  int year = 0, month = 0, mday = 0;
  CivilFromDays(days, year, month, mday);
  out.seconds = seconds;
  out.micros = static_cast<std::int32_t>((state.nowMs - seconds * 1000) * 1000);
  out.year = static_cast<std::uint16_t>(year);
  out.month = static_cast<std::uint8_t>(month);
  out.mday = static_cast<std::uint8_t>(mday);
  out.hour = static_cast<std::uint8_t>(inDay / 3600);
  out.minute = static_cast<std::uint8_t>(inDay / 60 % 60);
  out.second = static_cast<std::uint8_t>(inDay % 60);
}

std::int64_t Headless_NowMs() { return state.nowMs; }

void Headless_SetFeeder(HeadlessFeeder feeder) { state.feeder = feeder; }

void Headless_SetTransfer(void (*transfer)()) { state.transfer = transfer; }

void Headless_SetIdleLimit(int waits) { state.idleLimit = waits < 0 ? 0 : waits; }

int Headless_WaitCount() { return state.waits; }

const char* Headless_LastDebugMessage() { return state.lastDebug; }
