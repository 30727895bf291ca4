// In-place conversion of every entry text from Shift-JIS to EUC-JP, for
// moving the record file to a system that uses EUC. The caller asks for
// confirmation and shows the outcome.
#pragma once

#include <cstdint>

#include "store/Store.h"

// One Shift-JIS double-byte character to EUC-JP, in place.
void Euc_ConvertPair(std::uint8_t& c1, std::uint8_t& c2);
// Converts one entry's text in place; never touches a byte past textLen.
bool Euc_ConvertText(Entry& entry);
// Converts every entry's text, then reports the change (Data_Changed, which
// saves at once with immediate save) and invalidates the month cache.
bool Euc_ConvertAll();
