// velmo: Velmo in a window on the desktop; the SDL host handed the
// application's entry point.
//
//   velmo [--folder DIR] [--scale N] [--shot-at-exit FILE.png] [-- ARGS...]
//
// ARGS go to the application (velmo -- -sjistoeuc). Exit status: the
// application's own; 1 when no window can be opened or the display is lost;
// 2 for bad options.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "Scale.h"
#include "Velmo.h"
#include "dialogs/Notice.h"
#include "host/sdl/SdlBox.h"
#include "host/sdl/SdlHost.h"
#include "host/sdl/SdlTest.h"
#include "shell/Title.h"

namespace {

constexpr int kExitUsage = 2;
constexpr const char* kUsage =
    "usage: velmo [--folder DIR] [--scale N] [--shot-at-exit FILE.png] [-- ARGS...]\n"
    "  --folder DIR   work in DIR (default: the working directory, or\n"
    "                 $XDG_DATA_HOME/velmo when started in / or the home folder)\n"
    "  --scale N      window N times the 640 x 240 screen (1..8; default: the last\n"
    "                 run's zoom, else 2; reduced to what the display holds)\n"
    "  --shot-at-exit FILE.png   the window's picture at exit\n"
    "  --help, --version\n"
    "ARGS go to Velmo (-sjistoeuc converts the record file to EUC-JP).\n";

int Usage(const char* why) {
  std::fprintf(stderr, "velmo: %s\n%s", why, kUsage);
  return kExitUsage;
}

// A desktop launcher starts programs in / or the home folder, which the user
// did not choose: Velmo then keeps its files in $XDG_DATA_HOME/velmo.
std::filesystem::path DefaultFolder() {
  std::error_code error;
  const std::filesystem::path here = std::filesystem::current_path(error);
  const char* home = std::getenv("HOME");
  const bool chosen = !error && here != "/" && !(home && *home && std::filesystem::equivalent(here, home, error));
  if (chosen || !home || !*home) return {};
  const char* data = std::getenv("XDG_DATA_HOME");
  const std::filesystem::path base = (data && *data == '/') ? std::filesystem::path(data)
                                                            : std::filesystem::path(home) / ".local/share";
  return base / "velmo";
}

bool EnterFolder(const char* chosen) {
  std::filesystem::path folder = chosen ? std::filesystem::path(chosen) : DefaultFolder();
  if (folder.empty()) return true;
  std::error_code error;
  if (!chosen) std::filesystem::create_directories(folder, error);
  if (chdir(folder.c_str()) == 0) return true;
  std::fprintf(stderr, "velmo: cannot work in %s\n", folder.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], SDL_BOX_OPTION) == 0) return SdlBox_Main(argv[2], argv[3]);
  SdlOptions options;
  const char* folder = nullptr;
  static char program[] = "velmo";
  std::vector<char*> appArgs{program};
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--") == 0) {
      for (++i; i < argc; ++i) appArgs.push_back(argv[i]);
    } else if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("%s\n", Notice_Banner());
      return 0;
    } else if (std::strcmp(argv[i], "--folder") == 0 && hasValue) {
      folder = argv[++i];
    } else if (std::strcmp(argv[i], "--scale") == 0 && hasValue) {
      if (!Scale_Read(argv[++i], options.scale)) return Usage("--scale wants a whole number from 1 to 8");
    } else if (std::strcmp(argv[i], "--shot-at-exit") == 0 && hasValue) {
      options.shotAtExit = argv[++i];
    } else if (std::strcmp(argv[i], "--test-keys") == 0 && hasValue) {
      options.testKeys = argv[++i];
    } else {
      return Usage("bad arguments");
    }
  }
  if (options.testKeys) {
    std::string error;
    if (!SdlTest_Load(options.testKeys, error)) {
      std::fprintf(stderr, "velmo: %s\n", error.c_str());
      return kExitUsage;
    }
  }
  if (!EnterFolder(folder)) return 1;
  options.appArgc = static_cast<int>(appArgs.size());
  appArgs.push_back(nullptr);
  options.appArgv = appArgs.data();
  options.appMain = Velmo_Main;
  options.icon = Title_Icon.data();
  return SdlHost_Run(options);
}
