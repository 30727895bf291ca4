// The modal dialog that adds or changes a task, a schedule or a holiday. The
// dialog modes and field ids are in dialogs/Field.h.
#pragma once

#include <cstdint>

#include "dialogs/EntryLayout.h"
#include "dialogs/Field.h"
#include "store/Store.h"
#include "toolkit/nw.h"

// The entry dialog: the toolkit's dialog object followed by everything the
// open dialog holds - its fields' state (mode, field parameters, flags), its
// widgets and buffers, and what the opening chose. EntryDialog.cpp owns the
// one there is and hands it to the form and the layout; every opening sets
// what it uses.
struct EntryDialog : nwDialog {
  FieldState fields;
  EntryWidgets w;
  int layout;               // LAYOUT_*
  Entry* editedEntry;       // change modes: the entry being changed
  bool dialogAccepted;      // true by accept, false by cancel
  bool frameVisible;        // frame and captions drawn only while set
  std::uint16_t dialogLabel;
  int repeatChoice;         // selected row of the repeat list
  DayNo knownStart;         // dates as they stood after the last field check
  DayNo knownEnd;
  // A text longer than the editor holds is shown cut; the entry keeps it
  // whole unless the user changes what is shown.
  const Entry* cutEntry;    // null when the editor shows the whole text
  int cutShown;             // bytes in the editor, never half a character
  std::uint32_t openedPrint;  // the fields' texts at opening, to tell typing
};

// Opens the add dialog for command 3020 (schedule), 3021 (task) or 3022
// (holiday) and runs it to its end; true when an entry was stored (false
// also for any other command, which opens nothing).
bool EntryDialog_Add(int command);
// Opens the change dialog for the index-th occurrence of day; true when the
// entry was changed.
bool EntryDialog_Change(DayNo day, int index);

// A close request of the window: true when the open dialog holds typed text
// and asks the user first (keep it / drop it / go back); the question is
// posted to it. False when nothing would be lost or a box is over it.
bool EntryDialog_AskOnClose();

// The dialog open now, or the last one (for tests).
const EntryDialog& EntryDialog_Last();

// The dialog's handler: object is the EntryDialog.
bool EntryDialog_Handler(nwObject* object, nwMessage* message);
