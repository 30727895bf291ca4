// The help screen: a modal window over the browse screen listing the keys on
// two pages.
#pragma once

#include "toolkit/nw.h"

inline constexpr int HELP_PAGES = 2;

// The help command (3001, 4524): runs the window until it is closed, then
// restores the browse screen and rebuilds the current view. True = handled.
bool Help_Open();

// The window's handler and page (exposed for tests).
bool Help_Handler(nwObject* object, nwMessage* message);
int Help_Page();
