// One item of the store as export-ics writes it, for the sync to send.
#pragma once

#include <string>
#include <vector>

#include "store/Store.h"

// The entries sharing uid as one iCalendar object, exactly as export-ics
// writes them. False when they are no one item (several entries that do not
// join into one rule with its exceptions) or none of them can be written.
bool IcsExport_Item(const std::vector<const Entry*>& entries, const std::string& uid, std::string& ics);
