// The desktop host on SDL2: a window showing the 640 x 240 screen scaled by
// a whole number, the application on its own thread, keys in the codes the
// application expects, and the host menu as keyboard shortcuts.
#pragma once

#include <SDL.h>

struct SdlOptions {
  int scale = 2;                         // whole-number zoom, 1..8
  const char* shotAtExit = nullptr;      // PNG of the window's picture at exit
  const char* testKeys = nullptr;        // hidden: key names to type, for tests
  int (*appMain)(int argc, char** argv) = nullptr;  // the application, run on its own thread
  int appArgc = 0;
  char** appArgv = nullptr;
};

inline constexpr int SDL_MAX_SCALE = 8;

// Runs the application in a window until it ends. Returns the process's
// exit status.
int SdlHost_Run(const SdlOptions& options);
