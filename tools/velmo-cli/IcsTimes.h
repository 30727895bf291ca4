// DATE and DATE-TIME values of an iCalendar file, read by the rules of
// RFC 5545 (an invalid date is told as such) with their zones resolved.
#pragma once

#include <string>
#include <string_view>

#include "IcsLines.h"
#include "IcsZones.h"
#include "calendar/Date.h"

struct IcsWhen {
  DayNo day = DAY_NONE;
  int second = 0;  // of the day
  bool isDate = false;
  bool utc = false;
  const IcsZone* zone = nullptr;  // null: floating (local) time or a date
};

// One value ("20260105T100000Z", "20260105") with the zone named by tzid
// (empty: none). False, with why, for a value that is no date or time, a
// day that does not exist, a year outside Velmo's days, or an unknown zone.
bool IcsTimes_Value(const std::string& value, bool dateOnly, const std::string& tzid, IcsWhen& out,
                    std::string& why);
// A property's value (VALUE=DATE and TZID heeded).
bool IcsTimes_Read(const IcsLine& line, IcsWhen& out, std::string& why);
// A DURATION value ("PT1H30M", "-P1W", "P1DT12H") in seconds; false for
// what is no duration.
bool IcsTimes_Duration(std::string_view value, IcsSeconds& out);
// The same moment in the given zone's days (null: local); dates stay.
IcsWhen IcsTimes_In(const IcsWhen& t, const IcsZone* zone);
// The first and last day an imported entry may have: what the window's dialogs accept.
bool IcsTimes_InRange(DayNo day);
std::string IcsTimes_RangeText();
