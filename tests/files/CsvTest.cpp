#include "files/Csv.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "SaveFolder.h"
#include "calendar/Date.h"
#include "store/Label.h"

namespace {

// Day-name and done-word bytes as the file holds them.
const std::string kTue = "\x89\xce";             // 火
const std::string kFri = "\x8b\xe0";             // 金
const std::string kSat = "\x93\x79";             // 土
const std::string kDone = "\x8a\xae\x97\xb9";    // 完了
const std::string kOpen = "\x96\xa2\x97\xb9";    // 未了

class Csv : public ::testing::Test {
 protected:
  void SetUp() override {
    Store_Init();
    Label_InitNames();
    Label_SetName(1, "Work");
  }
  void TearDown() override { Store_Shutdown(); }

  Entry Make(EntryKind kind, const std::string& text, DayNo start, DayNo end) {
    text_ = text;
    Entry e{};
    e.kind = kind;
    e.label = 1;
    e.startDay = start;
    e.endDay = end;
    e.text = text_.empty() ? nullptr : text_.data();
    e.textLen = static_cast<std::uint16_t>(text_.size());
    return e;
  }

  static std::string Line(const Entry& e) {
    std::FILE* f = std::tmpfile();
    if (f == nullptr) return "(no temporary file)";
    EXPECT_TRUE(Csv_WriteEntry(f, e));
    std::string line(static_cast<std::size_t>(std::ftell(f)), '\0');
    std::rewind(f);
    line.resize(std::fread(line.data(), 1, line.size(), f));
    std::fclose(f);
    return line;
  }

  // The repeat field of a schedule starting on day with the rule.
  std::string Phrase(RepeatType repeat, int interval, DayNo day) {
    Entry e = Make(KIND_SCHEDULE, "x", day, day);
    e.repeat = repeat;
    e.interval = static_cast<std::uint8_t>(interval);
    const std::string line = Line(e);
    const std::string head = "SCHEDULE,\"  Work  \",\"x\",2024/03/" + line.substr(32, 2) + ",2024/03/" +
                             line.substr(32, 2) + ",";
    EXPECT_EQ(line.substr(0, head.size()), head);
    const std::size_t end = line.find(",00:00,00:00,\"\"\n");
    return line.substr(head.size(), end + 1 - head.size());
  }

  std::string text_;
};

const DayNo kMar5 = Date_ToDayNo(2024, 3, 5);

TEST_F(Csv, TaskLineHasRankDoneWordLinkAndEmptyEndAndRepeat) {
  Entry e = Make(KIND_TASK, "call\nback", kMar5, DAY_OPEN_END);
  e.rank = 3;
  e.repeat = REPEAT_DAYS;
  e.interval = 1;
  std::uint16_t doneDay[1] = {kMar5};
  e.done = doneDay;
  e.doneLen = 2;
  char link[] = "tmp/a.txt";
  e.link = link;
  e.linkLen = 9;
  EXPECT_EQ(Line(e), "TASK,\"  Work  \",\"call\\nback\",2024/03/05,,,3," + kDone + ",\"file:/tmp/a.txt\"\n");
  e.done = nullptr;
  e.doneLen = 0;
  e.link = nullptr;
  e.linkLen = 0;
  EXPECT_EQ(Line(e), "TASK,\"  Work  \",\"call\\nback\",2024/03/05,,,3," + kOpen + ",\"\"\n");
}

TEST_F(Csv, ScheduleAndHolidayLinesKeepTextBytesAsHeld) {
  Entry s = Make(KIND_SCHEDULE, "a \"q\" \x82\xa0", kMar5, kMar5 + 1);
  s.startHour = 9;
  s.startMinute = 5;
  s.endHour = 17;
  s.endMinute = 30;
  EXPECT_EQ(Line(s), "SCHEDULE,\"  Work  \",\"a \"q\" \x82\xa0\",2024/03/05,2024/03/06,,09:05,17:30,\"\"\n");
  Entry h = Make(KIND_HOLIDAY, "", kMar5, kMar5 + 2);
  h.label = 7;  // no such label: empty name
  EXPECT_EQ(Line(h), "HOLIDAY,\"\",\"\",2024/03/05,2024/03/07,,,,\"\"\n");
}

TEST_F(Csv, OtherKindsWriteNothing) {
  for (EntryKind kind : {KIND_DELETED, KIND_TIMED, KIND_OPAQUE, EntryKind{0}, EntryKind{99}}) {
    EXPECT_EQ(Line(Make(kind, "x", kMar5, kMar5)), "") << kind;
  }
}

TEST_F(Csv, RepeatPhrasesFollowTheStartDay) {
  const DayNo mar8 = Date_ToDayNo(2024, 3, 8);
  const DayNo mar22 = Date_ToDayNo(2024, 3, 22);
  const DayNo mar30 = Date_ToDayNo(2024, 3, 30);
  EXPECT_EQ(Phrase(REPEAT_NONE, 0, kMar5), ",");
  EXPECT_EQ(Phrase(REPEAT_DAYS, 1, kMar5), "\x96\x88\x93\xfa,");
  EXPECT_EQ(Phrase(REPEAT_DAYS, 3, kMar5), "3\x93\xfa\x82\xb2\x82\xc6,");
  EXPECT_EQ(Phrase(REPEAT_WEEKS, 1, kMar5), "\x96\x88\x8f\x54" + kTue + "\x97\x6a\x93\xfa,");
  EXPECT_EQ(Phrase(REPEAT_WEEKS, 2, kMar5), "\x8a\x75\x8f\x54" + kTue + "\x97\x6a\x93\xfa,");
  EXPECT_EQ(Phrase(REPEAT_WEEKS, 3, kMar5), "3\x8f\x54\x82\xb2\x82\xc6" + kTue + "\x97\x6a\x93\xfa,");
  EXPECT_EQ(Phrase(REPEAT_MONTH_DAY, 1, kMar5), "\x96\x88\x8c\x8e" "5\x93\xfa,");
  EXPECT_EQ(Phrase(REPEAT_MONTH_DAY, 2, kMar5), "\x8a\x75\x8c\x8e" "5\x93\xfa,");
  EXPECT_EQ(Phrase(REPEAT_MONTH_DAY, 6, kMar5), "6\x83\x96\x8c\x8e\x82\xb2\x82\xc6" "5\x93\xfa,");
  // The 8th is in the second week; the 22nd is the fourth; the 30th of a
  // 31-day month is in the last seven days.
  EXPECT_EQ(Phrase(REPEAT_MONTH_WEEKDAY, 1, mar8),
            "\x96\x88\x8c\x8e\x91\xe6\x93\xf1" + kFri + "\x97\x6a\x93\xfa,");
  EXPECT_EQ(Phrase(REPEAT_MONTH_WEEKDAY, 2, mar22),
            "\x8a\x75\x8c\x8e\x91\xe6\x8e\x6c" + kFri + "\x97\x6a\x93\xfa,");
  EXPECT_EQ(Phrase(REPEAT_MONTH_WEEKDAY, 3, mar8),
            "3\x83\x96\x8c\x8e\x82\xb2\x82\xc6\x91\xe6\x93\xf1" + kFri + "\x97\x6a\x93\xfa,");
  EXPECT_EQ(Phrase(REPEAT_MONTH_WEEKDAY, 1, mar30), "\x96\x88\x8c\x8e\x8d\xc5\x8f\x49" + kSat + "\x97\x6a\x93\xfa,");
  EXPECT_EQ(Phrase(REPEAT_MONTH_WEEKDAY, 4, mar30),
            "4\x83\x96\x8c\x8e\x82\xb2\x82\xc6\x8d\xc5\x8f\x49" + kSat + "\x97\x6a\x93\xfa,");
  EXPECT_EQ(Phrase(REPEAT_YEAR_DAY, 1, kMar5), "\x96\x88\x94\x4e" "3\x8c\x8e" "5\x93\xfa,");
  // No every-other-year word: N = 2 takes the general phrase.
  EXPECT_EQ(Phrase(REPEAT_YEAR_DAY, 2, kMar5), "2\x94\x4e\x82\xb2\x82\xc6" "3\x8c\x8e" "5\x93\xfa,");
  EXPECT_EQ(Phrase(REPEAT_YEAR_WEEKDAY, 1, kMar5),
            "\x96\x88\x94\x4e" "3\x8c\x8e\x91\xe6\x88\xea" + kTue + "\x97\x6a\x93\xfa,");
  EXPECT_EQ(Phrase(REPEAT_YEAR_WEEKDAY, 2, mar30),
            "2\x94\x4e\x82\xb2\x82\xc6" "3\x8c\x8e\x8d\xc5\x8f\x49" + kSat + "\x97\x6a\x93\xfa,");
  EXPECT_EQ(Phrase(9, 1, kMar5), ",");  // unknown rule: empty field
}

// A file may hold interval 0: it reads as 1, and no rule, interval or start
// day leaves a placeholder unfilled or writes anything but the phrase.
TEST_F(Csv, IntervalZeroReadsAsOneAndEveryPhraseIsFilled) {
  const DayNo mar8 = Date_ToDayNo(2024, 3, 8);
  for (int repeat = REPEAT_DAYS; repeat <= REPEAT_YEAR_WEEKDAY; ++repeat) {
    for (DayNo day : {kMar5, mar8}) {
      EXPECT_EQ(Phrase(static_cast<RepeatType>(repeat), 0, day),
                Phrase(static_cast<RepeatType>(repeat), 1, day))
          << repeat;
    }
  }
  EXPECT_EQ(Phrase(REPEAT_MONTH_WEEKDAY, 0, mar8),
            "\x96\x88\x8c\x8e\x91\xe6\x93\xf1" + kFri + "\x97\x6a\x93\xfa,");
  for (int repeat = REPEAT_DAYS; repeat <= REPEAT_YEAR_WEEKDAY; ++repeat) {
    for (int interval = 0; interval <= 255; interval += 17) {
      for (int mday = 1; mday <= 31; mday += 3) {
        const std::string p = Phrase(static_cast<RepeatType>(repeat), interval,
                                     Date_ToDayNo(2024, 3, static_cast<std::uint16_t>(mday)));
        EXPECT_EQ(p.find('%'), std::string::npos) << p;
        EXPECT_LT(p.size(), 40u) << p;
        EXPECT_EQ(p.back(), ',');
      }
    }
  }
}

TEST_F(Csv, ExportWritesEveryEntryInTableOrderWhateverTheFilter) {
  savefolder::Folder folder;
  ASSERT_TRUE(Csv_Export());
  EXPECT_EQ(savefolder::Read("task.csv"), "");  // empty store: empty file

  Entry* es = Store_AllocEntries(3);
  char text[] = "t";
  for (int i = 0; i < 3; ++i) {
    es[i] = Entry{};
    es[i].kind = i == 0 ? KIND_HOLIDAY : KIND_TASK;
    es[i].label = 1;
    es[i].startDay = kMar5;
    es[i].endDay = i == 0 ? kMar5 : DAY_OPEN_END;
    es[i].text = text;
    es[i].textLen = 1;
    ASSERT_TRUE(Store_Register(&es[i]));
  }
  Store_Delete(&es[2]);
  Store_Filter().labelVisible[1] = false;
  ASSERT_TRUE(Csv_Export());
  EXPECT_EQ(savefolder::Read("task.csv"),
            "HOLIDAY,\"  Work  \",\"t\",2024/03/05,2024/03/05,,,,\"\"\n"
            "TASK,\"  Work  \",\"t\",2024/03/05,,,0," + kOpen + ",\"\"\n");
  EXPECT_FALSE(savefolder::Exists("task.csv.tmp"));
}

TEST_F(Csv, FailedExportReportsFailureAndKeepsThePreviousFile) {
  savefolder::Folder folder;
  EXPECT_FALSE(Csv_ExportTo("missing/task.csv"));
  EXPECT_FALSE(savefolder::Exists("missing"));
  // A file name too long for the temporary's buffer.
  EXPECT_FALSE(Csv_ExportTo(std::string(300, 'a').c_str()));

  // A full disk: the write fails once the stream's buffer is flushed.
  std::FILE* full = std::fopen("/dev/full", "w");
  if (full != nullptr) {
    const std::string big(20000, 'x');
    const Entry e = Make(KIND_HOLIDAY, big, kMar5, kMar5);
    EXPECT_FALSE(Csv_WriteEntry(full, e));
    std::fclose(full);
  }
}

}  // namespace
