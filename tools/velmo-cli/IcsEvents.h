// A VEVENT as read, and its rule into entries.
#pragma once

#include <vector>

#include "IcsImport.h"
#include "IcsTimes.h"

struct IcsEvent {
  IcsWhen start, end;  // as written
  bool hasEnd = false;
  IcsSeconds length = 0;  // seconds from start to end, timed items
};

// The local day and time the event ends.
IcsWhen IcsEvents_LocalEnd(const IcsEvent& ev);

// The entries of event c, whose one-off form is item, with the components
// that move single occurrences of it; false when it is left out.
bool IcsEvents_Rule(const IcsImport& im, const IcsWhere& w, const IcsComponent& c, const IcsEvent& ev,
                    const std::vector<const IcsComponent*>& moved, IcsItem item, std::vector<IcsItem>& out);
