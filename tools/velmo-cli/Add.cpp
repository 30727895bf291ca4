// velmo-cli add KIND DATE[..DATE] [--time HH:MM[-HH:MM]] [--repeat RULE]
// [--label N|NAME] [--rank N] TEXT...: adds one schedule, task or holiday,
// written as import-ics writes.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "CliData.h"
#include "Cli.h"
#include "Sjis.h"

namespace {

constexpr const char* kCommand = "add";
constexpr const char* kUsage =
    "usage: velmo-cli add schedule|task|holiday DATE[..DATE] [--time HH:MM[-HH:MM]]\n"
    "                     [--repeat RULE] [--label N|NAME] [--rank 1-9] TEXT...\n"
    "  DATE is YYYY-MM-DD; a repeating entry without ..DATE repeats to the last day Velmo knows.\n"
    "  RULE: daily[/N]  weekly[:mon,wed][/N]  monthly[/N]  monthly:2fri,lastfri[/N]\n"
    "        yearly[/N]  yearly:2mon[/N]   (/N: every Nth day, week, month or year)\n";
constexpr std::uint8_t kDefaultRank = 3;
constexpr const char* kDayNames[7] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};

struct AddArgs {
  EntryKind kind = KIND_SCHEDULE;
  DayNo start = DAY_NONE, end = DAY_NONE;
  bool timed = false;
  int startHour = 0, startMinute = 0, endHour = 0, endMinute = 0;
  RepeatType repeat = REPEAT_NONE;
  int interval = 1;
  std::uint8_t weekMask = 0, weekdayMask = 0;
  int label = 0;
  int rank = kDefaultRank;
  std::string text;  // UTF-8
};

bool Usage(const char* why) {
  std::fprintf(stderr, "velmo-cli %s: %s\n%s", kCommand, why, kUsage);
  return false;
}

int DayIndex(std::string_view name) {
  for (int i = 0; i < 7; ++i) {
    if (name == kDayNames[i]) return i;
  }
  return -1;
}

// "2fri", "lastfri": a week bit and a weekday bit.
bool ParseNumberedDay(std::string_view token, std::uint8_t& weeks, std::uint8_t& days) {
  std::uint8_t week = 0;
  if (token.rfind("last", 0) == 0) {
    week = WEEK_LAST;
    token.remove_prefix(4);
  } else if (!token.empty() && token[0] >= '1' && token[0] <= '4') {
    week = WeekBit(static_cast<std::uint16_t>(token[0] - '0'));
    token.remove_prefix(1);
  }
  const int day = DayIndex(token);
  if (week == 0 || day < 0) return false;
  weeks |= week;
  days |= WeekdayBit(static_cast<std::uint16_t>(day));
  return true;
}

// The listed days; numbered ones must be every listed week times every listed day.
bool ParseDays(std::string_view list, bool numbered, AddArgs& a) {
  unsigned tokens = 0;
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string_view token = list.substr(0, comma);
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    ++tokens;
    if (numbered) {
      if (!ParseNumberedDay(token, a.weekMask, a.weekdayMask)) return false;
      continue;
    }
    const int day = DayIndex(token);
    if (day < 0) return false;
    a.weekMask |= WeekdayBit(static_cast<std::uint16_t>(day));
  }
  if (!numbered) return tokens > 0;
  return tokens == static_cast<unsigned>(__builtin_popcount(a.weekMask) * __builtin_popcount(a.weekdayMask));
}

bool ParseRepeat(std::string_view rule, AddArgs& a) {
  const std::size_t slash = rule.find('/');
  if (slash != std::string_view::npos) {
    const std::string every(rule.substr(slash + 1));
    char* stop = nullptr;
    const long n = std::strtol(every.c_str(), &stop, 10);
    if (every.empty() || *stop != '\0' || n < 1 || n > 255) return false;
    a.interval = static_cast<int>(n);
    rule = rule.substr(0, slash);
  }
  const std::size_t colon = rule.find(':');
  const std::string_view base = rule.substr(0, colon);
  const std::string_view days = colon == std::string_view::npos ? std::string_view() : rule.substr(colon + 1);
  const bool listed = colon != std::string_view::npos;
  if (base == "daily" && !listed) a.repeat = REPEAT_DAYS;
  else if (base == "weekly") a.repeat = REPEAT_WEEKS;
  else if (base == "monthly") a.repeat = listed ? REPEAT_MONTH_WEEKDAY : REPEAT_MONTH_DAY;
  else if (base == "yearly") a.repeat = listed ? REPEAT_YEAR_WEEKDAY : REPEAT_YEAR_DAY;
  else return false;
  if (!listed) {
    if (a.repeat == REPEAT_WEEKS) a.weekMask = WeekdayBit(DayNo_Weekday(a.start));
    return true;
  }
  return ParseDays(days, a.repeat != REPEAT_WEEKS, a);
}

bool ParseKind(std::string_view word, AddArgs& a) {
  if (word == "schedule") a.kind = KIND_SCHEDULE;
  else if (word == "task") a.kind = KIND_TASK;
  else if (word == "holiday") a.kind = KIND_HOLIDAY;
  else return false;
  return true;
}

bool ParseRange(std::string_view text, AddArgs& a) {
  const std::size_t dots = text.find("..");
  if (!CliData_ParseDate(text.substr(0, dots), a.start)) return false;
  a.end = a.start;
  if (dots == std::string_view::npos) return true;
  return CliData_ParseDate(text.substr(dots + 2), a.end) && a.end >= a.start;
}

bool ParseTimes(std::string_view text, AddArgs& a) {
  const std::size_t dash = text.find('-');
  if (!CliData_ParseTime(text.substr(0, dash), a.startHour, a.startMinute)) return false;
  a.endHour = a.startHour;
  a.endMinute = a.startMinute;
  if (dash != std::string_view::npos && !CliData_ParseTime(text.substr(dash + 1), a.endHour, a.endMinute)) {
    return false;
  }
  a.timed = true;
  // Velmo reads an end of 00:00 as "no time"; a start at midnight runs to 24:00.
  if (a.endHour == 0 && a.endMinute == 0) a.endHour = 24;
  return a.endHour * 60 + a.endMinute >= a.startHour * 60 + a.startMinute && a.startHour < 24;
}

bool ParseArgs(int argc, char** argv, AddArgs& a) {
  if (argc < 3) return Usage("too few arguments");
  if (!ParseKind(argv[0], a)) return Usage("the kind is schedule, task or holiday");
  const std::string_view range = argv[1];
  if (!ParseRange(range, a)) return Usage("the date is YYYY-MM-DD or YYYY-MM-DD..YYYY-MM-DD, in order");
  const bool ranged = range.find("..") != std::string_view::npos;
  const char* repeat = nullptr;
  int i = 2;
  for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; i += 2) {
    const std::string_view option = argv[i];
    if (option == "--") {
      ++i;
      break;
    }
    if (i + 1 >= argc) return Usage("an option without its value");
    const char* value = argv[i + 1];
    if (option == "--time") {
      if (a.kind != KIND_SCHEDULE || !ParseTimes(value, a)) return Usage("--time is HH:MM or HH:MM-HH:MM, for a schedule");
    } else if (option == "--repeat") {
      repeat = value;
    } else if (option == "--label") {
      a.label = CliData_FindLabel(value);
      if (a.label < 0) return Usage("--label is 0..4 or a label's name");
    } else if (option == "--rank") {
      const std::string_view r = value;
      if (a.kind != KIND_TASK || r.size() != 1 || r[0] < '1' || r[0] > '9') return Usage("--rank is 1..9, for a task");
      a.rank = r[0] - '0';
    } else {
      return Usage("unknown option");
    }
  }
  if (repeat != nullptr) {
    if (a.kind == KIND_TASK) return Usage("tasks do not repeat");
    if (!ParseRepeat(repeat, a)) return Usage("the repeat rule is not one of the forms below");
    if (!ranged) a.end = DAY_OPEN_END;
  }
  if (a.kind == KIND_TASK && ranged) return Usage("a task has one date");
  for (; i < argc; ++i) a.text += std::string(a.text.empty() ? "" : " ") + argv[i];
  if (a.text.empty()) return Usage("no text");
  return true;
}

bool AddOne(void* context) {
  const AddArgs& a = *static_cast<const AddArgs*>(context);
  unsigned missing = 0;
  std::string text = Sjis_FromUtf8(a.text, missing);
  if (missing != 0) {
    std::fprintf(stderr, "velmo-cli %s: %u character(s) Shift-JIS lacks written as \xe3\x80\x93\n", kCommand, missing);
  }
  const std::size_t cut = Sjis_CutLength(text, cap::kEntryDialogText);
  if (cut < text.size()) {
    std::fprintf(stderr, "velmo-cli %s: text cut from %zu to %zu bytes\n", kCommand, text.size(), cut);
    text.resize(cut);
  }
  Entry* e = CliData_NewEntry(text, "");
  if (e == nullptr) return std::fputs("velmo-cli add: the entry store is full\n", stderr), false;
  e->kind = a.kind;
  e->label = static_cast<std::uint16_t>(a.label);
  e->startDay = a.start;
  e->endDay = a.kind == KIND_TASK ? DAY_OPEN_END : a.end;
  e->repeat = a.repeat;
  e->interval = static_cast<std::uint8_t>(a.repeat != REPEAT_NONE ? a.interval : 0);
  e->weekMask = a.weekMask;
  e->weekdayMask = a.weekdayMask;
  if (a.kind == KIND_TASK) e->rank = static_cast<std::uint8_t>(a.rank);
  if (a.kind == KIND_SCHEDULE && a.timed) {
    e->startHour = static_cast<std::uint8_t>(a.startHour);
    e->startMinute = static_cast<std::uint8_t>(a.startMinute);
    e->endHour = static_cast<std::uint8_t>(a.endHour);
    e->endMinute = static_cast<std::uint8_t>(a.endMinute);
  }
  if (!Store_Register(e)) return std::fputs("velmo-cli add: the entry table is full\n", stderr), false;
  Store_Invalidate();
  std::printf("added %s %s %s\n", CliData_KindWord(e->kind), CliData_DateText(e->startDay).c_str(),
              CliData_Text(*e).c_str());
  return true;
}

}  // namespace

int Cli_Add(int argc, char** argv) {
  if (!CliData_TakeNow(argc, argv, kCommand)) return 2;
  AddArgs args;
  if (argc == 1 && std::strcmp(argv[0], "--help") == 0) return std::fputs(kUsage, stdout), 0;
  if (!ParseArgs(argc, argv, args)) return 2;
  const int status = CliData_Write(kCommand, AddOne, &args);
  Store_Shutdown();
  return status;
}
