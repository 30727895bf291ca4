// A clean toolkit on the headless host for every test: empty queue, no focus,
// no timers, virtual clock at 2024-01-01 09:00, a white screen.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/headless/Headless.h"
#include "support/Pixels.h"
#include "toolkit/nw.h"

// Records every message it is handed and answers with `answer`.
struct Probe : nwObject {
  std::vector<nwMessage> seen;
  bool answer = false;
  int count(int code) const {
    int n = 0;
    for (const auto& m : seen) n += m.code == code;
    return n;
  }
  const nwMessage* last(int code) const {
    for (auto it = seen.rbegin(); it != seen.rend(); ++it) {
      if (it->code == code) return &*it;
    }
    return nullptr;
  }
};

inline bool Probe_Handler(nwObject* object, nwMessage* message) {
  auto* probe = static_cast<Probe*>(object);
  probe->seen.push_back(*message);
  if (message->code == NW_KEY_DOWN || message->code == NW_COMMAND || message->code == NW_TIMER) {
    return probe->answer;
  }
  return nwObject_DefaultHandler(object, message);
}

using velmo_test::Area;

// The same area holding only text at (x, y) in font 2, black on background.
inline std::string TextAlone(int x, int y, int w, int h, const char* text, int background) {
  Zeb_SetColor(nwContext, background);
  Zeb_FillBox(nwContext, ZebRect{x, y, w, h});
  Zeb_SetColor(nwContext, ZEB_BLACK);
  Zeb_SetFont(nwContext, ZEB_FONT_16);
  Zeb_DrawText(nwContext, x, y, text, static_cast<int>(std::strlen(text)));
  return Area(x, y, w, h);
}

class ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Headless_Install();
    nwEvent_Reset();
    nwTimer_Reset();
    nwEvent_SetToolbar(nullptr);
    log_.clear();
    current_ = this;
    nwLog_SetHook([](const char* text) { current_->log_.emplace_back(text); });
    Zeb_SetScreenSize(640, 240);
    Zeb_OpenScreen(nwContext);
    ZebRect all{0, 0, 640, 240};
    Zeb_SetColor(nwContext, ZEB_WHITE);
    Zeb_FillBox(nwContext, all);
    Zeb_SetColor(nwContext, ZEB_BLACK);
  }
  void TearDown() override { nwLog_SetHook(nullptr); }

  static ZebRect Rect(int x, int y, int w, int h) { return ZebRect{x, y, w, h}; }

  // Runs the main loop's shape until nwEvent_Next returns null.
  static int RunMainLoop() {
    int dispatched = 0;
    while (nwMessage* message = nwEvent_Next(true)) {
      if (nwEvent_Filter(message)) continue;
      nwEvent_Dispatch(message);
      ++dispatched;
    }
    return dispatched;
  }

  // Dispatches what is queued now and the keys the host holds, without waiting.
  static void Drain() {
    while (nwEvent_Pending() > 0 || Host_KeyCount() > 0) {
      nwMessage* message = nwEvent_Next(false);
      if (message == nullptr) return;
      if (!nwEvent_Filter(message)) nwEvent_Dispatch(message);
    }
  }

  std::vector<std::string> log_;
  static inline ToolkitTest* current_ = nullptr;
};
