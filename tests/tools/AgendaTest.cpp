#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "files/RecordBytes.h"
#include "files/SaveFolder.h"
#include "store/MonthRecReference.h"
#include "support/Shell.h"

namespace {

namespace fs = std::filesystem;
using savefolder::Read;
using savefolder::Write;

const std::string kWorkSjis = "\x8e\x64\x8e\x96";          // "仕事"
const std::string kWorkUtf8 = "\xe4\xbb\x95\xe4\xba\x8b";  // "仕事"

using AgendaRun = velmo_test::ShellRun;

// Runs velmo-cli agenda inside data/ of the current folder.
AgendaRun Agenda(const std::string& args) {
  return velmo_test::Shell(std::string("cd data && '") + VELMO_BINARY_DIR + "/velmo-cli' agenda " + args);
}

recordbytes::Rec ToRecord(const monthref::Ref& r) {
  recordbytes::Rec rec;
  rec.kind = static_cast<std::uint16_t>(r.kind);
  rec.label = static_cast<std::uint16_t>(r.label);
  rec.startDay = static_cast<std::uint16_t>(r.start);
  rec.endDay = static_cast<std::uint16_t>(r.end);
  rec.repeat = static_cast<std::uint8_t>(r.repeat);
  rec.interval = static_cast<std::uint8_t>(r.interval);
  rec.weekMask = static_cast<std::uint8_t>(r.weekMask);
  rec.weekdayMask = static_cast<std::uint8_t>(r.weekdayMask);
  if (r.kind == 8) {
    rec.part[2] = static_cast<std::uint8_t>(r.rank);
  } else if (r.kind == 5 || r.kind == 6) {
    rec.part[0] = static_cast<std::uint8_t>(r.startHour);
    rec.part[1] = static_cast<std::uint8_t>(r.startMinute);
    if (r.kind == 6) {
      rec.part[2] = static_cast<std::uint8_t>(r.endHour);
      rec.part[3] = static_cast<std::uint8_t>(r.endMinute);
    }
  }
  if (r.doneDay >= 0) rec.done = recordbytes::Word(static_cast<std::uint16_t>(r.doneDay));
  rec.text = r.text;
  return rec;
}

// The agenda's JSON of one day, from the model alone.
std::string ExpectedJson(const std::vector<monthref::Ref>& refs,
                         const std::vector<std::string>& utf8, int n, const monthref::Filter& f) {
  const monthref::Day day = monthref::Expect(refs, n, f);
  const monthref::Civil c = monthref::CivilOf(n);
  char date[16];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", c.year, c.month, c.mday);
  std::ostringstream o;
  o << "{\"date\":\"" << date << "\",\"dayNo\":" << n
    << ",\"holiday\":" << (day.holiday ? "true" : "false") << ",\"items\":[";
  for (std::size_t i = 0; i < day.items.size(); ++i) {
    const monthref::Ref& e = refs[day.items[i]];
    o << (i ? "," : "") << "{\"kind\":" << e.kind << ",\"label\":" << e.label << ",\"text\":\""
      << utf8[day.items[i]] << "\"";
    if (e.kind == 5 || e.kind == 6) o << ",\"startHour\":" << e.startHour << ",\"startMinute\":" << e.startMinute;
    if (e.kind == 6) o << ",\"endHour\":" << e.endHour << ",\"endMinute\":" << e.endMinute;
    if (e.kind == 8) o << ",\"rank\":" << e.rank << ",\"done\":" << (e.doneDay >= 0 ? "true" : "false");
    o << "}";
  }
  o << "]}\n";
  return o.str();
}

std::string Continue(int saturday, int currentLabel, const int custom[5]) {
  std::ostringstream o;
  o << "# hand-made\nRecordFile: my.rec\nSaturdayIsHoliday: " << saturday
    << "\nCustomLabel: " << custom[0] << ' ' << custom[1] << ' ' << custom[2] << ' ' << custom[3]
    << ' ' << custom[4] << "\nCurrentLabel: " << currentLabel << "\n";
  return o.str();
}

class AgendaTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directory("data"); }
  savefolder::Folder folder;
};

TEST_F(AgendaTest, MatchesTheNaiveModelOverManyMonthsAndEverySelection) {
  std::mt19937 rng(7);
  const int from = monthref::DayNoOf(2023, 10, 1);
  const int span = 500;
  std::vector<monthref::Ref> refs = monthref::RandomEntries(rng, 300, from, span);
  std::vector<std::string> utf8;
  std::vector<recordbytes::Rec> records;
  for (std::size_t i = 0; i < refs.size(); ++i) {
    std::string text = refs[i].text;
    if (i % 7 == 0) {
      refs[i].text = kWorkSjis + text;
      text = kWorkUtf8 + text;
    } else if (i % 11 == 0) {
      refs[i].text = text + "\"q\"\nline";
      text += "\\\"q\\\"\\nline";
    }
    utf8.push_back(text);
    records.push_back(ToRecord(refs[i]));
  }
  const std::vector<std::uint8_t> bytes = recordbytes::File(records);
  Write("data/my.rec", std::string(bytes.begin(), bytes.end()));
  Write("data/label", "work\n");
  const int custom[5] = {1, 0, 1, 1, 0};

  char fromText[16];
  const monthref::Civil c = monthref::CivilOf(from);
  std::snprintf(fromText, sizeof fromText, "%04d-%02d-%02d", c.year, c.month, c.mday);
  for (int selection = 0; selection <= 5; ++selection) {
    const int saturday = selection % 2;
    // The saved selection, and the same selection given on the command line
    // over a different saved one.
    for (const bool override : {false, true}) {
      Write("data/continue", Continue(saturday, override ? (selection + 1) % 6 : selection, custom));
      const std::string args = std::string("--json --from ") + fromText + " --days " +
                               std::to_string(span) +
                               (override ? " --label " + std::to_string(selection) : "");
      const AgendaRun run = Agenda(args);
      ASSERT_EQ(run.status, 0) << run.err;
      const monthref::Filter filter = monthref::FilterFor(selection, custom, saturday != 0);
      std::istringstream lines(run.out);
      std::string line;
      for (int n = from; n < from + span; ++n) {
        ASSERT_TRUE(std::getline(lines, line)) << n;
        ASSERT_EQ(line + "\n", ExpectedJson(refs, utf8, n, filter))
            << "selection " << selection << " override " << override;
      }
      EXPECT_FALSE(std::getline(lines, line));
    }
  }
}

TEST_F(AgendaTest, ThePlainFormIsOneHeadingADayAndOneLineAnItem) {
  monthref::Ref schedule;
  schedule.kind = 6;
  schedule.label = 1;
  schedule.start = schedule.end = monthref::DayNoOf(2024, 6, 11);
  schedule.startHour = 9;
  schedule.endHour = 10;
  schedule.endMinute = 30;
  schedule.text = kWorkSjis + "\nsecond";
  monthref::Ref task;
  task.kind = 8;
  task.start = schedule.start;
  task.end = 65535;
  task.rank = 2;
  task.text = "milk";
  monthref::Ref untimed;  // no end time: shown without times
  untimed.kind = 6;
  untimed.start = untimed.end = monthref::DayNoOf(2024, 6, 10);
  untimed.text = "call";
  const std::vector<std::uint8_t> bytes =
      recordbytes::File({ToRecord(schedule), ToRecord(task), ToRecord(untimed)});
  Write("data/record", std::string(bytes.begin(), bytes.end()));
  Write("data/label", kWorkSjis + "\n");
  const AgendaRun run = Agenda("--from 2024-06-08 --days 4");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "2024-06-08 (\xe5\x9c\x9f)\n"                  // 土
            "2024-06-09 (\xe6\x97\xa5) holiday\n"          // 日
            "2024-06-10 (\xe6\x9c\x88)\n"                  // 月
            "  schedule [\xe5\x85\xb1\xe9\x80\x9a] call\n"
            "2024-06-11 (\xe7\x81\xab)\n"                  // 火
            "  schedule 09:00-10:30 [" + kWorkUtf8 + "] " + kWorkUtf8 + " / second\n"
            "  task     rank 2 open [\xe5\x85\xb1\xe9\x80\x9a] milk\n");  // 共通
}

TEST_F(AgendaTest, BadArgumentsAreNamedWithTheUsageLineAndStatusTwo) {
  Write("data/record", "");
  // Each fault, and the words that name it.
  const std::pair<const char*, const char*> cases[] = {
      {"--days 0", "--days"}, {"--days x", "--days"}, {"--days", "--days wants a value"},
      {"--from 2024-02-30", "2024-02 has 29 days"}, {"--from 24-01-01", "YYYY-MM-DD"},
      {"--from 2024-13-01", "no month 13"}, {"--from 2079-06-06", "2079-06-05"}, {"--label 6", "--label"},
      {"--label -1", "--label"}, {"--weeks 2", "unknown option --weeks"}, {"monday", "monday"},
      {"--json=yes", "--json takes no value"}, {"--from 2079-06-01 --days 6", "2079-06-05"}};
  for (const auto& [args, why] : cases) {
    const AgendaRun run = Agenda(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(run.out, "") << args;
    EXPECT_EQ(run.err.rfind("velmo-cli agenda: ", 0), 0u) << args << ": " << run.err;
    EXPECT_NE(run.err.find(why), std::string::npos) << args << ": " << run.err;
  }
  EXPECT_NE(Agenda("--days 0").err.find("usage: velmo-cli agenda"), std::string::npos);
  EXPECT_EQ(Agenda("--from 2079-06-01 --days 5").status, 0);
  EXPECT_EQ(Agenda("--from=2079-06-01 --days=5").status, 0);
}

TEST_F(AgendaTest, ItWritesNoFileAndDefaultsToSevenDaysFromToday) {
  Write("data/continue", "CurrentLabel: 2\n");
  Write("data/record", "\x04");  // damaged: shown as far as it loads
  const AgendaRun run = Agenda("");
  EXPECT_EQ(run.status, 3);  // damaged, shown as far as it loads
  EXPECT_NE(run.err, "");
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator("data")) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"continue", "record"}));
  EXPECT_EQ(Read("data/record"), "\x04");
  std::istringstream lines(run.out);
  std::string line;
  int days = 0;
  while (std::getline(lines, line)) days += line.rfind("  ", 0) == 0 ? 0 : 1;
  EXPECT_EQ(days, 7);
  const std::time_t now = std::time(nullptr);
  char today[16];
  std::strftime(today, sizeof today, "%Y-%m-%d", std::localtime(&now));
  EXPECT_EQ(run.out.substr(0, 10), today);
}

}  // namespace
