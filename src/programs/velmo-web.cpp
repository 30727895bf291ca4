// velmo-web: Velmo on a web page (velmo.js and velmo.wasm, loaded by
// index.html and page.js); the browser host handed the application's entry
// point. The page mounts the working folder, kept in the browser's storage,
// before main runs.
//
//   arguments (from the page's address): [--now YYYY-MM-DDTHH:MM]
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "host/web/WebHost.h"
#include "shell/Velmo.h"

namespace {

constexpr const char* kFolder = "/velmo";

// YYYY-MM-DDTHH:MM, the browser's local time.
bool SetNow(const char* text) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, used = 0;
  if (std::sscanf(text, "%4d-%2d-%2dT%2d:%2d%n", &y, &mo, &d, &h, &mi, &used) != 5 || text[used] != '\0') return false;
  return WebHost_SetNow(y, mo, d, h, mi);
}

}  // namespace

int main(int argc, char** argv) {
  const char* failure = nullptr;
  if (!WebHost_Install(&failure)) std::fprintf(stderr, "velmo: %s\n", failure);
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--now") == 0 && !SetNow(argv[i + 1])) {
      std::fprintf(stderr, "velmo: --now wants YYYY-MM-DDTHH:MM; the clock is the browser's\n");
    }
  }
  if (chdir(kFolder) != 0) std::fprintf(stderr, "velmo: no working folder %s\n", kFolder);
  static char program[] = "velmo";
  char* appArgs[] = {program, nullptr};
  const int status = Velmo_Main(1, appArgs);
  WebHost_Flush();
  WebHost_Ended(status);
  return status;
}
