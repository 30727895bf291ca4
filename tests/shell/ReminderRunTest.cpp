// The reminder of a schedule that starts soon, end to end through
// velmo-headless on its virtual clock: the box over the browse screen, the
// desktop notification the headless host tells on stderr, once per schedule,
// a schedule entered within the lead told too, and nothing unless the
// continuation file asks for it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calendar/Date.h"
#include "files/RecordBytes.h"
#include "support/Headless.h"
#include "toolkit/nw.h"

namespace {

using recordbytes::Rec;
using velmo_test::Count;
using velmo_test::HeadlessFolder;
using velmo_test::Picture;

const DayNo kDay = Date_ToDayNo(2024, 1, 10);
// "会議" in Shift-JIS and UTF-8.
const std::string kMeeting = "\x89\xef\x8b\x63";
const std::string kNotification = "Notification: Velmo: 10:30-11:00 \xe4\xbc\x9a\xe8\xad\xb0\n";

Rec Schedule(const std::string& text, std::uint8_t hour, std::uint8_t minute, std::uint8_t endHour) {
  Rec r;
  r.kind = 6;
  r.startDay = r.endDay = kDay;
  r.part[0] = hour;
  r.part[1] = minute;
  r.part[2] = endHour;
  r.text = text;
  return r;
}

std::string Record() {
  const std::vector<std::uint8_t> b =
      recordbytes::File({Schedule(kMeeting, 10, 30, 11), Schedule("untimed", 0, 0, 0), Schedule("later", 13, 0, 14)});
  return std::string(b.begin(), b.end());
}

bool BoxShown(const Picture& shot, const Picture& without) {
  const ZebRect box = NW_MB_RECT;
  return !shot.SameIn(without, box.x, box.y, box.w, box.h);
}

// 10:00 start; 10:10 nothing yet; 10:15 the 10:30 meeting is told; after
// OK, more minutes pass without telling it again, and the untimed and the
// afternoon schedules are never told.
const char* const kScript =
    "shot start.png\nwait 600000\nshot early.png\nwait 301000\nshot due.png\nRET\nwait 120000\nshot after.png\n";

TEST(ReminderRun, ASoonStartIsToldOnceInABoxAndANotificationOnlyWhenAsked) {
  HeadlessFolder folder;
  folder.Write("record", Record());
  folder.Write("continue", "CurrentDate: " + std::to_string(kDay) + "\nScheduleReminder: 15\n");
  const auto run = folder.Run(kScript, {.now = "2024-01-10T10:00"});
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, kNotification);
  const Picture start = folder.Shot("start.png");
  ASSERT_TRUE(start.Valid());
  EXPECT_FALSE(BoxShown(folder.Shot("early.png"), start));
  EXPECT_TRUE(BoxShown(folder.Shot("due.png"), start));
  EXPECT_FALSE(BoxShown(folder.Shot("after.png"), start));
  // The option is kept.
  EXPECT_NE(folder.File("continue").value_or("").find("\nScheduleReminder:       15\n"), std::string::npos);

  // Off by default: the same run tells nothing.
  HeadlessFolder quiet;
  quiet.Write("record", Record());
  quiet.Write("continue", "CurrentDate: " + std::to_string(kDay) + "\n");
  const auto silent = quiet.Run(kScript, {.now = "2024-01-10T10:00"});
  ASSERT_EQ(silent.status, 0) << silent.errors;
  EXPECT_EQ(Count(silent.errors, "Notification"), 0);
  EXPECT_FALSE(BoxShown(quiet.Shot("due.png"), quiet.Shot("start.png")));
  EXPECT_NE(quiet.File("continue").value_or("").find("\nScheduleReminder:       0\n"), std::string::npos);

  // A schedule entered at 10:01 for 10:10 is told at once, though the look
  // at 10:00 already covered its start.
  HeadlessFolder typed;
  typed.Write("record", Record());
  typed.Write("continue", "CurrentDate: " + std::to_string(kDay) + "\nScheduleReminder: 15\n");
  const auto entered =
      typed.Run("wait 60000\nF2\ntext soon\nC-t\n1 0 1 0 1 1 0 0\nRET\nwait 61000\n", {.now = "2024-01-10T10:00"});
  ASSERT_EQ(entered.status, 0) << entered.errors;
  EXPECT_EQ(Count(entered.errors, "Notification: Velmo: 10:10-11:00 soon\n"), 1) << entered.errors;
  EXPECT_EQ(Count(entered.errors, "Notification"), 1) << entered.errors;
}

}  // namespace
