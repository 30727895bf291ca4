// Monkey runs: long pseudo-random key scripts, fixed seeds, played through
// velmo-headless over a real record, label and continuation file. Whatever
// the keys do, the program must end normally and in bounded time, leave a
// record file that loads whole, keep the file as it was when nothing was
// edited, keep the backup of the file it started from, and write a readable
// continuation file.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "calendar/Date.h"
#include "files/RecordBytes.h"
#include "support/Headless.h"

namespace {

using recordbytes::Rec;
using velmo_test::HeadlessFolder;
using velmo_test::RunOptions;

// Shift-JIS texts: 会議, 歯医者, 買い物, 締切, 出張\n電話, ｶﾀｶﾅ.
const std::vector<std::string> kTexts = {
    "\x89\xef\x8b\x63", "\x8e\x95\x88\xe3\x8e\xd2", "\x94\x83\x82\xa2\x95\xa8",
    "\x92\xf7\x90\xd8", "\x8f\x6f\x92\xa3\n\x93\x64\x98\x62", "\xb6\xc0\xb6\xc5",
};

const DayNo kToday = Date_ToDayNo(2024, 3, 5);

std::string Sjis(int i) {
  std::string text = kTexts[static_cast<std::size_t>(i) % kTexts.size()];
  if (i % 7 == 0) text += " note " + std::to_string(i);
  if (i % 11 == 0)
    for (int k = 0; k < 40; ++k) text += kTexts[k % 4];  // longer than any cell
  return text;
}

// Entries of every kind the file may hold, on days round the start date,
// with every repeat type, labels 0..4 and a few far-off dates.
std::string RecordImage() {
  std::vector<Rec> recs;
  auto day = [](int offset) { return static_cast<std::uint16_t>(kToday + offset); };
  for (int i = 0; i < 10; ++i) {  // holidays
    Rec r;
    r.kind = 4;
    r.label = static_cast<std::uint16_t>(i % 5);
    r.startDay = day(-60 + i * 13);
    r.endDay = day(-60 + i * 13 + i % 3);
    r.repeat = static_cast<std::uint8_t>(i % 2 == 0 ? (i / 2) % 7 : 0);
    r.interval = r.repeat ? 1 : 0;
    r.weekMask = r.repeat == 2 ? 0x04 : 0x10;
    r.weekdayMask = 0x02;
    r.text = Sjis(i);
    recs.push_back(r);
  }
  for (int i = 0; i < 36; ++i) {  // schedules, every repeat type
    Rec r;
    r.kind = 6;
    r.label = static_cast<std::uint16_t>(i % 5);
    r.startDay = day(-30 + i * 3 - (i % 4) * 5);
    r.endDay = i % 9 == 0 ? day(400) : static_cast<std::uint16_t>(r.startDay + i % 4);
    r.repeat = static_cast<std::uint8_t>(i % 7);
    r.interval = r.repeat ? static_cast<std::uint8_t>(1 + i % 3) : 0;
    r.weekMask = r.repeat == 2 ? static_cast<std::uint8_t>(1u << (r.startDay % 7))
                               : static_cast<std::uint8_t>(1u << (i % 5));
    r.weekdayMask = static_cast<std::uint8_t>(0x7F >> (i % 7));
    const int hour = i % 3 == 0 ? 0 : 7 + i % 15;
    r.part[0] = static_cast<std::uint8_t>(hour);
    r.part[1] = static_cast<std::uint8_t>(i % 4 * 15);
    r.part[2] = static_cast<std::uint8_t>(i % 3 == 0 ? 0 : hour + 1 + i % 3);
    r.part[3] = static_cast<std::uint8_t>(i % 2 * 30);
    r.text = Sjis(i);
    if (i % 10 == 3) r.link = "memo.txt";
    recs.push_back(r);
  }
  for (int i = 0; i < 30; ++i) {  // tasks, open and done
    Rec r;
    r.kind = 8;
    r.label = static_cast<std::uint16_t>(i % 5);
    r.startDay = day(-20 + i * 2);
    r.endDay = 65535;
    r.part[2] = static_cast<std::uint8_t>(i % 10);
    if (i % 3 == 0) r.done = recordbytes::Word(day(-5 + i % 7));
    r.text = Sjis(i + 3);
    recs.push_back(r);
  }
  for (int i = 0; i < 8; ++i) {  // kinds only files hold, deleted ones, extra words
    Rec r;
    r.kind = static_cast<std::uint16_t>(i % 3 == 0 ? 5 : i % 3 == 1 ? 7 : 3);
    r.label = static_cast<std::uint16_t>(i % 5);
    r.startDay = day(i * 2 - 4);
    r.endDay = static_cast<std::uint16_t>(r.startDay + i % 2);
    r.part[0] = 9;
    r.part[1] = 30;
    r.part[2] = 5;
    if (i == 2) r.extra = recordbytes::Word(0x1234) + recordbytes::Word(7);
    r.text = Sjis(i + 1);
    recs.push_back(r);
  }
  {  // both ends of the calendar
    Rec first;
    first.kind = 6;
    first.startDay = 1;
    first.endDay = 3;
    first.text = kTexts[0];
    recs.push_back(first);
    Rec last;
    last.kind = 8;
    last.startDay = 65534;
    last.endDay = 65535;
    last.text = kTexts[1];
    recs.push_back(last);
  }
  const auto bytes = recordbytes::File(recs);
  return {bytes.begin(), bytes.end()};
}

// Label names 仕事, 家庭, 趣味, 買物 (Shift-JIS).
const std::string kLabels = "\x8e\x64\x8e\x96\n\x89\xc6\x92\xeb\n\x8e\xef\x96\xa1\n\x94\x83\x95\xa8\n";

enum class Mode {
  kBrowse,  // no key or command that can change an entry
  kEdit,    // adds, changes, deletes, cut and paste, saving
  kAll,     // kEdit with the EUC conversion and the CSV export
};

const std::vector<std::string> kBrowseKeys = {
    "UP", "DOWN", "LEFT", "RIGHT", "UP", "DOWN", "LEFT", "RIGHT", "PGUP", "PGDN", "HOME", "END",
    "F1", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "INS", "ESC", "ESC", "TAB", "S-TAB", "BS",
    "0", "1", "2", "3", "4", "5", "9", "c", "d", "v", "?", "f", "g", "j", "m", "a", "b", "e",
    "k", "l", "o", "r", "u", "w", "x", "y", "z", "S-c", "C-c", "C-l", "C-f", "C-b", "S-UP",
    "S-DOWN", "C-S-p", "C-S-n", "HENKAN", "MUHENKAN", "C-a", "C-e", "C-k", "C-h", "S-LEFT",
    "S-RIGHT", "C-LEFT", "C-RIGHT", "C-PGUP", "C-PGDN", "S-F7", "C-F8", "~", "\\",
};
const std::vector<std::string> kEditKeys = {
    "RET", "RET", "SPC", "DEL", "C-x", "C-v", "C-s", "C-d", "n", "p", "n", "C-n", "C-p",
    "C-UP", "C-DOWN", "t", "s", "S-t", "S-s", "h", "F2", "F3", "C-j", "INS", "S-RET",
};
const std::vector<int> kBrowseCommands = {
    3001, 3002, 3003, 3005, 3006, 3007, 3008, 3009, 3016, 3017, 3018, 3019, 3028,
    3029, 3030, 3031, 3032, 3033, 3039, 4502, 4504, 4507, 4515, 4516, 4517, 4518,
    4519, 4520, 4521, 4522, 4523, 4524, 3023, 3027, 6001, 1,
};
const std::vector<int> kEditCommands = {
    3015, 3020, 3021, 3022, 4501, 4506, 4508, 4509, 4510, 4511, 4512, 3015, 3023, 3025,
};
const std::vector<std::string> kTyped = {
    "会議", "歯医者の予約", "買い物", "ｶﾀｶﾅ", "予定123abc", "2024/03/05", "10:30", "０１２３",
    "締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切"
    "締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切締切",
};

// A script of about `keys` keys; the same seed always gives the same script.
std::string MonkeyScript(std::uint32_t seed, Mode mode, int keys) {
  std::mt19937 rng(seed);
  auto pick = [&rng](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
  std::vector<std::string> pool = kBrowseKeys;
  std::vector<int> commands = kBrowseCommands;
  if (mode != Mode::kBrowse) {
    pool.insert(pool.end(), kEditKeys.begin(), kEditKeys.end());
    commands.insert(commands.end(), kEditCommands.begin(), kEditCommands.end());
  }
  if (mode == Mode::kAll) commands.insert(commands.end(), {3041, 4530, 3041, 4530, 4530, 4530});
  std::ostringstream out;
  int sent = 0;
  while (sent < keys) {
    const std::size_t roll = pick(100);
    if (roll < 70) {  // a line of keys
      const std::size_t n = 1 + pick(8);
      for (std::size_t k = 0; k < n; ++k) out << (k ? " " : "") << pool[pick(pool.size())];
      out << '\n';
      sent += static_cast<int>(n);
    } else if (roll < 78) {
      out << "text " << kTyped[pick(kTyped.size())] << '\n';
      sent += 4;
    } else if (roll < 86) {
      const int command = commands[pick(commands.size())];
      const bool confirmed = command == 3041 || command == 4530;
      // Out of any dialog or notice first, then confirm and close the notice.
      if (confirmed) out << "RET ESC ESC RET ESC ESC\n";
      out << "cmd " << command << '\n';
      if (confirmed) out << "RET RET\n";
      ++sent;
    } else if (roll < 91) {
      out << "wait " << 50 * (1 + pick(60)) << '\n';
    } else if (roll < 96) {  // a run of one key: far into the past or the future
      const std::string key = std::vector<std::string>{"PGUP", "PGDN", "UP", "DOWN", "C-S-n", "RIGHT"}[pick(6)];
      const std::size_t n = 10 + pick(60);
      for (std::size_t k = 0; k < n; ++k) out << (k ? " " : "") << key;
      out << '\n';
      sent += static_cast<int>(n);
    } else {
      out << (mode == Mode::kBrowse ? "ESC ESC\n" : "ESC ESC RET ESC ESC\n");  // leave a dialog now and then
      sent += 2;
    }
  }
  out << "ESC ESC ESC\nshot end.png\nquit\n";  // the shot tells the script was played to its end
  return out.str();
}

// The continuation file as Velmo writes it: its heading, comments and
// "Name: value" lines, with every cursor value present and in range.
void ExpectWellFormedContinuation(const std::string& file) {
  ASSERT_EQ(file.rfind("#\n# task continuation\n#\n", 0), 0u) << file;
  ASSERT_FALSE(file.empty());
  EXPECT_EQ(file.back(), '\n');
  std::istringstream lines(file);
  std::string line;
  std::vector<std::pair<std::string, std::string>> values;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t colon = line.find(':');
    ASSERT_NE(colon, std::string::npos) << line;
    const std::size_t start = line.find_first_not_of(' ', colon + 1);
    values.emplace_back(line.substr(0, colon), start == std::string::npos ? "" : line.substr(start));
  }
  auto number = [&values](const std::string& key) -> long {
    for (const auto& [k, v] : values)
      if (k == key) {
        if (v.empty() || v.find_first_not_of("0123456789") != std::string::npos) return -1;
        return std::stol(v);
      }
    return -1;
  };
  EXPECT_EQ(number("ContinueVersion"), 4);
  const long view = number("CurrentView");
  EXPECT_TRUE(view >= 2 && view <= 8) << view;
  const long date = number("CurrentDate");
  EXPECT_TRUE(date >= 1 && date <= 65535) << date;
  const long hour = number("CurrentHour");
  EXPECT_TRUE(hour >= 0 && hour <= 23) << hour;
  const long label = number("CurrentLabel");
  EXPECT_TRUE(label >= 0 && label <= 5) << label;
  for (const char* key : {"CurrentViewMonth", "CurrentViewWeeks", "CurrentViewWeek", "CurrentViewDay",
                          "CurrentViewList", "PowerOnToday", "SelectItemByPageUpDown", "UseLargeDialog"})
    EXPECT_GE(number(key), 0) << key;
}

class Monkey : public ::testing::Test {
 protected:
  void SetUp() override {
    original = RecordImage();
    folder.Write("record", original);
    folder.Write("label", kLabels);
  }

  // velmo-headless under a time limit; a hang shows as status 124.
  velmo_test::RunResult Play(const std::string& script) const {
    return folder.Run(script, {.now = "2024-03-05T10:20:30", .environment = "timeout 60"});
  }

  // velmo-cli dump of the record file: exit 0, one line per entry.
  void ExpectRecordLoadsWhole() const {
    const auto dump = folder.Run("", {.program = "velmo-cli", .extra = "dump record > dump.jsonl"});
    EXPECT_EQ(dump.status, 0) << dump.errors;
    EXPECT_FALSE(folder.Exists("record.damaged"));
  }

  void Check(std::uint32_t seed, Mode mode, const std::string& settings, int keys) {
    folder.Write("continue", settings);
    const std::string script = MonkeyScript(seed, mode, keys);
    // A failing script is kept in the build folder, to be replayed by hand.
    const auto kept = velmo_test::BuildDir() / ("monkey-" + std::to_string(seed) + ".txt");
    SCOPED_TRACE("seed " + std::to_string(seed) + ", script " + kept.string());
    const auto run = Play(script);
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_TRUE(folder.Shot("end.png").Valid()) << "the script ended early";
    ExpectRecordLoadsWhole();
    const std::string record = folder.File("record").value_or("<missing>");
    if (mode == Mode::kBrowse) {
      EXPECT_TRUE(record == original) << "browsing changed the record file";
      EXPECT_FALSE(folder.Exists("record.bak"));
    }
    if (folder.Exists("record.bak")) {
      EXPECT_TRUE(folder.File("record.bak") == original) << "backup lost";
    }
    ExpectWellFormedContinuation(folder.File("continue").value_or(""));
    // The files left behind start the program again, unchanged by starting.
    const auto again = Play("F7 F8 F9 F10 RIGHT\nquit\n");
    EXPECT_EQ(again.status, 0) << again.errors;
    EXPECT_TRUE(folder.File("record") == record) << "restarting changed the record file";
    if (HasFailure()) std::ofstream(kept, std::ios::binary) << script;
  }

  HeadlessFolder folder;
  std::string original;
};

const std::string kPlain = "PowerOnToday: 0\nCurrentDate: " + std::to_string(kToday) + "\nCurrentView: 4\n";
const std::string kOptions = kPlain +
                             "WeekStartsFromMonday: 1\nTimeTableStartsNine: 1\nSaturdayIsHoliday: 1\n"
                             "Label1Default: 1\nSelectItemByPageUpDown: 1\nUseLargeDialog: 1\n"
                             "CustomLabel: 1 0 1 0 1\nCurrentLabel: 5\n";

TEST_F(Monkey, BrowsingKeysNeverChangeTheRecordFile) {
  Check(1, Mode::kBrowse, kPlain, 3000);
}

TEST_F(Monkey, BrowsingWithEveryOptionSetNeverChangesTheRecordFile) {
  Check(2, Mode::kBrowse, kOptions + "CurrentView: 8\n", 3000);
}

TEST_F(Monkey, EditingKeysEndNormallyWithALoadableRecordAndTheBackup) {
  Check(3, Mode::kEdit, kPlain, 3000);
}

TEST_F(Monkey, EditingWithEveryOptionSetEndsNormally) {
  Check(4, Mode::kEdit, kOptions + "CurrentView: 6\n", 3000);
}

TEST_F(Monkey, EditingFromTheCalendarEndsNormally) {
  Check(5, Mode::kEdit, kPlain + "CurrentView: 2\n", 3000);
}

TEST_F(Monkey, ConversionAndExportAmongEditsEndNormally) {
  Check(6, Mode::kAll, kPlain, 3000);
  EXPECT_TRUE(folder.Exists("task.csv"));
}

TEST_F(Monkey, AnEmptyStoreTakesEditsToo) {
  original = std::string("\x04\x00\x02\x00", 4);
  folder.Write("record", original);
  Check(7, Mode::kEdit, kPlain, 2000);
}

TEST(MonkeyScript, SameSeedGivesTheSameScript) {
  EXPECT_EQ(MonkeyScript(9, Mode::kAll, 500), MonkeyScript(9, Mode::kAll, 500));
  EXPECT_NE(MonkeyScript(9, Mode::kAll, 500), MonkeyScript(10, Mode::kAll, 500));
}

}  // namespace
