// iCalendar export and import, add, search and upcoming, run as a user runs
// them: velmo-cli in a working folder, checked against calcurse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "calendar/Date.h"
#include "files/RecordBytes.h"
#include "files/RecordLock.h"
#include "files/SaveFolder.h"
#include "support/Shell.h"

namespace {

using recordbytes::Rec;
using savefolder::Exists;
using savefolder::Read;
using savefolder::Write;

using Run = velmo_test::ShellRun;
using velmo_test::Shell;

// velmo-cli in folder dir of the current folder, local time zone tz.
Run Cli(const std::string& dir, const std::string& args, const std::string& tz = "Asia/Tokyo") {
  return Shell("mkdir -p " + dir + " && cd " + dir + " && VELMO_DIR=. TZ=" + tz + " '" VELMO_BINARY_DIR "/velmo-cli' " + args +
               " >../out 2>../err; echo $? >../status");
}

int Status() { return std::atoi(Read("status").c_str()); }

bool HaveCalcurse() { return std::system("command -v calcurse >/dev/null 2>&1") == 0; }

constexpr auto Day = Date_ToDayNo;  // short, for the record literals below

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
  // No text at all, and a 73-character text with blanks at either end: a
  // folded line must end in CRLF alone and every byte must come back.
  recs.push_back(Schedule(Day(2026, 3, 16), Day(2026, 3, 16), 8, 0, 9, 0, ""));
  recs.push_back(Schedule(Day(2026, 3, 17), Day(2026, 3, 17), 8, 0, 9, 0, "  " + std::string(69, 'z') + "  "));
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
    // Lines of at most 75 octets, each ended by CRLF and nothing else.
    for (std::size_t at = 0, end; (end = ics.find('\n', at)) != std::string::npos; at = end + 1) {
      ASSERT_TRUE(end > at && ics[end - 1] == '\r' && end - 1 - at <= 75) << ics.substr(at, end - at);
      EXPECT_EQ(ics.substr(at, end - 1 - at).find('\r'), std::string::npos) << ics.substr(at, end - at);
    }
    // UNTIL in UTC beside a DTSTART with a TZID: 23:59:59 in Tokyo is 14:59:59 UTC.
    EXPECT_NE(ics.find(tz == "UTC" ? "RRULE:FREQ=WEEKLY;UNTIL=20261231T235959Z" : "RRULE:FREQ=WEEKLY;UNTIL=20261231T145959Z"),
              std::string::npos) << ics;
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

// The UIDs of an iCalendar text, in order.
std::vector<std::string> UidsIn(const std::string& ics) {
  std::vector<std::string> out;
  for (std::size_t at = 0; (at = ics.find("\r\nUID:", at)) != std::string::npos; at += 7) {
    out.push_back(ics.substr(at + 6, ics.find("\r\n", at + 6) - at - 6));
  }
  return out;
}

TEST(IcsImport, RoundTripGivesTheSameEntriesAndASecondImportAddsNothing) {
  savefolder::Folder folder;
  std::vector<Rec> recs = EveryKindAndRule();
  recs.back().part[2] = 9;  // a rank iCalendar holds
  recs[4].startDay = Day(2026, 1, 6);  // a start its rule does not skip: DTSTART is the first occurrence
  // Texts whose every byte must come back: blanks at either end of every
  // line, empty lines, only a line feed, iCalendar's own special characters.
  for (const std::string text : {" ", "a\n", "\n", "  x  \n\n  y  \n", " ;,\\:\"  ", "\t tab\t"}) {
    recs.push_back(Schedule(Day(2026, 4, 1), Day(2026, 4, 1), 9, 0, 10, 0, text));
  }
  recs.back().link = " memo 1.txt ";
  recs.back().label = 4;
  Rec holiday = Repeat(Schedule(Day(2026, 5, 4), Day(2027, 5, 4), 0, 0, 0, 0, kHolidayText), 2, 1, 0x02);
  holiday.kind = 4;
  recs.push_back(holiday);
  recs.push_back(Repeat(holiday, 6, 1, 0x10, 0x02));
  recs.back().startDay = Day(2026, 5, 25);
  WriteRecord("v", recs);
  Cli("v", "export-ics ../out.ics");
  Cli("w", "import-ics ../out.ics --dry-run");
  EXPECT_EQ(Status(), 0);
  EXPECT_NE(Read("out").find("24 to add"), std::string::npos) << Read("out");
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
  EXPECT_NE(Read("out").find("0 added, 24 already in the record"), std::string::npos) << Read("out");
  EXPECT_EQ(Read("w/record"), record);
  // Importing its own export into the record it came from adds nothing either.
  Cli("v", "import-ics ../out.ics");
  EXPECT_NE(Read("out").find("0 added, 24 already"), std::string::npos) << Read("out");
  EXPECT_EQ(Read("err"), "");
  // The items keep their UIDs: exported again from the copy, the file is the same.
  Cli("w", "export-ics ../again.ics");
  EXPECT_EQ(UidsIn(Read("again.ics")), UidsIn(Read("out.ics")));
  EXPECT_EQ(Read("again.ics"), Read("out.ics"));
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
        "DTEND;TZID=America/New_York:20260105T090000\r\nRRULE:FREQ=MONTHLY;BYDAY=1MO,3MO;UNTIL=20261231T235959Z\r\n"
        "SUMMARY:\xf0\x9f\x98\x80 caf\xc3\xa9\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:long\r\nDTSTART;VALUE=DATE:20260201\r\nSUMMARY:\xe3\x81\x82" + longText +
        "\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:night\r\nDTSTART:20260301T230000\r\nDTEND:20260302T150000\r\nSUMMARY:n\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:open-ny\r\nDTSTART;TZID=America/New_York:20260105T080000\r\n"
        "RRULE:FREQ=WEEKLY\r\nSUMMARY:o\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:late\r\nDTSTART:20260303T220000\r\nDTEND:20260304T010000\r\n"
        "RRULE:FREQ=WEEKLY;UNTIL=20260331\r\nSUMMARY:l\r\nEND:VEVENT\r\n"
        "BEGIN:VJOURNAL\r\nUID:diary\r\nSUMMARY:d\r\nEND:VJOURNAL\r\n"
        "BEGIN:VTODO\r\nUID:todo\r\nDUE;VALUE=DATE:20260110\r\nPRIORITY:1\r\nSUMMARY:t\r\nEND:VTODO\r\n"
        "END:VCALENDAR\r\n");
  Cli("v", "import-ics ../in.ics --skip-inexact");
  EXPECT_NE(Read("err").find("UID open-ny: not kept: more than 100 pieces (summer-time changes or left-out days); left out"),
            std::string::npos) << Read("err");
  EXPECT_NE(Read("out").find("9 added, 0 already in the record, 2 left out"), std::string::npos) << Read("out");
  Cli("w", "import-ics ../in.ics");
  EXPECT_NE(Read("err").find("open-ny: not kept: more than 100 pieces (summer-time changes or left-out days); added "
                             "without its repeat rule"),
            std::string::npos);
  EXPECT_NE(Read("err").find("line 19, UID long: text cut from 3002 to 2047 bytes"), std::string::npos) << Read("err");
  EXPECT_NE(Read("err").find("night: spans several days; Velmo shows 23:00-24:00 on each of them"), std::string::npos);
  EXPECT_NE(Read("err").find("late: each occurrence cut at midnight"), std::string::npos);
  EXPECT_NE(Read("err").find("diary: a VJOURNAL is no event or to-do; left out"), std::string::npos);
  EXPECT_NE(Read("err").find("ny: 2 character(s) Shift-JIS lacks"), std::string::npos) << Read("err");
  // Rules are named in words, and COUNT with EXDATE is kept by splitting:
  // 5 Mondays from 5 January, 12 January left out; 10:00 UTC is 19:00 in Tokyo.
  EXPECT_NE(Read("out").find("added schedule 2026-01-05 19:00-20:00 repeat weekly:mon counted\n"
                             "added schedule 2026-01-19..2026-02-02 19:00-20:00 repeat weekly:mon counted\n"),
            std::string::npos) << Read("out");
  // 08:00 in New York is 22:00 in Tokyo in winter and 21:00 in summer; the
  // rule (first and third Monday) is cut at the changes.
  Cli("w", "agenda --from 2026-01-19 --days 1");
  EXPECT_NE(Read("out").find("22:00-23:00 [\xe5\x85\xb1\xe9\x80\x9a] \xe3\x80\x93 caf\xe3\x80\x93"), std::string::npos)
      << Read("out");
  Cli("w", "agenda --from 2026-04-20 --days 1");
  EXPECT_NE(Read("out").find("21:00-22:00 [\xe5\x85\xb1\xe9\x80\x9a] \xe3\x80\x93 caf\xe3\x80\x93"), std::string::npos)
      << Read("out");
  Cli("w", "dump");
  const std::string dump = Read("out");
  EXPECT_NE(dump.find("\"repeat\":4,\"interval\":1,\"weekMask\":5,\"weekdayMask\":2"), std::string::npos) << dump;
  // 2047 bytes: the full-width first character and 2045 of the rest.
  EXPECT_NE(dump.find("\"textLen\":2047"), std::string::npos);
}

bool HaveDateutil() { return std::system("/usr/bin/python3 -c 'import dateutil' >/dev/null 2>&1") == 0; }

// The agenda dateutil's rrule gives for a file (tests/tools/ics/agenda_oracle.py).
Agenda OracleAgenda(const std::string& file, const std::string& from, int days) {
  Shell("/usr/bin/python3 '" VELMO_SOURCE_DIR "/tests/tools/ics/agenda_oracle.py' '" + file + "' Asia/Tokyo " + from +
        " " + std::to_string(days));
  Agenda agenda;
  std::istringstream lines(Read("out"));
  for (std::string line; std::getline(lines, line);) {
    // Characters Shift-JIS writes with one code come back as the one Velmo keeps.
    for (std::size_t at; (at = line.find("\xe3\x80\x9c")) != std::string::npos;) line.replace(at, 3, "\xef\xbd\x9e");
    agenda[line.substr(0, 10)].push_back(line.substr(11));
  }
  for (auto& [day, items] : agenda) std::sort(items.begin(), items.end());
  return agenda;
}

// A series with left-out days, COUNT and a moved occurrence becomes several
// entries under its UID, and is written back as the one item it was.
TEST(IcsImport, ASeriesKeptBySplittingIsExportedAsTheOneItemItWas) {
  savefolder::Folder folder;
  Write("s.ics",
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t//EN\r\n"
        "BEGIN:VEVENT\r\nUID:s1\r\nDTSTART;TZID=Asia/Tokyo:20240105T100000\r\nDTEND;TZID=Asia/Tokyo:20240105T110000\r\n"
        "RRULE:FREQ=WEEKLY;COUNT=8\r\nEXDATE;TZID=Asia/Tokyo:20240119T100000,20240202T100000\r\n"
        "SUMMARY:series\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:s1\r\nRECURRENCE-ID;TZID=Asia/Tokyo:20240126T100000\r\n"
        "DTSTART;TZID=Asia/Tokyo:20240127T150000\r\nDTEND;TZID=Asia/Tokyo:20240127T160000\r\nSUMMARY:moved\r\n"
        "END:VEVENT\r\nEND:VCALENDAR\r\n");
  Cli("v", "import-ics ../s.ics");
  ASSERT_EQ(Status(), 0) << Read("err");
  EXPECT_EQ(Read("out"),
            "added schedule 2024-01-05..2024-01-12 10:00-11:00 repeat weekly:fri series\n"
            "added schedule 2024-02-09..2024-02-23 10:00-11:00 repeat weekly:fri series\n"
            "added schedule 2024-01-27 15:00-16:00 moved\n"
            "3 added, 0 already in the record, 0 left out\n");
  EXPECT_EQ(Read("v/record.uids").find("s1/"), std::string::npos);
  Cli("v", "export-ics ../out.ics");
  const std::string ics = Read("out.ics");
  EXPECT_NE(ics.find("RRULE:FREQ=WEEKLY;UNTIL=20240223T145959Z;BYDAY=FR;WKST=SU\r\n"
                     "EXDATE;TZID=Asia/Tokyo:20240119T100000\r\nEXDATE;TZID=Asia/Tokyo:20240202T100000\r\n"),
            std::string::npos) << ics;
  EXPECT_NE(ics.find("RECURRENCE-ID;TZID=Asia/Tokyo:20240126T100000\r\n"), std::string::npos) << ics;
  EXPECT_EQ(ics.find("UID:s1/"), std::string::npos) << ics;
  Cli("v", "import-ics ../out.ics");
  EXPECT_NE(Read("out").find("0 added, 1 already in the record"), std::string::npos) << Read("out") << Read("err");
  EXPECT_EQ(Read("err"), "");
  Cli("w", "import-ics ../out.ics");
  EXPECT_EQ(Entries("w"), Entries("v"));
  if (HaveDateutil()) {
    EXPECT_EQ(VelmoAgenda("w", "2024-01-01", 60), OracleAgenda("s.ics", "2024-01-01", 60));
    EXPECT_EQ(VelmoAgenda("w", "2024-01-01", 60), OracleAgenda("out.ics", "2024-01-01", 60));
  }
}

// What cannot be kept exactly is said; nothing is changed without a word.
TEST(IcsImport, NothingIsWrongInSilence) {
  savefolder::Folder folder;
  const std::string head = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t//EN\r\n";
  const std::string until =
      "BEGIN:VEVENT\r\nUID:until\r\nDTSTART;TZID=America/New_York:20260105T200000\r\n"
      "DTEND;TZID=America/New_York:20260105T203000\r\nRRULE:FREQ=WEEKLY;UNTIL=20260126T200000\r\n";
  Write("in.ics", head + until + "SUMMARY:\xe3\x80\x9c \xc2\xa5 \xe2\x80\x94\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:two\r\nDTSTART:20260105T100000\r\nRRULE:FREQ=DAILY\r\nRRULE:FREQ=WEEKLY\r\n"
        "SUMMARY:t\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:dup\r\nDTSTART:20260106T100000\r\nSUMMARY:first\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:dup\r\nDTSTART:20260107T100000\r\nSUMMARY:second\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:late\r\nDTSTART:20260105T100000\r\nRRULE:FREQ=WEEKLY;UNTIL=20600101T000000\r\n"
        "SUMMARY:l\r\nEND:VEVENT\r\n"
        // Saturday and Monday 20:00 UTC are Sunday and Tuesday 05:00 in Tokyo;
        // every other week they would cross Velmo's weeks unevenly.
        "BEGIN:VEVENT\r\nUID:utc\r\nDTSTART:20260103T200000Z\r\nRRULE:FREQ=WEEKLY;BYDAY=SA,MO;UNTIL=20260301\r\n"
        "SUMMARY:u\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:utc2\r\nDTSTART:20260103T200000Z\r\nRRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=SA,MO\r\n"
        "SUMMARY:u2\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
  Cli("v", "import-ics ../in.ics");
  ASSERT_EQ(Status(), 0) << Read("err");
  const std::string err = Read("err");
  EXPECT_NE(err.find("line 11, UID two: not kept: a second RRULE; added without its repeat rule"), std::string::npos) << err;
  EXPECT_NE(err.find("line 23, UID dup: its UID is given twice in the file; this one left out"), std::string::npos) << err;
  EXPECT_NE(err.find("UID late: ends 2059-12-31, outside 1970-2050; left out"), std::string::npos) << err;
  EXPECT_NE(err.find("UID utc2: not kept: its days moved by the time zones, which Velmo's rule cannot follow; added "
                     "without its repeat rule"),
            std::string::npos) << err;
  EXPECT_NE(Read("out").find("added schedule 2026-01-04..2026-03-02 05:00-05:00 repeat weekly:sun,tue u\n"),
            std::string::npos) << Read("out");
  // WAVE DASH, the yen sign and EM DASH share their codes with others in Shift-JIS: no word.
  EXPECT_EQ(err.find("until"), std::string::npos) << err;
  // An UNTIL without a zone is read in the start's: 20:00 in New York on
  // Monday the 26th, 10:00 on Tuesday in Tokyo, is the last occurrence.
  Cli("v", "agenda --from 2026-01-27 --days 1");
  EXPECT_NE(Read("out").find("schedule 10:00-10:30"), std::string::npos) << Read("out");
  Cli("v", "agenda --from 2026-02-03 --days 1");
  EXPECT_EQ(Read("out").find("schedule 10:00-10:30"), std::string::npos) << Read("out");
  Cli("v", "dump");
  EXPECT_NE(Read("out").find("\"textHex\":\"8160205c20815c\""), std::string::npos) << Read("out");
  // The file changed since: told, the record keeps what it has.
  const std::string record = Read("v/record");
  Write("changed.ics", head + until + "SUMMARY:renamed\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
  Cli("v", "import-ics ../changed.ics");
  EXPECT_NE(Read("err").find("UID until: the record's entries of this UID differ (changed in Velmo or in the file since "
                             "it was imported); the record keeps its own"),
            std::string::npos) << Read("err");
  EXPECT_EQ(Read("v/record"), record);
  Cli("v", "import-ics ../in.ics");
  EXPECT_NE(Read("out").find("0 added, 5 already in the record"), std::string::npos) << Read("out");
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
    bool whole;  // no iCalendar at all: refused whole; otherwise only the faulty component is left out
  } cases[] = {
      {"truncated", good.substr(0, good.size() / 2), "truncated", true},
      {"junk", junk, "larger than 8 MB", true},
      {"binary", std::string("BEGIN:VCALENDAR\r\n\xff\xfe\r\n"), "line 2: not UTF-8", true},
      {"notical", "Subject: hello\r\n\r\nBEGIN:VCALENDAR\r\n", "line 1: no iCalendar", true},
      {"folding", good.substr(0, summary) + "SUMMARY:a\r\nfolded without a blank\r\n" + good.substr(summary + 8),
       "wrong line folding?); left out", false},
      {"unknown", good.substr(0, summary) + "BEGIN:VMYSTERY\r\nEND:VMYSTERY\r\n" + good.substr(summary),
       "not kept: VMYSTERY inside it", false},
      {"badvalue",
       "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:a\r\nDTSTART:soon\r\nEND:VEVENT\r\n"
       "BEGIN:VEVENT\r\nUID:b\r\nDTSTART:20240230T100000\r\nEND:VEVENT\r\n"
       "BEGIN:VEVENT\r\nUID:c\r\nDTSTART;TZID=Nowhere/Town:20240201T100000\r\nEND:VEVENT\r\n"
       "BEGIN:VEVENT\r\nUID:d\r\nDTSTART:20600101\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
       "line 2, UID a: DTSTART \"soon\" is no date or time; left out\n"
       "velmo-cli import-ics: ../badvalue.ics, line 6, UID b: DTSTART 20240230T100000 is no valid date; left out\n"
       "velmo-cli import-ics: ../badvalue.ics, line 10, UID c: DTSTART names the time zone \"Nowhere/Town\", which is "
       "neither in the file nor known to the system; left out\n"
       "velmo-cli import-ics: ../badvalue.ics, line 14, UID d: starts 2060-01-01, outside 1970-2050; left out\n",
       false},
  };
  for (const auto& c : cases) {
    Write(std::string(c.name) + ".ics", c.text);
    Cli("v", std::string("import-ics ../") + c.name + ".ics");
    EXPECT_EQ(Status(), c.whole ? 1 : 0) << c.name;
    EXPECT_NE(Read("err").find(c.error), std::string::npos) << c.name << ": " << Read("err");
    if (!c.whole) continue;
    EXPECT_NE(Read("err").find("nothing written"), std::string::npos) << c.name;
    EXPECT_EQ(Read("v/record"), record) << c.name;
    EXPECT_FALSE(Exists("v/record.bak") || Exists("v/record.uids")) << c.name;
  }
  // One faulty component costs only itself: the others are added.
  Cli("w", "import-ics ../folding.ics");
  EXPECT_NE(Read("out").find("15 added, 0 already in the record, 1 left out"), std::string::npos) << Read("out");
  EXPECT_NE(Read("err").find("line 39, UID velmo-"), std::string::npos) << Read("err");
  // The statuses every command gives: a damaged record, a dry run too; no record to export; an
  // export that cannot be written; two FILEs.
  Cli("d", "import-ics --dry-run ../good.ics");
  EXPECT_EQ(Status(), 0) << Read("err");  // a missing record is empty: the import would make it
  Write("d/record", record.substr(0, 100));
  Cli("d", "import-ics --dry-run ../good.ics");
  EXPECT_EQ(Status(), 3) << Read("err");
  EXPECT_NE(Read("err").find("(damaged record)"), std::string::npos) << Read("err");
  Cli("e", "export-ics");
  EXPECT_EQ(Status(), 5);
  EXPECT_NE(Read("err").find("velmo-cli export-ics: no record file in "), std::string::npos) << Read("err");
  Cli("w", "export-ics ../nowhere/w.ics");
  EXPECT_EQ(Status(), 6);
  EXPECT_NE(Read("err").find("/nowhere/w.ics: could not be written\n"), std::string::npos) << Read("err");
  Cli("w", "import-ics ../good.ics ../folding.ics");
  EXPECT_EQ(Status(), 2);
  EXPECT_EQ(Read("err"), "velmo-cli import-ics: one FILE only\n");
}

// Files in the shapes the big web, desktop and phone calendars write (their
// VTIMEZONEs, empty properties, folds inside names and characters, X- and
// later RFCs' properties, EXDATE and RECURRENCE-ID series, COUNT, summer
// time in another zone), each with days it must give, checked day by day
// against dateutil, and read back from Velmo's own export.
TEST(IcsImport, CorpusOfRealCalendarShapesGivesDateutilsAgendaAndSurvivesItsOwnExport) {
  savefolder::Folder folder;
  const struct {
    const char* file;
    int entries;
    std::vector<std::pair<std::string, std::string>> days;  // date, item that must be there
    std::vector<std::string> absent;                         // dates with nothing
  } corpus[] = {
      {"web-calendar", 6,
       {{"2024-01-05", "A 00:00 01:00 \xe5\xae\x9a\xe4\xbe\x8b\xe4\xbc\x9a\xe8\xad\xb0"},
        {"2024-02-23", "A 05:00 06:00 \xe5\xae\x9a\xe4\xbe\x8b\xe4\xbc\x9a\xe8\xad\xb0\xef\xbc\x88\xe5\x8d\x88\xe5\xbe\x8c\xef\xbc\x89"},
        {"2024-03-08", "A 00:00 01:00 \xe5\xae\x9a\xe4\xbe\x8b\xe4\xbc\x9a\xe8\xad\xb0"},
        {"2024-03-14", "A 23:00 00:00 \xe5\xae\x9a\xe4\xbe\x8b\xe4\xbc\x9a\xe8\xad\xb0"},
        {"2024-03-01", "A 10:00 11:00 "}},
       {"2024-02-16", "2024-03-15", "2024-05-02"}},
      {"desktop-mail", 4,
       {{"2024-01-10", "A 11:00 12:00 \xe6\x98\xbc\xe9\xa3\x9f\xe4\xbc\x9a"},
        {"2024-03-30", "A 17:00 17:30 Berlin call"},
        {"2024-03-31", "A 16:00 16:30 Berlin call"}},
       {"2024-04-01"}},
      {"phone", 2,
       {{"2024-03-20", "E \xe6\x98\xa5\xe5\x88\x86\xe3\x81\xae\xe6\x97\xa5\xef\xbd\x9e\xe4\xbc\x91\xe3\x81\xbf \xef\xbf\xa5" "0"},
        {"2024-09-30", "A 19:00 20:30 \xe6\x9c\x88\xe6\x9c\xab\xe3\x81\xae\xe9\x9b\x86\xe3\x81\xbe\xe3\x82\x8a"}},
       {"2024-09-23", "2025-01-27"}},
      {"server", 4,
       {{"2024-04-12", "A 10:00 11:00 \xe6\x8b\x9b\xe5\xbe\x85\xe3\x81\x95\xe3\x82\x8c\xe3\x81\x9f\xe5\x9b\x9e"},
        {"2024-04-20", "A 08:30 09:15 \xe6\x9c\x9d\xe4\xbc\x9a"},
        {"2024-09-10", "A 09:30 10:00 \xe6\x9c\x88\xe6\xac\xa1\xe5\xa0\xb1\xe5\x91\x8a"}},
       {"2024-04-06", "2024-04-22", "2024-10-10"}},
      {"holidays-jp", 3,
       {{"2025-01-13", "E \xe6\x88\x90\xe4\xba\xba\xe3\x81\xae\xe6\x97\xa5"}, {"2024-05-05", "E \xe9\x80\xa3\xe4\xbc\x91"}},
       {"2024-05-06"}},
  };
  const bool oracle = HaveDateutil();
  if (!oracle) std::puts("python3-dateutil is missing (setup/install.sh installs it): checked without the second opinion");
  for (const auto& c : corpus) {
    const std::string name = c.file, file = VELMO_SOURCE_DIR "/tests/tools/ics/" + name + ".ics";
    const std::string dir = "r-" + name, back = "b-" + name;
    Cli(dir, "import-ics '" + file + "' --now 2024-01-01T09:00");
    ASSERT_EQ(Status(), 0) << name << Read("err");
    EXPECT_NE(Read("out").find(std::to_string(c.entries) + " added, 0 already in the record, 0 left out"),
              std::string::npos) << name << Read("out") << Read("err");
    EXPECT_EQ(Read("err").find("character(s) Shift-JIS lacks"), std::string::npos) << name << Read("err");
    const Agenda velmo = VelmoAgenda(dir, "2024-01-01", 400);
    for (const auto& [day, item] : c.days) {
      const auto found = velmo.find(day);
      EXPECT_TRUE(found != velmo.end() && std::count(found->second.begin(), found->second.end(), item) == 1)
          << name << " " << day << " " << item;
    }
    for (const std::string& day : c.absent) EXPECT_EQ(velmo.count(day), 0u) << name << " " << day;
    if (oracle) {
      EXPECT_EQ(velmo, OracleAgenda(file, "2024-01-01", 400)) << name;
    }
    // Velmo's own export: the same entries back, the same bytes when nothing changed.
    Cli(dir, "export-ics ../" + name + ".out.ics");
    ASSERT_EQ(Status(), 0) << name << Read("err");
    const std::string exported = Read(name + ".out.ics");
    Cli(dir, "export-ics ../again.ics --now 2025-06-01T12:00");
    EXPECT_EQ(Read("again.ics"), exported) << name;
    Cli(back, "import-ics ../" + name + ".out.ics");
    ASSERT_EQ(Status(), 0) << name << Read("err");
    EXPECT_EQ(Entries(back), Entries(dir)) << name << exported;
    if (oracle) {
      EXPECT_EQ(VelmoAgenda(back, "2024-01-01", 400), OracleAgenda(name + ".out.ics", "2024-01-01", 400)) << name;
    }
    Cli(dir, "import-ics ../" + name + ".out.ics");
    EXPECT_NE(Read("out").find("0 added"), std::string::npos) << name << Read("out");
    Cli(dir, "import-ics '" + file + "'");
    EXPECT_NE(Read("out").find("0 added"), std::string::npos) << name << Read("out");
    EXPECT_EQ(Read("err").find("changed"), std::string::npos) << name << Read("err");
  }
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// velmo-cli under a limit of 5 s of processor time and 256 MB (the address
// sanitizer needs its own address space: there the time limit alone,
// stretched); the wall-clock limit only catches a run that waits forever on
// a machine others share.
Run LimitedCli(const std::string& dir, const std::string& args) {
  const std::string limit = kSanitized ? "ulimit -t 60 && timeout 300 " : "ulimit -v 262144 && ulimit -t 5 && timeout 120 ";
  return Shell("mkdir -p " + dir + " && cd " + dir + " && " + limit + "env VELMO_DIR=. TZ=Asia/Tokyo '" VELMO_BINARY_DIR
               "/velmo-cli' " + args);
}

std::string NewYorkZone(const std::string& freq) {
  return "BEGIN:VTIMEZONE\r\nTZID:America/New_York\r\nBEGIN:DAYLIGHT\r\nTZOFFSETFROM:-0500\r\nTZOFFSETTO:-0400\r\n"
         "DTSTART:19700308T020000\r\nRRULE:FREQ=" + freq + ";BYMONTH=3;BYDAY=2SU\r\nEND:DAYLIGHT\r\n"
         "BEGIN:STANDARD\r\nTZOFFSETFROM:-0400\r\nTZOFFSETTO:-0500\r\nDTSTART:19701101T020000\r\n"
         "RRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=1SU\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";
}

// 8 MB of weekly items in New York, seen from Tokyo.
std::string EightMegabytes(const std::string& rule) {
  std::string ics = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + NewYorkZone("YEARLY");
  for (int i = 0; ics.size() < (8u << 20) - 400; ++i) {
    char item[320];
    std::snprintf(item, sizeof item,
                  "BEGIN:VEVENT\r\nUID:e%d\r\nDTSTART;TZID=America/New_York:2024%02d%02dT100000\r\n"
                  "DTEND;TZID=America/New_York:2024%02d%02dT110000\r\nRRULE:%s\r\nSUMMARY:x\r\nEND:VEVENT\r\n",
                  i, 1 + i % 12, 1 + i % 28, 1 + i % 12, 1 + i % 28, rule.c_str());
    ics += item;
  }
  return ics + "END:VCALENDAR\r\n";
}

// Each case that made the import run without end, or grow without bound, or
// say "added" for what was never written, now ends in time with its answer.
TEST(IcsImport, PathologicalFilesEndUnderATimeAndMemoryLimitWithTheirAnswer) {
  savefolder::Folder folder;
  const std::string event =
      "BEGIN:VEVENT\r\nUID:ev\r\nDTSTART;TZID=America/New_York:20240105T100000\r\nSUMMARY:x\r\nEND:VEVENT\r\n";
  for (const std::string freq : {"SECONDLY", "MINUTELY", "HOURLY", "DAILY"}) {
    Write("zone.ics", "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + NewYorkZone(freq) + event + "END:VCALENDAR\r\n");
    const auto r = LimitedCli("z-" + freq, "import-ics ../zone.ics");
    EXPECT_EQ(r.status, 0) << freq << r.err;
    EXPECT_NE(r.err.find("line 18, UID ev: DTSTART names the time zone \"America/New_York\", which is refused (line 9: "
                         "its DAYLIGHT repeats FREQ=" + freq + ", more often than yearly); left out"),
              std::string::npos) << freq << r.err;
  }
  // A yearly observance on every day of the year: refused before libical lists 175000 changes.
  std::string daily = NewYorkZone("YEARLY");
  daily.replace(daily.find("BYMONTH=3;BYDAY=2SU"), 19, "BYMONTH=3;BYMONTHDAY=1,2,3,4,5,6,7,8,9,10,11,12");
  daily.replace(daily.find("DTSTART:19700308T020000"), 23, "DTSTART:16010101T020000");
  Write("zone.ics", "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + daily + event + "END:VCALENDAR\r\n");
  auto z = LimitedCli("z-many", "import-ics ../zone.ics");
  EXPECT_NE(z.err.find("(line 9: its DAYLIGHT repeats on more days a year than a time zone changes)"),
            std::string::npos) << z.err;
  // Open rules that summer time cuts into more pieces than an item may become.
  Write("open.ics", EightMegabytes("FREQ=WEEKLY"));
  auto r = LimitedCli("open", "import-ics ../open.ics --skip-inexact");
  EXPECT_EQ(r.status, 0) << r.err.substr(0, 300);
  EXPECT_NE(r.out.find("0 added, 0 already in the record, 52494 left out"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("UID e0: not kept: more than 100 pieces"), std::string::npos);
  // More entries than the table holds: the trial run says what the import says, and no "added" line.
  Write("full.ics", EightMegabytes("FREQ=WEEKLY;UNTIL=20500101T000000Z"));
  for (const std::string trial : {"--dry-run", ""}) {
    r = LimitedCli("full", "import-ics ../full.ics " + trial);
    EXPECT_EQ(r.status, 1) << trial;
    EXPECT_EQ(r.err, "velmo-cli import-ics: ../full.ics: its items need more entries than the 6000 the record holds "
                     "(0 in use); nothing written\n") << trial;
    EXPECT_EQ(r.out.find("add "), std::string::npos) << trial;
    EXPECT_FALSE(Exists("full/record")) << trial;
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
