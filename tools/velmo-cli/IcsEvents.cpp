// A VEVENT's repeat rule, left-out and moved occurrences into entries.
#include "IcsEvents.h"

#include "CliData.h"
#include "IcsPieces.h"
#include "IcsRules.h"

namespace {

constexpr int kDaySeconds = 86400;

void Tell(const IcsWhere& w, const std::string& what) { IcsImport_Report(w, what); }

// The last day of the rule in the item's own zone: UNTIL's date, one earlier
// when UNTIL's time falls before the start time that day. An UNTIL without a
// zone is read in the start's zone.
DayNo UntilDay(const IcsRecur& r, const IcsEvent& ev) {
  const IcsUntil& u = r.until;
  if (!u.set || u.year > DATE_LAST_YEAR) return DAY_OPEN_END;
  if (u.year < DATE_FIRST_YEAR || u.month < 1 || u.month > 12 || u.day < 1 ||
      u.day > Date_MonthLength(static_cast<std::uint16_t>(u.year), static_cast<std::uint16_t>(u.month))) {
    return DAY_NONE;
  }
  IcsWhen t;
  t.day = Date_ToDayNo(static_cast<std::uint16_t>(u.year), static_cast<std::uint16_t>(u.month),
                       static_cast<std::uint16_t>(u.day));
  t.isDate = u.isDate;
  t.second = t.isDate ? 0 : u.hour * 3600 + u.minute * 60 + u.second;
  if (!t.isDate) {
    t.zone = u.utc ? &IcsZones_Utc() : ev.start.zone;
    t = IcsTimes_In(t, ev.start.zone);
  }
  if (!t.isDate && !ev.start.isDate && t.second < ev.start.second) return static_cast<DayNo>(t.day - 1);
  return t.day;
}

// The days (in the item's own zone) a property's dates name; false with why.
bool DaysOf(const IcsLine& l, const IcsEvent& ev, std::set<DayNo>& days, std::string& why) {
  const std::string* type = l.Param("VALUE");
  const std::string* tzid = l.Param("TZID");
  for (const std::string& v : IcsLines_Split(l.value)) {
    IcsWhen t;
    if (!IcsTimes_Value(v, type != nullptr && *type == "DATE", tzid != nullptr ? *tzid : "", t, why)) {
      why = l.name + " " + why;
      return false;
    }
    if (t.zone == nullptr && !t.isDate) t.zone = ev.start.zone;
    days.insert(IcsTimes_In(t, ev.start.zone).day);
  }
  return true;
}

// A timed item over several days shows its times on each of them in Velmo.
void ReportSpan(const IcsWhere& w, const IcsItem& item, bool timed) {
  if (!timed || item.end <= item.start) return;
  Tell(w, "spans several days; Velmo shows " + CliData_TimeText(item.startHour, item.startMinute) + "-" +
              CliData_TimeText(item.endHour, item.endMinute) + " on each of them");
}

// Added without its rule, or left out with --skip-inexact.
bool Inexact(const IcsImport& im, const IcsWhere& w, const IcsItem& item, bool timed,
             const std::string& notKept, std::vector<IcsItem>& out) {
  const bool skip = im.args.skipInexact;
  Tell(w, "not kept: " + notKept + (skip ? "; left out" : "; added without its repeat rule"));
  if (skip) return false;
  ReportSpan(w, item, timed);
  out.push_back(item);
  return true;
}

bool InRange(const IcsWhere& w, const IcsItem& item) {
  if (item.end == DAY_OPEN_END || IcsTimes_InRange(item.end)) return true;
  Tell(w, "ends " + CliData_DateText(item.end) + ", outside " + IcsTimes_RangeText() + "; left out");
  return false;
}

void SetRule(IcsItem& item, const Entry& rule) {
  item.repeat = rule.repeat;
  item.interval = rule.interval;
  item.weekMask = rule.weekMask;
  item.weekdayMask = rule.weekdayMask;
}

}  // namespace

bool IcsEvents_Rule(const IcsImport& im, const IcsWhere& w, const IcsComponent& c, const IcsEvent& ev,
                    const std::vector<const IcsComponent*>& moved, IcsItem item, std::vector<IcsItem>& out) {
  const bool timed = !ev.start.isDate;
  std::string notKept;
  for (const char* name : {"RDATE", "EXRULE"}) {
    if (c.First(name) != nullptr) IcsRules_Note(notKept, name);
  }
  if (c.CountOf("RRULE") > 1) IcsRules_Note(notKept, "a second RRULE");
  const IcsLine* rrule = c.First("RRULE");
  if (rrule == nullptr && notKept.empty()) {
    if (!moved.empty()) Tell(w, "moved occurrences (RECURRENCE-ID) of an item that does not repeat left out");
    ReportSpan(w, item, timed);
    out.push_back(item);
    return true;
  }
  IcsSeries s;
  IcsRule rule;
  if (rrule != nullptr) {
    IcsRecur r;
    if (!IcsRecur_Read(rrule->value, r)) {
      Tell(IcsWhere{rrule->lineNo, w.uid}, "RRULE \"" + rrule->value + "\" cannot be read; left out");
      return false;
    }
    rule = IcsRules_Map(r, ev.start.day);
    if (!rule.notKept.empty()) IcsRules_Note(notKept, rule.notKept);
    s.count = r.count > 0 ? static_cast<unsigned>(r.count) : 0;
    s.last = UntilDay(r, ev);
  }
  std::string why;
  for (const IcsLine& l : c.lines) {
    if (l.name == "EXDATE" && !DaysOf(l, ev, s.excluded, why)) IcsRules_Note(notKept, why);
  }
  for (const IcsComponent* m : moved) {
    const IcsLine* id = m->First("RECURRENCE-ID");
    if (!DaysOf(*id, ev, s.excluded, why)) IcsRules_Note(notKept, why);
  }
  if (!notKept.empty()) return Inexact(im, w, item, timed, notKept, out);
  if (s.last == DAY_NONE || s.last < ev.start.day) {
    Tell(w, "its repeat rule ends before it starts; left out");
    return false;
  }
  // Each occurrence of a repeating entry is one day long.
  if (item.end > item.start && timed) {
    item.endHour = 24;
    item.endMinute = 0;
    Tell(w, "each occurrence cut at midnight");
  } else if (item.end > item.start) {
    Tell(w, "each occurrence shortened to its first day");
  }
  s.rule.repeat = rule.repeat;
  s.rule.interval = static_cast<std::uint8_t>(rule.interval);
  s.rule.weekMask = rule.weekMask;
  s.rule.weekdayMask = rule.weekdayMask;
  s.rule.startDay = ev.start.day;
  IcsRules_Derive(s.rule);
  const bool sameDays = ev.start.zone == nullptr || IcsZones_Same(*ev.start.zone, IcsZones_Local());
  std::vector<IcsItem> pieces;
  if (s.count == 0 && s.excluded.empty() && sameDays) {
    SetRule(item, s.rule);
    item.end = s.last;
    pieces.push_back(item);
  } else {
    s.zone = timed ? ev.start.zone : nullptr;
    s.timed = timed;
    s.startSecond = ev.start.second;
    s.length = ev.length;
    s.hasEnd = ev.hasEnd;
    const IcsCut cut = IcsPieces_Cut(s);
    if (!cut.notKept.empty()) return Inexact(im, w, item, timed, cut.notKept, out);
    for (const IcsPiece& p : cut.pieces) {
      IcsItem piece = item;
      SetRule(piece, p.rule);
      piece.start = p.rule.startDay;
      piece.end = p.rule.endDay;
      if (timed) {
        piece.startHour = p.startHour;
        piece.startMinute = p.startMinute;
        piece.endHour = p.endHour;
        piece.endMinute = p.endMinute;
      }
      pieces.push_back(piece);
    }
  }
  for (IcsItem& piece : pieces) {
    if (!InRange(w, piece)) return false;
    // Velmo shows a timed schedule's times on every day of its range: the
    // form a multi-day timed schedule is exported in.
    if (timed && rule.daily) {
      piece.repeat = REPEAT_NONE;
      piece.interval = 0;
    }
  }
  out.insert(out.end(), pieces.begin(), pieces.end());
  return true;
}

IcsWhen IcsEvents_LocalEnd(const IcsEvent& ev) {
  if (ev.start.isDate) return ev.end;
  IcsSeconds wall = IcsSeconds{ev.start.day} * kDaySeconds + ev.start.second;
  if (ev.start.zone != nullptr) {
    wall = IcsZones_Wall(IcsZones_Local(), IcsZones_Utc(*ev.start.zone, wall) + ev.length);
  } else {
    wall += ev.length;
  }
  if (wall >= IcsSeconds{DAY_OPEN_END} * kDaySeconds) wall = IcsSeconds{DAY_OPEN_END} * kDaySeconds - 1;
  IcsWhen out;
  out.day = static_cast<DayNo>(wall / kDaySeconds);
  out.second = static_cast<int>(wall % kDaySeconds);
  return out;
}
