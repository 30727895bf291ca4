// UTF-8 sequences: how long the one at a place is (and whether it is well
// formed), its code point, and a code point's bytes. The text layer's
// conversions and every program that reads UTF-8 use these.
#pragma once

#include <cstddef>
#include <string_view>

// The most bytes one code point takes.
inline constexpr std::size_t UTF8_MAX_BYTES = 4;

// Byte length of the sequence at text[i]; 0 when it is malformed (a stray
// continuation byte, a cut sequence, an overlong form, a surrogate, or beyond
// U+10FFFF) or i is past the end.
std::size_t Utf8_Length(std::string_view text, std::size_t i);

// The code point of the well-formed sequence of n = Utf8_Length(text, i) bytes at text[i].
unsigned Utf8_Decode(std::string_view text, std::size_t i, std::size_t n);

// Writes cp (at most U+10FFFF) at out, UTF8_MAX_BYTES at most; returns the end.
char* Utf8_Put(char* out, unsigned cp);

// Whether the whole text is well formed.
bool Utf8_Valid(std::string_view text);
