#include "WindowSync.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Capacity.h"
#include "files/DataFolder.h"
#include "files/DataNotice.h"
#include "files/Record.h"
#include "files/Settings.h"
#include "platform/Platform.h"

namespace {

constexpr const char* kCli = "velmo-cli";
// "同期できませんでした\n手元のファイルで始めます"
constexpr const char* kStartFailed =
    "\x93\xaf\x8a\xfa\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\n"
    "\x8e\xe8\x8c\xb3\x82\xcc\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xc5\x8e\x6e\x82\xdf\x82\xdc\x82\xb7";

// velmo-cli sync's statuses that mean synced: 0, and 1 with conflicts kept
// as copies (which it tells itself).
constexpr int kSyncedWithCopies = 1;

struct MomentRow {
  const char* name;    // in the line on standard error
  const char* notice;  // shown in the window; null: the window is gone
};
constexpr MomentRow kMoments[] = {
    {"before start", kStartFailed},
    {"after saving", nullptr},
};

// out: the folder part of the record file's name, then name.
bool BesideRecord(const char* name, char* out, std::size_t size) {
  Settings_Load();
  const bool fits = Record_Beside(name, out, size);
  // As it was: Velmo's own start-up reads the file again.
  Settings_ApplyDefaults();
  return fits;
}

// velmo and velmo-cli of one build or one installation go together.
void FindCli(char* out, std::size_t size) {
  char folder[cap::kFileName];
  if (Platform_ProgramFolder(folder, sizeof folder) &&
      std::snprintf(out, size, "%s/%s", folder, kCli) < static_cast<int>(size) && Platform_Exists(out))
    return;
  std::snprintf(out, size, "%s", kCli);
}

// Why a run did not sync; false when it did.
bool Failure(const PlatformRun& run, int timeoutMs, char* out, std::size_t size) {
  switch (run.result) {
    case PLATFORM_RUN_EXITED:
      if (run.status == 0 || run.status == kSyncedWithCopies) return false;
      std::snprintf(out, size, "velmo-cli sync ended with status %d", run.status);
      return true;
    case PLATFORM_RUN_SIGNALLED: std::snprintf(out, size, "velmo-cli sync ended on signal %d", run.status); return true;
    case PLATFORM_RUN_TIMED_OUT:
      std::snprintf(out, size, "no answer within %d ms: velmo-cli sync was stopped", timeoutMs);
      return true;
    case PLATFORM_RUN_NOT_STARTED:
      std::snprintf(out, size, "cannot run velmo-cli: %s", std::strerror(run.status));
      return true;
    case PLATFORM_RUN_UNAVAILABLE: std::snprintf(out, size, "this build cannot run velmo-cli"); return true;
  }
  return true;
}

}  // namespace

bool WindowSync_Wanted() {
  char conf[cap::kFileName];
  return BesideRecord(RECORD_SYNC_CONF, conf, sizeof conf) && Platform_Exists(conf);
}

void WindowSync_Run(WindowSyncMoment moment, int timeoutMs) {
  char cli[cap::kFileName];
  FindCli(cli, sizeof cli);
  char folder[cap::kFileName];
  if (!DataFolder_AbsolutePath(".", folder, sizeof folder)) std::snprintf(folder, sizeof folder, ".");
  const char* argv[] = {cli, "--folder", folder, "sync", nullptr};
  // Its lines come after everything this program has said.
  std::fflush(nullptr);
  // Killed at the limit, the command leaves nothing half done: it replaces
  // every file whole and saves its state after each batch, so the next sync
  // carries on where this one stopped.
  const PlatformRun run = Platform_Run(argv, timeoutMs);
  char why[cap::kFileName + 64];
  if (!Failure(run, timeoutMs, why, sizeof why)) return;
  const MomentRow& row = kMoments[moment];
  std::fprintf(stderr, "velmo: the sync %s failed: %s\n", row.name, why);
  if (row.notice != nullptr) Data_Notice(row.notice);
}

bool WindowSync_ReadTimeout(const char* text, int& timeoutMs) {
  char* end = nullptr;
  const long n = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || n < 1 || n > cap::kWindowSyncMaxMs) return false;
  timeoutMs = static_cast<int>(n);
  return true;
}
