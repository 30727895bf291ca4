// The test-only option of velmo-headless and velmo.exe that starts the clock
// at a given local time: its row and its reader.
#pragma once
#include <cstdint>
#include <cstdio>

#include "calendar/Date.h"
#include "options/Options.h"

struct NowFields {
  int year, month, mday, hour, minute, second;
};

constexpr OptionRow NowOption_Row(int id, const char* help) { return {id, "--now", "YYYY-MM-DDTHH:MM[:SS]", help}; }

inline constexpr const char* NOW_OPTION_WANTS = "--now wants YYYY-MM-DDTHH:MM[:SS]";

// YYYY-MM-DDTHH:MM[:SS]: a real date that has a day number (1 January 1900 ..
// 5 June 2079) and a real time.
inline bool NowOption_Read(const char* text, NowFields& now) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, used = 0;
  const int n = std::sscanf(text, "%4d-%2d-%2dT%2d:%2d%n:%2d%n", &y, &mo, &d, &h, &mi, &used, &s, &used);
  if (n < 5 || text[used] != '\0') return false;
  const auto in = [](int v, int low, int high) { return v >= low && v <= high; };
  if (!in(y, DATE_FIRST_YEAR, DATE_LAST_YEAR) || !in(mo, 1, 12) || !in(d, 1, 31) || !in(h, 0, 23) ||
      !in(mi, 0, 59) || !in(s, 0, 59))
    return false;
  const auto year = static_cast<std::uint16_t>(y), month = static_cast<std::uint16_t>(mo),
             mday = static_cast<std::uint16_t>(d);
  std::uint16_t y2 = 0, m2 = 0, d2 = 0;
  const DayNo day = Date_ToDayNo(year, month, mday);
  DayNo_ToDate(day, y2, m2, d2);
  if (day == DAY_NONE || y2 != year || m2 != month || d2 != mday) return false;
  now = {y, mo, d, h, mi, s};
  return true;
}
