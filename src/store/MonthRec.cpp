#include "store/MonthRec.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// An entry that occurs in the month being built: its table position (the
// last sort key, which is allocation order) and the days it occurs on.
struct Candidate {
  unsigned __int128 key;  // the display order: kind, the kind's keys, table position
  Entry* e;
  std::uint32_t days;  // bit d set: occurs on day d of the month
};

struct MonthBuild {
  MonthRec slots[cap::kMonthCacheSlots];
  Candidate candidates[cap::kEntries];
};

// Static: the expansion never allocates, and a slot's arrays outlive every
// reference handed out.
MonthBuild build;

// What a rule needs to know about one day of the month being built.
struct DayFacts {
  MonthNo monthNo;
  std::uint16_t month;    // 1..12
  std::uint16_t mday;
  std::uint16_t weekday;
  std::uint8_t weekSet;
};

[[noreturn]] void Panic(const char* text) {
  std::fprintf(stderr, "PANIC: %s\n", text);
  std::fflush(stderr);
  std::exit(1);
}

// A damaged file may hold interval 0; it counts as 1.
int IntervalOf(const Entry& e) { return e.interval == 0 ? 1 : e.interval; }

bool EveryNth(int distance, const Entry& e) { return distance % IntervalOf(e) == 0; }

bool WeeksAndWeekday(const Entry& e, const DayFacts& f) {
  return (e.weekMask & f.weekSet) != 0 && (e.weekdayMask & WeekdayBit(f.weekday)) != 0;
}

bool RuleMatches(const Entry& e, DayNo n, const DayFacts& f) {
  const int months = int{f.monthNo} - int{e.startMonthNo};
  const int years = int{f.monthNo} / 12 - int{e.startMonthNo} / 12;
  switch (e.repeat) {
    case REPEAT_NONE:
      return true;
    case REPEAT_DAYS:
      return EveryNth(int{n} - int{e.startDay}, e);
    case REPEAT_WEEKS:
      return EveryNth(int{n} / 7 - int{e.startDay} / 7, e) &&
             (e.weekMask & WeekdayBit(f.weekday)) != 0;
    case REPEAT_MONTH_DAY:
      return EveryNth(months, e) && f.mday == e.startMday;
    case REPEAT_MONTH_WEEKDAY:
      return EveryNth(months, e) && WeeksAndWeekday(e, f);
    case REPEAT_YEAR_DAY:
      return EveryNth(years, e) && f.month == e.startMonth && f.mday == e.startMday;
    case REPEAT_YEAR_WEEKDAY:
      return EveryNth(years, e) && f.month == e.startMonth && WeeksAndWeekday(e, f);
    default:
      Panic("MonthRec_GetByMonthNo(): Invalid repeat attribute");
  }
}

DayNo DoneDay(const Entry& e) {
  return e.done != nullptr && e.doneLen >= 2 ? e.done[0] : DAY_NONE;
}

// A done task shows only on the day it was marked done.
bool HiddenByDone(const Entry& e, DayNo n) {
  return e.kind == KIND_TASK && e.doneLen != 0 && DoneDay(e) != n;
}

bool Filtered(const Entry& e, const StoreFilter& filter) {
  if (e.kind == KIND_DELETED) return true;
  return e.label < cap::kLabels && !filter.labelVisible[e.label];
}

// The keys of the display order within a kind, as one number (earlier is
// smaller): holidays by start day, then the later end first; timed items by
// start time; schedules by start time, end time, start day, then the later
// end first; tasks open before done, then by rank. Sorting then compares
// integers instead of entries.
std::uint64_t KindKeys(const Entry& e) {
  const auto later = [](DayNo day) { return std::uint64_t{DAY_OPEN_END} - day; };
  switch (e.kind) {
    case KIND_HOLIDAY:
      return std::uint64_t{e.startDay} << 16 | later(e.endDay);
    case KIND_TIMED:
      return std::uint64_t{e.startHour} << 56 | std::uint64_t{e.startMinute} << 48;
    case KIND_SCHEDULE:
      return std::uint64_t{e.startHour} << 56 | std::uint64_t{e.startMinute} << 48 |
             std::uint64_t{e.endHour} << 40 | std::uint64_t{e.endMinute} << 32 |
             std::uint64_t{e.startDay} << 16 | later(e.endDay);
    case KIND_TASK:
      return std::uint64_t{e.doneLen != 0} << 8 | e.rank;
    default:
      return 0;
  }
}

unsigned __int128 SortKey(const Entry& e, std::uint16_t index) {
  return static_cast<unsigned __int128>(e.kind) << 80 |
         static_cast<unsigned __int128>(KindKeys(e)) << 16 | index;
}

bool Before(const Candidate& a, const Candidate& b) { return a.key < b.key; }

void ClearDays(MonthRec& rec) {
  for (std::uint16_t d = 0; d < MONTH_REC_DAYS; ++d) {
    rec.holiday[d] = 0;
    rec.count[d] = 0;
    rec.list[d] = rec.occ;
  }
}

void SetHeader(MonthRec& rec, MonthNo m) {
  std::uint16_t year, month;
  Date_MonthNoToDate(m, year, month);
  rec.monthNo = m;
  rec.days = Date_MonthLength(year, month);
  rec.firstDay = Date_ToDayNo(year, month, 1);
  const std::uint32_t last = std::uint32_t{rec.firstDay} + rec.days - 1;
  rec.lastDay = static_cast<DayNo>(std::min<std::uint32_t>(last, DAY_OPEN_END));
}

void MarkWeekendHolidays(MonthRec& rec, bool saturdayHoliday) {
  for (std::uint16_t d = 1; d <= rec.days; ++d) {
    const std::uint16_t w = DayNo_Weekday(static_cast<DayNo>(rec.firstDay + d - 1));
    rec.holiday[d] = (w == WEEKDAY_SUNDAY || (w == WEEKDAY_SATURDAY && saturdayHoliday)) ? 1 : 0;
  }
}

// The days of the month with each weekday and in each week of the month
// (first to fourth, last seven days), as bits 1..31.
struct MonthDays {
  std::uint32_t weekday[7];
  std::uint32_t week[5];
};

std::uint32_t DaysOf(const std::uint32_t* sets, int count, std::uint8_t mask) {
  std::uint32_t bits = 0;
  for (int i = 0; i < count; ++i) {
    if (mask & (1u << i)) bits |= sets[i];
  }
  return bits;
}

std::uint32_t WeeksAndWeekdayDays(const Entry& e, const MonthDays& days) {
  return DaysOf(days.week, 5, e.weekMask) & DaysOf(days.weekday, 7, e.weekdayMask);
}

// The days a rule allows in the whole month, or false when the rule needs
// to be asked day by day.
bool RuleDays(const Entry& e, const DayFacts& f, const MonthDays& days, std::uint32_t& bits) {
  const int months = int{f.monthNo} - int{e.startMonthNo};
  const int years = int{f.monthNo} / 12 - int{e.startMonthNo} / 12;
  const std::uint32_t startMday = e.startMday < 32 ? 1u << e.startMday : 0;
  switch (e.repeat) {
    case REPEAT_NONE:
      bits = ~0u;
      return true;
    case REPEAT_WEEKS:
      if (IntervalOf(e) != 1) return false;
      bits = DaysOf(days.weekday, 7, e.weekMask);
      return true;
    case REPEAT_MONTH_DAY:
      bits = EveryNth(months, e) ? startMday : 0;
      return true;
    case REPEAT_MONTH_WEEKDAY:
      bits = EveryNth(months, e) ? WeeksAndWeekdayDays(e, days) : 0;
      return true;
    case REPEAT_YEAR_DAY:
      bits = EveryNth(years, e) && f.month == e.startMonth ? startMday : 0;
      return true;
    case REPEAT_YEAR_WEEKDAY:
      bits = EveryNth(years, e) && f.month == e.startMonth ? WeeksAndWeekdayDays(e, days) : 0;
      return true;
    default:  // every N days, and unknown rules (the fatal stop)
      return false;
  }
}

// Bits from..to of a month.
std::uint32_t DayRange(std::uint32_t from, std::uint32_t to) {
  return static_cast<std::uint32_t>((std::uint64_t{2} << to) - (std::uint64_t{1} << from));
}

// The days of the month on which e occurs, as bits 1..31.
std::uint32_t OccurrenceDays(const Entry& e, const MonthRec& rec, const DayFacts* facts,
                             const MonthDays& days) {
  const DayNo from = std::max(e.startDay, rec.firstDay);
  const DayNo to = std::min(e.endDay, rec.lastDay);
  std::uint32_t bits = 0;
  if (RuleDays(e, facts[1], days, bits)) {
    bits &= DayRange(from - rec.firstDay + 1u, to - rec.firstDay + 1u);
    if (e.kind != KIND_TASK || e.doneLen == 0) return bits;
    // A done task shows only on the day it was marked done.
    const DayNo done = DoneDay(e);
    if (done < rec.firstDay || done > rec.lastDay) return 0;
    return bits & (1u << (done - rec.firstDay + 1));
  }
  for (std::uint32_t n = from; n <= to; ++n) {
    const std::uint16_t d = static_cast<std::uint16_t>(n - rec.firstDay + 1);
    const DayNo day = static_cast<DayNo>(n);
    if (e.repeat != REPEAT_NONE && !RuleMatches(e, day, facts[d])) continue;
    if (HiddenByDone(e, day)) continue;
    bits |= 1u << d;
  }
  return bits;
}

std::uint16_t GatherCandidates(MonthRec& rec, const DayFacts* facts, const MonthDays& days) {
  const StoreFilter& filter = Store_Filter();
  std::uint16_t found = 0;
  std::uint16_t pos = Store_First();
  for (Entry* e = Store_Next(pos); e != nullptr; e = Store_Next(pos)) {
    if (Filtered(*e, filter) || e->endDay < rec.firstDay || e->startDay > rec.lastDay) continue;
    const std::uint32_t bits = OccurrenceDays(*e, rec, facts, days);
    if (bits == 0) continue;
    build.candidates[found++] = Candidate{SortKey(*e, static_cast<std::uint16_t>(pos - 1)), e, bits};
    if (e->kind != KIND_HOLIDAY) continue;
    for (std::uint16_t d = 1; d <= rec.days; ++d) {
      if (bits & (1u << d)) rec.holiday[d] = 1;
    }
  }
  return found;
}

// Candidates are already in display order, so each day's run comes out sorted.
void FillRuns(MonthRec& rec, std::uint16_t found) {
  for (std::uint16_t i = 0; i < found; ++i) {
    for (std::uint32_t bits = build.candidates[i].days; bits != 0; bits &= bits - 1) {
      ++rec.count[__builtin_ctz(bits)];
    }
  }
  std::uint32_t total = 0;
  std::uint16_t filled[MONTH_REC_DAYS] = {};
  for (std::uint16_t d = 1; d <= rec.days; ++d) {
    rec.list[d] = rec.occ + total;
    total += rec.count[d];
  }
  for (std::uint16_t i = 0; i < found; ++i) {
    const Candidate& c = build.candidates[i];
    for (std::uint32_t bits = c.days; bits != 0; bits &= bits - 1) {
      const int d = __builtin_ctz(bits);
      rec.list[d][filled[d]++] = c.e;
    }
  }
}

void Expand(MonthRec& rec, MonthNo m) {
  const StoreFilter& filter = Store_Filter();
  ClearDays(rec);
  SetHeader(rec, m);
  rec.valid = 1;
  rec.generation = filter.generation;
  MarkWeekendHolidays(rec, filter.saturdayHoliday);
  if (m > MONTH_LAST) return;
  DayFacts facts[MONTH_REC_DAYS] = {};
  MonthDays days = {};
  std::uint16_t year, month;
  Date_MonthNoToDate(m, year, month);
  for (std::uint16_t d = 1; d <= rec.days; ++d) {
    facts[d] = DayFacts{m, month, d, DayNo_Weekday(static_cast<DayNo>(rec.firstDay + d - 1)),
                        Date_WeekSet(d, rec.days)};
    days.weekday[facts[d].weekday] |= 1u << d;
    for (int w = 0; w < 5; ++w) {
      if (facts[d].weekSet & (1u << w)) days.week[w] |= 1u << d;
    }
  }
  const std::uint16_t found = GatherCandidates(rec, facts, days);
  std::sort(build.candidates, build.candidates + found, Before);
  FillRuns(rec, found);
}

}  // namespace

static_assert(cap::kMonthDays < 32, "occurrence days are kept as bits 1..31");

const MonthRec& MonthRec_GetByMonthNo(MonthNo m) {
  MonthRec& rec = build.slots[m % cap::kMonthCacheSlots];
  if (rec.valid && rec.monthNo == m && rec.generation == Store_Filter().generation) return rec;
  Expand(rec, m);
  return rec;
}

Entry* MonthRec_EntryAt(DayNo day, std::uint16_t index) {
  if (day == DAY_NONE) return nullptr;
  MonthNo m;
  std::uint16_t mday;
  DayNo_ToMonthNo(day, m, mday);
  const MonthRec& rec = MonthRec_GetByMonthNo(m);
  if (mday < 1 || mday > rec.days || index >= rec.count[mday]) return nullptr;
  return rec.list[mday][index];
}

bool MonthRec_RuleMatches(const Entry& e, DayNo n) {
  if (e.repeat == REPEAT_NONE) return true;
  std::uint16_t year, month, mday;
  DayNo_ToDate(n, year, month, mday);
  const DayFacts f{Date_ToMonthNo(year, month), month, mday, DayNo_Weekday(n),
                   Date_WeekSet(mday, Date_MonthLength(year, month))};
  return RuleMatches(e, n, f);
}

bool Entry_ToggleDone(DayNo day, std::uint16_t index) {
  Entry* e = MonthRec_EntryAt(day, index);
  if (e == nullptr || e->kind != KIND_TASK) return false;
  if (e->doneLen != 0) {
    e->doneLen = 0;
    e->done = nullptr;
  } else {
    std::uint16_t* block = Store_AllocWords(1);
    if (block == nullptr) return false;
    block[0] = day;
    e->done = block;
    e->doneLen = 2;
  }
  Store_Changed();
  return true;
}

bool Entry_DeleteAt(DayNo day, int index) {
  Entry* e = index < 0 ? nullptr : MonthRec_EntryAt(day, static_cast<std::uint16_t>(index));
  if (e == nullptr) return false;
  Store_Delete(e);
  Store_Changed();
  return true;
}

void Store_SetLabelVisible(std::uint16_t label, bool visible) {
  if (label < cap::kLabels) Store_Filter().labelVisible[label] = visible;
  Store_Invalidate();
}

void Store_SelectLabel(std::uint16_t label) {
  StoreFilter& filter = Store_Filter();
  if (label == 0) {
    for (bool& v : filter.labelVisible) v = true;
  } else if (label < cap::kLabels) {
    for (bool& v : filter.labelVisible) v = false;
    filter.labelVisible[0] = true;
    filter.labelVisible[label] = true;
  }
  Store_Invalidate();
}

void Store_SetSaturdayHoliday(bool on) {
  Store_Filter().saturdayHoliday = on;
  Store_Invalidate();
}

bool Store_LabelVisible(std::uint16_t label) {
  return label >= cap::kLabels || Store_Filter().labelVisible[label];
}

bool Store_SaturdayHoliday() { return Store_Filter().saturdayHoliday; }
