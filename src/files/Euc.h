// In-place conversion of every entry text from Shift-JIS (CP932) to EUC-JP
// (EUC-JP-MS, as iconv names them), for moving the record file to a system
// that uses EUC. The caller asks for confirmation and shows the outcome.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "store/Store.h"
#include "text/Cp932.h"

// EUC-JP "〓", which stands for every character that has no EUC-JP form.
inline constexpr std::uint8_t EUC_GETA[2] = {0xA2, 0xAE};
// Longest EUC-JP form of one Shift-JIS character.
inline constexpr std::size_t EUC_CHAR_MAX = CP932_EUC_MAX;

// Converts the character at the start of text (one byte below 0x80, a
// half-width katakana byte, or a lead byte with its trail byte) into out;
// sets used to the bytes taken from text (at least 1 when text is not
// empty). Returns the bytes written: the EUC-JP-MS form (the text layer's
// table, as iconv converts), or "〓" for a character without one, a lead
// byte without a trail byte and a stray byte.
std::size_t Euc_ConvertChar(std::span<const std::uint8_t> text, std::uint8_t out[EUC_CHAR_MAX],
                            std::size_t& used);
// Converts one entry's text; a text that changes length gets a fresh block
// from the store. Never reads or writes a byte past textLen. False (the text
// unchanged) when the converted text does not fit a block.
bool Euc_ConvertText(Entry& entry);
// Converts every entry's text, then reports the change (Data_Changed, which
// saves at once with immediate save) and invalidates the month cache. False
// when a text could not be converted (the others are).
bool Euc_ConvertAll();
