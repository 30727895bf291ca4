// Text helpers for the command-line tools: Shift-JIS (CP932) to UTF-8 and
// JSON string output.
#pragma once

#include <string>
#include <string_view>

// Converts Shift-JIS bytes to UTF-8; a byte that does not start a valid
// character becomes U+FFFD and conversion goes on with the next byte.
std::string Sjis_ToUtf8(std::string_view sjis);

// Appends text (UTF-8) as a quoted JSON string.
void Sjis_AppendJson(std::string& out, std::string_view utf8);

// Appends the bytes as lowercase hex digits.
void Sjis_AppendHex(std::string& out, std::string_view bytes);
