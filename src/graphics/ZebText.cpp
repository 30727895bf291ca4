// Fonts, text styles and Shift-JIS text drawn glyph by glyph in the pen.
#include <algorithm>
#include <cstdint>

#include "graphics/ZebScreen.h"

namespace {

ZebTextMetrics metrics = {0, 0, 0, 0};

void SelectGlyphSize(int size, int style) {
  metrics.glyphSize = size;
  metrics.fullWidth = size;
  metrics.halfWidth = size / 2;
  metrics.style = style;
}

// Half-open clip box in screen pixels.
struct Clip {
  int x1, y1, x2, y2;
};

Clip ScreenClip(int x1, int y1, int x2, int y2) {
  return {std::max(x1, 0), std::max(y1, 0), std::min(x2, zebScreen.frame.width),
          std::min(y2, zebScreen.frame.height)};
}

// Plots the ink of one glyph with its left column at pen position x + 1,
// leaving the background untouched.
void DrawChar(int x, int y, unsigned code, const Clip& clip) {
  const int size = metrics.glyphSize;
  const int width = code >= 0x100 ? metrics.fullWidth : metrics.halfWidth;
  ZebGlyph glyph{};
  if (size <= 0 || width <= 0 || !Zeb_RenderGlyph(code, size, glyph) || glyph.rows == nullptr) return;
  const bool slanted = (metrics.style & ZEB_STYLEBIT_SLANTED) != 0;
  const bool bold = (metrics.style & ZEB_STYLEBIT_BOLD) != 0;
  const int columns = std::min({width, glyph.width, ZEB_MAX_GLYPH});
  const std::uint64_t columnMask = (std::uint64_t{1} << columns) - 1;
  const int rows = std::min(size, glyph.height);
  for (int r = 0; r < rows; ++r) {
    const long long py = static_cast<long long>(y) + r;
    if (py < clip.y1 || py >= clip.y2) continue;
    std::uint64_t ink = glyph.rows[r] & columnMask;
    if (bold) ink |= ink << 1;
    if (ink == 0) continue;
    const long long base = static_cast<long long>(x) + 1 + (slanted ? (size - r - 1) / 4 : 0);
    // Keep only the columns that land inside the clip box.
    const long long first = clip.x1 - base;
    const long long last = clip.x2 - base;  // exclusive
    if (last <= 0 || first >= 64) continue;
    if (first > 0) ink &= ~((std::uint64_t{1} << first) - 1);
    if (last < 64) ink &= (std::uint64_t{1} << last) - 1;
    while (ink != 0) {
      const int k = __builtin_ctzll(ink);
      ink &= ink - 1;
      ZebScreen_PlotInside(static_cast<int>(base + k), static_cast<int>(py));
    }
  }
  // The report covers what slant and bold add to the right of the cell.
  const int extra = (slanted ? (size - 1) / 4 : 0) + (bold ? 1 : 0);
  const long long left = std::max<long long>(static_cast<long long>(x) + 1, clip.x1);
  const long long right = std::min<long long>(static_cast<long long>(x) + size + extra, clip.x2 - 1LL);
  const long long top = std::max<long long>(y, clip.y1);
  const long long bottom = std::min<long long>(static_cast<long long>(y) + size - 1, clip.y2 - 1LL);
  if (left <= right && top <= bottom) {
    Zeb_MarkDirty(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
                  static_cast<int>(bottom));
  }
}

// A lead byte whose trail is cut off by the count or by the end of the
// string is not drawn, and nothing after it is read.
void DrawString(ZebContext& ctx, int x, int y, const char* text, int count, const Clip& clip) {
  if (text == nullptr || count <= 0 || zebScreen.frame.pixels == nullptr) return;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  long long penX = x;
  const long long stopX = clip.x2;
  int i = 0;
  while (i < count && bytes[i] != 0) {
    if (penX >= stopX) break;  // every later glyph starts right of the clip
    if (Zeb_IsLeadByte(bytes[i])) {
      if (count - i < 2 || bytes[i + 1] == 0) break;
      DrawChar(static_cast<int>(penX), y, bytes[i] * 256u + bytes[i + 1], clip);
      penX += ctx.cellWidth;
      i += 2;
    } else {
      DrawChar(static_cast<int>(penX), y, bytes[i], clip);
      penX += ctx.cellWidth / 2;
      ++i;
    }
  }
}

}  // namespace

void Zeb_SetFont(ZebContext& ctx, int font) {
  const ZebFont& size = Zeb_Font(font);
  ctx.font = font;
  ctx.cellWidth = size.cellWidth;
  ctx.cellHeight = size.cellHeight;
  SelectGlyphSize(size.glyphSize, 0);
}

// The glyph size stays the font's own, so a styled 7- or 8-pixel font keeps
// glyphs that fit its line.
void Zeb_SetTextStyle(ZebContext& ctx, int style) {
  int bits = 0;
  if (style == ZEB_STYLE_BOLD) bits = ZEB_STYLEBIT_BOLD;
  if (style == ZEB_STYLE_SLANTED) bits = ZEB_STYLEBIT_SLANTED;
  SelectGlyphSize(Zeb_Font(ctx.font).glyphSize, bits);
}

const ZebTextMetrics& Zeb_GetTextMetrics() { return metrics; }

void Zeb_CloseScreen(ZebContext&) { SelectGlyphSize(0, 0); }

void Zeb_DrawText(ZebContext& ctx, int x, int y, const char* text, int count) {
  DrawString(ctx, x, y, text, count, ScreenClip(0, 0, zebScreen.frame.width, zebScreen.frame.height));
  Zeb_Update(ctx);
}

void Zeb_DrawTextClipped(ZebContext& ctx, int x, int y, const char* text, int count, int x1, int y1,
                         int x2, int y2) {
  const Clip clip = ScreenClip(x1, y1, x2, y2);
  if (clip.x1 < clip.x2 && clip.y1 < clip.y2) DrawString(ctx, x, y, text, count, clip);
  Zeb_Update(ctx);
}

bool Zeb_LoadFont(const char*, int, int) { return true; }

