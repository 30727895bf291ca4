#include "views/WeekTable.h"

#include "files/Settings.h"
#include "graphics/ZebKey.h"
#include "toolkit/nw.h"
#include "views/DayList.h"
#include "views/Screen.h"
#include "views/TimeTable.h"

namespace {

constexpr int kListRuleX = 473;  // between the time table and the list (view 7)

// Every day move: the cursor keeps its place in the week, and the columns are
// redrawn when the week changes (also when the range bounds stopped it).
void MoveDays(int days) {
  TimeTable_EndItemSelection();
  TimeTable_InvertCursor();
  TimeTable_Collapse();
  View_MoveCursor(browse.cursorDate + days);
  const DayNo before = TimeTable_State().firstDay;
  TimeTable_AnchorDay();
  if (TimeTable_State().firstDay != before) TimeTable_DrawColumns();
  TimeTable_InvertCursor();
  View_ArmStatusRefresh();
}

}  // namespace

bool WeekTable_Create() {
  TimeTable_Begin(browse.currentView);
  return true;
}

void WeekTable_Destroy() {}

void WeekTable_Redraw() {
  TimeTable_ClearArea();
  if (View_HasList()) {
    Zeb_SetColor(nwContext, ZEB_BLACK);
    Zeb_DrawLine(nwContext, kListRuleX, 21, kListRuleX, TIME_TABLE_AREA_BOTTOM);
  }
  TimeTable_DrawLabels();
  TimeTable_DrawColumns();
  if (View_HasList()) DayList_Redraw();
  TimeTable_InvertCursor();
  if (View_HasList()) DayList_DrawHighlight();
}

void WeekTable_Tick() {
  if (View_HasList()) DayList_Tick();
}

bool WeekTable_Key(int key, int /*modifiers*/) {
  switch (key) {
    case KEY_LEFT:
    case VIEW_KEY_LEFT: MoveDays(-1); return true;
    case KEY_RIGHT:
    case VIEW_KEY_RIGHT: MoveDays(1); return true;
    case KEY_PAGEUP: MoveDays(-7); return true;
    case KEY_PAGEDOWN: MoveDays(7); return true;
    case VIEW_KEY_PREV_ITEM:
    case VIEW_KEY_NEXT_ITEM: return View_HasList() && View_SelectItemKey(key);
    default: return TimeTable_HourKey(key);
  }
}

bool WeekTable_Command(int command) {
  if (command != CMD_NOW) return false;
  TimeTable_Anchor();
  View_EndItemSelection();
  View_RedrawAll();
  return true;
}
