// Shift-JIS text as bytes: which bytes begin and end a double-byte
// character, and how much of a text fits a number of bytes (half-width
// columns) without splitting a character. Every layer that cuts or walks
// Shift-JIS text uses these.
#pragma once

#include <cstddef>

// 0x81..0x9F and 0xE0..0xFC begin a double-byte character.
constexpr bool ShiftJis_IsLead(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// 0x40..0x7E and 0x80..0xFC end one.
constexpr bool ShiftJis_IsTrail(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// The bytes of text, at most length and limit, that hold whole characters:
// a lead byte and the byte after it are one character, left out whole when
// they do not both fit. Every byte counts, control bytes and NUL too (the
// font draws them), so it is also a cut at a width of limit half-width
// columns. 0 for a null text.
int ShiftJis_Fit(const char* text, int length, int limit);

// Cuts a NUL-terminated text in place to its whole characters within limit
// bytes (a lead byte just before the NUL goes too).
void ShiftJis_Truncate(char* text, std::size_t limit);
