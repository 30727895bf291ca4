// Text helpers for the command-line tools: Shift-JIS (CP932) <-> UTF-8 on
// std::string over the text layer's conversion (text/Cp932.h), and JSON
// string output.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "text/Cp932.h"

// Converts Shift-JIS bytes to UTF-8; a byte that does not start a valid
// character becomes U+FFFD and conversion goes on with the next byte.
std::string Sjis_ToUtf8(std::string_view sjis);

// UTF-8 takes at most this many bytes per Shift-JIS byte.
inline constexpr std::size_t SJIS_UTF8_GROWTH = CP932_UTF8_GROWTH;
// The same conversion written at out, which has room for
// SJIS_UTF8_GROWTH * sjis.size() bytes; returns the end of what it wrote.
char* Sjis_PutUtf8(char* out, std::string_view sjis);

// Appends text (UTF-8) as a quoted JSON string.
void Sjis_AppendJson(std::string& out, std::string_view utf8);

// Appends the bytes as lowercase hex digits.
void Sjis_AppendHex(std::string& out, std::string_view bytes);

// Whether text is well-formed UTF-8.
bool Sjis_ValidUtf8(std::string_view text);

// Converts UTF-8 to Shift-JIS (CP932); a character Shift-JIS lacks becomes
// "〓" and is counted in missing. Malformed UTF-8 counts as missing too.
std::string Sjis_FromUtf8(std::string_view utf8, unsigned& missing);

// The longest prefix of sjis of at most limit bytes that ends on a
// character boundary.
std::size_t Sjis_CutLength(std::string_view sjis, std::size_t limit);
