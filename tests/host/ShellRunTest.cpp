// Start-up, shutdown and the title line, end to end through velmo-headless
// with real files.
#include <gtest/gtest.h>

#include <string>

#include "calendar/Date.h"
#include "graphics/Zeb.h"
#include "shell/Title.h"
#include "support/Headless.h"
#include "toolkit/nw.h"

namespace {

using velmo_test::HeadlessFolder;
using velmo_test::Picture;
using velmo_test::Value;

constexpr int kClockX = 576, kClockY = 2, kClockW = 36, kClockH = 16;
const std::string kEndRecord("\x04\x00\x02\x00", 4);

std::string Day(int y, int m, int d) { return std::to_string(Date_ToDayNo(y, m, d)); }

TEST(ShellRun, FirstStartWritesTheContinuationFileWithItsDefaultsAndNoRecord) {
  HeadlessFolder folder;
  const auto run = folder.Run("", {.now = "2024-03-05T10:20:30"});
  ASSERT_EQ(run.status, 0) << run.errors;
  const std::string file = folder.File("continue").value_or("");
  EXPECT_EQ(file.rfind("#\n# task continuation\n#\n", 0), 0u);
  EXPECT_EQ(Value(file, "ContinueVersion:"), "4");
  EXPECT_EQ(Value(file, "RecordFile:"), "record");
  EXPECT_EQ(Value(file, "PowerOnToday:"), "0");
  EXPECT_EQ(Value(file, "CustomLabel:"), "1 1 1 1 1");
  EXPECT_EQ(Value(file, "CurrentView:"), "4");
  EXPECT_EQ(Value(file, "CurrentViewMonth:"), "2");
  EXPECT_EQ(Value(file, "CurrentViewWeeks:"), "5");
  EXPECT_EQ(Value(file, "CurrentViewWeek:"), "7");
  EXPECT_EQ(Value(file, "CurrentViewDay:"), "8");
  EXPECT_EQ(Value(file, "CurrentViewList:"), "11");
  EXPECT_EQ(Value(file, "CurrentDate:"), Day(2024, 3, 5));
  EXPECT_EQ(Value(file, "CurrentHour:"), "10");
  EXPECT_EQ(Value(file, "CurrentLabel:"), "0");
  EXPECT_FALSE(folder.Exists("record"));
  EXPECT_FALSE(folder.Exists("record.bak"));
}

TEST(ShellRun, StoredCursorComesBackUnlessPowerOnTodayIsSet) {
  HeadlessFolder folder;
  const std::string stored = "CurrentDate: " + Day(2023, 7, 14) + "\nCurrentView: 3\nCurrentLabel: 2\n";
  folder.Write("continue", "PowerOnToday: 0\n" + stored);
  ASSERT_EQ(folder.Run("").status, 0);
  std::string file = folder.File("continue").value_or("");
  EXPECT_EQ(Value(file, "CurrentDate:"), Day(2023, 7, 14));
  EXPECT_EQ(Value(file, "CurrentView:"), "3");
  EXPECT_EQ(Value(file, "CurrentLabel:"), "2");

  folder.Write("continue", "PowerOnToday: 1\n" + stored);
  ASSERT_EQ(folder.Run("", {.now = "2024-03-05T10:20"}).status, 0);
  file = folder.File("continue").value_or("");
  EXPECT_EQ(Value(file, "CurrentDate:"), Day(2024, 3, 5));
  EXPECT_EQ(Value(file, "PowerOnToday:"), "1");
}

TEST(ShellRun, QuittingWithoutAChangeLeavesTheRecordFileAloneAndMakesNoBackup) {
  HeadlessFolder folder;
  folder.Write("record", kEndRecord);
  const auto before = std::filesystem::last_write_time(folder.Path("record"));
  ASSERT_EQ(folder.Run("F7 q\n").status, 0);
  EXPECT_EQ(folder.File("record"), kEndRecord);
  EXPECT_EQ(std::filesystem::last_write_time(folder.Path("record")), before);
  EXPECT_FALSE(folder.Exists("record.bak"));
  EXPECT_TRUE(folder.Exists("continue"));
  EXPECT_EQ(Value(folder.File("continue").value_or(""), "CurrentView:"), "2");
}

// Every part of the title line and the function-key bar at its place.
TEST(ShellRun, TitleLineIconClockAndTenSlotsAreDrawnAtTheirPlaces) {
  HeadlessFolder folder;
  ASSERT_EQ(folder.Run("shot a.png\n").status, 0);
  const Picture a = folder.Shot("a.png");
  ASSERT_EQ(a.width, 640);
  ASSERT_EQ(a.height, 240);
  // 3-D edge round (0, 0, 640, 20), grey 1 inside, a black line at row 20.
  EXPECT_EQ(a.Count(0, 0, 640, 1, 0), 639);
  EXPECT_EQ(a.Count(1, 19, 639, 1, 2), 639);
  EXPECT_EQ(a.Count(639, 1, 1, 19, 2), 19);
  EXPECT_EQ(a.Count(0, 20, 640, 1, 3), 640);
  EXPECT_EQ(a.Count(260, 1, 310, 18, 1), 310 * 18);  // nothing between title and clock
  // The bold title text starts at x 22.
  EXPECT_EQ(a.Count(19, 1, 3, 18, 3), 0);
  EXPECT_GT(a.Count(22, 2, 40, 16, 3), 60);
  // The icon at (2, 2), pixel for pixel.
  ZebBitmapText icon{};
  ASSERT_TRUE(Zeb_ParseBitmapHeader(Title_Icon.data(), Title_Icon.size(), icon));
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      EXPECT_EQ(a.Level(2 + x, 2 + y), (icon.pixels[y * 4 + x / 4] >> (x % 4 * 2)) & 3) << x << "," << y;
  // The clock box (576, 2, 36, 16): edge, grey 1 inside, black digits.
  EXPECT_EQ(a.Count(kClockX, kClockY, kClockW - 1, 1, 0), kClockW - 1);
  EXPECT_EQ(a.Count(kClockX + 1, kClockY + kClockH - 1, kClockW - 1, 1, 2), kClockW - 1);
  EXPECT_GT(a.Count(kClockX + 3, 4, 30, 12, 3), 20);
  EXPECT_EQ(a.Count(kClockX + 1, kClockY + 1, kClockW - 2, kClockH - 2, 0), 0);
  // Ten slots: outlined boxes, labels in all but the fourth.
  for (int i = 0; i < 10; ++i) {
    const int x = nwToolbar_SlotX(i);
    EXPECT_EQ(a.Level(x, 222), 3) << i;
    EXPECT_EQ(a.Level(x + 53, 239), 3) << i;
    EXPECT_EQ(a.Level(x + 1, 223), 0) << i;
    const int ink = a.Count(x + 3, 225, 48, 12, 3);
    if (i == 3) {
      EXPECT_EQ(ink, 0);
    } else {
      EXPECT_GT(ink, 10) << i;
    }
  }
  EXPECT_EQ(nwToolbar_SlotX(9), 497);
  EXPECT_EQ(a.Count(551, 221, 89, 19, 3), 0);  // nothing right of the last slot
}

TEST(ShellRun, ClockFollowsTheVirtualClockAcrossAMinute) {
  HeadlessFolder folder;
  ASSERT_EQ(folder.Run("shot a.png\nwait 4000\nshot b.png\nwait 10000\nshot c.png\n",
                       {.now = "2024-03-05T10:20:50"})
                .status,
            0);
  HeadlessFolder later;
  ASSERT_EQ(later.Run("shot d.png\n", {.now = "2024-03-05T10:21:00"}).status, 0);
  const Picture a = folder.Shot("a.png"), b = folder.Shot("b.png"), c = folder.Shot("c.png");
  const Picture d = later.Shot("d.png");
  EXPECT_TRUE(a == b);                                          // 10:20:54: still 10:20
  EXPECT_FALSE(a.SameIn(c, kClockX, kClockY, kClockW, kClockH));  // 10:21:04: the tick at 10:21:00 drew 10:21
  EXPECT_TRUE(c.SameIn(d, kClockX, kClockY, kClockW, kClockH));
  EXPECT_TRUE(a.SameIn(c, 0, 20, 640, 220));
}

TEST(ShellRun, SameScriptAndFilesGiveIdenticalScreens) {
  const std::string script = "shot a.png\nF7\nRIGHT DOWN\nwait 1500\nshot b.png\nF10\nshot c.png\n";
  HeadlessFolder one, two;
  for (HeadlessFolder* f : {&one, &two}) {
    f->Write("record", kEndRecord);
    ASSERT_EQ(f->Run(script).status, 0);
  }
  for (const char* name : {"a.png", "b.png", "c.png"}) {
    EXPECT_TRUE(one.Shot(name).Valid()) << name;
    EXPECT_EQ(one.File(name), two.File(name)) << name;
  }
  EXPECT_EQ(one.File("continue"), two.File("continue"));
}

TEST(ShellRun, ScriptErrorsStopWithStatus2AndTheLineNumber) {
  HeadlessFolder folder;
  const auto run = folder.Run("F7\n# fine\nwait soon\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.errors.find("line 3"), std::string::npos) << run.errors;
  EXPECT_FALSE(folder.Exists("continue"));  // the program never started

  const auto missing = folder.Run("", {.extra = "--script nowhere.txt"});
  EXPECT_EQ(missing.status, 2);
  for (const char* now : {"2024-13-01T00:00", "2023-02-29T00:00", "2079-06-06T00:00"})
    EXPECT_EQ(folder.Run("", {.now = now}).status, 2) << now;
  EXPECT_EQ(folder.Run("", {.now = "2079-06-05T23:59:59"}).status, 0);
}

TEST(ShellRun, CommandsOfTheScriptReachTheFocusChain) {
  HeadlessFolder folder;
  ASSERT_EQ(folder.Run("cmd 3005\n").status, 0);
  EXPECT_EQ(Value(folder.File("continue").value_or(""), "CurrentView:"), "2");
}

TEST(ShellRun, ArgumentsAfterTheDoubleDashReachTheProgram) {
  HeadlessFolder folder;
  // Only exactly "-sjistoeuc" as the first argument asks for the conversion;
  // either way the program starts and shuts down normally.
  for (const auto& args : {std::vector<std::string>{"-sjistoeucx"}, {"x", "-sjistoeuc"}, {"-sjistoeuc"}}) {
    const auto run = folder.Run("", {.args = args});
    EXPECT_EQ(run.status, 0) << run.errors;
  }
  EXPECT_TRUE(folder.Exists("continue"));
}

}  // namespace
