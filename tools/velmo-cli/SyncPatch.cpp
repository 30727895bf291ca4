// A change made in Velmo to an item Velmo could not hold exactly: the
// server's copy keeps what Velmo does not know of (alarms, attendees, its
// own properties); what Velmo keeps is replaced by Velmo's version.
#include <libical/ical.h>

#include <set>

#include "IcsWrite.h"
#include "SyncLocal.h"

namespace {

// The properties export-ics writes from an entry.
constexpr icalproperty_kind kOwned[] = {
    ICAL_DTSTAMP_PROPERTY,  ICAL_SUMMARY_PROPERTY,  ICAL_DESCRIPTION_PROPERTY, ICAL_DTSTART_PROPERTY,
    ICAL_DTEND_PROPERTY,    ICAL_DURATION_PROPERTY, ICAL_DUE_PROPERTY,         ICAL_RRULE_PROPERTY,
    ICAL_EXDATE_PROPERTY,   ICAL_RDATE_PROPERTY,    ICAL_EXRULE_PROPERTY,      ICAL_CATEGORIES_PROPERTY,
    ICAL_ATTACH_PROPERTY,   ICAL_TRANSP_PROPERTY,   ICAL_PRIORITY_PROPERTY,    ICAL_STATUS_PROPERTY,
    ICAL_COMPLETED_PROPERTY};

bool Item(icalcomponent* c) {
  const icalcomponent_kind k = icalcomponent_isa(c);
  return k == ICAL_VEVENT_COMPONENT || k == ICAL_VTODO_COMPONENT;
}

bool Moved(icalcomponent* c) { return icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY) != nullptr; }

// The item without RECURRENCE-ID.
icalcomponent* Master(icalcomponent* calendar) {
  for (icalcomponent* c = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT); c != nullptr;
       c = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
    if (Item(c) && !Moved(c)) return c;
  }
  return nullptr;
}

std::set<std::string> ZoneIds(icalcomponent* calendar) {
  std::set<std::string> out;
  for (icalcomponent* z = icalcomponent_get_first_component(calendar, ICAL_VTIMEZONE_COMPONENT); z != nullptr;
       z = icalcomponent_get_next_component(calendar, ICAL_VTIMEZONE_COMPONENT)) {
    if (icalproperty* p = icalcomponent_get_first_property(z, ICAL_TZID_PROPERTY)) out.insert(icalproperty_get_tzid(p));
  }
  return out;
}

// The moved occurrences of the calendar's item, taken out of it.
std::vector<icalcomponent*> TakeMoved(icalcomponent* calendar) {
  std::vector<icalcomponent*> out;
  for (icalcomponent* c = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT); c != nullptr;
       c = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
    if (Item(c) && Moved(c)) out.push_back(c);
  }
  for (icalcomponent* c : out) icalcomponent_remove_component(calendar, c);
  return out;
}

void Replace(icalcomponent* theirs, icalcomponent* ours) {
  for (const icalproperty_kind kind : kOwned) {
    std::vector<icalproperty*> gone;
    for (icalproperty* p = icalcomponent_get_first_property(theirs, kind); p != nullptr;
         p = icalcomponent_get_next_property(theirs, kind)) {
      gone.push_back(p);
    }
    for (icalproperty* p : gone) {
      icalcomponent_remove_property(theirs, p);
      icalproperty_free(p);
    }
    for (icalproperty* p = icalcomponent_get_first_property(ours, kind); p != nullptr;
         p = icalcomponent_get_next_property(ours, kind)) {
      icalcomponent_add_property(theirs, icalproperty_new_clone(p));
    }
  }
}

}  // namespace

std::string SyncLocal_Patch(const std::string& serverCopy, const std::string& ours) {
  std::string out;
  icalcomponent* theirs = icalparser_parse_string(serverCopy.c_str());
  icalcomponent* mine = icalparser_parse_string(ours.c_str());
  icalcomponent* target = theirs != nullptr ? Master(theirs) : nullptr;
  icalcomponent* source = mine != nullptr ? Master(mine) : nullptr;
  const bool ok = target != nullptr && source != nullptr && icalcomponent_isa(target) == icalcomponent_isa(source);
  if (ok) {
    Replace(target, source);
    // Velmo's moved occurrences are its own entries: they replace the server's.
    for (icalcomponent* c : TakeMoved(theirs)) icalcomponent_free(c);
    for (icalcomponent* c : TakeMoved(mine)) icalcomponent_add_component(theirs, c);
    const std::set<std::string> have = ZoneIds(theirs);
    for (icalcomponent* z = icalcomponent_get_first_component(mine, ICAL_VTIMEZONE_COMPONENT); z != nullptr;
         z = icalcomponent_get_next_component(mine, ICAL_VTIMEZONE_COMPONENT)) {
      icalproperty* p = icalcomponent_get_first_property(z, ICAL_TZID_PROPERTY);
      if (p != nullptr && have.count(icalproperty_get_tzid(p)) == 0) {
        icalcomponent_add_component(theirs, icalcomponent_new_clone(z));
      }
    }
    out = IcsWrite_Component(theirs);
  } else {
    // A kind changed (an event became a task): Velmo's version whole.
    out = ours;
  }
  if (theirs != nullptr) icalcomponent_free(theirs);
  if (mine != nullptr) icalcomponent_free(mine);
  return out;
}
