#include "shell/Quit.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "dialogs/EntryDialog.h"
#include "dialogs/Notice.h"
#include "files/Record.h"
#include "files/Recovery.h"
#include "files/Save.h"
#include "shell/Shell.h"

namespace {

// "保存できない変更があります\nもう一度保存しますか\nいいえ：保存せずに終了"
constexpr const char* kAskUnsaved =
    "\x95\xdb\x91\xb6\x82\xc5\x82\xab\x82\xc8\x82\xa2\x95\xcf\x8d\x58\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb7\n"
    "\x82\xe0\x82\xa4\x88\xea\x93\x78\x95\xdb\x91\xb6\x82\xb5\x82\xdc\x82\xb7\x82\xa9\n"
    "\x82\xa2\x82\xa2\x82\xa6\x81\x46\x95\xdb\x91\xb6\x82\xb9\x82\xb8\x82\xc9\x8f\x49\x97\xb9";
// "保存できなかった変更の控えは\n%s\n%s です": the folder, the file's name
constexpr const char* kRecoveredFormat =
    "\x95\xdb\x91\xb6\x82\xc5\x82\xab\x82\xc8\x82\xa9\x82\xc1\x82\xbd\x95\xcf\x8d\x58\x82\xcc\x8d\x54\x82\xa6"
    "\x82\xcd\n%s\n%s \x82\xc5\x82\xb7";
constexpr std::size_t kBoxColumns = cap::kMessageBoxColumns;

bool dropChosen = false;  // "quit without them": no recovery copy

void Leave() { nwEvent_PostTo(&mainArea, NW_DESTROY); }

struct Newest {
  RecoveryCopy copy;
  int count;
};

void TellCopy(const RecoveryCopy& copy, void* context) {
  std::fprintf(stderr,
               "velmo: changes that could not be saved to %s are kept in %s; to take them back, end Velmo "
               "and copy that file over the record file\n",
               copy.from, copy.path);
  auto* newest = static_cast<Newest*>(context);
  newest->copy = copy;
  ++newest->count;
}

// The folder as a box line: "~" for the home folder, and a long one cut at
// its start, where the least is lost.
void FolderLine(const char* path, char* out, std::size_t size) {
  char folder[cap::kFileName];
  std::snprintf(folder, sizeof folder, "%s", path);
  char* slash = std::strrchr(folder, '/');
  if (slash != nullptr) slash[1] = '\0';
  const char* home = std::getenv("HOME");
  const std::size_t homeLength = home != nullptr ? std::strlen(home) : 0;
  char shown[cap::kFileName];
  if (homeLength > 1 && std::strncmp(folder, home, homeLength) == 0 && folder[homeLength] == '/') {
    std::snprintf(shown, sizeof shown, "~%s", folder + homeLength);
  } else {
    std::snprintf(shown, sizeof shown, "%s", folder);
  }
  const std::size_t length = std::strlen(shown);
  if (length <= kBoxColumns) {
    std::snprintf(out, size, "%s", shown);
  } else {
    std::snprintf(out, size, "...%s", shown + length - (kBoxColumns - 3));
  }
}

void OfferRecovery() {
  Newest newest{};
  if (Recovery_TakeListed(TellCopy, &newest) == 0) return;
  const char* slash = std::strrchr(newest.copy.path, '/');
  char folder[kBoxColumns + 1];
  FolderLine(newest.copy.path, folder, sizeof folder);
  char text[2 * cap::kFileName];
  std::snprintf(text, sizeof text, kRecoveredFormat, folder, slash != nullptr ? slash + 1 : newest.copy.path);
  Notice_Show(text, NOTICE_OK);
}

}  // namespace

void Quit_Start() {
  dropChosen = false;
  nwEvent_SetCloseHook(EntryDialog_AskOnClose);
  OfferRecovery();
}

void Quit_Ask() {
  if (!Data_Modified()) return Leave();
  switch (Notice_Show(kAskUnsaved, NOTICE_YES_NO_CANCEL)) {
    case NOTICE_YES:
      if (Data_SaveIfModified()) return Leave();
      Notice_Show(NOTICE_SAVE_FAILED, NOTICE_OK);
      return;
    case NOTICE_NO:
      dropChosen = true;
      return Leave();
    default:
      return;  // stay; or nobody can answer, and the shutdown keeps the copy
  }
}

bool Quit_KeepUnsaved() {
  nwEvent_SetCloseHook(nullptr);
  if (Data_SaveIfModified()) return true;
  if (dropChosen) return false;
  char copy[cap::kFileName];
  if (Recovery_Write(copy, sizeof copy)) {
    std::fprintf(stderr, "velmo: the record file %s could not be saved; its entries are kept in %s\n",
                 Record_Path(), copy);
  } else {
    std::fprintf(stderr,
                 "velmo: the record file %s could not be saved, nor a recovery copy written; "
                 "the changes of this run are lost\n",
                 Record_Path());
  }
  return false;
}
