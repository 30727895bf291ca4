// The view framework: one row per view number holds all the framework and
// the shell know of that view (its six operations, its next size, its
// toggles, whether it is a time table and whether it shows a day list), so a
// new view is one row in View.cpp plus its source file. The shell-side
// operations below are what the main area and the browse handlers call.
#pragma once

#include <cstdint>

#include "graphics/Zeb.h"
#include "views/BrowseState.h"
#include "views/Screen.h"

// Operations of one view.
struct ViewOps {
  bool (*create)();
  void (*destroy)();
  void (*redraw)();
  void (*tick)();
  bool (*key)(int key, int modifiers);
  bool (*command)(int command);
};

// A toggle that leaves the view for the one it was opened from (View_GoBack).
inline constexpr int VIEW_GO_BACK = 0;

struct ViewRow {
  std::uint16_t view;
  const ViewOps* ops;
  std::uint16_t nextSize;                  // the display-size command's view; 0: no sizes
  std::uint16_t BrowseState::*remembered;  // the family's remembered size
  int onReturn, onReverse;                 // the RETURN and reverse toggles: CMD_* or VIEW_GO_BACK
  bool timeTable;                          // hours as rows, the cursor on one
  bool list;                               // the cursor day's list beside it
};

// Cursor bounds: every view can show the months around any day in this range
// without leaving the 16-bit day numbers (1 Jan 1901 .. 31 Dec 2078).
inline constexpr std::uint16_t VIEW_FIRST_DAY = 366;
inline constexpr std::uint16_t VIEW_LAST_DAY = 65379;

// The first row of the function-key bar: the views draw above it, although
// some of their layouts reach two rows further.
inline constexpr int VIEW_AREA_END = SCREEN_KEY_BAR.y;
// rect without its rows from VIEW_AREA_END down (h 0 when none are left).
ZebRect View_ClipToArea(ZebRect rect);
// Drawing in a grey that stops above the function-key bar: a box, an
// axis-aligned line, count bytes of text.
void View_Fill(const ZebRect& rect, int grey);
void View_Line(int x1, int y1, int x2, int y2, int grey);
void View_Text(int x, int y, const char* text, int count, int grey);

// Synthetic keys of the views.
inline constexpr int VIEW_KEY_PREV_ITEM = 6001;
inline constexpr int VIEW_KEY_NEXT_ITEM = 6002;
inline constexpr int VIEW_KEY_HOURS_SHRINK = 6003;
inline constexpr int VIEW_KEY_HOURS_EXTEND = 6004;
inline constexpr int VIEW_KEY_UP = 6005;
inline constexpr int VIEW_KEY_DOWN = 6006;
inline constexpr int VIEW_KEY_LEFT = 6007;
inline constexpr int VIEW_KEY_RIGHT = 6008;

// selectionState values
inline constexpr int VIEW_SEL_DAY = 1;    // cursor on a day cell
inline constexpr int VIEW_SEL_HOUR = 2;   // cursor on an hour cell
inline constexpr int VIEW_SEL_ITEM = 3;   // an item of the cursor day is selected

// The day list beside a grid or time table (views 4, 7, 8). The view that
// shows one fills the geometry and the redraw hook on create.
struct ViewDayList {
  int index;         // selected occurrence of the cursor day
  int top;           // first occurrence shown
  int visibleRows;   // rows that fit
  int x, y, width;   // list rows area: top-left and width
  int rowHeight;
  void (*redraw)();  // redraws the list (header and rows); null: no list
  std::uint16_t shownDay;  // the day whose rows are on screen; 0: none yet
  int shownTop;            // the first occurrence on screen
};

// --- shell side -----------------------------------------------------------
bool View_CreateCurrent();            // statusDelay = 0, then the view's create
void View_DestroyCurrent();           // the view's destroy, then clear the area
void View_RedrawAll();                // date line, then the view's redraw
void View_StatusTick();               // each timer-1 tick of the main area
void View_ArmStatusRefresh();         // statusDelay = 2
bool View_SwitchTo(std::uint16_t view);
void View_GoBack();
bool View_ChangeSize();               // false in views without sizes
int View_SelectedIndex();             // day-list index for the item commands
bool View_IsTimeTable();
bool View_HasList();
void View_RefreshAfterEdit();
bool View_Key(int key, int modifiers);   // current view's key operation
bool View_Command(int command);          // current view's command operation

// --- view side ------------------------------------------------------------
// The row of a view number; null for numbers that name no view (they create
// with success and take no key or command).
const ViewRow* View_Row(std::uint16_t view);
const ViewOps* View_Ops(std::uint16_t view);   // null outside the table
std::uint16_t View_ClampDay(std::int32_t day);  // into the cursor bounds
void View_SetCursorDate(std::int32_t day);      // clamped cursorDate
// Every cursor move of a view: clamped cursorDate, item selection ended.
void View_MoveCursor(std::int32_t day);
void View_BeginCellState(int cellState, const ViewDayList* list);
ViewDayList& View_DayList();
int View_DayCount(std::uint16_t day);           // occurrences of a day
bool View_SelectItemKey(int key);               // 6001 / 6002
void View_EndItemSelection();                   // on every cursor move
