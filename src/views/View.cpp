#include "views/View.h"

#include "calendar/Date.h"
#include "graphics/Zeb.h"
#include "store/MonthRec.h"
#include "toolkit/nw.h"
#include "views/Command.h"
#include "views/DayTable.h"
#include "views/Screen.h"
#include "views/ThreeMonths.h"
#include "views/WeekTable.h"
#include "views/Weeks.h"

namespace {

constexpr int kStatusTicks = 2;  // ticks between the last move and the refresh

constexpr ViewOps kThreeMonthsOps{ThreeMonths_Create, ThreeMonths_Destroy, ThreeMonths_Redraw,
                                  ThreeMonths_Tick,   ThreeMonths_Key,     ThreeMonths_Command};

constexpr ViewRow kRows[] = {
    {.view = VIEW_THREE_MONTHS, .ops = &kThreeMonthsOps, .onReturn = VIEW_GO_BACK, .onReverse = VIEW_GO_BACK},
    {.view = VIEW_FIVE_WEEKS, .ops = &WEEKS_VIEW_OPS, .nextSize = VIEW_THREE_WEEKS,
     .remembered = &BrowseState::weeksView, .onReturn = CMD_WEEK, .onReverse = CMD_DAY},
    {.view = VIEW_THREE_WEEKS, .ops = &WEEKS_VIEW_OPS, .nextSize = VIEW_TWO_WEEKS,
     .remembered = &BrowseState::weeksView, .onReturn = CMD_WEEK, .onReverse = CMD_DAY, .list = true},
    {.view = VIEW_TWO_WEEKS, .ops = &WEEKS_VIEW_OPS, .nextSize = VIEW_FIVE_WEEKS,
     .remembered = &BrowseState::weeksView, .onReturn = CMD_WEEK, .onReverse = CMD_DAY},
    {.view = VIEW_WEEK, .ops = &WEEK_TABLE_OPS, .nextSize = VIEW_WEEK_LIST,
     .remembered = &BrowseState::weekView, .onReturn = CMD_DAY, .onReverse = CMD_WEEKS, .timeTable = true},
    {.view = VIEW_WEEK_LIST, .ops = &WEEK_TABLE_OPS, .nextSize = VIEW_WEEK,
     .remembered = &BrowseState::weekView, .onReturn = CMD_DAY, .onReverse = CMD_WEEKS, .timeTable = true,
     .list = true},
    {.view = VIEW_DAY, .ops = &DAY_TABLE_OPS, .onReturn = CMD_WEEKS, .onReverse = CMD_WEEK, .timeTable = true,
     .list = true},
};

// The area a view owns below the title line (the destroy erases it).
constexpr ZebRect kViewArea{0, SCREEN_VIEWS_TOP, SCREEN_RECT.w, SCREEN_VIEW_AREA.h};

ViewDayList dayList{};
int cellState = VIEW_SEL_DAY;

const ViewOps* Current() { return View_Ops(browse.currentView); }

const ViewRow* CurrentRow() { return View_Row(browse.currentView); }

bool HasDayList() { return dayList.redraw != nullptr && dayList.visibleRows > 0; }

void InvertRow() {
  const int y = dayList.y + dayList.rowHeight * (dayList.index - dayList.top);
  const ZebRect row = View_ClipToArea(ZebRect{dayList.x, y, dayList.width, dayList.rowHeight});
  if (row.h > 0) Zeb_InvertBox(nwContext, row);
}

void SelectPrevious(int count) {
  if (count > dayList.visibleRows && dayList.top > 0 && dayList.index == dayList.top) {
    dayList.top = dayList.index - 1;
    dayList.index = dayList.top;
    dayList.redraw();
    return;
  }
  if (dayList.index > 0) dayList.index--;
}

void SelectNext(int count) {
  if (count > dayList.visibleRows && dayList.top < count - dayList.visibleRows &&
      dayList.index - dayList.top == dayList.visibleRows - 1) {
    dayList.top++;
    dayList.index++;
    dayList.redraw();
    return;
  }
  if (dayList.index < count - 1) dayList.index++;
}

void ResetDayList() {
  dayList.index = 0;
  dayList.top = 0;
}

// The commands act on dayList.index counted from dayList.top: the rows on
// screen must start there too, or a highlight lands on another entry.
bool ListOutOfLine() {
  return dayList.shownDay != browse.cursorDate || dayList.shownTop != dayList.top;
}

}  // namespace

// --- shell side -------------------------------------------------------------

ZebRect View_ClipToArea(ZebRect rect) {
  if (rect.y + rect.h > VIEW_AREA_END) rect.h = VIEW_AREA_END - rect.y;
  if (rect.h < 0) rect.h = 0;
  return rect;
}

void View_Fill(const ZebRect& rect, int grey) {
  const ZebRect clipped = View_ClipToArea(rect);
  if (clipped.h <= 0) return;
  Zeb_SetColor(nwContext, grey);
  Zeb_FillBox(nwContext, clipped);
}

void View_Line(int x1, int y1, int x2, int y2, int grey) {
  const int last = VIEW_AREA_END - 1;
  if (y1 > last && y2 > last) return;
  Zeb_SetColor(nwContext, grey);
  Zeb_DrawLine(nwContext, x1, y1 < last ? y1 : last, x2, y2 < last ? y2 : last);
}

void View_Text(int x, int y, const char* text, int count, int grey) {
  if (count <= 0) return;
  Zeb_SetColor(nwContext, grey);
  Zeb_DrawTextClipped(nwContext, x, y, text, count, 0, 0, zebScreenWidth, VIEW_AREA_END);
}

bool View_CreateCurrent() {
  BrowseState_SetStatusDelay(0);
  // Continuation files can hold any date; the cursor starts inside the
  // bounds even when no view is shown, since the item commands use it.
  View_SetCursorDate(browse.cursorDate);
  const ViewOps* ops = Current();
  if (ops == nullptr) return true;
  return ops->create();
}

void View_DestroyCurrent() {
  if (const ViewOps* ops = Current()) ops->destroy();
  dayList = ViewDayList{};
  Zeb_SetColor(nwContext, ZEB_LIGHT_GREY);
  Zeb_FillBox(nwContext, kViewArea);
  Zeb_SetColor(nwContext, ZEB_BLACK);
}

void View_RedrawAll() {
  Screen_DateLine();
  if (const ViewOps* ops = Current()) ops->redraw();
}

void View_StatusTick() {
  if (browse.statusDelay == 0) return;
  BrowseState_SetStatusDelay(browse.statusDelay - 1);
  if (browse.statusDelay > 0) return;
  if (browse.screenMode != MODE_BROWSE) return;
  Screen_DateLine();
  if (const ViewOps* ops = Current()) ops->tick();
}

void View_ArmStatusRefresh() { BrowseState_SetStatusDelay(kStatusTicks); }

bool View_SwitchTo(std::uint16_t view) {
  if (browse.currentView == view) return true;
  View_DestroyCurrent();
  BrowseState_SetPreviousView(browse.currentView);
  BrowseState_SetView(view);
  const bool created = View_CreateCurrent();
  View_RedrawAll();
  return created;
}

void View_GoBack() {
  View_DestroyCurrent();
  BrowseState_SetView(browse.previousView);
  BrowseState_SetPreviousView(VIEW_THREE_MONTHS);
  View_CreateCurrent();
  View_RedrawAll();
}

bool View_ChangeSize() {
  const ViewRow* row = CurrentRow();
  if (row == nullptr || row->nextSize == 0) return false;
  const std::uint16_t next = row->nextSize;
  View_DestroyCurrent();
  BrowseState_SetView(next);
  BrowseState_RememberView(row->remembered, next);
  BrowseState_SetPreviousView(next);
  View_CreateCurrent();
  View_RedrawAll();
  return true;
}

int View_SelectedIndex() { return dayList.index; }

bool View_IsTimeTable() { return CurrentRow() != nullptr && CurrentRow()->timeTable; }

bool View_HasList() { return CurrentRow() != nullptr && CurrentRow()->list; }

void View_RefreshAfterEdit() {
  const int count = View_DayCount(browse.cursorDate);
  if (count == 0) {
    ResetDayList();
    BrowseState_SetSelection(cellState);
    return;
  }
  if (dayList.index > count - 1) dayList.index = count - 1;
  if (dayList.index < 0) dayList.index = 0;
  dayList.top = dayList.index + 1 > dayList.visibleRows ? dayList.index - dayList.visibleRows + 1 : 0;
}

bool View_Key(int key, int modifiers) {
  const ViewOps* ops = Current();
  return ops != nullptr && ops->key(key, modifiers);
}

bool View_Command(int command) {
  const ViewOps* ops = Current();
  return ops != nullptr && ops->command(command);
}

// --- view side --------------------------------------------------------------

const ViewRow* View_Row(std::uint16_t view) {
  for (const ViewRow& row : kRows) {
    if (row.view == view) return &row;
  }
  return nullptr;
}

const ViewOps* View_Ops(std::uint16_t view) {
  const ViewRow* row = View_Row(view);
  return row != nullptr ? row->ops : nullptr;
}

std::uint16_t View_ClampDay(std::int32_t day) {
  if (day < VIEW_FIRST_DAY) return VIEW_FIRST_DAY;
  if (day > VIEW_LAST_DAY) return VIEW_LAST_DAY;
  return static_cast<std::uint16_t>(day);
}

void View_SetCursorDate(std::int32_t day) { BrowseState_SetCursorDate(View_ClampDay(day)); }

void View_MoveCursor(std::int32_t day) {
  View_SetCursorDate(day);
  View_EndItemSelection();
}

void View_BeginCellState(int state, const ViewDayList* list) {
  cellState = state;
  BrowseState_SetSelection(state);
  dayList = list != nullptr ? *list : ViewDayList{};
  ResetDayList();
}

ViewDayList& View_DayList() { return dayList; }

int View_DayCount(std::uint16_t day) {
  MonthNo month = 0;
  std::uint16_t mday = 0;
  DayNo_ToMonthNo(day, month, mday);
  if (day == DAY_NONE || month > MONTH_LAST || mday < 1 || mday > 31) return 0;
  return MonthRec_GetByMonthNo(month).count[mday];
}

bool View_SelectItemKey(int key) {
  if (!HasDayList()) return false;
  const int count = View_DayCount(browse.cursorDate);
  if (count == 0) return true;
  if (browse.selectionState != VIEW_SEL_ITEM) {
    if (dayList.index > count - 1) ResetDayList();
    // The list catches up with a cursor move only some ticks later, and a
    // reset leaves it scrolled; the row highlighted must be the one selected.
    if (ListOutOfLine()) dayList.redraw();
    InvertRow();
    BrowseState_SetSelection(VIEW_SEL_ITEM);
    return true;
  }
  InvertRow();
  if (key == VIEW_KEY_PREV_ITEM) {
    SelectPrevious(count);
  } else {
    SelectNext(count);
  }
  InvertRow();
  return true;
}

void View_EndItemSelection() {
  if (browse.selectionState != VIEW_SEL_ITEM) return;
  ResetDayList();
  BrowseState_SetSelection(cellState);
  // A list scrolled for the selection scrolls back with it (rows and marks);
  // another day's rows wait for the view's own refresh.
  if (HasDayList() && dayList.shownDay == browse.cursorDate && dayList.shownTop != 0) dayList.redraw();
}
