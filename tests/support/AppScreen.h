// A fresh 640 x 240 headless screen and the application's screen objects,
// for tests that drive handlers call by call instead of through the main loop.
#pragma once

#include <vector>

#include "graphics/Zeb.h"
#include "host/headless/Headless.h"
#include "shell/Shell.h"
#include "support/Pixels.h"
#include "toolkit/nw.h"

namespace velmo_test {

inline constexpr ZebRect kScreenRect = SCREEN_RECT;
inline constexpr ZebRect kMainAreaRect = SCREEN_VIEW_AREA;
inline constexpr ZebRect kToolbarRect = SCREEN_KEY_BAR;

// Installs the headless host and opens its screen with empty queues.
inline void OpenScreen() {
  Headless_Install();
  Zeb_SetScreenSize(640, 240);
  Zeb_OpenScreen(nwContext);
  nwEvent_Reset();
  nwTimer_Reset();
}

// titleBar over the whole screen, the main area and the function-key bar;
// the main area has the focus.
inline void CreateScreenObjects(nwHandler title = nwObject_DefaultHandler,
                                nwHandler main = nwObject_DefaultHandler) {
  nwObject_Create(&titleBar, title, nullptr, &kScreenRect);
  nwObject_Create(&mainArea, main, nullptr, &kMainAreaRect);
  nwObject_Create(&toolbar, nwToolbar_Handler, nullptr, &kToolbarRect);
  nwFocus_Set(&mainArea);
}

// Delivers what is queued, as the main loop would; bounded so that a handler
// that keeps posting fails the test instead of hanging it.
inline void Drain() {
  for (int n = 0; n < 10000 && nwEvent_Pending() > 0; ++n) {
    nwMessage* message = nwEvent_Next(false);
    if (message == nullptr) return;
    if (!nwEvent_Filter(message)) nwEvent_Dispatch(message);
  }
}

// Hands the next scripted key to the host, if any is left.
inline void PushNextKey(std::vector<int>& keys) {
  if (keys.empty()) return;
  Headless_PushKey(keys.front());
  keys.erase(keys.begin());
}

}  // namespace velmo_test
