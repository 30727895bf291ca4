// Shift-JIS (CP932, Windows' Japanese code page) <-> Unicode and UTF-8, and
// CP932 -> EUC-JP, through tables generated at build time from the C
// library's converters (tools/sjis-table), so every build - with or without
// iconv - converts the same. A CP932 code is a byte (< 0x100) or lead * 256 + trail, as glyph
// codes are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The code point of a CP932 code; false when it is no character.
bool Cp932_ToUnicode(unsigned code, unsigned& cp);

// The CP932 code of a code point; false when CP932 lacks it.
bool Cp932_FromUnicode(unsigned cp, unsigned& code);

// What Cp932_Next gives for a byte that starts no character: U+FFFD.
inline constexpr unsigned CP932_NO_CHARACTER = 0xFFFD;

// The code point of the character at sjis[i], with its bytes in used (1 or
// 2); a byte that starts no character gives CP932_NO_CHARACTER and used 1,
// so the next byte is read afresh, as the C library's converter does.
unsigned Cp932_Next(std::string_view sjis, std::size_t i, std::size_t& used);

// UTF-8 takes at most this many bytes per Shift-JIS byte.
inline constexpr std::size_t CP932_UTF8_GROWTH = 3;
// Shift-JIS to UTF-8 at out, which has room for CP932_UTF8_GROWTH *
// sjis.size() bytes (undecodable bytes become U+FFFD); returns the end.
char* Cp932_ToUtf8(char* out, std::string_view sjis);

// The same into out of size bytes, always NUL-terminated, cut at a whole
// character when it does not fit, undecodable bytes as unknown; returns the
// bytes written.
std::size_t Cp932_ToUtf8Cut(std::string_view sjis, char* out, std::size_t size,
                            unsigned unknown = CP932_NO_CHARACTER);

// UTF-8 to Shift-JIS into out, character by character: each character CP932
// lacks, and each byte that is not UTF-8, becomes "〓" and is counted in
// *missing (when given). Returns the bytes written, or -1 when they do not fit.
long Cp932_FromUtf8(std::string_view utf8, char* out, std::size_t size, unsigned* missing);

// Longest EUC-JP form of one character (JIS X 0212: 0x8F and two bytes).
inline constexpr std::size_t CP932_EUC_MAX = 3;
// The EUC-JP form (EUC-JP-MS, as iconv names it) of a CP932 code into out;
// the bytes written, 0 when it has none.
std::size_t Cp932_ToEucJp(unsigned code, std::uint8_t out[CP932_EUC_MAX]);

// "〓", what stands for a character Shift-JIS lacks.
inline constexpr std::string_view CP932_GETA = "\x81\xac";
