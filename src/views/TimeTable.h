// The time-table mechanism shared by the one-week views (6, 7) and the
// one-day view (8): hour labels, day columns with schedule bars, the bottom
// strip of holidays and untimed schedules, and the hour selection
// cursorHour .. cursorHour + hourSpan - 1 of cursorDate.
#pragma once

#include <cstdint>

#include "calendar/Date.h"
#include "graphics/Zeb.h"
#include "views/View.h"

inline constexpr int TIME_TABLE_HOURS = 24;
// The lowest row a time table draws on.
inline constexpr int TIME_TABLE_AREA_BOTTOM = VIEW_AREA_END - 1;

// Layout of one time table (screen pixels).
struct TimeTableLayout {
  int left, top;                  // top-left of the hour labels (and header)
  int labelWidth;                 // hour-label column
  int headerHeight;               // day header; 0: none
  int hoursWidth, hoursHeight;    // hours area
  int stripHeight;                // bottom strip; 0: none
  int columnWidth, rowHeight;
  int columns, rows;              // day columns, hour rows
  int stripLines;                 // lines in the bottom strip
  int font;                       // ZEB_FONT_*: its cell sizes the texts
  int textChars;                  // bytes of text in a bar or strip line
};

// The view's state, rebuilt by create from cursorDate and cursorHour.
struct TimeTableState {
  DayNo firstDay;     // day of column 0
  int cursorColumn;
  int firstHour;      // hour of row 0
  int cursorRow;      // row of the last selected hour
};

// Layout of view 6, 7 or 8; null for any other view.
const TimeTableLayout* TimeTable_Layout(std::uint16_t view);

// Create: layout, the nine-o'clock start, cell state 2, the day list, anchor.
void TimeTable_Begin(std::uint16_t view);
// Anchor on cursorDate and cursorHour (create and the now command).
void TimeTable_Anchor();
// Column and first day of cursorDate only; the hour window stays.
void TimeTable_AnchorDay();

const TimeTableState& TimeTable_State();
int TimeTable_RowsTop();
int TimeTable_DayLeft();
int TimeTable_StripTop();

// Drawing.
void TimeTable_ClearArea();
void TimeTable_DrawLabels();
void TimeTable_DrawHeader();
void TimeTable_DrawHours(int column);
void TimeTable_DrawStrip(int column);
void TimeTable_DrawColumns();   // header, then hours and strip of every column
void TimeTable_InvertCursor();
ZebRect TimeTable_CursorRect();

// Keys shared by all time tables: up, down, 6003, 6004 (and 6005, 6006).
// Ends item selection; false for any other key.
bool TimeTable_HourKey(int key);
// cursorHour to the last selected hour, hourSpan 1.
void TimeTable_Collapse();
// Un-highlights a selected list row and ends item selection.
void TimeTable_EndItemSelection();

// Bar rows of a schedule from (start) to (end) minutes of the day against the
// current hour window; false when it does not touch the window. top and
// bottom are offsets from the rows top (an end on the window's lower edge
// gives the hours area's height H; a start there gives top H and bottom
// H - 1); the flags say which edges show.
struct TimeTableBar {
  int top, bottom;
  bool startVisible, endVisible;
};
bool TimeTable_BarRows(int startMinutes, int endMinutes, TimeTableBar& bar);
