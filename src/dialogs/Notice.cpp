#include "dialogs/Notice.h"

#include <cstdio>

#include "files/DataNotice.h"
#include "views/Screen.h"

namespace {

constexpr const char* kRelease = "1.4.2";

// Each line fits the box's 28 half-width columns.
// The banner names the platform the program was built for.
#ifdef _WIN32
constexpr const char* kBannerFormat =
    "Velmo for Win32  Rel %s\n"
    "(C) 2026 the Velmo team\n"
    "Win32 edition 1.0";
#else
constexpr const char* kBannerFormat =
    "Velmo for Linux  Rel %s\n"
    "(C) 2026 the Velmo team\n"
    "SDL2/headless edition 1.0";
#endif

bool attached = false;

void DataNotice(const char* text) { Notice_Show(text, NOTICE_OK); }

}  // namespace

int Notice_Box(const char* text, int type) {
  const int result = attached ? nwMessageBox(text, type) : NOTICE_NO_ANSWER;
  if (result != NOTICE_NO_ANSWER) return result;
  // Not seen in a box (no screen yet, shutting down, a box already open):
  // the text must not simply vanish (a host that is ending prints it).
  if (text != nullptr) Zeb_DebugMessage(text);
  // A question nobody can answer any more is declined at once.
  return type == NOTICE_CONFIRM ? NOTICE_CANCEL : result;
}

int Notice_Show(const char* text, int type) {
  const int result = Notice_Box(text, type);
  if (attached) nwEvent_PostTo(&mainArea, NW_REDRAW);
  return result;
}

bool Notice_Confirm(const char* text) { return Notice_Show(text, NOTICE_CONFIRM) == NOTICE_YES; }

const char* Notice_Banner() {
  static char banner[cap::kVersionBanner];
  std::snprintf(banner, sizeof banner, kBannerFormat, kRelease);
  return banner;
}

void Notice_Version() { Notice_Show(Notice_Banner(), NOTICE_OK); }

void Notice_NotImplemented() { Notice_Show(NOTICE_NOT_IMPLEMENTED, NOTICE_OK); }

void Notice_Attach() {
  nwMessageBox_SetParent(&titleBar);
  attached = true;
  Data_SetNoticeHook(DataNotice);
}

void Notice_Detach() {
  attached = false;
  nwMessageBox_SetParent(nullptr);
  Data_SetNoticeHook(DataNotice);
}
