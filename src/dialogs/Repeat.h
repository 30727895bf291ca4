// The repeat rule editor: the seven rule descriptions worded for a start
// date, the repeat list that shows them, and turning the chosen row into an
// entry's repeat, interval and week masks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "calendar/Date.h"
#include "toolkit/nw.h"

struct Entry;
struct FieldState;

inline constexpr int REPEAT_ROWS = 7;        // one per repeat type
inline constexpr int REPEAT_ROW_BYTES = 32;  // bytes of one list row
inline constexpr int REPEAT_TEXT_BYTES = 16; // one formatted description

// The rows' storage, owned by the dialog.
using RepeatRows = char[REPEAT_ROWS * REPEAT_ROW_BYTES];

// Formats row 0..6 for the start date into out (NUL-terminated, cut to size);
// returns its byte length (0 for a row outside 0..6 or a date of 0).
int Repeat_Describe(DayNo start, int row, char* out, std::size_t size);

// Binds the list to rows (SetBuffer, 32 bytes, 7 rows).
void Repeat_Bind(nwListBox* list, RepeatRows& rows);
// Words the rows for the start date and selects row choice again (posted).
void Repeat_Build(nwListBox* list, DayNo start, int choice);
// The list's selected row (sent GetResult).
int Repeat_ReadChoice(nwListBox* list);
// On leaving the list: reads the choice and, for a repeating choice with the
// start and end dates equal, moves the end year field one year on. Returns
// the choice.
int Repeat_Leave(const FieldState& s, nwListBox* list);
// Fills repeat, interval and the masks of e (startDay already set) from the
// choice and the interval value.
void Repeat_Apply(Entry& e, int choice, std::uint16_t interval);
// Values the editor opens with for an entry being changed: its repeat as the
// choice; an interval of 0 is made 1 in the entry itself.
int Repeat_OpenChoice(Entry& e);
