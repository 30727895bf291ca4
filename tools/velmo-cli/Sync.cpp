// velmo-cli sync [--url URL] [--user NAME] [--dry-run] [--init HOW]
// [--force-delete]: brings the record file and one CalDAV calendar in step.
// The URL and user are remembered in sync.conf beside the record file; the
// sync's state is "<record>.sync". The record is changed under the run lock
// and saved as every command saves it; one summary line goes to standard
// output, with a line for each entry deleted here.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Capacity.h"
#include "CliData.h"
#include "Cli.h"
#include "SyncConf.h"
#include "SyncLocal.h"
#include "files/Record.h"
#include "options/Options.h"

namespace {

constexpr const char* kCommand = "sync";
constexpr const char* kProgram = "velmo-cli sync";
constexpr const char* kUsage =
    "usage: velmo-cli sync [--url URL] [--user NAME] [--dry-run] [--init merge|keep-local|keep-remote] "
    "[--force-delete]\n";
constexpr const char* kTail =
    "--url and --user are remembered in sync.conf beside the record file. The password comes from\n"
    "~/.netrc ($NETRC), else password_command in sync.conf, else $VELMO_SYNC_PASSWORD.\n"
    "Exit status: 0 synced, 1 synced with conflicts kept as copies, 2 usage, 4 Velmo running,\n"
    "5 server, network or credentials failed (nothing changed here), 6 needs --init or --force-delete.\n";
constexpr std::size_t kProgressFrom = 300;  // steps before a terminal shows a bar
constexpr int kProgressWidth = 40;
// Tests stop a run dead where a kill hurts most: the server written, the
// state not; and run a command after the first write, as a phone changing
// the calendar while the run writes (a 412 race).
constexpr const char* kKillEnv = "VELMO_SYNC_TEST_KILL_AT_SAVE";
constexpr const char* kRaceEnv = "VELMO_SYNC_TEST_AFTER_FIRST_WRITE";

enum SyncOption { OPT_URL = 1, OPT_USER, OPT_DRY_RUN, OPT_INIT, OPT_FORCE_DELETE };
constexpr OptionRow kOptions[] = {
    {OPT_URL, "--url", "URL", "the calendar, or the principal or home holding one (remembered)"},
    {OPT_USER, "--user", "NAME", "the user to sign in as (remembered)"},
    {OPT_DRY_RUN, "--dry-run", nullptr, "print the plan; change nothing anywhere"},
    {OPT_INIT, "--init", "HOW", "first sync with a calendar holding items: merge, keep-local or keep-remote"},
    {OPT_FORCE_DELETE, "--force-delete", nullptr, "go on with a sync that deletes more than half"},
};

constexpr struct {
  const char* word;
  SyncInit init;
} kInits[] = {{"merge", SYNC_INIT_MERGE}, {"keep-local", SYNC_INIT_KEEP_LOCAL}, {"keep-remote", SYNC_INIT_KEEP_REMOTE}};

struct Job {
  const char* url = nullptr;
  const char* user = nullptr;
  bool dryRun = false;
  bool forceDelete = false;
  SyncInit init = SYNC_INIT_NONE;
  bool ran = false;
  int status = CLI_EXIT_OK;
};

// False when the command ends here (--help, or a fault told) with status.
bool ParseArgs(int argc, char** argv, Job& job, int& status) {
  OptionReader reader{argc, argv};
  OptionItem item;
  while (Options_Next(reader, kOptions, item)) {
    switch (item.id) {
      case OPTION_HELP: Options_PrintHelp(stdout, kUsage, kOptions, kTail); return status = CliData_Written(), false;
      case OPT_URL: job.url = item.value; break;
      case OPT_USER: job.user = item.value; break;
      case OPT_DRY_RUN: job.dryRun = true; break;
      case OPT_FORCE_DELETE: job.forceDelete = true; break;
      case OPT_INIT:
        for (const auto& row : kInits) {
          if (std::strcmp(item.value, row.word) == 0) job.init = row.init;
        }
        if (job.init != SYNC_INIT_NONE) break;
        status = Options_Refuse(kProgram, "--init takes merge, keep-local or keep-remote", CLI_EXIT_USAGE);
        return std::fputs(kUsage, stderr), false;
      default:
        status = Options_Refuse(kProgram, "takes no operands", CLI_EXIT_USAGE);
        return std::fputs(kUsage, stderr), false;
    }
  }
  if (reader.status == OPTIONS_END) return true;
  status = Options_Fail(kProgram, reader, CLI_EXIT_USAGE);
  std::fputs(kUsage, stderr);
  return false;
}

// A file beside the record file.
std::string Beside(const char* name) {
  char path[cap::kFileName + 16];
  return Record_Beside(name, path, sizeof path) ? path : "";
}

int Refuse(const std::string& why, int status) {
  std::fprintf(stderr, "velmo-cli %s: %s\n", kCommand, why.c_str());
  return status;
}

void Progress(void*, std::size_t done, std::size_t total) {
  if (const char* race = std::getenv(kRaceEnv); race != nullptr && done == 1 && std::system(race) != 0) {
    std::fprintf(stderr, "velmo-cli %s: %s failed\n", kCommand, kRaceEnv);
  }
  if (total < kProgressFrom || isatty(STDERR_FILENO) == 0) return;
  const int filled = static_cast<int>(done * kProgressWidth / total);
  std::fprintf(stderr, "\rsync [%.*s%*s] %zu/%zu", filled, "########################################",
               kProgressWidth - filled, "", done, total);
  if (done == total) std::fputc('\n', stderr);
}

// What a plan would do, one line a step; deletions here with their days and texts.
void PrintPlan(const SyncPlan& plan) {
  for (const SyncAction& a : plan.actions) {
    switch (a.kind) {
      case SYNC_UPLOAD: std::printf("plan: up %s\n", a.uid.c_str()); break;
      case SYNC_DOWNLOAD: std::printf("plan: down %s\n", a.uid.c_str()); break;
      case SYNC_DELETE_REMOTE: std::printf("plan: delete there %s\n", a.uid.c_str()); break;
      case SYNC_CONFLICT: std::printf("plan: keep both %s\n", a.uid.c_str()); break;
      case SYNC_DELETE_LOCAL:
        for (const std::string& line : SyncLocal_Describe(a.uid)) std::printf("plan: delete here %s\n", line.c_str());
        break;
      default: break;
    }
  }
}

int Tell(const SyncReport& r, const SyncStore& store, bool dryRun) {
  for (const std::string& note : r.notes) Refuse(note, 0);
  if (r.outcome == SYNC_FAILED) {
    const char* here = store.saved ? "; what was done before is saved, run it again" : "; nothing changed here";
    return Refuse(r.why + here, CLI_EXIT_SYNC_SERVER);
  }
  if (dryRun || r.outcome == SYNC_STOPPED) PrintPlan(r.plan);
  std::printf("%s\n", SyncPlan_Summary(r.plan).c_str());
  if (r.raced > 0) {
    Refuse(std::to_string(r.raced) + " item(s) changed on the server meanwhile; the next sync takes them", 0);
  }
  switch (r.plan.stop) {
    case SYNC_NEEDS_INIT:
      return Refuse("the calendar holds items and has never been synced with this record: run again with "
                    "--init merge, keep-local or keep-remote; nothing changed",
                    CLI_EXIT_SYNC_DECIDE);
    case SYNC_MASS_DELETION:
      return Refuse("this sync would delete more than half of the items in step (" + std::to_string(r.plan.inStep) +
                        "); run again with --force-delete if that is meant; nothing changed",
                    CLI_EXIT_SYNC_DECIDE);
    case SYNC_GO: break;
  }
  return r.outcome == SYNC_DONE_CONFLICTS ? CLI_EXIT_SYNC_CONFLICTS : CLI_EXIT_OK;
}

// The run, with the record loaded (and locked, unless dry).
int Run(Job& job) {
  const std::string confPath = Beside(RECORD_SYNC_CONF);
  SyncConf conf;
  std::string why, password;
  if (!SyncConf_Load(confPath.c_str(), conf, why)) return Refuse(why, CLI_EXIT_USAGE);
  const std::string url = job.url != nullptr ? job.url : SyncConf_Get(conf, "url");
  const std::string user = job.user != nullptr ? job.user : SyncConf_Get(conf, "user");
  if (url.empty()) return Refuse("no calendar: give --url URL once (sync.conf remembers it)", CLI_EXIT_USAGE);
  if (Http_Host(url).empty()) return Refuse(url + ": not a URL", CLI_EXIT_USAGE);
  if (!user.empty() && !SyncConf_Password(conf, Http_Host(url), user, password, why)) {
    return Refuse(why, CLI_EXIT_USAGE);
  }
  HttpClient http{HttpOptions{user, password}};
  CalDav dav{http};
  SyncStore store;
  SyncLocal local = SyncLocal_Of(store);
  if (std::getenv(kKillEnv) != nullptr) {
    local.commit = [](void*, std::string&) { return raise(SIGKILL) != 0; };
  }
  const std::string statePath = std::string(Record_Path()) + ".sync";
  SyncRunOptions options{url, statePath, Record_Path(), job.init, job.forceDelete, job.dryRun, Progress, nullptr};
  const SyncReport report = SyncRun(dav, local, options);
  const int status = Tell(report, store, job.dryRun);
  const bool synced = report.outcome == SYNC_DONE || report.outcome == SYNC_DONE_CONFLICTS;
  if (!job.dryRun && synced && (job.url != nullptr || job.user != nullptr)) {
    const bool set = (job.url == nullptr || SyncConf_Set(conf, "url", url)) &&
                     (job.user == nullptr || SyncConf_Set(conf, "user", user));
    if (set && !SyncConf_Save(confPath.c_str(), Record_Path(), conf)) {
      Refuse(confPath + ": could not be written; give --url and --user again next time", 0);
    }
  }
  return status;
}

bool RunLocked(void* context) {
  Job& job = *static_cast<Job*>(context);
  job.ran = true;
  job.status = Run(job);
  return false;  // every change is saved by the run itself
}

}  // namespace

int Cli_Sync(int argc, char** argv) {
  if (!CliData_TakeNow(argc, argv, kCommand)) return CLI_EXIT_USAGE;
  Job job;
  if (int status = CLI_EXIT_OK; !ParseArgs(argc, argv, job, status)) return status;
  int status = CLI_EXIT_OK;
  if (job.dryRun) {
    status = CliData_Load(kCommand);
    if (status == CLI_EXIT_OK) status = Run(job);
  } else {
    status = CliData_Write(kCommand, RunLocked, &job);
    if (job.ran) status = job.status;
  }
  Store_Shutdown();
  const int written = CliData_Written();
  return written != CLI_EXIT_OK ? written : status;
}
