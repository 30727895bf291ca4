// What iCalendar export and import share: the PRODID. The entries' UIDs are
// their identities (files/Identity.h); the local zone is IcsZoneSource's.
#pragma once

// The PRODID export-ics writes; import-ics knows its own files by it.
inline constexpr const char* ICS_PRODID = "-//Velmo//velmo-cli//EN";
