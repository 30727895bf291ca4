#include "files/Euc.h"

#include "files/Save.h"

void Euc_ConvertPair(std::uint8_t& c1, std::uint8_t& c2) {
  const unsigned a = c2 <= 0x9E ? 1 : 0;
  const unsigned row = c1 <= 0x9F ? 0x70 : 0xB0;
  const unsigned cell = a == 0 ? 0x7E : (c2 < 0x80 ? 0x1F : 0x20);
  c1 = static_cast<std::uint8_t>((c1 - row) * 2 - a + 0x80);
  c2 = static_cast<std::uint8_t>(c2 - cell + 0x80);
}

bool Euc_ConvertText(Entry& entry) {
  if (entry.text == nullptr) return true;
  auto* text = reinterpret_cast<std::uint8_t*>(entry.text);
  const std::size_t length = entry.textLen;
  std::size_t i = 0;
  while (i < length) {
    if (text[i] < 0x80) {
      ++i;
      continue;
    }
    // A lead byte without its trail byte inside the text stays as it is.
    if (i + 1 >= length) break;
    Euc_ConvertPair(text[i], text[i + 1]);
    i += 2;
  }
  return true;
}

bool Euc_ConvertAll() {
  std::uint16_t pos = Store_First();
  for (Entry* e = Store_Next(pos); e != nullptr; e = Store_Next(pos)) Euc_ConvertText(*e);
  Data_Changed();
  return true;
}
