// velmo: Velmo in a window on the desktop; the SDL host handed the
// application's entry point.
//
//   velmo [--scale N] [--shot-at-exit FILE.png] [-- ARGS...]
//
// ARGS go to the application (velmo -- -sjistoeuc). Exit status: the
// application's own; 1 when no window can be opened; 2 for bad options.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Velmo.h"
#include "host/sdl/SdlHost.h"
#include "host/sdl/SdlTest.h"

namespace {

constexpr int kExitUsage = 2;

int Usage(const char* why) {
  std::fprintf(stderr, "velmo: %s\nusage: velmo [--scale N] [--shot-at-exit FILE.png] [-- ARGS...]\n", why);
  return kExitUsage;
}

bool ReadScale(const char* text, int& scale) {
  char* end = nullptr;
  const long n = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || n < 1 || n > SDL_MAX_SCALE) return false;
  scale = static_cast<int>(n);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  SdlOptions options;
  static char program[] = "velmo";
  std::vector<char*> appArgs{program};
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--") == 0) {
      for (++i; i < argc; ++i) appArgs.push_back(argv[i]);
    } else if (std::strcmp(argv[i], "--scale") == 0 && hasValue) {
      if (!ReadScale(argv[++i], options.scale)) return Usage("--scale wants a whole number from 1 to 8");
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
  options.appArgc = static_cast<int>(appArgs.size());
  appArgs.push_back(nullptr);
  options.appArgv = appArgs.data();
  options.appMain = Velmo_Main;
  return SdlHost_Run(options);
}
