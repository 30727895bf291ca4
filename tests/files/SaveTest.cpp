#include "files/Save.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "files/Csv.h"
#include "files/DataNotice.h"
#include "files/Record.h"
#include "files/Settings.h"
#include "files/RecordBytes.h"
#include "files/SaveFolder.h"
#include "platform/Platform.h"
#include "store/Store.h"
#include "support/Entries.h"

namespace {

using savefolder::Exists;
using savefolder::Read;
using savefolder::Write;

// "ファイルに保存しました", "保存に失敗しました"
const std::string kSaved =
    "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xc9\x95\xdb\x91\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
const std::string kFailed = "\x95\xdb\x91\xb6\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd";

std::vector<std::string> notices;
void Collect(const char* text) { notices.emplace_back(text); }

std::string Bytes(const std::vector<recordbytes::Rec>& recs, bool end = true) {
  const std::vector<std::uint8_t> b = recordbytes::File(recs, end);
  return std::string(b.begin(), b.end());
}

recordbytes::Rec Task(const std::string& text) {
  recordbytes::Rec r;
  r.text = text;
  return r;
}

class SaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    notices.clear();
    Data_SetNoticeHook(Collect);
    Data_SetImmediateSave(true);
    Data_SetBackupMade(false);
    Store_Init();
    Store_SetDropDeleted(true);
    Record_SetPath("record");
  }
  void TearDown() override {
    Store_Shutdown();
    Data_SetNoticeHook(nullptr);
    Data_SetModified(false);
  }

  // Start-up: load, then the run's flags.
  static void Start() {
    Record_Load();
    Data_StartRun();
  }

  static void AddTask(const char* text) {
    Entry* e = velmo_test::NewEntry(KIND_TASK, 36525, DAY_OPEN_END);  // starts as the test records
    velmo_test::SetText(*e, text);
    ASSERT_TRUE(Store_Register(e));
    Data_Changed();
    Store_Invalidate();
  }

  savefolder::Folder folder;
};

TEST_F(SaveTest, TwoChangesMakeOneBackupHoldingTheStartOfTheRun) {
  const std::string start = Bytes({Task("one")});
  Write("record", start);
  Start();
  AddTask("two");
  EXPECT_FALSE(Data_Modified());
  EXPECT_TRUE(Data_BackupMade());
  EXPECT_EQ(Read("record.bak"), start);
  EXPECT_EQ(Read("record"), Bytes({Task("one"), Task("two")}));
  AddTask("three");
  EXPECT_EQ(Read("record.bak"), start);
  EXPECT_EQ(Read("record"), Bytes({Task("one"), Task("two"), Task("three")}));
  EXPECT_TRUE(notices.empty());
}

#ifndef _WIN32
// The browser host writes its in-memory folder to storage from this hook:
// each save calls it once its file is in place, backup first.
std::vector<std::string> savedNames;
std::vector<std::string> savedBytes;

void RecordSaved(const char* name) {
  savedNames.emplace_back(name);
  savedBytes.push_back(Read(name));
}

TEST_F(SaveTest, EverySaveTellsTheSavedHookOnceItsFileIsInPlace) {
  savedNames.clear();
  savedBytes.clear();
  Write("record", Bytes({Task("one")}));
  Start();
  Platform_SetSavedHook(RecordSaved);
  AddTask("two");
  Platform_SetSavedHook(nullptr);
  AddTask("three");  // no hook: not told
  // The identities follow the record file, in the same save.
  ASSERT_EQ(savedNames, (std::vector<std::string>{"record.bak", "record", "record.uids"}));
  EXPECT_EQ(savedBytes[0], Bytes({Task("one")}));
  EXPECT_EQ(savedBytes[1], Bytes({Task("one"), Task("two")}));
}

// The copy of a damaged file, the export and the continuation file reach
// the browser's storage the same way.
TEST_F(SaveTest, EveryOtherFileWrittenTellsTheSavedHookToo) {
  savedNames.clear();
  recordbytes::Rec broken = Task("bad");
  broken.sizeOverride = 200;  // longer than the bytes left
  Write("record", Bytes({Task("one"), broken}));
  Start();
  Platform_SetSavedHook(RecordSaved);
  AddTask("two");
  const bool exported = Csv_ExportTo("task.csv");
  Settings_ApplyDefaults();
  const bool continued = Settings_Save();
  Platform_SetSavedHook(nullptr);
  EXPECT_TRUE(exported);
  EXPECT_TRUE(continued);
  EXPECT_EQ(savedNames,
            (std::vector<std::string>{"record.damaged", "record.bak", "record", "record.uids", "task.csv",
                                      Settings_ContinuePath()}));
}
#endif

TEST_F(SaveTest, ADeletionLeavesTheFileAndTheBackupKeepsIt) {
  const std::string start = Bytes({Task("one"), Task("two")});
  Write("record", start);
  Start();
  Store_Delete(Store_At(0));
  Data_Changed();
  EXPECT_EQ(Read("record"), Bytes({Task("two")}));
  EXPECT_EQ(Read("record.bak"), start);
}

TEST_F(SaveTest, TheBackupFollowsTheRecordFileName) {
  Record_SetPath("other");
  Write("other", Bytes({}));
  Start();
  AddTask("x");
  EXPECT_EQ(Read("other.bak"), Bytes({}));
  EXPECT_FALSE(Exists("record.bak"));
}

TEST_F(SaveTest, TheSaveCommandWithNothingModifiedWritesNothing) {
  Start();
  EXPECT_TRUE(Data_SaveCommand());
  EXPECT_FALSE(Exists("record"));
  EXPECT_EQ(notices, std::vector<std::string>{kSaved});
}

TEST_F(SaveTest, WithoutImmediateSavingTheSaveCommandSaves) {
  Write("record", Bytes({}));
  Start();
  Data_SetImmediateSave(false);
  AddTask("later");
  EXPECT_TRUE(Data_Modified());
  EXPECT_EQ(Read("record"), Bytes({}));
  EXPECT_TRUE(Data_SaveCommand());
  EXPECT_FALSE(Data_Modified());
  EXPECT_EQ(Read("record"), Bytes({Task("later")}));
  EXPECT_EQ(notices, std::vector<std::string>{kSaved});
}

TEST_F(SaveTest, NoRecordFileAtStartKeepsAnOlderBackup) {
  Write("record.bak", "older");
  Start();
  AddTask("a");
  AddTask("b");
  EXPECT_EQ(Read("record"), Bytes({Task("a"), Task("b")}));
  EXPECT_EQ(Read("record.bak"), "older");
}

TEST_F(SaveTest, ASaveIntoAFolderThatIsAFileFailsAndIsTold) {
  Write("folder", "not a folder");
  Record_SetPath("folder/record");
  Start();
  AddTask("a");
  EXPECT_TRUE(Data_Modified());
  AddTask("b");  // still failing: told once, not at every change
  EXPECT_EQ(notices, std::vector<std::string>{kFailed});
  EXPECT_FALSE(Data_SaveCommand());
  EXPECT_EQ(notices.back(), kFailed);
  EXPECT_FALSE(Data_SaveIfModified());
  EXPECT_TRUE(Data_Modified());
  EXPECT_EQ(Read("folder"), "not a folder");
}

TEST_F(SaveTest, AFailedSaveLeavesTheRecordFileIntactAndTriesAgain) {
  const std::string start = Bytes({Task("one")});
  Write("record", start);
  Start();
  // The temporary cannot be created while a folder has its name.
  ASSERT_TRUE(std::filesystem::create_directory("record.tmp"));
  Write("record.tmp/keep", "x");
  AddTask("two");
  EXPECT_TRUE(Data_Modified());
  EXPECT_EQ(Read("record"), start);
  EXPECT_EQ(notices, std::vector<std::string>{kFailed});
  std::filesystem::remove_all("record.tmp");
  EXPECT_TRUE(Data_SaveIfModified());
  EXPECT_FALSE(Data_Modified());
  EXPECT_EQ(Read("record"), Bytes({Task("one"), Task("two")}));
  EXPECT_EQ(Read("record.bak"), start);
}

TEST_F(SaveTest, ABackupThatFailedIsNotMadeLaterFromTheMiddleOfTheRun) {
  const std::string start = Bytes({Task("one")});
  Write("record", start);
  Write("record.bak", "older");
  Start();
  // The backup's temporary cannot be created while a folder has its name.
  ASSERT_TRUE(std::filesystem::create_directory("record.bak.tmp"));
  AddTask("two");
  EXPECT_FALSE(Data_Modified());  // the change itself is saved
  EXPECT_FALSE(Data_BackupMade());
  std::filesystem::remove_all("record.bak.tmp");
  AddTask("three");
  EXPECT_EQ(Read("record.bak"), "older");
  EXPECT_EQ(Read("record"), Bytes({Task("one"), Task("two"), Task("three")}));
}

TEST_F(SaveTest, ARecordFileThatCannotBeReadIsMovedAsideNotSavedOver) {
#ifdef _WIN32
  GTEST_SKIP() << "a self-referring symbolic link needs POSIX";
#else
  ASSERT_EQ(symlink("record", "record"), 0);  // opening it fails, yet it is there
  Start();
  EXPECT_EQ(Record_LastLoad().stop, RECORD_UNREADABLE);
  ASSERT_EQ(notices.size(), 1u);
  AddTask("new");
  EXPECT_EQ(std::filesystem::read_symlink("record.damaged"), "record");
  EXPECT_EQ(Read("record"), Bytes({Task("new")}));
#endif
}

TEST_F(SaveTest, ADamagedFileIsKeptWholeBeforeTheFirstSave) {
  recordbytes::Rec broken = Task("bad");
  broken.sizeOverride = 200;  // longer than the bytes left
  const std::string start = Bytes({Task("one"), broken, Task("lost")});
  Write("record", start);
  Write("record.damaged", "an earlier copy");
  Start();
  ASSERT_EQ(notices.size(), 1u);  // told once at start-up, with the name it will have
  EXPECT_NE(notices[0].find(".damaged.1\x82\xc6"), std::string::npos);
  EXPECT_FALSE(Exists("record.damaged.1"));  // nothing is copied until a save
  Write("record.damaged.1.tmp", "partial, left by a kill");
  AddTask("two");
  AddTask("three");
  EXPECT_EQ(Read("record.damaged"), "an earlier copy");
  EXPECT_EQ(Read("record.damaged.1"), start);
  EXPECT_EQ(std::string(Data_DamagedCopyPath()), "record.damaged.1");
  EXPECT_FALSE(Exists("record.damaged.2"));
  EXPECT_FALSE(Exists("record.damaged.1.tmp"));
  EXPECT_EQ(Read("record"), Bytes({Task("one"), Task("two"), Task("three")}));
  EXPECT_EQ(notices.size(), 1u);
}

// Start-up can tell two things before the screen is up (a failed sync, then
// a damaged record file): both are shown, in order; beyond that the latest
// takes the last place.
TEST_F(SaveTest, NoticesBeforeAnyHookWaitForItInOrder) {
  Data_SetNoticeHook(nullptr);
  Data_Notice("early");
  EXPECT_TRUE(notices.empty());
  Data_SetNoticeHook(Collect);
  EXPECT_EQ(notices, std::vector<std::string>{"early"});
  Data_SetNoticeHook(Collect);
  EXPECT_EQ(notices.size(), 1u);

  notices.clear();
  Data_SetNoticeHook(nullptr);
  for (const char* text : {"sync", "damaged"}) Data_Notice(text);
  Data_SetNoticeHook(Collect);
  EXPECT_EQ(notices, (std::vector<std::string>{"sync", "damaged"}));
  notices.clear();
  Data_SetNoticeHook(nullptr);
  for (const char* text : {"one", "two", "three"}) Data_Notice(text);
  Data_SetNoticeHook(Collect);
  EXPECT_EQ(notices, (std::vector<std::string>{"one", "three"}));
}

TEST_F(SaveTest, ABackupNameTooLongForItsBufferIsRefused) {
  const std::string name(cap::kFileName - 3, 'r');
  ASSERT_TRUE(Record_SetPath(name.c_str()));
  char out[cap::kFileName];
  EXPECT_FALSE(Data_BackupPath(out, sizeof out));
  EXPECT_FALSE(Data_Backup());
}

}  // namespace
