// The Win32 host: the window "Velmo for Win32" showing the 640 x 240 screen
// (scaled by a whole number, nearest neighbour), the menu and icon of the
// resources, key capture in the application's codes, GDI glyphs, the input
// method through IMM32, and the application on a thread of its own.
#pragma once

#include <windows.h>

struct Win32Options {
  int scale = 1;                  // whole-number zoom, 1..cap::kWindowScale
  const char* testInfo = nullptr; // hidden: file to write the client area's screen rect into, for tests
  int (*appMain)(int argc, char** argv) = nullptr;  // the application, run on its own thread
  int appArgc = 0;
  char** appArgv = nullptr;
};


// Menu command ids of the "ZEBMENU" resource.
inline constexpr int WIN32_CMD_RESTART = 100;
inline constexpr int WIN32_CMD_STOP = 101;
inline constexpr int WIN32_CMD_EXIT = 102;
inline constexpr int WIN32_CMD_ABOUT = 103;

// Runs the application in the window until it ends. Returns the process's
// exit status: the application's own, 0 when the window cannot be made.
int Win32Host_Run(HINSTANCE instance, int show, const Win32Options& options);

// Starts the clock at a local date and time, from which it runs on with the
// system's ticks (for the tests: no time zone is consulted).
void Win32Host_SetNow(int year, int month, int mday, int hour, int minute, int second);
