// A change made in Velmo to an item Velmo could not hold exactly: the
// server's copy keeps what Velmo does not know of (alarms, attendees, its
// own properties); what Velmo keeps is replaced by Velmo's version.
#include <algorithm>
#include <iterator>
#include <set>
#include <string_view>

#include "IcsLines.h"
#include "IcsWrite.h"
#include "SyncLocal.h"

namespace {

// The properties export-ics writes from an entry, besides Velmo's own (X-VELMO-*).
constexpr std::string_view kOwned[] = {"DTSTAMP", "SUMMARY", "DESCRIPTION", "DTSTART",    "DTEND",
                                       "DURATION", "DUE",    "RRULE",       "EXDATE",     "RDATE",
                                       "EXRULE",  "CATEGORIES", "ATTACH",   "TRANSP",     "PRIORITY",
                                       "STATUS",  "COMPLETED"};

bool Owned(const IcsLine& l) {
  return l.name.starts_with("X-VELMO-") || std::find(std::begin(kOwned), std::end(kOwned), l.name) != std::end(kOwned);
}

bool Item(const IcsComponent& c) { return c.name == "VEVENT" || c.name == "VTODO"; }
bool Moved(const IcsComponent& c) { return c.First("RECURRENCE-ID") != nullptr; }

// The item without RECURRENCE-ID.
IcsComponent* Master(IcsComponent& calendar) {
  for (IcsComponent& c : calendar.children) {
    if (Item(c) && !Moved(c)) return &c;
  }
  return nullptr;
}

bool ReadOne(const std::string& text, IcsComponent& out) {
  std::vector<IcsComponent> calendars;
  std::string why;
  std::vector<std::string> skipped;
  if (!IcsLines_Read(text, calendars, why, skipped) || calendars.size() != 1) return false;
  out = std::move(calendars.front());
  return true;
}

const std::string* ZoneId(const IcsComponent& c) {
  const IcsLine* tzid = c.name == "VTIMEZONE" ? c.First("TZID") : nullptr;
  return tzid != nullptr ? &tzid->value : nullptr;
}

}  // namespace

std::string SyncLocal_Patch(const std::string& serverCopy, const std::string& ours) {
  IcsComponent theirs, mine;
  if (!ReadOne(serverCopy, theirs) || !ReadOne(ours, mine)) return ours;
  IcsComponent* target = Master(theirs);
  IcsComponent* source = Master(mine);
  // A kind changed (an event became a task): Velmo's version whole.
  if (target == nullptr || source == nullptr || target->name != source->name) return ours;
  std::erase_if(target->lines, Owned);
  std::copy_if(source->lines.begin(), source->lines.end(), std::back_inserter(target->lines), Owned);
  // Velmo's moved occurrences are its own entries: they replace the server's.
  std::erase_if(theirs.children, [](const IcsComponent& c) { return Item(c) && Moved(c); });
  std::set<std::string> zones;
  for (const IcsComponent& c : theirs.children) {
    if (const std::string* id = ZoneId(c)) zones.insert(*id);
  }
  for (const IcsComponent& c : mine.children) {
    const std::string* id = ZoneId(c);
    if ((Item(c) && Moved(c)) || (id != nullptr && zones.count(*id) == 0)) theirs.children.push_back(c);
  }
  return IcsWrite_Component(theirs);
}
