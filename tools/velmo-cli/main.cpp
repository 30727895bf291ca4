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
