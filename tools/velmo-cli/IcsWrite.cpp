#include "IcsWrite.h"

#include <cstdlib>

namespace {

constexpr std::size_t kLineOctets = 75;  // RFC 5545 3.1, without the CRLF

bool Continues(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Folds one content line; a continuation begins with a blank, which counts.
void PutLine(std::string& out, const std::string& line) {
  std::size_t at = 0, room = kLineOctets;
  while (line.size() - at > room) {
    std::size_t cut = at + room;
    while (cut > at && Continues(line[cut])) --cut;  // never inside a UTF-8 character
    out.append(line, at, cut - at).append("\r\n ");
    at = cut;
    room = kLineOctets - 1;
  }
  out.append(line, at, std::string::npos).append("\r\n");
}

std::string Taken(char* text) {
  std::string out = text != nullptr ? text : "";
  std::free(text);
  return out;
}

void Put(std::string& out, icalcomponent* c) {
  const std::string name = icalcomponent_kind_to_string(icalcomponent_isa(c));
  PutLine(out, "BEGIN:" + name);
  for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_ANY_PROPERTY); p != nullptr;
       p = icalcomponent_get_next_property(c, ICAL_ANY_PROPERTY)) {
    std::string line = icalproperty_get_property_name(p);
    for (icalparameter* a = icalproperty_get_first_parameter(p, ICAL_ANY_PARAMETER); a != nullptr;
         a = icalproperty_get_next_parameter(p, ICAL_ANY_PARAMETER)) {
      line.append(";").append(Taken(icalparameter_as_ical_string_r(a)));
    }
    // A value of another type than the property's own says so (VALUE=DATE).
    const icalvalue_kind kind = icalvalue_isa(icalproperty_get_value(p));
    if (kind != icalproperty_kind_to_value_kind(icalproperty_isa(p)) && kind != ICAL_NO_VALUE &&
        icalproperty_get_first_parameter(p, ICAL_VALUE_PARAMETER) == nullptr) {
      line.append(";VALUE=").append(icalvalue_kind_to_string(kind));
    }
    line.append(":").append(Taken(icalproperty_get_value_as_string_r(p)));
    PutLine(out, line);
  }
  for (icalcomponent* k = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); k != nullptr;
       k = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT)) {
    Put(out, k);
  }
  PutLine(out, "END:" + name);
}

}  // namespace

std::string IcsWrite_Component(icalcomponent* c) {
  std::string out;
  Put(out, c);
  return out;
}
