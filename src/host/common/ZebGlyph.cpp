// Glyph masks from the Debian Japanese bitmap fonts:
//   12 px  shinonome shnmk12 (JIS X 0208) + shnm6x12r (JIS X 0201)
//   16 px  shinonome shnmk16 + shnm8x16r
//   24 px  jiskan24 + 12x24rk (X11 base fonts)
//   8 px   misaki gothic (Unicode TrueType with an 8-pixel bitmap strike);
//   7 px   the same misaki glyphs, whose ink lies in a 7 x 7 box.
// The X11 fonts are indexed by the JIS code itself (row * 256 + cell) or by
// the JIS X 0201 byte, so Shift-JIS maps to them arithmetically; misaki is
// reached through the text layer's CP932 table. Every mask is rendered at
// most once and kept in a table per glyph size indexed by code. A face is opened when a
// glyph of it is first needed, the X11 ones from an uncompressed cached copy.
#include "host/common/ZebGlyph.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <unistd.h>

#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "graphics/Zeb.h"
#include "host/common/FontCache.h"
#include "text/Cp932.h"

namespace {

enum FaceId { FACE_K12, FACE_R12, FACE_K16, FACE_R16, FACE_K24, FACE_R24, FACE_MISAKI, FACE_COUNT };

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
};

constexpr int kMisakiPixels = 8;

// Slots of one size's table: the 256 byte codes, then JIS rows and cells
// 0x21..0x7E (94 x 94).
constexpr int kJisSide = 94;
constexpr int kSlots = 256 + kJisSide * kJisSide;

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
// single byte); -1 when it is no character.
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
  if (row < 0x21 || row > 0x7E || cell < 0x21 || cell > 0x7E) return -1;  // user-defined rows
  jis = row * 256 + cell;
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

// Renders one character into `rows` (size rows, `width` columns, top-left
// aligned on the face's ascent); false when the face has no such glyph.
bool Render(unsigned code, unsigned jis, int size, int width, std::uint32_t* rows) {
  const FaceId id = FaceFor(size, code >= 0x100);
  FT_Face face = OpenFace(id);
  if (face == nullptr) return false;
  FT_ULong charCode = code < 0x100 ? code : jis;
  if (id == FACE_MISAKI) charCode = UnicodeOf(code);
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
  unsigned jis = 0;
  const int slot = SlotOf(code, jis);
  if (slot < 0) return false;
  SizeTable* table = TableFor(size);
  if (table == nullptr) return false;
  const int width = code >= 0x100 ? size : size / 2;
  std::uint32_t* rows = table->rows.get() + static_cast<std::ptrdiff_t>(slot) * size;
  if (table->state.get()[slot] == SLOT_EMPTY) {
    table->state.get()[slot] = Render(code, jis, size, width, rows) ? SLOT_GLYPH : SLOT_MISSING;
  }
  if (table->state.get()[slot] != SLOT_GLYPH) return false;
  out = {width, size, rows};
  return true;
}
