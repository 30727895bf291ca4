// The browser's glyph source (host/common/ZebGlyph.h): the Linux hosts' glyph
// masks, written to a table by the native build (tools/glyph-table, which
// describes its form) and loaded with the page as /glyphs.bin.
#include "host/common/ZebGlyph.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr const char* kPath = "/glyphs.bin";
constexpr char kMagic[4] = {'V', 'G', 'L', 'Y'};
constexpr std::size_t kHeader = sizeof kMagic + 1;
constexpr std::size_t kSizeHeader = 5;

// One glyph size's part of the table.
struct SizePart {
  int size = 0;
  std::size_t count = 0;
  std::size_t singles = 0;            // codes below 0x100, which come first
  const std::uint8_t* codes = nullptr;
  const std::uint8_t* masks = nullptr;
};

struct Table {
  bool open = false;
  long renders = 0;
  std::vector<std::uint8_t> bytes;
  SizePart sizes[ZEB_MAX_GLYPH + 1];
  std::uint32_t rows[ZEB_MAX_GLYPH];
};

Table table;

unsigned Code(const SizePart& part, std::size_t i) { return part.codes[2 * i] | part.codes[2 * i + 1] << 8; }

// The index of code in part, or part.count when it has none.
std::size_t Find(const SizePart& part, unsigned code) {
  std::size_t low = 0, high = part.count;
  while (low < high) {
    const std::size_t mid = low + (high - low) / 2;
    if (Code(part, mid) < code) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return low < part.count && Code(part, low) == code ? low : part.count;
}

std::size_t MaskBytes(int size, bool wide) { return static_cast<std::size_t>(size * (((wide ? size : size / 2) + 7) / 8)); }

bool ReadFile(const char* path) {
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  std::uint8_t chunk[4096];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) table.bytes.insert(table.bytes.end(), chunk, chunk + n);
  std::fclose(f);
  return true;
}

// Checks every part's bounds as it indexes them.
bool Index() {
  const std::vector<std::uint8_t>& b = table.bytes;
  if (b.size() < kHeader || std::memcmp(b.data(), kMagic, sizeof kMagic) != 0) return false;
  std::size_t at = kHeader;
  for (int s = 0; s < b[sizeof kMagic]; ++s) {
    if (at + kSizeHeader > b.size()) return false;
    SizePart part;
    part.size = b[at];
    part.count = b[at + 1] | b[at + 2] << 8 | b[at + 3] << 16 | static_cast<std::size_t>(b[at + 4]) << 24;
    at += kSizeHeader;
    if (part.size < 1 || part.size > ZEB_MAX_GLYPH || part.count > (b.size() - at) / 2) return false;
    part.codes = b.data() + at;
    at += 2 * part.count;
    while (part.singles < part.count && Code(part, part.singles) < 0x100) ++part.singles;
    const std::size_t masks = part.singles * MaskBytes(part.size, false) + (part.count - part.singles) * MaskBytes(part.size, true);
    if (masks > b.size() - at) return false;
    part.masks = b.data() + at;
    at += masks;
    table.sizes[part.size] = part;
  }
  return at == b.size();
}

}  // namespace

bool ZebGlyph_Open(const char** failure) {
  if (failure != nullptr) *failure = nullptr;
  if (table.open) return true;
  table = Table{};
  if (!ReadFile(kPath) || !Index()) {
    table = Table{};
    if (failure != nullptr) *failure = "the glyph table is missing or damaged: reload the page";
    return false;
  }
  table.open = true;
  return true;
}

void ZebGlyph_Close() { table = Table{}; }

long ZebGlyph_RenderCount() { return table.renders; }

bool ZebGlyph_Render(unsigned code, int size, ZebGlyph& out) {
  out = {0, 0, nullptr};
  if (size < 1 || size > ZEB_MAX_GLYPH || !table.open) return false;
  const SizePart& part = table.sizes[size];
  std::size_t low = Find(part, code);
  // The table leaves out the double-byte codes drawn as GETA.
  if (low == part.count && code >= 0x100 && code <= 0xFFFF && Zeb_IsLeadByte(static_cast<unsigned char>(code >> 8))) {
    code = ZEB_GLYPH_GETA;
    low = Find(part, code);
  }
  if (low == part.count) return false;
  const bool wide = code >= 0x100;
  const std::size_t offset = wide ? part.singles * MaskBytes(size, false) + (low - part.singles) * MaskBytes(size, true)
                                  : low * MaskBytes(size, false);
  const std::uint8_t* mask = part.masks + offset;
  const int width = wide ? size : size / 2;
  for (int r = 0; r < size; ++r) {
    std::uint32_t row = 0;
    for (int c = 0; c < (width + 7) / 8; ++c) row |= static_cast<std::uint32_t>(mask[c * size + r]) << (8 * c);
    table.rows[r] = row;
  }
  ++table.renders;
  out = {width, size, table.rows};
  return true;
}
