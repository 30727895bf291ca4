// Day numbers, month numbers, weekdays and week-of-month bits, and the one
// clock seam through which every read of the time goes.
//
// DayNo 1 is 1 January 1900 (a Monday); 65535 is 5 June 2079 and doubles as a
// task's open end; 0 means no date. Out-of-range dates wrap modulo 65536.
#pragma once

#include <cstdint>

using DayNo = std::uint16_t;
using MonthNo = std::uint16_t;  // 12 * (year - 1900) + month - 1

inline constexpr DayNo DAY_NONE = 0;
inline constexpr DayNo DAY_OPEN_END = 65535;
inline constexpr std::uint16_t DATE_FIRST_YEAR = 1900;
inline constexpr std::uint16_t DATE_LAST_YEAR = 2079;
// The day number of 1 January 1970, where system time stamps count from.
inline constexpr DayNo DAY_UNIX_EPOCH = 25568;
inline constexpr std::int64_t DATE_SECONDS_PER_DAY = 86400;
// The years the date fields of the dialogs take: an entry outside them could
// not be changed in the window.
inline constexpr std::uint16_t DATE_DIALOG_FIRST_YEAR = 1970;
inline constexpr std::uint16_t DATE_DIALOG_LAST_YEAR = 2050;

// Weekday = DayNo mod 7, 0 = Sunday .. 6 = Saturday.
inline constexpr std::uint16_t WEEKDAY_SUNDAY = 0;
inline constexpr std::uint16_t WEEKDAY_SATURDAY = 6;

// One-character Shift-JIS names indexed by weekday, NUL-terminated.
extern const char* const WeekdayName[7];

// Sets of weekdays: Sunday 0x01 .. Saturday 0x40.
constexpr std::uint8_t WeekdayBit(std::uint16_t weekday) {
  return static_cast<std::uint8_t>(1u << (weekday % 7));
}

// Weeks of a month: ordinal 1..5 -> 0x01..0x10; 0x10 also reads "last seven days".
inline constexpr std::uint8_t WEEK_LAST = 0x10;
constexpr std::uint8_t WeekBit(std::uint16_t ordinal) {
  return ordinal >= 1 && ordinal <= 5 ? static_cast<std::uint8_t>(1u << (ordinal - 1)) : 0;
}

bool Date_IsLeap(std::uint16_t year);
std::uint16_t Date_MonthLength(std::uint16_t year, std::uint16_t month);  // 0 for month outside 1..12
DayNo Date_ToDayNo(std::uint16_t year, std::uint16_t month, std::uint16_t mday);

// Week set used when matching rules: WeekBit(ceil(mday/7)), plus 0x10 in the
// month's last seven days.
std::uint8_t Date_WeekSet(std::uint16_t mday, std::uint16_t monthLength);
// The single bit a new nth-weekday rule stores: 0x10 in the last seven days,
// otherwise WeekBit(ceil(mday/7)); never the fifth week.
std::uint8_t Date_RuleWeekBit(std::uint16_t mday, std::uint16_t monthLength);

// MonthNo helpers.
MonthNo Date_ToMonthNo(std::uint16_t year, std::uint16_t month);
void Date_MonthNoToDate(MonthNo month, std::uint16_t& year, std::uint16_t& monthOfYear);
DayNo Date_MonthNoFirstDay(MonthNo month);
std::uint16_t Date_MonthNoLength(MonthNo month);

std::uint16_t DayNo_Weekday(DayNo day);
std::uint16_t DayNo_Year(DayNo day);
std::uint16_t DayNo_Month(DayNo day);
std::uint16_t DayNo_Mday(DayNo day);
// Day 0 (no date) gives 31 December 1899 and MonthNo 65535.
void DayNo_ToDate(DayNo day, std::uint16_t& year, std::uint16_t& month, std::uint16_t& mday);
void DayNo_ToMonthNo(DayNo day, MonthNo& month, std::uint16_t& mday);

// Clock seam. The host installs its clock at start-up; tests install a fixed one.
struct DateClock {
  std::int64_t seconds;  // since the epoch
  std::int32_t micros;   // 0..999999
  std::uint16_t year;    // local date and time
  std::uint8_t month, mday, hour, minute, second;
};
using DateClockFn = void (*)(DateClock& out);
void Date_SetClock(DateClockFn fn);   // nullptr restores the system clock
void Date_ReadClock(DateClock& out);  // wall-clock seconds+microseconds and local date/time
void Date_SystemClock(DateClock& out);  // the default: the platform's clock and local time
void Date_SetLocalFields(DateClock& out);  // the local date and time of out.seconds, for a host's clock

// Today through the clock seam; returns today's DayNo.
DayNo Date_Now(std::uint16_t& year, std::uint16_t& month, std::uint16_t& mday,
               std::uint8_t& hour, std::uint8_t& minute);
