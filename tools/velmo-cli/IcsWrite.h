// A component as iCalendar text: content lines folded at 75 octets between
// UTF-8 characters, every line ended by CRLF; and TEXT values escaped.
#pragma once

#include <string>
#include <string_view>

#include "IcsLines.h"
#include "calendar/Date.h"

std::string IcsWrite_Component(const IcsComponent& c);
// A TEXT value: backslash, comma, semicolon and line feed escaped, carriage returns dropped.
std::string IcsWrite_Text(std::string_view text);
// A DATE value, YYYYMMDD; a DATE-TIME value begins with it.
std::string IcsWrite_Date(DayNo day);
// One value of a list (CATEGORIES): its commas and semicolons stay as they are.
std::string IcsWrite_List(std::string_view text);
