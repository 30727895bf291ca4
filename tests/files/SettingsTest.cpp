#include "files/Settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "calendar/Date.h"
#include "files/Record.h"
#include "files/SaveFolder.h"

namespace {

using savefolder::Read;
using savefolder::Write;

// 14 March 2024, 15:40.
void FixedClock(DateClock& out) {
  out = DateClock{};
  out.year = 2024;
  out.month = 3;
  out.mday = 14;
  out.hour = 15;
  out.minute = 40;
}

std::vector<std::string> traces;
void Collect(const char* text) { traces.emplace_back(text); }

const char* const kWritten =
    "#\n# task continuation\n#\n"
    "ContinueVersion:        4\n"
    "\n#\n# OPTIONS\n#\n"
    "# record file name\nRecordFile:             my record\n"
    "# jump the cursor to 'today' on 'power on'\nPowerOnToday:           1\n"
    "# start weeks from Monday in the calendar view\nWeekStartsFromMonday:   0\n"
    "# start the time table from nine\nTimeTableStartsNine:    1\n"
    "# do not work on Saturday (^^)\nSaturdayIsHoliday:      1\n"
    "# set the label for a new item 'Label1'\nLabel1Default:          0\n"
    "# select items by 'PageUp' and 'PageDown' key\nSelectItemByPageUpDown: 1\n"
    "# use large dialog\nUseLargeDialog:         0\n"
    "# (obsolete)\nSelectedFolder:         \n"
    "# (obsolete)\nSelectedFile:           \n"
    "# custom label flags\nCustomLabel:            1 0 1 0 1\n"
    "# window zoom: 1..8 times the screen (0: the window's default)\nWindowScale:            3\n"
    "# tell of a schedule this many minutes before it starts (0: never)\nScheduleReminder:       15\n"
    "\n#\n# variables below holds the cursor position\n#\n"
    "CurrentView:            6\n"
    "CurrentViewMonth:       2\n"
    "CurrentViewWeeks:       3\n"
    "CurrentViewWeek:        6\n"
    "CurrentViewDay:         8\n"
    "CurrentViewList:        12\n"
    "CurrentDate:            45000\n"
    "CurrentHour:            9\n"
    "CurrentLabel:           5\n";

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Date_SetClock(FixedClock);
    traces.clear();
    Settings_SetTraceHook(Collect);
  }
  void TearDown() override {
    Date_SetClock(nullptr);
    Settings_SetTraceHook(nullptr);
    Record_SetPath("record");
  }
  savefolder::Folder folder;
};

TEST_F(SettingsTest, WithoutAFileTheDefaultsStand) {
  EXPECT_FALSE(Settings_Load());
  const Settings& s = Settings_Get();
  const DayNo today = Date_ToDayNo(2024, 3, 14);
  EXPECT_EQ(s.today.day, today);
  EXPECT_EQ(s.cursor.cursorDate, today);
  EXPECT_EQ(s.cursor.cursorHour, 15);
  EXPECT_EQ(s.cursor.currentView, 4);
  EXPECT_EQ(s.cursor.previousView, 4);
  EXPECT_EQ(s.cursor.listView, 11);
  EXPECT_EQ(s.cursor.currentLabel, 0);
  for (std::uint8_t flag : s.customLabel) EXPECT_EQ(flag, 1);
  EXPECT_EQ(s.powerOnToday, 0);
  EXPECT_EQ(s.windowScale, 0);      // the window's own default
  EXPECT_EQ(s.reminderMinutes, 0);  // no reminders unless asked for
  EXPECT_STREQ(Record_Path(), "record");
  ASSERT_TRUE(Settings_Save());
  EXPECT_NE(Read("continue").find("ContinueVersion:        4\n"), std::string::npos);
  EXPECT_NE(Read("continue").find("CurrentDate:            " + std::to_string(today) + "\n"),
            std::string::npos);
}

TEST_F(SettingsTest, TheFileIsWrittenLineByLineAndReadBack) {
  Settings_ApplyDefaults();
  Settings s = Settings_Get();
  s.powerOnToday = s.timeTableStartsNine = s.saturdayIsHoliday = s.selectItemByPageUpDown = 1;
  const std::uint8_t custom[5] = {1, 0, 1, 0, 1};
  for (int i = 0; i < 5; ++i) s.customLabel[i] = custom[i];
  s.cursor = SettingsCursor{6, 2, 3, 6, 8, 12, 45000, 9, 5, 4};
  s.windowScale = 3;
  s.reminderMinutes = 15;
  Settings_Set(s);
  Record_SetPath("my record");
  ASSERT_TRUE(Settings_Save());
  EXPECT_EQ(Read("continue"), kWritten);

  Settings_ApplyDefaults();
  ASSERT_TRUE(Settings_Load());
  const Settings& r = Settings_Get();
  EXPECT_EQ(r.powerOnToday, 1);
  EXPECT_EQ(r.weekStartsFromMonday, 0);
  EXPECT_EQ(r.saturdayIsHoliday, 1);
  EXPECT_EQ(r.customLabel[1], 0);
  EXPECT_EQ(r.customLabel[4], 1);
  EXPECT_EQ(r.windowScale, 3);
  EXPECT_EQ(r.reminderMinutes, 15);
  EXPECT_EQ(r.cursor.currentView, 6);
  EXPECT_EQ(r.cursor.weeksView, 3);
  EXPECT_EQ(r.cursor.listView, 12);
  EXPECT_EQ(r.cursor.cursorDate, 45000);
  EXPECT_EQ(r.cursor.cursorHour, 9);
  EXPECT_EQ(r.cursor.currentLabel, 5);
  EXPECT_EQ(r.cursor.previousView, 8);
  EXPECT_STREQ(Record_Path(), "my record");
  EXPECT_TRUE(traces.empty());  // every line of its own file is a comment or a key
}

TEST_F(SettingsTest, OddLinesAreSkippedOrReadAsNumbersAre) {
  const std::string overlong = "# " + std::string(300, 'x') + "PowerOnToday: 1\n";
  Write("continue",
        overlong +
            "  PowerOnToday: 1\n"           // indented: no key
            "Unknown: 3\n"
            "powerontoday: 1\n"             // keys are case-sensitive
            "SaturdayIsHoliday: 257\n"      // low 8 bits
            "CurrentHour: 99999999999\n"    // no overflow trap
            "CurrentView:\tabc\n"           // no digits: 0
            "CurrentLabel: 2\nCurrentLabel: 3\n"  // last one wins
            "CustomLabel: 100 0 1 0 1\n"
            "CurrentViewDay: -1\r\n");
  ASSERT_TRUE(Settings_Load());
  const Settings& s = Settings_Get();
  EXPECT_EQ(s.powerOnToday, 0);
  EXPECT_EQ(s.saturdayIsHoliday, 1);
  EXPECT_EQ(s.cursor.currentView, 0);
  EXPECT_EQ(s.cursor.currentLabel, 3);
  EXPECT_EQ(s.cursor.dayView, 65535);
  const std::uint8_t custom[5] = {100, 0, 0, 1, 0};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(s.customLabel[i], custom[i]) << i;
  EXPECT_EQ(traces, (std::vector<std::string>{"  PowerOnToday: 1 <- no match",
                                              "Unknown: 3 <- no match",
                                              "powerontoday: 1 <- no match"}));
}

TEST_F(SettingsTest, AShortCustomLabelValueReadsNothingPastItsEnd) {
  Write("continue", "CustomLabel: 1\n");
  ASSERT_TRUE(Settings_Load());
  const std::uint8_t custom[5] = {1, 0, 0, 0, 0};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Settings_Get().customLabel[i], custom[i]) << i;
}

TEST_F(SettingsTest, TheRecordFileNameKeepsEveryCharacter) {
  Write("continue", "RecordFile:   data/rec\r\nRecordFile: last");  // no final line feed
  ASSERT_TRUE(Settings_Load());
  EXPECT_STREQ(Record_Path(), "last");
  Write("continue", "RecordFile:   data/rec\r\nRecordFile:\n");  // empty: the default stays
  ASSERT_TRUE(Settings_Load());
  EXPECT_STREQ(Record_Path(), "data/rec");
}

TEST_F(SettingsTest, ALineOf255CharactersIsReadAndALongerOneSkipped) {
  const std::string fits = "RecordFile: " + std::string(255 - 12, 'a');
  Write("continue", fits + "\nRecordFile: " + std::string(255 - 11, 'b') + "\n");
  ASSERT_TRUE(Settings_Load());
  EXPECT_EQ(std::string(Record_Path()), fits.substr(12));
}

TEST_F(SettingsTest, AFailedWriteLeavesTheOldFile) {
  Write("continue", "PowerOnToday: 1\n");
  ASSERT_TRUE(std::filesystem::create_directory("continue.tmp"));
  Write("continue.tmp/keep", "x");
  Settings_ApplyDefaults();
  EXPECT_FALSE(Settings_Save());
  EXPECT_EQ(Read("continue"), "PowerOnToday: 1\n");
}

#ifndef _WIN32
// A link a kill or another program left at the temporary's name is replaced,
// never written through into the file it points at.
TEST_F(SettingsTest, ALinkAtTheTemporaryNameIsNeverWrittenThrough) {
  Write("elsewhere", "someone else's file");
  ASSERT_TRUE(std::filesystem::exists("elsewhere"));
  std::filesystem::create_symlink("elsewhere", "continue.tmp");
  Settings_ApplyDefaults();
  EXPECT_TRUE(Settings_Save());
  EXPECT_EQ(Read("elsewhere"), "someone else's file");
  EXPECT_FALSE(std::filesystem::is_symlink("continue"));
  EXPECT_NE(Read("continue").find("PowerOnToday"), std::string::npos);
}
#endif

}  // namespace
