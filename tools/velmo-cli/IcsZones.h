// The time zones an iCalendar file names, each as a table of its UTC offsets
// over Velmo's days (1969 to 2079), so that converting an occurrence is a
// look-up. A VTIMEZONE of the file comes before a zone of the system's.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "IcsLines.h"

using IcsSeconds = std::int64_t;  // seconds since 00:00 of DayNo 0

struct IcsZone {
  std::vector<IcsSeconds> at;  // UTC instants at which the offset changes
  std::vector<int> offset;     // seconds east of UTC: offset[0] before at[0], offset[i + 1] from at[i]
};

// Whether a zone's name (empty too) names UTC.
bool IcsZones_IsUtcName(const std::string& name);
// A zone's table from its offset (seconds east of UTC) at UTC instants: day
// by day over Velmo's days, each change found to the minute.
IcsZone IcsZones_Scan(const std::function<int(IcsSeconds)>& offsetAt);

// Takes the file's VTIMEZONEs (kept by reference: calendars outlive the
// import); one the import cannot use bounded is refused
// here and reported when an item names it.
void IcsZones_Take(const std::vector<IcsComponent>& calendars);
// The zone named by a TZID; null with why when there is none to use.
const IcsZone* IcsZones_Find(const std::string& tzid, std::string& why);
const IcsZone& IcsZones_Local();
const IcsZone& IcsZones_Utc();
// Whether two zones keep the same offsets over Velmo's days.
bool IcsZones_Same(const IcsZone& a, const IcsZone& b);

IcsSeconds IcsZones_Wall(const IcsZone& z, IcsSeconds utc);
IcsSeconds IcsZones_Utc(const IcsZone& z, IcsSeconds wall);
