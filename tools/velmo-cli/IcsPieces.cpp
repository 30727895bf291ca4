#include "IcsPieces.h"

#include <map>

#include "IcsRules.h"
#include "store/MonthRec.h"

namespace {

constexpr std::size_t kMaxPieces = 100;  // entries one item may become
constexpr int kDaySeconds = 86400;

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

// The piece's rule must fall on exactly the run's days in its range.
bool Exact(const Entry& rule, const Run& run, DayNo through) {
  std::size_t next = 0;
  for (std::uint32_t d = rule.startDay; d <= through; ++d) {
    const bool wanted = next < run.days.size() && run.days[next] == d;
    if (wanted) ++next;
    if (MonthRec_RuleMatches(rule, static_cast<DayNo>(d)) != wanted) return false;
  }
  return true;
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
  std::vector<Run> runs;
  bool gap = true;
  unsigned seen = 0;
  for (std::uint32_t n = s.rule.startDay; n <= s.last && n < DAY_OPEN_END; ++n) {
    const auto day = static_cast<DayNo>(n);
    if (!MonthRec_RuleMatches(s.rule, day)) continue;
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
