// The one-day time table (view 8): the hours of cursorDate in one column and
// the wide day list beside it.
#pragma once

#include "views/View.h"

bool DayTable_Create();
void DayTable_Destroy();
void DayTable_Redraw();
void DayTable_Tick();
bool DayTable_Key(int key, int modifiers);
bool DayTable_Command(int command);

inline constexpr ViewOps DAY_TABLE_OPS{DayTable_Create, DayTable_Destroy, DayTable_Redraw,
                                       DayTable_Tick,   DayTable_Key,     DayTable_Command};
