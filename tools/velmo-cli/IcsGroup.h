// The entries one imported item became, joined into that one item again:
// the rule of the earliest over the range of all of them, the rule's days
// between them left out (EXDATE), and the one-off entries as occurrences
// moved from such a day (RECURRENCE-ID).
#pragma once

#include <utility>
#include <vector>

#include "store/Store.h"

struct IcsGroup {
  Entry rule{};  // the first repeating entry, its range stretched over the group
  std::vector<DayNo> exdates;
  std::vector<std::pair<DayNo, const Entry*>> moved;  // the day moved from, the entry that takes its place
};

// False when the entries are no such group; they are then written one by one.
bool IcsGroup_Join(std::vector<const Entry*> entries, IcsGroup& out);
