// RRULEs in Velmo's seven rules, and Velmo's rules in words.
#pragma once

#include <string>

#include "IcsRecur.h"

#include "store/Store.h"

struct IcsRule {
  RepeatType repeat = REPEAT_NONE;
  int interval = 1;
  std::uint8_t weekMask = 0, weekdayMask = 0;
  bool daily = false;   // FREQ=DAILY, interval 1, nothing else: a timed one is a range
  std::string notKept;  // what Velmo cannot say; empty when kept
};

void IcsRules_Note(std::string& list, const std::string& what);

// The rule of an item starting on day start, in the days of the zone the
// item is written in. COUNT and UNTIL are the caller's.
IcsRule IcsRules_Map(const IcsRecur& r, DayNo start);

// The same rule seen shift days later (-1..1): weekly rules move their
// weekdays, the others keep their fields (checked day by day by the caller).
void IcsRules_Shift(Entry& e, int shift);

// e's fields derived at registration, so that rules can be matched before it.
void IcsRules_Derive(Entry& e);

// The rule in the words of velmo-cli add's --repeat ("weekly:mon,thu/2").
std::string IcsRules_Words(const Entry& e);
