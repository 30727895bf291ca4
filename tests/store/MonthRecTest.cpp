#include "store/MonthRec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "files/Save.h"
#include "store/MonthRecEntry.h"

namespace {

class MonthRecTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Store_Init();
    Store_SetChangeHook(Data_Changed);
    Data_SetImmediateSave(false);  // no file is written by these tests
  }
  void TearDown() override {
    Store_Shutdown();
    Store_SetChangeHook(nullptr);
    Data_SetImmediateSave(true);
    Data_SetModified(false);
  }

  static Entry* Add(const monthref::Ref& r) {
    Entry* e = monthref::AddToStore(r);
    EXPECT_NE(e, nullptr);
    return e;
  }

  static const MonthRec& Month(int year, int month) {
    return MonthRec_GetByMonthNo(static_cast<MonthNo>(12 * (year - 1900) + month - 1));
  }
};

monthref::Ref Schedule(int start, int end) {
  monthref::Ref r;
  r.kind = KIND_SCHEDULE;
  r.start = start;
  r.end = end;
  return r;
}

TEST_F(MonthRecTest, SundaysAndOptionallySaturdaysAreHolidays) {
  const MonthRec& rec = Month(2024, 6);  // 1 June 2024 is a Saturday
  EXPECT_EQ(rec.days, 30);
  EXPECT_EQ(rec.holiday[1], 0);
  EXPECT_EQ(rec.holiday[2], 1);
  EXPECT_EQ(rec.holiday[3], 0);
  Store_SetSaturdayHoliday(true);
  const MonthRec& again = Month(2024, 6);
  EXPECT_EQ(again.holiday[1], 1);
  EXPECT_EQ(again.holiday[8], 1);
  EXPECT_EQ(again.holiday[7], 0);
}

TEST_F(MonthRecTest, AHolidayMarksItsDayAndComesFirst) {
  const int wed = Date_ToDayNo(2024, 6, 12);
  Add(Schedule(wed, wed));
  monthref::Ref task;
  task.kind = KIND_TASK;
  task.start = wed - 3;
  task.end = 65535;
  Add(task);
  monthref::Ref holiday = Schedule(wed, wed);
  holiday.kind = KIND_HOLIDAY;
  Entry* h = Add(holiday);
  const MonthRec& rec = Month(2024, 6);
  EXPECT_EQ(rec.holiday[12], 1);
  ASSERT_EQ(rec.count[12], 3);
  EXPECT_EQ(rec.list[12][0], h);
  EXPECT_EQ(rec.list[12][1]->kind, KIND_SCHEDULE);
  EXPECT_EQ(rec.list[12][2]->kind, KIND_TASK);
}

TEST_F(MonthRecTest, LastFridayAndFourthMondayRules) {
  monthref::Ref lastFriday = Schedule(Date_ToDayNo(2024, 1, 26), 65000);
  lastFriday.repeat = REPEAT_MONTH_WEEKDAY;
  lastFriday.interval = 1;
  lastFriday.weekMask = 0x10;
  lastFriday.weekdayMask = 0x20;
  Add(lastFriday);
  const MonthRec& may = Month(2024, 5);  // Fridays 3, 10, 17, 24, 31
  EXPECT_EQ(may.count[31], 1);
  EXPECT_EQ(may.count[24], 0);
  const MonthRec& feb = Month(2024, 2);  // Fridays 2, 9, 16, 23 (last)
  EXPECT_EQ(feb.count[23], 1);

  Store_Init();
  monthref::Ref fourthMonday = Schedule(Date_ToDayNo(2024, 1, 22), 65000);
  fourthMonday.repeat = REPEAT_MONTH_WEEKDAY;
  fourthMonday.interval = 1;
  fourthMonday.weekMask = 0x08;
  fourthMonday.weekdayMask = 0x02;
  Add(fourthMonday);
  const MonthRec& april = Month(2024, 4);  // Mondays 1, 8, 15, 22, 29
  EXPECT_EQ(april.count[22], 1);
  EXPECT_EQ(april.count[29], 0);
}

TEST_F(MonthRecTest, YearlyOnTheTwentyNinthOfFebruaryOnlyInLeapYears) {
  monthref::Ref r = Schedule(Date_ToDayNo(2000, 2, 29), 60000);
  r.repeat = REPEAT_YEAR_DAY;
  r.interval = 1;
  Add(r);
  EXPECT_EQ(Month(2004, 2).count[29], 1);
  EXPECT_EQ(Month(2008, 2).count[29], 1);
  const MonthRec& feb2001 = Month(2001, 2);
  for (int d = 1; d <= feb2001.days; ++d) EXPECT_EQ(feb2001.count[d], 0);
}

TEST_F(MonthRecTest, IntervalZeroCountsAsOne) {
  monthref::Ref r = Schedule(Date_ToDayNo(2024, 3, 1), Date_ToDayNo(2024, 3, 31));
  r.repeat = REPEAT_DAYS;
  r.interval = 0;
  Add(r);
  const MonthRec& rec = Month(2024, 3);
  for (int d = 1; d <= 31; ++d) EXPECT_EQ(rec.count[d], 1);
}

TEST_F(MonthRecTest, EveryEntryOnEveryDayFitsAndNoneIsDropped) {
  const int first = Date_ToDayNo(2024, 1, 1);
  for (std::size_t i = 0; i < cap::kEntries; ++i) Add(Schedule(first, first + 30));
  const MonthRec& rec = Month(2024, 1);
  for (int d = 1; d <= 31; ++d) ASSERT_EQ(rec.count[d], cap::kEntries);
  EXPECT_EQ(rec.list[31][cap::kEntries - 1], Store_At(cap::kEntries - 1));
}

TEST_F(MonthRecTest, ADoneTaskShowsOnlyOnItsDoneDay) {
  monthref::Ref task;
  task.kind = KIND_TASK;
  task.start = Date_ToDayNo(2024, 6, 3);
  task.end = 65535;
  Add(task);
  EXPECT_EQ(Month(2024, 6).count[2], 0);
  EXPECT_EQ(Month(2024, 6).count[3], 1);
  EXPECT_EQ(Month(2024, 9).count[20], 1);
  ASSERT_TRUE(Entry_ToggleDone(Date_ToDayNo(2024, 6, 10), 0));
  EXPECT_TRUE(Data_Modified());
  const MonthRec& rec = Month(2024, 6);
  for (int d = 1; d <= 30; ++d) EXPECT_EQ(rec.count[d], d == 10 ? 1 : 0) << d;
  ASSERT_TRUE(Entry_ToggleDone(Date_ToDayNo(2024, 6, 10), 0));
  EXPECT_EQ(Month(2024, 6).count[11], 1);
  EXPECT_FALSE(Entry_ToggleDone(Date_ToDayNo(2024, 6, 10), 1));  // no such item
}

TEST_F(MonthRecTest, ToggleDoneRefusesAnythingButATask) {
  const int day = Date_ToDayNo(2024, 6, 5);
  Add(Schedule(day, day));
  EXPECT_FALSE(Entry_ToggleDone(static_cast<DayNo>(day), 0));
  EXPECT_FALSE(Data_Modified());
}

TEST_F(MonthRecTest, LabelFiltersHideAndNeverHideLabelsAboveSeven) {
  const int day = Date_ToDayNo(2024, 6, 5);
  for (int label : {0, 2, 3, 8}) {
    monthref::Ref r = Schedule(day, day);
    r.label = label;
    Add(r);
  }
  EXPECT_EQ(Month(2024, 6).count[5], 4);
  Store_SetLabelVisible(2, false);
  EXPECT_EQ(Month(2024, 6).count[5], 3);
  Store_SelectLabel(3);
  const MonthRec& rec = Month(2024, 6);
  ASSERT_EQ(rec.count[5], 3);
  EXPECT_EQ(rec.list[5][0]->label, 0);
  EXPECT_EQ(rec.list[5][1]->label, 3);
  EXPECT_EQ(rec.list[5][2]->label, 8);
  Store_SelectLabel(0);
  EXPECT_EQ(Month(2024, 6).count[5], 4);
}

TEST_F(MonthRecTest, ThreeSlotsKeepThreeConsecutiveMonths) {
  const MonthRec* a = &MonthRec_GetByMonthNo(1500);
  const MonthRec* b = &MonthRec_GetByMonthNo(1501);
  const MonthRec* c = &MonthRec_GetByMonthNo(1502);
  EXPECT_NE(a, b);
  EXPECT_NE(b, c);
  // Entries registered without an invalidation are not seen: nothing recomputed.
  Add(Schedule(Date_ToDayNo(2025, 1, 1) - 1000, 65000));
  EXPECT_EQ(MonthRec_GetByMonthNo(1500).count[1], 0);
  EXPECT_EQ(&MonthRec_GetByMonthNo(1503), a);
  EXPECT_EQ(MonthRec_GetByMonthNo(1503).monthNo, 1503);
  EXPECT_EQ(MonthRec_GetByMonthNo(1500).count[1], 1);  // recomputed into its slot
  Store_Invalidate();
  EXPECT_EQ(MonthRec_GetByMonthNo(1501).count[1], 1);
}

TEST_F(MonthRecTest, MonthsPastTheLastDayExpandEmpty) {
  Add(Schedule(1, 65535));
  const MonthRec& june = MonthRec_GetByMonthNo(MONTH_LAST);  // June 2079: days 1..5 exist
  EXPECT_EQ(june.lastDay, 65535);
  EXPECT_EQ(june.count[5], 1);
  EXPECT_EQ(june.count[6], 0);
  EXPECT_EQ(MonthRec_GetByMonthNo(MONTH_LAST + 1).count[1], 0);
}

// Many months of random entries of every kind and rule against the naive model.
TEST_F(MonthRecTest, ExpansionMatchesTheNaiveModelUnderEveryFilter) {
  std::mt19937 rng(20240601);
  const int from = Date_ToDayNo(2023, 11, 1);
  const std::vector<monthref::Ref> refs = monthref::RandomEntries(rng, 400, from, 450);
  for (const monthref::Ref& r : refs) Add(r);
  const int custom[5] = {0, 1, 0, 1, 1};
  for (int selection = 0; selection <= 5; ++selection) {
    const bool saturday = selection % 2 == 1;
    const monthref::Filter filter = monthref::FilterFor(selection, custom, saturday);
    for (int label = 0; label < 8; ++label) Store_SetLabelVisible(label, filter.visible[label]);
    Store_SetSaturdayHoliday(saturday);
    for (MonthNo m = 1486; m < 1486 + 15; ++m) {  // November 2023 .. January 2025
      const MonthRec& rec = MonthRec_GetByMonthNo(m);
      for (int d = 1; d <= rec.days; ++d) {
        const int n = rec.firstDay + d - 1;
        const monthref::Day want = monthref::Expect(refs, n, filter);
        ASSERT_EQ(rec.holiday[d] != 0, want.holiday) << "day " << n;
        ASSERT_EQ(rec.count[d], want.items.size()) << "day " << n;
        for (std::size_t i = 0; i < want.items.size(); ++i) {
          ASSERT_EQ(rec.list[d][i], Store_At(static_cast<std::uint16_t>(want.items[i])))
              << "day " << n << " item " << i << " selection " << selection;
        }
      }
    }
  }
}

TEST(MonthRecRuleTest, MatchesOneDayAsTheExpansionDoes) {
  Entry e{};
  e.kind = KIND_SCHEDULE;
  e.startDay = Date_ToDayNo(2024, 1, 2);  // a Tuesday
  e.endDay = 65000;
  ASSERT_TRUE(Store_Init() && Store_Register(&e));
  e.repeat = REPEAT_WEEKS;
  e.interval = 2;
  e.weekMask = WeekdayBit(2);
  EXPECT_TRUE(MonthRec_RuleMatches(e, Date_ToDayNo(2024, 1, 16)));
  EXPECT_FALSE(MonthRec_RuleMatches(e, Date_ToDayNo(2024, 1, 9)));
  EXPECT_FALSE(MonthRec_RuleMatches(e, Date_ToDayNo(2024, 1, 17)));
  Store_Init();
}

TEST(MonthRecDeathTest, AnUnknownRepeatIsTheFatalStop) {
  EXPECT_EXIT(
      {
        Store_Init();
        static Entry e{};
        e.kind = KIND_SCHEDULE;
        e.startDay = 100;
        e.endDay = 200;
        e.repeat = 7;
        Store_Register(&e);
        MonthRec_GetByMonthNo(3);
      },
      ::testing::ExitedWithCode(1), "PANIC: MonthRec_GetByMonthNo\\(\\): Invalid repeat attribute");
}

}  // namespace
