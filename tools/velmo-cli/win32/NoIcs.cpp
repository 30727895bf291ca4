// The iCalendar commands on Windows: they are built on libical, which Debian
// provides for Linux only, so the Windows velmo-cli names them and stops.
#include <cstdio>

#include "Cli.h"

namespace {

int NoIcs(const char* command) {
  std::fprintf(stderr, "velmo-cli: %s is not in the Windows build (it needs libical)\n", command);
  return 2;
}

}  // namespace

int Cli_ExportIcs(int, char**) { return NoIcs("export-ics"); }
int Cli_ImportIcs(int, char**) { return NoIcs("import-ics"); }
