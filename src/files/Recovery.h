// The recovery copy: when Velmo must end (a signal, a close request) while
// changes could not be saved, the entries go to a record file of their own in
// the user's state folder ($XDG_STATE_HOME/velmo, else ~/.local/state/velmo),
// named "record-YYYYMMDD-HHMM" (then "-2", "-3" ...). The record file itself
// is never touched. Each copy is listed in the folder's file "recovered",
// with the record file it stands for, until the next start tells of it.
#pragma once

#include <cstddef>

#include "Capacity.h"

// The state folder; false when there is none (no $XDG_STATE_HOME nor $HOME).
bool Recovery_Folder(char* out, std::size_t size);

// Writes the store (as Record_Save would) to a new copy, with the record
// file's permission bits, and lists it. Its path in out; false (out empty)
// when no copy could be written.
bool Recovery_Write(char* out, std::size_t size);

// One listed copy: its path and the record file it stands for.
struct RecoveryCopy {
  char path[cap::kFileName];
  char from[cap::kFileName];
};
using RecoveryFn = void (*)(const RecoveryCopy& copy, void* context);

// Calls each for every listed copy, oldest first, then forgets the list (the
// copies stay). Returns how many there were.
int Recovery_TakeListed(RecoveryFn each, void* context);
