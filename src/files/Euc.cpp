#include "files/Euc.h"

#include <array>
#include <cstring>

#include "Capacity.h"
#include "files/Save.h"
#include "text/Cp932.h"
#include "text/ShiftJis.h"

namespace {

bool IsHalfWidthKana(std::uint8_t b) { return b >= 0xA1 && b <= 0xDF; }

std::size_t Geta(std::uint8_t out[EUC_CHAR_MAX]) {
  std::memcpy(out, EUC_GETA, sizeof EUC_GETA);
  return sizeof EUC_GETA;
}

// Converted texts are built here: at most two bytes for each byte of a text
// no longer than one pool block.
std::array<std::uint8_t, 2 * cap::kPoolBlockBytes> converted;

}  // namespace

std::size_t Euc_ConvertChar(std::span<const std::uint8_t> text, std::uint8_t out[EUC_CHAR_MAX],
                            std::size_t& used) {
  used = 0;
  if (text.empty()) return 0;
  const std::uint8_t b = text[0];
  used = 1;
  if (b < 0x80) {
    out[0] = b;
    return 1;
  }
  if (ShiftJis_IsLead(b) && text.size() >= 2 && ShiftJis_IsTrail(text[1])) used = 2;
  else if (!IsHalfWidthKana(b)) return Geta(out);  // a stray byte or a lead without its trail
  const unsigned code = used == 2 ? static_cast<unsigned>(b) << 8 | text[1] : b;
  const std::size_t n = Cp932_ToEucJp(code, out);
  return n != 0 ? n : Geta(out);
}

bool Euc_ConvertText(Entry& entry) {
  if (entry.text == nullptr || entry.textLen == 0) return true;
  if (entry.textLen > cap::kPoolBlockBytes) return false;
  const std::span<const std::uint8_t> text(reinterpret_cast<const std::uint8_t*>(entry.text),
                                           entry.textLen);
  std::size_t length = 0;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t used = 0;
    length += Euc_ConvertChar(text.subspan(i), converted.data() + length, used);
    i += used;
  }
  if (length > cap::kPoolBlockBytes) return false;
  char* to = entry.text;
  if (length != entry.textLen) {
    to = Store_AllocBytes(length);
    if (to == nullptr) return false;
  }
  std::memcpy(to, converted.data(), length);
  entry.text = to;
  entry.textLen = static_cast<std::uint16_t>(length);
  return true;
}

bool Euc_ConvertAll() {
  bool all = true;
  std::uint16_t pos = Store_First();
  for (Entry* e = Store_Next(pos); e != nullptr; e = Store_Next(pos)) all = Euc_ConvertText(*e) && all;
  Data_Changed();
  return all;
}
