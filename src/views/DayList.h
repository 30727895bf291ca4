// The list of the cursor day's occurrences beside a grid or time table
// (views 4, 7 and 8): a header with the date and the rows of schedules,
// holidays, tasks and other entries. Its selection lives in the framework
// (View_DayList, View_SelectItemKey); this module lays it out and draws it.
#pragma once

#include <cstdint>

#include "graphics/Zeb.h"
#include "views/View.h"

// Panel layout of one view (screen pixels).
struct DayListLayout {
  int left, top;        // header top-left
  int width;            // header and rows
  int headerHeight;
  int listHeight;
  int rowHeight;
  int visibleRows;
  int font;             // panel font (ZEB_FONT_*): its cell sizes the texts
  int charsPerRow;
  bool wideTime;        // "start-end" times in their own column
};

// The layout of view 4, 7 or 8; null for any other view.
const DayListLayout* DayList_Layout(std::uint16_t view);

// Makes `view`'s layout the panel's and returns the framework record to hand
// to View_BeginCellState (redraw hook = DayList_Redraw). For a view without
// a list the record is empty and the panel draws nothing.
//   const ViewDayList list = DayList_Setup(VIEW_WEEK_LIST);
//   View_BeginCellState(VIEW_SEL_HOUR, &list);
ViewDayList DayList_Setup(std::uint16_t view);

// Header and rows of cursorDate from the framework's list top.
void DayList_Redraw();
void DayList_DrawHeader();
void DayList_DrawRows();
// Inverts the selected row when selectionState is VIEW_SEL_ITEM.
void DayList_DrawHighlight();
// The status tick of views 4 and 7: the list, then its highlight.
void DayList_Tick();

// Rectangle of visible row k (0-based from the list top).
ZebRect DayList_RowRect(int k);
