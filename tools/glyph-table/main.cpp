// velmo-glyph-table OUT: writes the Linux hosts' glyph masks (host/common's
// ZebGlyph, the same the window shows) for every font size of the graphics
// layer and every single- and double-byte code that has a glyph of its own
// (a code drawn as GETA is left out), for a host without fonts (the
// browser). The file, all numbers little-endian:
//   "VGLY", sizes (u8); per size: size (u8), count (u32), count codes (u16,
//   ascending), then each code's mask by byte columns: for each of the
//   (width + 7) / 8 columns, `size` bytes (one a row), bit j of column c's
//   byte is ink at x = 8c + j; width = size for a double-byte code and
//   size / 2 for a single byte. Column by column, like bytes lie together
//   and the file gzips a fifth smaller than row by row.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "graphics/Zeb.h"
#include "host/common/ZebGlyph.h"
#include "text/ShiftJis.h"

namespace {

constexpr char kMagic[4] = {'V', 'G', 'L', 'Y'};

// The distinct glyph sizes of the font table, in its order.
std::vector<int> Sizes() {
  std::vector<int> sizes;
  for (const ZebFont& font : ZEB_FONTS) {
    bool seen = false;
    for (int s : sizes) seen = seen || s == font.glyphSize;
    if (!seen) sizes.push_back(font.glyphSize);
  }
  return sizes;
}

// Every code the text drawing can ask for: the 256 bytes, then each lead
// and trail pair.
std::vector<unsigned> Codes() {
  std::vector<unsigned> codes;
  for (unsigned b = 0; b < 0x100; ++b) codes.push_back(b);
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!ShiftJis_IsLead(static_cast<unsigned char>(lead))) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (ShiftJis_IsTrail(static_cast<unsigned char>(trail))) codes.push_back(lead << 8 | trail);
    }
  }
  return codes;
}

void Put(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: velmo-glyph-table OUT\n");
    return 2;
  }
  const char* failure = nullptr;
  if (!ZebGlyph_Open(&failure)) {
    std::fprintf(stderr, "velmo-glyph-table: %s\n", failure);
    return 1;
  }
  const std::vector<int> sizes = Sizes();
  const std::vector<unsigned> codes = Codes();
  std::vector<std::uint8_t> out(kMagic, kMagic + sizeof kMagic);
  Put(out, static_cast<std::uint32_t>(sizes.size()), 1);
  for (int size : sizes) {
    std::vector<unsigned> present;
    std::vector<std::uint8_t> masks;
    ZebGlyph geta{};
    ZebGlyph_Render(ZEB_GLYPH_GETA, size, geta);
    for (unsigned code : codes) {
      ZebGlyph glyph{};
      // A code drawn as GETA is left out: the reader draws GETA for it.
      if (!ZebGlyph_Render(code, size, glyph) || (code != ZEB_GLYPH_GETA && glyph.rows == geta.rows)) continue;
      present.push_back(code);
      const int width = code >= 0x100 ? size : size / 2;
      for (int column = 0; column < (width + 7) / 8; ++column) {
        for (int r = 0; r < size; ++r) {
          const std::uint32_t row = r < glyph.height ? glyph.rows[r] : 0;
          masks.push_back(static_cast<std::uint8_t>(row >> (8 * column)));
        }
      }
    }
    Put(out, static_cast<std::uint32_t>(size), 1);
    Put(out, static_cast<std::uint32_t>(present.size()), 4);
    for (unsigned code : present) Put(out, code, 2);
    out.insert(out.end(), masks.begin(), masks.end());
  }
  ZebGlyph_Close();
  std::FILE* f = std::fopen(argv[1], "wb");
  if (f == nullptr || std::fwrite(out.data(), 1, out.size(), f) != out.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "velmo-glyph-table: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
