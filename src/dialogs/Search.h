// Searching the entries for a text and jumping to a typed date. Both ask
// through one small modal dialog on the title object and, on success, rebuild
// the current view around the new cursorDate.
#pragma once

#include <cstdint>

#include "calendar/Date.h"
#include "store/Find.h"

struct Entry;

// Asks for a text and moves the cursor to the first day of the next entry
// holding it; true when a match moved the cursor. Not found: a notice.
bool Search_Start();
// Repeats the last search from just past the last match; false and silent
// when there is no search text or the last scan ended without a match.
bool Search_Next();
// One scan from the kept position with the kept text; true when a match
// moved the cursor. Leaves the position just past the matching entry. A
// match on a day outside the cursor bounds is named in a notice instead
// (false, position kept); no match: false, position 0.
bool Search_FindNext();
// Asks for year, month and day and moves the cursor there; true when the
// dialog was accepted. The fields take the cursor's range: accepting a value
// outside it names the range and keeps the dialog open.
bool Jump_ToDate();

// The kept search: text (at most 13 bytes, taken as bytes) and the position
// the next scan starts from (0: nothing to go on with).
void Search_Set(const char* text, int length);  // position back to 0
std::uint16_t Search_Position();
void Search_Reset();  // no text, position 0
