// The one-week time tables: view 6 (seven wide day columns) and view 7
// (narrower, with the cursor day's list on the right). One set of operations
// serves both; create takes the layout of the current view.
#pragma once

#include "views/View.h"

bool WeekTable_Create();
void WeekTable_Destroy();
void WeekTable_Redraw();
void WeekTable_Tick();
bool WeekTable_Key(int key, int modifiers);
bool WeekTable_Command(int command);

inline constexpr ViewOps WEEK_TABLE_OPS{WeekTable_Create, WeekTable_Destroy, WeekTable_Redraw,
                                        WeekTable_Tick,   WeekTable_Key,     WeekTable_Command};
