#include "views/TimeTable.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "files/Settings.h"
#include "graphics/ZebKey.h"
#include "store/MonthRec.h"
#include "text/ShiftJis.h"
#include "toolkit/nw.h"
#include "views/DayList.h"
#include "views/Screen.h"
#include "views/View.h"

namespace {

constexpr int kNineOClock = 9;
constexpr int kMinutesPerHour = 60;
constexpr int kBarTextInset = 2;
constexpr int kStripTextTop = 2;

constexpr TimeTableLayout kWeek{.left = 0, .top = 21, .labelWidth = 38, .headerHeight = 20,
                                .hoursWidth = 602, .hoursHeight = 119, .stripHeight = 62,
                                .columnWidth = 86, .rowHeight = 17, .columns = 7, .rows = 7,
                                .stripLines = 3, .font = ZEB_FONT_16, .textChars = 10};
constexpr TimeTableLayout kWeekList{.left = 0, .top = 21, .labelWidth = 32, .headerHeight = 15,
                                    .hoursWidth = 441, .hoursHeight = 130, .stripHeight = 56,
                                    .columnWidth = 63, .rowHeight = 13, .columns = 7, .rows = 10,
                                    .stripLines = 4, .font = ZEB_FONT_12, .textChars = 10};
constexpr TimeTableLayout kDay{.left = 1, .top = 22, .labelWidth = 32, .headerHeight = 0,
                               .hoursWidth = 163, .hoursHeight = 198, .stripHeight = 0,
                               .columnWidth = 163, .rowHeight = 18, .columns = 1, .rows = 11,
                               .stripLines = 0, .font = ZEB_FONT_16, .textChars = 20};

constexpr ZebRect kViewArea{0, SCREEN_VIEWS_TOP, SCREEN_RECT.w, TIME_TABLE_AREA_BOTTOM - SCREEN_VIEWS_TOP + 1};

TimeTableLayout layout = kWeek;
TimeTableState state{};

int ColumnLeft(int column) { return TimeTable_DayLeft() + layout.columnWidth * column; }

// First column of the week holding `day`.
int WeekColumn(DayNo day) {
  const int weekday = day % 7;
  return Settings_Get().weekStartsFromMonday != 0 ? (weekday + 6) % 7 : weekday;
}

// The day's month record and day of month; the reference is used at once.
const MonthRec& MonthOf(DayNo day, std::uint16_t& mday) {
  MonthNo month = 0;
  DayNo_ToMonthNo(day, month, mday);
  return MonthRec_GetByMonthNo(month);
}

// The bottom strip's height inside the view area.
int StripHeight() {
  const int room = TIME_TABLE_AREA_BOTTOM + 1 - TimeTable_StripTop();
  return layout.stripHeight < room ? layout.stripHeight : room;
}

void DrawBar(int column, const Entry& e) {
  TimeTableBar bar{};
  const int start = e.startHour * kMinutesPerHour + e.startMinute;
  const int end = e.endHour * kMinutesPerHour + e.endMinute;
  if (!TimeTable_BarRows(start, end, bar)) return;
  const int x0 = ColumnLeft(column) + 1;
  const int x1 = ColumnLeft(column) + layout.columnWidth - 1;
  // A start or end on the window's lower edge lies on the row below the hours
  // (the strip's top line); in the one-day view that row is the function-key
  // bar, so the bar closes on the row above. A start there gives a bar from
  // that row up to the hours' last row (top below bottom).
  const int y0 = std::min(TimeTable_RowsTop() + bar.top, TIME_TABLE_AREA_BOTTOM);
  const int y1 = std::min(TimeTable_RowsTop() + bar.bottom, TIME_TABLE_AREA_BOTTOM);
  ZebRect box{};
  ZebRect_SetCorners(box, x0, std::min(y0, y1), x1, std::max(y0, y1));
  View_Fill(box, ZEB_LIGHT_GREY);
  View_Line(x0, box.y, x0, box.y + box.h - 1, ZEB_BLACK);
  View_Line(x1, box.y, x1, box.y + box.h - 1, ZEB_BLACK);
  if (bar.endVisible) View_Line(x0, y1, x1, y1, ZEB_BLACK);
  if (bar.startVisible) View_Line(x0, y0, x1, y0, ZEB_BLACK);
  if (bar.startVisible && layout.hoursHeight - bar.top > Zeb_CharHeight(layout.font)) {
    View_Text(x0 + kBarTextInset, y0 + 1, e.text, ShiftJis_Fit(e.text, e.textLen, layout.textChars), ZEB_BLACK);
  }
}

bool HasEndTime(const Entry& e) { return e.endHour != 0 || e.endMinute != 0; }

void DrawLabelsAndHours() {
  TimeTable_DrawLabels();
  for (int c = 0; c < layout.columns; ++c) TimeTable_DrawHours(c);
}

// Row steps of the last selected hour; the window scrolls at its edges.
void RowDown() {
  if (state.firstHour + layout.rows < TIME_TABLE_HOURS && state.cursorRow == layout.rows - 1) {
    state.firstHour++;
    DrawLabelsAndHours();
  } else if (state.cursorRow < layout.rows - 1) {
    state.cursorRow++;
  }
}

void RowUp() {
  if (state.firstHour > 0 && state.cursorRow == 0) {
    state.firstHour--;
    DrawLabelsAndHours();
  } else if (state.cursorRow > 0) {
    state.cursorRow--;
  }
}

int LastHour() { return browse.cursorHour + browse.hourSpan - 1; }

void Up() {
  TimeTable_Collapse();
  if (browse.cursorHour > 0) {
    BrowseState_SetCursorHour(browse.cursorHour - 1);
    RowUp();
  }
}

void Down() {
  TimeTable_Collapse();
  if (browse.cursorHour < TIME_TABLE_HOURS - 1) {
    BrowseState_SetCursorHour(browse.cursorHour + 1);
    RowDown();
  }
}

void Shrink() {
  if (browse.hourSpan >= 2) {
    BrowseState_SetHourSpan(browse.hourSpan - 1);
    RowUp();
  } else if (browse.cursorHour > 0) {
    BrowseState_SetCursorHour(browse.cursorHour - 1);
    RowUp();
  }
}

void Extend() {
  if (browse.cursorHour + browse.hourSpan < TIME_TABLE_HOURS) {
    BrowseState_SetHourSpan(browse.hourSpan + 1);
    RowDown();
  }
}

}  // namespace

const TimeTableLayout* TimeTable_Layout(std::uint16_t view) {
  switch (view) {
    case VIEW_WEEK: return &kWeek;
    case VIEW_WEEK_LIST: return &kWeekList;
    case VIEW_DAY: return &kDay;
    default: return nullptr;
  }
}

void TimeTable_Begin(std::uint16_t view) {
  const TimeTableLayout* chosen = TimeTable_Layout(view);
  layout = chosen != nullptr ? *chosen : kWeek;
  if (Settings_Get().timeTableStartsNine != 0) BrowseState_SetCursorHour(kNineOClock);
  // View 6 gets an empty list record, which also leaves the panel inactive.
  const ViewDayList list = DayList_Setup(view);
  View_BeginCellState(VIEW_SEL_HOUR, &list);
  TimeTable_Anchor();
}

void TimeTable_Anchor() {
  View_SetCursorDate(browse.cursorDate);
  // A continuation file can hold any hour.
  if (browse.cursorHour >= TIME_TABLE_HOURS) BrowseState_SetCursorHour(TIME_TABLE_HOURS - 1);
  TimeTable_AnchorDay();
  if (browse.cursorHour + layout.rows <= TIME_TABLE_HOURS) {
    state.firstHour = browse.cursorHour;
    state.cursorRow = 0;
  } else {
    state.firstHour = TIME_TABLE_HOURS - layout.rows;
    state.cursorRow = browse.cursorHour - state.firstHour;
  }
  BrowseState_SetHourSpan(1);
}

void TimeTable_AnchorDay() {
  state.cursorColumn = layout.columns == 1 ? 0 : WeekColumn(browse.cursorDate);
  state.firstDay = static_cast<DayNo>(browse.cursorDate - state.cursorColumn);
}

const TimeTableState& TimeTable_State() { return state; }
int TimeTable_RowsTop() { return layout.top + layout.headerHeight; }
int TimeTable_DayLeft() { return layout.left + layout.labelWidth; }
int TimeTable_StripTop() { return TimeTable_RowsTop() + layout.hoursHeight; }

void TimeTable_ClearArea() { View_Fill(kViewArea, ZEB_LIGHT_GREY); }

void TimeTable_DrawLabels() {
  View_Fill(ZebRect{layout.left, TimeTable_RowsTop(), layout.labelWidth, layout.hoursHeight}, ZEB_LIGHT_GREY);
  Zeb_SetFont(nwContext, ZEB_FONT_12);
  for (int i = 0; i < layout.rows; ++i) {
    char label[8];
    std::snprintf(label, sizeof label, "%2d:00", (state.firstHour + i) % TIME_TABLE_HOURS);
    View_Text(layout.left + 1, TimeTable_RowsTop() + layout.rowHeight * i, label,
              static_cast<int>(std::strlen(label)), ZEB_BLACK);
  }
}

void TimeTable_DrawHeader() {
  if (layout.headerHeight == 0) return;
  View_Fill(ZebRect{TimeTable_DayLeft(), layout.top, layout.hoursWidth, layout.headerHeight}, ZEB_LIGHT_GREY);
  Zeb_SetFont(nwContext, layout.font);
  const bool monday = Settings_Get().weekStartsFromMonday != 0;
  for (int i = 0; i < layout.columns; ++i) {
    const int x = ColumnLeft(i);
    View_Line(x, layout.top, x, layout.top + layout.headerHeight - 1, ZEB_BLACK);
    Zeb_DrawEdge(nwContext, ZebRect{x + 1, layout.top, layout.columnWidth - 1, layout.headerHeight});
    char text[16];
    const int weekday = monday ? (i + 1) % 7 : i;
    std::snprintf(text, sizeof text, "%2d  %s", DayNo_Mday(static_cast<DayNo>(state.firstDay + i)),
                  WeekdayName[weekday]);
    const int length = static_cast<int>(std::strlen(text));
    View_Text(x + (layout.columnWidth - length * Zeb_CharWidth(layout.font)) / 2, layout.top + 1, text, length,
              ZEB_BLACK);
  }
}

void TimeTable_DrawHours(int column) {
  const int x = ColumnLeft(column);
  const int top = TimeTable_RowsTop();
  View_Fill(ZebRect{x, top, layout.columnWidth, layout.hoursHeight}, ZEB_WHITE);
  View_Line(x, top, x, top + layout.hoursHeight - 1, ZEB_DARK_GREY);
  for (int i = 0; i < layout.rows; ++i) {
    View_Line(x, top + layout.rowHeight * i, x + layout.columnWidth - 1, top + layout.rowHeight * i, ZEB_DARK_GREY);
  }
  Zeb_SetFont(nwContext, layout.font);
  std::uint16_t mday = 0;
  const MonthRec& rec = MonthOf(static_cast<DayNo>(state.firstDay + column), mday);
  for (int k = 0; k < rec.count[mday]; ++k) {
    const Entry& e = *rec.list[mday][k];
    if (e.kind == KIND_SCHEDULE && HasEndTime(e)) DrawBar(column, e);
  }
}

void TimeTable_DrawStrip(int column) {
  if (layout.stripHeight == 0) return;
  const int x = ColumnLeft(column);
  const int top = TimeTable_StripTop();
  std::uint16_t mday = 0;
  const MonthRec& rec = MonthOf(static_cast<DayNo>(state.firstDay + column), mday);
  View_Fill(ZebRect{x, top, layout.columnWidth, StripHeight()}, rec.holiday[mday] != 0 ? ZEB_LIGHT_GREY : ZEB_WHITE);
  View_Line(x, top, x, top + StripHeight() - 1, ZEB_DARK_GREY);
  View_Line(x, top, x + layout.columnWidth - 1, top, ZEB_BLACK);
  Zeb_SetFont(nwContext, layout.font);
  const int shown = rec.count[mday] < layout.stripLines ? rec.count[mday] : layout.stripLines;
  int line = 0;
  for (int k = 0; k < shown; ++k) {
    const Entry& e = *rec.list[mday][k];
    if (e.kind == KIND_TASK) break;
    const bool untimed = e.kind == KIND_SCHEDULE && !HasEndTime(e);
    if (e.kind != KIND_HOLIDAY && !untimed) continue;
    View_Text(x + kBarTextInset, top + kStripTextTop + line * (Zeb_CharHeight(layout.font) + 1), e.text,
              ShiftJis_Fit(e.text, e.textLen, layout.textChars), ZEB_BLACK);
    ++line;
  }
}

void TimeTable_DrawColumns() {
  TimeTable_DrawHeader();
  for (int c = 0; c < layout.columns; ++c) {
    TimeTable_DrawHours(c);
    TimeTable_DrawStrip(c);
  }
}

ZebRect TimeTable_CursorRect() {
  const int first = state.cursorRow + 1 - browse.hourSpan > 0 ? state.cursorRow + 1 - browse.hourSpan : 0;
  ZebRect rect{};
  ZebRect_SetCorners(rect, ColumnLeft(state.cursorColumn), TimeTable_RowsTop() + layout.rowHeight * first,
                     ColumnLeft(state.cursorColumn) + layout.columnWidth - 1,
                     TimeTable_RowsTop() + layout.rowHeight * (state.cursorRow + 1) - 1);
  return rect;
}

void TimeTable_InvertCursor() { Zeb_InvertBox(nwContext, TimeTable_CursorRect()); }

bool TimeTable_HourKey(int key) {
  void (*step)() = nullptr;
  switch (key) {
    case KEY_UP:
    case VIEW_KEY_UP: step = Up; break;
    case KEY_DOWN:
    case VIEW_KEY_DOWN: step = Down; break;
    case VIEW_KEY_HOURS_SHRINK: step = Shrink; break;
    case VIEW_KEY_HOURS_EXTEND: step = Extend; break;
    default: return false;
  }
  TimeTable_InvertCursor();
  step();
  TimeTable_InvertCursor();
  TimeTable_EndItemSelection();
  return true;
}

void TimeTable_Collapse() {
  BrowseState_SetCursorHour(static_cast<std::uint16_t>(LastHour()));
  BrowseState_SetHourSpan(1);
}

void TimeTable_EndItemSelection() {
  if (browse.selectionState != VIEW_SEL_ITEM) return;
  DayList_DrawHighlight();
  View_EndItemSelection();
}

bool TimeTable_BarRows(int startMinutes, int endMinutes, TimeTableBar& bar) {
  const int window = state.firstHour * kMinutesPerHour;
  const int h = layout.hoursHeight;
  int top = (startMinutes - window) * layout.rowHeight / kMinutesPerHour;
  int bottom = (endMinutes - window) * layout.rowHeight / kMinutesPerHour;
  if (bottom < top) return false;  // end before start: only a damaged file has it
  bar.startVisible = top >= 0 && top <= h;
  bar.endVisible = bottom >= 0 && bottom <= h;
  const bool crosses = top < 0 && bottom > h;
  if (!bar.startVisible && !bar.endVisible && !crosses) return false;
  if (!bar.startVisible) top = 0;
  if (!bar.endVisible) bottom = h - 1;
  bar.top = top;
  bar.bottom = bottom;
  return true;
}
