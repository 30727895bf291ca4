#include "IcsTimes.h"

#include "CliData.h"

namespace {

constexpr int kDaySeconds = 86400;

bool Digits(const std::string& s, std::size_t at, std::size_t n, int& out) {
  out = 0;
  if (at + n > s.size()) return false;
  for (std::size_t i = at; i < at + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    out = out * 10 + (s[i] - '0');
  }
  return true;
}

}  // namespace

bool IcsTimes_Value(const std::string& v, bool dateOnly, const std::string& tzid, IcsWhen& out, std::string& why) {
  out = IcsWhen{};
  int y, m, d, hh = 0, mm = 0, ss = 0;
  const bool date = v.size() == 8;
  const bool dateTime = (v.size() == 15 || (v.size() == 16 && (v[15] == 'Z' || v[15] == 'z'))) && (v[8] == 'T' || v[8] == 't');
  if ((!date && !dateTime) || (dateOnly && !date) || !Digits(v, 0, 4, y) || !Digits(v, 4, 2, m) ||
      !Digits(v, 6, 2, d) || (dateTime && (!Digits(v, 9, 2, hh) || !Digits(v, 11, 2, mm) || !Digits(v, 13, 2, ss)))) {
    why = "\"" + v + "\" is no " + (dateOnly ? "date" : "date or time");
    return false;
  }
  const bool day = m >= 1 && m <= 12 && d >= 1 &&
                  d <= Date_MonthLength(static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(m));
  if (!day || hh > 23 || mm > 59 || ss > 60) {
    why = v + " is no valid " + (day ? "time" : "date");
    return false;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
  if (!CliData_ParseDate(text, out.day)) {
    why = v + " lies outside " + IcsTimes_RangeText();
    return false;
  }
  out.isDate = date;
  out.second = date ? 0 : hh * 3600 + mm * 60 + (ss > 59 ? 59 : ss);
  out.utc = v.size() == 16;
  if (out.utc) {
    out.zone = &IcsZones_Utc();
  } else if (!date && !tzid.empty()) {
    out.zone = IcsZones_Find(tzid, why);
    if (out.zone == nullptr) return false;
  }
  return true;
}

bool IcsTimes_Read(const IcsLine& line, IcsWhen& out, std::string& why) {
  const std::string* type = line.Param("VALUE");
  const std::string* tzid = line.Param("TZID");
  const bool dateOnly = type != nullptr && *type == "DATE";
  if (!IcsTimes_Value(line.value, dateOnly, tzid != nullptr ? *tzid : "", out, why)) {
    why = line.name + " " + why;
    return false;
  }
  return true;
}

bool IcsTimes_Duration(std::string_view v, IcsSeconds& out) {
  // Each unit once, in this order; W, D before T, H, M, S after it.
  constexpr struct {
    char unit;
    bool timed;
    IcsSeconds seconds;
  } kUnits[] = {{'W', false, 7 * kDaySeconds}, {'D', false, kDaySeconds}, {'H', true, 3600}, {'M', true, 60}, {'S', true, 1}};
  const bool negative = !v.empty() && v[0] == '-';
  if (!v.empty() && (v[0] == '-' || v[0] == '+')) v.remove_prefix(1);
  if (v.empty() || v[0] != 'P') return false;
  v.remove_prefix(1);
  out = 0;
  bool timed = false, any = false;
  std::size_t next = 0;
  while (!v.empty()) {
    if (v[0] == 'T' && !timed) {
      timed = true;
      v.remove_prefix(1);
      if (v.empty()) return false;
      continue;
    }
    IcsSeconds n = 0;
    std::size_t digits = 0;
    while (digits < v.size() && v[digits] >= '0' && v[digits] <= '9' && digits < 9) n = n * 10 + (v[digits++] - '0');
    if (digits == 0 || digits == v.size()) return false;
    while (next < std::size(kUnits) && (kUnits[next].unit != v[digits] || kUnits[next].timed != timed)) ++next;
    if (next == std::size(kUnits)) return false;
    out += n * kUnits[next++].seconds;
    any = true;
    v.remove_prefix(digits + 1);
  }
  if (negative) out = -out;
  return any;
}

IcsWhen IcsTimes_In(const IcsWhen& t, const IcsZone* zone) {
  if (t.isDate || t.zone == nullptr || (zone != nullptr && IcsZones_Same(*t.zone, *zone))) return t;
  IcsWhen out = t;
  IcsSeconds wall = IcsSeconds{t.day} * kDaySeconds + t.second;
  const IcsSeconds utc = IcsZones_Utc(*t.zone, wall);
  wall = IcsZones_Wall(zone != nullptr ? *zone : IcsZones_Local(), utc);
  if (wall < kDaySeconds || wall >= IcsSeconds{DAY_OPEN_END} * kDaySeconds) return t;
  out.day = static_cast<DayNo>(wall / kDaySeconds);
  out.second = static_cast<int>(wall % kDaySeconds);
  out.zone = zone;
  out.utc = false;
  return out;
}

bool IcsTimes_InRange(DayNo day) {
  return day >= Date_ToDayNo(DATE_DIALOG_FIRST_YEAR, 1, 1) && day <= Date_ToDayNo(DATE_DIALOG_LAST_YEAR, 12, 31);
}

std::string IcsTimes_RangeText() {
  return std::to_string(DATE_DIALOG_FIRST_YEAR) + "-" + std::to_string(DATE_DIALOG_LAST_YEAR);
}
