#include "host/web/WebHost.h"

#include <emscripten.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string_view>

#include "Capacity.h"
#include "calendar/Date.h"
#include "graphics/ZebHost.h"
#include "graphics/ZebKey.h"
#include "host/common/Host.h"
#include "host/common/HostKeys.h"
#include "host/common/ZebGlyph.h"
#include "platform/Platform.h"
#include "text/Cp932.h"
#include "text/Utf8.h"

// The page's side (page.js keeps the queue of what the user did and does
// the drawing, the dialogs and the storage).
EM_JS(void, velmo_web_wait, (int ms), {
  return Asyncify.handleSleep(function(wake) { Module.velmoWait(ms, wake); });
});
EM_JS(void, velmo_web_flush, (), {
  return Asyncify.handleSleep(function(wake) { Module.velmoFlush(wake); });
});
EM_JS(int, velmo_web_next, (char* text, int size), { return Module.velmoNext(text, size); });
EM_JS(void, velmo_web_paint, (const std::uint8_t* grey, int x, int y, int w, int h),
      { Module.velmoPaint(grey, x, y, w, h); });
EM_JS(void, velmo_web_spot, (int active, int x, int y, int w, int h), { Module.velmoSpot(active, x, y, w, h); });
EM_JS(void, velmo_web_ime, (int open), { Module.velmoIme(open); });
EM_JS(void, velmo_web_dialog, (const char* title, const char* text),
      { Module.velmoDialog(UTF8ToString(title), UTF8ToString(text)); });
EM_JS(void, velmo_web_caption, (const char* text), { Module.velmoCaption(UTF8ToString(text)); });
EM_JS(void, velmo_web_ended, (int status), { Module.velmoEnded(status); });
EM_JS(void, velmo_web_download, (const char* path, const char* name),
      { Module.velmoDownload(UTF8ToString(path), UTF8ToString(name)); });
EM_JS(void, velmo_web_output, (const char* title), { Module.velmoOutput(title ? UTF8ToString(title) : null); });

namespace {

constexpr int kW = cap::kScreenWidth;
constexpr int kH = cap::kScreenHeight;
constexpr std::size_t kBoxBytes = 1024;
constexpr const char* kDebugTitle = "Zeb Debug Message";
constexpr const char* kGraphicsBanner = "Zeb graphics layer\nbrowser host (canvas)";
constexpr const char* kExportPath = "/tmp/velmo.ics";  // outside the kept folder
constexpr const char* kExportName = "velmo.ics";
constexpr const char* kExportTitle = "iCalendar export";
// A wait with no time-out still lets the browser run this often, so that a
// loop polling for keys does not freeze the page.
constexpr double kYieldEveryMs = 50;
constexpr const char* kNotImplemented = "\x96\xa2\x8e\xc0\x91\x95\x82\xc5\x82\xb7\x81\x42 m(__)m";

// What velmo_web_next hands over.
enum PageEvent { PAGE_NONE, PAGE_KEY, PAGE_TEXT, PAGE_ALT, PAGE_EXPORT };

struct State {
  std::uint8_t grey[kW * kH] = {};
  bool imeOpen = false;
  unsigned spotSerial = ~0u;
  char caption[ZEB_CAPTION_BYTES] = {};
  std::time_t nowBase = 0;    // the fixed clock's start (0: the system clock)
  double nowStartMs = 0;
  double yieldedMs = 0;  // when the browser last ran
  WebHostWriteFn exportIcs = nullptr;
};

State state;

void Dialog(const char* title, const char* sjis) {
  char utf8[kBoxBytes];
  Cp932_ToUtf8Cut(sjis, utf8, sizeof utf8);
  velmo_web_dialog(title, utf8);
}

void Transfer() {
  ZebRect box{};
  if (Zeb_GetDirty(box)) {
    Zeb_ToGrey(box, state.grey, kW);
    Zeb_ClearDirty();
    const int x = box.x & ~3;  // as Zeb_ToGrey widens it
    velmo_web_paint(state.grey, x, box.y, box.w + box.x - x, box.h);
  }
  const ZebTextSpot spot = ZebHost_TextSpot();
  if (spot.serial != state.spotSerial) {
    state.spotSerial = spot.serial;
    velmo_web_spot(spot.active, spot.x, spot.y, spot.w, spot.h);
  }
  char caption[ZEB_CAPTION_BYTES];
  ZebHost_Caption(caption, sizeof caption);
  if (std::string_view(caption) != state.caption) {
    std::snprintf(state.caption, sizeof state.caption, "%s", caption);
    char utf8[ZEB_CAPTION_BYTES * CP932_UTF8_GROWTH];
    Cp932_ToUtf8Cut(caption, utf8, sizeof utf8);
    velmo_web_caption(utf8);
  }
}

// Committed text as byte keys (HostKeys_TextKey).
void PushText(std::string_view utf8) {
  char sjis[cap::kKeyQueue];
  const long n = Cp932_FromUtf8(utf8, sjis, sizeof sjis, nullptr);
  const bool lineFeeds = ZebHost_TextSpot().multiLine;
  for (long i = 0; i < n; ++i) {
    const int key = HostKeys_TextKey(static_cast<unsigned char>(sjis[i]), lineFeeds);
    if (key >= 0) Host_PushKey(key);
  }
}

void ShowAbout() {
  char text[kBoxBytes];
  Host_AboutText(kGraphicsBanner, text, sizeof text);
  Dialog(HOST_ABOUT_TITLE, text);
}

// The Alt keys of the Linux window's menu.
void RunShortcut(const char* name) {
  int key = 0;
  unsigned mods = 0;
  const HostShortcut* s = HostKeys_ParseName(name, key, mods) ? HostKeys_Shortcut(key) : nullptr;
  if (s == nullptr) return;
  switch (s->action) {
    case HOSTACT_RESTART:
    case HOSTACT_STOP: Dialog(kDebugTitle, kNotImplemented); return;
    case HOSTACT_EXIT: Host_PushKey(KEY_HOST_CLOSE); return;
    case HOSTACT_ABOUT: ShowAbout(); return;
    case HOSTACT_COMMAND: Host_PushKey(Key_HostCommand(s->command)); return;
  }
}

// The record as iCalendar, handed to the page as a download.
void Export() {
  if (state.exportIcs == nullptr) return;
  WebHost_BeginOutput(kExportTitle);
  const bool written = state.exportIcs(kExportPath);
  WebHost_ShowOutput();
  if (written) velmo_web_download(kExportPath, kExportName);
}

void Yield(int ms) {
  velmo_web_wait(ms);
  state.yieldedMs = emscripten_get_now();
}

// Takes the page's next event into the key queue; false when there was none.
// Only an empty queue takes one, so a committed text always fits.
bool TakePageEvent() {
  if (Host_KeyCount() > 0) return false;
  // The page sends text in pieces whose Shift-JIS fits the queue (page.js).
  char text[cap::kKeyQueue * UTF8_MAX_BYTES];
  const int kind = velmo_web_next(text, sizeof text);
  int code = 0;
  switch (kind) {
    case PAGE_KEY:
      if (HostKeys_Parse(text, code)) Host_PushKey(code);
      return true;
    case PAGE_TEXT: PushText(text); return true;
    case PAGE_ALT: RunShortcut(text); return true;
    case PAGE_EXPORT: Export(); return true;
    default: return false;
  }
}

int WaitKey(int ms) {
  Transfer();
  const double end = emscripten_get_now() + ms;
  for (;;) {
    while (TakePageEvent() && Host_KeyCount() == 0) {
    }
    const int key = Host_PopKey();
    if (key >= 0) return key;
    const double now = emscripten_get_now();
    if (ms == ZEB_NO_WAIT) {
      if (now - state.yieldedMs < kYieldEveryMs) return -1;
      Yield(0);
      continue;  // once more for what the browser brought; the next poll returns
    }
    const double left = end - now;
    if (ms > 0 && left <= 0) return -1;
    Yield(ms < 0 ? -1 : static_cast<int>(std::ceil(left)));
  }
}

bool IsImeOpen() { return state.imeOpen; }

void ToggleIme() {
  state.imeOpen = !state.imeOpen;
  velmo_web_ime(state.imeOpen);
}

// Not modal: the page's dialog waits for the user, the application does not.
void DebugMessage(const char* text) { Dialog(kDebugTitle, text); }

void FixedClock(DateClock& out) {
  const double elapsed = emscripten_get_now() - state.nowStartMs;
  const auto ms = static_cast<std::int64_t>(elapsed);
  out.seconds = static_cast<std::int64_t>(state.nowBase) + ms / 1000;
  out.micros = static_cast<std::int32_t>(ms % 1000 * 1000);
  Date_SetLocalFields(out);
}

void Saved(const char*) { WebHost_Flush(); }

}  // namespace

bool WebHost_Install(const char** failure) {
  Host_Install({
      .waitKey = WaitKey,
      .transferDirty = Transfer,
      .isImeOpen = IsImeOpen,
      .toggleIme = ToggleIme,
      .debugMessage = DebugMessage,
  });
  ZebHost_SetTextSpot(nullptr);
  Platform_SetSavedHook(Saved);
  return ZebGlyph_Open(failure);
}

bool WebHost_SetNow(int year, int month, int mday, int hour, int minute) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = mday;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_isdst = -1;
  const std::time_t t = std::mktime(&tm);
  if (t == static_cast<std::time_t>(-1) || tm.tm_year != year - 1900 || tm.tm_mon != month - 1 ||
      tm.tm_mday != mday || tm.tm_hour != hour || tm.tm_min != minute) {
    return false;
  }
  state.nowBase = t;
  state.nowStartMs = emscripten_get_now();
  Date_SetClock(FixedClock);
  return true;
}

void WebHost_SetExportHook(WebHostWriteFn write) { state.exportIcs = write; }

void WebHost_BeginOutput(const char* title) {
  std::fflush(stdout);
  std::fflush(stderr);
  velmo_web_output(title);
}

void WebHost_ShowOutput() {
  std::fflush(stdout);
  std::fflush(stderr);
  velmo_web_output(nullptr);
}

void WebHost_Flush() { velmo_web_flush(); }

void WebHost_Ended(int status) { velmo_web_ended(status); }
