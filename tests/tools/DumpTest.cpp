#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "files/RecordBytes.h"

namespace {

namespace fs = std::filesystem;
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

struct CliRun {
  int status;
  std::vector<Object> lines;
  std::string err;
};

class DumpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/velmo-dump-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
  }
  void TearDown() override { fs::remove_all(dir); }

  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(dir / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  CliRun Dump(const std::string& args) {
    const std::string cmd = "cd '" + dir.string() + "' && '" VELMO_BINARY_DIR "/velmo-cli' dump " +
                            args + " >out.jsonl 2>err.txt";
    const int raw = std::system(cmd.c_str());
    CliRun r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, {}, {}};
    std::ifstream out(dir / "out.jsonl");
    for (std::string line; std::getline(out, line);) r.lines.push_back(ParseLine(line));
    std::ifstream err(dir / "err.txt");
    r.err.assign(std::istreambuf_iterator<char>(err), {});
    return r;
  }

  fs::path dir;
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
  const Object& h = r.lines[0];
  EXPECT_EQ(h.at("index"), "0");
  EXPECT_EQ(h.at("offset"), "0");
  EXPECT_EQ(h.at("size"), "40");
  EXPECT_EQ(h.at("kind"), "4");
  EXPECT_EQ(h.at("label"), "1");
  EXPECT_EQ(h.at("startDate"), "2000-01-01");
  EXPECT_EQ(h.at("endDate"), "2000-01-02");
  EXPECT_EQ(h.at("repeat"), "5");
  EXPECT_EQ(h.at("kindPart"), "00000000");
  EXPECT_EQ(h.count("startHour"), 0u);
  EXPECT_EQ(h.at("extra"), "[]");
  EXPECT_EQ(h.at("text"), "");
  EXPECT_EQ(h.at("textHex"), "");

  const Object& t5 = r.lines[1];
  EXPECT_EQ(t5.at("offset"), "40");
  EXPECT_EQ(t5.at("reserved1"), "1");
  EXPECT_EQ(t5.at("reserved2"), "70000");
  EXPECT_EQ(t5.at("reserved3"), "3");
  EXPECT_EQ(t5.at("kindPart"), "09050000");
  EXPECT_EQ(t5.at("startHour"), "9");
  EXPECT_EQ(t5.at("startMinute"), "5");
  EXPECT_EQ(t5.count("endHour"), 0u);
  EXPECT_EQ(t5.at("extraLen"), "4");
  EXPECT_EQ(t5.at("extra"), "[513,65535]");
  EXPECT_EQ(t5.at("startDate"), "1900-04-10");

  const Object& s = r.lines[2];
  EXPECT_EQ(s.at("offset"), "84");
  EXPECT_EQ(s.at("stampSeq"), "2");
  EXPECT_EQ(s.at("stampDay"), "39999");
  EXPECT_EQ(s.at("stampHour"), "7");
  EXPECT_EQ(s.at("stampMinute"), "8");
  EXPECT_EQ(s.at("interval"), "3");
  EXPECT_EQ(s.at("weekMask"), "16");
  EXPECT_EQ(s.at("weekdayMask"), "2");
  EXPECT_EQ(s.at("kindPart"), "0a1e0c00");
  EXPECT_EQ(s.at("endHour"), "12");
  EXPECT_EQ(s.at("endMinute"), "0");
  EXPECT_EQ(s.at("text"), "\xE4\xBC\x9A\xE8\xAD\xB0\n\"2F\"");
  EXPECT_EQ(s.at("textHex"), "89ef8b630a22324622");
  EXPECT_EQ(s.at("link"), "C:\\a.txt");
  EXPECT_EQ(s.at("linkLen"), "8");

  const Object& o = r.lines[3];
  EXPECT_EQ(o.at("kindPart"), "abcdef01");
  EXPECT_EQ(o.count("taskWord"), 0u);

  const Object& task8 = r.lines[4];
  EXPECT_EQ(task8.at("kindPart"), "02010400");
  EXPECT_EQ(task8.at("taskWord"), "258");
  EXPECT_EQ(task8.at("rank"), "4");
  EXPECT_EQ(task8.at("endDate"), "2079-06-05");
  EXPECT_EQ(task8.at("done"), "[310]");
  EXPECT_EQ(task8.at("doneLen"), "2");
  EXPECT_EQ(task8.at("text"), "\xE8\xB2\xB7\xE3\x81\x84\xE7\x89\xA9");

  const Object& d = r.lines[5];
  EXPECT_EQ(d.at("kind"), "3");
  EXPECT_EQ(d.at("size"), "41");
  EXPECT_EQ(d.count("kindPart"), 0u);
  EXPECT_EQ(d.at("index"), "5");
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
