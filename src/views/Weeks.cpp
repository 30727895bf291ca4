#include "views/Weeks.h"

#include <cstdio>
#include <cstring>

#include "files/Settings.h"
#include "graphics/ZebKey.h"
#include "store/MonthRec.h"
#include "text/ShiftJis.h"
#include "toolkit/nw.h"
#include "views/DayList.h"
#include "views/Screen.h"
#include "views/TimeTable.h"
#include "views/View.h"

namespace {

constexpr int kColumns = 7;
constexpr int kListSeparatorX = 448;
constexpr int kMonthEndDays = 7;  // the last seven days close the month's step
constexpr const char* kMoreMark = "\x81\xab";  // ↓

constexpr WeeksLayout kFiveWeeks{.left = 0, .top = 21, .width = 637, .headerHeight = 16, .gridHeight = 185,
                                  .cellWidth = 91, .cellHeight = 37, .rows = 5, .linesPerCell = 3,
                                  .font = ZEB_FONT_8, .charsPerLine = 18, .dayList = false};
constexpr WeeksLayout kThreeWeeks{.left = 0, .top = 21, .width = 448, .headerHeight = 15, .gridHeight = 186,
                                   .cellWidth = 64, .cellHeight = 62, .rows = 3, .linesPerCell = 4,
                                   .font = ZEB_FONT_12, .charsPerLine = 10, .dayList = true};
constexpr WeeksLayout kTwoWeeks{.left = 0, .top = 21, .width = 637, .headerHeight = 19, .gridHeight = 182,
                                 .cellWidth = 91, .cellHeight = 91, .rows = 2, .linesPerCell = 4,
                                 .font = ZEB_FONT_16, .charsPerLine = 10, .dayList = false};

WeeksLayout layout = kTwoWeeks;
WeeksState state{};

int GridTop() { return layout.top + layout.headerHeight; }
int CharWidth() { return Zeb_CharWidth(layout.font); }
int CharHeight() { return Zeb_CharHeight(layout.font); }
int TextMargin() { return (layout.cellWidth - CharWidth() * layout.charsPerLine) / 2 + 1; }
int LinePitch() { return (layout.cellHeight - (CharHeight() + 1)) / layout.linesPerCell; }
bool MondayFirst() { return Settings_Get().weekStartsFromMonday != 0; }

void InvertCursor() {
  const ZebRect cell = View_ClipToArea(Weeks_CellRect(state.column, state.row));
  if (cell.h > 0) Zeb_InvertBox(nwContext, cell);
}

void Anchor() {
  const int weekday = browse.cursorDate % 7;
  state.column = MondayFirst() ? (weekday + 6) % 7 : weekday;
  state.firstDay = static_cast<DayNo>(browse.cursorDate - state.column);
  state.row = 0;
}

void DrawHeader() {
  const bool wide = layout.font == ZEB_FONT_16;
  const int cw = wide ? 8 : 6;
  Zeb_SetFont(nwContext, wide ? ZEB_FONT_16 : ZEB_FONT_12);
  for (int i = 0; i < kColumns; ++i) {
    const int x = layout.left + layout.cellWidth * i;
    View_Line(x, layout.top, x, layout.top + layout.headerHeight - 1, ZEB_BLACK);
    const ZebRect rest{x + 1, layout.top, layout.cellWidth - 1, layout.headerHeight};
    View_Fill(rest, ZEB_LIGHT_GREY);
    Zeb_DrawEdge(nwContext, rest);
    const int weekday = MondayFirst() ? (i + 1) % 7 : i;
    View_Text(x + (layout.cellWidth - 2 * cw) / 2, layout.top + 1, WeekdayName[weekday], 2, ZEB_BLACK);
  }
}

void DrawBorders(const ZebRect& cell, int mday, int monthDays) {
  const int x0 = cell.x, y0 = cell.y;
  const int x1 = cell.x + cell.w - 1, y1 = cell.y + cell.h - 1;
  if (mday == 1) {
    View_Line(x0, y0, x0, y1, ZEB_BLACK);
    View_Line(x0 + 1, y0, x0 + 1, y1, ZEB_LIGHT_GREY);
    View_Line(x0, y1, x1, y1, ZEB_DARK_GREY);
  } else if (mday > monthDays - kMonthEndDays) {
    View_Line(x0, y0, x0, y1, ZEB_DARK_GREY);
    View_Line(x0, y1 - 1, x1, y1 - 1, ZEB_LIGHT_GREY);
    View_Line(x0, y1, x1, y1, ZEB_BLACK);
  } else {
    View_Line(x0, y0, x0, y1, ZEB_DARK_GREY);
    View_Line(x0, y1, x1, y1, ZEB_DARK_GREY);
  }
}

void DrawDateLabel(const ZebRect& cell, DayNo day, int month, int mday) {
  char label[16];
  if (mday == 1) {
    std::snprintf(label, sizeof label, "%2d/%2d", month, mday);
  } else {
    std::snprintf(label, sizeof label, "%2d", mday);
  }
  const int n = static_cast<int>(std::strlen(label));
  const int x0 = cell.x, y0 = cell.y;
  const int boxRight = x0 + CharWidth() * n + 2;
  const int boxBottom = y0 + CharHeight();
  int grey = ZEB_BLACK;
  if (day == browse.today) {
    View_Fill(ZebRect{x0 + 1, y0, boxRight - x0, boxBottom - y0 + 1}, ZEB_BLACK);
    grey = ZEB_WHITE;
  } else {
    View_Line(boxRight, y0, boxRight, boxBottom, ZEB_DARK_GREY);
    View_Line(x0 + 1, boxBottom, boxRight, boxBottom, ZEB_DARK_GREY);
  }
  View_Text(x0 + 1, y0, label, n, grey);
}

void DrawEntries(const ZebRect& cell, const MonthRec& rec, int mday) {
  const int count = rec.count[mday];
  Entry* const* list = rec.list[mday];
  const int x = cell.x + TextMargin();
  const int y = cell.y + CharHeight() + 1;
  int i = 0;
  for (; i < layout.linesPerCell && i < count && list[i]->kind != KIND_TASK; ++i) {
    const Entry& e = *list[i];
    View_Text(x, y + i * LinePitch(), e.text, ShiftJis_Fit(e.text, e.textLen, layout.charsPerLine), ZEB_BLACK);
  }
  if (count > layout.linesPerCell && list[layout.linesPerCell]->kind != KIND_TASK) {
    View_Text(cell.x + cell.w - 2 * CharWidth() - 1, cell.y, kMoreMark, 2, ZEB_BLACK);
  }
}

void DrawCell(int column, int row) {
  const DayNo day = static_cast<DayNo>(state.firstDay + column + kColumns * row);
  MonthNo monthNo = 0;
  std::uint16_t mday = 0;
  DayNo_ToMonthNo(day, monthNo, mday);
  const MonthRec& rec = MonthRec_GetByMonthNo(monthNo);
  const ZebRect cell = Weeks_CellRect(column, row);
  Zeb_SetFont(nwContext, layout.font);
  View_Fill(cell, rec.holiday[mday] != 0 ? ZEB_LIGHT_GREY : ZEB_WHITE);
  DrawBorders(cell, mday, rec.days);
  DrawDateLabel(cell, day, monthNo % 12 + 1, mday);
  DrawEntries(cell, rec, mday);
}

void DrawRow(int row) {
  for (int c = 0; c < kColumns; ++c) DrawCell(c, row);
}

void DrawCells() {
  for (int r = 0; r < layout.rows; ++r) DrawRow(r);
  Zeb_SetColor(nwContext, ZEB_BLACK);
}

// Moves the shown rows one week. Going up, only rows wholly above the
// function-key bar are copied (the last row's bottom was never drawn); the
// rows after them are drawn afresh.
void ScrollRows(int weeks) {
  const int pitch = layout.cellHeight;
  state.firstDay = static_cast<DayNo>(state.firstDay + kColumns * weeks);
  if (weeks < 0) {
    const ZebRect target = View_ClipToArea(
        ZebRect{layout.left, GridTop() + pitch, layout.width, pitch * (layout.rows - 1)});
    if (target.h > 0) {
      Zeb_ScrollBox(nwContext, ZebRect{target.x, target.y - pitch, target.w, target.h}, 0, pitch);
    }
    DrawRow(0);
    return;
  }
  const int whole = (VIEW_AREA_END - GridTop()) / pitch;
  const int copied = (whole < layout.rows ? whole : layout.rows) - 1;
  if (copied > 0) {
    Zeb_ScrollBox(nwContext, ZebRect{layout.left, GridTop() + pitch, layout.width, pitch * copied},
                  0, -pitch);
  }
  for (int r = copied > 0 ? copied : 0; r < layout.rows; ++r) DrawRow(r);
}

// The list keeps its rows until the tick; only the highlight goes at once.
void LeaveItemSelection() {
  if (layout.dayList) DayList_DrawHighlight();
}

void AfterMove() {
  InvertCursor();
  View_ArmStatusRefresh();
}

// A step of `days` (±1 or ±7) inside the grid, scrolling one week at its ends.
void Step(int days) {
  const std::int32_t target = browse.cursorDate + days;
  if (View_ClampDay(target) != target) return;
  InvertCursor();
  LeaveItemSelection();
  View_MoveCursor(target);
  int index = state.row * kColumns + state.column + days;
  if (index < 0) {
    ScrollRows(-1);
    index += kColumns;
  } else if (index >= layout.rows * kColumns) {
    ScrollRows(1);
    index -= kColumns;
  }
  state.row = index / kColumns;
  state.column = index % kColumns;
  AfterMove();
}

void Page(int direction) {
  const int days = kColumns * layout.rows * direction;
  const std::int32_t target = browse.cursorDate + days;
  InvertCursor();
  LeaveItemSelection();
  View_MoveCursor(target);
  if (browse.cursorDate == target) {
    state.firstDay = static_cast<DayNo>(state.firstDay + days);
  } else {
    Anchor();  // stopped at the cursor bounds
  }
  DrawCells();
  AfterMove();
}

}  // namespace

const WeeksLayout* Weeks_Layout(std::uint16_t view) {
  switch (view) {
    case VIEW_FIVE_WEEKS: return &kFiveWeeks;
    case VIEW_THREE_WEEKS: return &kThreeWeeks;
    case VIEW_TWO_WEEKS: return &kTwoWeeks;
    default: return nullptr;
  }
}

const WeeksState& Weeks_State() { return state; }

ZebRect Weeks_CellRect(int column, int row) {
  return ZebRect{layout.left + layout.cellWidth * column, GridTop() + layout.cellHeight * row,
                 layout.cellWidth, layout.cellHeight};
}

bool Weeks_Create() {
  const WeeksLayout* chosen = Weeks_Layout(browse.currentView);
  layout = chosen != nullptr ? *chosen : kTwoWeeks;
  View_SetCursorDate(browse.cursorDate);
  Anchor();
  const ViewDayList list = DayList_Setup(layout.dayList ? browse.currentView : 0);
  View_BeginCellState(VIEW_SEL_DAY, &list);
  return true;
}

void Weeks_Destroy() {}

void Weeks_Redraw() {
  DrawHeader();
  DrawCells();
  if (layout.dayList) {
    View_Line(kListSeparatorX, layout.top, kListSeparatorX, VIEW_AREA_END, ZEB_BLACK);
    DayList_Redraw();
  }
  InvertCursor();
  if (layout.dayList) DayList_DrawHighlight();
}

void Weeks_Tick() {
  if (layout.dayList) DayList_Tick();
}

bool Weeks_Key(int key, int /*modifiers*/) {
  switch (key) {
    case KEY_LEFT:
    case VIEW_KEY_LEFT: Step(-1); return true;
    case KEY_RIGHT:
    case VIEW_KEY_RIGHT: Step(1); return true;
    case KEY_UP:
    case VIEW_KEY_UP: Step(-kColumns); return true;
    case KEY_DOWN:
    case VIEW_KEY_DOWN: Step(kColumns); return true;
    case KEY_PAGEUP: Page(-1); return true;
    case KEY_PAGEDOWN: Page(1); return true;
    case VIEW_KEY_PREV_ITEM:
    case VIEW_KEY_NEXT_ITEM: return layout.dayList && View_SelectItemKey(key);
    default: return false;
  }
}

bool Weeks_Command(int command) {
  if (command != CMD_NOW) return false;
  View_SetCursorDate(browse.cursorDate);
  Anchor();
  View_EndItemSelection();
  View_RedrawAll();
  return true;
}
