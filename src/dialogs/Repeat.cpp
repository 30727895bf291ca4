// The repeat rule editor: row texts, the list, and the entry's repeat fields.
#include "dialogs/Repeat.h"

#include <array>
#include <cassert>
#include <cstdio>
#include <cstring>

#include "dialogs/Field.h"
#include "store/Store.h"

namespace {

// "なし"
constexpr const char* kNone = "\x82\xc8\x82\xb5";
// "日"
constexpr const char* kDays = "\x93\xfa";
// "%s曜日"
constexpr const char* kWeekFormat = "%s\x97\x6a\x93\xfa";
// "%d日"
constexpr const char* kMonthDayFormat = "%d\x93\xfa";
// "第%s%s曜日"
constexpr const char* kMonthNthFormat = "\x91\xe6%s%s\x97\x6a\x93\xfa";
// "最終%s曜日"
constexpr const char* kMonthLastFormat = "\x8d\xc5\x8f\x49%s\x97\x6a\x93\xfa";
// "%d月%d日"
constexpr const char* kYearDayFormat = "%d\x8c\x8e%d\x93\xfa";
// "%d月第%s%s曜日"
constexpr const char* kYearNthFormat = "%d\x8c\x8e\x91\xe6%s%s\x97\x6a\x93\xfa";
// "%d月最終%s曜日"
constexpr const char* kYearLastFormat = "%d\x8c\x8e\x8d\xc5\x8f\x49%s\x97\x6a\x93\xfa";

// Indexed by the week ordinal: "零", "一", "二", "三", "四", "五".
constexpr std::array<const char*, 6> kOrdinal{
    "\x97\xeb", "\x88\xea", "\x93\xf1", "\x8e\x4f", "\x8e\x6c", "\x8c\xdc",
};

struct DateParts {
  std::uint16_t year, month, mday, weekday, ordinal;
  bool last;
};

DateParts Split(DayNo day) {
  DateParts p{};
  DayNo_ToDate(day, p.year, p.month, p.mday);
  p.weekday = DayNo_Weekday(day);
  p.ordinal = static_cast<std::uint16_t>((p.mday + 6) / 7);
  p.last = Date_MonthLength(p.year, p.month) - p.mday < 7;
  return p;
}

int Written(int n, std::size_t size) {
  if (n < 0 || size == 0) return 0;
  return static_cast<std::size_t>(n) < size ? n : static_cast<int>(size - 1);
}

int Copy(const char* text, char* out, std::size_t size) {
  return Written(std::snprintf(out, size, "%s", text), size);
}

// The rows go to the list by posted SetText, so each keeps its own text
// until the list has copied it.
std::array<std::array<char, REPEAT_TEXT_BYTES>, REPEAT_ROWS> rowText{};

}  // namespace

int Repeat_Describe(DayNo start, int row, char* out, std::size_t size) {
  assert(out != nullptr && size > 0 && "a description has room for its NUL");
  if (out == nullptr || size == 0) return 0;
  out[0] = '\0';
  if (start == DAY_NONE || row < 0 || row >= REPEAT_ROWS) return 0;
  const DateParts p = Split(start);
  const char* weekday = WeekdayName[p.weekday];
  const char* ordinal = kOrdinal[p.ordinal < kOrdinal.size() ? p.ordinal : 0];
  switch (row) {
    case REPEAT_NONE: return Copy(kNone, out, size);
    case REPEAT_DAYS: return Copy(kDays, out, size);
    case REPEAT_WEEKS: return Written(std::snprintf(out, size, kWeekFormat, weekday), size);
    case REPEAT_MONTH_DAY: return Written(std::snprintf(out, size, kMonthDayFormat, p.mday), size);
    case REPEAT_MONTH_WEEKDAY:
      if (p.last) return Written(std::snprintf(out, size, kMonthLastFormat, weekday), size);
      return Written(std::snprintf(out, size, kMonthNthFormat, ordinal, weekday), size);
    case REPEAT_YEAR_DAY: return Written(std::snprintf(out, size, kYearDayFormat, p.month, p.mday), size);
    default:
      if (p.last) return Written(std::snprintf(out, size, kYearLastFormat, p.month, weekday), size);
      return Written(std::snprintf(out, size, kYearNthFormat, p.month, ordinal, weekday), size);
  }
}

void Repeat_Bind(nwListBox* list, RepeatRows& rows) {
  assert(list != nullptr);
  std::memset(rows, 0, sizeof rows);
  nwEvent_SendTo(list, NW_SET_BUFFER, REPEAT_ROW_BYTES, REPEAT_ROWS, rows);
}

void Repeat_Build(nwListBox* list, DayNo start, int choice) {
  assert(list != nullptr);
  for (int r = 0; r < REPEAT_ROWS; ++r) {
    char* text = rowText[static_cast<std::size_t>(r)].data();
    const int length = Repeat_Describe(start, r, text, REPEAT_TEXT_BYTES);
    nwEvent_PostTo(list, NW_SET_TEXT, r, length, text);
  }
  // SetCursor keeps the cursor's offset among the shown rows; with the
  // offset at 0 the first shown row is exactly the choice.
  const int row = choice >= 0 && choice < REPEAT_ROWS ? choice : 0;
  list->cursor = 0;
  nwEvent_PostTo(list, NW_SET_CURSOR, row);
  nwEvent_PostTo(list, NW_REDRAW);
}

int Repeat_ReadChoice(nwListBox* list) {
  assert(list != nullptr);
  int choice = 0;
  nwEvent_SendTo(list, NW_GET_RESULT, 0, 0, &choice);
  return choice >= 0 && choice < REPEAT_ROWS ? choice : 0;
}

int Repeat_Leave(const FieldState& s, nwListBox* list) {
  const int choice = Repeat_ReadChoice(list);
  if (choice == REPEAT_NONE) return choice;
  const std::uint16_t endYear = Field_ValueOf(s, ID_END_YEAR);
  const DayNo start =
      Date_ToDayNo(Field_ValueOf(s, ID_START_YEAR), Field_ValueOf(s, ID_START_MONTH), Field_ValueOf(s, ID_START_DAY));
  const DayNo end = Date_ToDayNo(endYear, Field_ValueOf(s, ID_END_MONTH), Field_ValueOf(s, ID_END_DAY));
  if (start == end) Field_SetNumber(Field_Find(s, ID_END_YEAR), endYear + 1);
  return choice;
}

void Repeat_Apply(Entry& e, int choice, std::uint16_t interval) {
  e.repeat = static_cast<RepeatType>(choice >= 0 && choice < REPEAT_ROWS ? choice : 0);
  e.interval = static_cast<std::uint8_t>(interval);
  if (e.repeat == REPEAT_NONE) return;
  const DateParts p = Split(e.startDay);
  switch (e.repeat) {
    case REPEAT_WEEKS: e.weekMask = WeekdayBit(p.weekday); break;
    case REPEAT_MONTH_WEEKDAY:
    case REPEAT_YEAR_WEEKDAY:
      e.weekMask = Date_RuleWeekBit(p.mday, Date_MonthLength(p.year, p.month));
      e.weekdayMask = WeekdayBit(p.weekday);
      break;
    default: break;
  }
}

int Repeat_OpenChoice(Entry& e) {
  if (e.interval == 0) e.interval = 1;
  return e.repeat < REPEAT_ROWS ? e.repeat : REPEAT_NONE;
}
