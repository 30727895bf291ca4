// The several-weeks grids (views 3, 4 and 5): consecutive weeks as rows of
// seven day cells with dates and the first lines of each day's entries.
// View 4 also shows the day list on its right.
#pragma once

#include <cstdint>

#include "calendar/Date.h"
#include "graphics/Zeb.h"
#include "views/View.h"

struct WeeksLayout {
  int left, top, width;
  int headerHeight, gridHeight;
  int cellWidth, cellHeight;
  int rows;           // weeks shown
  int linesPerCell;
  int font;           // ZEB_FONT_*: its cell sizes the texts
  int charsPerLine;
  bool dayList;
};

// The layout of view 3, 4 or 5; null for any other view.
const WeeksLayout* Weeks_Layout(std::uint16_t view);

// cursorDate = firstDay + 7 * row + column at all times.
struct WeeksState {
  DayNo firstDay;  // top-left cell
  int column;      // 0..6
  int row;         // 0..rows - 1
};

const WeeksState& Weeks_State();
ZebRect Weeks_CellRect(int column, int row);

// The six view operations, shared by views 3, 4 and 5.
bool Weeks_Create();
void Weeks_Destroy();
void Weeks_Redraw();
void Weeks_Tick();
bool Weeks_Key(int key, int modifiers);
bool Weeks_Command(int command);

inline constexpr ViewOps WEEKS_VIEW_OPS{Weeks_Create, Weeks_Destroy, Weeks_Redraw,
                                        Weeks_Tick,   Weeks_Key,     Weeks_Command};
