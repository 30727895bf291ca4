// Commands that work on entries or the whole store, or open a dialog, and the
// clipboard of cut, copy and paste.
#pragma once

#include <cstdint>

#include "calendar/Date.h"
#include "store/Store.h"

// Whether the command is one of the item commands; the browse command
// handler hands those here and no further.
bool ItemCommand_Takes(int command);
// An item command; false = not handled.
bool ItemCommand_Command(int command);

// SPACE or RETURN while an item of the day list is selected.
bool ItemCommand_Key(int key);

// The clipboard. An entry cut or copied stays readable until shutdown (the
// store frees nothing before), so the clipboard holds a plain reference.
struct Clipboard {
  const Entry* entry;  // null: empty
  EntryKind kind;      // the kind the entry had when it was cut or copied
};

// Cut and copy the index-th occurrence of day; false when there is none.
// Cut marks the entry deleted and reports the change.
bool ItemCommand_Cut(DayNo day, int index);
bool ItemCommand_Copy(DayNo day, int index);
// A new entry from the clipboard on day: same kind and data, dates moved to
// day, a repeat rule re-anchored on day. False (nothing registered) when the
// clipboard is empty, the dates leave the day range, or the store refuses.
bool ItemCommand_Paste(DayNo day);

const Clipboard& ItemCommand_Clipboard();
void ItemCommand_ClearClipboard();  // when the store is set up again
