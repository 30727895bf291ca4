// The browse keys and the three-month calendar end to end: velmo-headless
// in a temporary folder with real continuation, record and label files, a
// key script, its screenshots and the continuation file it leaves.
#include <gtest/gtest.h>

#include <string>

#include "calendar/Date.h"
#include "files/Record.h"
#include "store/Store.h"
#include "support/Entries.h"
#include "support/Headless.h"

namespace {

using velmo_test::HeadlessFolder;
using velmo_test::Picture;
using velmo_test::Value;

// Block tops and geometry of the calendar.
constexpr int kBlockX[3] = {23, 228, 433};
constexpr int kBlockY = 41;
constexpr int kCellW = 26, kCellH = 20;

DayNo Day(int y, int m, int d) {
  return Date_ToDayNo(static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(m), static_cast<std::uint16_t>(d));
}

// Top-left of a day's cell, given the block that shows its month.
struct Cell {
  int x, y;
};
Cell CellOf(int block, DayNo day) {
  const int column = day % 7;
  const int row = (DayNo_Mday(day) + 5 - column) / 7;
  return {kBlockX[block] + kCellW * column, kBlockY + 40 + kCellH * row};
}
// A pixel of the cell that no digit reaches.
int Paper(const Picture& p, Cell c) { return p.Level(c.x + 2, c.y + 18); }

class BrowseRun : public ::testing::Test {
 protected:
  // Starts on 31 January 2024 in view 4 (no view drawn yet), today 10 January.
  void Start(DayNo cursor = Day(2024, 1, 31), int view = 4) {
    folder.Write("continue", "CurrentDate: " + std::to_string(cursor) + "\nCurrentView: " + std::to_string(view) +
                                 "\n");
  }
  velmo_test::RunResult Run(const std::string& script, const std::string& now = "2024-01-10T09:00") {
    auto run = folder.Run(script, {.now = now});
    EXPECT_EQ(run.status, 0) << run.errors;
    return run;
  }
  std::string Continue(const std::string& key) { return Value(folder.File("continue").value_or(""), key); }
  HeadlessFolder folder;
};

TEST_F(BrowseRun, CalendarOpensWithTheLetterAndTheFunctionKey) {
  for (const char* key : {"c", "F7"}) {
    Start();
    Run(std::string(key) + "\nshot a.png\nq\n");
    const Picture a = folder.Shot("a.png");
    ASSERT_TRUE(a.Valid()) << key;
    // Title rows: light grey with a 3-D edge; the middle block shows January.
    EXPECT_EQ(a.Level(23, 41), 0) << key;
    EXPECT_EQ(a.Level(30, 45), 1) << key;
    EXPECT_EQ(a.Level(23 + 181, 41 + 19), 2) << key;
    EXPECT_EQ(Paper(a, CellOf(1, Day(2024, 1, 7))), 2) << key;   // Sunday
    EXPECT_EQ(Paper(a, CellOf(1, Day(2024, 1, 31))), 3) << key;  // cursor, inverted
    const Cell today = CellOf(1, Day(2024, 1, 10));
    EXPECT_EQ(a.Level(today.x, today.y), 3) << key;  // framed
    EXPECT_EQ(Paper(a, today), 0) << key;
    EXPECT_EQ(Paper(a, CellOf(0, Day(2023, 12, 1))), 0) << key;
    EXPECT_EQ(Paper(a, CellOf(2, Day(2024, 2, 29))), 0) << key;
    EXPECT_EQ(Continue("CurrentView:"), "2") << key;
  }
}

TEST_F(BrowseRun, CursorKeysMoveAndScrollAtTheBlockEdges) {
  Start();
  // 31 Jan: right 1 Feb (block 2), down x4 29 Feb, right 1 Mar (scrolls:
  // January to March), up 23 Feb (block 1), CTRL+F 24 Feb, CTRL+B 23 Feb,
  // CTRL+N 1 Mar (block 2), CTRL+P 23 Feb.
  Run("c\nRIGHT DOWN DOWN DOWN DOWN RIGHT\nshot a.png\nUP C-f C-b C-n C-p\nshot b.png\nq\n");
  const Picture a = folder.Shot("a.png");
  EXPECT_EQ(Paper(a, CellOf(2, Day(2024, 3, 1))), 3);
  EXPECT_EQ(Paper(a, CellOf(2, Day(2024, 3, 2))), 0);
  EXPECT_EQ(Paper(a, CellOf(1, Day(2024, 2, 29))), 0);
  EXPECT_EQ(Paper(a, CellOf(0, Day(2024, 1, 10))), 0);  // January now on the left
  const Picture b = folder.Shot("b.png");
  EXPECT_EQ(Paper(b, CellOf(1, Day(2024, 2, 23))), 3);
  EXPECT_EQ(Paper(b, CellOf(2, Day(2024, 3, 1))), 0);
  EXPECT_EQ(Continue("CurrentDate:"), std::to_string(Day(2024, 2, 23)));

  // Up and left out of the left-hand block scroll back.
  Start(Day(2024, 1, 3));
  Run("c\nUP UP UP UP UP\nshot c.png\nLEFT\nq\n");
  const Picture c = folder.Shot("c.png");
  EXPECT_EQ(Paper(c, CellOf(0, Day(2023, 11, 29))), 3);  // November on the left
  EXPECT_EQ(Paper(c, CellOf(1, Day(2023, 12, 6))), 0);
  EXPECT_EQ(Continue("CurrentDate:"), std::to_string(Day(2023, 11, 28)));
}

TEST_F(BrowseRun, PageDownFromTheThirtyFirstOfJanuaryLandsOnTheThirtiethOfApril) {
  Start();
  Run("c\nPGDN\nshot a.png\nq\n");
  EXPECT_EQ(Paper(folder.Shot("a.png"), CellOf(1, Day(2024, 4, 30))), 3);
  EXPECT_EQ(Continue("CurrentDate:"), std::to_string(Day(2024, 4, 30)));
  Run("c\nPGUP PGUP\nq\n");
  EXPECT_EQ(Continue("CurrentDate:"), std::to_string(Day(2023, 10, 30)));
}

TEST_F(BrowseRun, TheCursorStopsAtTheEndOfTheRange) {
  Start(Day(2078, 12, 30));
  Run("c\nRIGHT RIGHT RIGHT DOWN PGDN\nq\n");
  EXPECT_EQ(Continue("CurrentDate:"), std::to_string(Day(2078, 12, 31)));
  Start(Day(1901, 1, 2));
  Run("c\nLEFT LEFT UP PGUP\nq\n");
  EXPECT_EQ(Continue("CurrentDate:"), std::to_string(Day(1901, 1, 1)));
}

TEST_F(BrowseRun, TodayOnASundayOrAHolidayIsShaded) {
  Store_Init();
  Entry* e = velmo_test::NewEntry(KIND_HOLIDAY, Day(2024, 3, 20), Day(2024, 3, 20));
  ASSERT_TRUE(Store_Register(e));
  folder.Write("record", velmo_test::RecordOfStore());

  Start(Day(2024, 3, 5));
  Run("c\nshot a.png\nq\n", "2024-03-10T09:00");  // a Sunday
  const Cell sunday = CellOf(1, Day(2024, 3, 10));
  EXPECT_EQ(folder.Shot("a.png").Level(sunday.x, sunday.y), 2);
  Run("c\nshot b.png\nq\n", "2024-03-20T09:00");  // the holiday
  const Picture b = folder.Shot("b.png");
  const Cell holiday = CellOf(1, Day(2024, 3, 20));
  EXPECT_EQ(b.Level(holiday.x, holiday.y), 2);
  EXPECT_EQ(Paper(b, holiday), 2);
}

TEST_F(BrowseRun, ReturnAndInsertGoBackToTheViewTheCalendarCameFrom) {
  for (const char* back : {"RET", "INS", "C-j"}) {
    Start(Day(2024, 1, 31), 3);
    Run(std::string("c\n") + back + "\nq\n");
    EXPECT_EQ(Continue("CurrentView:"), "3") << back;
  }
  Start(Day(2024, 1, 31), 4);
  Run("F9\nc\nINS\nq\n");  // the one-week view stored in weekView
  EXPECT_EQ(Continue("CurrentView:"), "7");
}

TEST_F(BrowseRun, TheFamilyCommandOfTheShownViewDoesNothing) {
  Start(Day(2024, 1, 31), 6);
  Run("c\nF7\nc\nRET\nq\n");
  EXPECT_EQ(Continue("CurrentView:"), "6");
  // Started in the calendar, whose way back is the one-day view: F7 must not
  // make the calendar its own way back.
  Start(Day(2024, 1, 31), 2);
  Run("F7\nRET\nq\n");
  EXPECT_EQ(Continue("CurrentView:"), "8");
}

TEST_F(BrowseRun, TheDateLineFollowsTwoTicksAfterTheLastMove) {
  Start();
  Run("c\nwait 1500\nshot a.png\nRIGHT\nshot b.png\nwait 1100\nshot c.png\nq\n");
  const Picture a = folder.Shot("a.png"), b = folder.Shot("b.png"), c = folder.Shot("c.png");
  constexpr int kTextX = 22, kTextY = 2, kTextW = 540, kTextH = 17;
  EXPECT_TRUE(a.SameIn(b, kTextX, kTextY, kTextW, kTextH));
  EXPECT_FALSE(b.SameIn(c, kTextX, kTextY, kTextW, kTextH));
  EXPECT_EQ(Paper(b, CellOf(2, Day(2024, 2, 1))), 3);  // the cursor itself moves at once
}

TEST_F(BrowseRun, LabelKeysPutTheLabelNameInTheTitle) {
  folder.Write("label", "Home\nWorkWork\nThree\nFour\n");
  Start();
  Run("c\n2\nshot a.png\n0\nshot b.png\n2\nq\n");
  const Picture a = folder.Shot("a.png"), b = folder.Shot("b.png");
  // The date takes 22 + "Velmo  " and about 17 cells; the name follows it.
  constexpr int kNameX = 250, kNameW = 300;
  EXPECT_GT(a.Count(kNameX, 2, kNameW, 17, 3), 0);
  EXPECT_EQ(b.Count(kNameX, 2, kNameW, 17, 3), 0);
  EXPECT_EQ(Continue("CurrentLabel:"), "2");
}

TEST_F(BrowseRun, QuitKeepsTheNewCursorViewAndLabel) {
  Start();
  Run("c\nRIGHT DOWN\n3\nq\nRIGHT\n");
  EXPECT_EQ(Continue("CurrentDate:"), std::to_string(Day(2024, 2, 8)));
  EXPECT_EQ(Continue("CurrentView:"), "2");
  EXPECT_EQ(Continue("CurrentLabel:"), "3");
}

}  // namespace
