// The export of velmo-cli export-ics, for any program holding the record in
// the store (velmo-cli, the page, the sync): what other calendars cannot show
// as Velmo does is told on standard error.
#pragma once

#include <string>
#include <vector>

#include "store/Store.h"

// Whether export writes e (kinds 4 to 8: holidays, schedules, kept kinds, tasks).
bool IcsExport_Carries(const Entry& e);
// Every entry, in table order, as one iCalendar object.
std::string IcsExport_Text();
// The entries sharing uid as one iCalendar object, exactly as export-ics
// writes them. False when they are no one item (several entries that do not
// join into one rule with its exceptions) or none of them can be written.
bool IcsExport_Item(const std::vector<const Entry*>& entries, const std::string& uid, std::string& ics);
