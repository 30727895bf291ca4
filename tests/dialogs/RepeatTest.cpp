#include "dialogs/Repeat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/Field.h"
#include "store/Store.h"

namespace {

std::vector<std::string> Rows(DayNo day) {
  std::vector<std::string> rows;
  for (int r = 0; r < REPEAT_ROWS; ++r) {
    char text[REPEAT_TEXT_BYTES];
    const int length = Repeat_Describe(day, r, text, sizeof text);
    EXPECT_EQ(length, static_cast<int>(std::string(text).size()));
    rows.emplace_back(text);
  }
  return rows;
}

TEST(RepeatRows, WednesdayFifteenthOfJuneReadsTheSevenRules) {
  // なし, 日, 水曜日, 15日, 第三水曜日, 6月15日, 6月第三水曜日
  EXPECT_EQ(Rows(Date_ToDayNo(2022, 6, 15)),
            (std::vector<std::string>{"\x82\xc8\x82\xb5", "\x93\xfa", "\x90\x85\x97\x6a\x93\xfa", "15\x93\xfa",
                                      "\x91\xe6\x8e\x4f\x90\x85\x97\x6a\x93\xfa", "6\x8c\x8e" "15\x93\xfa",
                                      "6\x8c\x8e\x91\xe6\x8e\x4f\x90\x85\x97\x6a\x93\xfa"}));
}

TEST(RepeatRows, TheLastSevenDaysOfAMonthUseTheLastWording) {
  // 25 January 2023 is a Wednesday: 最終水曜日, 1月最終水曜日
  const auto january = Rows(Date_ToDayNo(2023, 1, 25));
  EXPECT_EQ(january[4], "\x8d\xc5\x8f\x49\x90\x85\x97\x6a\x93\xfa");
  EXPECT_EQ(january[6], "1\x8c\x8e\x8d\xc5\x8f\x49\x90\x85\x97\x6a\x93\xfa");
  // 22 February 2023 (Wednesday) is last, the 21st (Tuesday) is the third.
  EXPECT_EQ(Rows(Date_ToDayNo(2023, 2, 22))[4], "\x8d\xc5\x8f\x49\x90\x85\x97\x6a\x93\xfa");
  EXPECT_EQ(Rows(Date_ToDayNo(2023, 2, 21))[4], "\x91\xe6\x8e\x4f\x89\xce\x97\x6a\x93\xfa");
  // The longest texts still fit their 16-byte buffer.
  EXPECT_EQ(Rows(Date_ToDayNo(2023, 12, 20))[6].size(), 14u);
  EXPECT_EQ(Rows(Date_ToDayNo(2023, 12, 31))[6].size(), 14u);
}

TEST(RepeatRows, NoDateOrAnUnknownRowGivesNothing) {
  char text[4] = "x";
  EXPECT_EQ(Repeat_Describe(DAY_NONE, 2, text, sizeof text), 0);
  EXPECT_EQ(Repeat_Describe(Date_ToDayNo(2022, 6, 15), 7, text, sizeof text), 0);
  EXPECT_STREQ(text, "");
  // A short buffer is cut, never overrun.
  EXPECT_EQ(Repeat_Describe(Date_ToDayNo(2022, 6, 15), 6, text, sizeof text), 3);
}

TEST(RepeatApply, NthWeekdayRulesStoreTheWeekAndTheWeekday) {
  Entry e{};
  e.startDay = Date_ToDayNo(2023, 1, 25);
  Repeat_Apply(e, REPEAT_MONTH_WEEKDAY, 2);
  EXPECT_EQ(e.repeat, REPEAT_MONTH_WEEKDAY);
  EXPECT_EQ(e.interval, 2);
  EXPECT_EQ(e.weekMask, 0x10);
  EXPECT_EQ(e.weekdayMask, WeekdayBit(3));

  Entry f{};
  f.startDay = Date_ToDayNo(2022, 6, 15);
  Repeat_Apply(f, REPEAT_YEAR_WEEKDAY, 1);
  EXPECT_EQ(f.weekMask, WeekBit(3));
  EXPECT_EQ(f.weekdayMask, WeekdayBit(3));

  Entry g{};
  g.startDay = f.startDay;
  Repeat_Apply(g, REPEAT_WEEKS, 1);
  EXPECT_EQ(g.weekMask, WeekdayBit(3));
  EXPECT_EQ(g.weekdayMask, 0);
}

TEST(RepeatApply, OtherRulesKeepTheMasksAndOpeningMakesAZeroIntervalOne) {
  Entry e{};
  e.startDay = Date_ToDayNo(2022, 6, 15);
  e.weekMask = 0x04;
  e.weekdayMask = 0x08;
  Repeat_Apply(e, REPEAT_MONTH_DAY, 3);
  EXPECT_EQ(e.weekMask, 0x04);
  EXPECT_EQ(e.weekdayMask, 0x08);
  e.interval = 0;
  e.repeat = REPEAT_YEAR_DAY;
  EXPECT_EQ(Repeat_OpenChoice(e), REPEAT_YEAR_DAY);
  EXPECT_EQ(e.interval, 1);
}

}  // namespace
