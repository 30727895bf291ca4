// The zones of the browser build: the local zone and zones named by TZID
// from the browser's own zone data (Date, Intl), and a file's VTIMEZONE
// read here: each observance's DTSTART, its RDATEs and its yearly rule (one
// BYMONTH with one BYDAY, BYMONTHDAY, or both as "the Sunday on or after
// the 8th"), over Velmo's days.
#include "IcsZoneSource.h"

#include <emscripten.h>

#include <algorithm>
#include <climits>

#include "IcsRecur.h"
#include "calendar/Date.h"

// Seconds east of UTC in the named zone (empty: the local one) at a UTC
// instant in milliseconds since 1970; INT_MIN when the browser knows no such zone.
EM_JS(int, velmo_zone_offset, (const char* zone, double ms), {
  const name = UTF8ToString(zone);
  if (!name) return -new Date(ms).getTimezoneOffset() * 60;
  const formats = Module.velmoZoneFormats || (Module.velmoZoneFormats = {});
  if (!(name in formats)) {
    try {
      formats[name] = new Intl.DateTimeFormat("en-US", {timeZone: name, hourCycle: "h23", year: "numeric",
        month: "numeric", day: "numeric", hour: "numeric", minute: "numeric", second: "numeric"});
    } catch (e) {
      formats[name] = null;
    }
  }
  const f = formats[name];
  if (!f) return -2147483648;
  const p = {};
  for (const part of f.formatToParts(new Date(ms))) p[part.type] = part.value;
  const wall = Date.UTC(+p.year, p.month - 1, +p.day, p.hour % 24, +p.minute, +p.second);
  return Math.round((wall - Math.floor(ms / 1000) * 1000) / 1000);
});
EM_JS(void, velmo_zone_local_name, (char* out, int size),
      { stringToUTF8(Intl.DateTimeFormat().resolvedOptions().timeZone || "", out, size); });

namespace {

constexpr int kDaySeconds = 86400;
constexpr int kNameBytes = 64;
constexpr std::uint16_t kTableFromYear = 1969;

IcsSeconds UnixEpoch() { return IcsSeconds{Date_ToDayNo(1970, 1, 1)} * kDaySeconds; }

struct Local {
  bool resolved = false;
  std::string name;  // empty: UTC
};

Local& LocalZone() {
  static Local z;
  if (!z.resolved) {
    z.resolved = true;
    char name[kNameBytes];
    velmo_zone_local_name(name, sizeof name);
    z.name = IcsZones_IsUtcName(name) ? "" : name;
  }
  return z;
}

int OffsetAt(const std::string& zone, IcsSeconds utc) {
  return velmo_zone_offset(zone.c_str(), static_cast<double>(utc - UnixEpoch()) * 1000.0);
}

// "+0900", "-0500", "+053000": seconds east of UTC.
bool Offset(const IcsLine* l, int& out) {
  if (l == nullptr) return false;
  const std::string& v = l->value;
  if ((v.size() != 5 && v.size() != 7) || (v[0] != '+' && v[0] != '-')) return false;
  int n[3] = {0, 0, 0};
  for (std::size_t i = 1; i < v.size(); ++i) {
    if (v[i] < '0' || v[i] > '9') return false;
    n[(i - 1) / 2] = n[(i - 1) / 2] * 10 + (v[i] - '0');
  }
  out = (n[0] * 3600 + n[1] * 60 + n[2]) * (v[0] == '-' ? -1 : 1);
  return true;
}

// A local date and time of an observance ("19700308T020000").
struct Wall {
  int year = 0, month = 0, day = 0, second = 0;
};

bool ReadWall(const std::string& v, Wall& w) {
  if (v.size() < 8 || std::sscanf(v.c_str(), "%4d%2d%2d", &w.year, &w.month, &w.day) != 3) return false;
  int h = 0, m = 0, s = 0;
  if (v.size() >= 15 && (v[8] != 'T' || std::sscanf(v.c_str() + 9, "%2d%2d%2d", &h, &m, &s) != 3)) return false;
  w.second = h * 3600 + m * 60 + s;
  return w.month >= 1 && w.month <= 12 && w.day >= 1 && w.day <= 31;
}

// Seconds since DayNo 0 of a wall time; years before Velmo's first lie before everything.
IcsSeconds Seconds(const Wall& w) {
  if (w.year < DATE_FIRST_YEAR) return LLONG_MIN / 2;
  if (w.year > DATE_LAST_YEAR) return LLONG_MAX / 2;
  const auto y = static_cast<std::uint16_t>(w.year), m = static_cast<std::uint16_t>(w.month);
  const int day = std::min<int>(w.day, Date_MonthLength(y, m));
  return IcsSeconds{Date_ToDayNo(y, m, static_cast<std::uint16_t>(day))} * kDaySeconds + w.second;
}

// The day of the month the yearly rule names in year and month; 0 for none.
int RuleDay(const IcsRecur& r, int year, int month, int startDay) {
  const auto y = static_cast<std::uint16_t>(year), m = static_cast<std::uint16_t>(month);
  const int length = Date_MonthLength(y, m);
  if (r.byDay.empty()) return r.byMonthDay.empty() ? std::min(startDay, length) : r.byMonthDay[0];
  const IcsByDay d = r.byDay[0];
  const int first = DayNo_Weekday(Date_ToDayNo(y, m, 1));  // weekday of the 1st
  const int firstMatch = 1 + (d.weekday - first + 7) % 7;
  if (!r.byMonthDay.empty()) {
    for (int day : r.byMonthDay) {
      if (day > 0 && day <= length && (day - firstMatch) % 7 == 0) return day;
    }
    return 0;
  }
  if (d.position > 0) {
    const int day = firstMatch + 7 * (d.position - 1);
    return day <= length ? day : 0;
  }
  int last = firstMatch;
  while (last + 7 <= length) last += 7;
  const int day = last + 7 * (d.position + 1);
  return day >= 1 ? day : 0;
}

struct Onset {
  IcsSeconds utc;
  int from, to;
};

// The observance's onsets: DTSTART, RDATEs and its rule's yearly days.
bool Onsets(const IcsComponent& o, std::vector<Onset>& out) {
  int from = 0, to = 0;
  Wall start;
  const IcsLine* dtstart = o.First("DTSTART");
  if (!Offset(o.First("TZOFFSETFROM"), from) || !Offset(o.First("TZOFFSETTO"), to) || dtstart == nullptr ||
      !ReadWall(dtstart->value, start)) {
    return false;
  }
  out.push_back(Onset{Seconds(start) - from, from, to});
  for (const IcsLine& l : o.lines) {
    if (l.name == "RDATE") {
      for (const std::string& v : IcsLines_Split(l.value)) {
        Wall w;
        if (ReadWall(v, w)) out.push_back(Onset{Seconds(w) - from, from, to});
      }
    }
    IcsRecur r;
    if (l.name != "RRULE" || !IcsRecur_Read(l.value, r)) continue;
    int count = 1;  // DTSTART is the first
    for (int year = std::max<int>(start.year, DATE_FIRST_YEAR); year <= DATE_LAST_YEAR; ++year) {
      const int month = r.byMonth.empty() ? start.month : r.byMonth[0];
      const int day = RuleDay(r, year, month, start.day);
      if (day == 0) continue;
      const Wall w{year, month, day, start.second};
      const IcsSeconds wall = Seconds(w);
      if (wall <= Seconds(start)) continue;
      if (r.until.set) {
        const Wall u{r.until.year, r.until.month, r.until.day,
                     r.until.hour * 3600 + r.until.minute * 60 + r.until.second};
        if ((r.until.utc ? wall - from : wall) > Seconds(u)) break;
      }
      if (r.count > 0 && ++count > r.count) break;
      out.push_back(Onset{wall - from, from, to});
    }
  }
  return true;
}

}  // namespace

const char* IcsZoneSource_LocalName() {
  const Local& z = LocalZone();
  return z.name.empty() ? nullptr : z.name.c_str();
}

IcsZone IcsZoneSource_Local() {
  if (IcsZoneSource_LocalName() == nullptr) return IcsZone{{}, {0}};
  return IcsZones_Scan([](IcsSeconds utc) { return OffsetAt("", utc); });
}

bool IcsZoneSource_System(const std::string& tzid, IcsZone& out) {
  if (tzid.empty() || OffsetAt(tzid, UnixEpoch()) == INT_MIN) return false;
  out = IcsZones_Scan([&tzid](IcsSeconds utc) { return OffsetAt(tzid, utc); });
  return true;
}

bool IcsZoneSource_File(const IcsComponent& vtimezone, IcsZone& out) {
  std::vector<Onset> onsets;
  for (const IcsComponent& o : vtimezone.children) {
    if ((o.name == "STANDARD" || o.name == "DAYLIGHT") && !Onsets(o, onsets)) return false;
  }
  if (onsets.empty()) return false;
  std::stable_sort(onsets.begin(), onsets.end(), [](const Onset& a, const Onset& b) { return a.utc < b.utc; });
  const IcsSeconds tableStart = IcsSeconds{Date_ToDayNo(kTableFromYear, 1, 1)} * kDaySeconds;
  out = IcsZone{{}, {onsets.front().from}};
  for (const Onset& o : onsets) {
    if (o.utc <= tableStart) {
      out.offset.back() = o.to;
    } else if (o.to != out.offset.back()) {
      out.at.push_back(o.utc);
      out.offset.push_back(o.to);
    }
  }
  return true;
}

bool IcsZoneSource_LocalComponent(IcsComponent& out) {
  const char* name = IcsZoneSource_LocalName();
  if (name == nullptr) return false;
  const IcsZone& z = IcsZones_Local();
  out = IcsComponent{};
  out.name = "VTIMEZONE";
  out.lines.push_back(IcsLine{0, "TZID", {}, name});
  // One observance for each change, at the wall time it happens at.
  auto text = [](int offset) {
    char s[16];
    const int a = offset < 0 ? -offset : offset;
    std::snprintf(s, sizeof s, "%c%02d%02d", offset < 0 ? '-' : '+', a / 3600, a / 60 % 60);
    return std::string(s);
  };
  auto wall = [](IcsSeconds s) {
    std::uint16_t y, m, d;
    DayNo_ToDate(static_cast<DayNo>(s / kDaySeconds), y, m, d);
    const int r = static_cast<int>(s % kDaySeconds);
    char t[24];
    std::snprintf(t, sizeof t, "%04u%02u%02uT%02d%02d%02d", unsigned{y}, unsigned{m}, unsigned{d}, r / 3600, r / 60 % 60, r % 60);
    return std::string(t);
  };
  auto observance = [&](bool daylight, int from, int to, IcsSeconds at) {
    IcsComponent o;
    o.name = daylight ? "DAYLIGHT" : "STANDARD";
    o.lines.push_back(IcsLine{0, "TZOFFSETFROM", {}, text(from)});
    o.lines.push_back(IcsLine{0, "TZOFFSETTO", {}, text(to)});
    o.lines.push_back(IcsLine{0, "DTSTART", {}, wall(at)});
    out.children.push_back(o);
  };
  const IcsSeconds tableStart = IcsSeconds{Date_ToDayNo(kTableFromYear, 1, 1)} * kDaySeconds;
  observance(false, z.offset[0], z.offset[0], tableStart);
  for (std::size_t i = 0; i < z.at.size(); ++i) {
    observance(z.offset[i + 1] > z.offset[i], z.offset[i], z.offset[i + 1], z.at[i] + z.offset[i]);
  }
  return true;
}
