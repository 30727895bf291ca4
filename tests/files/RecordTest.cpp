#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "files/Csv.h"
#include "files/Record.h"
#include "files/RecordBytes.h"
#include "files/SaveFolder.h"
#include "store/MonthRec.h"
#include "store/Store.h"
#include "support/Entries.h"

namespace {

namespace fs = std::filesystem;
using recordbytes::Rec;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& p, const Bytes& b) {
  std::ofstream out(p, std::ios::binary);
  out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

Bytes Image() {
  const auto span = Record_BuildImage();
  return Bytes(span.begin(), span.end());
}

class RecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = savefolder::Folder::MakeTemporary("velmo-record");
    path = dir / "record";
    ASSERT_TRUE(Record_SetPath(path.string().c_str()));
    Store_Init();
  }
  void TearDown() override {
    Store_Shutdown();
    Record_SetPath("record");
    fs::remove_all(dir);
  }

  static bool Load(const Bytes& b) {
    Store_Init();
    return Record_LoadSpan(b);
  }

  fs::path dir, path;
};

// Every kind with every field and block in use, reserved fields included.
std::vector<Rec> EveryKind() {
  Rec holiday;
  holiday.kind = 4;
  holiday.label = 2;
  holiday.startDay = 40000;
  holiday.endDay = 40002;
  holiday.repeat = 5;
  holiday.interval = 1;
  holiday.text = "\x8c\xb3\x93\xfa";  // 元日
  Rec timed;
  timed.kind = 5;
  timed.reserved1 = 0x1234;
  timed.reserved2 = 0xDEADBEEF;
  timed.reserved3 = 0xABCD;
  timed.startDay = timed.endDay = 40100;
  timed.part[0] = 9;
  timed.part[1] = 30;
  timed.extra = recordbytes::Word(0x0102) + recordbytes::Word(0xFFFF);
  Rec schedule;
  schedule.kind = 6;
  schedule.label = 9;
  schedule.startDay = 40200;
  schedule.endDay = 40300;
  schedule.stampSeq = 3;
  schedule.stampDay = 40199;
  schedule.stampHour = 23;
  schedule.stampMinute = 59;
  schedule.repeat = 4;
  schedule.interval = 2;
  schedule.weekMask = 0x10;
  schedule.weekdayMask = 0x04;
  schedule.part[0] = 10;
  schedule.part[1] = 15;
  schedule.part[2] = 11;
  schedule.part[3] = 45;
  schedule.text = "\x89\xEF\x8B\x63\n2F";  // 会議\n2F
  schedule.link = "C:\\doc\\a.txt";
  Rec opaque;
  opaque.kind = 7;
  opaque.startDay = opaque.endDay = 40400;
  opaque.part[0] = 0x11;
  opaque.part[1] = 0x22;
  opaque.part[2] = 0x33;
  opaque.part[3] = 0x44;
  opaque.extra = "\x01\x02\x03";  // odd length
  Rec task;
  task.kind = 8;
  task.startDay = 40500;
  task.part[0] = 0x34;
  task.part[1] = 0x12;
  task.part[2] = 3;
  task.done = recordbytes::Word(40510);
  task.text = "abc";
  Rec deleted;
  deleted.kind = 3;
  deleted.startDay = deleted.endDay = 40600;
  deleted.text = "gone";
  return {holiday, timed, schedule, opaque, task, deleted};
}

TEST_F(RecordTest, EmptyFileAndEndRecordLoadAsEmptyStore) {
  WriteAll(path, {});
  EXPECT_TRUE(Record_Load());
  EXPECT_EQ(Store_Count(), 0);
  WriteAll(path, {4, 0, 2, 0});
  EXPECT_TRUE(Record_Load());
  EXPECT_EQ(Store_Count(), 0);
  EXPECT_EQ(Record_LastLoad().stop, RECORD_OK);
}

TEST_F(RecordTest, MissingFileFailsAndLeavesTheStoreEmpty) {
  EXPECT_FALSE(Record_Load());
  EXPECT_EQ(Record_LastLoad().stop, RECORD_MISSING);
  EXPECT_EQ(Store_Count(), 0);
  fs::create_directory(path);
  EXPECT_FALSE(Record_Load());
  EXPECT_EQ(Record_LastLoad().stop, RECORD_UNREADABLE);
}

TEST_F(RecordTest, SavingAnEmptyStoreWritesTheEndRecord) {
  ASSERT_TRUE(Record_Save());
  EXPECT_EQ(ReadAll(path), (Bytes{4, 0, 2, 0}));
  EXPECT_FALSE(fs::exists(dir / "record.tmp"));
#ifndef _WIN32  // Windows files carry no permission bits
  // The replacement keeps the old file's permissions.
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(Record_Save());
  EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
#endif
}

TEST_F(RecordTest, ATaskWithAThreeByteTextIsFortyThreeBytes) {
  Entry* e = velmo_test::NewEntry(KIND_TASK, 36525, DAY_OPEN_END);
  e->rank = 5;
  e->endMinute = 0x77;  // byte 3 of a task is reserved: written as 0
  velmo_test::SetText(*e, "abc");
  ASSERT_TRUE(Store_Register(e));
  ASSERT_TRUE(Record_Save());
  const Bytes b = ReadAll(path);
  ASSERT_EQ(b.size(), 47u);
  EXPECT_EQ(b[0] | b[1] << 8, 43);
  EXPECT_EQ(b[2], 8);
  EXPECT_EQ(b[14] | b[15] << 8, 36525);
  EXPECT_EQ(b[16] | b[17] << 8, 65535);
  EXPECT_EQ(b[32], 3);
  EXPECT_EQ(b[38], 5);
  EXPECT_EQ(b[39], 0);
  EXPECT_EQ(std::string(b.begin() + 40, b.begin() + 43), "abc");
  EXPECT_EQ(e->size, 43);
}

TEST_F(RecordTest, EveryKindRoundTripsByteForByte) {
  const Bytes file = recordbytes::File(EveryKind());
  WriteAll(path, file);
  ASSERT_TRUE(Record_Load());
  ASSERT_EQ(Store_Count(), 6);
  const Entry* timed = Store_At(1);
  EXPECT_EQ(timed->reserved2, 0xDEADBEEFu);
  EXPECT_EQ(timed->startHour, 9);
  EXPECT_EQ(timed->startMinute, 30);
  EXPECT_EQ(timed->extra[1], 0xFFFF);
  const Entry* opaque = Store_At(3);
  EXPECT_EQ(opaque->taskWord, 0x2211);
  EXPECT_EQ(opaque->rank, 0x33);
  EXPECT_EQ(opaque->kindByte3, 0x44);
  const Entry* task = Store_At(4);
  EXPECT_EQ(task->taskWord, 0x1234);
  EXPECT_EQ(task->rank, 3);
  ASSERT_EQ(task->doneLen, 2);
  EXPECT_EQ(task->done[0], 40510);
  EXPECT_EQ(Store_At(5)->kind, KIND_DELETED);
  EXPECT_EQ(Store_At(2)->startMonth, DayNo_Month(40200));
  ASSERT_TRUE(Record_Save());
  EXPECT_EQ(ReadAll(path), file);
}

TEST_F(RecordTest, KindPartReservedBytesAreDroppedOnSave) {
  Rec holiday;
  holiday.kind = 4;
  holiday.startDay = holiday.endDay = 100;
  holiday.part[0] = 0xAA;
  Rec task;
  task.part[3] = 0xBB;
  ASSERT_TRUE(Load(recordbytes::File({holiday, task})));
  holiday.part[0] = 0;
  task.part[3] = 0;
  EXPECT_EQ(Image(), recordbytes::File({holiday, task}));
}

TEST_F(RecordTest, DeletedEntriesAreDroppedWhenTheSwitchIsOnAndOrderIsKept) {
  Rec a, b, c;
  a.text = "a";
  b.text = "b";
  c.text = "c";
  ASSERT_TRUE(Load(recordbytes::File({a, b, c})));
  Entry* added = Store_AllocEntries(1);
  *added = *Store_At(0);
  added->text = Store_AllocBytes(1);
  added->text[0] = 'd';
  ASSERT_TRUE(Store_Register(added));
  Store_Delete(Store_At(1));
  Store_SetDropDeleted(true);
  Rec d;
  d.text = "d";
  EXPECT_EQ(Image(), recordbytes::File({a, c, d}));
}

TEST_F(RecordTest, RecordsWithoutKindPartNeverEatIntoTheNextOne) {
  Rec del;
  del.kind = KIND_DELETED;
  del.startDay = del.endDay = 500;
  Rec task;
  task.text = "kept";
  // Three deleted records are 12 bytes shorter than their sizes add up to.
  const Bytes file = recordbytes::File({del, del, del, task});
  ASSERT_TRUE(Load(file));
  ASSERT_EQ(Store_Count(), 4);
  EXPECT_EQ(Store_At(3)->textLen, 4);
  EXPECT_EQ(Image(), file);
  // Without an end record the last kindless record ends the file.
  ASSERT_TRUE(Load(recordbytes::File({task, del}, false)));
  EXPECT_EQ(Store_Count(), 2);
}

struct Damage {
  const char* what;
  Rec bad;
  RecordStop stop;
};

TEST_F(RecordTest, ALoadStopsAtTheFirstBadRecordKeepingTheOnesBefore) {
  Rec good;
  good.text = "ok";
  Rec sizeMismatch;
  sizeMismatch.sizeOverride = 41;
  Rec zeroStart;
  zeroStart.startDay = 0;
  Rec startAfterEnd;
  startAfterEnd.kind = 6;
  startAfterEnd.startDay = 20;
  startAfterEnd.endDay = 19;
  Rec tooLong;
  tooLong.text.assign(16385, 'x');
  Rec tooLongExtra;
  tooLongExtra.extra.assign(16386, 'x');
  Rec unknownRepeat;  // no month expansion knows it
  unknownRepeat.kind = 6;
  unknownRepeat.endDay = unknownRepeat.startDay + 30;
  unknownRepeat.repeat = 7;
  unknownRepeat.interval = 1;
  const Damage cases[] = {
      {"unknown repeat rule", unknownRepeat, RECORD_DAMAGED},
      {"size disagrees with lengths", sizeMismatch, RECORD_DAMAGED},
      {"start day 0", zeroStart, RECORD_DAMAGED},
      {"start after end", startAfterEnd, RECORD_DAMAGED},
      {"text longer than a pool block", tooLong, RECORD_BLOCK_TOO_LONG},
      {"extra longer than a pool block", tooLongExtra, RECORD_BLOCK_TOO_LONG},
  };
  for (const Damage& d : cases) {
    SCOPED_TRACE(d.what);
    EXPECT_FALSE(Load(recordbytes::File({good, good, d.bad, good})));
    EXPECT_EQ(Record_LastLoad().stop, d.stop);
    EXPECT_EQ(Record_LastLoad().stopOffset, 2 * 42u);
    EXPECT_EQ(Record_LastLoad().loaded, 2);
    EXPECT_EQ(Store_Count(), 2);
  }
}

TEST_F(RecordTest, ShortFilesStopAtTheRecordThatRunsPastTheEnd) {
  Rec good;
  const Bytes whole = recordbytes::File({good, good});
  for (std::size_t cut = 1; cut < 40; ++cut) {
    SCOPED_TRACE(cut);
    Bytes b(whole.begin(), whole.begin() + 40 + static_cast<long>(cut));
    EXPECT_FALSE(Load(b));
    EXPECT_EQ(Record_LastLoad().stop, RECORD_DAMAGED);
    EXPECT_EQ(Record_LastLoad().stopOffset, 40u);
    EXPECT_EQ(Store_Count(), 1);
  }
  // A size larger than the bytes left, even with the data all there.
  Rec big;
  big.sizeOverride = 200;
  EXPECT_FALSE(Load(recordbytes::File({good, big})));
  EXPECT_EQ(Record_LastLoad().stopOffset, 40u);
  // No end record: the last record ends the file.
  EXPECT_TRUE(Load(recordbytes::File({good, good}, false)));
  EXPECT_EQ(Store_Count(), 2);
}

TEST_F(RecordTest, BlocksOfExactlyOnePoolBlockLoad) {
  Rec r;
  r.text.assign(16384, 'y');
  r.link.assign(16384, 'z');
  r.extra.assign(16384, 'e');
  const Bytes file = recordbytes::File({r});
  ASSERT_TRUE(Load(file));
  EXPECT_EQ(Image(), file);
}

TEST_F(RecordTest, OddWordBlocksStayInsideTheirBlockAndSaveBackExactly) {
  Rec r;
  r.extra = "\x05";
  r.done = "\x07\x08\x09";
  const Bytes file = recordbytes::File({r});
  ASSERT_TRUE(Load(file));
  EXPECT_EQ(Store_At(0)->extra[0], 5);  // padded with 0
  EXPECT_EQ(Image(), file);
}

TEST_F(RecordTest, ExhaustedPoolsStopTheLoad) {
  std::vector<Rec> recs(cap::kPoolBlocks + 1);
  for (Rec& r : recs) r.text.assign(16384, 't');
  EXPECT_FALSE(Load(recordbytes::File(recs)));
  EXPECT_EQ(Record_LastLoad().stop, RECORD_NO_MEMORY);
  EXPECT_EQ(Record_LastLoad().stopOffset, cap::kPoolBlocks * (40u + 16384u));
  EXPECT_EQ(Store_Count(), cap::kPoolBlocks);
}

TEST_F(RecordTest, TheSixThousandAndFirstRecordStopsTheLoad) {
  std::vector<Rec> recs(cap::kEntries + 1);
  EXPECT_FALSE(Load(recordbytes::File(recs)));
  EXPECT_EQ(Record_LastLoad().stop, RECORD_TABLE_FULL);
  EXPECT_EQ(Record_LastLoad().stopOffset, cap::kEntries * 40u);
  EXPECT_EQ(Store_Count(), cap::kEntries);
  recs.pop_back();
  EXPECT_TRUE(Load(recordbytes::File(recs)));
}

TEST_F(RecordTest, SaveFailuresLeaveTheOldFileAlone) {
  const Bytes old = {4, 0, 2, 0};
  WriteAll(path, old);
  Rec r;
  ASSERT_TRUE(Load(recordbytes::File({r})));
  // The temporary cannot be created.
  fs::create_directory(dir / "record.tmp");
  EXPECT_FALSE(Record_Save());
  EXPECT_EQ(ReadAll(path), old);
  fs::remove(dir / "record.tmp");
  // The folder does not exist, or is a file.
  ASSERT_TRUE(Record_SetPath((dir / "missing" / "record").string().c_str()));
  EXPECT_FALSE(Record_Save());
  WriteAll(dir / "plain", old);
  ASSERT_TRUE(Record_SetPath((dir / "plain" / "record").string().c_str()));
  EXPECT_FALSE(Record_Save());
  EXPECT_EQ(ReadAll(dir / "plain"), old);
  // The record name is a folder: the rename fails and the temporary goes.
  fs::create_directory(dir / "folder");
  ASSERT_TRUE(Record_SetPath((dir / "folder").string().c_str()));
  EXPECT_FALSE(Record_Save());
  EXPECT_TRUE(fs::is_directory(dir / "folder"));
  EXPECT_FALSE(fs::exists(dir / "folder.tmp"));
  // A good save replaces the file.
  ASSERT_TRUE(Record_SetPath(path.string().c_str()));
  ASSERT_TRUE(Record_Save());
  EXPECT_EQ(ReadAll(path), recordbytes::File({r}));
}

TEST_F(RecordTest, PathsLongerThanTheBufferAreRefused) {
  const std::string longest(255, 'n');
  EXPECT_TRUE(Record_SetPath(longest.c_str()));
  EXPECT_STREQ(Record_Path(), longest.c_str());
  EXPECT_FALSE(Record_SetPath((longest + "x").c_str()));
  EXPECT_STREQ(Record_Path(), longest.c_str());
  EXPECT_FALSE(Record_SetPath(nullptr));
}

TEST_F(RecordTest, TheSeedCorpusLoadsAndRoundTrips) {
  const fs::path corpus = fs::path(VELMO_SOURCE_DIR) / "tests/files/corpus";
  int files = 0;
  for (const auto& item : fs::directory_iterator(corpus)) {
    SCOPED_TRACE(item.path().string());
    const Bytes file = ReadAll(item.path());
    ASSERT_TRUE(Load(file));
    // Everything a loaded file reaches, as the fuzzer does with these seeds.
    std::uint16_t pos = Store_First();
    for (const Entry* e = Store_Next(pos); e != nullptr; e = Store_Next(pos)) {
      std::FILE* f = std::tmpfile();
      ASSERT_NE(f, nullptr);
      EXPECT_TRUE(Csv_WriteEntry(f, *e));
      std::string line(static_cast<std::size_t>(std::ftell(f)), '\0');
      std::rewind(f);
      line.resize(std::fread(line.data(), 1, line.size(), f));
      std::fclose(f);
      EXPECT_EQ(line.find('%'), std::string::npos);
      MonthNo m = 0;
      std::uint16_t mday = 0;
      DayNo_ToMonthNo(e->startDay, m, mday);
      for (int i = 0; i < 3; ++i) MonthRec_GetByMonthNo(static_cast<MonthNo>(m + i));
    }
    EXPECT_EQ(Image(), file);
    ++files;
  }
  EXPECT_GE(files, 3);
}

}  // namespace
