#include "views/Screen.h"

#include <array>
#include <cstdio>

#include "calendar/Date.h"
#include "store/Label.h"
#include "text/ShiftJis.h"

nwObject titleBar{};
nwToolbar toolbar{};
nwObject mainArea{};

namespace {

// The browse screen's function-key bar.
struct Slot {
  const char* label;  // exactly 8 bytes; null: the slot is empty
  int command;
};
constexpr std::array<Slot, cap::kToolbarSlots> kBrowseSlots{{
    {" \x83\x77\x83\x8b\x83\x76 ", CMD_HELP},      // " ヘルプ " help
    {"  \x92\xc7\x89\xc1  ", CMD_ADD_SCHEDULE},    // "  追加  " add schedule
    {" \x83\x5e\x83\x58\x83\x4e ", CMD_ADD_TASK},  // " タスク " add task
    {nullptr, 0},
    {"   \x8d\xa1   ", CMD_NOW},                   // "   今   " now
    {"  \x95\x5c\x8e\xa6  ", CMD_CHANGE_SIZE},     // "  表示  " display size
    {" \x82\x52\x83\x96\x8c\x8e ", CMD_CALENDAR},  // " ３ヶ月 " calendar
    {" \x90\x94\x8f\x54\x8a\xd4 ", CMD_WEEKS},     // " 数週間 " several weeks
    {" \x82\x50\x8f\x54\x8a\xd4 ", CMD_WEEK},      // " １週間 " one week
    {"  \x82\x50\x93\xfa  ", CMD_DAY},             // "  １日  " one day
}};

// "%4d年%2d月%2d日(%s)"
constexpr const char* kDateFormat = "%4d\x94\x4e%2d\x8c\x8e%2d\x93\xfa(%s)";
// The same followed by the label's name.
constexpr const char* kDateLabelFormat = "%4d\x94\x4e%2d\x8c\x8e%2d\x93\xfa(%s) %8s";

}  // namespace

void Screen_SetTitle(const char* text) {
  constexpr int kPrefix = 7;  // "Velmo  "
  char line[TITLE_FORMAT_BYTES];
  std::snprintf(line, sizeof line, "Velmo  %.*s", TITLE_FORMAT_BYTES - 1 - kPrefix, text ? text : "");
  ShiftJis_Truncate(line, sizeof line);  // a cut line never ends on half a character
  nwEvent_SendTo(&titleBar, NW_SET_TEXT, 0, 0, line);
  nwEvent_PostTo(&titleBar, NW_REDRAW);
}

void Screen_FormatDateLine(char* out, std::size_t size) {
  std::uint16_t year = 0, month = 0, mday = 0;
  DayNo_ToDate(browse.cursorDate, year, month, mday);
  const char* weekday = WeekdayName[DayNo_Weekday(browse.cursorDate)];
  if (browse.currentLabel != 0) {
    std::snprintf(out, size, kDateLabelFormat, year, month, mday, weekday, Label_Name(browse.currentLabel));
  } else {
    std::snprintf(out, size, kDateFormat, year, month, mday, weekday);
  }
}

void Screen_DateLine() {
  char line[TITLE_FORMAT_BYTES];
  Screen_FormatDateLine(line, sizeof line);
  Screen_SetTitle(line);
}

void Screen_FillBrowseToolbar() {
  for (std::size_t i = 0; i < kBrowseSlots.size(); ++i) {
    const Slot& slot = kBrowseSlots[i];
    const int n = static_cast<int>(i);
    if (slot.label) {
      nwEvent_PostTo(&toolbar, NW_SET_TEXT, n, slot.command, const_cast<char*>(slot.label));
    } else {
      nwEvent_PostTo(&toolbar, NW_UNSET_TEXT, n);
    }
  }
}
