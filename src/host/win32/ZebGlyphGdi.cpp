// The Win32 glyph source (host/common/ZebGlyph.h): each character drawn by
// GDI with ExtTextOutW into a 32 x 32 8-bit grey image, in a font made for it
// (the glyph size high, half as wide, SHIFTJIS_CHARSET, PROOF_QUALITY,
// FIXED_PITCH | FF_MODERN); any non-zero pixel is ink. The character goes
// through the one Shift-JIS table to UTF-16, never through the system code
// page, and the font names the first Japanese face with both scripts that the
// system has: a font asked for by character set alone may, under a
// non-Japanese code page, fall on a face without Latin glyphs. Every mask is
// rendered at most once and kept in a table per glyph size indexed by code,
// like the Linux source.
#include "host/common/ZebGlyph.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>

#include "text/Cp932.h"

namespace {

constexpr int kImageSide = 32;
// Slots of one size's table: the 256 byte codes, then lead 0x81..0xFC by
// trail 0x40..0xFC.
constexpr unsigned kLeadFirst = 0x81, kLeadLast = 0xFC, kTrailFirst = 0x40, kTrailLast = 0xFC;
constexpr unsigned kTrails = kTrailLast - kTrailFirst + 1;
constexpr unsigned kSlots = 256 + (kLeadLast - kLeadFirst + 1) * kTrails;

// Japanese faces with Latin letters too: those Windows ships, fixed pitch
// first, then those of the free desktops (what wine finds through fontconfig).
constexpr std::array<const wchar_t*, 9> kFaces{
    L"MS Gothic", L"BIZ UDGothic", L"Meiryo", L"Yu Gothic", L"IPAGothic", L"IPAexGothic",
    L"VL Gothic", L"Noto Sans Mono CJK JP", L"TakaoGothic",
};

enum SlotState : std::uint8_t { SLOT_EMPTY, SLOT_GLYPH, SLOT_MISSING };

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};

struct SizeTable {
  std::unique_ptr<std::uint8_t, FreeDeleter> state;
  std::unique_ptr<std::uint32_t, FreeDeleter> rows;
};

struct GreyBitmapInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

struct GlyphImage {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  std::uint8_t* bits = nullptr;
  long renders = 0;
  wchar_t face[LF_FACESIZE] = L"";  // empty: none found, the character set alone
  SizeTable tables[ZEB_MAX_GLYPH + 1];
};

GlyphImage image;

bool SlotOf(unsigned code, unsigned& slot) {
  if (code < 256) {
    slot = code;
    return true;
  }
  const unsigned lead = code >> 8, trail = code & 0xFF;
  if (lead < kLeadFirst || lead > kLeadLast || trail < kTrailFirst || trail > kTrailLast) return false;
  slot = 256 + (lead - kLeadFirst) * kTrails + (trail - kTrailFirst);
  return true;
}

bool EnsureTable(int size) {
  SizeTable& t = image.tables[size];
  if (t.state) return true;
  t.state.reset(static_cast<std::uint8_t*>(std::calloc(kSlots, 1)));
  t.rows.reset(static_cast<std::uint32_t*>(std::calloc(static_cast<std::size_t>(kSlots) * size, 4)));
  if (t.state && t.rows) return true;
  t = SizeTable{};
  return false;
}

int CALLBACK FaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

void ChooseFace(HDC dc) {
  image.face[0] = L'\0';
  for (const wchar_t* name : kFaces) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    std::wcsncpy(wanted.lfFaceName, name, LF_FACESIZE - 1);
    bool found = false;
    EnumFontFamiliesExW(dc, &wanted, FaceFound, reinterpret_cast<LPARAM>(&found), 0);
    if (!found) continue;
    std::wcsncpy(image.face, name, LF_FACESIZE - 1);
    return;
  }
}

// The UTF-16 of a code; false when a single byte stands for no character.
// A double-byte code without one is drawn as 〓, as on Linux.
bool CharOf(unsigned code, wchar_t& ch) {
  unsigned cp = 0;
  if (!Cp932_ToUnicode(code, cp) || cp > 0xFFFF) {
    if (code < 256) return false;
    Cp932_ToUnicode(ZEB_GLYPH_GETA, cp);
  }
  ch = static_cast<wchar_t>(cp);
  return true;
}

// Draws the character into the image and reads its mask into rows.
bool Draw(unsigned code, int size, int width, std::uint32_t* rows) {
  wchar_t ch = 0;
  if (!CharOf(code, ch)) return false;
  LOGFONTW wanted{};
  wanted.lfHeight = size;
  wanted.lfWidth = size / 2;
  wanted.lfCharSet = SHIFTJIS_CHARSET;
  wanted.lfQuality = PROOF_QUALITY;
  wanted.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  std::wcsncpy(wanted.lfFaceName, image.face, LF_FACESIZE - 1);
  HFONT font = CreateFontIndirectW(&wanted);
  if (font == nullptr) return false;
  HGDIOBJ old = SelectObject(image.dc, font);
  PatBlt(image.dc, 0, 0, kImageSide, kImageSide, BLACKNESS);
  SetBkMode(image.dc, OPAQUE);
  SetBkColor(image.dc, RGB(0, 0, 0));
  SetTextColor(image.dc, RGB(255, 255, 255));
  ExtTextOutW(image.dc, 0, 0, 0, nullptr, &ch, 1, nullptr);
  SelectObject(image.dc, old);
  DeleteObject(font);
  GdiFlush();
  for (int r = 0; r < size; ++r) {
    std::uint32_t bits = 0;
    const std::uint8_t* row = image.bits + r * kImageSide;
    for (int k = 0; k < width; ++k)
      if (row[k] != 0) bits |= 1u << k;
    rows[r] = bits;
  }
  ++image.renders;
  return true;
}

}  // namespace

bool ZebGlyph_Open(const char** failure) {
  if (image.dc != nullptr) return true;
  static GreyBitmapInfo info{};
  info.header = {sizeof(BITMAPINFOHEADER), kImageSide, -kImageSide, 1, 8, BI_RGB, 0, 0, 0, 256, 0};
  for (int i = 0; i < 256; ++i) {
    const BYTE g = static_cast<BYTE>(i);
    info.colours[i] = {g, g, g, 0};
  }
  image.dc = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  if (image.dc != nullptr)
    image.bitmap = CreateDIBSection(image.dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                                    nullptr, 0);
  if (image.bitmap == nullptr) {
    if (failure) *failure = "cannot make the glyph image";
    ZebGlyph_Close();
    return false;
  }
  image.bits = static_cast<std::uint8_t*>(bits);
  image.previous = SelectObject(image.dc, image.bitmap);
  ChooseFace(image.dc);
  return true;
}

bool ZebGlyph_Render(unsigned code, int size, ZebGlyph& out) {
  out = {0, 0, nullptr};
  unsigned slot = 0;
  if (size < 1 || size > ZEB_MAX_GLYPH || size > kImageSide || !SlotOf(code, slot)) return false;
  if (!ZebGlyph_Open(nullptr) || !EnsureTable(size)) return false;
  SizeTable& t = image.tables[size];
  std::uint8_t& state = t.state.get()[slot];
  std::uint32_t* rows = t.rows.get() + static_cast<std::size_t>(slot) * size;
  const int width = code < 256 ? size / 2 : size;
  if (state == SLOT_EMPTY) state = Draw(code, size, width, rows) ? SLOT_GLYPH : SLOT_MISSING;
  if (state != SLOT_GLYPH) return false;
  out = {width, size, rows};
  return true;
}

void ZebGlyph_Close() {
  if (image.dc != nullptr && image.previous != nullptr) SelectObject(image.dc, image.previous);
  if (image.bitmap != nullptr) DeleteObject(image.bitmap);
  if (image.dc != nullptr) DeleteDC(image.dc);
  image.dc = nullptr;
  image.bitmap = nullptr;
  image.previous = nullptr;
  image.bits = nullptr;
  for (SizeTable& t : image.tables) t = SizeTable{};
  image.renders = 0;
}

long ZebGlyph_RenderCount() { return image.renders; }
