#include "calendar/Date.h"

#include <ctime>

#include "platform/Platform.h"

const char* const WeekdayName[7] = {
    "\x93\xfa",  // 日
    "\x8c\x8e",  // 月
    "\x89\xce",  // 火
    "\x90\x85",  // 水
    "\x96\xd8",  // 木
    "\x8b\xe0",  // 金
    "\x93\x79",  // 土
};

namespace {

constexpr std::uint16_t kMonthDays[2][13] = {
    {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
    {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
};

DateClockFn clockFn = nullptr;

// Day number of year-month-mday without the 16-bit wrap; valid for year >= 1900.
long DayCount(unsigned year, unsigned month, unsigned mday) {
  const long y = year;
  long n = 365 * (y - 1900) + (y - 1900) / 4 - y / 100 + y / 400 + 15;
  const int leap = Date_IsLeap(static_cast<std::uint16_t>(year)) ? 1 : 0;
  n -= leap;
  for (unsigned m = 1; m < month && m <= 12; ++m) n += kMonthDays[leap][m];
  return n + mday;
}

void Split(DayNo day, std::uint16_t& year, std::uint16_t& month, std::uint16_t& mday) {
  if (day == DAY_NONE) {  // no date: the day before 1 January 1900
    year = 1899;
    month = 12;
    mday = 31;
    return;
  }
  unsigned y = 1900u + day / 365u;
  while (DayCount(y, 1, 1) > day) --y;
  const int leap = Date_IsLeap(static_cast<std::uint16_t>(y)) ? 1 : 0;
  long first = DayCount(y, 1, 1);
  unsigned m = 1;
  while (m < 12 && first + kMonthDays[leap][m] <= day) first += kMonthDays[leap][m++];
  year = static_cast<std::uint16_t>(y);
  month = static_cast<std::uint16_t>(m);
  mday = static_cast<std::uint16_t>(day - first + 1);
}

}  // namespace

bool Date_IsLeap(std::uint16_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::uint16_t Date_MonthLength(std::uint16_t year, std::uint16_t month) {
  if (month < 1 || month > 12) return 0;
  return kMonthDays[Date_IsLeap(year) ? 1 : 0][month];
}

DayNo Date_ToDayNo(std::uint16_t year, std::uint16_t month, std::uint16_t mday) {
  return static_cast<DayNo>(static_cast<unsigned long>(DayCount(year, month, mday)) & 0xFFFFu);
}

std::uint8_t Date_WeekSet(std::uint16_t mday, std::uint16_t monthLength) {
  std::uint8_t bits = WeekBit(static_cast<std::uint16_t>((mday + 6) / 7));
  if (monthLength >= mday && monthLength - mday <= 6) bits |= WEEK_LAST;
  return bits;
}

std::uint8_t Date_RuleWeekBit(std::uint16_t mday, std::uint16_t monthLength) {
  if (monthLength >= mday && monthLength - mday <= 6) return WEEK_LAST;
  return WeekBit(static_cast<std::uint16_t>((mday + 6) / 7));
}

MonthNo Date_ToMonthNo(std::uint16_t year, std::uint16_t month) {
  return static_cast<MonthNo>(12 * (year - 1900) + month - 1);
}

void Date_MonthNoToDate(MonthNo month, std::uint16_t& year, std::uint16_t& monthOfYear) {
  year = static_cast<std::uint16_t>(1900 + month / 12);
  monthOfYear = static_cast<std::uint16_t>(month % 12 + 1);
}

DayNo Date_MonthNoFirstDay(MonthNo month) {
  std::uint16_t y, m;
  Date_MonthNoToDate(month, y, m);
  return Date_ToDayNo(y, m, 1);
}

std::uint16_t Date_MonthNoLength(MonthNo month) {
  std::uint16_t y, m;
  Date_MonthNoToDate(month, y, m);
  return Date_MonthLength(y, m);
}

std::uint16_t DayNo_Weekday(DayNo day) { return day % 7; }

std::uint16_t DayNo_Year(DayNo day) {
  std::uint16_t y, m, d;
  Split(day, y, m, d);
  return y;
}

std::uint16_t DayNo_Month(DayNo day) {
  std::uint16_t y, m, d;
  Split(day, y, m, d);
  return m;
}

std::uint16_t DayNo_Mday(DayNo day) {
  std::uint16_t y, m, d;
  Split(day, y, m, d);
  return d;
}

void DayNo_ToDate(DayNo day, std::uint16_t& year, std::uint16_t& month, std::uint16_t& mday) {
  Split(day, year, month, mday);
}

void DayNo_ToMonthNo(DayNo day, MonthNo& month, std::uint16_t& mday) {
  std::uint16_t y, m;
  Split(day, y, m, mday);
  month = static_cast<MonthNo>(12 * (y - 1900) + m - 1);
}

void Date_SystemClock(DateClock& out) {
  Platform_Now(out.seconds, out.micros);
  Date_SetLocalFields(out);
}

void Date_SetLocalFields(DateClock& out) {
  std::tm tm{};
  Platform_LocalTime(static_cast<std::time_t>(out.seconds), tm);
  out.year = static_cast<std::uint16_t>(tm.tm_year + 1900);
  out.month = static_cast<std::uint8_t>(tm.tm_mon + 1);
  out.mday = static_cast<std::uint8_t>(tm.tm_mday);
  out.hour = static_cast<std::uint8_t>(tm.tm_hour);
  out.minute = static_cast<std::uint8_t>(tm.tm_min);
  out.second = static_cast<std::uint8_t>(tm.tm_sec);
}

void Date_SetClock(DateClockFn fn) { clockFn = fn; }

void Date_ReadClock(DateClock& out) {
  out = DateClock{};
  (clockFn ? clockFn : Date_SystemClock)(out);
}

DayNo Date_Now(std::uint16_t& year, std::uint16_t& month, std::uint16_t& mday,
               std::uint8_t& hour, std::uint8_t& minute) {
  DateClock c;
  Date_ReadClock(c);
  year = c.year;
  month = c.month;
  mday = c.mday;
  hour = c.hour;
  minute = c.minute;
  return Date_ToDayNo(year, month, mday);
}
