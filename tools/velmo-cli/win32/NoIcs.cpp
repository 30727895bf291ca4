// The iCalendar commands and the sync on Windows: they are built on libical
// (and the sync on libcurl and libxml2), which Debian provides for Linux only,
// so the Windows velmo-cli names them and stops.
#include <cstdio>

#include "Cli.h"

namespace {

int NoIcs(const char* command, const char* needs = "libical") {
  std::fprintf(stderr, "velmo-cli: %s is not in the Windows build (it needs %s)\n", command, needs);
  return 2;
}

}  // namespace

int Cli_ExportIcs(int, char**) { return NoIcs("export-ics"); }
int Cli_ImportIcs(int, char**) { return NoIcs("import-ics"); }
int Cli_Sync(int, char**) { return NoIcs("sync", "libical, libcurl and libxml2"); }
