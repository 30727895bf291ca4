#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "calendar/Date.h"

namespace {

using namespace std::chrono;

// 31 December 1899 is day 0 in civil-day terms.
constexpr sys_days kDayZero = sys_days{year{1899} / December / 31};

TEST(Date, EveryDayConvertsBothWaysLikeTheCivilCalendar) {
  for (unsigned n = 1; n <= 65535; ++n) {
    const year_month_day ymd{kDayZero + days{n}};
    const auto y = static_cast<std::uint16_t>(static_cast<int>(ymd.year()));
    const auto m = static_cast<std::uint16_t>(static_cast<unsigned>(ymd.month()));
    const auto d = static_cast<std::uint16_t>(static_cast<unsigned>(ymd.day()));
    ASSERT_EQ(Date_ToDayNo(y, m, d), n) << y << "-" << m << "-" << d;
    std::uint16_t yy, mm, dd;
    DayNo_ToDate(static_cast<DayNo>(n), yy, mm, dd);
    ASSERT_EQ(yy, y) << n;
    ASSERT_EQ(mm, m) << n;
    ASSERT_EQ(dd, d) << n;
    ASSERT_EQ(DayNo_Year(static_cast<DayNo>(n)), y);
    ASSERT_EQ(DayNo_Month(static_cast<DayNo>(n)), m);
    ASSERT_EQ(DayNo_Mday(static_cast<DayNo>(n)), d);
    ASSERT_EQ(DayNo_Weekday(static_cast<DayNo>(n)), weekday{kDayZero + days{n}}.c_encoding());
    MonthNo mon;
    std::uint16_t md;
    DayNo_ToMonthNo(static_cast<DayNo>(n), mon, md);
    ASSERT_EQ(mon, 12 * (y - 1900) + m - 1);
    ASSERT_EQ(md, d);
  }
}

TEST(Date, KnownDaysAndWeekdays) {
  EXPECT_EQ(Date_ToDayNo(1900, 1, 1), 1);
  EXPECT_EQ(DayNo_Weekday(1), 1);  // Monday
  EXPECT_EQ(Date_ToDayNo(2000, 1, 1), 36525);
  EXPECT_EQ(DayNo_Weekday(36525), WEEKDAY_SATURDAY);
  EXPECT_EQ(Date_ToDayNo(2079, 6, 5), 65535);
  EXPECT_EQ(Date_ToDayNo(1970, 1, 1), DAY_UNIX_EPOCH);
  std::uint16_t y, m, d;
  DayNo_ToDate(Date_ToDayNo(2001, 12, 31), y, m, d);
  EXPECT_EQ(m, 12);
  EXPECT_EQ(d, 31);
}

TEST(Date, DayZeroIsTheDayBeforeTheFirstAndDoesNotHang) {
  std::uint16_t y, m, d;
  DayNo_ToDate(0, y, m, d);
  EXPECT_EQ(y, 1899);
  EXPECT_EQ(m, 12);
  EXPECT_EQ(d, 31);
  MonthNo mon;
  DayNo_ToMonthNo(0, mon, d);
  EXPECT_EQ(mon, 65535);
}

TEST(Date, DatesPastTheRangeWrap) {
  EXPECT_EQ(Date_ToDayNo(2079, 6, 6), 0);
  EXPECT_EQ(Date_ToDayNo(2079, 6, 7), 1);
}

TEST(Date, LeapYearsAndMonthLengths) {
  EXPECT_EQ(Date_MonthLength(1900, 2), 28);
  EXPECT_EQ(Date_MonthLength(2000, 2), 29);
  EXPECT_EQ(Date_MonthLength(2004, 2), 29);
  EXPECT_EQ(Date_MonthLength(2001, 2), 28);
  EXPECT_EQ(Date_MonthLength(2001, 4), 30);
  EXPECT_EQ(Date_MonthLength(2001, 12), 31);
  EXPECT_EQ(Date_MonthLength(2001, 0), 0);
  EXPECT_EQ(Date_MonthLength(2001, 13), 0);
}

TEST(Date, MonthNumbers) {
  for (DayNo n = 1; n <= 31; ++n) {
    MonthNo mon;
    std::uint16_t d;
    DayNo_ToMonthNo(n, mon, d);
    EXPECT_EQ(mon, 0);
  }
  MonthNo mon;
  std::uint16_t d;
  DayNo_ToMonthNo(Date_ToDayNo(2000, 12, 1), mon, d);
  EXPECT_EQ(mon, 1211);
  DayNo_ToMonthNo(Date_ToDayNo(2000, 12, 31), mon, d);
  EXPECT_EQ(mon, 1211);
  EXPECT_EQ(Date_ToMonthNo(2000, 12), 1211);
  std::uint16_t y, m;
  Date_MonthNoToDate(1211, y, m);
  EXPECT_EQ(y, 2000);
  EXPECT_EQ(m, 12);
  EXPECT_EQ(Date_MonthNoFirstDay(1200), 36525);
  EXPECT_EQ(Date_MonthNoLength(1201), 29);
}

TEST(Date, WeekSetsAndRuleWeekBits) {
  EXPECT_EQ(Date_WeekSet(28, 28), 0x18);
  EXPECT_EQ(Date_WeekSet(21, 31), 0x04);
  EXPECT_EQ(Date_WeekSet(25, 31), 0x18);
  EXPECT_EQ(Date_WeekSet(22, 28), 0x18);
  EXPECT_EQ(Date_WeekSet(29, 30), 0x10);
  EXPECT_EQ(Date_WeekSet(1, 31), 0x01);
  EXPECT_EQ(Date_RuleWeekBit(25, 31), 0x10);
  EXPECT_EQ(Date_RuleWeekBit(29, 30), 0x10);
  EXPECT_EQ(Date_RuleWeekBit(24, 31), 0x08);
  EXPECT_EQ(Date_RuleWeekBit(8, 31), 0x02);
  EXPECT_EQ(WeekdayBit(0), 0x01);
  EXPECT_EQ(WeekdayBit(6), 0x40);
  EXPECT_EQ(WeekBit(5), 0x10);
}

TEST(Date, WeekdayNamesAreShiftJis) {
  EXPECT_STREQ(WeekdayName[0], "\x93\xfa");  // 日
  EXPECT_STREQ(WeekdayName[6], "\x93\x79");  // 土
  for (const char* name : WeekdayName) EXPECT_EQ(std::strlen(name), 2u);
}

void FixedClock(DateClock& out) {
  out.seconds = 946729800;
  out.micros = 5;
  out.year = 2000;
  out.month = 1;
  out.mday = 1;
  out.hour = 12;
  out.minute = 30;
  out.second = 0;
}

TEST(Date, NowReadsThroughTheClockSeam) {
  Date_SetClock(FixedClock);
  std::uint16_t y, m, d;
  std::uint8_t h, mi;
  EXPECT_EQ(Date_Now(y, m, d, h, mi), 36525);
  EXPECT_EQ(h, 12);
  EXPECT_EQ(mi, 30);
  Date_SetClock(nullptr);
  DateClock c;
  Date_ReadClock(c);
  EXPECT_GE(c.year, 2020);
  EXPECT_GE(c.month, 1);
  EXPECT_LE(c.month, 12);
  EXPECT_LT(c.micros, 1000000);
}

}  // namespace
