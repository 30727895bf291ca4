// iCalendar text into Velmo's Shift-JIS: characters that Shift-JIS writes
// with one code (WAVE DASH and FULLWIDTH TILDE, the dashes, the yen sign)
// map silently; every other character Shift-JIS lacks is counted.
#pragma once

#include <string>
#include <string_view>

std::string IcsText_ToSjis(std::string_view utf8, unsigned& missing);
