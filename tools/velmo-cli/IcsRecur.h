// RRULE values (RFC 5545 3.3.10) as a record of Velmo's own, read and
// written without a calendar library, so that the browser build reads and
// writes rules as velmo-cli does.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum IcsFreq { ICS_FREQ_NONE, ICS_SECONDLY, ICS_MINUTELY, ICS_HOURLY, ICS_DAILY, ICS_WEEKLY, ICS_MONTHLY, ICS_YEARLY };

inline constexpr int ICS_SUNDAY = 0, ICS_MONDAY = 1;

struct IcsByDay {
  int position = 0;  // 0: every such weekday; 1..53 from the start, -1..-53 from the end
  int weekday = 0;   // Sunday 0 .. Saturday 6
};

struct IcsUntil {
  bool set = false;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  bool isDate = false, utc = false;
};

struct IcsRecur {
  IcsFreq freq = ICS_FREQ_NONE;
  int interval = 1;
  int count = 0;  // 0: none
  IcsUntil until;
  int weekStart = ICS_MONDAY;
  std::vector<IcsByDay> byDay;
  std::vector<int> bySecond, byMinute, byHour, byMonthDay, byYearDay, byWeekNo, byMonth, bySetPos;
};

// False for what is no rule: no FREQ, a part named twice, an unknown part, a
// value out of its range, COUNT beside UNTIL.
bool IcsRecur_Read(std::string_view text, IcsRecur& out);
// The rule's text: FREQ, UNTIL or COUNT, INTERVAL above 1, the BY parts, and
// WKST when it is not Monday.
std::string IcsRecur_Write(const IcsRecur& r);
const char* IcsRecur_FreqName(IcsFreq freq);
