#include "views/ThreeMonths.h"

#include <cstdio>
#include <cstring>

#include "graphics/ZebKey.h"
#include "store/MonthRec.h"
#include "toolkit/nw.h"
#include "views/Screen.h"
#include "views/View.h"

namespace {

constexpr int kPageMonths = 3;
constexpr int kTextInset = 5;    // text x inside a cell
constexpr int kTextTop = 2;      // text y inside a cell or title
constexpr int kFont = ZEB_FONT_16;
constexpr ZebRect kArea{0, SCREEN_VIEWS_TOP, SCREEN_RECT.w, SCREEN_KEY_BAR.y - SCREEN_VIEWS_TOP};

// Full-width digits, no year.
constexpr const char* kMonthName[12] = {
    "\x82\x50\x8c\x8e",          // １月
    "\x82\x51\x8c\x8e",          // ２月
    "\x82\x52\x8c\x8e",          // ３月
    "\x82\x53\x8c\x8e",          // ４月
    "\x82\x54\x8c\x8e",          // ５月
    "\x82\x55\x8c\x8e",          // ６月
    "\x82\x56\x8c\x8e",          // ７月
    "\x82\x57\x8c\x8e",          // ８月
    "\x82\x58\x8c\x8e",          // ９月
    "\x82\x50\x82\x4f\x8c\x8e",  // １０月
    "\x82\x50\x82\x50\x8c\x8e",  // １１月
    "\x82\x50\x82\x51\x8c\x8e",  // １２月
};

ThreeMonthsState state{};

int BlockX(int block) { return THREE_MONTHS_X0 + THREE_MONTHS_BLOCK_STEP * block; }

// Column and row of cursorDate in its month block.
void PlaceCursor() {
  MonthNo month = 0;
  std::uint16_t mday = 0;
  DayNo_ToMonthNo(browse.cursorDate, month, mday);
  state.cursorColumn = browse.cursorDate % 7;
  state.cursorRow = (mday + 5 - state.cursorColumn) / 7;
}

void InvertCursor() {
  Zeb_InvertBox(nwContext, ThreeMonths_CellRect(state.cursorBlock, state.cursorColumn, state.cursorRow));
}

// The cursor's month in the middle block.
void Anchor() {
  MonthNo month = 0;
  std::uint16_t mday = 0;
  DayNo_ToMonthNo(browse.cursorDate, month, mday);
  state.firstMonth = static_cast<MonthNo>(month - 1);
  state.cursorBlock = 1;
  PlaceCursor();
}

void DrawWeekdayRow(int block) {
  const int x = BlockX(block);
  const int y = THREE_MONTHS_Y + THREE_MONTHS_WEEKDAY_Y;
  Zeb_SetFont(nwContext, kFont);
  for (int i = 0; i < THREE_MONTHS_COLUMNS; ++i) {
    const ZebRect cell{x + THREE_MONTHS_CELL_W * i, y, THREE_MONTHS_CELL_W, THREE_MONTHS_CELL_H};
    View_Fill(cell, ZEB_LIGHT_GREY);
    Zeb_DrawEdge(nwContext, cell);
    View_Text(cell.x + kTextInset, y + kTextTop, WeekdayName[i], static_cast<int>(std::strlen(WeekdayName[i])), ZEB_BLACK);
  }
}

void DrawDay(const ZebRect& cell, int mday, bool shaded, bool today) {
  char number[12];
  std::snprintf(number, sizeof number, "%2d", mday);
  if (shaded) {
    View_Fill(cell, ZEB_DARK_GREY);
    View_Text(cell.x + kTextInset, cell.y + kTextTop, number, static_cast<int>(std::strlen(number)), ZEB_WHITE);
    return;
  }
  View_Fill(cell, ZEB_WHITE);
  if (today) {
    Zeb_SetColor(nwContext, ZEB_BLACK);
    Zeb_DrawBox(nwContext, cell);
  }
  View_Text(cell.x + kTextInset, cell.y + kTextTop, number, static_cast<int>(std::strlen(number)), ZEB_BLACK);
}

void DrawBlock(int block) {
  const int x = BlockX(block);
  const MonthRec& rec = MonthRec_GetByMonthNo(static_cast<MonthNo>(state.firstMonth + block));
  Zeb_SetFont(nwContext, kFont);

  const ZebRect title{x, THREE_MONTHS_Y, THREE_MONTHS_BLOCK_W, THREE_MONTHS_TITLE_H};
  View_Fill(title, ZEB_LIGHT_GREY);
  Zeb_DrawEdge(nwContext, title);
  const char* name = kMonthName[rec.monthNo % 12];
  const int length = static_cast<int>(std::strlen(name));
  View_Text(x + (THREE_MONTHS_BLOCK_W - Zeb_CharWidth(kFont) * length) / 2, THREE_MONTHS_Y + kTextTop, name, static_cast<int>(std::strlen(name)), ZEB_BLACK);

  View_Fill(ZebRect{x, THREE_MONTHS_Y + THREE_MONTHS_DAYS_Y, THREE_MONTHS_BLOCK_W, THREE_MONTHS_DAYS_H}, ZEB_LIGHT_GREY);
  int column = rec.firstDay % 7;
  int row = 0;
  for (int d = 1; d <= rec.days && row < THREE_MONTHS_ROWS; ++d) {
    const DayNo day = static_cast<DayNo>(rec.firstDay + d - 1);
    DrawDay(ThreeMonths_CellRect(block, column, row), d, column == 0 || rec.holiday[d] != 0,
            day == browse.today);
    if (++column == THREE_MONTHS_COLUMNS) {
      column = 0;
      ++row;
    }
  }
  Zeb_SetColor(nwContext, ZEB_BLACK);
}

void DrawBlocks() {
  for (int b = 0; b < THREE_MONTHS_BLOCKS; ++b) DrawBlock(b);
}

// After cursorDate moved by at most a week: follow it into the neighbouring
// block, or scroll the months when it leaves the outer one.
void FollowMonth(MonthNo before) {
  MonthNo after = 0;
  std::uint16_t mday = 0;
  DayNo_ToMonthNo(browse.cursorDate, after, mday);
  if (after < before) {
    if (state.cursorBlock == 0) {
      state.firstMonth--;
      DrawBlocks();
    } else {
      state.cursorBlock--;
    }
  } else if (after > before) {
    if (state.cursorBlock == THREE_MONTHS_BLOCKS - 1) {
      state.firstMonth++;
      DrawBlocks();
    } else {
      state.cursorBlock++;
    }
  }
}

void MoveBy(int days) {
  InvertCursor();
  MonthNo before = 0;
  std::uint16_t mday = 0;
  DayNo_ToMonthNo(browse.cursorDate, before, mday);
  View_MoveCursor(browse.cursorDate + days);
  FollowMonth(before);
  PlaceCursor();
  InvertCursor();
  View_ArmStatusRefresh();
}

// Three months on; the cursor keeps its block and day of month, clamped to
// the new month's length and to the cursor bounds.
void Page(int months) {
  InvertCursor();
  MonthNo month = 0;
  std::uint16_t mday = 0;
  DayNo_ToMonthNo(browse.cursorDate, month, mday);
  const int target = month + months;
  MonthNo firstAllowed = 0, lastAllowed = 0;
  std::uint16_t unused = 0;
  DayNo_ToMonthNo(VIEW_FIRST_DAY, firstAllowed, unused);
  DayNo_ToMonthNo(VIEW_LAST_DAY, lastAllowed, unused);
  std::int32_t day = 0;
  if (target < firstAllowed) {
    day = VIEW_FIRST_DAY;
  } else if (target > lastAllowed) {
    day = VIEW_LAST_DAY;
  } else {
    const MonthNo m = static_cast<MonthNo>(target);
    const std::uint16_t length = Date_MonthNoLength(m);
    day = Date_MonthNoFirstDay(m) + (mday < length ? mday : length) - 1;
  }
  View_MoveCursor(day);
  DayNo_ToMonthNo(browse.cursorDate, month, mday);
  state.firstMonth = static_cast<MonthNo>(month - state.cursorBlock);
  DrawBlocks();
  PlaceCursor();
  InvertCursor();
  View_ArmStatusRefresh();
}

}  // namespace

const ThreeMonthsState& ThreeMonths_State() { return state; }

ZebRect ThreeMonths_CellRect(int block, int column, int row) {
  return ZebRect{BlockX(block) + THREE_MONTHS_CELL_W * column,
                 THREE_MONTHS_Y + THREE_MONTHS_DAYS_Y + THREE_MONTHS_CELL_H * row, THREE_MONTHS_CELL_W,
                 THREE_MONTHS_CELL_H};
}

bool ThreeMonths_Create() {
  View_SetCursorDate(browse.cursorDate);
  Anchor();
  View_BeginCellState(VIEW_SEL_DAY, nullptr);
  return true;
}

void ThreeMonths_Destroy() {}

void ThreeMonths_Redraw() {
  // A closed dialog may have left pixels between the blocks.
  View_Fill(kArea, ZEB_LIGHT_GREY);
  for (int b = 0; b < THREE_MONTHS_BLOCKS; ++b) DrawWeekdayRow(b);
  DrawBlocks();
  InvertCursor();
}

void ThreeMonths_Tick() {}

bool ThreeMonths_Key(int key, int /*modifiers*/) {
  switch (key) {
    case KEY_UP:
    case VIEW_KEY_UP: MoveBy(-7); return true;
    case KEY_DOWN:
    case VIEW_KEY_DOWN: MoveBy(7); return true;
    case KEY_LEFT:
    case VIEW_KEY_LEFT: MoveBy(-1); return true;
    case KEY_RIGHT:
    case VIEW_KEY_RIGHT: MoveBy(1); return true;
    case KEY_PAGEUP: Page(-kPageMonths); return true;
    case KEY_PAGEDOWN: Page(kPageMonths); return true;
    default: return false;
  }
}

bool ThreeMonths_Command(int command) {
  if (command != CMD_NOW) return false;
  View_SetCursorDate(browse.cursorDate);
  Anchor();
  View_EndItemSelection();
  View_RedrawAll();
  return true;
}
