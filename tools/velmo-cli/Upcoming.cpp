// velmo-cli upcoming [--within MINUTES] [--json]: today's schedules that
// start from now on and less than MINUTES (default 15) later, for a cron job
// or a desktop notifier. Reads the time through the data layer's clock.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "CliData.h"
#include "Cli.h"
#include "Sjis.h"
#include "store/MonthRec.h"

namespace {

constexpr const char* kCommand = "upcoming";
constexpr const char* kUsage = "usage: velmo-cli upcoming [--within MINUTES] [--json]\n";
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

bool ParseArgs(int argc, char** argv, long& within, bool& json) {
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--json") == 0) {
      json = true;
    } else if (std::strcmp(argv[i], "--within") == 0 && i + 1 < argc) {
      char* stop = nullptr;
      within = std::strtol(argv[++i], &stop, 10);
      if (*argv[i] == '\0' || *stop != '\0' || within < 1 || within > kMaxWithin) return false;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int Cli_Upcoming(int argc, char** argv) {
  if (!CliData_TakeNow(argc, argv, kCommand)) return 2;
  long within = kDefaultWithin;
  bool json = false;
  if (!ParseArgs(argc, argv, within, json)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (!CliData_Load(kCommand)) return 1;
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
    if (until < 0 || until >= within) continue;
    const std::string line = Line(e, today, until, json);
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  Store_Shutdown();
  return std::fflush(stdout) == 0 ? 0 : 1;
}
