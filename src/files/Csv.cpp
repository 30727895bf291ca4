#include "files/Csv.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "calendar/Date.h"
#include "files/Files.h"
#include "files/Record.h"
#include "store/Label.h"

namespace {

constexpr const char* kDone = "\x8a\xae\x97\xb9";  // "完了"
constexpr const char* kOpen = "\x96\xa2\x97\xb9";  // "未了"
constexpr const char* kLinkPrefix = "file:/";

// Week ordinals 1..4 as kanji numerals.
constexpr std::array<const char*, 4> kOrdinal{
    "\x88\xea",  // "一"
    "\x93\xf1",  // "二"
    "\x8e\x4f",  // "三"
    "\x8e\x6c",  // "四"
};

// Repeat phrases, each with its closing comma; every (N = 1, N = 2, other)
// row. Yearly rules have no every-other form: their N = 2 is the general one.
// Values are named, not positional: %N interval, %d day of month, %m month,
// %K week ordinal, %W weekday name. Every phrase is filled from one set of
// values that always holds all five, so no phrase can lack an argument ('%'
// is never part of a double-byte character).
struct Phrases {
  const char* every;
  const char* everyOther;
  const char* general;
};
constexpr Phrases kDays{"\x96\x88\x93\xfa,", nullptr,  // "毎日,"
                        "%N\x93\xfa\x82\xb2\x82\xc6,"};  // "%N日ごと,"
constexpr Phrases kWeeks{
    "\x96\x88\x8f\x54%W\x97\x6a\x93\xfa,",               // "毎週%W曜日,"
    "\x8a\x75\x8f\x54%W\x97\x6a\x93\xfa,",               // "隔週%W曜日,"
    "%N\x8f\x54\x82\xb2\x82\xc6%W\x97\x6a\x93\xfa,"};    // "%N週ごと%W曜日,"
constexpr Phrases kMonthDay{
    "\x96\x88\x8c\x8e%d\x93\xfa,",                       // "毎月%d日,"
    "\x8a\x75\x8c\x8e%d\x93\xfa,",                       // "隔月%d日,"
    "%N\x83\x96\x8c\x8e\x82\xb2\x82\xc6%d\x93\xfa,"};    // "%Nヶ月ごと%d日,"
constexpr Phrases kMonthNth{
    "\x96\x88\x8c\x8e\x91\xe6%K%W\x97\x6a\x93\xfa,",     // "毎月第%K%W曜日,"
    "\x8a\x75\x8c\x8e\x91\xe6%K%W\x97\x6a\x93\xfa,",     // "隔月第%K%W曜日,"
    "%N\x83\x96\x8c\x8e\x82\xb2\x82\xc6\x91\xe6%K%W\x97\x6a\x93\xfa,"};  // "%Nヶ月ごと第%K%W曜日,"
constexpr Phrases kMonthLast{
    "\x96\x88\x8c\x8e\x8d\xc5\x8f\x49%W\x97\x6a\x93\xfa,",  // "毎月最終%W曜日,"
    "\x8a\x75\x8c\x8e\x8d\xc5\x8f\x49%W\x97\x6a\x93\xfa,",  // "隔月最終%W曜日,"
    "%N\x83\x96\x8c\x8e\x82\xb2\x82\xc6\x8d\xc5\x8f\x49%W\x97\x6a\x93\xfa,"};  // "%Nヶ月ごと最終%W曜日,"
constexpr Phrases kYearDay{
    "\x96\x88\x94\x4e%m\x8c\x8e%d\x93\xfa,", nullptr,    // "毎年%m月%d日,"
    "%N\x94\x4e\x82\xb2\x82\xc6%m\x8c\x8e%d\x93\xfa,"};  // "%N年ごと%m月%d日,"
constexpr Phrases kYearNth{
    "\x96\x88\x94\x4e%m\x8c\x8e\x91\xe6%K%W\x97\x6a\x93\xfa,", nullptr,  // "毎年%m月第%K%W曜日,"
    "%N\x94\x4e\x82\xb2\x82\xc6%m\x8c\x8e\x91\xe6%K%W\x97\x6a\x93\xfa,"};  // "%N年ごと%m月第%K%W曜日,"
constexpr Phrases kYearLast{
    "\x96\x88\x94\x4e%m\x8c\x8e\x8d\xc5\x8f\x49%W\x97\x6a\x93\xfa,", nullptr,  // "毎年%m月最終%W曜日,"
    "%N\x94\x4e\x82\xb2\x82\xc6%m\x8c\x8e\x8d\xc5\x8f\x49%W\x97\x6a\x93\xfa,"};  // "%N年ごと%m月最終%W曜日,"

constexpr bool KnownPlaceholders(const char* phrase) {
  if (phrase == nullptr) return true;
  for (const char* p = phrase; *p != '\0'; ++p) {
    if (*p != '%') continue;
    ++p;
    if (*p != 'N' && *p != 'd' && *p != 'm' && *p != 'K' && *p != 'W') return false;
  }
  return true;
}
constexpr bool KnownPlaceholders(const Phrases& row) {
  return KnownPlaceholders(row.every) && KnownPlaceholders(row.everyOther) &&
         KnownPlaceholders(row.general);
}
static_assert(KnownPlaceholders(kDays) && KnownPlaceholders(kWeeks) &&
              KnownPlaceholders(kMonthDay) && KnownPlaceholders(kMonthNth) &&
              KnownPlaceholders(kMonthLast) && KnownPlaceholders(kYearDay) &&
              KnownPlaceholders(kYearNth) && KnownPlaceholders(kYearLast));

// The values a phrase may name.
struct PhraseValues {
  int interval;
  int mday;
  int month;
  const char* ordinal;
  const char* weekday;
};

// Longest formatted piece: a date, a time or a number.
constexpr std::size_t kPiece = 96;

// Remembers the first failed write so a line can be written without a check
// after every piece.
struct Out {
  std::FILE* file;
  bool ok;
};

void Bytes(Out& out, const char* bytes, std::size_t count) {
  if (!out.ok || count == 0) return;
  if (bytes == nullptr || std::fwrite(bytes, 1, count, out.file) != count) out.ok = false;
}

void Text(Out& out, const char* text) { Bytes(out, text, std::strlen(text)); }

void Format(Out& out, const char* format, auto... values) {
  char piece[kPiece];
  const int n = std::snprintf(piece, sizeof piece, format, values...);
  if (n < 0 || static_cast<std::size_t>(n) >= sizeof piece) {
    out.ok = false;
    return;
  }
  Bytes(out, piece, static_cast<std::size_t>(n));
}

void Date(Out& out, DayNo day) {
  std::uint16_t year = 0, month = 0, mday = 0;
  DayNo_ToDate(day, year, month, mday);
  Format(out, "%04d/%02d/%02d,", year, month, mday);
}

// The text between quotes, each line feed as backslash and n.
void QuotedText(Out& out, const Entry& e) {
  Text(out, "\"");
  const char* text = e.text;
  const std::size_t length = text ? e.textLen : 0;
  std::size_t from = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] != '\n') continue;
    Bytes(out, text + from, i - from);
    Text(out, "\\n");
    from = i + 1;
  }
  Bytes(out, text + from, length - from);
  Text(out, "\",");
}

// A phrase from its row: N = 1, N = 2 (when the row has one), otherwise.
const char* Pick(const Phrases& row, int n) {
  if (n == 1) return row.every;
  if (n == 2 && row.everyOther) return row.everyOther;
  return row.general;
}

void Number(Out& out, int value) { Format(out, "%d", value); }

void Phrase(Out& out, const char* phrase, const PhraseValues& v) {
  const char* from = phrase;
  const char* p = phrase;
  for (; *p != '\0'; ++p) {
    if (*p != '%') continue;
    Bytes(out, from, static_cast<std::size_t>(p - from));
    ++p;
    switch (*p) {
      case 'N': Number(out, v.interval); break;
      case 'd': Number(out, v.mday); break;
      case 'm': Number(out, v.month); break;
      case 'K': Text(out, v.ordinal); break;
      case 'W': Text(out, v.weekday); break;
      default: break;  // KnownPlaceholders rules this out
    }
    from = p + 1;
  }
  Bytes(out, from, static_cast<std::size_t>(p - from));
}

// The row of the entry's rule; null for no (or an unknown) rule.
const Phrases* Row(const Entry& e, bool last) {
  switch (e.repeat) {
    case REPEAT_DAYS: return &kDays;
    case REPEAT_WEEKS: return &kWeeks;
    case REPEAT_MONTH_DAY: return &kMonthDay;
    case REPEAT_MONTH_WEEKDAY: return last ? &kMonthLast : &kMonthNth;
    case REPEAT_YEAR_DAY: return &kYearDay;
    case REPEAT_YEAR_WEEKDAY: return last ? &kYearLast : &kYearNth;
    default: return nullptr;
  }
}

void Repeat(Out& out, const Entry& e) {
  std::uint16_t year = 0, month = 0, mday = 0;
  DayNo_ToDate(e.startDay, year, month, mday);
  const bool last = Date_MonthLength(year, month) - mday <= 6;
  const Phrases* row = Row(e, last);
  if (row == nullptr) return Text(out, ",");
  // A stored interval of 0 repeats like 1, as in the month expansion.
  const int n = e.interval == 0 ? 1 : e.interval;
  const PhraseValues values{
      n, mday, month,
      kOrdinal[static_cast<std::size_t>(mday > 28 ? 3 : (mday - 1) / 7)],
      WeekdayName[DayNo_Weekday(e.startDay)]};
  Phrase(out, Pick(*row, n), values);
}

void Head(Out& out, const char* word, const Entry& e) {
  Text(out, word);
  Text(out, "\"");
  Text(out, Label_Name(e.label));
  Text(out, "\",");
  QuotedText(out, e);
  Date(out, e.startDay);
}

void Link(Out& out, const Entry& e) {
  Text(out, "\"");
  if (e.link != nullptr && e.linkLen > 0) {
    Text(out, kLinkPrefix);
    Bytes(out, e.link, e.linkLen);
  }
  Text(out, "\"\n");
}

void TaskLine(Out& out, const Entry& e) {
  Head(out, "TASK,", e);
  Text(out, ",,");
  Format(out, "%d,", e.rank);
  Text(out, e.doneLen != 0 ? kDone : kOpen);
  Text(out, ",");
  Link(out, e);
}

void ScheduleLine(Out& out, const Entry& e) {
  Head(out, "SCHEDULE,", e);
  Date(out, e.endDay);
  Repeat(out, e);
  Format(out, "%02d:%02d,", e.startHour, e.startMinute);
  Format(out, "%02d:%02d,", e.endHour, e.endMinute);
  Link(out, e);
}

void HolidayLine(Out& out, const Entry& e) {
  Head(out, "HOLIDAY,", e);
  Date(out, e.endDay);
  Text(out, ",,,");
  Link(out, e);
}

}  // namespace

bool Csv_WriteEntry(std::FILE* file, const Entry& entry) {
  Out out{file, file != nullptr};
  switch (entry.kind) {
    case KIND_TASK: TaskLine(out, entry); break;
    case KIND_SCHEDULE: ScheduleLine(out, entry); break;
    case KIND_HOLIDAY: HolidayLine(out, entry); break;
    default: break;
  }
  return out.ok;
}

bool Csv_ExportTo(const char* path) {
  // The export holds what the record file holds: it gets its permission bits.
  return Files_ReplaceWhole(path, Record_Path(), [](std::FILE* file) {
    bool ok = true;
    std::uint16_t pos = Store_First();
    for (const Entry* e = Store_Next(pos); ok && e != nullptr; e = Store_Next(pos)) ok = Csv_WriteEntry(file, *e);
    return ok;
  });
}

bool Csv_Export() { return Csv_ExportTo(CSV_FILE_NAME); }
