// Label names (0 common, 1..4 user categories, 5 custom selection), the label
// file "label" that renames 1..4, and the saved selection as the store filter.
#pragma once

#include <cstdint>

inline constexpr std::uint16_t LABEL_COMMON = 0;
inline constexpr std::uint16_t LABEL_CUSTOM = 5;
inline constexpr std::uint16_t LABEL_NAMES = 6;       // labels 0..5 have names
inline constexpr std::uint16_t LABEL_USER_FIRST = 1;
inline constexpr std::uint16_t LABEL_USER_LAST = 4;
inline constexpr unsigned LABEL_NAME_BYTES = 8;       // 8 half-width cells

bool Label_InitNames();
// Reads the label file at path (Settings_LabelPath). False when it is missing
// or has fewer than four lines; names read so far stay.
bool Label_LoadFile(const char* path);
bool Label_SetName(std::uint16_t n, const char* sjisText);  // n 1..4 only
const char* Label_Name(std::uint16_t n);  // "" for n > 5
