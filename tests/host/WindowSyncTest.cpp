// The window program's sync: with sync.conf beside the record file, velmo
// runs the velmo-cli beside it (else the one on PATH) before it reads the
// record file and after it has saved, each time with the run lock free; a
// velmo-cli that never answers is stopped with all it started, said on
// standard error and, at start, in a notice, and Velmo runs on the local file.
// A stand-in velmo-cli keeps its arguments; velmo is copied beside it. SDL's
// dummy video driver: no display is needed.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "support/Headless.h"

namespace {

using velmo_test::BuildDir;
using velmo_test::Count;
using velmo_test::HeadlessFolder;
using velmo_test::Quote;
using velmo_test::RunOptions;
using velmo_test::RunResult;

constexpr const char* kDummy = "SDL_VIDEODRIVER=dummy timeout 60";
// "同期できませんでした" in UTF-8, as the box echoes its text when a close ends it.
constexpr const char* kNoticeUtf8 = "\xe5\x90\x8c\xe6\x9c\x9f\xe3\x81\xa7\xe3\x81\x8d\xe3\x81\xbe\xe3\x81\x9b"
                                    "\xe3\x82\x93\xe3\x81\xa7\xe3\x81\x97\xe3\x81\x9f";
constexpr const char* kStartFailed = "velmo: the sync before start failed: ";
constexpr const char* kEndFailed = "velmo: the sync after saving failed: ";

// Each run appends its arguments and whether the run lock was free to
// "runs"; then the body's own lines ($1 is --folder, $2 the data folder).
std::string Stub(const std::string& body) {
  return "#!/bin/sh\n"
         "log=\"$(dirname \"$0\")/../runs\"\n"
         "printf '%s|' \"$@\" >>\"$log\"\n"
         "if flock -n \"$2/record.lock\" true; then echo free >>\"$log\"; else echo held >>\"$log\"; fi\n" +
         body;
}

// The data folder (the test's folder) with velmo copied into bin/ and, unless
// stub is empty, a velmo-cli script beside it.
void Install(const HeadlessFolder& folder, const std::string& stub, const std::string& bin = "bin") {
  std::filesystem::create_directories(folder.Path(bin));
  std::filesystem::copy_file(BuildDir() / "velmo", folder.Path(bin + "/velmo"));
  if (stub.empty()) return;
  folder.Write(bin + "/velmo-cli", stub);
  std::filesystem::permissions(folder.Path(bin + "/velmo-cli"), std::filesystem::perms::owner_all);
}

// The copy in bin/ run in the data folder (an absolute program path stands
// for itself, not for one in the build folder).
RunResult Window(const HeadlessFolder& folder, const std::string& extra, const std::string& environment = kDummy,
                 const std::string& bin = "bin") {
  return folder.Run("", RunOptions{.program = folder.Path(bin + "/velmo").string(), .extra = extra,
                                   .environment = environment});
}

// Gone, or a zombie nobody reaps (it was killed all the same).
bool Ended(const std::string& pid) {
  std::ifstream stat("/proc/" + pid + "/stat");
  std::string text;
  std::getline(stat, text);
  const auto close = text.rfind(')');
  return text.empty() || (close != std::string::npos && text.substr(close + 2, 1) == "Z");
}

TEST(WindowSync, SyncsBeforeTheRecordIsReadAndAfterItIsSavedWithTheLockFree) {
  HeadlessFolder folder;
  std::filesystem::create_directories(folder.Path("server"));
  const std::string add = "cd " + Quote(folder.Dir().string()) + " && " + Quote((BuildDir() / "velmo-cli").string()) +
                          " --folder server add task 2020-01-01 FROMSERVER >/dev/null 2>&1";
  ASSERT_EQ(std::system(add.c_str()), 0);
  // First run: the server's record arrives; second: the record as it is then.
  Install(folder, Stub("if [ ! -e \"$2/pulled\" ]; then cp \"$2/server/record\" \"$2/record\"; touch \"$2/pulled\";\n"
                       "else cp \"$2/record\" \"$2/seen\"; fi\necho 'sync: 0 up, 1 down'\n"));
  folder.Write("sync.conf", "url = http://127.0.0.1:1/cal/\n");
  const std::string keys = "F2 l o c a l RET\n";
  folder.Write("keys.txt", keys);
  const RunResult run = Window(folder, "--test-keys keys.txt --shot-at-exit s.png");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  const std::string data = folder.Dir().string();
  EXPECT_EQ(folder.File("runs").value_or(""), "--folder|" + data + "|sync|free\n--folder|" + data + "|sync|free\n");
  // The window saved the server's entry with its own: it read the record after the first run.
  const std::string record = folder.File("record").value_or("");
  EXPECT_NE(record.find("FROMSERVER"), std::string::npos);
  EXPECT_NE(record.find("local"), std::string::npos);
  // The second run saw the saved change.
  EXPECT_EQ(folder.File("seen").value_or("none"), record);

  // And showed it: the headless runner on the server's record with the same keys.
  const std::string server = folder.File("server/record").value_or("");
  EXPECT_TRUE(folder.Shot("s.png").SameButClock(velmo_test::HeadlessShot(keys, server)));
}

TEST(WindowSync, AVelmoCliThatNeverAnswersIsStoppedAndVelmoRunsOnTheLocalFile) {
  HeadlessFolder folder;
  Install(folder, Stub("echo $$ >>\"$2/pids\"\nsleep 600 &\necho $! >>\"$2/pids\"\nwait\n"));
  folder.Write("sync.conf", "");
  folder.Write("keys.txt", "quit\n");  // closes the window while the notice is up
  const RunResult run = Window(folder, "--sync-timeout 300 --test-keys keys.txt");
  ASSERT_EQ(run.status, 0) << run.errors;  // never the time-out's 124
  EXPECT_EQ(Count(run.errors, std::string(kStartFailed) + "no answer within 300 ms: velmo-cli sync was stopped\n"), 1)
      << run.errors;
  EXPECT_EQ(Count(run.errors, std::string(kEndFailed) + "no answer within 300 ms: velmo-cli sync was stopped\n"), 1)
      << run.errors;
  EXPECT_EQ(Count(run.errors, kNoticeUtf8), 1) << run.errors;  // at start only
  EXPECT_EQ(Count(folder.File("runs").value_or(""), "|sync|free\n"), 2);
  // Both runs, and what each started, were killed.
  std::istringstream pids(folder.File("pids").value_or(""));
  int killed = 0;
  for (std::string pid; std::getline(pids, pid); ++killed) EXPECT_TRUE(Ended(pid)) << pid;
  EXPECT_EQ(killed, 4);
  EXPECT_TRUE(folder.Exists("continue"));
}

// Without sync.conf beside the record file, or with --no-sync, nothing is
// run; without a velmo-cli beside it, the one on PATH is; with none at all
// the failure is said and Velmo starts. A bad --sync-timeout is refused.
TEST(WindowSync, WhichVelmoCliRunsAndWhenNone) {
  HeadlessFolder folder;
  Install(folder, Stub("echo 'sync: 0 up'\n"));
  folder.Write("keys.txt", "quit\n");
  EXPECT_EQ(Window(folder, "--test-keys keys.txt").status, 0);
  // A continuation file that keeps the record in a subfolder: sync.conf belongs there.
  std::filesystem::create_directories(folder.Path("sub"));
  folder.Write("sync.conf", "");
  folder.Write("continue", "RecordFile:             sub/rec\n");
  EXPECT_EQ(Window(folder, "--test-keys keys.txt").status, 0);
  std::filesystem::rename(folder.Path("sync.conf"), folder.Path("sub/sync.conf"));
  EXPECT_EQ(Window(folder, "--no-sync --test-keys keys.txt").status, 0);
  EXPECT_FALSE(folder.Exists("runs"));
  EXPECT_EQ(Window(folder, "--test-keys keys.txt").status, 0);
  EXPECT_EQ(Count(folder.File("runs").value_or(""), "|sync|free\n"), 2);

  // velmo alone in bin2, the stand-in on PATH.
  Install(folder, "", "bin2");
  const std::string onPath = std::string(kDummy) + " env PATH=" + Quote(folder.Path("bin").string()) + ":$PATH";
  const RunResult path = Window(folder, "--test-keys keys.txt", onPath, "bin2");
  EXPECT_EQ(path.status, 0) << path.errors;
  EXPECT_EQ(Count(folder.File("runs").value_or(""), "|sync|free\n"), 4);
  EXPECT_EQ(path.errors, "");

  const RunResult none = Window(folder, "--test-keys keys.txt", std::string(kDummy) + " env PATH=/nowhere", "bin2");
  EXPECT_EQ(none.status, 0) << none.errors;
  EXPECT_EQ(Count(none.errors, std::string(kStartFailed) + "cannot run velmo-cli: No such file or directory\n"), 1)
      << none.errors;
  EXPECT_EQ(Count(none.errors, kNoticeUtf8), 1) << none.errors;
  EXPECT_EQ(Count(folder.File("runs").value_or(""), "|sync|free\n"), 4);

  // The help names both options.
  const std::string help = velmo_test::Capture(Quote(folder.Path("bin/velmo").string()) + " --help").out;
  EXPECT_NE(help.find("\n  --no-sync "), std::string::npos) << help;
  EXPECT_NE(help.find("\n  --sync-timeout MS "), std::string::npos) << help;
  const RunResult bad = Window(folder, "--sync-timeout 0");
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.errors.find("--sync-timeout wants 1 to 60000 ms"), std::string::npos) << bad.errors;
}

// The README's systemd units, as systemd reads them (the program they name
// stood in for under a home of the test's own).
TEST(WindowSync, TheReadmeSystemdUnitsAreValid) {
  if (std::system("command -v systemd-analyze >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "systemd-analyze is not installed (setup/packages.txt)";
  std::istringstream readme(
      velmo_test::ReadFile(std::filesystem::path(VELMO_SOURCE_DIR) / "README.md").value_or(""));
  HeadlessFolder home;
  std::string unit;
  std::map<std::string, std::string> units;
  for (std::string line; std::getline(readme, line);) {
    if (line.rfind("    # velmo-sync.", 0) == 0) {
      unit = line.substr(6);
    } else if (!unit.empty() && (line.empty() || line.rfind("    ", 0) == 0)) {
      units[unit] += line.empty() ? "\n" : line.substr(4) + "\n";
    } else {
      unit.clear();
    }
  }
  ASSERT_EQ(units.size(), 2u);
  for (const auto& [name, text] : units) home.Write(name, text);
  std::filesystem::create_directories(home.Path(".local/bin"));
  home.Write(".local/bin/velmo-cli", "#!/bin/sh\n");
  std::filesystem::permissions(home.Path(".local/bin/velmo-cli"), std::filesystem::perms::owner_all);
  const std::string verify = "cd " + Quote(home.Dir().string()) + " && HOME=" + Quote(home.Dir().string()) +
                             " timeout 60 systemd-analyze verify ./velmo-sync.timer ./velmo-sync.service >said 2>&1";
  EXPECT_EQ(std::system(verify.c_str()), 0) << home.File("said").value_or("");
  EXPECT_EQ(home.File("said").value_or("?"), "");
  EXPECT_NE(units["velmo-sync.service"].find("ExecStart=%h/.local/bin/velmo-cli sync\n"), std::string::npos);
}

// The README's crontab line as cron runs it (sh, a bare environment, in the
// home folder): silent when velmo-cli synced or Velmo was running, velmo-cli's
// words otherwise, which cron mails.
TEST(WindowSync, TheReadmeCronLineTellsOnlyWhatNeedsTheUser) {
  const std::string readme = velmo_test::ReadFile(std::filesystem::path(VELMO_SOURCE_DIR) / "README.md").value_or("");
  const std::string mark = "    */15 * * * * ";
  const auto at = readme.find(mark);
  ASSERT_NE(at, std::string::npos) << "no sync line in the README";
  const std::string line = readme.substr(at + mark.size(), readme.find('\n', at) - at - mark.size());
  HeadlessFolder home;
  std::filesystem::create_directories(home.Path(".local/bin"));
  home.Write(".local/bin/velmo-cli", "#!/bin/sh\ns=$(cat \"$HOME/status\")\necho \"$*: status $s\" >&2\nexit $s\n");
  std::filesystem::permissions(home.Path(".local/bin/velmo-cli"), std::filesystem::perms::owner_all);
  for (const char* status : {"0", "1", "4", "5"}) {
    home.Write("status", status);
    const std::string cron = "cd " + Quote(home.Dir().string()) + " && env -i HOME=" + Quote(home.Dir().string()) +
                             " PATH=/usr/bin:/bin /bin/sh -c " + Quote(line) + " >" + Quote(home.Path("mail").string());
    EXPECT_EQ(std::system(cron.c_str()), 0) << status;
    const bool told = std::string(status) == "1" || std::string(status) == "5";
    EXPECT_EQ(home.File("mail").value_or("?"), told ? "sync: status " + std::string(status) + "\n" : "") << status;
  }
}

}  // namespace
