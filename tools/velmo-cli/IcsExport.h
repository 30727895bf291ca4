// The export of velmo-cli export-ics, for any program holding the record in
// the store: every entry, in table order, as one iCalendar object; what
// other calendars cannot show as Velmo does is told on standard error.
#pragma once

#include <string>

std::string IcsExport_Text();
