// velmo-cli: command-line tools over Velmo's data files.
#include <cstdio>
#include <cstring>

#include "Cli.h"
#include "CliData.h"
#include "files/DataFolder.h"
#include "options/Options.h"

namespace {

struct CliCommand {
  const char* name;
  int (*run)(int argc, char** argv);
  const char* help;
};

// One row per command.
constexpr CliCommand kCommands[] = {
    {"agenda", Cli_Agenda, "agenda [--from YYYY-MM-DD] [--days N] [--label N] [--json]  the days' items"},
    {"search", Cli_Search, "search TEXT [-i] [--json]  entries holding TEXT, each with its first day"},
    {"upcoming", Cli_Upcoming, "upcoming [--within MINUTES] [--json]  today's schedules starting soon"},
    {"add", Cli_Add, "add schedule|task|holiday DATE[..DATE] [OPTIONS] TEXT  add one entry"},
    {"export-ics", Cli_ExportIcs, "export-ics [FILE]  every entry as iCalendar (standard output without FILE)"},
    {"import-ics", Cli_ImportIcs, "import-ics FILE [--dry-run] [--skip-inexact]  add the file's events and to-dos"},
    {"sync", Cli_Sync, "sync [--url URL] [--user NAME] [--dry-run] [--init HOW] [--force-delete]  with a CalDAV calendar"},
    {"dump", Cli_Dump, "dump [FILE]  the record file (or FILE) field by field"},
    {"where", Cli_Where, "where  the folder the commands work in"},
};

constexpr const char* kUsage = "usage: velmo-cli [--folder DIR] COMMAND [ARGS]   (or --help, --version)\n";

enum GlobalOption { OPT_FOLDER = 1, OPT_VERSION };
constexpr OptionRow kGlobal[] = {
    {OPT_FOLDER, "--folder", "DIR", "work in DIR"},
    {OPT_VERSION, "--version", nullptr, "the release"},
};

constexpr const char* kMore =
    "--json prints JSON Lines: one JSON object a line. COMMAND --help tells more.\n"
    "Exit status: 0 done, 1 no match, 2 usage, 3 damaged record file, 4 Velmo running,\n"
    "5 no record file, 6 not written, 7 no data folder (velmo-cli(1)).\n";

void Help(std::FILE* out) {
  std::fputs(kUsage, out);
  for (const CliCommand& c : kCommands) std::fprintf(out, "  %s\n", c.help);
  std::fputs(DATA_FOLDER_RULE, out);
  std::fputs(kMore, out);
}

int Usage(const char* why, const char* word) {
  std::fprintf(stderr, "velmo-cli: %s%s\n%s", why, word, kUsage);
  return CLI_EXIT_USAGE;
}

}  // namespace

int Cli_Where(int argc, char** argv) {
  OptionReader reader{argc, argv};
  OptionItem item;
  while (Options_Next(reader, {}, item)) {
    if (item.id == OPTION_HELP) {
      std::fputs("usage: velmo-cli [--folder DIR] where\n  prints the folder the commands work in\n", stdout);
      return CliData_Written();
    }
    return Options_Refuse("velmo-cli where", "takes no arguments", CLI_EXIT_USAGE);
  }
  if (reader.status != OPTIONS_END) return Options_Fail("velmo-cli where", reader, CLI_EXIT_USAGE);
  return CliData_PrintFolder() ? CliData_Written() : CLI_EXIT_NO_FOLDER;
}

int main(int argc, char** argv) {
  OptionReader reader{argc - 1, argv + 1};
  OptionItem item;
  while (Options_Next(reader, kGlobal, item)) {
    switch (item.id) {
      case OPTION_HELP: Help(stdout); return CliData_Written();
      case OPT_VERSION: std::printf("velmo-cli (Velmo) %s\n", VELMO_RELEASE); return CliData_Written();
      case OPT_FOLDER: CliData_SetFolderOption(item.value); break;
      default:
        for (const CliCommand& c : kCommands) {
          if (std::strcmp(item.value, c.name) == 0) return c.run(reader.argc - reader.next, reader.argv + reader.next);
        }
        return Usage("unknown command ", item.value);
    }
  }
  if (reader.status != OPTIONS_END) return Options_Fail("velmo-cli", reader, CLI_EXIT_USAGE);
  return Usage("no command", "");
}
