#include "IcsPieces.h"

#include <map>

#include "IcsRules.h"
#include "store/MonthRec.h"

namespace {

constexpr std::size_t kMaxPieces = 100;  // entries one item may become
constexpr int kDaySeconds = 86400;
// Occurrences worked out per file: the walk of every item is bounded, and
// so is the file's (8 MB of open rules must not take minutes).
constexpr std::uint32_t kFileOccurrences = 4000000;

std::uint32_t occurrencesLeft = kFileOccurrences;

// The first day from n on that can hold an occurrence: whole blocks of
// days the rule skips (weeks or months out of step, other months of the
// year) are passed over at once.
std::uint32_t Candidate(const Entry& r, std::uint32_t n) {
  const int every = r.interval == 0 ? 1 : r.interval;
  switch (r.repeat) {
    case REPEAT_DAYS: {
      const std::uint32_t off = (n - r.startDay) % static_cast<std::uint32_t>(every);
      return off == 0 ? n : n + static_cast<std::uint32_t>(every) - off;
    }
    case REPEAT_WEEKS:
      if ((r.weekMask & 0x7F) == 0) return DAY_OPEN_END;
      while (n < DAY_OPEN_END) {
        if ((n / 7 - r.startDay / 7) % static_cast<std::uint32_t>(every) != 0) {
          n = (n / 7 + 1) * 7;
        } else if ((r.weekMask & WeekdayBit(static_cast<std::uint16_t>(n % 7))) == 0) {
          ++n;
        } else {
          return n;
        }
      }
      return DAY_OPEN_END;
    case REPEAT_NONE: return n;
    default: {
      MonthNo month;
      std::uint16_t mday;
      DayNo_ToMonthNo(static_cast<DayNo>(n), month, mday);
      const bool yearly = r.repeat == REPEAT_YEAR_DAY || r.repeat == REPEAT_YEAR_WEEKDAY;
      const int step = (yearly ? month / 12 - r.startMonthNo / 12 : month - r.startMonthNo) % every;
      if (step == 0 && (!yearly || month % 12 + 1 == r.startMonth)) return n;
      return month + 1u > MONTH_LAST ? DAY_OPEN_END : Date_MonthNoFirstDay(static_cast<MonthNo>(month + 1));
    }
  }
}

struct Times {
  int shift = 0;  // local day minus the item's day
  int sh = 0, sm = 0, eh = 0, em = 0;
  bool operator==(const Times& o) const {
    return shift == o.shift && sh == o.sh && sm == o.sm && eh == o.eh && em == o.em;
  }
};

struct Run {
  Times times;
  std::vector<DayNo> days;  // local
};

Times TimesOf(const IcsSeries& s, DayNo day, bool& cut) {
  Times t;
  if (!s.timed) return t;
  DayNo ld;
  int ls;
  IcsPieces_Local(s.zone, day, s.startSecond, ld, ls);
  t.shift = static_cast<int>(ld) - static_cast<int>(day);
  t.sh = ls / 3600;
  t.sm = ls / 60 % 60;
  if (!s.hasEnd || s.length <= 0) {
    t.eh = t.sh;
    t.em = t.sm;
    if (ls < 60) t.eh = 24, t.em = 0;  // a timed item at midnight without an end spans its day
    return t;
  }
  const IcsSeconds endLocal = IcsSeconds{ld} * kDaySeconds + ls + s.length;  // local length
  const IcsSeconds midnight = IcsSeconds{ld + 1} * kDaySeconds;
  if (endLocal >= midnight) {
    cut = cut || endLocal > midnight;
    t.eh = 24;
    t.em = 0;
  } else {
    const int es = static_cast<int>(endLocal % kDaySeconds);
    t.eh = es / 3600;
    t.em = es / 60 % 60;
  }
  return t;
}

// Whether the local zone keeps the same difference to the item's from its
// start to past its last day: the rule then moves as a whole, in one piece.
bool Steady(const IcsSeries& s) {
  if (s.zone == nullptr) return true;
  const IcsZone& local = IcsZones_Local();
  const IcsSeconds from = IcsZones_Utc(*s.zone, IcsSeconds{s.rule.startDay} * kDaySeconds + s.startSecond);
  const IcsSeconds to = (IcsSeconds{s.last} + 2) * kDaySeconds;
  const auto difference = [&](IcsSeconds utc) { return IcsZones_Wall(local, utc) - IcsZones_Wall(*s.zone, utc); };
  const IcsSeconds first = difference(from);
  for (const IcsZone* z : {s.zone, &local}) {
    for (const IcsSeconds change : z->at) {
      if (change > from && change <= to && difference(change) != first) return false;
    }
  }
  return true;
}

// A rule whose days all move by shift stays Velmo's rule: always for days,
// for weeks unless some of their days cross into the next block of seven.
bool Moves(const Entry& r, int shift) {
  if (shift == 0 || r.repeat == REPEAT_DAYS) return true;
  if (r.repeat != REPEAT_WEEKS) return false;
  if (r.interval <= 1) return true;
  const std::uint8_t edge = WeekdayBit(shift > 0 ? WEEKDAY_SATURDAY : WEEKDAY_SUNDAY), days = r.weekMask & 0x7F;
  return (days & edge) == 0 || days == edge;
}

// The piece's rule must fall on exactly the run's days in its range.
bool Exact(const Entry& rule, const Run& run, DayNo through) {
  std::size_t next = 0;
  for (std::uint32_t d = rule.startDay; (d = Candidate(rule, d)) <= through; ++d) {
    if (next < run.days.size() && run.days[next] < d) return false;  // a day the rule passes over
    const bool wanted = next < run.days.size() && run.days[next] == d;
    if (wanted) ++next;
    if (MonthRec_RuleMatches(rule, static_cast<DayNo>(d)) != wanted) return false;
  }
  return next == run.days.size();
}

}  // namespace

void IcsPieces_Local(const IcsZone* zone, DayNo day, int second, DayNo& localDay, int& localSecond) {
  IcsSeconds wall = IcsSeconds{day} * kDaySeconds + second;
  if (zone != nullptr) wall = IcsZones_Wall(IcsZones_Local(), IcsZones_Utc(*zone, wall));
  if (wall < kDaySeconds) wall = kDaySeconds;
  if (wall >= IcsSeconds{DAY_OPEN_END} * kDaySeconds) wall = IcsSeconds{DAY_OPEN_END} * kDaySeconds - 1;
  localDay = static_cast<DayNo>(wall / kDaySeconds);
  localSecond = static_cast<int>(wall % kDaySeconds);
}

IcsCut IcsPieces_Cut(const IcsSeries& s) {
  IcsCut out;
  if (s.count == 0 && s.excluded.empty() && Steady(s)) {
    const Times t = TimesOf(s, s.rule.startDay, out.cutAtMidnight);
    if (Moves(s.rule, t.shift)) {
      IcsPiece p;
      p.rule = s.rule;
      p.rule.startDay = static_cast<DayNo>(s.rule.startDay + t.shift);
      p.rule.endDay = s.last >= DAY_OPEN_END - 1 ? DAY_OPEN_END : static_cast<DayNo>(s.last + t.shift);
      IcsRules_Shift(p.rule, t.shift);
      IcsRules_Derive(p.rule);
      p.startHour = t.sh;
      p.startMinute = t.sm;
      p.endHour = t.eh;
      p.endMinute = t.em;
      out.pieces.push_back(p);
      return out;
    }
  }
  std::vector<Run> runs;
  bool gap = true;
  unsigned seen = 0;
  for (std::uint32_t n = s.rule.startDay; (n = Candidate(s.rule, n)) <= s.last && n < DAY_OPEN_END; ++n) {
    const auto day = static_cast<DayNo>(n);
    if (!MonthRec_RuleMatches(s.rule, day)) continue;
    if (occurrencesLeft == 0) {
      out.notKept = "the file's rules ask for more than " + std::to_string(kFileOccurrences) + " occurrences to be worked out";
      return out;
    }
    --occurrencesLeft;
    if (s.count != 0 && ++seen > s.count) break;
    if (s.excluded.count(day) != 0) {
      gap = true;
      continue;
    }
    const Times t = TimesOf(s, day, out.cutAtMidnight);
    if (gap || !(runs.back().times == t)) {
      if (runs.size() == kMaxPieces) {
        out.notKept = "more than " + std::to_string(kMaxPieces) + " pieces (summer-time changes or left-out days)";
        return out;
      }
      runs.push_back(Run{t, {}});
    }
    runs.back().days.push_back(static_cast<DayNo>(n + t.shift));
    gap = false;
  }
  if (runs.empty()) {
    out.notKept = "no occurrence left";
    return out;
  }
  const bool open = s.count == 0 && s.last >= DAY_OPEN_END;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const Run& run = runs[i];
    IcsPiece p;
    p.rule = s.rule;
    p.rule.startDay = run.days.front();
    p.rule.endDay = open && i + 1 == runs.size() ? DAY_OPEN_END : run.days.back();
    IcsRules_Shift(p.rule, run.times.shift);
    IcsRules_Derive(p.rule);
    if (!Exact(p.rule, run, p.rule.endDay == DAY_OPEN_END ? DAY_OPEN_END - 1 : p.rule.endDay)) {
      out.notKept = "its days moved by the time zones, which Velmo's rule cannot follow";
      out.pieces.clear();
      return out;
    }
    p.startHour = run.times.sh;
    p.startMinute = run.times.sm;
    p.endHour = run.times.eh;
    p.endMinute = run.times.em;
    out.pieces.push_back(p);
  }
  return out;
}
