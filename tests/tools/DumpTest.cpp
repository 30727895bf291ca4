#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "files/RecordBytes.h"
#include "support/Shell.h"

namespace {

using recordbytes::Rec;
using Object = std::map<std::string, std::string>;

// Parses one flat JSON object: strings are unescaped (\uXXXX only below 0x80
// or as U+FFFD), numbers and arrays are kept as written.
Object ParseLine(const std::string& line) {
  Object obj;
  std::size_t i = 1;
  const auto readString = [&]() {
    std::string s;
    ++i;  // opening quote
    while (line[i] != '"') {
      if (line[i] == '\\') {
        const char c = line[++i];
        if (c == 'n') s += '\n';
        else if (c == 'u') {
          const unsigned code = std::stoul(line.substr(i + 1, 4), nullptr, 16);
          s += static_cast<char>(code);
          i += 4;
        } else s += c;
      } else {
        s += line[i];
      }
      ++i;
    }
    ++i;
    return s;
  };
  while (i < line.size() && line[i] != '}') {
    if (line[i] == ',') ++i;
    const std::string key = readString();
    ++i;  // colon
    std::string value;
    if (line[i] == '"') {
      value = readString();
    } else {
      const std::size_t start = i;
      const char stop = line[i] == '[' ? ']' : '\0';
      while (stop ? line[i] != stop : (line[i] != ',' && line[i] != '}')) ++i;
      if (stop) ++i;
      value = line.substr(start, i - start);
    }
    obj[key] = value;
  }
  return obj;
}

// The fields of a dumped line as expected; nullptr for one left out.
void ExpectFields(const Object& line, std::initializer_list<std::pair<const char*, const char*>> fields) {
  for (const auto& [key, value] : fields) {
    if (value) EXPECT_EQ(line.at(key), value) << key;
    else EXPECT_EQ(line.count(key), 0u) << key;
  }
}

struct CliRun {
  int status;
  std::vector<Object> lines;
  std::string err;
};

class DumpTest : public ::testing::Test {
 protected:
  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    savefolder::Write(name, std::string(bytes.begin(), bytes.end()));
  }

  CliRun Dump(const std::string& args) {
    const velmo_test::ShellRun run = velmo_test::Shell("'" VELMO_BINARY_DIR "/velmo-cli' dump " + args);
    CliRun r{run.status, {}, run.err};
    std::istringstream out(run.out);
    for (std::string line; std::getline(out, line);) r.lines.push_back(ParseLine(line));
    return r;
  }

  savefolder::Folder folder;
};

TEST_F(DumpTest, EveryKindIsPrintedFieldByField) {
  Rec holiday;
  holiday.kind = 4;
  holiday.label = 1;
  holiday.startDay = 36525;
  holiday.endDay = 36526;
  holiday.repeat = 5;
  holiday.interval = 1;
  Rec timed;
  timed.kind = 5;
  timed.reserved1 = 1;
  timed.reserved2 = 70000;
  timed.reserved3 = 3;
  timed.startDay = timed.endDay = 100;
  timed.part[0] = 9;
  timed.part[1] = 5;
  timed.extra = recordbytes::Word(513) + recordbytes::Word(65535);
  Rec schedule;
  schedule.kind = 6;
  schedule.startDay = 40000;
  schedule.endDay = 40010;
  schedule.stampSeq = 2;
  schedule.stampDay = 39999;
  schedule.stampHour = 7;
  schedule.stampMinute = 8;
  schedule.repeat = 4;
  schedule.interval = 3;
  schedule.weekMask = 0x10;
  schedule.weekdayMask = 0x02;
  schedule.part[0] = 10;
  schedule.part[1] = 30;
  schedule.part[2] = 12;
  schedule.part[3] = 0;
  schedule.text = "\x89\xEF\x8B\x63\n\"2F\"";  // 会議\n"2F"
  schedule.link = "C:\\a.txt";
  Rec opaque;
  opaque.kind = 7;
  opaque.startDay = opaque.endDay = 200;
  opaque.part[0] = 0xAB;
  opaque.part[1] = 0xCD;
  opaque.part[2] = 0xEF;
  opaque.part[3] = 0x01;
  Rec task;
  task.kind = 8;
  task.startDay = 300;
  task.part[0] = 0x02;
  task.part[1] = 0x01;
  task.part[2] = 4;
  task.part[3] = 0x99;  // reserved: not saved
  task.done = recordbytes::Word(310);
  task.text = "\x94\x83\x82\xa2\x95\xa8";  // 買い物
  Rec deleted;
  deleted.kind = 3;
  deleted.startDay = deleted.endDay = 400;
  deleted.text = "x";
  Write("record", recordbytes::File({holiday, timed, schedule, opaque, task, deleted}));

  const CliRun r = Dump("");
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(r.lines.size(), 6u);
  ExpectFields(r.lines[0], {{"index", "0"}, {"offset", "0"}, {"size", "40"}, {"kind", "4"}, {"label", "1"},
               {"startDate", "2000-01-01"}, {"endDate", "2000-01-02"}, {"repeat", "5"}, {"kindPart", "00000000"},
               {"startHour", nullptr}, {"extra", "[]"}, {"text", ""}, {"textHex", ""}});

  ExpectFields(r.lines[1], {{"offset", "40"}, {"reserved1", "1"}, {"reserved2", "70000"}, {"reserved3", "3"},
               {"kindPart", "09050000"}, {"startHour", "9"}, {"startMinute", "5"}, {"endHour", nullptr},
               {"extraLen", "4"}, {"extra", "[513,65535]"}, {"startDate", "1900-04-10"}});

  ExpectFields(r.lines[2], {{"offset", "84"}, {"stampSeq", "2"}, {"stampDay", "39999"}, {"stampHour", "7"},
               {"stampMinute", "8"}, {"interval", "3"}, {"weekMask", "16"}, {"weekdayMask", "2"},
               {"kindPart", "0a1e0c00"}, {"endHour", "12"}, {"endMinute", "0"},
               {"text", "\xE4\xBC\x9A\xE8\xAD\xB0\n\"2F\""}, {"textHex", "89ef8b630a22324622"}, {"link", "C:\\a.txt"},
               {"linkLen", "8"}});

  ExpectFields(r.lines[3], {{"kindPart", "abcdef01"}, {"taskWord", nullptr}});

  ExpectFields(r.lines[4], {{"kindPart", "02010400"}, {"taskWord", "258"}, {"rank", "4"}, {"endDate", "2079-06-05"},
               {"done", "[310]"}, {"doneLen", "2"}, {"text", "\xE8\xB2\xB7\xE3\x81\x84\xE7\x89\xA9"}});

  ExpectFields(r.lines[5], {{"kind", "3"}, {"size", "41"}, {"kindPart", nullptr}, {"index", "5"}});
}

TEST_F(DumpTest, InvalidShiftJisBytesBecomeReplacementCharacters) {
  Rec r;
  r.text = std::string("a\xFF" "b\x82", 4);  // a stray byte, then a lead byte cut off
  Write("bad-text", recordbytes::File({r}));
  const CliRun run = Dump("bad-text");
  ASSERT_EQ(run.status, 0);
  ASSERT_EQ(run.lines.size(), 1u);
  EXPECT_EQ(run.lines[0].at("text"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
  EXPECT_EQ(run.lines[0].at("textHex"), "61ff6282");
}

TEST_F(DumpTest, ADamagedRecordStopsWithStatusThreeAndItsOffset) {
  Rec good, bad;
  bad.sizeOverride = 99;
  Rec deleted;
  deleted.kind = 3;
  Write("damaged", recordbytes::File({good, deleted, bad, good}));
  const CliRun r = Dump("damaged");
  EXPECT_EQ(r.status, 3);
  ASSERT_EQ(r.lines.size(), 2u);
  EXPECT_EQ(r.lines[1].at("offset"), "40");
  EXPECT_NE(r.err.find("offset 76"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("damaged record"), std::string::npos) << r.err;
}

TEST_F(DumpTest, AnOverlongBlockStopsWithStatusThree) {
  Rec good, big;
  big.link.assign(20000, 'l');
  Write("big", recordbytes::File({good, big}));
  const CliRun r = Dump("big");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.lines.size(), 1u);
  EXPECT_NE(r.err.find("offset 40"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("longer than a pool block"), std::string::npos) << r.err;
}

TEST_F(DumpTest, AMissingFileExitsWithFiveAndOneLine) {
  const CliRun r = Dump("nothing-here");
  EXPECT_EQ(r.status, 5);
  EXPECT_TRUE(r.lines.empty());
  ASSERT_FALSE(r.err.empty());
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1);
  EXPECT_NE(r.err.find("no record file in "), std::string::npos) << r.err;
}

TEST_F(DumpTest, AnEmptyFilePrintsNothing) {
  Write("record", {});
  const CliRun r = Dump("record");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.lines.empty());
}

}  // namespace
