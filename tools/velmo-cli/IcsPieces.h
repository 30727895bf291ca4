// A repeating item cut into the pieces Velmo's rules can hold exactly: its
// occurrences walked day by day in its own zone and seen in the local one;
// a new piece starts where a left-out occurrence (EXDATE, a moved one, the
// end of COUNT) or a change of the local times (summer time in either zone)
// falls. Each piece is checked against the occurrences day by day.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "IcsZones.h"
#include "store/Store.h"

struct IcsSeries {
  Entry rule{};                   // repeat fields; startDay the first day in the item's own zone
  DayNo last = DAY_OPEN_END;      // the last day the rule may fall on, in that zone
  unsigned count = 0;             // COUNT; 0 without
  std::set<DayNo> excluded;       // days in that zone whose occurrence is left out or moved
  const IcsZone* zone = nullptr;  // null: floating times or dates, the same days everywhere
  bool timed = false;
  int startSecond = 0;            // of the day, in the item's zone
  IcsSeconds length = 0;          // seconds from start to end
  bool hasEnd = false;
};

struct IcsPiece {
  Entry rule{};  // repeat fields and range (startDay, endDay), local days
  int startHour = 0, startMinute = 0, endHour = 0, endMinute = 0;
};

struct IcsCut {
  std::vector<IcsPiece> pieces;
  bool cutAtMidnight = false;  // an occurrence ran past midnight
  std::string notKept;         // why no exact pieces; empty when they are
};

IcsCut IcsPieces_Cut(const IcsSeries& s);

// Local day and second of the day of a time on day in zone (null: local).
void IcsPieces_Local(const IcsZone* zone, DayNo day, int second, DayNo& localDay, int& localSecond);
