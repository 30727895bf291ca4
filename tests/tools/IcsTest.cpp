// iCalendar export and import, add, search and upcoming, run as a user runs
// them: velmo-cli in a working folder, checked against calcurse.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "files/RecordBytes.h"
#include "files/RecordLock.h"
#include "files/SaveFolder.h"

namespace {

using recordbytes::Rec;
using savefolder::Exists;
using savefolder::Read;
using savefolder::Write;

struct Run {
  int status;
  std::string out, err;
};

Run Shell(const std::string& command) {
  const int raw = std::system(("(" + command + ") >out 2>err").c_str());
  return Run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Read("out"), Read("err")};
}

// velmo-cli in folder dir of the current folder, local time zone tz.
Run Cli(const std::string& dir, const std::string& args, const std::string& tz = "Asia/Tokyo") {
  return Shell("mkdir -p " + dir + " && cd " + dir + " && VELMO_DIR=. TZ=" + tz + " '" VELMO_BINARY_DIR "/velmo-cli' " + args +
               " >../out 2>../err; echo $? >../status");
}

int Status() { return std::atoi(Read("status").c_str()); }

bool HaveCalcurse() { return std::system("command -v calcurse >/dev/null 2>&1") == 0; }

std::uint16_t Day(int y, int m, int d) {
  // Days since 31 December 1899, as Velmo counts them.
  int a = (14 - m) / 12, yy = y + 4800 - a, mm = m + 12 * a - 3;
  const long jdn = d + (153 * mm + 2) / 5 + 365L * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
  return static_cast<std::uint16_t>(jdn - 2415021 + 1);
}

const std::string kMeeting = "\x89\xef\x8b\x63";  // 会議
const std::string kHolidayText = "\x8f\x6a\x93\xfa";  // 祝日

Rec Schedule(std::uint16_t start, std::uint16_t end, int sh, int sm, int eh, int em, const std::string& text) {
  Rec r;
  r.kind = 6;
  r.startDay = start;
  r.endDay = end;
  r.part[0] = static_cast<std::uint8_t>(sh);
  r.part[1] = static_cast<std::uint8_t>(sm);
  r.part[2] = static_cast<std::uint8_t>(eh);
  r.part[3] = static_cast<std::uint8_t>(em);
  r.text = text;
  return r;
}

Rec Repeat(Rec r, int repeat, int interval, int weekMask = 0, int weekdayMask = 0) {
  r.repeat = static_cast<std::uint8_t>(repeat);
  r.interval = static_cast<std::uint8_t>(interval);
  r.weekMask = static_cast<std::uint8_t>(weekMask);
  r.weekdayMask = static_cast<std::uint8_t>(weekdayMask);
  return r;
}

// Every kind, every repeat rule, and the shapes other calendars are picky about.
std::vector<Rec> EveryKindAndRule() {
  std::vector<Rec> recs;
  Rec meeting = Schedule(Day(2026, 1, 5), Day(2026, 1, 5), 9, 0, 10, 30, kMeeting + "\n" + "agenda");
  meeting.label = 1;
  meeting.link = "memo.txt";
  recs.push_back(meeting);
  Rec holiday;
  holiday.kind = 4;
  holiday.startDay = Day(2026, 1, 12);
  holiday.endDay = Day(2026, 1, 13);
  holiday.text = kHolidayText;
  recs.push_back(holiday);
  recs.push_back(Repeat(holiday, 5, 1));  // yearly on 12 January
  recs.back().endDay = Day(2030, 12, 31);
  recs.push_back(Schedule(Day(2026, 1, 1), Day(2026, 6, 30), 7, 15, 7, 45, "every 3 days"));
  recs.back() = Repeat(recs.back(), 1, 3);
  // Every 2 weeks on Tuesday and Thursday; stored start a Monday the rule skips.
  recs.push_back(Repeat(Schedule(Day(2026, 1, 5), Day(2026, 12, 31), 18, 0, 19, 0, "fortnight"), 2, 2, 0x04 | 0x10));
  recs.push_back(Repeat(Schedule(Day(2026, 1, 31), Day(2026, 12, 31), 12, 0, 12, 0, "on the 31st"), 3, 1));
  recs.push_back(Repeat(Schedule(Day(2026, 1, 30), Day(2026, 12, 31), 0, 0, 0, 0, "last friday"), 4, 1, 0x10, 0x20));
  recs.push_back(Repeat(Schedule(Day(2026, 1, 13), Day(2027, 3, 31), 8, 0, 24, 0, "second tue+wed, 2 months"), 4, 2, 0x02, 0x04 | 0x08));
  recs.push_back(Repeat(Schedule(Day(2024, 2, 29), Day(2030, 12, 31), 0, 0, 0, 0, "leap day"), 5, 1));
  recs.push_back(Repeat(Schedule(Day(2026, 2, 9), Day(2030, 12, 31), 10, 0, 11, 0, "second monday of feb"), 6, 1, 0x02, 0x02));
  recs.push_back(Schedule(Day(2026, 3, 3), Day(2026, 3, 5), 9, 0, 17, 0, "trip"));
  recs.push_back(Schedule(Day(2026, 3, 10), Day(2026, 3, 12), 0, 0, 0, 0, "untimed days"));
  Rec task;
  task.kind = 8;
  task.startDay = Day(2026, 1, 2);
  task.part[2] = 2;
  task.text = "buy milk";
  recs.push_back(task);
  task.text = "done task";
  task.part[2] = 12;  // above what iCalendar holds
  task.done = recordbytes::Word(Day(2026, 1, 4));
  recs.push_back(task);
  return recs;
}

void WriteRecord(const std::string& dir, const std::vector<Rec>& recs) {
  std::system(("mkdir -p " + dir).c_str());
  const std::vector<std::uint8_t> bytes = recordbytes::File(recs);
  Write(dir + "/record", std::string(bytes.begin(), bytes.end()));
}

using Agenda = std::map<std::string, std::vector<std::string>>;  // date -> sorted items

std::string Unescape(const std::string& json) {
  std::string out;
  for (std::size_t i = 0; i < json.size(); ++i) {
    if (json[i] == '\\' && i + 1 < json.size()) {
      ++i;
      out += json[i] == 'n' ? '\n' : json[i];
    } else {
      out += json[i];
    }
  }
  return out;
}

std::string Hm(int h, int m) {
  char t[8];
  std::snprintf(t, sizeof t, "%02d:%02d", h % 24, m);
  return t;
}

// velmo-cli agenda --json as calcurse words it: "E text" for untimed items,
// "A start end text" for timed ones, the text's first line only.
Agenda VelmoAgenda(const std::string& dir, const std::string& from, int days) {
  Cli(dir, "agenda --json --label 0 --from " + from + " --days " + std::to_string(days));
  Agenda agenda;
  std::istringstream lines(Read("out"));
  const std::regex dayRe("\"date\":\"([0-9-]+)\"");
  const std::regex itemRe(
      "\\{\"kind\":(\\d+),\"label\":\\d+,\"text\":\"((?:[^\"\\\\]|\\\\.)*)\""
      "(?:,\"startHour\":(\\d+),\"startMinute\":(\\d+))?(?:,\"endHour\":(\\d+),\"endMinute\":(\\d+))?");
  for (std::string line; std::getline(lines, line);) {
    std::smatch day;
    if (!std::regex_search(line, day, dayRe)) continue;
    std::vector<std::string> items;
    for (std::sregex_iterator it(line.begin(), line.end(), itemRe), end; it != end; ++it) {
      const std::smatch& m = *it;
      if (m[1] == "8") continue;
      std::string text = Unescape(m[2]);
      text = text.substr(0, text.find('\n'));
      const bool timed = m[5].matched && (m[5] != "0" || m[6] != "0");
      items.push_back(timed ? "A " + Hm(std::stoi(m[3]), std::stoi(m[4])) + " " +
                                  Hm(std::stoi(m[5]), std::stoi(m[6])) + " " + text
                            : "E " + text);
    }
    std::sort(items.begin(), items.end());
    if (!items.empty()) agenda[day[1]] = items;
  }
  return agenda;
}

Agenda CalcurseAgenda(const std::string& dir, const std::string& from, int days, const std::string& tz) {
  const std::string f = "'A %S %E %m\\n'", e = "'E %m\\n'";
  Shell("TZ=" + tz + " calcurse -D " + dir + " --input-datefmt 4 -Q --filter-type cal --from " + from +
        " --days " + std::to_string(days) + " --format-apt " + f + " --format-recur-apt " + f +
        " --format-event " + e + " --format-recur-event " + e);
  Agenda agenda;
  std::istringstream lines(Read("out"));
  std::string date;
  for (std::string line; std::getline(lines, line);) {
    if (line.size() == 11 && line[10] == ':') {
      date = line.substr(0, 10);
    } else if (!line.empty() && !date.empty()) {
      agenda[date].push_back(line);
    }
  }
  for (auto& [day, items] : agenda) std::sort(items.begin(), items.end());
  return agenda;
}

void ExpectSameAgendas(const Agenda& velmo, const Agenda& calcurse) {
  EXPECT_GT(velmo.size(), 50u);
  for (const auto& [day, items] : velmo) {
    const auto other = calcurse.find(day);
    EXPECT_EQ(other != calcurse.end() ? other->second : std::vector<std::string>{}, items) << day;
  }
  for (const auto& [day, items] : calcurse) EXPECT_TRUE(velmo.count(day)) << day << " " << items[0];
}

void NewCalcurseFolder(const std::string& dir) {
  std::system(("rm -rf " + dir + " && mkdir -p " + dir).c_str());
  Write(dir + "/conf", "format.outputdate=%Y-%m-%d\n");
}

// The fields that make an entry, from velmo-cli dump (offsets, sizes and stamps left out).
std::vector<std::string> Entries(const std::string& dir) {
  Cli(dir, "dump");
  std::vector<std::string> out;
  std::istringstream lines(Read("out"));
  const std::regex drop("\"(index|offset|size|stampSeq|stampDay|stampHour|stampMinute)\":\\d+,?");
  for (std::string line; std::getline(lines, line);) out.push_back(std::regex_replace(line, drop, ""));
  return out;
}

TEST(IcsExport, CalcurseShowsWhatVelmoShowsForEveryKindAndRuleOver400Days) {
  if (!HaveCalcurse()) GTEST_SKIP() << "calcurse is not installed (setup/install.sh installs it)";
  savefolder::Folder folder;
  WriteRecord("v", EveryKindAndRule());
  for (const std::string tz : {"Asia/Tokyo", "UTC"}) {
    Cli("v", "export-ics ../out.ics", tz);
    ASSERT_EQ(Status(), 0) << Read("err");
    EXPECT_NE(Read("err").find("rank is above 9"), std::string::npos);
    const std::string ics = Read("out.ics");
    EXPECT_NE(ics.find("RRULE:FREQ=WEEKLY;UNTIL=20261231T235959"), std::string::npos) << ics;
    EXPECT_NE(ics.find("WKST=SU"), std::string::npos);
    EXPECT_NE(ics.find("CATEGORIES:\xe4\xbc\x91\xe6\x97\xa5"), std::string::npos);  // 休日
    EXPECT_NE(ics.find("STATUS:COMPLETED"), std::string::npos);
    EXPECT_NE(ics.find("PRIORITY:9"), std::string::npos);
    // The first day the fortnightly rule really occurs, not the stored Monday.
    EXPECT_NE(ics.find("20260106T180000"), std::string::npos);
    NewCalcurseFolder("c");
    Shell("TZ=" + tz + " calcurse -D c -i out.ics");
    EXPECT_NE(Read("out").find("0 skipped"), std::string::npos) << Read("out") << Read("err");
    ExpectSameAgendas(VelmoAgenda("v", "2026-01-01", 400), CalcurseAgenda("c", "2026-01-01", 400, tz));
  }
}

TEST(IcsImport, CalcurseExportReadsIntoTheSameAgenda) {
  if (!HaveCalcurse()) GTEST_SKIP() << "calcurse is not installed (setup/install.sh installs it)";
  savefolder::Folder folder;
  NewCalcurseFolder("c");
  // A generated set in calcurse's own file: every rule calcurse keeps, with
  // and without an end, at varied days, times and intervals.
  std::ostringstream apts;
  const char* units = "DWMY";
  for (int i = 0; i < 24; ++i) {
    const int month = 1 + i % 12, mday = 1 + (i * 7) % 28, hour = 6 + i % 12, every = 1 + i % 3;
    char date[16];
    std::snprintf(date, sizeof date, "%02d/%02d/2026", month, mday);
    const std::string rule = std::string("{") + std::to_string(every) + units[i % 4] +
                             (i % 3 == 0 ? " -> 12/31/2026}" : "}");
    if (i % 5 == 4) {
      apts << date << " [1] " << (i % 2 ? rule + " " : "") << "event " << i << "\n";
    } else {
      apts << date << " @ " << Hm(hour, 15 * (i % 4)) << " -> " << date << " @ " << Hm(hour + 1, 0) << " "
           << (i % 6 == 1 ? "" : rule + " ") << "|appointment " << i << "\n";
    }
  }
  Write("c/apts", apts.str());
  Write("c/todo", "[2] buy milk\n");
  Shell("TZ=Asia/Tokyo calcurse -D c -x > calcurse.ics");
  Cli("v", "import-ics ../calcurse.ics --now 2026-01-01T09:00");
  ASSERT_EQ(Status(), 0) << Read("err");
  EXPECT_NE(Read("out").find("25 added"), std::string::npos) << Read("out") << Read("err");
  ExpectSameAgendas(VelmoAgenda("v", "2026-01-01", 400), CalcurseAgenda("c", "2026-01-01", 400, "Asia/Tokyo"));
}

TEST(IcsImport, RoundTripGivesTheSameEntriesAndASecondImportAddsNothing) {
  savefolder::Folder folder;
  std::vector<Rec> recs = EveryKindAndRule();
  recs.back().part[2] = 9;  // a rank iCalendar holds
  recs[4].startDay = Day(2026, 1, 6);  // a start its rule does not skip: DTSTART is the first occurrence
  WriteRecord("v", recs);
  Cli("v", "export-ics ../out.ics");
  Cli("w", "import-ics ../out.ics --dry-run");
  EXPECT_EQ(Status(), 0);
  EXPECT_NE(Read("out").find("14 to add"), std::string::npos) << Read("out");
  EXPECT_FALSE(Exists("w/record"));
  Cli("w", "import-ics ../out.ics");
  EXPECT_EQ(Status(), 0) << Read("err");
  std::vector<std::string> before = Entries("v"), after = Entries("w");
  // A timed schedule over several days comes back as the range it was.
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < after.size(); ++i) EXPECT_EQ(after[i], before[i]) << i;
  const std::string record = Read("w/record");
  Cli("w", "import-ics ../out.ics");
  EXPECT_EQ(Status(), 0);
  EXPECT_NE(Read("out").find("0 added, 14 already in the record"), std::string::npos) << Read("out");
  EXPECT_EQ(Read("w/record"), record);
  // Importing its own export into the record it came from adds nothing either.
  Cli("v", "import-ics ../out.ics");
  EXPECT_NE(Read("out").find("0 added, 14 already"), std::string::npos) << Read("out");
}

TEST(IcsImport, RulesVelmoCannotKeepAreReportedByUidAndZonesAndTextAreConverted) {
  savefolder::Folder folder;
  const std::string longText(3000, 'x');
  Write("in.ics",
        "\xef\xbb\xbf"
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t//EN\r\n"
        "BEGIN:VEVENT\r\nUID:count\r\nDTSTART:20260105T100000Z\r\nDTEND:20260105T110000Z\r\n"
        "RRULE:FREQ=WEEKLY;COUNT=5\r\nEXDATE:20260112T100000Z\r\nSUMMARY:counted\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:ny\r\nDTSTART;TZID=America/New_York:20260105T080000\r\n"
        "DTEND;TZID=America/New_York:20260105T090000\r\nRRULE:FREQ=MONTHLY;BYDAY=1MO,3MO\r\n"
        "SUMMARY:\xf0\x9f\x98\x80 caf\xc3\xa9\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:long\r\nDTSTART;VALUE=DATE:20260201\r\nSUMMARY:\xe3\x81\x82" + longText +
        "\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:night\r\nDTSTART:20260301T230000\r\nDTEND:20260302T150000\r\nSUMMARY:n\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:late\r\nDTSTART:20260303T220000\r\nDTEND:20260304T010000\r\n"
        "RRULE:FREQ=WEEKLY;UNTIL=20260331\r\nSUMMARY:l\r\nEND:VEVENT\r\n"
        "BEGIN:VJOURNAL\r\nUID:diary\r\nSUMMARY:d\r\nEND:VJOURNAL\r\n"
        "BEGIN:VTODO\r\nUID:todo\r\nDUE;VALUE=DATE:20260110\r\nPRIORITY:1\r\nSUMMARY:t\r\nEND:VTODO\r\n"
        "END:VCALENDAR\r\n");
  Cli("v", "import-ics ../in.ics --skip-inexact");
  EXPECT_NE(Read("err").find("count: not kept: COUNT, EXDATE; left out"), std::string::npos) << Read("err");
  EXPECT_NE(Read("out").find("5 added"), std::string::npos) << Read("out");
  Cli("w", "import-ics ../in.ics");
  EXPECT_NE(Read("err").find("count: not kept: COUNT, EXDATE; added without its repeat rule"), std::string::npos);
  EXPECT_NE(Read("err").find("long: text cut from 3002 to 2047 bytes"), std::string::npos) << Read("err");
  EXPECT_NE(Read("err").find("night: spans several days; Velmo shows 23:00-24:00 on each of them"), std::string::npos);
  EXPECT_NE(Read("err").find("late: each occurrence cut at midnight"), std::string::npos);
  EXPECT_NE(Read("err").find("diary: a VJOURNAL is no event or to-do; left out"), std::string::npos);
  EXPECT_NE(Read("err").find("ny: 2 character(s) Shift-JIS lacks"), std::string::npos) << Read("err");
  // 08:00 in New York is 22:00 in Tokyo; the rule stays (first and third Monday).
  Cli("w", "agenda --from 2026-01-19 --days 1");
  EXPECT_NE(Read("out").find("22:00-23:00 [\xe5\x85\xb1\xe9\x80\x9a] \xe3\x80\x93 caf\xe3\x80\x93"), std::string::npos)
      << Read("out");
  Cli("w", "dump");
  const std::string dump = Read("out");
  EXPECT_NE(dump.find("\"repeat\":4,\"interval\":1,\"weekMask\":5,\"weekdayMask\":2"), std::string::npos) << dump;
  // 2047 bytes: the full-width first character and 2045 of the rest.
  EXPECT_NE(dump.find("\"textLen\":2047"), std::string::npos);
}

TEST(IcsImport, BadICalendarIsRefusedWithAClearErrorAndNothingIsWritten) {
  savefolder::Folder folder;
  WriteRecord("v", EveryKindAndRule());
  const std::string record = Read("v/record");
  Cli("v", "export-ics ../good.ics");
  const std::string good = Read("good.ics");
  const std::size_t summary = good.find("SUMMARY:");
  const std::string junk(10u << 20, 'j');
  const struct {
    const char* name;
    std::string text;
    const char* error;
  } cases[] = {
      {"truncated", good.substr(0, good.size() / 2), "truncated"},
      {"folding", good.substr(0, summary) + "SUMMARY:a\r\nfolded without a blank\r\n" + good.substr(summary + 8),
       "wrong line folding"},
      {"unknown", good.substr(0, summary) + "BEGIN:VMYSTERY\r\nEND:VMYSTERY\r\n" + good.substr(summary),
       "unknown component VMYSTERY"},
      {"junk", junk, "larger than 8 MB"},
      {"binary", std::string("BEGIN:VCALENDAR\r\n\xff\xfe\r\n"), "not UTF-8"},
      {"badvalue", "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:a\r\nDTSTART:soon\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
       "libical"},
  };
  for (const auto& c : cases) {
    Write(std::string(c.name) + ".ics", c.text);
    Cli("v", std::string("import-ics ../") + c.name + ".ics");
    EXPECT_EQ(Status(), 1) << c.name;
    EXPECT_NE(Read("err").find(c.error), std::string::npos) << c.name << ": " << Read("err");
    EXPECT_NE(Read("err").find("nothing written"), std::string::npos) << c.name;
    EXPECT_EQ(Read("v/record"), record) << c.name;
    EXPECT_FALSE(Exists("v/record.bak") || Exists("v/record.uids")) << c.name;
  }
}

TEST(CliAdd, AddSearchAndUpcomingWorkFromTheShell) {
  savefolder::Folder folder;
  WriteRecord("v", {Schedule(Day(2026, 1, 2), Day(2026, 1, 2), 8, 0, 9, 0, "old")});
  const std::string before = Read("v/record");
  Cli("v", "add schedule 2026-01-05..2026-03-31 --time 09:00-10:00 --repeat weekly:mon,wed/2 --label 1 "
           "'\xe4\xbc\x9a\xe8\xad\xb0' weekly");
  ASSERT_EQ(Status(), 0) << Read("err");
  EXPECT_EQ(Read("v/record.bak"), before);  // one backup of the file as it was
  // While Velmo runs on the record file, the writing commands leave it alone.
  ASSERT_EQ(RecordLock_Acquire("v/record"), RECORD_LOCK_HELD);
  const std::string added = Read("v/record");
  Cli("v", "add task 2026-01-06 locked out");
  EXPECT_EQ(Status(), 4);
  EXPECT_EQ(Read("err"), "velmo-cli add: Velmo is running on the record file record; nothing written\n");
  Write("one.ics", "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:one\r\nDTSTART;VALUE=DATE:20260107\r\n"
                   "SUMMARY:one\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
  Cli("v", "import-ics ../one.ics");
  EXPECT_EQ(Status(), 4);
  EXPECT_EQ(Read("v/record"), added);
  RecordLock_Release();
  Cli("v", "add task 2026-01-06 --rank 2 milk");
  Cli("v", "add holiday 2026-01-12 --repeat yearly day off");
  Cli("v", "add schedule 2026-01-30 --repeat monthly:lastfri,2mon x");
  EXPECT_EQ(Status(), 2);  // not every listed week times every listed day
  Cli("v", "add schedule 2026-02-30 x");
  EXPECT_EQ(Status(), 2);
  Cli("v", "agenda --from 2026-01-05 --days 3");
  EXPECT_NE(Read("out").find("schedule 09:00-10:00 [\xe5\x88\x86\xe9\xa1\x9e\xef\xbc\x91] \xe4\xbc\x9a\xe8\xad\xb0 weekly"),
            std::string::npos)
      << Read("out");
  Cli("v", "search '\xe8\xad\xb0'");
  EXPECT_EQ(Status(), 0);
  EXPECT_EQ(Read("out"), "2026-01-05 schedule [\xe5\x88\x86\xe9\xa1\x9e\xef\xbc\x91] \xe4\xbc\x9a\xe8\xad\xb0 weekly\n");
  Cli("v", "search off --json");
  EXPECT_NE(Read("out").find("{\"date\":\"2026-01-12\",\"dayNo\":"), std::string::npos) << Read("out");
  Cli("v", "search nowhere");
  EXPECT_EQ(Status(), 1);
  Cli("v", "upcoming --now 2026-01-07T08:50 --within 15");
  EXPECT_EQ(Read("out"), "09:00-10:00 \xe4\xbc\x9a\xe8\xad\xb0 weekly\n");
  Cli("v", "upcoming --now 2026-01-07T08:50 --within 9 --json");
  EXPECT_EQ(Read("out"), "");
  Cli("v", "upcoming --now 2026-01-14T08:55 --json");  // the week the rule skips
  EXPECT_EQ(Read("out"), "");
  Cli("v", "upcoming --now 2026-01-19T08:55 --json");
  EXPECT_NE(Read("out").find("\"start\":\"09:00\",\"end\":\"10:00\",\"minutesUntil\":5"), std::string::npos)
      << Read("out");
}

}  // namespace
