// velmo: Velmo in a window on the desktop; the SDL host handed the
// application's entry point.
//
//   velmo [--folder DIR] [--scale N] [--no-sync] [--sync-timeout MS] [--shot-at-exit FILE.png] [-- ARGS...]
//
// ARGS go to the application (velmo -- -sjistoeuc). With sync.conf beside
// the record file it syncs before start and after shutdown (WindowSync.h).
// Exit status: the application's own; 1 when no window can be opened, the
// display is lost or the data folder cannot be used; 2 for bad options.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Capacity.h"
#include "FolderOptions.h"
#include "Scale.h"
#include "WindowSync.h"
#include "dialogs/Notice.h"
#include "files/DataFolder.h"
#include "host/sdl/SdlBox.h"
#include "host/sdl/SdlHost.h"
#include "host/sdl/SdlTest.h"
#include "shell/Title.h"
#include "shell/Velmo.h"

namespace {

constexpr const char* kProgram = "velmo";
constexpr int kExitUsage = 2;
constexpr const char* kUsage =
    "usage: velmo [--folder DIR] [--scale N] [--no-sync] [--sync-timeout MS] [--shot-at-exit FILE.png] [-- ARGS...]\n";
constexpr const char* kTail =
    "ARGS go to Velmo (-sjistoeuc converts the record file to EUC-JP).\n"
    "Quit with q (saving), or close the window.\n"
    "With sync.conf beside the record file, velmo-cli sync runs before start and after shutdown.\n";

enum VelmoOption {
  OPT_SCALE = FOLDER_OPTIONS_NEXT,
  OPT_NO_SYNC,
  OPT_SYNC_TIMEOUT,
  OPT_SHOT,
  OPT_TEST_KEYS,
  OPT_VERSION,
};
constexpr OptionRow kOptions[] = {
    FolderOptions_kFolder,
    FolderOptions_kWhere,
    {OPT_SCALE, "--scale", "N",
     "window N times the 640 x 240 screen (1..8; default: the last run's zoom, else 2), at most what the display holds"},
    {OPT_NO_SYNC, "--no-sync", nullptr, "no sync with the calendar server this time, though sync.conf is there"},
    {OPT_SYNC_TIMEOUT, "--sync-timeout", "MS", "give each sync at most MS milliseconds, not the usual few seconds"},
    {OPT_SHOT, "--shot-at-exit", "FILE.png", "the window's picture at exit"},
    {OPT_TEST_KEYS, "--test-keys", "FILE", "keys to type, for the tests"},
    {OPT_VERSION, "--version", nullptr, "the release"},
};

int Usage(const char* why) {
  std::fprintf(stderr, "velmo: %s\n%s", why, kUsage);
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], SDL_BOX_OPTION) == 0) return SdlBox_Main(argv[2], argv[3]);
  SdlOptions options;
  const char* folder = nullptr;
  bool where = false;
  bool noSync = false;
  int syncMs = cap::kWindowSyncMs;
  static char program[] = "velmo";
  std::vector<char*> appArgs{program};
  OptionReader reader{argc - 1, argv + 1};
  OptionItem item;
  while (Options_Next(reader, kOptions, item)) {
    switch (item.id) {
      case OPTION_HELP: FolderOptions_Help(kUsage, kOptions, kTail); return 0;
      case OPT_VERSION: std::printf("%s\n", Notice_Banner()); return 0;
      case FOLDER_OPT_FOLDER: folder = item.value; break;
      case FOLDER_OPT_WHERE: where = true; break;
      case OPT_SCALE:
        if (!Scale_Read(item.value, options.scale)) return Usage("--scale wants a whole number from 1 to 8");
        break;
      case OPT_NO_SYNC: noSync = true; break;
      case OPT_SYNC_TIMEOUT:
        if (!WindowSync_ReadTimeout(item.value, syncMs))
          return Usage(("--sync-timeout wants 1 to " + std::to_string(cap::kWindowSyncMaxMs) + " ms").c_str());
        break;
      case OPT_SHOT: options.shotAtExit = item.value; break;
      case OPT_TEST_KEYS: options.testKeys = item.value; break;
      default:
        if (!reader.operandsOnly) return Usage((std::string(item.value) + ": Velmo's own ARGS follow --").c_str());
        appArgs.push_back(item.value);
    }
  }
  if (reader.status != OPTIONS_END) return Options_Fail(kProgram, reader, kExitUsage);
  if (where) return DataFolder_Print(kProgram, folder, stdout) ? 0 : 1;
  if (options.testKeys) {
    std::string error;
    if (!SdlTest_Load(options.testKeys, error)) {
      std::fprintf(stderr, "velmo: %s\n", error.c_str());
      return kExitUsage;
    }
  }
  if (!DataFolder_Use(kProgram, folder)) return 1;
  const bool sync = !noSync && WindowSync_Wanted();
  if (sync) WindowSync_Run(WINDOW_SYNC_START, syncMs);
  options.appArgc = static_cast<int>(appArgs.size());
  appArgs.push_back(nullptr);
  options.appArgv = appArgs.data();
  options.appMain = Velmo_Main;
  options.icon = Title_Icon.data();
  const int status = SdlHost_Run(options);
  // Only after a run that saved and let the record file go.
  if (sync && status == 0) WindowSync_Run(WINDOW_SYNC_END, syncMs);
  return status;
}
