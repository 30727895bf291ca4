// The time tables end to end: velmo-headless with a real record file, the
// one-week and one-day commands, the display-size toggle and the hour keys.
#include <gtest/gtest.h>

#include <cstdio>
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

DayNo Day(int y, int m, int d) {
  return Date_ToDayNo(static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(m), static_cast<std::uint16_t>(d));
}

class TimeTableRun : public ::testing::Test {
 protected:
  // Tuesday 5 March 2024, 10:20; a 12:00-14:00 schedule on Wednesday 6 March.
  void SetUp() override {
    Store_Init();
    Entry* e = velmo_test::NewEntry(KIND_SCHEDULE, Day(2024, 3, 6), Day(2024, 3, 6));
    e->startHour = 12;
    e->endHour = 14;
    ASSERT_TRUE(Store_Register(e));
    folder.Write("record", velmo_test::RecordOfStore());
    folder.Write("continue", "CurrentDate: " + std::to_string(Day(2024, 3, 5)) + "\nCurrentView: 4\n");
  }
  void Run(const std::string& script) {
    auto run = folder.Run(script, {.now = "2024-03-05T10:20"});
    EXPECT_EQ(run.status, 0) << run.errors;
  }
  std::string Continue(const std::string& key) { return Value(folder.File("continue").value_or(""), key); }
  HeadlessFolder folder;
};

TEST_F(TimeTableRun, TheWeekCommandOpensViewSevenAndDisplaySizeToggles) {
  Run("F9\nshot a.png\nF6\nshot b.png\nF6\nq\n");
  EXPECT_EQ(Continue("CurrentView:"), "7");
  const Picture a = folder.Shot("a.png");
  const Picture b = folder.Shot("b.png");
  ASSERT_TRUE(a.Valid() && b.Valid());
  // View 7: window from 10:00, rows of 13 from y 36, Wednesday column at x 32 + 3 * 63.
  EXPECT_EQ(a.Level(473, 100), 3);
  EXPECT_EQ(a.Level(32 + 189 + 30, 36 + 26), 3);   // 12:00 top edge
  EXPECT_EQ(a.Level(32 + 189 + 30, 36 + 30), 1);   // bar
  EXPECT_EQ(a.Level(32 + 189 + 30, 36 + 52), 3);   // 14:00 bottom edge
  EXPECT_EQ(a.Level(32 + 189 + 30, 36 + 56), 0);
  EXPECT_EQ(a.Level(32 + 126 + 30, 36 + 5), 3);    // the cursor: Tuesday 10:00
  // View 6: rows of 17 from y 41, Wednesday at x 38 + 3 * 86.
  EXPECT_EQ(b.Level(38 + 258 + 40, 41 + 34), 3);
  EXPECT_EQ(b.Level(38 + 258 + 40, 41 + 40), 1);
  EXPECT_EQ(b.Level(38 + 258 + 40, 41 + 68), 3);
  EXPECT_EQ(b.Level(473, 100), 0);  // no list
}

TEST_F(TimeTableRun, TheDayCommandOpensViewEightAndHourKeysExtendTheSelection) {
  Run("F10\nshot a.png\nC-S-n\nC-S-n\nshot b.png\nDOWN\nRIGHT\nshot c.png\nq\n");
  EXPECT_EQ(Continue("CurrentView:"), "8");
  EXPECT_EQ(Continue("CurrentDate:"), std::to_string(Day(2024, 3, 6)));
  EXPECT_EQ(Continue("CurrentHour:"), "13");
  const Picture a = folder.Shot("a.png"), b = folder.Shot("b.png"), c = folder.Shot("c.png");
  ASSERT_TRUE(a.Valid() && b.Valid() && c.Valid());
  EXPECT_EQ(a.Level(100, 22 + 5), 3);       // 10:00 selected
  EXPECT_EQ(a.Level(100, 22 + 18 + 5), 0);
  EXPECT_EQ(b.Level(100, 22 + 36 + 5), 3);  // 10:00 .. 12:00
  EXPECT_EQ(b.Level(100, 22 + 54 + 5), 0);
  // Wednesday: the 12:00-14:00 bar; the cursor on 13:00 inverts its lower half.
  EXPECT_EQ(c.Level(100, 22 + 36 + 5), 1);
  EXPECT_EQ(c.Level(100, 22 + 54 + 5), 2);
  EXPECT_EQ(c.Level(100, 22 + 72), 3);
  EXPECT_EQ(c.Level(100, 22 + 80), 0);
}

// A schedule that starts where the hour window ends shows its two-pixel
// edges on the window's last row.
TEST_F(TimeTableRun, ABarStartingOnTheWindowsLowerEdgeShowsOnItsLastRow) {
  // View 6 from 10:00, then five hours up: 5:00 .. 11:00, the lower edge at 12:00.
  Run("F9\nF6\nUP UP UP UP UP\nshot a.png\nq\n");
  const Picture a = folder.Shot("a.png");
  ASSERT_TRUE(a.Valid());
  const int left = 38 + 3 * 86;  // Wednesday
  EXPECT_EQ(a.Level(left + 1, 41 + 118), 3);    // left edge
  EXPECT_EQ(a.Level(left + 40, 41 + 118), 1);   // fill
  EXPECT_EQ(a.Level(left + 85, 41 + 118), 3);   // right edge
  EXPECT_EQ(a.Level(left + 40, 41 + 117), 0);   // nothing above
  EXPECT_EQ(a.Level(left + 40, 41 + 119), 3);   // the strip's top line
}

// Fourteen schedules on Wednesday 6 March, 8:00, 8:30, ... ("e00" .. "e13").
std::string CrowdedDay() {
  Store_Init();
  static char texts[14][4];
  for (int i = 0; i < 14; ++i) {
    std::snprintf(texts[i], sizeof texts[i], "e%02d", i);
    Entry* e = velmo_test::NewEntry(KIND_SCHEDULE, Day(2024, 3, 6), Day(2024, 3, 6));
    e->startHour = static_cast<std::uint8_t>(8 + i / 2);
    e->startMinute = static_cast<std::uint8_t>(i % 2 * 30);
    e->endHour = static_cast<std::uint8_t>(e->startHour + 1);
    e->endMinute = e->startMinute;
    e->text = texts[i];
    e->textLen = 3;
    EXPECT_TRUE(Store_Register(e));
  }
  return velmo_test::RecordOfStore();
}

// An hour move ends the item selection; the list scrolled for it must scroll
// back too, so that the row the next p highlights is the entry DEL removes.
TEST_F(TimeTableRun, AfterAnHourMoveTheHighlightedRowIsTheEntryTheCommandsActOn) {
  const std::string record = CrowdedDay();
  const std::string scrolled = "n n n n n n n n n n n n n n\n";
  struct Case {
    const char* view;
    int listLeft;
  };
  for (const Case& c : {Case{"F9", 474}, Case{"F10", 197}}) {
    SCOPED_TRACE(c.view);
    folder.Write("record", record);
    folder.Write("continue", "CurrentDate: " + std::to_string(Day(2024, 3, 6)) + "\nCurrentView: 4\n");
    Run(std::string(c.view) + "\nUP\np\nshot fresh.png\nq\n");
    folder.Write("continue", "CurrentDate: " + std::to_string(Day(2024, 3, 6)) + "\nCurrentView: 4\n");
    Run(std::string(c.view) + "\n" + scrolled + "UP\np\nshot moved.png\nDEL\nRET\nq\n");
    const Picture fresh = folder.Shot("fresh.png"), moved = folder.Shot("moved.png");
    ASSERT_TRUE(fresh.Valid() && moved.Valid());
    // Rows from e00, its row inverted, no up mark: as if the list had never scrolled.
    EXPECT_TRUE(moved.SameIn(fresh, c.listLeft, 21, 640 - c.listLeft, 199));
    ASSERT_EQ(folder.Run("", {.program = "velmo-cli", .extra = "dump record > dump.jsonl"}).status, 0);
    const std::string dump = folder.File("dump.jsonl").value_or("");
    EXPECT_EQ(dump.find("\"text\":\"e00\""), std::string::npos) << "e00 was highlighted and deleted";
    EXPECT_NE(dump.find("\"text\":\"e07\""), std::string::npos);
  }
}

}  // namespace
