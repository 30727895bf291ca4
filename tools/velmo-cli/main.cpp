// velmo-cli: command-line tools over Velmo's data files.
#include <cstdio>
#include <cstring>

#include "Cli.h"

namespace {

struct CliCommand {
  const char* name;
  int (*run)(int argc, char** argv);
  const char* help;
};

// One row per command.
constexpr CliCommand kCommands[] = {
    {"dump", Cli_Dump, "dump [FILE]      print the record file (default \"record\") as JSON Lines"},
    {"agenda", Cli_Agenda, "agenda [--from YYYY-MM-DD] [--days N] [--json] [--label N]  the days' items"},
    {"export-ics", Cli_ExportIcs, "export-ics [FILE]  every entry as iCalendar (standard output without FILE)"},
    {"import-ics", Cli_ImportIcs, "import-ics FILE [--dry-run] [--skip-inexact]  add the file's events and to-dos"},
    {"add", Cli_Add, "add schedule|task|holiday DATE[..DATE] [OPTIONS] TEXT  add one entry (add --help)"},
    {"search", Cli_Search, "search TEXT [--json]  entries holding TEXT, each with its first day"},
    {"upcoming", Cli_Upcoming, "upcoming [--within MINUTES] [--json]  today's schedules starting soon"},
};

int Usage(std::FILE* out = stderr, int status = 2) {
  std::fprintf(out, "usage: velmo-cli COMMAND [ARGS]   (or --help, --version)\n");
  for (const CliCommand& c : kCommands) std::fprintf(out, "  %s\n", c.help);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  if (std::strcmp(argv[1], "--help") == 0) return Usage(stdout, 0);
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("velmo-cli (Velmo) %s\n", VELMO_RELEASE);
    return 0;
  }
  for (const CliCommand& c : kCommands) {
    if (std::strcmp(argv[1], c.name) == 0) return c.run(argc - 2, argv + 2);
  }
  return Usage();
}
