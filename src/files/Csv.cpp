#include "files/Csv.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "Capacity.h"
#include "calendar/Date.h"
#include "store/Label.h"
#include "platform/Platform.h"

namespace {

constexpr const char* kDone = "\x8a\xae\x97\xb9";  // "完了"
constexpr const char* kOpen = "\x96\xa2\x97\xb9";  // "未了"
constexpr const char* kLinkPrefix = "file:/";
constexpr const char* kTempSuffix = ".tmp";

// Week ordinals 1..4 as kanji numerals.
constexpr std::array<const char*, 4> kOrdinal{
    "\x88\xea",  // "一"
    "\x93\xf1",  // "二"
    "\x8e\x4f",  // "三"
    "\x8e\x6c",  // "四"
};

// Repeat phrases, each with its closing comma; every (N = 1, N = 2, other)
// row. Yearly rules have no every-other form: their N = 2 is the general one.
struct Phrases {
  const char* every;
  const char* everyOther;
  const char* general;
};
constexpr Phrases kDays{"\x96\x88\x93\xfa,", nullptr,  // "毎日,"
                        "%d\x93\xfa\x82\xb2\x82\xc6,"};  // "%d日ごと,"
constexpr Phrases kWeeks{
    "\x96\x88\x8f\x54%s\x97\x6a\x93\xfa,",               // "毎週%s曜日,"
    "\x8a\x75\x8f\x54%s\x97\x6a\x93\xfa,",               // "隔週%s曜日,"
    "%d\x8f\x54\x82\xb2\x82\xc6%s\x97\x6a\x93\xfa,"};    // "%d週ごと%s曜日,"
constexpr Phrases kMonthDay{
    "\x96\x88\x8c\x8e%d\x93\xfa,",                       // "毎月%d日,"
    "\x8a\x75\x8c\x8e%d\x93\xfa,",                       // "隔月%d日,"
    "%d\x83\x96\x8c\x8e\x82\xb2\x82\xc6%d\x93\xfa,"};    // "%dヶ月ごと%d日,"
constexpr Phrases kMonthNth{
    "\x96\x88\x8c\x8e\x91\xe6%s%s\x97\x6a\x93\xfa,",     // "毎月第%s%s曜日,"
    "\x8a\x75\x8c\x8e\x91\xe6%s%s\x97\x6a\x93\xfa,",     // "隔月第%s%s曜日,"
    "%d\x83\x96\x8c\x8e\x82\xb2\x82\xc6\x91\xe6%s%s\x97\x6a\x93\xfa,"};  // "%dヶ月ごと第%s%s曜日,"
constexpr Phrases kMonthLast{
    "\x96\x88\x8c\x8e\x8d\xc5\x8f\x49%s\x97\x6a\x93\xfa,",  // "毎月最終%s曜日,"
    "\x8a\x75\x8c\x8e\x8d\xc5\x8f\x49%s\x97\x6a\x93\xfa,",  // "隔月最終%s曜日,"
    "%d\x83\x96\x8c\x8e\x82\xb2\x82\xc6\x8d\xc5\x8f\x49%s\x97\x6a\x93\xfa,"};  // "%dヶ月ごと最終%s曜日,"
constexpr Phrases kYearDay{
    "\x96\x88\x94\x4e%d\x8c\x8e%d\x93\xfa,", nullptr,    // "毎年%d月%d日,"
    "%d\x94\x4e\x82\xb2\x82\xc6%d\x8c\x8e%d\x93\xfa,"};  // "%d年ごと%d月%d日,"
constexpr Phrases kYearNth{
    "\x96\x88\x94\x4e%d\x8c\x8e\x91\xe6%s%s\x97\x6a\x93\xfa,", nullptr,  // "毎年%d月第%s%s曜日,"
    "%d\x94\x4e\x82\xb2\x82\xc6%d\x8c\x8e\x91\xe6%s%s\x97\x6a\x93\xfa,"};  // "%d年ごと%d月第%s%s曜日,"
constexpr Phrases kYearLast{
    "\x96\x88\x94\x4e%d\x8c\x8e\x8d\xc5\x8f\x49%s\x97\x6a\x93\xfa,", nullptr,  // "毎年%d月最終%s曜日,"
    "%d\x94\x4e\x82\xb2\x82\xc6%d\x8c\x8e\x8d\xc5\x8f\x49%s\x97\x6a\x93\xfa,"};  // "%d年ごと%d月最終%s曜日,"

// Longest formatted piece: a phrase with three numbers and two kanji.
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

void Repeat(Out& out, const Entry& e) {
  const int n = e.interval;
  std::uint16_t year = 0, month = 0, mday = 0;
  DayNo_ToDate(e.startDay, year, month, mday);
  const char* weekday = WeekdayName[DayNo_Weekday(e.startDay)];
  const bool last = Date_MonthLength(year, month) - mday <= 6;
  const char* ordinal = kOrdinal[static_cast<std::size_t>(mday > 28 ? 3 : (mday - 1) / 7)];
  const char* p = nullptr;
  switch (e.repeat) {
    case REPEAT_DAYS:
      return n == 1 ? Text(out, kDays.every) : Format(out, kDays.general, n);
    case REPEAT_WEEKS:
      p = Pick(kWeeks, n);
      return n <= 2 ? Format(out, p, weekday) : Format(out, p, n, weekday);
    case REPEAT_MONTH_DAY:
      p = Pick(kMonthDay, n);
      return n <= 2 ? Format(out, p, mday) : Format(out, p, n, mday);
    case REPEAT_MONTH_WEEKDAY:
      if (last) {
        p = Pick(kMonthLast, n);
        return n <= 2 ? Format(out, p, weekday) : Format(out, p, n, weekday);
      }
      p = Pick(kMonthNth, n);
      return n <= 2 ? Format(out, p, ordinal, weekday) : Format(out, p, n, ordinal, weekday);
    case REPEAT_YEAR_DAY:
      p = Pick(kYearDay, n);
      return n == 1 ? Format(out, p, month, mday) : Format(out, p, n, month, mday);
    case REPEAT_YEAR_WEEKDAY:
      if (last) {
        p = Pick(kYearLast, n);
        return n == 1 ? Format(out, p, month, weekday) : Format(out, p, n, month, weekday);
      }
      p = Pick(kYearNth, n);
      return n == 1 ? Format(out, p, month, ordinal, weekday)
                    : Format(out, p, n, month, ordinal, weekday);
    default:
      return Text(out, ",");
  }
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
  char temp[cap::kFileName];
  if (path == nullptr) return false;
  const int n = std::snprintf(temp, sizeof temp, "%s%s", path, kTempSuffix);
  if (n < 0 || static_cast<std::size_t>(n) >= sizeof temp) return false;
  std::FILE* file = std::fopen(temp, "wb");
  if (file == nullptr) return false;
  bool ok = true;
  std::uint16_t pos = Store_First();
  for (const Entry* e = Store_Next(pos); ok && e != nullptr; e = Store_Next(pos)) {
    ok = Csv_WriteEntry(file, *e);
  }
  ok = std::fflush(file) == 0 && ok && std::ferror(file) == 0;
  ok = std::fclose(file) == 0 && ok;
  if (ok && Platform_Replace(temp, path)) return true;
  std::remove(temp);
  return false;
}

bool Csv_Export() { return Csv_ExportTo(CSV_FILE_NAME); }
