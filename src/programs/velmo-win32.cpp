// velmo.exe: Velmo in a window on Windows; the Win32 host handed the
// application's entry point.
//
//   velmo [--scale N] [-- ARGS...]
//
// ARGS go to the application (velmo -- -sjistoeuc). Exit status: the
// application's own; 0 when no window can be made; 2 for bad options.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Scale.h"
#include "Velmo.h"
#include "host/win32/Win32Host.h"

namespace {

constexpr int kExitUsage = 2;

int Usage(const char* why) {
  char text[256];
  std::snprintf(text, sizeof text, "%s\n\nusage: velmo [--scale N] [-- ARGS...]", why);
  MessageBoxA(nullptr, text, "Velmo", MB_OK | MB_ICONERROR);
  return kExitUsage;
}

// A window program has no terminal for the application's refusal.
int RunVelmo(int argc, char** argv) {
  const int status = Velmo_Main(argc, argv);
  if (status == VELMO_EXIT_ALREADY_RUNNING)
    MessageBoxA(nullptr, "Velmo is already running on this record file.", "Velmo", MB_OK | MB_ICONINFORMATION);
  return status;
}

int StartupShow() {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
}

}  // namespace

int main(int argc, char** argv) {
  Win32Options options;
  static char program[] = "velmo";
  std::vector<char*> appArgs{program};
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--") == 0) {
      for (++i; i < argc; ++i) appArgs.push_back(argv[i]);
    } else if (std::strcmp(argv[i], "--scale") == 0 && hasValue) {
      if (!Scale_Read(argv[++i], options.scale)) return Usage("--scale wants a whole number from 1 to 8");
    } else if (std::strcmp(argv[i], "--test-info") == 0 && hasValue) {
      options.testInfo = argv[++i];
    } else {
      return Usage("bad arguments");
    }
  }
  options.appArgc = static_cast<int>(appArgs.size());
  appArgs.push_back(nullptr);
  options.appArgv = appArgs.data();
  options.appMain = RunVelmo;
  return Win32Host_Run(GetModuleHandleA(nullptr), StartupShow(), options);
}
