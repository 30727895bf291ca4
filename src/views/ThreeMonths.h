// The three-month calendar: three consecutive months side by side, Sundays
// and holidays shaded, today framed, the cursor day inverted. No entries.
#pragma once

#include <cstdint>

#include "calendar/Date.h"
#include "graphics/Zeb.h"

// Geometry (screen pixels).
inline constexpr int THREE_MONTHS_BLOCKS = 3;
inline constexpr int THREE_MONTHS_X0 = 23;          // left of block 0
inline constexpr int THREE_MONTHS_BLOCK_STEP = 205;  // block 1 at 228, block 2 at 433
inline constexpr int THREE_MONTHS_Y = 41;
inline constexpr int THREE_MONTHS_COLUMNS = 7;
inline constexpr int THREE_MONTHS_ROWS = 6;
inline constexpr int THREE_MONTHS_CELL_W = 26;
inline constexpr int THREE_MONTHS_CELL_H = 20;
inline constexpr int THREE_MONTHS_BLOCK_W = THREE_MONTHS_COLUMNS * THREE_MONTHS_CELL_W;  // 182
inline constexpr int THREE_MONTHS_TITLE_H = 20;
inline constexpr int THREE_MONTHS_WEEKDAY_Y = 20;   // weekday row, from the block top
inline constexpr int THREE_MONTHS_DAYS_Y = 40;      // day area, from the block top
inline constexpr int THREE_MONTHS_DAYS_H = THREE_MONTHS_ROWS * THREE_MONTHS_CELL_H;  // 120

// The view's state, rebuilt by create from cursorDate.
struct ThreeMonthsState {
  MonthNo firstMonth;  // left-hand month
  int cursorBlock;     // 0..2
  int cursorColumn;    // weekday of the cursor, 0 = Sunday
  int cursorRow;       // week row of the cursor in its block
};

const ThreeMonthsState& ThreeMonths_State();

// The cell of (block, column, row) in screen pixels.
ZebRect ThreeMonths_CellRect(int block, int column, int row);

// The six view operations.
bool ThreeMonths_Create();
void ThreeMonths_Destroy();
void ThreeMonths_Redraw();
void ThreeMonths_Tick();
bool ThreeMonths_Key(int key, int modifiers);
bool ThreeMonths_Command(int command);
