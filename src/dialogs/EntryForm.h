// The entry dialog's form: values to and from an entry, the order of the
// dates and times kept on leaving a field, and the entry built and stored.
#pragma once

#include <cstdint>

#include "calendar/Date.h"
#include "toolkit/nw.h"

struct EntryDialog;

// Fills the fields from the entry being changed, or from the cursor.
void EntryForm_Load(EntryDialog& d);
// The dates the fields hold now.
DayNo EntryForm_StartDate(const EntryDialog& d);
DayNo EntryForm_EndDate(const EntryDialog& d);
// The check on leaving a field: its range, then the order of start and end.
bool EntryForm_FieldLeft(EntryDialog& d, nwObject* field);
// Builds the entry from the fields and writes it to the store; false (the
// dialog stays open) when a value is missing or out of range, the user keeps
// an overlong text, or the store is full.
bool EntryForm_Store(EntryDialog& d);
// Shows a label's name in the label display.
void EntryForm_ShowLabel(EntryDialog& d, std::uint16_t label);
