#include "IcsRules.h"

#include "calendar/Date.h"

namespace {

constexpr int kMaxInterval = 255;
constexpr std::uint8_t kEveryWeek = 0x1F;  // weeks 1..4 and the last: every such weekday
constexpr const char* kDayNames[7] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};
constexpr const char* kWeekNames[5] = {"1", "2", "3", "4", "last"};

// BYDAY as Velmo's weeks and weekdays; false when it is not their product.
bool WeeksAndDays(const IcsRecur& r, std::uint8_t& weeks, std::uint8_t& days, std::string& notKept) {
  weeks = days = 0;
  const int n = static_cast<int>(r.byDay.size());
  bool plain = false, numbered = false;
  for (const IcsByDay& d : r.byDay) {
    const int pos = d.position;
    const int w = d.weekday;
    if (w < 0 || w > 6) return IcsRules_Note(notKept, "BYDAY"), false;
    days |= WeekdayBit(static_cast<std::uint16_t>(w));
    if (pos == 0) {
      plain = true;
    } else if (pos >= 1 && pos <= 4) {
      numbered = true;
      weeks |= WeekBit(static_cast<std::uint16_t>(pos));
    } else if (pos == -1) {
      numbered = true;
      weeks |= WEEK_LAST;
    } else {
      return IcsRules_Note(notKept, "BYDAY=" + std::to_string(pos) + "..."), false;
    }
  }
  if (plain && numbered) return IcsRules_Note(notKept, "BYDAY mixing numbered and plain weekdays"), false;
  if (plain) weeks = kEveryWeek;
  int expected = 0;
  for (int b = 0; b < 8; ++b) expected += ((weeks >> b) & 1) * __builtin_popcount(days);
  if (numbered && expected != n) {
    return IcsRules_Note(notKept, "BYDAY that is not every listed week times every listed weekday"), false;
  }
  return true;
}

// Weeks of interval > 1 group days as the week start says; Velmo's weeks
// start on Sunday. The same days come out when all of them lie on one side
// of the week start.
bool SameWeeks(const IcsRecur& r, std::uint8_t days) {
  if (r.interval <= 1) return true;
  const int start = r.weekStart;  // Sunday 0
  if (start <= 0 || start > 6) return true;
  const std::uint8_t before = static_cast<std::uint8_t>((1u << start) - 1);
  return (days & before) == 0 || (days & ~before & 0x7F) == 0;
}

void MonthOrYear(const IcsRecur& r, DayNo start, IcsRule& out) {
  std::uint16_t year, month, mday;
  DayNo_ToDate(start, year, month, mday);
  const bool yearly = r.freq == ICS_YEARLY;
  const std::size_t months = r.byMonth.size(), monthDays = r.byMonthDay.size(), byDays = r.byDay.size();
  std::string& n = out.notKept;
  if (months > 1 || (months == 1 && r.byMonth[0] != month)) IcsRules_Note(n, "BYMONTH other than DTSTART's month");
  if (months && !yearly) IcsRules_Note(n, "BYMONTH on a monthly rule");
  if (monthDays > 1) IcsRules_Note(n, "several BYMONTHDAY");
  if (monthDays == 1 && r.byMonthDay[0] != mday) IcsRules_Note(n, "BYMONTHDAY other than DTSTART's day");
  if (monthDays && byDays) IcsRules_Note(n, "BYMONTHDAY with BYDAY");
  if (byDays && yearly && months == 0) IcsRules_Note(n, "BYDAY on a yearly rule without BYMONTH");
  if (byDays == 0) {
    out.repeat = yearly ? REPEAT_YEAR_DAY : REPEAT_MONTH_DAY;
    return;
  }
  std::uint8_t weeks = 0, days = 0;
  if (WeeksAndDays(r, weeks, days, n)) {
    const std::uint8_t set = Date_WeekSet(mday, Date_MonthLength(year, month));
    if ((weeks & set) == 0 || (days & WeekdayBit(DayNo_Weekday(start))) == 0) {
      IcsRules_Note(n, "DTSTART on a day its BYDAY skips");
    }
  }
  out.repeat = yearly ? REPEAT_YEAR_WEEKDAY : REPEAT_MONTH_WEEKDAY;
  out.weekMask = weeks;
  out.weekdayMask = days;
}

std::string DayList(std::uint8_t mask) {
  std::string out;
  for (int w = 0; w < 7; ++w) {
    if (mask & WeekdayBit(static_cast<std::uint16_t>(w))) out.append(out.empty() ? "" : ",").append(kDayNames[w]);
  }
  return out;
}

std::string WeekdayList(const Entry& e) {
  std::string out;
  for (int k = 0; k < 5; ++k) {
    if ((e.weekMask & (1u << k)) == 0) continue;
    for (int w = 0; w < 7; ++w) {
      if (e.weekdayMask & WeekdayBit(static_cast<std::uint16_t>(w))) {
        out.append(out.empty() ? "" : ",").append(kWeekNames[k]).append(kDayNames[w]);
      }
    }
  }
  return out;
}

}  // namespace

void IcsRules_Note(std::string& list, const std::string& what) {
  if (!list.empty()) list += ", ";
  list += what;
}

IcsRule IcsRules_Map(const IcsRecur& r, DayNo start) {
  IcsRule out;
  std::string& n = out.notKept;
  if (!r.bySecond.empty()) IcsRules_Note(n, "BYSECOND");
  if (!r.byMinute.empty()) IcsRules_Note(n, "BYMINUTE");
  if (!r.byHour.empty()) IcsRules_Note(n, "BYHOUR");
  if (!r.byYearDay.empty()) IcsRules_Note(n, "BYYEARDAY");
  if (!r.byWeekNo.empty()) IcsRules_Note(n, "BYWEEKNO");
  if (!r.bySetPos.empty()) IcsRules_Note(n, "BYSETPOS");
  if (r.interval > kMaxInterval) IcsRules_Note(n, "INTERVAL above 255");
  const std::size_t months = r.byMonth.size(), monthDays = r.byMonthDay.size(), byDays = r.byDay.size();
  out.interval = r.interval < 1 ? 1 : r.interval;
  const std::uint8_t weekday = WeekdayBit(DayNo_Weekday(start));
  switch (r.freq) {
    case ICS_DAILY:
      if (months || monthDays || byDays) IcsRules_Note(n, "BYMONTH, BYMONTHDAY or BYDAY on a daily rule");
      out.repeat = REPEAT_DAYS;
      out.daily = out.interval == 1;
      break;
    case ICS_WEEKLY: {
      if (months || monthDays) IcsRules_Note(n, "BYMONTH or BYMONTHDAY on a weekly rule");
      std::uint8_t weeks = 0, days = weekday;
      if (byDays && (!WeeksAndDays(r, weeks, days, n) || weeks != kEveryWeek)) {
        IcsRules_Note(n, "numbered BYDAY on a weekly rule");
      }
      if ((days & weekday) == 0) IcsRules_Note(n, "DTSTART on a day its BYDAY skips");
      if (!SameWeeks(r, days)) IcsRules_Note(n, "WKST other than SU with INTERVAL above 1");
      out.repeat = REPEAT_WEEKS;
      out.weekMask = days;
      break;
    }
    case ICS_MONTHLY:
    case ICS_YEARLY: MonthOrYear(r, start, out); break;
    default: IcsRules_Note(n, std::string("FREQ=") + IcsRecur_FreqName(r.freq));
  }
  return out;
}

void IcsRules_Shift(Entry& e, int shift) {
  if (e.repeat != REPEAT_WEEKS || shift == 0) return;
  const unsigned by = static_cast<unsigned>((shift % 7 + 7) % 7);
  const unsigned mask = e.weekMask & 0x7Fu;
  e.weekMask = static_cast<std::uint8_t>(((mask << by) | (mask >> (7 - by))) & 0x7Fu);
}

void IcsRules_Derive(Entry& e) {
  DayNo_ToMonthNo(e.startDay, e.startMonthNo, e.startMday);
  e.startMonth = static_cast<std::uint16_t>(e.startMonthNo % 12 + 1);
}

std::string IcsRules_Words(const Entry& e) {
  // gcc 12 warns falsely (-Wrestrict) about "literal" + std::string at -O3: appends only.
  const std::string every = e.interval > 1 ? std::string("/").append(std::to_string(e.interval)) : std::string();
  switch (e.repeat) {
    case REPEAT_DAYS: return "daily" + every;
    case REPEAT_WEEKS: return "weekly:" + DayList(e.weekMask) + every;
    case REPEAT_MONTH_DAY: return "monthly" + every;
    case REPEAT_MONTH_WEEKDAY: return "monthly:" + WeekdayList(e) + every;
    case REPEAT_YEAR_DAY: return "yearly" + every;
    case REPEAT_YEAR_WEEKDAY: return "yearly:" + WeekdayList(e) + every;
    default: return "";
  }
}
