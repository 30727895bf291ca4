// One month expanded into sorted daily occurrences, cached in three slots
// (month M in slot M mod 3), and the label and Saturday filters steering it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Capacity.h"
#include "calendar/Date.h"
#include "store/Store.h"

// The per-day arrays of a month, indexed by day of month 1..31 (0 unused).
inline constexpr std::size_t MONTH_REC_DAYS = cap::kMonthDays + 1;

// Views address an entry as (day, index in list[day]). A slot is current while
// generation equals the store's (Store_Invalidate bumps it); valid only says
// the slot was ever computed.
struct MonthRec {
  std::uint8_t valid;
  std::uint32_t generation;
  MonthNo monthNo;
  std::uint16_t days;      // 28..31
  DayNo firstDay;
  DayNo lastDay;
  std::uint16_t holiday[MONTH_REC_DAYS];  // by day of month
  std::uint16_t count[MONTH_REC_DAYS];
  Entry** list[MONTH_REC_DAYS];           // the day's run in occ, count[d] long
  Entry* occ[cap::kMonthOccurrences];  // room for every entry on every day
};

// The last month with days (June 2079); later months expand empty.
inline constexpr MonthNo MONTH_LAST = 12 * (DATE_LAST_YEAR - DATE_FIRST_YEAR) + 5;

// Cached or freshly computed expansion of month m. The reference stays usable
// until its slot is recomputed (another month of slot m mod 3, or any request
// for that slot after Store_Invalidate).
const MonthRec& MonthRec_GetByMonthNo(MonthNo m);

// The occurrence at (day, index of that day's list), or null.
Entry* MonthRec_EntryAt(DayNo day, std::uint16_t index);

// Whether e's repeat rule lets it occur on day n (n inside its range assumed;
// repeat 0 always matches). A repeat outside 0..6 is the fatal stop.
bool MonthRec_RuleMatches(const Entry& e, DayNo n);

// Toggles the done mark of the task at (day, index); false (nothing changed)
// when that is no task or the done block cannot be allocated.
bool Entry_ToggleDone(DayNo day, std::uint16_t index);
// Marks the index-th occurrence of day deleted; false when there is none.
bool Entry_DeleteAt(DayNo day, int index);

// The filters (part of the store; any change invalidates the cache).
void Store_SetLabelVisible(std::uint16_t label, bool visible);
void Store_SelectLabel(std::uint16_t label);
void Store_SetSaturdayHoliday(bool on);
bool Store_LabelVisible(std::uint16_t label);  // labels above 7 are always visible
bool Store_SaturdayHoliday();
