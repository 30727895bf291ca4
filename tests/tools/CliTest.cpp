// velmo-cli as a shell user meets it: the one data folder of all three
// programs, each command's help, faults that name themselves with distinct
// statuses, output that cannot be written, and the README's crontab recipe
// run under an empty environment as cron runs it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <utility>

#include "files/RecordBytes.h"
#include "files/SaveFolder.h"
#include "support/Shell.h"

namespace {

namespace fs = std::filesystem;
using savefolder::Read;
using savefolder::Write;

using CliRun = velmo_test::ShellRun;

// A command line run by sh in the current folder with HOME at home/ and no
// XDG_DATA_HOME or VELMO_DIR, so that the folder rule decides.
CliRun Shell(const std::string& line) {
  const std::string home = (fs::current_path() / "home").string();
  return velmo_test::Shell("HOME='" + home + "'; export HOME; unset XDG_DATA_HOME VELMO_DIR; " + line);
}

std::string Program(const char* name) { return std::string("'") + VELMO_BINARY_DIR + "/" + name + "'"; }
std::string Cli(const std::string& args) { return Program("velmo-cli") + " " + args; }

std::string Here() { return fs::current_path().string(); }

std::string RecordOf(const std::string& text, std::uint16_t day) {
  recordbytes::Rec task;
  task.startDay = day;
  task.text = text;
  const auto bytes = recordbytes::File({task});
  return std::string(bytes.begin(), bytes.end());
}

constexpr std::uint16_t kDay = 46363;  // 2026-12-08

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories("home/work"); }
  savefolder::Folder folder;
};

TEST_F(CliTest, AllThreeProgramsFollowOneFolderRule) {
  const std::string data = Here() + "/home/.local/share/velmo";
  const std::string where[] = {Cli("where"), Program("velmo") + " --where", Program("velmo-headless") + " --where"};
  for (const std::string& w : where) {
    // An empty working folder: the per-user data folder, not made by asking.
    EXPECT_EQ(Shell("cd home/work && " + w).out, data + "\n") << w;
    EXPECT_EQ(Shell("cd home/work && XDG_DATA_HOME=" + Here() + "/xdg " + w).out, Here() + "/xdg/velmo\n") << w;
    // A relative XDG_DATA_HOME is no base folder.
    EXPECT_EQ(Shell("cd home/work && XDG_DATA_HOME=xdg " + w).out, data + "\n") << w;
    EXPECT_EQ(Shell("cd home/work && VELMO_DIR=.. " + w).out, Here() + "/home/work/..\n") << w;
  }
  EXPECT_FALSE(fs::exists("home/.local"));
  EXPECT_EQ(Shell("cd home/work && VELMO_DIR=/tmp " + Program("velmo") + " --folder . --where").out,
            Here() + "/home/work\n");
  EXPECT_EQ(Shell("cd home/work && VELMO_DIR=/tmp " + Cli("--folder . where")).out, Here() + "/home/work\n");
  // A stray continuation file is no record file; the record it names is.
  Write("home/work/continue", "RecordFile: mine\n");
  EXPECT_EQ(Shell("cd home/work && " + Cli("where")).out, data + "\n");
  Write("home/work/mine", "");
  EXPECT_EQ(Shell("cd home/work && " + Cli("where")).out, Here() + "/home/work\n");
  fs::remove("home/work/continue");
  fs::remove("home/work/mine");

  // From the home folder: reading finds no record and says so; add makes it
  // in the data folder, where the window and every command find it.
  CliRun run = Shell("cd home && " + Cli("agenda"));
  EXPECT_EQ(run.status, 5);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "velmo-cli agenda: no record file in " + data + " (record)\n");
  EXPECT_EQ(Shell("cd home && " + Cli("search x")).status, 5);
  EXPECT_EQ(Shell("cd home && " + Cli("upcoming")).status, 5);
  EXPECT_EQ(Shell("cd home && " + Cli("dump")).status, 5);
  run = Shell("cd home && " + Cli("add task 2026-12-08 milk"));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "added task 2026-12-08 milk\n");
  EXPECT_FALSE(fs::exists("home/record"));
  EXPECT_TRUE(fs::exists(data + "/record"));
  EXPECT_EQ(Shell("cd home/work && " + Cli("search milk")).status, 0);
  Write("home/work/script", "quit\n");
  run = Shell("cd home/work && " + Program("velmo-headless") + " --now 2026-12-08T09:00 --script script");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(data + "/continue"));
  EXPECT_FALSE(fs::exists("home/work/continue"));
  EXPECT_FALSE(fs::exists("home/work/record.lock"));
  // A folder named that is not there is refused, not made.
  run = Shell("cd home && " + Cli("--folder nowhere agenda"));
  EXPECT_EQ(run.status, 7);
  EXPECT_NE(run.err.find("cannot work in nowhere"), std::string::npos) << run.err;
  EXPECT_EQ(Shell("cd home && " + Program("velmo-headless") + " --folder nowhere --script work/script").status, 1);
}

TEST_F(CliTest, EveryCommandAnswersHelpAndEveryFaultNamesItself) {
  for (const char* command : {"agenda", "search", "upcoming", "add", "export-ics", "import-ics", "dump", "where"}) {
    const CliRun run = Shell(Cli(std::string(command) + " --help"));
    EXPECT_EQ(run.status, 0) << command;
    const std::string global = std::string(command) == "where" ? "[--folder DIR] " : "";
    EXPECT_EQ(run.out.rfind("usage: velmo-cli " + global + command, 0), 0u) << run.out;
    EXPECT_EQ(run.err, "") << command;
    // Help that cannot be written is a failure too.
    EXPECT_EQ(Shell(Cli(std::string(command) + " --help >/dev/full")).status, 6) << command;
  }
  const CliRun help = Shell(Cli("--help"));
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--json prints JSON Lines"), std::string::npos);
  EXPECT_NE(help.out.find("5 no record file"), std::string::npos);

  Write("record", RecordOf("Milk \x82\x6c\x82\x68\x82\x6b\x82\x6a \x83\x41", kDay));  // ＭＩＬＫ ア
  const std::pair<std::string, std::string> faults[] = {
      {"frob", "velmo-cli: unknown command frob\n"},
      {"--frob agenda", "velmo-cli: unknown option --frob (see --help)\n"},
      {"search --frob x", "velmo-cli search: unknown option --frob (see --help)\n"},
      {"search", "velmo-cli search: no TEXT to search for\n"},
      {"upcoming --within 0", "velmo-cli upcoming: --within wants a whole number of minutes from 1 to 1440\n"},
      {"dump a b", "velmo-cli dump: one FILE only\n"},
      {"add task 2026-02-29 x", "velmo-cli add: 2026-02-29: 2026-02 has 28 days\n"},
      {"add task 1969-12-31 x", "velmo-cli add: 1969-12-31: Velmo's dialogs take the years 1970 to 2050, so "
                                "the entry could not be changed there\n"},
      {"add schedule 2050-12-31..2051-01-01 x", "velmo-cli add: 2051-01-01: Velmo's dialogs take the years"},
      {"add task 2026-12-08 --frob x", "velmo-cli add: unknown option --frob (see --help)\n"},
  };
  for (const auto& [args, why] : faults) {
    const CliRun run = Shell("VELMO_DIR=. " + Cli(args));
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(run.err.substr(0, why.size()), why) << args;
  }
  EXPECT_EQ(Read("record"), RecordOf("Milk \x82\x6c\x82\x68\x82\x6b\x82\x6a \x83\x41", kDay));

  // -i: ASCII and full-width Latin letters alike, never a trail byte.
  EXPECT_EQ(Shell(Cli("search milk")).status, 1);
  EXPECT_EQ(Shell(Cli("search -i mILK")).out, "2026-12-08 task [\xe5\x85\xb1\xe9\x80\x9a] Milk \xef\xbc\xad\xef\xbc\xa9"
                                               "\xef\xbc\xac\xef\xbc\xab \xe3\x82\xa2\n");
  EXPECT_EQ(Shell(Cli("search -i \xef\xbd\x8d\xef\xbd\x89\xef\xbd\x8c\xef\xbd\x8b")).status, 0);  // ｍｉｌｋ
  EXPECT_EQ(Shell(Cli("search \xef\xbd\x8d\xef\xbd\x89\xef\xbd\x8c\xef\xbd\x8b")).status, 1);
  EXPECT_EQ(Shell(Cli("search -i A")).status, 1);  // ア is 83 41: its trail byte is no "A"
  // Output that cannot be written is no success.
  const CliRun full = Shell(Cli("search -i milk >/dev/full"));
  EXPECT_EQ(full.status, 6);
  EXPECT_EQ(full.err, "velmo-cli: standard output: No space left on device\n");
  EXPECT_EQ(Shell(Cli("agenda --from 2026-12-01 --days 400 >/dev/full")).status, 6);
  EXPECT_EQ(Shell(Cli("dump >/dev/full")).status, 6);

  // add tells only what was written: a record file kept as is takes nothing.
  chmod("record", 0444);
  const CliRun kept = Shell(Cli("add task 2026-12-09 bread"));
  EXPECT_EQ(kept.status, 6);
  EXPECT_EQ(kept.out, "");
  EXPECT_NE(kept.err.find("could not be saved; it is unchanged"), std::string::npos) << kept.err;
  chmod("record", 0644);
  Write("record", "\x04");
  EXPECT_EQ(Shell(Cli("search x")).status, 3);
  EXPECT_EQ(Shell(Cli("add task 2026-12-09 bread")).status, 3);
}

TEST_F(CliTest, UpcomingCoversTheNextMinutesThroughTheLast) {
  recordbytes::Rec at9;
  at9.kind = 6;
  at9.startDay = at9.endDay = kDay;
  at9.part[0] = 9;
  at9.part[2] = 10;
  at9.text = "standup";
  const auto bytes = recordbytes::File({at9});
  Write("record", std::string(bytes.begin(), bytes.end()));
  const std::pair<const char*, const char*> cases[] = {
      {"--now 2026-12-08T08:55 --within 5", "09:00-10:00 standup\n"},  // minute 5 of 5
      {"--now 2026-12-08T08:54 --within 5", ""},
      {"--now 2026-12-08T08:59 --within 1", "09:00-10:00 standup\n"},
      {"--now 2026-12-08T09:00 --within 5", ""},  // told the run before
      {"--now 2026-12-08T08:45", "09:00-10:00 standup\n"},
  };
  for (const auto& [args, out] : cases) {
    const CliRun run = Shell(Cli(std::string("upcoming ") + args));
    EXPECT_EQ(run.status, 0) << args << run.err;
    EXPECT_EQ(run.out, out) << args;
  }
}

}  // namespace
