#include "IcsZones.h"

#include <libical/ical.h>

#include <algorithm>
#include <map>
#include <memory>

#include "IcsShared.h"
#include "calendar/Date.h"

namespace {

constexpr int kDaySeconds = 86400;
constexpr std::size_t kMaxZones = 64;  // tables built per file; each is a scan of 40000 days
constexpr std::uint16_t kTableFromYear = 1969;
constexpr int kDaysAWeek = 7;
constexpr std::size_t kRepeatingObservances = 64;  // real zones have two per era

struct FreeComponent {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};

struct FileZone {
  std::string refused;  // why the zone is not used; empty when it is
  std::unique_ptr<icalcomponent, FreeComponent> component;
};

struct Zones {
  std::map<std::string, FileZone> file;  // TZID -> the file's VTIMEZONE
  std::map<std::string, IcsZone> tables;  // "file:" or "system:" + TZID
  bool haveLocal = false;
  IcsZone local, utc{{}, {0}};
};

Zones& All() {
  static Zones z;
  return z;
}

icaltimetype UtcTime(IcsSeconds s) {
  std::uint16_t y, m, d;
  DayNo_ToDate(static_cast<DayNo>(s / kDaySeconds), y, m, d);
  icaltimetype t = icaltime_null_time();
  const int rest = static_cast<int>(s % kDaySeconds);
  t.year = y;
  t.month = m;
  t.day = d;
  t.hour = rest / 3600;
  t.minute = rest / 60 % 60;
  t.zone = icaltimezone_get_utc_timezone();
  return t;
}

int OffsetAt(icaltimezone* zone, IcsSeconds s) {
  icaltimetype t = UtcTime(s);
  return icaltimezone_get_utc_offset_of_utc_time(zone, &t, nullptr);
}

// Day by day, each change found to the minute.
IcsZone Table(icaltimezone* zone) {
  IcsZone z;
  IcsSeconds prev = IcsSeconds{Date_ToDayNo(kTableFromYear, 1, 1)} * kDaySeconds;
  int before = OffsetAt(zone, prev);
  z.offset.push_back(before);
  for (IcsSeconds day = prev / kDaySeconds + 1; day <= DAY_OPEN_END; ++day) {
    const IcsSeconds now = day * kDaySeconds;
    const int after = OffsetAt(zone, now);
    if (after != before) {
      IcsSeconds lo = prev, hi = now;  // before at lo, after at hi
      while (hi - lo > 60) {
        const IcsSeconds mid = lo + (hi - lo) / 120 * 60;
        (OffsetAt(zone, mid) == before ? lo : hi) = mid;
      }
      z.at.push_back(hi);
      z.offset.push_back(after);
      before = after;
    }
    prev = now;
  }
  return z;
}

int Count(const short* values, int size) {
  int n = 0;
  while (n < size && values[n] != ICAL_RECURRENCE_ARRAY_MAX) ++n;
  return n;
}

// At most this many changes a year for each observance: one weekday in one
// month, or the seven days that find "the first Sunday on or after the 8th".
bool FewAYear(const icalrecurrencetype& r) {
  return Count(r.by_month, ICAL_BY_MONTH_SIZE) <= 1 && Count(r.by_day, ICAL_BY_DAY_SIZE) <= 1 &&
         Count(r.by_month_day, ICAL_BY_MONTHDAY_SIZE) <= kDaysAWeek && Count(r.by_year_day, ICAL_BY_YEARDAY_SIZE) == 0 &&
         Count(r.by_week_no, ICAL_BY_WEEKNO_SIZE) == 0 && Count(r.by_hour, ICAL_BY_HOUR_SIZE) == 0 &&
         Count(r.by_minute, ICAL_BY_MINUTE_SIZE) == 0 && Count(r.by_second, ICAL_BY_SECOND_SIZE) == 0;
}

// Observances repeating more often would make libical list changes without
// end (FREQ=SECONDLY) or by the hundred thousand.
std::string Bounded(const IcsComponent& vtimezone) {
  std::size_t repeating = 0;
  for (const IcsComponent& o : vtimezone.children) {
    if (!o.fault.empty()) return "line " + std::to_string(o.faultLine) + ": " + o.fault;
    for (const IcsLine& l : o.lines) {
      if (l.name != "RRULE") continue;
      const std::string where = "line " + std::to_string(l.lineNo) + ": its " + o.name + " repeats ";
      const icalrecurrencetype r = icalrecurrencetype_from_string(l.value.c_str());
      if (r.freq == ICAL_NO_RECURRENCE) return where + "by an unreadable rule";
      if (r.freq != ICAL_YEARLY_RECURRENCE) {
        return where + "FREQ=" + icalrecur_freq_to_string(r.freq) + ", more often than yearly";
      }
      if (!FewAYear(r)) return where + "on more days a year than a time zone changes";
      if (++repeating > kRepeatingObservances) {
        return where + "beside more than " + std::to_string(kRepeatingObservances) + " other repeating observances";
      }
    }
  }
  return "";
}

}  // namespace

void IcsZones_Take(const std::vector<IcsComponent>& calendars) {
  Zones& z = All();
  for (const IcsComponent& cal : calendars) {
    for (const IcsComponent& c : cal.children) {
      if (c.name != "VTIMEZONE") continue;
      const IcsLine* tzid = c.First("TZID");
      if (tzid == nullptr || z.file.count(tzid->value) != 0) continue;
      FileZone& f = z.file[tzid->value];
      f.refused = !c.fault.empty() ? "line " + std::to_string(c.faultLine) + ": " + c.fault : Bounded(c);
      if (!f.refused.empty()) continue;
      f.component.reset(icalparser_parse_string(IcsLines_Write(c).c_str()));
      if (f.component == nullptr ||
          icalcomponent_get_first_component(f.component.get(), ICAL_ANY_COMPONENT) == nullptr) {
        f.refused = "line " + std::to_string(c.lineNo) + ": a VTIMEZONE without observances";
      }
    }
  }
}

const IcsZone* IcsZones_Find(const std::string& tzid, std::string& why) {
  Zones& z = All();
  const auto file = z.file.find(tzid);
  const std::string key = (file != z.file.end() ? "file:" : "system:") + tzid;
  const auto known = z.tables.find(key);
  if (known != z.tables.end()) return &known->second;
  if (file != z.file.end() && !file->second.refused.empty()) {
    why = "names the time zone \"" + tzid + "\", which is refused (" + file->second.refused + ")";
    return nullptr;
  }
  if (z.tables.size() >= kMaxZones) {
    why = "names a time zone beyond the " + std::to_string(kMaxZones) + " one file may use";
    return nullptr;
  }
  icaltimezone* zone = nullptr;
  if (file != z.file.end()) {
    zone = icaltimezone_new();
    if (icaltimezone_set_component(zone, icalcomponent_new_clone(file->second.component.get())) == 0) {
      icaltimezone_free(zone, 1);
      zone = nullptr;
    }
  } else {
    IcsShared_Zone();  // libical's zones are named without a prefix from here on
    zone = icaltimezone_get_builtin_timezone(tzid.c_str());
  }
  if (zone == nullptr) {
    why = "names the time zone \"" + tzid + "\", which is neither in the file nor known to the system";
    return nullptr;
  }
  const IcsZone& table = z.tables[key] = Table(zone);
  if (file != z.file.end()) icaltimezone_free(zone, 1);
  return &table;
}

const IcsZone& IcsZones_Local() {
  Zones& z = All();
  if (!z.haveLocal) {
    z.haveLocal = true;
    z.local = IcsShared_ZoneName() != nullptr ? Table(IcsShared_Zone()) : z.utc;
  }
  return z.local;
}

const IcsZone& IcsZones_Utc() { return All().utc; }

bool IcsZones_Same(const IcsZone& a, const IcsZone& b) { return a.at == b.at && a.offset == b.offset; }

IcsSeconds IcsZones_Wall(const IcsZone& z, IcsSeconds utc) {
  const auto i = std::upper_bound(z.at.begin(), z.at.end(), utc) - z.at.begin();
  return utc + z.offset[static_cast<std::size_t>(i)];
}

IcsSeconds IcsZones_Utc(const IcsZone& z, IcsSeconds wall) {
  // The offset in force at the instant the wall time names; the earlier of
  // two in an hour that repeats.
  const IcsSeconds guess = wall - (IcsZones_Wall(z, wall) - wall);
  return wall - (IcsZones_Wall(z, guess) - guess);
}
