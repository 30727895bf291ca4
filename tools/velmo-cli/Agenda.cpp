// velmo-cli agenda [--from YYYY-MM-DD] [--days N] [--json] [--label N]: the
// occurrences of a run of days as Velmo shows them, from the working
// directory's continuation, label and record files. Writes no file.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "Cli.h"
#include "Sjis.h"
#include "calendar/Date.h"
#include "files/Record.h"
#include "files/Settings.h"
#include "store/Label.h"
#include "store/MonthRec.h"
#include "store/Store.h"

namespace {

constexpr const char* kUsage =
    "usage: velmo-cli agenda [--from YYYY-MM-DD] [--days N] [--json] [--label N]\n";
constexpr long kDefaultDays = 7;
constexpr long kLabelSelections = 5;  // 0 all .. 5 custom

struct AgendaArgs {
  DayNo from = DAY_NONE;  // none: today
  long days = kDefaultDays;
  bool json = false;
  long label = -1;  // -1: the saved selection
};

// A whole decimal number within [low, high]; false for anything else.
bool ParseNumber(const char* text, long low, long high, long& out) {
  if (text == nullptr || *text == '\0' || std::strlen(text) > 6) return false;
  long value = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    value = value * 10 + (*p - '0');
  }
  if (value < low || value > high) return false;
  out = value;
  return true;
}

bool ParseDigits(std::string_view text, long& out) {
  out = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    out = out * 10 + (c - '0');
  }
  return !text.empty();
}

// YYYY-MM-DD between 1 January 1900 and 5 June 2079.
bool ParseDate(const char* text, DayNo& out) {
  if (text == nullptr) return false;
  const std::string_view s(text);
  long y, m, d;
  if (s.size() != 10 || s[4] != '-' || s[7] != '-' || !ParseDigits(s.substr(0, 4), y) ||
      !ParseDigits(s.substr(5, 2), m) || !ParseDigits(s.substr(8, 2), d)) {
    return false;
  }
  if (y < DATE_FIRST_YEAR || y > DATE_LAST_YEAR || m < 1 || m > 12) return false;
  const auto year = static_cast<std::uint16_t>(y), month = static_cast<std::uint16_t>(m);
  if (d < 1 || d > Date_MonthLength(year, month)) return false;
  const std::uint32_t first = Date_ToDayNo(year, 1, 1);
  // Days after 5 June 2079 wrap around; reject them rather than read them as 1900.
  const DayNo day = Date_ToDayNo(year, month, static_cast<std::uint16_t>(d));
  if (day == DAY_NONE || (y == DATE_LAST_YEAR && day < first)) return false;
  out = day;
  return true;
}

bool ParseArgs(int argc, char** argv, AgendaArgs& args) {
  for (int i = 0; i < argc; ++i) {
    const char* a = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (std::strcmp(a, "--json") == 0) {
      args.json = true;
    } else if (std::strcmp(a, "--from") == 0) {
      if (!ParseDate(value, args.from)) return false;
      ++i;
    } else if (std::strcmp(a, "--days") == 0) {
      if (!ParseNumber(value, 1, DAY_OPEN_END, args.days)) return false;
      ++i;
    } else if (std::strcmp(a, "--label") == 0) {
      if (!ParseNumber(value, 0, kLabelSelections, args.label)) return false;
      ++i;
    } else {
      return false;
    }
  }
  return true;
}

std::string DateText(DayNo day) {
  std::uint16_t y, m, d;
  DayNo_ToDate(day, y, m, d);
  char text[24];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u", unsigned{y}, unsigned{m}, unsigned{d});
  return text;
}

std::string_view EntryText(const Entry& e) {
  return e.text != nullptr && e.textLen != 0 ? std::string_view(e.text, e.textLen) : std::string_view();
}

bool HasStart(const Entry& e) { return e.kind == KIND_TIMED || e.kind == KIND_SCHEDULE; }

void JsonNumber(std::string& out, const char* key, unsigned value) {
  out += ",\"";
  out += key;
  out += "\":";
  out += std::to_string(value);
}

void JsonItem(std::string& out, const Entry& e) {
  out += "{\"kind\":" + std::to_string(e.kind) + ",\"label\":" + std::to_string(e.label);
  out += ",\"text\":";
  Sjis_AppendJson(out, Sjis_ToUtf8(EntryText(e)));
  if (HasStart(e)) {
    JsonNumber(out, "startHour", e.startHour);
    JsonNumber(out, "startMinute", e.startMinute);
  }
  if (e.kind == KIND_SCHEDULE) {
    JsonNumber(out, "endHour", e.endHour);
    JsonNumber(out, "endMinute", e.endMinute);
  }
  if (e.kind == KIND_TASK) {
    JsonNumber(out, "rank", e.rank);
    out += e.doneLen != 0 ? ",\"done\":true" : ",\"done\":false";
  }
  out += '}';
}

std::string JsonDay(DayNo day, const MonthRec& rec, std::uint16_t mday) {
  std::string out = "{\"date\":\"" + DateText(day) + "\",\"dayNo\":" + std::to_string(day);
  out += rec.holiday[mday] ? ",\"holiday\":true" : ",\"holiday\":false";
  out += ",\"items\":[";
  for (std::uint16_t i = 0; i < rec.count[mday]; ++i) {
    if (i > 0) out += ',';
    JsonItem(out, *rec.list[mday][i]);
  }
  out += "]}\n";
  return out;
}

const char* KindWord(EntryKind kind) {
  switch (kind) {
    case KIND_HOLIDAY: return "holiday ";
    case KIND_TIMED: return "timed   ";
    case KIND_SCHEDULE: return "schedule";
    case KIND_TASK: return "task    ";
    default: return "other   ";
  }
}

std::string Clock(unsigned hour, unsigned minute) {
  char text[24];
  std::snprintf(text, sizeof text, "%02u:%02u", hour % 100, minute % 100);
  return text;
}

// The label's name without the blanks that centre it.
std::string LabelText(std::uint16_t label) {
  std::string_view name = Label_Name(label);
  while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  if (name.empty()) return std::to_string(label);
  return Sjis_ToUtf8(name);
}

// One line per item: line feeds of the text become " / ".
std::string OneLine(std::string_view sjis) {
  std::string text = Sjis_ToUtf8(sjis);
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += " / ";
    } else if (c != '\r') {
      out += c;
    }
  }
  return out;
}

std::string PlainItem(const Entry& e) {
  std::string out = "  ";
  out += KindWord(e.kind);
  if (e.kind == KIND_TIMED) out.append(" ").append(Clock(e.startHour, e.startMinute));
  // A schedule without an end time has no time at all, as the views show it.
  const bool timed = e.endHour != 0 || e.endMinute != 0;
  if (e.kind == KIND_SCHEDULE && timed) {
    out.append(" ").append(Clock(e.startHour, e.startMinute));
    if (e.startHour != e.endHour || e.startMinute != e.endMinute) {
      out.append("-").append(Clock(e.endHour, e.endMinute));
    }
  }
  if (e.kind == KIND_TASK) {
    out += " rank " + std::to_string(e.rank) + (e.doneLen != 0 ? " done" : " open");
  }
  out += " [" + LabelText(e.label) + "] " + OneLine(EntryText(e)) + "\n";
  return out;
}

std::string PlainDay(DayNo day, const MonthRec& rec, std::uint16_t mday) {
  std::string out = DateText(day) + " (" + Sjis_ToUtf8(WeekdayName[DayNo_Weekday(day)]) + ")";
  if (rec.holiday[mday]) out += " holiday";
  out += '\n';
  for (std::uint16_t i = 0; i < rec.count[mday]; ++i) out += PlainItem(*rec.list[mday][i]);
  return out;
}

// Start-up as Velmo does it, reading only.
void LoadData(const AgendaArgs& args) {
  Store_Init();
  Settings_Load();
  Label_InitNames();
  Label_LoadFile(Settings_LabelPath());
  if (args.label >= 0) Settings_Get().cursor.currentLabel = static_cast<std::uint16_t>(args.label);
  Settings_ApplyLabels();
  if (!Record_Load() && Record_LastLoad().stop != RECORD_MISSING) {
    const RecordLoadInfo& info = Record_LastLoad();
    std::fprintf(stderr, "velmo-cli agenda: %s: stopped at byte %u (%s); showing what loaded\n",
                 Record_Path(), unsigned{info.stopOffset}, Record_StopText(info.stop));
  }
}

}  // namespace

int Cli_Agenda(int argc, char** argv) {
  AgendaArgs args;
  if (!ParseArgs(argc, argv, args)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  LoadData(args);
  const DayNo from = args.from != DAY_NONE ? args.from : Settings_Get().today.day;
  const long last = long{from} + args.days - 1;
  if (last > DAY_OPEN_END) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  for (long n = from; n <= last; ++n) {
    const auto day = static_cast<DayNo>(n);
    MonthNo m;
    std::uint16_t mday;
    DayNo_ToMonthNo(day, m, mday);
    const MonthRec& rec = MonthRec_GetByMonthNo(m);
    const std::string text = args.json ? JsonDay(day, rec, mday) : PlainDay(day, rec, mday);
    std::fwrite(text.data(), 1, text.size(), stdout);
  }
  Store_Shutdown();
  return std::fflush(stdout) == 0 ? 0 : 1;
}
