// velmo-cli upcoming [--within MINUTES] [--json]: today's schedules that
// start in the next MINUTES minutes (default 15): after this minute and at
// most MINUTES later, so that a job run every MINUTES minutes tells of each
// schedule once, MINUTES minutes ahead when the times line up. Reads the time
// through the data layer's clock.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Cli.h"
#include "CliData.h"
#include "Sjis.h"
#include "options/Options.h"
#include "store/MonthRec.h"

namespace {

constexpr const char* kCommand = "upcoming";
constexpr const char* kProgram = "velmo-cli upcoming";
constexpr const char* kUsage = "usage: velmo-cli upcoming [--within MINUTES] [--json]\n";
enum UpcomingOption { OPT_WITHIN = 1, OPT_JSON };
constexpr OptionRow kOptions[] = {
    {OPT_WITHIN, "--within", "MINUTES", "the next MINUTES minutes, 1..1440 (default 15)"},
    {OPT_JSON, "--json", nullptr, "JSON Lines: one object a line"},
};
constexpr const char* kTail =
    "Lists today's schedules with a start time after this minute and at most\n"
    "MINUTES minutes ahead: run every N minutes with --within N, it tells of\n"
    "each schedule once.\n";
constexpr long kDefaultWithin = 15;
constexpr long kMaxWithin = 24 * 60;

std::string Line(const Entry& e, DayNo day, int minutesUntil, bool json) {
  const std::string start = CliData_TimeText(e.startHour, e.startMinute);
  const bool hasEnd = e.kind == KIND_SCHEDULE && (e.endHour != e.startHour || e.endMinute != e.startMinute);
  const std::string end = hasEnd ? CliData_TimeText(e.endHour, e.endMinute) : "";
  if (!json) return start + (hasEnd ? "-" + end : "") + " " + CliData_Text(e) + "\n";
  std::string out = "{\"date\":\"" + CliData_DateText(day) + "\",\"start\":\"" + start + "\"";
  if (hasEnd) out += ",\"end\":\"" + end + "\"";
  out += ",\"minutesUntil\":" + std::to_string(minutesUntil) + ",\"label\":" + std::to_string(e.label) + ",\"text\":";
  Sjis_AppendJson(out, Sjis_ToUtf8(e.textLen != 0 ? std::string_view(e.text, e.textLen) : ""));
  return out + "}\n";
}

// False when the command ends here (--help, or a fault told) with status.
bool ParseArgs(int argc, char** argv, long& within, bool& json, int& status) {
  OptionReader reader{argc, argv};
  OptionItem item;
  while (Options_Next(reader, kOptions, item)) {
    char* stop = nullptr;
    switch (item.id) {
      case OPTION_HELP:
        Options_PrintHelp(stdout, kUsage, kOptions, kTail);
        return status = CliData_Written(), false;
      case OPT_JSON: json = true; break;
      case OPT_WITHIN:
        within = std::strtol(item.value, &stop, 10);
        if (*item.value != '\0' && *stop == '\0' && within >= 1 && within <= kMaxWithin) break;
        status = Options_Refuse(kProgram, "--within wants a whole number of minutes from 1 to 1440", CLI_EXIT_USAGE);
        return false;
      default: return status = Options_Refuse(kProgram, "takes no TEXT", CLI_EXIT_USAGE), false;
    }
  }
  status = Options_Fail(kProgram, reader, CLI_EXIT_USAGE);
  return reader.status == OPTIONS_END;
}

}  // namespace

int Cli_Upcoming(int argc, char** argv) {
  if (!CliData_TakeNow(argc, argv, kCommand)) return CLI_EXIT_USAGE;
  long within = kDefaultWithin;
  bool json = false;
  if (int status = CLI_EXIT_OK; !ParseArgs(argc, argv, within, json, status)) return status;
  if (const int status = CliData_Read(kCommand); status != CLI_EXIT_OK) return status;
  std::uint16_t y, m, d;
  std::uint8_t hour, minute;
  const DayNo today = Date_Now(y, m, d, hour, minute);
  const int now = hour * 60 + minute;
  MonthNo month;
  std::uint16_t mday;
  DayNo_ToMonthNo(today, month, mday);
  const MonthRec& rec = MonthRec_GetByMonthNo(month);
  for (std::uint16_t i = 0; i < rec.count[mday]; ++i) {
    const Entry& e = *rec.list[mday][i];
    if (!CliData_HasTimes(e)) continue;
    const int until = e.startHour * 60 + e.startMinute - now;
    if (until < 1 || until > within) continue;
    const std::string line = Line(e, today, until, json);
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  Store_Shutdown();
  return CliData_Written();
}
