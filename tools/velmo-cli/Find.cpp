// velmo-cli search TEXT [-i] [--json]: every entry holding TEXT, by the
// in-program search's rules (a match starts on a character boundary; an entry
// that never occurs is passed over), in table order, each with its first
// day. Exit status 1 when nothing matches.
#include <cstdio>
#include <string>

#include "Cli.h"
#include "CliData.h"
#include "Sjis.h"
#include "options/Options.h"
#include "store/Find.h"

namespace {

constexpr const char* kCommand = "search";
constexpr const char* kProgram = "velmo-cli search";
constexpr const char* kUsage = "usage: velmo-cli search TEXT [-i] [--json]\n";
enum SearchOption { OPT_JSON = 1, OPT_IGNORE_CASE };
constexpr OptionRow kOptions[] = {
    {OPT_IGNORE_CASE, "-i", nullptr, "A and a alike, full-width Ａ and ａ too"},
    {OPT_JSON, "--json", nullptr, "JSON Lines: one object a line"},
};
constexpr const char* kTail =
    "Prints each entry holding TEXT with its first day; status 1 when none does.\n";

std::string Line(const Entry& e, DayNo day, bool json) {
  if (!json) {
    return CliData_DateText(day) + " " + CliData_KindWord(e.kind) + " [" +
           Sjis_ToUtf8(CliData_LabelName(e.label)) + "] " + CliData_Text(e) + "\n";
  }
  std::string out = "{\"date\":\"" + CliData_DateText(day) + "\",\"dayNo\":" + std::to_string(day) +
                    ",\"kind\":" + std::to_string(e.kind) + ",\"label\":" + std::to_string(e.label) + ",\"text\":";
  Sjis_AppendJson(out, Sjis_ToUtf8(e.textLen != 0 ? std::string_view(e.text, e.textLen) : ""));
  return out + "}\n";
}

}  // namespace

int Cli_Search(int argc, char** argv) {
  const char* text = nullptr;
  bool json = false;
  FindCase match = FIND_EXACT;
  OptionReader reader{argc, argv};
  OptionItem item;
  while (Options_Next(reader, kOptions, item)) {
    switch (item.id) {
      case OPTION_HELP: Options_PrintHelp(stdout, kUsage, kOptions, kTail); return CliData_Written();
      case OPT_JSON: json = true; break;
      case OPT_IGNORE_CASE: match = FIND_IGNORE_CASE; break;
      default:
        if (text != nullptr)
          return Options_Refuse(kProgram, "one TEXT only (quote a text with blanks)", CLI_EXIT_USAGE);
        text = item.value;
    }
  }
  if (reader.status != OPTIONS_END) return Options_Fail(kProgram, reader, CLI_EXIT_USAGE);
  if (text == nullptr) return Options_Refuse(kProgram, "no TEXT to search for", CLI_EXIT_USAGE);
  unsigned missing = 0;
  const std::string sjis = Sjis_FromUtf8(text, missing);
  if (const int status = CliData_Read(kCommand); status != CLI_EXIT_OK) return status;
  unsigned hits = 0;
  std::uint16_t pos = Store_First();
  while (const Entry* e = Store_Next(pos)) {
    if (e->kind == KIND_DELETED || !Find_TextContains(*e, sjis.data(), static_cast<int>(sjis.size()), match))
      continue;
    const DayNo day = Entry_FirstDay(*e);
    if (day == DAY_NONE) continue;
    const std::string line = Line(*e, day, json);
    std::fwrite(line.data(), 1, line.size(), stdout);
    ++hits;
  }
  Store_Shutdown();
  if (const int status = CliData_Written(); status != CLI_EXIT_OK) return status;
  // A character Shift-JIS lacks is in no entry.
  return hits != 0 && missing == 0 ? CLI_EXIT_OK : CLI_EXIT_NO_MATCH;
}
