#include "views/DayTable.h"

#include "graphics/ZebKey.h"
#include "toolkit/nw.h"
#include "views/DayList.h"
#include "views/Screen.h"
#include "views/TimeTable.h"

namespace {

constexpr int kFrameLeft = 0, kFrameTop = 21, kFrameRight = 196;

// The hours reach down to the function-key bar, so the frame stays open at
// the bottom: a line there would be painted over by every hour redraw.
void DrawFrame() {
  Zeb_SetColor(nwContext, ZEB_BLACK);
  Zeb_DrawLine(nwContext, kFrameLeft, TIME_TABLE_AREA_BOTTOM, kFrameLeft, kFrameTop);
  Zeb_DrawLine(nwContext, kFrameLeft, kFrameTop, kFrameRight, kFrameTop);
  Zeb_DrawLine(nwContext, kFrameRight, kFrameTop, kFrameRight, TIME_TABLE_AREA_BOTTOM);
}

// Left and right show the new day at once, date line included.
void MoveDay(int days) {
  TimeTable_EndItemSelection();
  TimeTable_InvertCursor();
  TimeTable_Collapse();
  View_MoveCursor(browse.cursorDate + days);
  TimeTable_AnchorDay();
  TimeTable_DrawHours(0);
  DayList_Redraw();
  TimeTable_InvertCursor();
  Screen_DateLine();
}

}  // namespace

bool DayTable_Create() {
  TimeTable_Begin(VIEW_DAY);
  return true;
}

void DayTable_Destroy() {}

void DayTable_Redraw() {
  TimeTable_ClearArea();
  TimeTable_DrawLabels();
  TimeTable_DrawHours(0);
  DayList_Redraw();
  TimeTable_InvertCursor();
  DayList_DrawHighlight();
  DrawFrame();
}

void DayTable_Tick() {}

bool DayTable_Key(int key, int /*modifiers*/) {
  switch (key) {
    case KEY_LEFT:
    case VIEW_KEY_LEFT: MoveDay(-1); return true;
    case KEY_RIGHT:
    case VIEW_KEY_RIGHT: MoveDay(1); return true;
    case VIEW_KEY_PREV_ITEM:
    case VIEW_KEY_NEXT_ITEM: return View_SelectItemKey(key);
    default: return TimeTable_HourKey(key);
  }
}

bool DayTable_Command(int command) {
  if (command != CMD_NOW) return false;
  TimeTable_Anchor();
  View_EndItemSelection();
  View_RedrawAll();
  return true;
}
