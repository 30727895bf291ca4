// The desktop host on SDL2: a window "Velmo" showing the 640 x 240 screen
// scaled by a whole number, the application on its own thread, keys in the
// codes the application expects, and the host menu as keyboard shortcuts.
#pragma once

#include <SDL.h>

struct SdlOptions {
  int scale = 0;                         // whole-number zoom, 1..8; 0: the last run's, else 2
  const char* shotAtExit = nullptr;      // PNG of the window's picture at exit
  const char* testKeys = nullptr;        // hidden: key names to type, for tests
  int (*appMain)(int argc, char** argv) = nullptr;  // the application, run on its own thread
  const unsigned char* icon = nullptr;   // the window's picture, "#ZBV" text, SDL_ICON_SIDE square
  int appArgc = 0;
  char** appArgv = nullptr;
};

inline constexpr int SDL_ICON_SIDE = 16;

// Runs the application in a window until it ends. Returns the process's
// exit status.
int SdlHost_Run(const SdlOptions& options);

// One event of the window thread's loop (keys, text input, the input
// method's reading, close requests, the host's own events).
void SdlHost_Handle(const SDL_Event& e);

// What the window thread's input (SdlInput.cpp) needs of the window.
struct HostShortcut;
void SdlHost_RunShortcut(const HostShortcut& s);  // an Alt shortcut of the host menu
SDL_Window* SdlHost_Window();
bool SdlHost_ImeOpen();
int SdlHost_Waits();  // the application's key waits so far (for the test driver)

