// The time tables end to end: velmo-headless with a real record file, the
// one-week and one-day commands, the display-size toggle and the hour keys.
#include <gtest/gtest.h>

#include <string>

#include "calendar/Date.h"
#include "files/Record.h"
#include "store/Store.h"
#include "support/Headless.h"

namespace {

using velmo_test::HeadlessFolder;
using velmo_test::Picture;

DayNo Day(int y, int m, int d) {
  return Date_ToDayNo(static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(m), static_cast<std::uint16_t>(d));
}

std::string Value(const std::string& file, const std::string& key) {
  const std::size_t at = file.find("\n" + key);
  if (at == std::string::npos) return "<missing>";
  const std::size_t start = file.find_first_not_of(' ', at + 1 + key.size());
  return file.substr(start, file.find('\n', start) - start);
}

class TimeTableRun : public ::testing::Test {
 protected:
  // Tuesday 5 March 2024, 10:20; a 12:00-14:00 schedule on Wednesday 6 March.
  void SetUp() override {
    Store_Init();
    Entry* e = Store_AllocEntries(1);
    *e = Entry{};
    e->size = ENTRY_NEW_SIZE;
    e->kind = KIND_SCHEDULE;
    e->startDay = e->endDay = Day(2024, 3, 6);
    e->startHour = 12;
    e->endHour = 14;
    ASSERT_TRUE(Store_Register(e));
    const auto image = Record_BuildImage();
    folder.Write("record", std::string(reinterpret_cast<const char*>(image.data()), image.size()));
    Store_Shutdown();
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

}  // namespace
