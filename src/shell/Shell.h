// The application shell: the browse state every part of the program shares,
// the three screen objects and the application's main function.
#pragma once

#include <cstdint>

#include "shell/Command.h"
#include "toolkit/nw.h"

// View numbers: values of currentView and of the remembered views.
inline constexpr std::uint16_t VIEW_THREE_MONTHS = 2;
inline constexpr std::uint16_t VIEW_FIVE_WEEKS = 3;
inline constexpr std::uint16_t VIEW_THREE_WEEKS = 4;
inline constexpr std::uint16_t VIEW_TWO_WEEKS = 5;
inline constexpr std::uint16_t VIEW_WEEK = 6;
inline constexpr std::uint16_t VIEW_WEEK_LIST = 7;
inline constexpr std::uint16_t VIEW_DAY = 8;
inline constexpr std::uint16_t VIEW_LIST = 11;  // stored and restored only

// screenMode values.
inline constexpr std::uint16_t MODE_BROWSE = 1;  // browse screen in front
inline constexpr std::uint16_t MODE_DIALOG = 2;  // entry add/change dialog open
inline constexpr std::uint16_t MODE_WINDOW = 5;  // help screen or search/jump open

inline constexpr const char* SHELL_RELEASE = "1.4.2";

// Timers of the whole run.
inline constexpr int SHELL_TIMER_STATUS = 1;   // mainArea, every 500 ms
inline constexpr int SHELL_TIMER_CLOCK = 3;    // titleBar, every 10 s
inline constexpr int SHELL_STATUS_MS = 500;
inline constexpr int SHELL_CLOCK_MS = 10000;

// The browse screen's one record. The modified and backupMade flags live in
// the data layer (files/Save.h: Data_Modified, Data_BackupMade).
struct BrowseState {
  std::uint16_t currentView;   // view shown, 2..8 (anything else: no view)
  std::uint16_t monthView;     // opened by the calendar command
  std::uint16_t weeksView;     // opened by the several-weeks command: 3, 4, 5
  std::uint16_t weekView;      // opened by the one-week command: 6 or 7
  std::uint16_t dayView;       // opened by the one-day command
  std::uint16_t listView;      // stored and restored only
  std::uint16_t previousView;  // where leaving the three-month calendar returns
  std::uint16_t cursorDate;    // DayNo under the cursor
  std::uint16_t cursorHour;    // hour row under the cursor, 0..23
  std::uint16_t hourSpan;      // hours selected from cursorHour
  std::uint16_t currentLabel;  // 0 all, 1..4 one label, 5 custom
  std::uint16_t today;         // DayNo of the current date
  std::uint16_t todayYear, todayMonth, todayDay;
  std::uint16_t screenMode;    // MODE_*
  std::uint16_t statusDelay;   // status ticks left before the date line follows
  std::int32_t selectionState; // 1, 2: cursor on a cell; 3: an item selected
};

extern BrowseState browse;

// The three screen objects (static for the whole run).
extern nwObject titleBar;   // whole screen; paints rows 0..20
extern nwToolbar toolbar;   // function-key bar (0, 220, 640, 20)
extern nwObject mainArea;   // hosts the views (0, 20, 640, 200)

// Exit status of a run that found another Velmo on its record file.
inline constexpr int VELMO_EXIT_ALREADY_RUNNING = 4;

// The application's main: start-up, the main loop, shutdown. Returns the
// process's exit status: 0, or VELMO_EXIT_ALREADY_RUNNING (nothing written).
int Velmo_Main(int argc, char** argv);

// Main-area handler (exposed for tests).
bool MainArea_Handler(nwObject* object, nwMessage* message);

// Reads the clock into today, todayYear, todayMonth, todayDay; returns the
// current hour.
int Shell_ReadToday();
