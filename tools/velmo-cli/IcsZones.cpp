#include "IcsZones.h"

#include <algorithm>
#include <map>

#include "IcsRecur.h"
#include "IcsZoneSource.h"
#include "calendar/Date.h"

namespace {

constexpr int kDaySeconds = 86400;
constexpr std::size_t kMaxZones = 64;  // tables built per file; each is a scan of 40000 days
constexpr std::uint16_t kTableFromYear = 1969;
constexpr int kDaysAWeek = 7;
constexpr std::size_t kRepeatingObservances = 64;  // real zones have two per era

struct FileZone {
  std::string refused;  // why the zone is not used; empty when it is
  const IcsComponent* component = nullptr;  // the file's, read for as long as the import runs
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

// At most this many changes a year for each observance: one weekday in one
// month, or the seven days that find "the first Sunday on or after the 8th".
bool FewAYear(const IcsRecur& r) {
  return r.byMonth.size() <= 1 && r.byDay.size() <= 1 && r.byMonthDay.size() <= kDaysAWeek && r.byYearDay.empty() &&
         r.byWeekNo.empty() && r.byHour.empty() && r.byMinute.empty() && r.bySecond.empty();
}

// Observances repeating more often would list changes without end
// (FREQ=SECONDLY) or by the hundred thousand.
std::string Bounded(const IcsComponent& vtimezone) {
  std::size_t repeating = 0;
  for (const IcsComponent& o : vtimezone.children) {
    if (!o.fault.empty()) return "line " + std::to_string(o.faultLine) + ": " + o.fault;
    for (const IcsLine& l : o.lines) {
      if (l.name != "RRULE") continue;
      const std::string where = "line " + std::to_string(l.lineNo) + ": its " + o.name + " repeats ";
      IcsRecur r;
      if (!IcsRecur_Read(l.value, r)) return where + "by an unreadable rule";
      if (r.freq != ICS_YEARLY) return where + "FREQ=" + IcsRecur_FreqName(r.freq) + ", more often than yearly";
      if (!FewAYear(r)) return where + "on more days a year than a time zone changes";
      if (++repeating > kRepeatingObservances) {
        return where + "beside more than " + std::to_string(kRepeatingObservances) + " other repeating observances";
      }
    }
  }
  return "";
}

std::string NoObservances(const IcsComponent& c) {
  return "line " + std::to_string(c.lineNo) + ": a VTIMEZONE without observances";
}

}  // namespace

bool IcsZones_IsUtcName(const std::string& name) {
  return name.empty() || name == "UTC" || name == "Etc/UTC" || name == "Etc/Universal" ||
         name == "Universal" || name == "Zulu" || name == "Etc/Zulu" || name == "GMT" ||
         name == "Etc/GMT" || name == "UCT" || name == "Etc/UCT";
}

IcsZone IcsZones_Scan(const std::function<int(IcsSeconds)>& offsetAt) {
  IcsZone z;
  IcsSeconds prev = IcsSeconds{Date_ToDayNo(kTableFromYear, 1, 1)} * kDaySeconds;
  int before = offsetAt(prev);
  z.offset.push_back(before);
  for (IcsSeconds day = prev / kDaySeconds + 1; day <= DAY_OPEN_END; ++day) {
    const IcsSeconds now = day * kDaySeconds;
    const int after = offsetAt(now);
    if (after != before) {
      IcsSeconds lo = prev, hi = now;  // before at lo, after at hi
      while (hi - lo > 60) {
        const IcsSeconds mid = lo + (hi - lo) / 120 * 60;
        (offsetAt(mid) == before ? lo : hi) = mid;
      }
      z.at.push_back(hi);
      z.offset.push_back(after);
      before = after;
    }
    prev = now;
  }
  return z;
}

void IcsZones_Take(const std::vector<IcsComponent>& calendars) {
  Zones& z = All();
  z.file.clear();  // another file's zones of the same names are not this one's
  std::erase_if(z.tables, [](const auto& t) { return t.first.starts_with("file:"); });
  for (const IcsComponent& cal : calendars) {
    for (const IcsComponent& c : cal.children) {
      if (c.name != "VTIMEZONE") continue;
      const IcsLine* tzid = c.First("TZID");
      if (tzid == nullptr || z.file.count(tzid->value) != 0) continue;
      FileZone& f = z.file[tzid->value];
      f.refused = !c.fault.empty() ? "line " + std::to_string(c.faultLine) + ": " + c.fault : Bounded(c);
      f.component = &c;
      if (f.refused.empty() && c.children.empty()) f.refused = NoObservances(c);
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
  IcsZone table;
  if (file != z.file.end() && !IcsZoneSource_File(*file->second.component, table)) {
    file->second.refused = NoObservances(*file->second.component);
    why = "names the time zone \"" + tzid + "\", which is refused (" + file->second.refused + ")";
    return nullptr;
  }
  if (file == z.file.end() && !IcsZoneSource_System(tzid, table)) {
    why = "names the time zone \"" + tzid + "\", which is neither in the file nor known to the system";
    return nullptr;
  }
  return &(z.tables[key] = std::move(table));
}

const IcsZone& IcsZones_Local() {
  Zones& z = All();
  if (!z.haveLocal) {
    z.haveLocal = true;
    z.local = IcsZoneSource_Local();
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
