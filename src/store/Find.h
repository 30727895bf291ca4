// What the entry search matches, shared by the search dialog and the
// command-line tools: a text found on a character boundary, and the first day
// an entry occurs on.
#pragma once

#include "calendar/Date.h"
#include "store/Store.h"

enum FindCase : bool {
  FIND_EXACT = false,
  // A and a alike, and the full-width Ａ and ａ (Shift-JIS 82 60..79, 82 81..9A).
  FIND_IGNORE_CASE = true,
};

// Whether e's text holds the length bytes of text starting on a character
// boundary (an empty text is held by every entry).
bool Find_TextContains(const Entry& e, const char* text, int length, FindCase match = FIND_EXACT);

// The first day an entry occurs on; 0 when it never occurs.
DayNo Entry_FirstDay(const Entry& e);

// An entry's rule as the month expansion reads it: interval 0 is 1, and the
// mask bits its repeat type does not read are 0 (no rule: all zero).
struct EntryRule {
  RepeatType repeat;
  std::uint8_t interval, weekMask, weekdayMask;
  bool operator==(const EntryRule&) const = default;
};
EntryRule Entry_Rule(const Entry& e);
