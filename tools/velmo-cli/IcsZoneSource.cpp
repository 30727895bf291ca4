// The zones of velmo-cli: the system's zone data as libical reads it.
#include "IcsZoneSource.h"

#include <libical/ical.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>

#include "calendar/Date.h"

namespace {

constexpr int kDaySeconds = 86400;

std::string ZoneFromLink() {
  char target[512];
  const ssize_t n = readlink("/etc/localtime", target, sizeof target - 1);
  if (n <= 0) return "";
  target[n] = '\0';
  const char* at = std::strstr(target, "zoneinfo/");
  return at != nullptr ? at + 9 : "";
}

std::string ZoneFromFile() {
  std::ifstream in("/etc/timezone");
  std::string line;
  std::getline(in, line);
  return line;
}

struct Zone {
  bool resolved = false;
  std::string name;
  icaltimezone* zone = nullptr;
};

Zone& LocalZone() {
  static Zone z;
  if (z.resolved) return z;
  z.resolved = true;
  const char* tz = std::getenv("TZ");
  std::string name = tz != nullptr ? tz : "";
  if (!name.empty() && name[0] == ':') name.erase(0, 1);
  if (tz == nullptr) name = ZoneFromLink();
  if (tz == nullptr && name.empty()) name = ZoneFromFile();
  // libical's zones are named without a prefix from here on.
  icaltimezone_set_tzid_prefix("");
  if (!IcsZones_IsUtcName(name)) z.zone = icaltimezone_get_builtin_timezone(name.c_str());
  if (z.zone == nullptr) {
    z.zone = icaltimezone_get_utc_timezone();
    name.clear();
  }
  z.name = name;
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

IcsZone Table(icaltimezone* zone) {
  return IcsZones_Scan([zone](IcsSeconds s) {
    icaltimetype t = UtcTime(s);
    return icaltimezone_get_utc_offset_of_utc_time(zone, &t, nullptr);
  });
}

struct FreeComponent {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};

// A libical component as Velmo's: each property's name, parameters and value
// as libical writes them.
IcsComponent Taken(icalcomponent* c) {
  IcsComponent out;
  out.name = icalcomponent_kind_to_string(icalcomponent_isa(c));
  for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_ANY_PROPERTY); p != nullptr;
       p = icalcomponent_get_next_property(c, ICAL_ANY_PROPERTY)) {
    IcsLine line;
    line.name = icalproperty_get_property_name(p);
    for (icalparameter* a = icalproperty_get_first_parameter(p, ICAL_ANY_PARAMETER); a != nullptr;
         a = icalproperty_get_next_parameter(p, ICAL_ANY_PARAMETER)) {
      char* text = icalparameter_as_ical_string_r(a);
      const std::string whole = text != nullptr ? text : "";
      std::free(text);
      const std::size_t eq = whole.find('=');
      std::string value = eq == std::string::npos ? "" : whole.substr(eq + 1);
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
      line.params.push_back(IcsParam{whole.substr(0, eq), value});
    }
    // A value of another type than the property's own says so (VALUE=DATE-TIME).
    const icalvalue_kind kind = icalvalue_isa(icalproperty_get_value(p));
    if (kind != icalproperty_kind_to_value_kind(icalproperty_isa(p)) && kind != ICAL_NO_VALUE &&
        icalproperty_get_first_parameter(p, ICAL_VALUE_PARAMETER) == nullptr) {
      line.params.push_back(IcsParam{"VALUE", icalvalue_kind_to_string(kind)});
    }
    char* value = icalproperty_get_value_as_string_r(p);
    line.value = value != nullptr ? value : "";
    std::free(value);
    out.lines.push_back(line);
  }
  for (icalcomponent* k = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); k != nullptr;
       k = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT)) {
    out.children.push_back(Taken(k));
  }
  return out;
}

}  // namespace

const char* IcsZoneSource_LocalName() {
  const Zone& z = LocalZone();
  return z.name.empty() ? nullptr : z.name.c_str();
}

IcsZone IcsZoneSource_Local() {
  return IcsZoneSource_LocalName() != nullptr ? Table(LocalZone().zone) : IcsZone{{}, {0}};
}

bool IcsZoneSource_System(const std::string& tzid, IcsZone& out) {
  LocalZone();
  icaltimezone* zone = icaltimezone_get_builtin_timezone(tzid.c_str());
  if (zone == nullptr) return false;
  out = Table(zone);
  return true;
}

bool IcsZoneSource_File(const IcsComponent& vtimezone, IcsZone& out) {
  std::unique_ptr<icalcomponent, FreeComponent> parsed(icalparser_parse_string(IcsLines_Write(vtimezone).c_str()));
  if (parsed == nullptr || icalcomponent_get_first_component(parsed.get(), ICAL_ANY_COMPONENT) == nullptr) return false;
  icaltimezone* zone = icaltimezone_new();
  if (icaltimezone_set_component(zone, parsed.release()) == 0) {
    icaltimezone_free(zone, 1);
    return false;
  }
  out = Table(zone);
  icaltimezone_free(zone, 1);
  return true;
}

bool IcsZoneSource_LocalComponent(IcsComponent& out) {
  if (IcsZoneSource_LocalName() == nullptr) return false;
  icalcomponent* zone = icaltimezone_get_component(LocalZone().zone);
  if (zone == nullptr) return false;
  out = Taken(zone);
  // libical names its zones with a prefix; the events name the zone plainly.
  for (IcsLine& l : out.lines) {
    if (l.name == "TZID") l.value = IcsZoneSource_LocalName();
  }
  return true;
}
