// What iCalendar export and import share: the PRODID and the local time
// zone. The entries' UIDs are their identities (files/Identity.h).
#pragma once

#include <libical/ical.h>

// The PRODID export-ics writes; import-ics knows its own files by it.
inline constexpr const char* ICS_PRODID = "-//Velmo//velmo-cli//EN";

// The local time zone's name ("Asia/Tokyo"), and libical's zone for it; UTC
// (null name) when the zone is UTC or libical does not know it.
const char* IcsShared_ZoneName();
icaltimezone* IcsShared_Zone();
