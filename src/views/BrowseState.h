// The browse screen's one record and its view and mode numbers, owned by the
// views (BrowseState.cpp); everyone else reads it and writes it only through
// the operations below. The store, files and toolkit do not see it.
#pragma once

#include <cstdint>

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

// The modified and backupMade flags live in the data layer (files/Save.h:
// Data_Modified, Data_BackupMade).
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

// Read-only outside BrowseState.cpp.
extern const BrowseState& browse;

// The browse state of a fresh start: every view at its default, the browse
// screen in front, one hour selected; the dates are left at 0.
void BrowseState_Reset();
// Values are stored as given: a continuation file can hold anything, and the
// views bound the date and hour when they take them (View_SetCursorDate,
// TimeTable_Anchor).
void BrowseState_SetView(std::uint16_t view);
void BrowseState_SetPreviousView(std::uint16_t view);
// The size a family's command opens next (monthView, weeksView, ...).
void BrowseState_RememberView(std::uint16_t BrowseState::*family, std::uint16_t view);
void BrowseState_SetCursorDate(std::uint16_t day);
void BrowseState_SetCursorHour(std::uint16_t hour);
void BrowseState_SetHourSpan(std::uint16_t hours);
void BrowseState_SetLabel(std::uint16_t label);
void BrowseState_SetToday(std::uint16_t day, std::uint16_t year, std::uint16_t month, std::uint16_t mday);
void BrowseState_SetMode(std::uint16_t mode);
void BrowseState_SetStatusDelay(std::uint16_t ticks);
void BrowseState_SetSelection(std::int32_t state);
