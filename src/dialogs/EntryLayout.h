// The entry dialog's widgets and how they lie: the three layouts, the
// children made from the field table's rows, and the drawing of the frame,
// title and captions.
#pragma once

#include <array>

#include "Capacity.h"
#include "dialogs/Field.h"
#include "dialogs/Repeat.h"
#include "toolkit/nw.h"

inline constexpr int ENTRY_LABEL_BYTES = 8;    // a label name in the label display
inline constexpr int ENTRY_WEEKDAY_BYTES = 2;  // one double-byte weekday name

// The dialog's children and the buffers that hold their texts.
struct EntryWidgets {
  nwEdit text, startYear, startMonth, startDay, endYear, endMonth, endDay;
  nwEdit startHour, startMinute, endHour, endMinute, rank, interval;
  nwLabel startWeekday, endWeekday, label;
  nwListBox repeat;
  char textBuffer[Field_BufferBytes(cap::kEntryDialogText)];
  char startYearBuffer[Field_BufferBytes(4)], startMonthBuffer[Field_BufferBytes(2)];
  char startDayBuffer[Field_BufferBytes(2)], endYearBuffer[Field_BufferBytes(4)];
  char endMonthBuffer[Field_BufferBytes(2)], endDayBuffer[Field_BufferBytes(2)];
  char startHourBuffer[Field_BufferBytes(2)], startMinuteBuffer[Field_BufferBytes(2)];
  char endHourBuffer[Field_BufferBytes(2)], endMinuteBuffer[Field_BufferBytes(2)];
  char rankBuffer[Field_BufferBytes(1)], intervalBuffer[Field_BufferBytes(2)];
  char startWeekdayBuffer[ENTRY_WEEKDAY_BYTES + 1], endWeekdayBuffer[ENTRY_WEEKDAY_BYTES + 1];
  char labelBuffer[ENTRY_LABEL_BYTES + 1];
  RepeatRows repeatRows;
};

// A field's widget, its text buffer (null for the list) and its capacity.
struct EntryChild {
  nwObject* object;
  char* buffer;
  int capacity;
};
// Every id asked for is one of the table's.
EntryChild EntryLayout_Child(EntryWidgets& w, int id);

struct EntryDialog;

// The dialog's rectangle in its chosen layout, centred.
ZebRect EntryLayout_DialogRect(const EntryDialog& d);
// Creates the children the mode has, in tab order; destroys them.
void EntryLayout_CreateChildren(EntryDialog& d);
void EntryLayout_DestroyChildren(EntryDialog& d);
// The frame, the title and the captions of the fields shown.
void EntryLayout_Draw(const EntryDialog& d);

struct DialogLayout;
// A dialog's frame at rect, its title centred on the layout's title row and
// the rule under it (the entry, search and jump dialogs).
void EntryLayout_DrawFrame(const ZebRect& rect, const DialogLayout& layout, const char* title);
