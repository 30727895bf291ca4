// velmo-cli sync end to end against radicale and xandikos (each started once
// for the suite), python3-caldav as the phone, velmo-headless where the user
// changes an entry in the window: every kind and repeat rule up and back,
// compared day by day; the phone's changes in the agenda; both sides changing
// one item; change against delete; a kill before the state is saved; the
// deletion guard; a first sync that needs --init; the run lock; a server
// that is down or answers badly; --dry-run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>

#include "CalDavHarness.h"
#include "files/Record.h"
#include "files/RecordLock.h"
#include "store/Store.h"
#include "support/Entries.h"
#include "support/Shell.h"

namespace {

namespace fs = std::filesystem;
using caldavharness::Peer;
using caldavharness::Server;
using velmo_test::ShellRun;

std::string Bin(const char* name) { return std::string("'") + VELMO_BINARY_DIR + "/" + name + "'"; }

std::string Read(const std::string& path) { return fs::exists(path) ? savefolder::Read(path) : "(none)"; }

// A run that ended with status 0 and printed just `out`.
::testing::AssertionResult Printed(const ShellRun& r, const std::string& out) {
  if (r.status != 0) return ::testing::AssertionFailure() << "status " << r.status << ": " << r.err;
  if (r.out != out) return ::testing::AssertionFailure() << "printed\n" << r.out << "not\n" << out;
  return ::testing::AssertionSuccess();
}

// The data folders a/ and b/ in the test's folder, and the files of one.
struct Files {
  std::string record, sync, conf;
  bool operator==(const Files&) const = default;
};
Files FilesOf(const std::string& dir) {
  return {Read(dir + "/record"), Read(dir + "/record.sync"), Read(dir + "/sync.conf")};
}

class SyncCommandTest : public ::testing::TestWithParam<Server::Kind> {
 public:
  static void TearDownTestSuite() { servers_.clear(); }

 protected:
  void SetUp() override {
    std::unique_ptr<Server>& s = servers_[GetParam()];
    if (!s) s = std::make_unique<Server>(GetParam());
    server_ = s.get();
    if (server_->Missing()) GTEST_SKIP() << server_->Error();
    ASSERT_EQ(server_->Error(), "");
    // A calendar of this test's own.
    HttpClient http(HttpOptions{server_->User(), server_->Password()});
    calendar_ = server_->Principal() + (GetParam() == Server::XANDIKOS ? "calendars/" : "") + "t" +
                std::to_string(++serial_) + "/";
    ASSERT_NO_FATAL_FAILURE(caldavharness::NewCalendar(http, *server_, calendar_));
    fs::create_directories("a");
    fs::create_directories("b");
  }

  // velmo-cli in data folder dir, signed in as the server wants.
  ShellRun Cli(const std::string& dir, const std::string& args, const std::string& env = "") {
    return velmo_test::Shell("HOME=\"$PWD\" NETRC=/nonexistent VELMO_SYNC_PASSWORD='" +
                             std::string(server_->Password()) + "' " + env + " " + Bin("velmo-cli") + " --folder " +
                             dir + " " + args);
  }
  ShellRun Sync(const std::string& dir, const std::string& args = "", const std::string& env = "") {
    return Cli(dir, "sync " + args, env);
  }
  // The first sync of a: the URL and user given, remembered.
  ShellRun First(const std::string& dir, const std::string& more = "") {
    std::string args = "--url '" + calendar_ + "'";
    if (*server_->User() != '\0') args += " --user " + std::string(server_->User());
    return Sync(dir, args + " " + more);
  }
  std::string Phone(const std::string& args) {
    int status = 0;
    const std::string out =
        Peer("'" + calendar_ + "' '" + server_->User() + "' '" + server_->Password() + "' " + args, status);
    EXPECT_EQ(status, 0) << out;
    return out;
  }
  std::string Agenda(const std::string& dir, const std::string& from, int days) {
    return Cli(dir, "agenda --from " + from + " --days " + std::to_string(days)).out;
  }
  // The window program in dir, at day (as "CurrentDate"), keys from script.
  void Window(const std::string& dir, int day, const std::string& script) {
    savefolder::Write(dir + "/continue", "CurrentDate: " + std::to_string(day) + "\nCurrentView: 4\n");
    savefolder::Write("script", script);
    const ShellRun run = velmo_test::Shell("cd " + dir + " && VELMO_DIR=. XDG_STATE_HOME=\"$PWD/../state\" " +
                                           Bin("velmo-headless") + " --now 2026-12-01T09:00 --script ../script");
    ASSERT_EQ(run.status, 0) << run.err;
  }

  // The UID export-ics gives the entry whose text is text.
  std::string UidOf(const std::string& dir, const std::string& text) {
    const std::string ics = Cli(dir, "export-ics").out;
    const std::size_t summary = ics.find("SUMMARY:" + text + "\r\n");
    const std::size_t uid = ics.rfind("\nUID:", summary) + 5;
    EXPECT_NE(summary, std::string::npos) << text;
    return ics.substr(uid, ics.find('\r', uid) - uid);
  }

  savefolder::Folder folder_;
  Server* server_ = nullptr;
  std::string calendar_;
  static inline std::map<Server::Kind, std::unique_ptr<Server>> servers_;
  static inline int serial_ = 0;
};

constexpr int kDec9 = 46364;  // 2026-12-09

// The events of an agenda, "YYYY-MM-DD TEXT" a line, sorted, as the phone lists them.
std::string EventDays(const std::string& agenda) {
  std::vector<std::string> lines;
  std::string day;
  std::size_t at = 0;
  while (at < agenda.size()) {
    const std::size_t end = agenda.find('\n', at);
    const std::string line = agenda.substr(at, end - at);
    at = end == std::string::npos ? agenda.size() : end + 1;
    if (line.size() >= 10 && line[0] != ' ') {
      day = line.substr(0, 10);
    } else if (line.find("schedule") != std::string::npos || line.find("holiday") != std::string::npos) {
      lines.push_back(day + " " + line.substr(line.rfind("] ") + 2));
    }
  }
  std::sort(lines.begin(), lines.end());
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

// An agenda with each day's items sorted: the order within a day is the table's.
std::string ByDay(const std::string& agenda) {
  std::string out, day;
  std::vector<std::string> items;
  const auto flush = [&] {
    std::sort(items.begin(), items.end());
    out += day;
    for (const std::string& i : items) out += i;
    items.clear();
  };
  std::size_t at = 0;
  while (at < agenda.size()) {
    const std::size_t end = agenda.find('\n', at);
    const std::string line = agenda.substr(at, end == std::string::npos ? std::string::npos : end + 1 - at);
    at = end == std::string::npos ? agenda.size() : end + 1;
    if (line[0] == ' ') {
      items.push_back(line);
    } else {
      flush();
      day = line;
    }
  }
  flush();
  return out;
}

TEST_P(SyncCommandTest, EveryKindAndRuleGoesUpAndComesBackDayByDay) {
  const char* adds[] = {
      "schedule 2026-12-08 --time 10:00-11:30 会議",
      "schedule 2026-12-10..2026-12-12 合宿",
      "schedule 2026-12-14..2026-12-16 --time 09:00-17:00 研修",
      "holiday 2026-12-29..2027-01-03 年末年始",
      "task 2026-12-09 --rank 2 --label 1 買い物",
      "schedule 2026-12-01..2027-02-28 --repeat daily/3 水やり",
      "schedule 2026-12-01..2027-02-28 --repeat weekly:mon,thu --time 19:00-20:00 練習",
      "schedule 2026-12-02..2027-02-28 --repeat weekly:wed/2 ゴミ",
      "schedule 2026-12-05..2027-06-30 --repeat monthly 家賃",
      "schedule 2026-12-01..2027-06-30 --repeat monthly:2fri,lastfri 定例",
      "holiday 2026-12-23 --repeat yearly 記念日",
      "schedule 2026-12-01 --repeat yearly:2mon 成人",
      "schedule 2026-12-07..2027-03-31 --repeat monthly/2 --time 08:00-08:30 点検",
  };
  for (const char* add : adds) ASSERT_EQ(Cli("a", std::string("add ") + add).status, 0) << add;
  ASSERT_EQ(chmod("a/record", 0600), 0);  // a private record: the sync's files stay private too
  ShellRun r = First("a");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "sync: 13 up, 0 down, 0 deleted here, 0 deleted there, 0 conflicts\n");
  // The phone sees each day as Velmo shows it.
  const std::string agendaA = Agenda("a", "2026-12-01", 120);
  EXPECT_EQ(Phone("days 2026-12-01 2027-03-30"), EventDays(agendaA));
  EXPECT_EQ(Phone("todos"), "2026-12-09 2 NEEDS-ACTION 買い物\n");
  const auto mode = [](const char* path) {
    struct stat st{};
    return stat(path, &st) == 0 ? st.st_mode & 0777 : 0u;
  };
  EXPECT_EQ(mode("a/record"), 0600u);
  EXPECT_EQ(mode("a/record.sync"), 0600u);
  EXPECT_EQ(mode("a/sync.conf"), 0600u);

  // A second device: the calendar holds items, so it needs --init; then it holds the same days.
  r = Sync("b", "--url '" + calendar_ + "'" + (*server_->User() ? " --user alice" : ""));
  EXPECT_EQ(r.status, 6) << r.err;
  EXPECT_NE(r.err.find("--init"), std::string::npos) << r.err;
  EXPECT_EQ(FilesOf("b"), (Files{"(none)", "(none)", "(none)"}));
  ASSERT_TRUE(Printed(r = First("b", "--init merge"),
                      "sync: 0 up, 13 down, 0 deleted here, 0 deleted there, 0 conflicts\n"));
  for (const char* from : {"2026-12-01", "2027-03-01", "2027-06-01"}) {
    EXPECT_EQ(ByDay(Agenda("b", from, 92)), ByDay(Agenda("a", from, 92))) << from;
  }
  // What came back is what went: neither side has anything to send.
  for (const char* dir : {"a", "b"}) {
    r = Sync(dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "sync: 0 up, 0 down, 0 deleted here, 0 deleted there, 0 conflicts\n") << dir;
  }
  // --init merge again on a copy with the same data adds no duplicate.
  fs::remove("b/record.sync");
  ASSERT_TRUE(Printed(r = Sync("b", "--init merge"),
                      "sync: 0 up, 0 down, 0 deleted here, 0 deleted there, 0 conflicts\n"));
  EXPECT_EQ(Phone("todos"), "2026-12-09 2 NEEDS-ACTION 買い物\n");
  // An item that differs on the two sides at a first sync: the side named wins, with no copy.
  Window("b", kDec9, "n\nSPC\nq\n");  // the task done here only
  fs::remove("b/record.sync");
  ASSERT_TRUE(Printed(r = Sync("b", "--init keep-remote"),
                      "sync: 0 up, 1 down, 0 deleted here, 0 deleted there, 0 conflicts\n"));
  EXPECT_EQ(ByDay(Agenda("b", "2026-12-01", 31)), ByDay(Agenda("a", "2026-12-01", 31)));
  Window("b", kDec9, "n\nSPC\nq\n");
  fs::remove("b/record.sync");
  ASSERT_TRUE(Printed(r = Sync("b", "--init keep-local"),
                      "sync: 1 up, 0 down, 0 deleted here, 0 deleted there, 0 conflicts\n"));
  EXPECT_EQ(Phone("todos"), "2026-12-09 2 COMPLETED 買い物\n");
}

TEST_P(SyncCommandTest, ThePhonesChangesReachTheAgendaAndNothingIsLost) {
  ASSERT_EQ(Cli("a", "add task 2026-12-09 買い物").status, 0);
  ASSERT_EQ(Cli("a", "add schedule 2026-12-20 --time 10:00-11:00 歯医者").status, 0);
  ASSERT_EQ(First("a").status, 0);

  // The phone adds, changes and deletes.
  Phone("put p1@phone 電話の予定");
  Phone("put p2@phone 消える予定");
  ShellRun r = Sync("a");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "sync: 0 up, 2 down, 0 deleted here, 0 deleted there, 0 conflicts\n");
  Phone("put p1@phone 変えた予定");
  Phone("delete p2@phone");
  const std::string before = savefolder::Read("a/record");
  r = Sync("a");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "deleted here: 2026-12-08 消える予定\n"
                   "sync: 0 up, 1 down, 1 deleted here, 0 deleted there, 0 conflicts\n");
  EXPECT_EQ(Agenda("a", "2026-12-08", 1), "2026-12-08 (火)\n  schedule [共通] 変えた予定\n");
  EXPECT_EQ(savefolder::Read("a/record.bak"), before);  // the normal save: one backup per run

  // The task marked done in the window goes up.
  Window("a", kDec9, "n\nSPC\nq\n");
  ASSERT_TRUE(Printed(r = Sync("a"), "sync: 1 up, 0 down, 0 deleted here, 0 deleted there, 0 conflicts\n"));
  EXPECT_NE(Phone("todos").find("COMPLETED 買い物"), std::string::npos);

  // Both sides change one item: the phone's keeps it, Velmo's is kept beside it.
  Window("a", kDec9, "n\nSPC\nq\n");  // open again here
  const std::string todoUid = UidOf("a", "買い物");
  Phone("put " + todoUid + " 電話で変えた");
  r = Sync("a");
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.out, "sync: 0 up, 0 down, 0 deleted here, 0 deleted there, 1 conflicts\n");
  EXPECT_NE(r.err.find("conflict: " + todoUid + " changed on both sides"), std::string::npos) << r.err;
  const std::string both = Agenda("a", "2026-12-08", 2);
  EXPECT_NE(both.find("電話で変えた"), std::string::npos) << both;
  EXPECT_NE(both.find("task     rank 3 open [共通] 買い物"), std::string::npos) << both;
  EXPECT_NE(Phone("todos").find("NEEDS-ACTION 買い物"), std::string::npos);

  // Changed here, deleted there: the change wins and goes up again.
  const std::string copyUid = UidOf("a", "買い物");
  Window("a", kDec9, "n\nn\nSPC\nq\n");
  Phone("delete " + copyUid);
  ASSERT_TRUE(Printed(r = Sync("a"), "sync: 1 up, 0 down, 0 deleted here, 0 deleted there, 0 conflicts\n"));
  EXPECT_NE(Phone("todos").find("COMPLETED 買い物"), std::string::npos);

  // What Velmo cannot hold at all (a day before 1970) is left alone on both
  // sides and blocks nothing; an alarm is not kept here, and survives there
  // when the item is changed here.
  Phone("put birthday@phone 誕生日 19650505 RRULE:FREQ=YEARLY");
  Phone("todo alarm@phone 鳴るタスク 20261202 "
        "'BEGIN:VALARM\\nACTION:DISPLAY\\nDESCRIPTION:x\\nTRIGGER:-PT15M\\nEND:VALARM'");
  ASSERT_TRUE(Printed(r = Sync("a"), "sync: 0 up, 1 down, 0 deleted here, 0 deleted there, 0 conflicts\n"));
  EXPECT_NE(r.err.find("outside 1970-2050"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("left as it is"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("UID alarm@phone: not kept: VALARM"), std::string::npos) << r.err;
  Window("a", 46358, "n\nSPC\nq\n");  // 2026-12-02: that task alone
  ASSERT_TRUE(Printed(r = Sync("a"), "sync: 1 up, 0 down, 0 deleted here, 0 deleted there, 0 conflicts\n"));
  const std::string alarmed = Phone("raw alarm@phone");
  EXPECT_NE(alarmed.find("TRIGGER:-PT15M"), std::string::npos) << alarmed;
  EXPECT_NE(alarmed.find("STATUS:COMPLETED"), std::string::npos) << alarmed;
  EXPECT_NE(Phone("list").find("birthday@phone 誕生日"), std::string::npos);

  // A 412 race: the phone changes both of two tasks while Velmo writes its
  // own changes of them; the one written after is refused, never written
  // over, and the next run keeps both versions of it.
  ASSERT_EQ(Cli("a", "add task 2026-11-30 一").status, 0);
  ASSERT_EQ(Cli("a", "add task 2026-11-30 二").status, 0);
  ASSERT_EQ(Sync("a").status, 0);
  Window("a", 46355, "n\nSPC\nq\n");  // each run marks the first open one done
  Window("a", 46355, "n\nSPC\nq\n");
  std::string race;
  for (const char* text : {"一", "二"}) {
    race += std::string(race.empty() ? "" : " && ") + caldavharness::kPython + " '" + VELMO_SOURCE_DIR +
            "/tests/tools/caldav_peer.py' '" + calendar_ + "' '" + server_->User() + "' '" + server_->Password() +
            "' todo " + UidOf("a", text) + " " + text + "電話 20261130";
  }
  r = Sync("a", "", "VELMO_SYNC_TEST_AFTER_FIRST_WRITE=\"" + race + "\"");
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.out, "sync: 2 up, 0 down, 0 deleted here, 0 deleted there, 0 conflicts\n");
  EXPECT_NE(r.err.find("1 item(s) changed on the server meanwhile"), std::string::npos) << r.err;
  r = Sync("a");
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.out, "sync: 0 up, 1 down, 0 deleted here, 0 deleted there, 1 conflicts\n");
  const std::string todos = Phone("todos");
  EXPECT_NE(todos.find("  一電話\n"), std::string::npos) << todos;
  EXPECT_NE(todos.find("  二電話\n"), std::string::npos) << todos;
  EXPECT_NE(todos.find("COMPLETED 一") == std::string::npos, todos.find("COMPLETED 二") == std::string::npos) << todos;
  EXPECT_EQ(Sync("a").out, "sync: 0 up, 0 down, 0 deleted here, 0 deleted there, 0 conflicts\n");

  // A sync token the server no longer knows: the run lists the calendar instead.
  std::string state = savefolder::Read("a/record.sync");
  const std::size_t token = state.find("\ntoken\t");
  ASSERT_NE(token, std::string::npos) << state;
  state.insert(state.find('\n', token + 1), "-stale");
  savefolder::Write("a/record.sync", state);
  Phone("put p3@phone 古い印のあと");
  ASSERT_TRUE(Printed(r = Sync("a"), "sync: 0 up, 1 down, 0 deleted here, 0 deleted there, 0 conflicts\n"));

  // Killed after the upload, before the state is saved: the next run adds no second one.
  ASSERT_EQ(Cli("a", "add schedule 2026-12-21 二度目はない").status, 0);
  r = Sync("a", "", "VELMO_SYNC_TEST_KILL_AT_SAVE=1");
  EXPECT_NE(r.status, 0);
  ASSERT_TRUE(Printed(r = Sync("a"), "sync: 0 up, 0 down, 0 deleted here, 0 deleted there, 0 conflicts\n"));
  const std::string days = Phone("days 2026-12-21 2026-12-21");
  EXPECT_EQ(days, "2026-12-21 二度目はない\n");
}

TEST_P(SyncCommandTest, RefusalsChangeNothing) {
  for (int i = 1; i <= 6; ++i) {
    ASSERT_EQ(Cli("a", "add schedule 2026-12-0" + std::to_string(i) + " 予定" + std::to_string(i)).status, 0);
  }
  ASSERT_EQ(First("a").status, 0);
  const Files before = FilesOf("a");

  // Usage.
  EXPECT_EQ(Sync("a", "--init maybe").status, 2);
  EXPECT_EQ(Sync("a", "extra").status, 2);
  EXPECT_EQ(Sync("b").status, 2);  // no URL anywhere
  // The phone deletes most: the guard stops and lists what would go.
  for (int i = 1; i <= 4; ++i) {
    const std::string list = Phone("list");
    const std::size_t at = list.find(" 予定" + std::to_string(i));
    Phone("delete " + list.substr(list.rfind('\n', at) + 1, at - list.rfind('\n', at) - 1));
  }
  ShellRun r = Sync("a");
  EXPECT_EQ(r.status, 6) << r.err;
  EXPECT_NE(r.out.find("plan: delete here 2026-12-01 予定1\n"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("--force-delete"), std::string::npos) << r.err;
  EXPECT_EQ(FilesOf("a"), before);
  // --dry-run tells the same plan and writes nothing, sync.conf included.
  r = Sync("a", "--dry-run --force-delete --url '" + calendar_ + "x/'");
  EXPECT_EQ(FilesOf("a"), before);
  r = Sync("a", "--dry-run --force-delete");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(r.out.rfind("sync:")), "sync: 0 up, 0 down, 4 deleted here, 0 deleted there, 0 conflicts\n");
  EXPECT_EQ(FilesOf("a"), before);

  // Velmo runs on the record file: 4.
  const std::string record = fs::absolute("a/record").string();
  ASSERT_EQ(RecordLock_Acquire(record.c_str()), RECORD_LOCK_HELD);
  r = Sync("a", "--force-delete");
  RecordLock_Release();
  EXPECT_EQ(r.status, 4) << r.err;
  EXPECT_EQ(FilesOf("a"), before);

  // A server that is down, or answers what CalDAV does not promise: 5, nothing changed.
  Server stub(Server::STUB);
  const std::string down = "http://127.0.0.1:" + std::to_string(caldavharness::FreePort()) + "/";
  const std::string urls[] = {down, stub.Root() + "/truncated/", stub.Root() + "/html/", stub.Root() + "/huge/",
                              stub.Root() + "/status500/", stub.Root() + "/badics/"};
  for (const std::string& url : urls) {
    r = Sync("a", "--force-delete --url '" + url + "'");
    EXPECT_EQ(r.status, 5) << url << r.err;
    EXPECT_NE(r.err.find("nothing changed here"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;  // one line saying why
    EXPECT_EQ(FilesOf("a"), before) << url;
  }

  r = Sync("a", "--force-delete");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(r.out.rfind("sync:")), "sync: 0 up, 0 down, 4 deleted here, 0 deleted there, 0 conflicts\n");
  EXPECT_EQ(Agenda("a", "2026-12-04", 3),
            "2026-12-04 (金)\n2026-12-05 (土)\n  schedule [共通] 予定5\n2026-12-06 (日) holiday\n  schedule [共通] 予定6\n");
}

// Velmo's side of the random run: the record file changed as the window
// changes it (an entry added, its text changed, its done mark, deleted),
// each text used once. Text -> done mark of every entry.
using Texts = std::map<std::string, bool>;

constexpr DayNo kDec8 = 46363;

Texts ChangeRecord(const std::string& path, std::mt19937& random, int& serial, int changes) {
  Store_Init();
  Store_SetDropDeleted(true);
  Record_SetPath(path.c_str());
  Record_Load();
  std::vector<Entry*> live;
  std::uint16_t pos = Store_First();
  while (Entry* e = Store_Next(pos)) {
    if (e->kind != KIND_DELETED) live.push_back(e);
  }
  const auto newText = [&](Entry& e) {
    velmo_test::SetText(e, "t" + std::to_string(++serial));
  };
  for (int n = 0; n < changes; ++n) {
    const int what = std::uniform_int_distribution<int>(0, 4)(random);
    Entry* e = live.empty() ? nullptr : live[std::uniform_int_distribution<std::size_t>(0, live.size() - 1)(random)];
    if (what == 0 || e == nullptr) {
      const EntryKind kind = serial % 2 == 0 ? KIND_TASK : KIND_SCHEDULE;
      Entry* added = velmo_test::NewEntry(kind, kDec8, kind == KIND_TASK ? DAY_OPEN_END : kDec8);
      added->rank = added->kind == KIND_TASK ? 3 : 0;
      newText(*added);
      EXPECT_TRUE(Store_Register(added));
      live.push_back(added);
    } else if (what == 1 && e->kind == KIND_TASK) {
      e->done = e->doneLen != 0 ? nullptr : Store_AllocWords(1);
      e->doneLen = e->done != nullptr ? 2 : 0;
      if (e->done != nullptr) e->done[0] = kDec8;
    } else if (what == 4) {
      Store_Delete(e);
      live.erase(std::find(live.begin(), live.end(), e));
    } else {
      newText(*e);
    }
  }
  Store_Invalidate();
  EXPECT_TRUE(Record_Save());
  Texts out;
  for (const Entry* e : live) out[std::string(e->text, e->textLen)] = e->doneLen != 0;
  Store_Shutdown();
  Record_SetPath("record");
  return out;
}

Texts TextsOf(const std::map<std::string, caldavharness::PhoneItem>& items) {
  Texts out;
  for (const auto& [uid, item] : items) {
    EXPECT_EQ(out.count(item.text), 0u) << "twice on the server: " << item.text;
    out[item.text] = item.done;
  }
  return out;
}

// 200 rounds of random adds, changes, done marks and deletes on both sides,
// velmo-cli sync after some: after each sync both sides hold the same items,
// every change made since the last sync is on both (a change made on both
// sides twice, once as a copy), an item deleted on one side and left alone
// on the other is gone, and no text is there twice.
TEST_P(SyncCommandTest, RandomRoundsThroughVelmoCliKeepBothSidesInStep) {
  HttpClient phoneHttp(HttpOptions{server_->User(), server_->Password()});
  CalDav phone(phoneHttp);
  std::mt19937 random(20261208);
  int serial = 0;
  Texts agreed, here;
  ASSERT_EQ(First("a").status, 0);
  const std::string record = fs::absolute("a/record").string();
  int syncs = 0, conflicts = 0;
  auto there = caldavharness::PhoneView(phone, calendar_);  // kept up to date between syncs
  for (int round = 0; round < 200; ++round) {
    here = ChangeRecord(record, random, serial, std::uniform_int_distribution<int>(0, 2)(random));
    for (int n = std::uniform_int_distribution<int>(0, 2)(random); n > 0; --n) {
      const int what = std::uniform_int_distribution<int>(0, 3)(random);
      const std::string text = "t" + std::to_string(++serial);
      std::string etag;
      auto it = there.begin();
      if (!there.empty()) std::advance(it, std::uniform_int_distribution<std::size_t>(0, there.size() - 1)(random));
      if (what == 0 || there.empty()) {
        const std::string uid = "p" + std::to_string(serial) + "@phone";
        ASSERT_EQ(phone.Put(calendar_, uid + ".ics", caldavharness::Event(uid, text), etag), CALDAV_OK);
        there[uid] = {uid + ".ics", etag, text};
      } else if (what == 3) {
        ASSERT_EQ(phone.Delete(calendar_, it->second.href, it->second.etag), CALDAV_OK) << phone.Error();
        there.erase(it);
        continue;
      } else {
        etag = it->second.etag;
        ASSERT_EQ(phone.Put(calendar_, it->second.href, caldavharness::Event(it->first, text), etag), CALDAV_OK);
        it->second = {it->second.href, etag, text};
      }
      // A server that names no ETag on a write is asked.
      if (etag.empty()) there = caldavharness::PhoneView(phone, calendar_);
    }
    if (std::uniform_int_distribution<int>(0, 2)(random) != 0 && round != 199) continue;
    const Texts before = TextsOf(there);
    std::set<std::string> must, mustNot;
    const auto nameOf = [](const std::string& key, bool) { return key; };
    caldavharness::MustAfterSync(here, before, agreed, nameOf, must, mustNot);
    const ShellRun r = Sync("a", "--force-delete");
    ASSERT_LE(r.status, 1) << "round " << round << ": " << r.err;
    ++syncs;
    conflicts += r.status;
    there = caldavharness::PhoneView(phone, calendar_);
    const Texts after = TextsOf(there);
    here = ChangeRecord(record, random, serial, 0);
    ASSERT_EQ(here, after) << "round " << round << ": " << r.out << r.err;
    for (const std::string& t : must) EXPECT_EQ(after.count(t), 1u) << "round " << round << ": " << t;
    for (const std::string& t : mustNot) EXPECT_EQ(after.count(t), 0u) << "round " << round << ": " << t;
    EXPECT_EQ(after.size(), must.size()) << "round " << round;
    agreed = after;
  }
  EXPECT_GT(syncs, 50);
  RecordProperty("conflicts", conflicts);
}

// A sync that moves hundreds of items shows a progress bar on a terminal.
// The bar is the command's, not the server's: one server (the faster at
// writing) is enough.
TEST_P(SyncCommandTest, ManyItemsShowProgressOnATerminal) {
  if (GetParam() != Server::RADICALE) return;
  std::string ics = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Velmo//tests//JA\r\n";
  for (int i = 0; i < 320; ++i) {
    ics += "BEGIN:VEVENT\r\nUID:many-" + std::to_string(i) + "\r\nDTSTAMP:20261207T090000Z\r\n"
           "DTSTART;VALUE=DATE:20261208\r\nSUMMARY:item " + std::to_string(i) + "\r\nEND:VEVENT\r\n";
  }
  savefolder::Write("many.ics", ics + "END:VCALENDAR\r\n");
  ASSERT_EQ(Cli("a", "import-ics many.ics").status, 0);
  ASSERT_EQ(First("a", "--dry-run").err, "");
  const std::string command = "HOME=\"$PWD\" NETRC=/nonexistent VELMO_SYNC_PASSWORD=secret " + Bin("velmo-cli") +
                              " --folder a sync --url '" + calendar_ + "' --user alice";
  const ShellRun r = velmo_test::Shell("script -qec \"" + command + "\" /dev/null");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("sync [########################################] 320/320"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("sync: 320 up, 0 down"), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Servers, SyncCommandTest, ::testing::Values(Server::RADICALE, Server::XANDIKOS),
                         [](const auto& info) { return info.param == Server::RADICALE ? "Radicale" : "Xandikos"; });

}  // namespace
