// Entry identities: the canonical fingerprint, the UIDs made, set and
// inherited, and the side file beside the record file, read back from real
// files after real saves.
#include "files/Identity.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "files/Record.h"
#include "files/RecordBytes.h"
#include "files/SaveFolder.h"
#include "store/Store.h"

namespace {

using recordbytes::Rec;
using savefolder::Read;
using savefolder::Write;

std::string Print(const Entry& e) {
  char out[17];
  Identity_Fingerprint(e, out);
  return out;
}

std::string PrintOf(const Rec& r) {
  Store_Init();
  const std::vector<std::uint8_t> bytes = recordbytes::File({r});
  EXPECT_TRUE(Record_LoadSpan(bytes));
  const std::string print = Store_At(0) != nullptr ? Print(*Store_At(0)) : "";
  Store_Shutdown();
  return print;
}

Rec Task(const std::string& text) {
  Rec r;
  r.text = text;
  return r;
}

Rec Schedule(const std::string& text, std::uint8_t repeat = 0, std::uint8_t interval = 0) {
  Rec r;
  r.kind = KIND_SCHEDULE;
  r.endDay = r.startDay + 400;
  r.repeat = repeat;
  r.interval = interval;
  r.part[0] = 9;
  r.part[2] = 10;
  r.text = text;
  return r;
}

// The UIDs of the store's live entries in table order.
std::vector<std::string> Uids() {
  std::vector<std::string> out;
  std::uint16_t pos = Store_First();
  while (const Entry* e = Store_Next(pos)) {
    if (e->kind != KIND_DELETED) out.emplace_back(Identity_Of(e));
  }
  return out;
}

// Starts a run on the folder's record file, as the programs do.
void Load() {
  Store_Init();
  Store_SetDropDeleted(true);
  Record_SetPath("record");
  Record_Load();
}

void WriteRecord(const std::vector<Rec>& recs) {
  const std::vector<std::uint8_t> bytes = recordbytes::File(recs);
  Write("record", std::string(bytes.begin(), bytes.end()));
}

TEST(Identity, FingerprintIsCanonicalAndHoldsTheDoneMark) {
  const std::string base = PrintOf(Schedule("x", REPEAT_DAYS, 1));
  EXPECT_EQ(base.size(), 16u);
  EXPECT_EQ(base.find_first_not_of("0123456789abcdef"), std::string::npos);
  // Values that mean the same.
  EXPECT_EQ(PrintOf(Schedule("x", REPEAT_DAYS, 0)), base);  // interval 0 reads as 1
  Rec masks = Schedule("x", REPEAT_DAYS, 1);
  masks.weekMask = 0x04;  // no day-repeat reads the masks
  masks.weekdayMask = 0x08;
  EXPECT_EQ(PrintOf(masks), base);
  Rec quiet = Schedule("x", REPEAT_DAYS, 1);
  quiet.stampSeq = 7, quiet.stampDay = 40000, quiet.stampHour = 3;
  quiet.reserved1 = 1, quiet.reserved2 = 2, quiet.reserved3 = 3;
  quiet.extra = "\x01\x02";
  EXPECT_EQ(PrintOf(quiet), base);
  Rec once = Schedule("x");
  const std::string plain = PrintOf(once);
  once.interval = 5;
  once.weekMask = 1;
  EXPECT_EQ(PrintOf(once), plain);  // no repeat: interval and masks mean nothing
  Rec holiday = Task("h");
  holiday.kind = KIND_HOLIDAY;
  holiday.endDay = holiday.startDay;
  const std::string holidayPrint = PrintOf(holiday);
  holiday.part[1] = 0x55;  // reserved for holidays
  EXPECT_EQ(PrintOf(holiday), holidayPrint);
  Rec task = Task("t");
  task.part[2] = 3;
  const std::string taskPrint = PrintOf(task);
  task.part[0] = 0x12;  // the task word
  task.part[3] = 0x34;  // reserved
  EXPECT_EQ(PrintOf(task), taskPrint);
  // Values that differ.
  Rec weeks = Schedule("x", REPEAT_WEEKS, 1);
  weeks.weekMask = 0x02;
  const std::string weeksPrint = PrintOf(weeks);
  weeks.weekMask = 0x04;
  EXPECT_NE(PrintOf(weeks), weeksPrint);
  EXPECT_NE(PrintOf(Schedule("x", REPEAT_DAYS, 2)), base);
  EXPECT_NE(PrintOf(Schedule(" x", REPEAT_DAYS, 1)), base);  // every byte of the text
  EXPECT_NE(PrintOf(Schedule("x ", REPEAT_DAYS, 1)), base);
  task.part[2] = 4;
  EXPECT_NE(PrintOf(task), taskPrint);  // the rank
  task.part[2] = 3;
  task.done = recordbytes::Word(36530);
  const std::string done = PrintOf(task);
  EXPECT_NE(done, taskPrint);  // the done mark
  task.done = recordbytes::Word(36531);
  EXPECT_NE(PrintOf(task), done);  // and its day
}

TEST(Identity, UidsAreMadeSetInheritedAndFound) {
  const std::vector<std::uint8_t> bytes = recordbytes::File({Task("a"), Task("a"), Task("b")});
  Store_Init();
  ASSERT_TRUE(Record_LoadSpan(bytes));
  Entry* a1 = Store_At(0);
  Entry* a2 = Store_At(1);
  Entry* b = Store_At(2);
  EXPECT_FALSE(Identity_Has(a1));
  const std::string made = Identity_Of(a1);
  EXPECT_EQ(made, "velmo-" + Print(*a1) + "@velmo");
  EXPECT_EQ(std::string(Identity_Of(a2)), "velmo-" + Print(*a1) + "-2@velmo");  // equal entries
  EXPECT_EQ(std::string(Identity_Of(a1)), made);
  EXPECT_EQ(Identity_Find(made), a1);
  // A made UID is found before anyone asked for it.
  EXPECT_EQ(Identity_Find("velmo-" + Print(*b) + "@velmo"), b);
  // Set: copied; refused when empty, too long or holding a line break.
  std::string uid = "server-1";
  EXPECT_TRUE(Identity_Set(b, uid));
  uid[0] = 'X';
  EXPECT_STREQ(Identity_Of(b), "server-1");
  EXPECT_FALSE(Identity_Set(b, ""));
  EXPECT_FALSE(Identity_Set(b, std::string(1025, 'u')));
  EXPECT_FALSE(Identity_Set(b, "two\nlines"));
  EXPECT_FALSE(Identity_Set(b, "tab\there"));
  EXPECT_STREQ(Identity_Of(b), "server-1");
  EXPECT_TRUE(Identity_Set(b, std::string(1024, 'u')));  // server UIDs can be long
  EXPECT_TRUE(Identity_Set(b, "server-1"));
  // One item, several entries: all found.
  EXPECT_TRUE(Identity_Set(a2, "server-1"));
  const Entry* holders[4] = {};
  EXPECT_EQ(Identity_Holders("server-1", holders), 2u);
  EXPECT_TRUE((holders[0] == a2 && holders[1] == b) || (holders[0] == b && holders[1] == a2));
  // The dialog's change: the new entry takes the old one's UID.
  Entry* changed = Store_AllocEntries(1);
  *changed = *a1;
  ASSERT_TRUE(Store_Register(changed));
  Identity_Inherit(changed, a1);
  Store_Delete(a1);
  EXPECT_EQ(std::string(Identity_Of(changed)), made);
  EXPECT_EQ(Identity_Find(made), changed);  // the deleted one is no live holder
  // A cut entry pasted twice: the first paste is the entry moved, the second a new one.
  Store_Delete(changed);
  Entry* paste1 = Store_AllocEntries(1);
  Entry* paste2 = Store_AllocEntries(1);
  *paste1 = *changed, *paste2 = *changed;
  paste1->kind = paste2->kind = KIND_TASK;
  ASSERT_TRUE(Store_Register(paste1) && Store_Register(paste2));
  Identity_Inherit(paste1, changed);
  Identity_Inherit(paste2, changed);
  EXPECT_EQ(std::string(Identity_Of(paste1)), made);
  EXPECT_NE(std::string(Identity_Of(paste2)), made);
  // The store set up again: nothing left of the entries before.
  Store_Init();
  ASSERT_TRUE(Record_LoadSpan(bytes));
  EXPECT_FALSE(Identity_Has(Store_At(2)));
  EXPECT_EQ(Identity_Find("server-1"), nullptr);
  EXPECT_EQ(std::string(Identity_Of(Store_At(0))), made);  // deterministic
  Store_Shutdown();
}

TEST(Identity, TheUidSpaceFullRefusesASetAndKeepsEveryUidGiven) {
  std::vector<Rec> recs;
  for (int i = 0; i < 1200; ++i) recs.push_back(Task("t" + std::to_string(i)));
  const std::vector<std::uint8_t> bytes = recordbytes::File(recs);
  Store_Init();
  ASSERT_TRUE(Record_LoadSpan(bytes));
  int refused = -1;
  for (int i = 0; i < 1200 && refused < 0; ++i) {
    if (!Identity_Set(Store_At(static_cast<std::uint16_t>(i)), std::string(1000, 'a' + i % 26) + std::to_string(i))) {
      refused = i;
    }
  }
  ASSERT_GT(refused, 500);
  for (int i = 0; i < refused; i += 97) {
    EXPECT_EQ(std::string(Identity_Of(Store_At(static_cast<std::uint16_t>(i)))),
              std::string(1000, 'a' + i % 26) + std::to_string(i));
  }
  // Giving UIDs back and new ones again compacts the space instead of running out.
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < refused; ++i) {
      ASSERT_TRUE(Identity_Set(Store_At(static_cast<std::uint16_t>(i)), "r" + std::to_string(round * 10000 + i)));
    }
  }
  EXPECT_EQ(std::string(Identity_Of(Store_At(7))), "r20007");
  EXPECT_EQ(Identity_Find("r20007"), Store_At(7));
  Store_Shutdown();
}

class IdentityFiles : public ::testing::Test {
 protected:
  void TearDown() override { Store_Shutdown(); }
  savefolder::Folder folder;
};

TEST_F(IdentityFiles, TheSideFileFollowsEverySaveAndGivesTheUidsBack) {
  WriteRecord({Task("one"), Schedule("two"), Task("three")});
  Load();
  ASSERT_TRUE(Identity_Set(Store_At(1), "imported@peer"));
  const std::vector<std::string> uids = Uids();
  Store_Delete(Store_At(2));
  ASSERT_TRUE(Record_Save());
  EXPECT_EQ(Read("record.uids"), uids[0] + "\t" + Print(*Store_At(0)) + "\nimported@peer\t" + Print(*Store_At(1)) + "\n");
  // A done mark changes the print, never the UID.
  Load();
  Entry* one = Store_At(0);
  one->done = Store_AllocWords(1);
  one->done[0] = one->startDay;
  one->doneLen = 2;
  ASSERT_TRUE(Record_Save());
  Load();
  EXPECT_EQ(Uids(), (std::vector<std::string>{uids[0], "imported@peer"}));
  // An older program's change: the record rewritten without its side file.
  // Entries moved or added keep or get theirs; only the changed one has none.
  WriteRecord({Task("new"), Task("changed"), Schedule("two")});
  Load();
  EXPECT_EQ(Uids()[2], "imported@peer");
  EXPECT_EQ(Uids()[1], "velmo-" + Print(*Store_At(1)) + "@velmo");
}

// Earlier releases kept only imported items' UIDs there, in no set order,
// with the print of the entry as it was imported; an open entry's print is
// the same today, so an upgrade keeps them.
TEST_F(IdentityFiles, ASideFileOfEarlierReleasesKeepsTheImportedUids) {
  WriteRecord({Task("a"), Task("b")});
  Write("record.uids", "gone@peer\tdeadbeefdeadbeef\nserver-a\tff5846ea5ac9e2a6\n");
  Load();
  EXPECT_EQ(Print(*Store_At(0)), "ff5846ea5ac9e2a6");
  EXPECT_EQ(Uids(), (std::vector<std::string>{"server-a", "velmo-" + Print(*Store_At(1)) + "@velmo"}));
}

#ifndef _WIN32
TEST_F(IdentityFiles, TheSideFileHasTheRecordFilesBitsAndItsFailureIsAFailedSave) {
  WriteRecord({Task("one")});
  chmod("record", 0600);
  Load();
  ASSERT_TRUE(Record_Save());
  struct stat st{};
  ASSERT_EQ(stat("record.uids", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  std::filesystem::remove("record.uids");
  std::filesystem::create_directory("record.uids");
  EXPECT_FALSE(Record_Save());
  EXPECT_FALSE(std::filesystem::exists("record.uids.tmp"));
}
#endif

TEST_F(IdentityFiles, ADamagedOrHostileSideFileCostsUidsNeverEntries) {
  const std::vector<Rec> recs = {Task("a"), Task("b"), Task("c"), Task("d"), Task("e")};
  WriteRecord(recs);
  Load();
  std::vector<std::string> prints;
  for (std::uint16_t i = 0; i < 5; ++i) prints.push_back(Print(*Store_At(i)));
  const std::string binary("\x00\xff\x01\t\x80\x00zz", 8);
  Write("record.uids", std::string(5000, 'x') + "\t" + prints[0] + "\n" +  // overlong
                           "no tab at all\n" +                           // no tab
                           binary + "\t" + prints[2] + "\n" +            // binary UID
                           "\t" + prints[3] + "\n" +                     // no UID
                           "good-e\t" + prints[4] + "\r\n" +             // CRLF
                           "bad-print\tXYZ\n" + std::string(100000, '\x01') + "\n" +
                           std::string(7000, '\n') + "late-b\t" + prints[1] + "\n");
  Load();
  EXPECT_TRUE(Record_LastLoad().stop == RECORD_OK);
  ASSERT_EQ(Store_Count(), 5u);
  const std::vector<std::string> uids = Uids();
  EXPECT_EQ(uids[0], "velmo-" + prints[0] + "@velmo");
  EXPECT_EQ(uids[4], "good-e");
  // Lines past as many as the record can hold are not read.
  EXPECT_EQ(uids[1], "velmo-" + prints[1] + "@velmo");
  ASSERT_TRUE(Record_Save());
  const std::string rewritten = Read("record.uids");
  EXPECT_EQ(rewritten.find('\x01'), std::string::npos);
  EXPECT_EQ(std::count(rewritten.begin(), rewritten.end(), '\n'), 5);
  // A side file that is a folder, or none: all entries, UIDs made.
  std::filesystem::remove("record.uids");
  std::filesystem::create_directory("record.uids");
  Load();
  EXPECT_EQ(Store_Count(), 5u);
  EXPECT_EQ(Uids()[4], "velmo-" + prints[4] + "@velmo");
#ifndef _WIN32
  // A pipe there is never waited on.
  std::filesystem::remove("record.uids");
  ASSERT_EQ(mkfifo("record.uids", 0600), 0);
  Load();
  EXPECT_EQ(Store_Count(), 5u);
#endif
}

}  // namespace
