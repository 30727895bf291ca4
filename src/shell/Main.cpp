// The application's main: start-up, the main loop and shutdown, in their
// fixed order.
#include <clocale>
#include <cstdio>
#include <cstring>

#include "calendar/Date.h"
#include "dialogs/Notice.h"
#include "files/Record.h"
#include "files/RecordLock.h"
#include "files/Save.h"
#include "files/Settings.h"
#include "graphics/ZebHost.h"
#include "shell/Quit.h"
#include "shell/Reminder.h"
#include "shell/Shell.h"
#include "shell/Title.h"
#include "store/Label.h"
#include "store/Store.h"

namespace {

constexpr const char* kCaption = "Velmo for Win32";
constexpr const char* kToEucOption = "-sjistoeuc";


void CursorFromSettings() {
  const Settings& s = Settings_Get();
  const SettingsCursor& c = s.cursor;
  BrowseState_SetView(c.currentView);
  BrowseState_RememberView(&BrowseState::monthView, c.monthView);
  BrowseState_RememberView(&BrowseState::weeksView, c.weeksView);
  BrowseState_RememberView(&BrowseState::weekView, c.weekView);
  BrowseState_RememberView(&BrowseState::dayView, c.dayView);
  BrowseState_RememberView(&BrowseState::listView, c.listView);
  BrowseState_SetPreviousView(c.previousView);
  BrowseState_SetCursorDate(c.cursorDate);
  BrowseState_SetCursorHour(c.cursorHour);
  BrowseState_SetLabel(c.currentLabel);
  BrowseState_SetToday(s.today.day, s.today.year, s.today.month, s.today.mday);
}

// The cursor and the window's zoom, kept for the next run.
void RunToSettings() {
  Settings s = Settings_Get();
  if (const int zoom = Zeb_Zoom()) s.windowScale = static_cast<std::uint16_t>(zoom);
  SettingsCursor& c = s.cursor;
  c.currentView = browse.currentView;
  c.monthView = browse.monthView;
  c.weeksView = browse.weeksView;
  c.weekView = browse.weekView;
  c.dayView = browse.dayView;
  c.listView = browse.listView;
  c.previousView = browse.previousView;
  c.cursorDate = browse.cursorDate;
  c.cursorHour = browse.cursorHour;
  c.currentLabel = browse.currentLabel;
  Settings_Set(s);
}

void ResetBrowse() {
  BrowseState_Reset();
  BrowseState_SetCursorHour(static_cast<std::uint16_t>(Shell_ReadToday()));
  BrowseState_SetCursorDate(browse.today);
}

// Two runs on one record file would each save over the other's changes. The
// second stops here, before it reads or writes anything more.
bool LockRecordFile() {
  if (RecordLock_Acquire(Record_Path()) != RECORD_LOCK_BUSY) return true;
  std::fprintf(stderr, "velmo: Velmo is already running on the record file %s\n", Record_Path());
  return false;
}

bool LoadData() {
  Store_Init();
  Store_SetDropDeleted(true);
  Store_SetChangeHook(Data_Changed);
  Store_SetStampValue(0);
  Settings_Load();
  if (!LockRecordFile()) return false;
  CursorFromSettings();
  if (Settings_Get().powerOnToday) BrowseState_SetCursorDate(browse.today);
  Label_InitNames();
  Label_LoadFile(Settings_LabelPath());
  Settings_ApplyLabels();
  Record_Load();
  Data_StartRun();
  return true;
}

void FillScreen(int level) {
  Zeb_SetColor(nwContext, level);
  Zeb_FillBox(nwContext, SCREEN_RECT);
}

void OpenScreen() {
  Zeb_OpenScreen(nwContext);
  nwEvent_Reset();
  nwTimer_Reset();
  FillScreen(ZEB_WHITE);
  Zeb_SetColor(nwContext, ZEB_BLACK);
  nwObject_Create(&titleBar, Title_Handler, nullptr, &SCREEN_RECT);
  nwObject_Create(&toolbar, nwToolbar_Handler, nullptr, &SCREEN_KEY_BAR);
  FillScreen(ZEB_LIGHT_GREY);
  nwEvent_PostTo(&titleBar, NW_SHOW);
  nwEvent_PostTo(&titleBar, NW_SET_ICON, static_cast<int>(Title_Icon.size()), 0,
                 const_cast<unsigned char*>(Title_Icon.data()));
  nwObject_Create(&mainArea, MainArea_Handler, nullptr, &SCREEN_VIEW_AREA);
  nwFocus_Set(&mainArea);
  nwEvent_PostTo(&mainArea, NW_SHOW);
  Screen_FillBrowseToolbar();
}

bool Startup(int argc, char** argv) {
  ResetBrowse();
  if (!LoadData()) return false;
  Zeb_SetZoom(Settings_Get().windowScale);
  Reminder_Reset();
  OpenScreen();
  // The data layer holds its notices (a damaged record file) until now.
  Notice_Attach();
  Quit_Start();
  if (argc > 1 && argv[1] && std::strcmp(argv[1], kToEucOption) == 0)
    nwEvent_PostTo(&mainArea, NW_COMMAND, CMD_TO_EUC);
  return true;
}

void RunLoop() {
  while (nwMessage* message = nwEvent_Next(true)) {
    if (nwEvent_Filter(message)) continue;
    nwEvent_Dispatch(message);
    Reminder_Tick();
  }
}

void Shutdown() {
  // Every loop level has ended: a notice from here on goes to the debug message.
  Notice_Detach();
  Quit_KeepUnsaved();
  Store_Shutdown();
  RunToSettings();
  Settings_Save();
  nwTimer_Reset();
  nwEvent_Reset();
  FillScreen(ZEB_WHITE);
  Zeb_SetColor(nwContext, ZEB_BLACK);
  Zeb_CloseScreen(nwContext);
  RecordLock_Release();
}

}  // namespace

int Shell_ReadToday() {
  std::uint16_t year = 0, month = 0, mday = 0;
  std::uint8_t hour = 0, minute = 0;
  const std::uint16_t today = Date_Now(year, month, mday, hour, minute);
  BrowseState_SetToday(today, year, month, mday);
  return hour;
}

int Velmo_Main(int argc, char** argv) {
  std::setlocale(LC_TIME, "");
  Zeb_SetScreenSize(cap::kScreenWidth, cap::kScreenHeight);
  ZebHost_SetCaption(kCaption);
  ZebHost_SetBanner(Notice_Banner());
  if (!Startup(argc, argv)) {
    Store_Shutdown();
    return VELMO_EXIT_ALREADY_RUNNING;
  }
  RunLoop();
  Shutdown();
  return 0;
}
