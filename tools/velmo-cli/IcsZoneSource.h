// Where the offsets of time zones come from: in velmo-cli the system's zone
// data through libical; in the browser the browser's own (Intl) and the
// file's VTIMEZONE read by Velmo. IcsZones turns them into tables.
#pragma once

#include <string>

#include "IcsZones.h"

// The local zone's name ("Asia/Tokyo"); null when it is UTC or unknown.
const char* IcsZoneSource_LocalName();
// The local zone's table (UTC's when it has no name).
IcsZone IcsZoneSource_Local();
// A zone of the system's by its name; false when there is none.
bool IcsZoneSource_System(const std::string& tzid, IcsZone& out);
// A file's VTIMEZONE, already checked to be bounded; false when it gives no zone.
bool IcsZoneSource_File(const IcsComponent& vtimezone, IcsZone& out);
// The local zone as the VTIMEZONE an export carries (its name as TZID);
// false when there is none to write.
bool IcsZoneSource_LocalComponent(IcsComponent& out);
