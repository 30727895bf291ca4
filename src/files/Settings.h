// Options and the cursor position of the last run: the continuation file
// "continue" in the working directory, plus the names of the files kept.
#pragma once

#include <cstdint>

inline constexpr std::uint16_t SETTINGS_VERSION = 4;
inline constexpr unsigned SETTINGS_CUSTOM_LABELS = 5;  // labels 0..4

// The cursor values of the browse state as stored in the file. The shell
// copies them into its BrowseState after Settings_Load and back before
// Settings_Save (the data layer cannot see BrowseState).
struct SettingsCursor {
  std::uint16_t currentView;   // CurrentView:
  std::uint16_t monthView;     // CurrentViewMonth:
  std::uint16_t weeksView;     // CurrentViewWeeks:
  std::uint16_t weekView;      // CurrentViewWeek:
  std::uint16_t dayView;       // CurrentViewDay:
  std::uint16_t listView;      // CurrentViewList:
  std::uint16_t cursorDate;    // CurrentDate: (DayNo)
  std::uint16_t cursorHour;    // CurrentHour:
  std::uint16_t currentLabel;  // CurrentLabel:
  std::uint16_t previousView;  // not stored; 8 after a successful read
};

// What the clock said when the defaults were applied.
struct SettingsToday {
  std::uint16_t day;  // DayNo
  std::uint16_t year, month, mday;
  std::uint8_t hour, minute;
};

struct Settings {
  std::uint8_t powerOnToday;            // PowerOnToday:
  std::uint8_t weekStartsFromMonday;    // WeekStartsFromMonday:
  std::uint8_t timeTableStartsNine;     // TimeTableStartsNine:
  std::uint8_t saturdayIsHoliday;       // SaturdayIsHoliday:
  std::uint8_t label1Default;           // Label1Default:
  std::uint8_t selectItemByPageUpDown;  // SelectItemByPageUpDown:
  std::uint8_t useLargeDialog;          // UseLargeDialog:
  std::uint8_t customLabel[SETTINGS_CUSTOM_LABELS];  // CustomLabel:
  std::uint16_t windowScale;            // WindowScale: the window's zoom, 0 the window's own default
  std::uint16_t reminderMinutes;        // ScheduleReminder: minutes before a start to tell, 0 never
  SettingsCursor cursor;
  SettingsToday today;
};

// The one settings record of the process, read by all; its owner writes it
// (the reader and the defaults), everyone else replaces it whole.
const Settings& Settings_Get();
// The shell's cursor and zoom at the end of a run, a command's label, a
// test's options.
void Settings_Set(const Settings& s);

// Defaults (also RecordFile: "record" and immediate saving on), then the
// continuation file. False when the file cannot be opened (defaults stand).
bool Settings_Load();
// Writes the continuation file. False when it cannot be written completely.
bool Settings_Save();
// Only the defaults, as Settings_Load applies them first.
void Settings_ApplyDefaults();

// Store_SetLabelVisible(n, CustomLabel flag n) for labels 0..4.
void Settings_ApplyCustomLabels();
// The saved selection (currentLabel) and Saturday flag as the store's filter.
void Settings_ApplyLabels();

// The file names (working directory).
const char* Settings_ContinuePath();  // "continue"
const char* Settings_LabelPath();     // "label"
const char* Settings_DefaultRecordPath();  // "record"

// Lines matching no key are handed here ("%s <- no match"); default prints nothing.
using SettingsTraceHook = void (*)(const char* text);
void Settings_SetTraceHook(SettingsTraceHook hook);
