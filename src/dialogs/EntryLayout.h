// The entry dialog's widgets and how they lie: the three layouts, the
// children made from the field table's rows, and the drawing of the frame,
// title and captions.
#pragma once

#include <array>

#include "dialogs/Field.h"
#include "dialogs/Repeat.h"
#include "toolkit/nw.h"

inline constexpr int ENTRY_LABEL_BYTES = 8;    // a label name in the label display
inline constexpr int ENTRY_WEEKDAY_BYTES = 2;  // one double-byte weekday name

// The dialog and its children; one dialog is open at a time.
struct EntryWidgets {
  nwDialog dialog;
  nwEdit text, startYear, startMonth, startDay, endYear, endMonth, endDay;
  nwEdit startHour, startMinute, endHour, endMinute, rank, interval;
  nwLabel startWeekday, endWeekday, label;
  nwListBox repeat;
  char labelBuffer[ENTRY_LABEL_BYTES + 1];
  RepeatRows repeatRows;
};
extern EntryWidgets entryWidgets;

// A field's widget, its text buffer (null for the list) and its capacity.
struct EntryChild {
  nwObject* object;
  char* buffer;
  int capacity;
};
// Every id asked for is one of the table's.
const EntryChild& EntryLayout_Child(int id);

// The dialog's rectangle in the chosen layout (dialogState.layout), centred.
ZebRect EntryLayout_DialogRect();
// Creates the children the mode has, in tab order; destroys them.
void EntryLayout_CreateChildren();
void EntryLayout_DestroyChildren();
// The frame, the title and the captions of the fields shown.
void EntryLayout_Draw();

struct DialogLayout;
// A dialog's frame at rect, its title centred on the layout's title row and
// the rule under it (the entry, search and jump dialogs).
void EntryLayout_DrawFrame(const ZebRect& rect, const DialogLayout& layout, const char* title);
