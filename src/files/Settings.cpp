#include "files/Settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "Capacity.h"
#include "calendar/Date.h"
#include "files/Files.h"
#include "files/Record.h"
#include "files/Save.h"
#include "store/Label.h"
#include "store/MonthRec.h"
#include "store/Store.h"
#include "platform/Platform.h"

namespace {

enum ValueKind : std::uint8_t { VALUE_IGNORED, VALUE_FLAG, VALUE_OPTION, VALUE_U16, VALUE_PATH, VALUE_CUSTOM };

struct Key {
  const char* name;  // with its colon
  ValueKind kind;
  std::uint8_t Settings::*flag;
  std::uint16_t SettingsCursor::*cursor;
  std::uint16_t Settings::*option = nullptr;
};

// In the order lines are matched: the first key a line begins with decides.
constexpr Key kKeys[] = {
    {"ContinueVersion:", VALUE_IGNORED, nullptr, nullptr},
    {"RecordFile:", VALUE_PATH, nullptr, nullptr},
    {"PowerOnToday:", VALUE_FLAG, &Settings::powerOnToday, nullptr},
    {"WeekStartsFromMonday:", VALUE_FLAG, &Settings::weekStartsFromMonday, nullptr},
    {"TimeTableStartsNine:", VALUE_FLAG, &Settings::timeTableStartsNine, nullptr},
    {"SaturdayIsHoliday:", VALUE_FLAG, &Settings::saturdayIsHoliday, nullptr},
    {"Label1Default:", VALUE_FLAG, &Settings::label1Default, nullptr},
    {"SelectItemByPageUpDown:", VALUE_FLAG, &Settings::selectItemByPageUpDown, nullptr},
    {"UseLargeDialog:", VALUE_FLAG, &Settings::useLargeDialog, nullptr},
    {"SelectedFolder:", VALUE_IGNORED, nullptr, nullptr},
    {"SelectedFile:", VALUE_IGNORED, nullptr, nullptr},
    {"CustomLabel:", VALUE_CUSTOM, nullptr, nullptr},
    {"WindowScale:", VALUE_OPTION, nullptr, nullptr, &Settings::windowScale},
    {"ScheduleReminder:", VALUE_OPTION, nullptr, nullptr, &Settings::reminderMinutes},
    {"CurrentView:", VALUE_U16, nullptr, &SettingsCursor::currentView},
    {"CurrentViewMonth:", VALUE_U16, nullptr, &SettingsCursor::monthView},
    {"CurrentViewWeeks:", VALUE_U16, nullptr, &SettingsCursor::weeksView},
    {"CurrentViewWeek:", VALUE_U16, nullptr, &SettingsCursor::weekView},
    {"CurrentViewDay:", VALUE_U16, nullptr, &SettingsCursor::dayView},
    {"CurrentViewList:", VALUE_U16, nullptr, &SettingsCursor::listView},
    {"CurrentDate:", VALUE_U16, nullptr, &SettingsCursor::cursorDate},
    {"CurrentHour:", VALUE_U16, nullptr, &SettingsCursor::cursorHour},
    {"CurrentLabel:", VALUE_U16, nullptr, &SettingsCursor::currentLabel},
};

constexpr std::uint16_t kViewAfterRead = 8;

Settings settings;
SettingsTraceHook traceHook = nullptr;

// atoi's reading (blanks, optional sign, digits; none: 0) without its
// undefined overflow: the digits wrap, and callers keep the low bits anyway.
std::uint32_t ReadNumber(const char* s) {
  while (*s == ' ' || *s == '\t' || *s == '\n' || *s == '\v' || *s == '\f' || *s == '\r') ++s;
  const bool negative = *s == '-';
  if (*s == '-' || *s == '+') ++s;
  std::uint32_t value = 0;
  for (; *s >= '0' && *s <= '9'; ++s) value = value * 10u + static_cast<std::uint32_t>(*s - '0');
  return negative ? 0u - value : value;
}

const char* SkipBlanks(const char* s) {
  while (*s == ' ' || *s == '\t') ++s;
  return s;
}

void Trace(const char* line) {
  if (traceHook == nullptr) return;
  char text[cap::kSettingsLine + 16];
  std::snprintf(text, sizeof text, "%s <- no match", line);
  traceHook(text);
}

void SetRecordPath(char* value) {
  std::size_t length = std::strlen(value);
  while (length > 0 && (value[length - 1] == '\n' || value[length - 1] == '\r')) value[--length] = '\0';
  if (length > 0) Record_SetPath(value);
}

// The five flags sit at fixed offsets 0, 2, 4, 6 and 8 of the value.
void SetCustomLabels(const char* value) {
  const std::size_t length = std::strlen(value);
  for (std::size_t i = 0; i < SETTINGS_CUSTOM_LABELS; ++i) {
    const std::size_t at = i * 2;
    settings.customLabel[i] = at < length ? static_cast<std::uint8_t>(ReadNumber(value + at)) : 0;
  }
}

void ApplyValue(const Key& key, char* value) {
  switch (key.kind) {
    case VALUE_IGNORED:
      return;
    case VALUE_FLAG:
      settings.*key.flag = static_cast<std::uint8_t>(ReadNumber(value));
      return;
    case VALUE_OPTION:
      settings.*key.option = static_cast<std::uint16_t>(ReadNumber(value));
      return;
    case VALUE_U16:
      settings.cursor.*key.cursor = static_cast<std::uint16_t>(ReadNumber(value));
      return;
    case VALUE_PATH:
      SetRecordPath(value);
      return;
    case VALUE_CUSTOM:
      SetCustomLabels(value);
      return;
  }
}

void ApplyLine(char* line) {
  if (line[0] == '\n' || line[0] == '#') return;
  for (const Key& key : kKeys) {
    const std::size_t length = std::strlen(key.name);
    if (std::strncmp(line, key.name, length) != 0) continue;
    ApplyValue(key, const_cast<char*>(SkipBlanks(line + length)));
    return;
  }
  const std::size_t length = std::strlen(line);
  if (length > 0 && line[length - 1] == '\n') line[length - 1] = '\0';
  Trace(line);
}

// One line of at most 255 characters. A longer one is skipped whole (its
// tail must not pass for a line of its own); true while lines remain.
bool ReadLine(std::FILE* f, char* line, bool& overlong) {
  if (std::fgets(line, static_cast<int>(cap::kSettingsLine), f) == nullptr) return false;
  const std::size_t length = std::strlen(line);
  overlong = false;
  if (length < cap::kSettingsLine - 1 || line[length - 1] == '\n') return true;
  int c = std::fgetc(f);
  overlong = c != EOF && c != '\n';
  while (c != EOF && c != '\n') c = std::fgetc(f);
  return true;
}

// Whether the continuation file holds exactly these bytes.
bool Unchanged(const char* text, std::size_t size) {
  std::FILE* f = std::fopen(Settings_ContinuePath(), "rb");
  if (f == nullptr) return false;
  char old[2 * cap::kFileName + 2048];
  const std::size_t got = std::fread(old, 1, sizeof old, f);
  std::fclose(f);
  return got < sizeof old && got == size && std::memcmp(old, text, size) == 0;
}

bool WriteAll(std::FILE* f) {
  const Settings& s = settings;
  const SettingsCursor& c = s.cursor;
  std::fprintf(f, "#\n# task continuation\n#\n");
  std::fprintf(f, "ContinueVersion:        %d\n", SETTINGS_VERSION);
  std::fprintf(f, "\n#\n# OPTIONS\n#\n");
  std::fprintf(f, "# record file name\nRecordFile:             %s\n", Record_Path());
  std::fprintf(f, "# jump the cursor to 'today' on 'power on'\nPowerOnToday:           %d\n", s.powerOnToday);
  std::fprintf(f, "# start weeks from Monday in the calendar view\nWeekStartsFromMonday:   %d\n",
               s.weekStartsFromMonday);
  std::fprintf(f, "# start the time table from nine\nTimeTableStartsNine:    %d\n", s.timeTableStartsNine);
  std::fprintf(f, "# do not work on Saturday (^^)\nSaturdayIsHoliday:      %d\n", s.saturdayIsHoliday);
  std::fprintf(f, "# set the label for a new item 'Label1'\nLabel1Default:          %d\n", s.label1Default);
  std::fprintf(f, "# select items by 'PageUp' and 'PageDown' key\nSelectItemByPageUpDown: %d\n",
               s.selectItemByPageUpDown);
  std::fprintf(f, "# use large dialog\nUseLargeDialog:         %d\n", s.useLargeDialog);
  std::fprintf(f, "# (obsolete)\nSelectedFolder:         %s\n", "");
  std::fprintf(f, "# (obsolete)\nSelectedFile:           %s\n", "");
  std::fprintf(f, "# custom label flags\nCustomLabel:            %d %d %d %d %d\n", s.customLabel[0],
               s.customLabel[1], s.customLabel[2], s.customLabel[3], s.customLabel[4]);
  std::fprintf(f, "# window zoom: 1..8 times the screen (0: the window's default)\nWindowScale:            %d\n",
               s.windowScale);
  std::fprintf(f, "# tell of a schedule this many minutes before it starts (0: never)\n"
                  "ScheduleReminder:       %d\n", s.reminderMinutes);
  std::fprintf(f, "\n#\n# variables below holds the cursor position\n#\n");
  std::fprintf(f, "CurrentView:            %d\n", c.currentView);
  std::fprintf(f, "CurrentViewMonth:       %d\n", c.monthView);
  std::fprintf(f, "CurrentViewWeeks:       %d\n", c.weeksView);
  std::fprintf(f, "CurrentViewWeek:        %d\n", c.weekView);
  std::fprintf(f, "CurrentViewDay:         %d\n", c.dayView);
  std::fprintf(f, "CurrentViewList:        %d\n", c.listView);
  std::fprintf(f, "CurrentDate:            %d\n", c.cursorDate);
  std::fprintf(f, "CurrentHour:            %d\n", c.cursorHour);
  std::fprintf(f, "CurrentLabel:           %d\n", c.currentLabel);
  return std::fflush(f) == 0 && !std::ferror(f);
}

}  // namespace

const Settings& Settings_Get() { return settings; }
void Settings_Set(const Settings& s) { settings = s; }

const char* Settings_ContinuePath() { return "continue"; }
const char* Settings_LabelPath() { return "label"; }
const char* Settings_DefaultRecordPath() { return "record"; }

void Settings_SetTraceHook(SettingsTraceHook hook) { traceHook = hook; }

void Settings_ApplyDefaults() {
  Settings s{};
  SettingsToday& t = s.today;
  t.day = Date_Now(t.year, t.month, t.mday, t.hour, t.minute);
  for (std::uint8_t& flag : s.customLabel) flag = 1;
  s.cursor = SettingsCursor{4, 2, 5, 7, 8, 11, t.day, t.hour, 0, 4};
  settings = s;
  Record_SetPath(Settings_DefaultRecordPath());
  Data_SetImmediateSave(true);
}

bool Settings_Load() {
  Settings_ApplyDefaults();
  std::FILE* f = std::fopen(Settings_ContinuePath(), "r");
  if (f == nullptr) return false;
  char line[cap::kSettingsLine];
  bool overlong = false;
  while (ReadLine(f, line, overlong)) {
    if (!overlong) ApplyLine(line);
  }
  settings.cursor.previousView = kViewAfterRead;
  std::fclose(f);
  return true;
}

// Written beside the old file and renamed over it, so a failed write never
// leaves a half continuation file. Binary, so that the file is the same
// bytes (LF line ends) on every platform.
bool Settings_Save() {
  // Rendered first: a run that changed nothing leaves the file as it is and
  // spends no flush to disk on it.
  PlatformMemory memory;
  if (!Platform_MemoryOpen(memory)) return false;
  const bool rendered = WriteAll(memory.stream);
  const bool ok = Platform_MemoryClose(memory) && rendered;
  std::unique_ptr<char, decltype(&std::free)> owned(memory.text, &std::free);
  if (!ok) return false;
  const char* text = memory.text;
  const std::size_t size = memory.size;
  if (Unchanged(text, size)) return true;
  return Files_ReplaceWhole(Settings_ContinuePath(), nullptr,
                            [&](std::FILE* f) { return std::fwrite(text, 1, size, f) == size; });
}

void Settings_ApplyCustomLabels() {
  const Settings& s = Settings_Get();
  for (std::uint16_t n = 0; n < SETTINGS_CUSTOM_LABELS; ++n) {
    Store_SetLabelVisible(n, s.customLabel[n] != 0);
  }
}

void Settings_ApplyLabels() {
  const Settings& s = Settings_Get();
  if (s.cursor.currentLabel <= LABEL_USER_LAST) {
    Store_SelectLabel(s.cursor.currentLabel);
  } else {
    Settings_ApplyCustomLabels();
  }
  Store_SetSaturdayHoliday(s.saturdayIsHoliday != 0);
}
