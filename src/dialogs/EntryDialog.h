// The modal dialog that adds or changes a task, a schedule or a holiday. The
// dialog modes and field ids are in dialogs/Field.h.
#pragma once

#include <cstdint>

#include "dialogs/Field.h"
#include "store/Store.h"
#include "toolkit/nw.h"

// Outlives the dialog; every opening sets what it uses.
struct DialogState {
  int layout;               // LAYOUT_*
  Entry* editedEntry;       // change modes: the entry being changed
  bool dialogAccepted;      // true by accept, false by cancel
  bool frameVisible;        // frame and captions drawn only while set
  std::uint16_t dialogLabel;
  int repeatChoice;         // selected row of the repeat list
  DayNo knownStart;         // dates as they stood after the last field check
  DayNo knownEnd;
};

extern DialogState dialogState;

// Opens the add dialog for command 3020 (schedule), 3021 (task) or 3022
// (holiday) and runs it to its end; true (also for any other command, which
// opens nothing).
bool EntryDialog_Add(int command);
// Opens the change dialog for the index-th occurrence of day; true in every
// case. EntryDialog_Accepted tells whether the last dialog changed the store.
bool EntryDialog_Change(DayNo day, int index);
bool EntryDialog_Accepted();

// A close request of the window: true when the open dialog holds typed text
// and asks the user first (keep it / drop it / go back); the question is
// posted to it. False when nothing would be lost or a box is over it.
bool EntryDialog_AskOnClose();

// The dialog's handler (exposed for tests).
bool EntryDialog_Handler(nwObject* object, nwMessage* message);
