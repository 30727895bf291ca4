// A libical component as iCalendar text: content lines folded at 75 octets
// between UTF-8 characters, every line ended by CRLF.
#pragma once

#include <libical/ical.h>

#include <string>

std::string IcsWrite_Component(icalcomponent* c);
