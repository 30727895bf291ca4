// velmo.exe: Velmo in a window on Windows; the Win32 host handed the
// application's entry point.
//
//   velmo [--scale N] [--now YYYY-MM-DDTHH:MM[:SS]] [-- ARGS...]
//
// ARGS go to the application (velmo -- -sjistoeuc). --now, for the tests,
// starts the clock at that local time. Exit status: the
// application's own; 0 when no window can be made; 2 for bad options.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "NowOption.h"
#include "Scale.h"
#include "host/win32/Win32Host.h"
#include "options/Options.h"
#include "shell/Velmo.h"

namespace {

constexpr int kExitUsage = 2;

enum Win32Option { OPT_SCALE = 1, OPT_NOW, OPT_TEST_INFO };
constexpr OptionRow kOptions[] = {
    {OPT_SCALE, "--scale", "N", "window N times the 640 x 240 screen (1..8)"},
    NowOption_Row(OPT_NOW, "the clock's start, for the tests (default now)"),
    {OPT_TEST_INFO, "--test-info", "FILE", "the window's place, for the tests"},
};

int Usage(const char* why) {
  char text[256];
  std::snprintf(text, sizeof text, "%s\n\nusage: velmo [--scale N] [--now YYYY-MM-DDTHH:MM[:SS]] [-- ARGS...]", why);
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
  OptionReader reader{argc - 1, argv + 1};
  OptionItem item;
  while (Options_Next(reader, kOptions, item)) {
    switch (item.id) {
      case OPT_SCALE:
        if (!Scale_Read(item.value, options.scale)) return Usage("--scale wants a whole number from 1 to 8");
        break;
      case OPT_NOW: {
        NowFields now{};
        if (!NowOption_Read(item.value, now)) return Usage(NOW_OPTION_WANTS);
        Win32Host_SetNow(now.year, now.month, now.mday, now.hour, now.minute, now.second);
        break;
      }
      case OPT_TEST_INFO: options.testInfo = item.value; break;
      case OPTION_HELP: Usage("Velmo for Windows"); return 0;
      default:
        if (!reader.operandsOnly) return Usage("Velmo's own ARGS follow --");
        appArgs.push_back(item.value);
    }
  }
  if (reader.status != OPTIONS_END) return Usage("bad arguments");
  options.appArgc = static_cast<int>(appArgs.size());
  appArgs.push_back(nullptr);
  options.appArgv = appArgs.data();
  options.appMain = RunVelmo;
  return Win32Host_Run(GetModuleHandleA(nullptr), StartupShow(), options);
}
