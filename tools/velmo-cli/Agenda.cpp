// velmo-cli agenda [--from YYYY-MM-DD] [--days N] [--label N] [--json]: the
// occurrences of a run of days as Velmo shows them, from the data folder's
// continuation, label and record files. Writes no file.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <memory>

#include "Cli.h"
#include "CliData.h"
#include "Sjis.h"
#include "calendar/Date.h"
#include "files/Settings.h"
#include "options/Options.h"
#include "store/Label.h"
#include "store/MonthRec.h"
#include "store/Store.h"

namespace {

constexpr const char* kCommand = "agenda";
constexpr const char* kProgram = "velmo-cli agenda";
constexpr const char* kUsage = "usage: velmo-cli agenda [--from YYYY-MM-DD] [--days N] [--label N] [--json]\n";
constexpr long kDefaultDays = 7;
constexpr long kLabelSelections = LABEL_CUSTOM;  // 0 all .. 5 custom

enum AgendaOption { OPT_FROM = 1, OPT_DAYS, OPT_LABEL, OPT_JSON };
constexpr OptionRow kOptions[] = {
    {OPT_FROM, "--from", "YYYY-MM-DD", "the first day (default today)"},
    {OPT_DAYS, "--days", "N", "how many days (default 7)"},
    {OPT_LABEL, "--label", "N", "labels shown: 0 all, 1..4 one, 5 the custom set (default: as saved)"},
    {OPT_JSON, "--json", nullptr, "JSON Lines: one object a day"},
};
constexpr const char* kTail = "Prints the days' items as Velmo shows them; writes no file.\n";

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

bool Refuse(const std::string& why, int& status) {
  status = Options_Refuse(kProgram, why.c_str(), CLI_EXIT_USAGE);
  std::fputs(kUsage, stderr);
  return false;
}

// False when the command ends here (--help, or a fault told) with status.
bool ParseArgs(int argc, char** argv, AgendaArgs& args, int& status) {
  OptionReader reader{argc, argv};
  OptionItem item;
  std::string why;
  while (Options_Next(reader, kOptions, item)) {
    switch (item.id) {
      case OPTION_HELP:
        Options_PrintHelp(stdout, kUsage, kOptions, kTail);
        return status = CliData_Written(), false;
      case OPT_JSON: args.json = true; break;
      case OPT_FROM:
        if (!CliData_ParseDate(item.value, args.from, &why)) return Refuse("--from " + why, status);
        break;
      case OPT_DAYS:
        if (!ParseNumber(item.value, 1, DAY_OPEN_END, args.days)) return Refuse("--days wants 1..65535", status);
        break;
      case OPT_LABEL:
        if (!ParseNumber(item.value, 0, kLabelSelections, args.label)) return Refuse("--label wants 0..5", status);
        break;
      default: return Refuse(std::string("takes no word ") + item.value, status);
    }
  }
  if (reader.status == OPTIONS_END) return true;
  status = Options_Fail(kProgram, reader, CLI_EXIT_USAGE);
  std::fputs(kUsage, stderr);
  return false;
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
  std::string out = "{\"date\":\"" + CliData_DateText(day) + "\",\"dayNo\":" + std::to_string(day);
  out += rec.holiday[mday] ? ",\"holiday\":true" : ",\"holiday\":false";
  out += ",\"items\":[";
  for (std::uint16_t i = 0; i < rec.count[mday]; ++i) {
    if (i > 0) out += ',';
    JsonItem(out, *rec.list[mday][i]);
  }
  out += "]}\n";
  return out;
}

// All of stdout goes through this one buffer.
class Output {
 public:
  // Room for n more bytes; false when the output cannot be written.
  char* Reserve(std::size_t n) {
    if (used_ + n > sizeof buffer_ && !Flush()) return nullptr;
    if (n > sizeof buffer_) return nullptr;
    return buffer_ + used_;
  }
  void Commit(char* end) { used_ = static_cast<std::size_t>(end - buffer_); }
  void Append(std::string_view text) {
    while (!text.empty()) {
      const std::size_t n = std::min(text.size(), sizeof buffer_ / 2);
      char* at = Reserve(n);
      if (at == nullptr) return;
      std::memcpy(at, text.data(), n);
      Commit(at + n);
      text.remove_prefix(n);
    }
  }
  bool Flush() {
    if (used_ != 0 && std::fwrite(buffer_, 1, used_, stdout) != used_) failed_ = true;
    used_ = 0;
    return !failed_;
  }

 private:
  char buffer_[1 << 16];
  std::size_t used_ = 0;
  bool failed_ = false;
};

Output output;

char* Put(char* at, std::string_view text) {
  std::memcpy(at, text.data(), text.size());
  return at + text.size();
}

char* PutTwoDigits(char* at, unsigned v) {
  at[0] = static_cast<char>('0' + v / 10 % 10);
  at[1] = static_cast<char>('0' + v % 10);
  return at + 2;
}

char* PutNumber(char* at, unsigned v) {
  char digits[10];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  while (n > 0) *at++ = digits[--n];
  return at;
}

// YYYY-MM-DD
char* PutDate(char* at, DayNo day) {
  std::uint16_t y, m, d;
  DayNo_ToDate(day, y, m, d);
  at = PutTwoDigits(at, y / 100u);
  at = PutTwoDigits(at, y % 100u);
  *at++ = '-';
  at = PutTwoDigits(at, m);
  *at++ = '-';
  return PutTwoDigits(at, d);
}

char* PutClock(char* at, unsigned hour, unsigned minute) {
  at = PutTwoDigits(at, hour % 100);
  *at++ = ':';
  return PutTwoDigits(at, minute % 100);
}

constexpr std::string_view KindWord(EntryKind kind) {
  switch (kind) {
    case KIND_HOLIDAY: return "holiday ";
    case KIND_TIMED: return "timed   ";
    case KIND_SCHEDULE: return "schedule";
    case KIND_TASK: return "task    ";
    default: return "other   ";
  }
}

// The label's name without the blanks that centre it.
std::string LabelText(std::uint16_t label) {
  std::string_view name = Label_Name(label);
  while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  if (name.empty()) return std::to_string(label);
  return Sjis_ToUtf8(name);
}

// " [label] " of the labels that have names, converted once.
struct LabelTexts {
  static constexpr std::uint16_t kNamed = 8;
  std::string text[kNamed];
  std::string other;
  void Load() {
    for (std::uint16_t n = 0; n < kNamed; ++n) text[n] = " [" + LabelText(n) + "] ";
  }
  std::string_view Of(std::uint16_t label) {
    if (label < kNamed) return text[label];
    other = " [" + LabelText(label) + "] ";
    return other;
  }
};

LabelTexts labels;

// One line per item: line feeds of the text become " / ", returns dropped.
char* PutOneLine(char* at, std::string_view sjis) {
  if (sjis.find_first_of("\r\n") == std::string_view::npos) return Sjis_PutUtf8(at, sjis);
  for (char c : Sjis_ToUtf8(sjis)) {
    if (c == '\n') {
      at = Put(at, " / ");
    } else if (c != '\r') {
      *at++ = c;
    }
  }
  return at;
}

// Bytes an item's line may take: its words and numbers, the label and the
// text (" / " for a line feed is three bytes, as is the longest character).
constexpr std::size_t kItemFixed = 64;

std::size_t ItemRoom(const Entry& e, std::string_view label) {
  return kItemFixed + label.size() + SJIS_UTF8_GROWTH * EntryText(e).size();
}

// Writes e's line at `at` (room for ItemRoom bytes); returns its end.
char* PutItem(char* at, const Entry& e, std::string_view label) {
  at = Put(at, "  ");
  at = Put(at, KindWord(e.kind));
  if (e.kind == KIND_TIMED) {
    *at++ = ' ';
    at = PutClock(at, e.startHour, e.startMinute);
  }
  // A schedule without an end time has no time at all, as the views show it.
  const bool timed = e.endHour != 0 || e.endMinute != 0;
  if (e.kind == KIND_SCHEDULE && timed) {
    *at++ = ' ';
    at = PutClock(at, e.startHour, e.startMinute);
    if (e.startHour != e.endHour || e.startMinute != e.endMinute) {
      *at++ = '-';
      at = PutClock(at, e.endHour, e.endMinute);
    }
  }
  if (e.kind == KIND_TASK) {
    at = Put(at, " rank ");
    at = PutNumber(at, e.rank);
    at = Put(at, e.doneLen != 0 ? " done" : " open");
  }
  at = Put(at, label);
  at = PutOneLine(at, EntryText(e));
  *at++ = '\n';
  return at;
}

// An entry's line is the same on every day it shows, so each is formatted
// once and kept here, found by the entry's address.
class ItemLines {
 public:
  // Room for the lines of `entries` entries; calloc leaves the pages no
  // entry lands on untouched.
  bool Size(std::size_t entries) {
    count_ = entries + entries / 2 + 1;
    slots_.reset(static_cast<Slot*>(std::calloc(count_, sizeof(Slot))));
    text_.reserve(entries * kTypicalLine);
    return slots_ != nullptr;
  }
  bool Sized() const { return slots_ != nullptr; }
  // The entry's line; empty when it cannot be written.
  std::string_view Of(const Entry& e) {
    std::size_t i = reinterpret_cast<std::uintptr_t>(&e) / sizeof(Entry) % count_;
    while (slots_[i].entry != nullptr && slots_[i].entry != &e) i = i + 1 == count_ ? 0 : i + 1;
    Slot& slot = slots_[i];
    if (slot.entry == nullptr) {
      const std::string_view label = labels.Of(e.label);
      const std::size_t at = text_.size();
      text_.resize(at + ItemRoom(e, label));
      char* end = PutItem(text_.data() + at, e, label);
      text_.resize(static_cast<std::size_t>(end - text_.data()));
      slot = Slot{&e, static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(text_.size() - at)};
    }
    return std::string_view(text_).substr(slot.offset, slot.length);
  }

 private:
  struct Slot {
    const Entry* entry;
    std::uint32_t offset, length;
  };
  struct FreeSlots {
    void operator()(Slot* p) const { std::free(p); }
  };
  static constexpr std::size_t kTypicalLine = 64;
  std::unique_ptr<Slot[], FreeSlots> slots_;
  std::size_t count_ = 0;
  std::string text_;
};

ItemLines itemLines;

void PlainItem(const Entry& e) {
  if (!itemLines.Sized()) {
    const std::string_view label = labels.Of(e.label);
    char* at = output.Reserve(ItemRoom(e, label));
    if (at != nullptr) output.Commit(PutItem(at, e, label));
    return;
  }
  const std::string_view line = itemLines.Of(e);
  char* at = output.Reserve(line.size());
  if (at == nullptr) return;
  output.Commit(Put(at, line));
}

std::string weekdayText[7];

void PlainDay(DayNo day, const MonthRec& rec, std::uint16_t mday) {
  char* at = output.Reserve(64);
  if (at == nullptr) return;
  at = PutDate(at, day);
  at = Put(at, " (");
  at = Put(at, weekdayText[DayNo_Weekday(day)]);
  *at++ = ')';
  if (rec.holiday[mday]) at = Put(at, " holiday");
  *at++ = '\n';
  output.Commit(at);
  for (std::uint16_t i = 0; i < rec.count[mday]; ++i) PlainItem(*rec.list[mday][i]);
}

// Beyond a month most lines repeat, and keeping them pays.
constexpr long kCachedLinesFrom = 32;

bool LoadTexts(long days) {
  labels.Load();
  if (days >= kCachedLinesFrom && !itemLines.Size(Store_Count())) return false;
  for (int w = 0; w < 7; ++w) weekdayText[w] = Sjis_ToUtf8(WeekdayName[w]);
  return true;
}

// Start-up as Velmo does it, reading only; a damaged record file shows as
// far as it loads (CLI_EXIT_DAMAGED).
int LoadData(const AgendaArgs& args) {
  const int status = CliData_Read(kCommand);
  if (status != CLI_EXIT_OK && status != CLI_EXIT_DAMAGED) return status;
  if (args.label >= 0) {
    Settings s = Settings_Get();
    s.cursor.currentLabel = static_cast<std::uint16_t>(args.label);
    Settings_Set(s);
  }
  Settings_ApplyLabels();
  return status;
}

}  // namespace

int Cli_Agenda(int argc, char** argv) {
  AgendaArgs args;
  if (int status = CLI_EXIT_OK; !ParseArgs(argc, argv, args, status)) return status;
  const int loaded = LoadData(args);
  if (loaded != CLI_EXIT_OK && loaded != CLI_EXIT_DAMAGED) return loaded;
  if (!LoadTexts(args.days)) {
    std::fputs("velmo-cli agenda: out of memory\n", stderr);
    return CLI_EXIT_NO_MATCH;
  }
  const DayNo from = args.from != DAY_NONE ? args.from : Settings_Get().today.day;
  const long last = long{from} + args.days - 1;
  if (last > DAY_OPEN_END) {
    int status = CLI_EXIT_USAGE;
    Refuse("--days runs past 2079-06-05, Velmo's last day", status);
    return status;
  }
  for (long n = from; n <= last; ++n) {
    const auto day = static_cast<DayNo>(n);
    MonthNo m;
    std::uint16_t mday;
    DayNo_ToMonthNo(day, m, mday);
    const MonthRec& rec = MonthRec_GetByMonthNo(m);
    if (args.json) {
      output.Append(JsonDay(day, rec, mday));
    } else {
      PlainDay(day, rec, mday);
    }
  }
  Store_Shutdown();
  // A short write leaves the stream's error mark, which CliData_Written reads.
  output.Flush();
  const int status = CliData_Written();
  return status != CLI_EXIT_OK ? status : loaded;
}
