// The application shell: the application's main function, the main area's
// handler and the timers of the whole run. The browse state and the screen
// objects it creates live below it (views/Screen.h).
#pragma once

#include "shell/Velmo.h"
#include "views/Screen.h"

// Timers of the whole run.
inline constexpr int SHELL_TIMER_STATUS = 1;   // mainArea, every 500 ms
inline constexpr int SHELL_TIMER_CLOCK = 3;    // titleBar, every 10 s
inline constexpr int SHELL_STATUS_MS = 500;
inline constexpr int SHELL_CLOCK_MS = 10000;

// Main-area handler (exposed for tests).
bool MainArea_Handler(nwObject* object, nwMessage* message);

// Reads the clock into today, todayYear, todayMonth, todayDay; returns the
// current hour.
int Shell_ReadToday();
