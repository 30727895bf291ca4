// velmo-cli add KIND DATE[..DATE] [--time HH:MM[-HH:MM]] [--repeat RULE]
// [--label N|NAME] [--rank N] TEXT...: adds one schedule, task or holiday,
// written as import-ics writes.
#include <cstdio>
#include <string>
#include <string_view>

#include "Cli.h"
#include "CliData.h"
#include "Sjis.h"
#include "options/Options.h"

namespace {

constexpr const char* kCommand = "add";
constexpr const char* kUsage =
    "usage: velmo-cli add schedule|task|holiday DATE[..DATE] [--time HH:MM[-HH:MM]]\n"
    "                     [--repeat RULE] [--label N|NAME] [--rank 1-9] [--] TEXT...\n";
constexpr const char* kTail =
    "DATE is YYYY-MM-DD, in the years 1970 to 2050 that Velmo's dialogs take; a\n"
    "repeating entry without ..DATE repeats to the last day Velmo knows.\n"
    "RULE: daily[/N]  weekly[:mon,wed][/N]  monthly[/N]  monthly:2fri,lastfri[/N]\n"
    "      yearly[/N]  yearly:2mon[/N]   (/N: every Nth day, week, month or year)\n"
    "Words after -- are text even when they begin with '-'. Prints what was\n"
    "written (\"added ...\") once the record file is saved.\n";
enum AddOption { OPT_TIME = 1, OPT_REPEAT, OPT_LABEL, OPT_RANK };
constexpr OptionRow kOptions[] = {
    {OPT_TIME, "--time", "HH:MM[-HH:MM]", "a schedule's start and end"},
    {OPT_REPEAT, "--repeat", "RULE", "a schedule or holiday repeats (below)"},
    {OPT_LABEL, "--label", "N|NAME", "label 0..4, or a label's name"},
    {OPT_RANK, "--rank", "1-9", "a task's rank (default 3)"},
};
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
  std::string added;  // what is told once it is written
};

bool Usage(const std::string& why) {
  std::fprintf(stderr, "velmo-cli %s: %s\n%s", kCommand, why.c_str(), kUsage);
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

// On false, why says what is wrong.
bool ParseRange(std::string_view text, AddArgs& a, std::string& why) {
  const std::size_t dots = text.find("..");
  if (!CliData_ParseDate(text.substr(0, dots), a.start, &why) || !CliData_DialogDate(a.start, &why)) return false;
  a.end = a.start;
  if (dots == std::string_view::npos) return true;
  if (!CliData_ParseDate(text.substr(dots + 2), a.end, &why) || !CliData_DialogDate(a.end, &why)) return false;
  why = std::string(text) + ": the last day is before the first";
  return a.end >= a.start;
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

// One option's value into a; false (told) when it is refused.
bool TakeOption(const OptionItem& item, AddArgs& a, const char*& repeat) {
  const std::string_view value = item.value;
  switch (item.id) {
    case OPT_TIME:
      return (a.kind == KIND_SCHEDULE && ParseTimes(value, a)) ||
             Usage("--time is HH:MM or HH:MM-HH:MM, for a schedule");
    case OPT_REPEAT: repeat = item.value; return true;
    case OPT_LABEL:
      a.label = CliData_FindLabel(value);
      return a.label >= 0 || Usage("--label is 0..4 or a label's name");
    case OPT_RANK:
      if (a.kind != KIND_TASK || value.size() != 1 || value[0] < '1' || value[0] > '9')
        return Usage("--rank is 1..9, for a task");
      a.rank = value[0] - '0';
      return true;
    default: return false;
  }
}

// False when the command ends here (--help, or a fault told) with status.
bool ParseArgs(int argc, char** argv, AddArgs& a, int& status) {
  OptionReader reader{argc, argv};
  OptionItem item;
  const char* repeat = nullptr;
  const char* range = nullptr;
  int operands = 0;
  std::string why;
  status = CLI_EXIT_USAGE;
  while (Options_Next(reader, kOptions, item)) {
    if (item.id == OPTION_HELP) {
      Options_PrintHelp(stdout, kUsage, kOptions, kTail);
      return status = CliData_Written(), false;
    }
    if (item.id != OPTION_OPERAND) {
      // The kind comes first: --time and --rank depend on it.
      if (operands == 0) return Usage("the kind (schedule, task or holiday) comes first");
      if (!TakeOption(item, a, repeat)) return false;
      continue;
    }
    if (operands == 0 && !ParseKind(item.value, a))
      return Usage(std::string("the kind is schedule, task or holiday, not ") + item.value);
    if (operands == 1 && !ParseRange(range = item.value, a, why)) return Usage(why);
    if (operands >= 2) a.text += std::string(a.text.empty() ? "" : " ") + item.value;
    ++operands;
  }
  if (reader.status != OPTIONS_END) return Options_Fail("velmo-cli add", reader, CLI_EXIT_USAGE), false;
  if (operands < 2) return Usage("too few arguments");
  const bool ranged = std::string_view(range).find("..") != std::string_view::npos;
  if (repeat != nullptr) {
    if (a.kind == KIND_TASK) return Usage("tasks do not repeat");
    if (!ParseRepeat(repeat, a)) return Usage("the repeat rule is not one of the forms of add --help");
    if (!ranged) a.end = DAY_OPEN_END;
  }
  if (a.kind == KIND_TASK && ranged) return Usage("a task has one date");
  if (a.text.empty()) return Usage("no text");
  return true;
}

bool AddOne(void* context) {
  AddArgs& a = *static_cast<AddArgs*>(context);
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
  a.added = std::string("added ") + CliData_KindWord(e->kind) + " " + CliData_DateText(e->startDay) + " " +
            CliData_Text(*e) + "\n";
  return true;
}

}  // namespace

int Cli_Add(int argc, char** argv) {
  if (!CliData_TakeNow(argc, argv, kCommand)) return CLI_EXIT_USAGE;
  AddArgs args;
  if (int status = CLI_EXIT_OK; !ParseArgs(argc, argv, args, status)) return status;
  const int status = CliData_Write(kCommand, AddOne, &args);
  Store_Shutdown();
  if (status != CLI_EXIT_OK) return status;
  // Told only once it is on disk.
  std::fputs(args.added.c_str(), stdout);
  return CliData_Written();
}
