#include "files/Save.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Capacity.h"
#include "files/DataNotice.h"
#include "files/Files.h"
#include "files/Record.h"
#include "platform/Platform.h"
#include "store/Store.h"

namespace {

// "ファイルに保存しました"
constexpr const char* kSaved =
    "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xc9\x95\xdb\x91\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
// "保存に失敗しました"
constexpr const char* kSaveFailed =
    "\x95\xdb\x91\xb6\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
// "記録ファイルが壊れています\n保存時に元のファイルを\n%sとして残します", %s the
// copy's suffix (".damaged", ".damaged.1" ...)
constexpr const char* kDamaged =
    "\x8b\x4c\x98\x5e\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x89\xf3\x82\xea\x82\xc4\x82\xa2"
    "\x82\xdc\x82\xb7\n"
    "\x95\xdb\x91\xb6\x8e\x9e\x82\xc9\x8c\xb3\x82\xcc\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xf0\n"
    "%s\x82\xc6\x82\xb5\x82\xc4\x8e\x63\x82\xb5\x82\xdc\x82\xb7";

constexpr unsigned kDamagedTries = 100;  // ".damaged", ".damaged.1" .. ".damaged.99"
constexpr std::size_t kCopyChunk = 8192;

struct SaveState {
  bool immediateSave = true;
  bool modified = false;
  bool backupMade = false;
  bool startReplaced = false;   // the file as it stood at the start is gone: no later backup
  bool damagedPending = false;  // the load stopped short: keep the whole file before saving
  bool failureTold = false;     // a failing immediate save is told once, not at every change
  char damagedCopy[cap::kFileName];
  unsigned damagedIndex = 0;  // of the damaged-file name told at start-up
};

SaveState state;

// Name of path + suffix; false when it does not fit (a cut name could be the
// record file itself).
bool JoinName(char* out, std::size_t size, const char* path, const char* suffix) {
  const int n = std::snprintf(out, size, "%s%s", path, suffix);
  return n > 0 && static_cast<std::size_t>(n) < size;
}

// The suffix of the i-th damaged-file name.
void DamagedSuffix(unsigned i, char* out, std::size_t size) {
  std::snprintf(out, size, i == 0 ? ".damaged" : ".damaged.%u", i);
}

void TellDamaged(unsigned i) {
  state.damagedIndex = i;
  char suffix[24];
  DamagedSuffix(i, suffix, sizeof suffix);
  char text[cap::kFileName];
  std::snprintf(text, sizeof text, kDamaged, suffix);
  Data_Notice(text);
}

bool CopyBytes(std::FILE* in, std::FILE* out) {
  char chunk[kCopyChunk];
  for (;;) {
    const std::size_t got = std::fread(chunk, 1, sizeof chunk, in);
    if (got > 0 && std::fwrite(chunk, 1, got, out) != got) return false;
    if (got < sizeof chunk) return !std::ferror(in);
  }
}

// Writes a copy of in to, with the record file's bits; a backup that a power
// cut can leave empty is no backup, so the copy is on disk before it is
// renamed into place. Over an older file of that name, or only where none is.
bool CopyAs(std::FILE* in, const char* to, bool replace) {
  std::rewind(in);
  const auto copy = [in](std::FILE* out) { return CopyBytes(in, out); };
  return replace ? Files_ReplaceWhole(to, Record_Path(), copy) : Files_PlaceWhole(to, Record_Path(), copy);
}

// The first damaged-file name from i on that no file holds; false when none fits.
bool FreeDamagedName(unsigned& i, char* name, std::size_t size) {
  for (; i < kDamagedTries; ++i) {
    char suffix[24];
    DamagedSuffix(i, suffix, sizeof suffix);
    if (!JoinName(name, size, Record_Path(), suffix)) return false;
    if (!Platform_Exists(name)) return true;
  }
  return false;
}

// One try at name: a copy, never over another file. A file this run could
// not read is moved there, since it cannot be copied.
bool KeepAs(std::FILE* in, const char* name) {
  if (in == nullptr) return Platform_PlaceAs(Record_Path(), name);
  return CopyAs(in, name, false);
}

// The whole file as loaded, under the name told at start-up or, should that
// have been taken since, the next free one (told then).
bool KeepDamagedFile() {
  std::FILE* in = std::fopen(Record_Path(), "rb");
  if (in == nullptr && Record_NoSuchFile(errno)) return true;  // nothing left to keep
  bool kept = false;
  unsigned i = state.damagedIndex;
  char name[cap::kFileName];
  while (!kept && FreeDamagedName(i, name, sizeof name)) {
    kept = KeepAs(in, name);
    if (!kept && errno != EEXIST) break;
    if (!kept) ++i;
  }
  if (in != nullptr) std::fclose(in);
  if (!kept) return false;
  if (i != state.damagedIndex) TellDamaged(i);
  std::snprintf(state.damagedCopy, sizeof state.damagedCopy, "%s", name);
  return true;
}

// Backup, then the record file. The record file is replaced whole by
// Record_Save, so a failure at any step leaves a complete file behind.
bool SaveNow() {
  if (state.damagedPending) {
    if (!KeepDamagedFile()) return false;
    state.damagedPending = false;
  }
  Data_Backup();
  if (!Record_Save()) return false;
  state.startReplaced = true;
  return true;
}

void AfterSave(bool saved) {
  state.modified = !saved;
  if (saved) state.failureTold = false;
}

}  // namespace

void Data_StartRun() {
  state.modified = false;
  state.backupMade = false;
  state.startReplaced = false;
  state.failureTold = false;
  state.damagedCopy[0] = '\0';
  const RecordStop stop = Record_LastLoad().stop;
  state.damagedPending = stop != RECORD_OK && stop != RECORD_MISSING;
  if (!state.damagedPending) return;
  unsigned i = 0;
  char name[cap::kFileName];
  TellDamaged(FreeDamagedName(i, name, sizeof name) ? i : 0);
}

namespace {

// With immediateSave on, saves at once; otherwise marks the data modified.
void KeepChange() {
  if (!state.immediateSave) {
    state.modified = true;
    return;
  }
  const bool saved = SaveNow();
  const bool tell = !saved && !state.failureTold;
  AfterSave(saved);
  if (!tell) return;
  state.failureTold = true;
  Data_Notice(kSaveFailed);
}

}  // namespace

void Data_Changed() {
  KeepChange();
  Store_Invalidate();
}

bool Data_SaveCommand() {
  bool saved = true;
  if (state.modified) {
    saved = SaveNow();
    AfterSave(saved);
  }
  Data_Notice(saved ? kSaved : kSaveFailed);
  return saved;
}

bool Data_SaveIfModified() {
  if (!state.modified) return true;
  const bool saved = SaveNow();
  AfterSave(saved);
  return saved;
}

bool Data_BackupPath(char* out, unsigned size) { return JoinName(out, size, Record_Path(), ".bak"); }

// A copy, not a rename: the record file stays complete while the backup is
// written, and the backup is replaced only by a finished copy.
bool Data_Backup() {
  if (state.backupMade) return true;
  // After a save without backup, a copy would put a state from the middle
  // of this run over the backup an earlier run left.
  if (state.startReplaced) return false;
  char backup[cap::kFileName];
  if (!Data_BackupPath(backup, sizeof backup)) return false;
  std::FILE* in = std::fopen(Record_Path(), "rb");
  if (in == nullptr) {
    // No record file at the start of the run: nothing to keep, and an older
    // backup is worth more than a copy of this run's first save.
    state.backupMade = Record_NoSuchFile(errno);
    return state.backupMade;
  }
  state.backupMade = CopyAs(in, backup, true);
  std::fclose(in);
  return state.backupMade;
}

bool Data_Modified() { return state.modified; }
void Data_SetModified(bool on) { state.modified = on; }
bool Data_BackupMade() { return state.backupMade; }
void Data_SetBackupMade(bool on) { state.backupMade = on; }
void Data_SetImmediateSave(bool on) { state.immediateSave = on; }
const char* Data_DamagedCopyPath() { return state.damagedCopy; }
