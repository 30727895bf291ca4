// Stored data stays safe end to end: velmo-headless in a temporary folder
// with real record files that hold odd values, a second program on the same
// record file, private and read-only record files; then the files it leaves
// and what it told (a box still open at "quit" is echoed on stderr).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "calendar/Date.h"
#include "files/RecordBytes.h"
#include "files/RecordLock.h"
#include "shell/Shell.h"
#include "support/Headless.h"

namespace {

using recordbytes::Rec;
using velmo_test::HeadlessFolder;

const DayNo kDay = Date_ToDayNo(2024, 1, 10);  // a Wednesday in the second week
const std::string kFailedUtf8 = "\xe5\xa4\xb1\xe6\x95\x97\xe3\x81\x97\xe3\x81\xbe\xe3\x81\x97\xe3\x81\x9f";
const std::string kSaveFailedUtf8 = "\xe4\xbf\x9d\xe5\xad\x98\xe3\x81\xab" + kFailedUtf8;

std::string Bytes(const std::vector<Rec>& recs) {
  const std::vector<std::uint8_t> b = recordbytes::File(recs);
  return std::string(b.begin(), b.end());
}

Rec Task(const std::string& text, DayNo day = kDay) {
  Rec r;
  r.startDay = day;
  r.text = text;
  return r;
}

Rec Schedule(const std::string& text, std::uint8_t repeat, std::uint8_t interval) {
  Rec r;
  r.kind = 6;
  r.startDay = kDay;
  r.endDay = kDay + 400;
  r.repeat = repeat;
  r.interval = interval;
  r.weekMask = repeat == 2 ? 0x08 : 0x02;
  r.weekdayMask = 0x08;
  r.part[0] = 9;
  r.part[2] = 10;
  r.text = text;
  return r;
}

int Mode(const HeadlessFolder& f, const std::string& name) {
  struct stat st{};
  return stat(f.Path(name).c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 0777) : -1;
}

class DataSafetyRun : public ::testing::Test {
 protected:
  void Start(const std::string& record) {
    folder.Write("record", record);
    folder.Write("continue", kContinue);
  }
  velmo_test::RunResult Run(const std::string& script, std::vector<std::string> args = {}) const {
    return folder.Run(script, {.now = "2024-01-10T09:00", .args = std::move(args)});
  }
  velmo_test::RunResult Cli(const std::string& args) const {
    return folder.Run("", {.program = "velmo-cli", .extra = args + " > /dev/null"});
  }
  const std::string kContinue = "CurrentDate: " + std::to_string(kDay) + "\nCurrentView: 4\n";
  HeadlessFolder folder;
};

TEST_F(DataSafetyRun, CsvExportOfIntervalZeroRulesReadsThemAsOne) {
  Start(Bytes({Schedule("w", 2, 0), Schedule("m", 4, 0), Schedule("y", 6, 0)}));
  const auto run = Run("cmd 4530\nRET\nRET\nq\n");
  ASSERT_EQ(run.status, 0) << run.errors;
  const std::string csv = folder.File("task.csv").value_or("");
  // 毎週水曜日, 毎月第二水曜日, 毎年1月第二水曜日
  EXPECT_NE(csv.find(",\x96\x88\x8f\x54\x90\x85\x97\x6a\x93\xfa,09:00,"), std::string::npos) << csv;
  EXPECT_NE(csv.find(",\x96\x88\x8c\x8e\x91\xe6\x93\xf1\x90\x85\x97\x6a\x93\xfa,09:00,"), std::string::npos);
  EXPECT_NE(csv.find(",\x96\x88\x94\x4e" "1\x8c\x8e\x91\xe6\x93\xf1\x90\x85\x97\x6a\x93\xfa,09:00,"),
            std::string::npos);
}

TEST_F(DataSafetyRun, ASecondRunOnTheSameRecordFileSaysSoAndTouchesNothing) {
  const std::string record = Bytes({Task("mine")});
  Start(record);
  // Another process holds the run lock, as a running Velmo does.
  int ready[2], release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  const pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    char byte = 0;
    const bool held = chdir(folder.Dir().c_str()) == 0 && RecordLock_Acquire("record") == RECORD_LOCK_HELD;
    byte = held ? 'y' : 'n';
    if (write(ready[1], &byte, 1) != 1) _exit(1);
    while (read(release[0], &byte, 1) < 0) {
    }
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  ASSERT_EQ(byte, 'y');

  for (const char* script : {"F3\ntext theirs\nRET\nq\n", "quit\n"}) {
    const auto second = Run(script);
    EXPECT_EQ(second.status, VELMO_EXIT_ALREADY_RUNNING);
    EXPECT_EQ(second.errors, "velmo: Velmo is already running on the record file record\n");
  }
  EXPECT_EQ(folder.File("record"), record);
  EXPECT_EQ(folder.File("continue"), kContinue);
  EXPECT_FALSE(folder.Exists("record.bak"));
  // The reader does not wait for the lock.
  const auto dump = Cli("dump");
  EXPECT_EQ(dump.status, 0) << dump.errors;
  EXPECT_EQ(Cli("agenda --from 2024-01-10 --days 1").status, 0);

  // Killed, the holder leaves its lock file behind, and no lock.
  kill(holder, SIGKILL);
  int status = 0;
  waitpid(holder, &status, 0);
  close(ready[0]);
  close(ready[1]);
  close(release[0]);
  close(release[1]);
  EXPECT_TRUE(folder.Exists("record.lock"));
  const auto next = Run("F3\ntext next\nRET\nq\n");
  EXPECT_EQ(next.status, 0) << next.errors;
  EXPECT_NE(folder.File("record").value_or("").find("next"), std::string::npos);
}

TEST_F(DataSafetyRun, AnUnknownRepeatRuleIsADamagedRecordNotAStop) {
  const std::string record = Bytes({Task("before"), Schedule("bad", 9, 1), Task("after")});
  Start(record);
  auto run = Run("quit\n");  // the box at start-up, echoed as it is closed
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors.find("PANIC"), std::string::npos);
  EXPECT_NE(run.errors.find(".damaged\xe3\x81\xa8\xe3\x81\x97\xe3\x81\xa6"), std::string::npos) << run.errors;
  // Shown as far as it loads, with the damaged file's status.
  EXPECT_EQ(Cli("agenda --from 2024-01-10 --days 31").status, 3);
  const auto dump = Cli("dump");
  EXPECT_EQ(dump.status, 3);
  EXPECT_NE(dump.errors.find("offset 46"), std::string::npos) << dump.errors;  // after "before"

  run = Run("RET\nF3\ntext new\nRET\nq\n");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(folder.File("record.damaged"), record);
  const std::string saved = folder.File("record").value_or("");
  EXPECT_NE(saved.find("before"), std::string::npos);
  EXPECT_NE(saved.find("new"), std::string::npos);
  EXPECT_EQ(saved.find("bad"), std::string::npos);
}

TEST_F(DataSafetyRun, TheDamagedCopyIsNamedAsToldAndNeverLeftPartial) {
  Rec broken = Task("broken");
  broken.sizeOverride = 200;
  const std::string record = Bytes({Task("one"), broken});
  Start(record);
  folder.Write("record.damaged", "an earlier copy");
  folder.Write("record.damaged.1.tmp", "left by a kill");
  auto run = Run("quit\n");  // the box of start-up still open
  EXPECT_EQ(run.status, 0) << run.errors;
  // ".damaged.1として残します"
  EXPECT_NE(run.errors.find(".damaged.1\xe3\x81\xa8\xe3\x81\x97\xe3\x81\xa6"), std::string::npos) << run.errors;
  run = Run("RET\nF3\ntext two\nRET\nq\n");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(folder.File("record.damaged"), "an earlier copy");
  EXPECT_EQ(folder.File("record.damaged.1"), record);
  EXPECT_FALSE(folder.Exists("record.damaged.1.tmp"));
  EXPECT_FALSE(folder.Exists("record.damaged.2"));
}

TEST_F(DataSafetyRun, EveryCopyOfAPrivateRecordFileIsPrivate) {
  Start(Bytes({Task("secret")}));
  ASSERT_EQ(chmod(folder.Path("record").c_str(), 0600), 0);
  folder.Write("record.tmp", "left by a kill");  // 0644 under the test's umask
  const auto run = folder.Run("F3\ntext more\nRET\ncmd 4530\nRET\nRET\nq\n",
                              {.now = "2024-01-10T09:00", .environment = "umask 022 &&"});
  ASSERT_EQ(run.status, 0) << run.errors;
  for (const char* name : {"record", "record.bak", "record.lock", "task.csv"}) EXPECT_EQ(Mode(folder, name), 0600) << name;
  EXPECT_FALSE(folder.Exists("record.tmp"));

  // A damaged private file: its copy is private too.
  Rec broken = Task("broken");
  broken.sizeOverride = 200;
  folder.Write("record", Bytes({broken}));
  ASSERT_EQ(chmod(folder.Path("record").c_str(), 0600), 0);
  EXPECT_EQ(folder.Run("RET\nF3\ntext x\nRET\nq\n", {.now = "2024-01-10T09:00", .environment = "umask 022 &&"}).status, 0);
  EXPECT_EQ(Mode(folder, "record.damaged"), 0600);
}

TEST_F(DataSafetyRun, AReadOnlyRecordFileIsRefusedLikeAFailedSave) {
  const std::string record = Bytes({Task("keep")});
  Start(record);
  ASSERT_EQ(chmod(folder.Path("record").c_str(), 0444), 0);
  const auto run = Run("F3\ntext new\nRET\nquit\n");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.errors.find(kSaveFailedUtf8), std::string::npos) << run.errors;
  EXPECT_EQ(folder.File("record"), record);
  EXPECT_EQ(Mode(folder, "record"), 0444);
  EXPECT_FALSE(folder.Exists("record.tmp"));
}

// A record file that cannot be saved: q asks first (save again / quit without
// the changes / stay); an end nobody can answer (a signal, the window's close)
// keeps the entries in a recovery copy, which the next start tells of.
TEST_F(DataSafetyRun, ChangesThatCouldNotBeSavedAreAskedAboutOrKeptInARecoveryCopy) {
  const std::string record = Bytes({Task("old")});
  Start(record);
  ASSERT_EQ(chmod(folder.Path("record").c_str(), 0440), 0);
  const std::filesystem::path copies = folder.StateDir() / "velmo";
  // Added "b" (the failure told); q: stay; q: save again, which fails again;
  // q: quit without the changes.
  auto run = Run("F3\ntext b\nRET\nRET\nq\nshot ask.png\nTAB TAB RET\nshot stayed.png\n"
                 "q\nRET\nRET\nq\nTAB RET\nshot never.png\n");
  EXPECT_EQ(run.status, 0) << run.errors;
  const velmo_test::Picture ask = folder.Shot("ask.png"), stayed = folder.Shot("stayed.png");
  ASSERT_TRUE(ask.Valid() && stayed.Valid());
  EXPECT_EQ(ask.Count(200, 70, 240, 1, 3), 240);     // the question's box
  EXPECT_LT(stayed.Count(200, 70, 240, 1, 3), 240);  // gone, Velmo still running
  EXPECT_FALSE(folder.Exists("never.png"));          // it ended at the third q
  EXPECT_FALSE(std::filesystem::exists(copies));     // and was told to drop the changes
  EXPECT_EQ(folder.File("record"), record);

  // A signal and the window's close keep what could not be saved; the start
  // after the first tells of its copy (RET answers that box).
  const std::string first = (copies / "record-20240110-0900").string(), second = first + "-2";
  for (const char* end : {"signal", "close"}) {
    SCOPED_TRACE(end);
    const std::string told = std::string(end) == "close" ? "RET\n" : "";
    run = Run(told + "F3\ntext kept-" + end + "\nRET\nRET\n" + end + "\nshot never.png\n");
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_FALSE(folder.Exists("never.png"));
    EXPECT_EQ(folder.File("record"), record);
    const std::string copy = std::string(end) == "close" ? second : first;
    EXPECT_NE(run.errors.find("entries are kept in " + copy + "\n"), std::string::npos) << run.errors;
  }
  EXPECT_NE(run.errors.find(folder.Path("record").string() + " are kept in " + first + ";"), std::string::npos)
      << run.errors;
  for (const std::string& copy : {first, second}) {
    const std::string bytes = velmo_test::ReadFile(copy).value_or("");
    EXPECT_NE(bytes.find("old"), std::string::npos) << copy;
    struct stat st{};
    ASSERT_EQ(stat(copy.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0440u);  // the record file's bits
    EXPECT_FALSE(std::filesystem::exists(copy + ".tmp"));
  }
  EXPECT_NE(velmo_test::ReadFile(first).value_or("").find("kept-signal"), std::string::npos);
  EXPECT_NE(velmo_test::ReadFile(second).value_or("").find("kept-close"), std::string::npos);

  // The next start tells of the second on stderr and in a box; once.
  run = Run("shot told.png\nRET\nshot again.png\nq\n");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.errors.find(" are kept in " + second + ";"), std::string::npos) << run.errors;
  EXPECT_EQ(run.errors.find(first + ";"), std::string::npos) << run.errors;
  EXPECT_EQ(folder.Shot("told.png").Count(200, 70, 240, 1, 3), 240);
  run = Run("shot later.png\nq\n");
  EXPECT_EQ(run.errors, "");
  EXPECT_TRUE(folder.Shot("later.png") == folder.Shot("again.png"));
  EXPECT_TRUE(std::filesystem::exists(second));  // the copies stay for the user
}

TEST_F(DataSafetyRun, AnUntouchedLongTextIsKeptWholeAndCuttingAnEditedOneIsAsked) {
  // 3,500 bytes: "ab" and double-byte characters; the editor holds 2,046 of them.
  std::string text = "ab";
  while (text.size() < 3500) text += "\x82\xa0";
  const std::string record = Bytes({Task(text)});
  Start(record);
  auto run = Run("n\nRET\nRET\nq\n");
  ASSERT_EQ(run.status, 0) << run.errors;
  std::string saved = folder.File("record").value_or("");
  EXPECT_NE(saved.find(text), std::string::npos);  // whole, though it went through the dialog
  EXPECT_EQ(saved.size(), record.size());

  // Edited: asked first ("本文が長すぎるため…"); ESC keeps the dialog open, untouched store.
  const std::string before = saved;
  run = Run("n\nRET\nC-f\nBS\nRET\nquit\n");
  EXPECT_NE(run.errors.find("\xe6\x9c\xac\xe6\x96\x87\xe3\x81\x8c\xe9\x95\xb7\xe3\x81\x99\xe3\x81\x8e"),
            std::string::npos)
      << run.errors;
  EXPECT_EQ(folder.File("record"), before);
  run = Run("n\nRET\nC-f\nBS\nRET\nESC\nESC\nq\n");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(folder.File("record"), before);
  run = Run("n\nRET\nC-f\nBS\nRET\nRET\nq\n");
  EXPECT_EQ(run.status, 0) << run.errors;
  saved = folder.File("record").value_or("");
  // Shown: "ab" and 1,022 whole characters (never half of one); C-f and BS
  // take the last of them.
  const std::string cut = text.substr(0, 2044);
  EXPECT_EQ(saved.size(), 40 + cut.size() + 4);
  EXPECT_NE(saved.find(cut), std::string::npos);
}

TEST_F(DataSafetyRun, APasteIntoAFullTableAndADoneMarkWithoutRoomAreTold) {
  std::vector<Rec> many(6000, Task("x", kDay + 100));
  many[0] = Task("copy me");
  Start(Bytes(many));
  auto run = Run("n\nC-c\nC-v\nquit\n");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.errors.find(kFailedUtf8), std::string::npos) << run.errors;
  EXPECT_EQ(run.errors.find(kSaveFailedUtf8), std::string::npos) << run.errors;

  // Every word block taken by stored data: the done mark has no room.
  std::vector<Rec> full;
  for (int i = 0; i < 48; ++i) {
    Rec holiday;
    holiday.kind = 4;
    holiday.startDay = holiday.endDay = kDay + 100;
    holiday.extra.assign(16384, 'w');
    full.push_back(holiday);
  }
  full.push_back(Task("do it"));
  const std::string record = Bytes(full);
  Start(record);
  run = Run("n\nSPC\nquit\n");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.errors.find(kFailedUtf8), std::string::npos) << run.errors;
  EXPECT_EQ(folder.File("record"), record);
}

// The CP932 extensions a Windows user types (① ㈱ 髙 﨑) are drawn in the day
// list like any character; a user-defined one and an unassigned code, which no
// font has, take their cell as GETA (〓), never a blank.
TEST_F(DataSafetyRun, EveryStoredCharacterIsDrawnAndOneNoFontHasAsGeta) {
  const std::string extensions = "\x87\x40\x87\x8d\xfb\x57\xfa\x9a";
  const std::string unknown = "\xf0\x40\x85\xa0";
  std::string getas, blanks;
  for (int k = 0; k < 6; ++k) {
    getas += "\x81\xac";
    blanks += "\x81\x40";  // full-width blank
  }
  std::vector<velmo_test::Picture> shots;
  for (const std::string& text : {extensions + unknown, getas, blanks}) {
    Start(Bytes({Task(text)}));
    ASSERT_EQ(Run("shot s.png\n").status, 0);
    shots.push_back(folder.Shot("s.png"));
    ASSERT_TRUE(shots.back().Valid());
  }
  const velmo_test::Picture& drawn = shots[0];
  const velmo_test::Picture& geta = shots[1];
  const velmo_test::Picture& blank = shots[2];
  // The task text of the day list beside view 4: its left 449, seven half
  // cells of rank, the gap and the glyph offset; the first row.
  constexpr int kTextX = 449 + 7 * 6 + 2, kRowY = 43, kCell = 12;
  for (int k = 0; k < 6; ++k) {
    const int x = kTextX + k * kCell;
    EXPECT_GT(geta.Count(x, kRowY, kCell, kCell, 3), 10) << k;
    if (k < 4) {
      EXPECT_GT(drawn.Count(x, kRowY, kCell, kCell, 3), 10) << k;
      EXPECT_FALSE(drawn.SameIn(geta, x, kRowY, kCell, kCell)) << k;
    } else {
      EXPECT_TRUE(drawn.SameIn(geta, x, kRowY, kCell, kCell)) << k;
    }
    EXPECT_EQ(blank.Count(x, kRowY, kCell, kCell, 3), 0) << k;
  }
}

}  // namespace
