// Glyph masks from the Debian Japanese bitmap fonts:
//   12 px  shinonome shnmk12 (JIS X 0208) + shnm6x12r (JIS X 0201)
//   16 px  shinonome shnmk16 + shnm8x16r
//   24 px  jiskan24 + 12x24rk (X11 base fonts)
//   8 px   misaki gothic (Unicode TrueType with an 8-pixel bitmap strike);
//   7 px   the same misaki glyphs, whose ink lies in a 7 x 7 box.
// A double-byte character none of these has (the CP932 extensions: NEC row
// 13, the NEC and IBM selected kanji) comes from unifont's 16-pixel Unicode
// bitmaps, fitted to the size; one no font has is drawn as GETA (0x81AC).
// The X11 fonts are indexed by the JIS code itself (row * 256 + cell) or by
// the JIS X 0201 byte, so Shift-JIS maps to them arithmetically; misaki is
// reached through the text layer's CP932 table. Every mask is rendered at
// most once and kept in a table per glyph size indexed by code. A face is opened when a
// glyph of it is first needed, the X11 ones from an uncompressed cached copy.
#include "host/common/ZebGlyph.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "graphics/Zeb.h"
#include "host/common/FontCache.h"
#include "text/Cp932.h"

namespace {

enum FaceId {
  FACE_K12, FACE_R12, FACE_K16, FACE_R16, FACE_K24, FACE_R24, FACE_MISAKI, FACE_UNIFONT, FACE_COUNT
};

struct FontFile {
  const char* path;
  const char* package;
};

constexpr FontFile kFontFiles[FACE_COUNT] = {
    {"/usr/share/fonts/X11/misc/shnmk12.pcf.gz", "xfonts-shinonome"},
    {"/usr/share/fonts/X11/misc/shnm6x12r.pcf.gz", "xfonts-shinonome"},
    {"/usr/share/fonts/X11/misc/shnmk16.pcf.gz", "xfonts-shinonome"},
    {"/usr/share/fonts/X11/misc/shnm8x16r.pcf.gz", "xfonts-shinonome"},
    {"/usr/share/fonts/X11/misc/jiskan24.pcf.gz", "xfonts-base"},
    {"/usr/share/fonts/X11/misc/12x24rk.pcf.gz", "xfonts-base"},
    {"/usr/share/fonts/truetype/misaki/misaki_gothic.ttf", "fonts-misaki"},
    {"/usr/share/fonts/X11/misc/unifont.pcf.gz", "xfonts-unifont"},
};

constexpr int kMisakiPixels = 8;
constexpr int kUnifontPixels = 16;

bool IsUnicodeFace(FaceId id) { return id == FACE_MISAKI || id == FACE_UNIFONT; }

// Slots of one size's table: the 256 byte codes, then rows 0x21..0x98 (JIS
// X 0208 and, past 0x7E, the rows Shift-JIS leads 0xF0..0xFC address: user
// characters and IBM extensions) of cells 0x21..0x7E.
constexpr int kJisSide = 94;
constexpr unsigned kLastRow = 0x98;
constexpr int kSlots = 256 + static_cast<int>(kLastRow - 0x20) * kJisSide;

enum SlotState : std::uint8_t { SLOT_EMPTY, SLOT_GLYPH, SLOT_MISSING };

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};

// One glyph size: a state per slot and `size` mask rows per slot.
struct SizeTable {
  std::unique_ptr<std::uint8_t, FreeDeleter> state;
  std::unique_ptr<std::uint32_t, FreeDeleter> rows;
};

struct GlyphSource {
  FT_Library library = nullptr;
  FT_Face faces[FACE_COUNT] = {};
  bool faceFailed[FACE_COUNT] = {};
  bool open = false;
  bool failed = false;
  long renders = 0;
  SizeTable tables[ZEB_MAX_GLYPH + 1];
  char failure[512] = {};
};

GlyphSource source;

bool Fail() {
  ZebGlyph_Close();
  source.failed = true;
  return false;
}

void SetFailure(const char* what, const FontFile& file) {
  std::snprintf(source.failure, sizeof source.failure, what, file.path, file.package);
}

// Opening a face inflates its whole file, so each face is opened only when a
// glyph of it is first needed; a face that cannot be opened stays closed and
// its glyphs count as missing.
FT_Face OpenFace(FaceId id) {
  if (source.faces[id] != nullptr || source.faceFailed[id]) return source.faces[id];
  const FontFile& file = kFontFiles[id];
  FT_Face face = nullptr;
  char cached[512];
  const bool gz = std::strstr(file.path, ".gz") != nullptr;
  const bool fromCache = gz && FontCache_Path(file.path, cached, sizeof cached) &&
                         FT_New_Face(source.library, cached, 0, &face) == 0;
  if (!fromCache && FT_New_Face(source.library, file.path, 0, &face) != 0) {
    SetFailure("cannot read the font %s: install the Debian package %s", file);
    source.faceFailed[id] = true;
    return nullptr;
  }
  const bool ok = id == FACE_MISAKI
                      ? FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0 &&
                            FT_Set_Pixel_Sizes(face, 0, kMisakiPixels) == 0
                  : id == FACE_UNIFONT
                      ? FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0 && face->num_fixed_sizes > 0 &&
                            FT_Select_Size(face, 0) == 0
                      : face->num_charmaps > 0 && FT_Set_Charmap(face, face->charmaps[0]) == 0 &&
                            face->num_fixed_sizes > 0 && FT_Select_Size(face, 0) == 0;
  if (!ok) {
    SetFailure("the font %s is not the expected bitmap font: reinstall the Debian package %s", file);
    FT_Done_Face(face);
    source.faceFailed[id] = true;
    return nullptr;
  }
  source.faces[id] = face;
  return face;
}

// Where a Shift-JIS code lives in a size table, and its JIS code (0 for a
// single byte; past row 0x7E no JIS code but a slot); -1 when it is no
// character.
int SlotOf(unsigned code, unsigned& jis) {
  jis = 0;
  if (code < 0x100) return static_cast<int>(code);
  if (code > 0xFFFF) return -1;
  const unsigned lead = code >> 8;
  const unsigned trail = code & 0xFF;
  if (!Zeb_IsLeadByte(static_cast<unsigned char>(lead)) ||
      !Zeb_IsTrailByte(static_cast<unsigned char>(trail))) {
    return -1;
  }
  const unsigned pair = lead - (lead < 0xA0 ? 0x70 : 0xB0);
  unsigned row = 0;
  unsigned cell = 0;
  if (trail < 0x9F) {
    row = pair * 2 - 1;
    cell = trail - (trail >= 0x80 ? 0x20 : 0x1F);
  } else {
    row = pair * 2;
    cell = trail - 0x7E;
  }
  if (row < 0x21 || row > kLastRow || cell < 0x21 || cell > 0x7E) return -1;
  jis = row <= 0x7E ? row * 256 + cell : 0;
  return 256 + static_cast<int>((row - 0x21) * kJisSide + (cell - 0x21));
}

// The face for a glyph size and width class: the largest real face that is
// not taller than the size (misaki below 12).
FaceId FaceFor(int size, bool wide) {
  if (size >= 24) return wide ? FACE_K24 : FACE_R24;
  if (size >= 16) return wide ? FACE_K16 : FACE_R16;
  if (size >= 12) return wide ? FACE_K12 : FACE_R12;
  return FACE_MISAKI;
}

FT_ULong UnicodeOf(unsigned code) {
  unsigned cp = 0;
  return Cp932_ToUnicode(code, cp) ? cp : 0;
}

// Renders one glyph of `face` into `rows` (size rows, `width` columns,
// top-left aligned on the face's ascent); false when the face has none.
bool RenderFace(FT_Face face, FT_ULong charCode, int size, int width, std::uint32_t* rows) {
  const FT_UInt index = charCode != 0 ? FT_Get_Char_Index(face, charCode) : 0;
  if (index == 0) return false;
  ++source.renders;
  if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return false;
  const FT_GlyphSlot slot = face->glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  const int top = static_cast<int>(face->size->metrics.ascender >> 6) - slot->bitmap_top;
  const int left = slot->bitmap_left;
  for (unsigned r = 0; r < bitmap.rows; ++r) {
    const int y = top + static_cast<int>(r);
    if (y < 0 || y >= size) continue;
    const unsigned char* line = bitmap.buffer + static_cast<std::ptrdiff_t>(r) * bitmap.pitch;
    for (unsigned c = 0; c < bitmap.width; ++c) {
      const int x = left + static_cast<int>(c);
      if (x < 0 || x >= width) continue;
      const bool ink = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? (line[c >> 3] >> (7 - (c & 7))) & 1
                                                               : line[c] >= 128;
      if (ink) rows[y] |= std::uint32_t{1} << x;
    }
  }
  return true;
}

// How much of the span [from, from + length) lies in [at, at + step).
int Overlap(int from, int length, int at, int step) {
  return std::max(0, std::min(from + length, at + step) - std::max(from, at));
}

// Fits a 16 x 16 unifont cell to `side` pixels by area: an output pixel is
// ink when ink covers at least half of it. A one-pixel stroke always covers
// half of some output pixel from 8 to 32 pixels, so no stroke is lost; sizes
// below 8 are fitted to 8 and cut, as misaki's 8-pixel glyphs are for 7.
void Fit(const std::uint32_t* cell, int size, int width, std::uint32_t* rows) {
  const int side = std::max(size, kMisakiPixels);
  for (int y = 0; y < std::min(size, side); ++y) {
    for (int x = 0; x < std::min(width, side); ++x) {
      int covered = 0;  // area, in squares of 1 / (16 * side) of the cell's side
      for (int r = y * kUnifontPixels / side; r < kUnifontPixels && r * side < (y + 1) * kUnifontPixels; ++r) {
        const int dy = Overlap(r * side, side, y * kUnifontPixels, kUnifontPixels);
        for (int c = x * kUnifontPixels / side; c < kUnifontPixels && c * side < (x + 1) * kUnifontPixels; ++c) {
          if ((cell[r] >> c) & 1) covered += dy * Overlap(c * side, side, x * kUnifontPixels, kUnifontPixels);
        }
      }
      if (2 * covered >= kUnifontPixels * kUnifontPixels) rows[y] |= std::uint32_t{1} << x;
    }
  }
}

// A double-byte character from unifont, through its Unicode code point.
bool RenderFallback(unsigned code, int size, int width, std::uint32_t* rows) {
  FT_Face face = OpenFace(FACE_UNIFONT);
  const FT_ULong unicode = face != nullptr ? UnicodeOf(code) : 0;
  std::uint32_t cell[kUnifontPixels] = {};
  if (unicode == 0 || !RenderFace(face, unicode, kUnifontPixels, kUnifontPixels, cell)) return false;
  Fit(cell, size, width, rows);
  return true;
}

// Renders one character into `rows`: from the face of its size, else, for a
// double-byte character, from the fallback.
bool Render(unsigned code, unsigned jis, int size, int width, std::uint32_t* rows) {
  const FaceId id = FaceFor(size, code >= 0x100);
  FT_Face face = OpenFace(id);
  const FT_ULong charCode = IsUnicodeFace(id) ? UnicodeOf(code) : code < 0x100 ? code : jis;
  if (face != nullptr && (code < 0x100 || jis != 0 || IsUnicodeFace(id)) &&
      RenderFace(face, charCode, size, width, rows)) {
    return true;
  }
  return code >= 0x100 && RenderFallback(code, size, width, rows);
}

SizeTable* TableFor(int size) {
  SizeTable& table = source.tables[size];
  if (!table.state) {
    table.rows.reset(static_cast<std::uint32_t*>(
        std::calloc(static_cast<std::size_t>(kSlots) * size, sizeof(std::uint32_t))));
    if (table.rows) table.state.reset(static_cast<std::uint8_t*>(std::calloc(kSlots, 1)));
    if (!table.state) return nullptr;
  }
  return &table;
}

}  // namespace

// Only checks that every font file is there and readable: the faces are
// opened on first use.
bool ZebGlyph_Open(const char** failure) {
  if (failure != nullptr) *failure = nullptr;
  if (source.open) return true;
  source.failed = false;
  if (FT_Init_FreeType(&source.library) != 0) {
    source.library = nullptr;
    std::snprintf(source.failure, sizeof source.failure, "cannot start FreeType");
    Fail();
  }
  for (int id = 0; id < FACE_COUNT && !source.failed; ++id) {
    if (access(kFontFiles[id].path, R_OK) != 0) {
      SetFailure("cannot read the font %s: install the Debian package %s", kFontFiles[id]);
      Fail();
    }
  }
  if (source.failed) {
    if (failure != nullptr) *failure = source.failure;
    return false;
  }
  source.open = true;
  source.renders = 0;
  return true;
}

void ZebGlyph_Close() {
  for (SizeTable& table : source.tables) {
    table.state.reset();
    table.rows.reset();
  }
  for (FT_Face& face : source.faces) {
    if (face != nullptr) FT_Done_Face(face);
    face = nullptr;
  }
  for (bool& faceFailed : source.faceFailed) faceFailed = false;
  if (source.library != nullptr) FT_Done_FreeType(source.library);
  source.library = nullptr;
  source.open = false;
}

long ZebGlyph_RenderCount() { return source.renders; }

bool ZebGlyph_Render(unsigned code, int size, ZebGlyph& out) {
  out = {0, 0, nullptr};
  if (size < 1 || size > ZEB_MAX_GLYPH) return false;
  if (!source.open && (source.failed || !ZebGlyph_Open(nullptr))) return false;
  SizeTable* table = TableFor(size);
  if (table == nullptr) return false;
  // A double-byte code is whatever a lead byte and the next byte make: one no
  // font has, or no character at all, still takes its cell, as GETA.
  for (unsigned wanted : {code, ZEB_GLYPH_GETA}) {
    if (wanted >= 0x100 && (wanted > 0xFFFF || !Zeb_IsLeadByte(static_cast<unsigned char>(wanted >> 8)))) {
      return false;
    }
    unsigned jis = 0;
    const int slot = SlotOf(wanted, jis);
    if (slot < 0) continue;
    const int width = wanted >= 0x100 ? size : size / 2;
    std::uint32_t* rows = table->rows.get() + static_cast<std::ptrdiff_t>(slot) * size;
    if (table->state.get()[slot] == SLOT_EMPTY) {
      table->state.get()[slot] = Render(wanted, jis, size, width, rows) ? SLOT_GLYPH : SLOT_MISSING;
    }
    if (table->state.get()[slot] == SLOT_GLYPH) {
      out = {width, size, rows};
      return true;
    }
    if (wanted < 0x100) return false;
  }
  return false;
}
