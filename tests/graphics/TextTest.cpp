#include <set>
#include <string>
#include <utility>

#include "ZebTestScreen.h"

namespace {

using Text = ZebScreenTest;
using Points = std::set<std::pair<int, int>>;

constexpr const char* kA = "\x82\xa0";   // あ
constexpr const char* kKan = "\x88\x9f"; // 亜

// Where a glyph's ink should land for pen position (x, y), from the glyph
// source's own mask: column k of row r at x + 1 + k + slant(r).
Points Ink(unsigned code, int size, int x, int y, bool bold = false, bool slanted = false) {
  ZebGlyph glyph{};
  EXPECT_TRUE(Zeb_RenderGlyph(code, size, glyph)) << std::hex << code;
  Points ink;
  for (int r = 0; r < glyph.height; ++r) {
    for (int k = 0; k < glyph.width; ++k) {
      if (((glyph.rows[r] >> k) & 1) == 0) continue;
      const int px = x + 1 + k + (slanted ? (size - r - 1) / 4 : 0);
      ink.insert({px, y + r});
      if (bold) ink.insert({px + 1, y + r});
    }
  }
  return ink;
}

Points Merge(std::initializer_list<Points> parts) {
  Points all;
  for (const Points& part : parts) all.insert(part.begin(), part.end());
  return all;
}

Points Lit(int level = 3) {
  Points lit;
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 640; ++x) {
      if (Zeb_GetPixel(x, y) == level) lit.insert({x, y});
    }
  }
  return lit;
}

TEST_F(Text, SingleAndDoubleByteCharactersAdvanceHalfAndWholeCells) {
  const std::string text = std::string("ab") + kA + kKan;
  Zeb_DrawText(ctx, 10, 20, text.c_str(), static_cast<int>(text.size()));
  const Points expected =
      Merge({Ink('a', 12, 10, 20), Ink('b', 12, 16, 20), Ink(0x82A0, 12, 22, 20), Ink(0x889F, 12, 34, 20)});
  EXPECT_FALSE(expected.empty());
  EXPECT_EQ(Lit(), expected);
}

TEST_F(Text, FirstInkColumnIsOnePixelRightOfThePen) {
  // The box-drawing line "─" has ink in column 0 of the 16-pixel font.
  ZebGlyph glyph{};
  ASSERT_TRUE(Zeb_RenderGlyph(0x849F, 16, glyph));
  std::uint32_t columns = 0;
  for (int r = 0; r < glyph.height; ++r) columns |= glyph.rows[r];
  ASSERT_EQ(columns & 1u, 1u);
  Zeb_SetFont(ctx, ZEB_FONT_16);
  Zeb_DrawText(ctx, 40, 0, "\x84\x9f", 2);  // ─
  int leftmost = 640;
  for (const auto& point : Lit()) leftmost = std::min(leftmost, point.first);
  EXPECT_EQ(leftmost, 41);
}

TEST_F(Text, BackgroundShowsThroughBetweenStrokes) {
  Zeb_SetColor(ctx, 1);
  Zeb_FillBox(ctx, {0, 0, 100, 30});
  Zeb_SetColor(ctx, 3);
  Zeb_DrawText(ctx, 5, 5, kKan, 2);
  const Points ink = Ink(0x889F, 12, 5, 5);
  EXPECT_EQ(Lit(3), ink);
  EXPECT_EQ(static_cast<int>(Lit(1).size()), 100 * 30 - static_cast<int>(ink.size()));
}

TEST_F(Text, InvertPenFlipsTheInk) {
  Zeb_FillBox(ctx, {0, 0, 640, 240});
  Zeb_SetColor(ctx, ZEB_INVERT);
  Zeb_DrawText(ctx, 0, 0, "A", 1);
  EXPECT_EQ(Lit(0), Ink('A', 12, 0, 0));
}

TEST_F(Text, LeadByteCutOffByTheCountIsNotDrawn) {
  const std::string text = std::string("a") + kA;
  Zeb_DrawText(ctx, 0, 0, text.c_str(), 2);
  EXPECT_EQ(Lit(), Ink('a', 12, 0, 0));
  Zeb_OpenScreen(ctx);
  Zeb_DrawText(ctx, 0, 0, "a\x82", 40);  // lead byte before the terminator
  EXPECT_EQ(Lit(), Ink('a', 12, 0, 0));
}

TEST_F(Text, StopsAtTheTerminatorWhateverTheCount) {
  const char text[] = "ab\0cd";
  Zeb_DrawText(ctx, 0, 0, text, 5);
  EXPECT_EQ(Lit(), Merge({Ink('a', 12, 0, 0), Ink('b', 12, 6, 0)}));
  Zeb_OpenScreen(ctx);
  Zeb_DrawText(ctx, 0, 0, "", 5);
  Zeb_DrawText(ctx, 0, 0, "abc", 0);
  Zeb_DrawText(ctx, 0, 0, "abc", -3);
  Zeb_DrawText(ctx, 0, 0, nullptr, 3);
  EXPECT_TRUE(Lit().empty());
  ZebRect box;
  EXPECT_FALSE(Zeb_GetDirty(box));
}

TEST_F(Text, ControlBytesAreDrawnAsCharacters) {
  Zeb_DrawText(ctx, 0, 0, "\nA", 2);
  const Points lit = Lit();
  const Points a = Ink('A', 12, 6, 0);
  for (const auto& point : a) EXPECT_TRUE(lit.count(point));
}

TEST_F(Text, SmallFontAdvancesFiveAndTen) {
  Zeb_SetFont(ctx, ZEB_FONT_8);
  EXPECT_EQ(ctx.cellWidth, 10);
  EXPECT_EQ(ctx.cellHeight, 8);
  const std::string text = std::string("a") + kA + "b";
  Zeb_DrawText(ctx, 0, 0, text.c_str(), 4);
  EXPECT_EQ(Lit(), Merge({Ink('a', 8, 0, 0), Ink(0x82A0, 8, 5, 0), Ink('b', 8, 15, 0)}));
}

TEST_F(Text, BoldSetsEveryInkPixelAndItsRightNeighbour) {
  Zeb_SetFont(ctx, ZEB_FONT_16);
  Zeb_SetTextStyle(ctx, ZEB_STYLE_BOLD);
  Zeb_DrawText(ctx, 3, 4, kKan, 2);
  EXPECT_EQ(Lit(), Ink(0x889F, 16, 3, 4, true, false));
  EXPECT_EQ(Zeb_GetTextMetrics().style, ZEB_STYLEBIT_BOLD);
}

TEST_F(Text, SlantShiftsTheTopRowFurthest) {
  Zeb_SetTextStyle(ctx, ZEB_STYLE_SLANTED);
  EXPECT_EQ(Zeb_GetTextMetrics().style, ZEB_STYLEBIT_SLANTED);
  EXPECT_EQ(Zeb_GetTextMetrics().glyphSize, 12);
  Zeb_DrawText(ctx, 0, 0, "\x81\xa1", 2);  // ■: full rows top and bottom
  EXPECT_EQ(Lit(), Ink(0x81A1, 12, 0, 0, false, true));
  ZebGlyph glyph{};
  ASSERT_TRUE(Zeb_RenderGlyph(0x81A1, 12, glyph));
  int top = -1, bottom = -1;
  for (int r = 0; r < 12; ++r) {
    if (glyph.rows[r] == 0) continue;
    if (top < 0) top = r;
    bottom = r;
  }
  ASSERT_EQ(top, 1);  // the first ink row leans 2 pixels, the last row 0
  const int shiftTop = (12 - top - 1) / 4;
  const int shiftLast = (12 - 11 - 1) / 4;
  EXPECT_EQ(shiftTop, 2);
  EXPECT_EQ(shiftLast, 0);
  const int firstInk = __builtin_ctz(glyph.rows[top]);
  EXPECT_EQ(Zeb_GetPixel(1 + firstInk + 2, top), 3);
  EXPECT_EQ(Zeb_GetPixel(1 + firstInk + 1, top), 0);
  (void)bottom;
  Zeb_SetTextStyle(ctx, 7);
  EXPECT_EQ(Zeb_GetTextMetrics().style, 0);
}

TEST_F(Text, ClippedTextSetsOnlyPixelsInsideTheBox) {
  const std::string text = std::string(kKan) + "AB" + kA;
  Zeb_DrawTextClipped(ctx, 0, 0, text.c_str(), 6, 5, 3, 20, 9);
  Points expected;
  for (const auto& point : Merge({Ink(0x889F, 12, 0, 0), Ink('A', 12, 12, 0), Ink('B', 12, 18, 0),
                                  Ink(0x82A0, 12, 24, 0)})) {
    if (point.first >= 5 && point.first < 20 && point.second >= 3 && point.second < 9) expected.insert(point);
  }
  EXPECT_FALSE(expected.empty());
  EXPECT_EQ(Lit(), expected);
  const ZebRect box = Dirty();
  EXPECT_GE(box.x, 5);
  EXPECT_LE(box.x + box.w, 20);
  EXPECT_GE(box.y, 3);
  EXPECT_LE(box.y + box.h, 9);
}

TEST_F(Text, ClippedTextWithAnEmptyBoxDrawsNothing) {
  Zeb_DrawTextClipped(ctx, 0, 0, "ABC", 3, 10, 0, 10, 20);
  Zeb_DrawTextClipped(ctx, 0, 0, "ABC", 3, 0, 0, -5, -5);
  EXPECT_TRUE(Lit().empty());
}

TEST_F(Text, TextAtTheScreenEdgeIsClipped) {
  Zeb_SetFont(ctx, ZEB_FONT_24);
  Zeb_DrawText(ctx, 630, 230, kKan, 2);
  Zeb_DrawText(ctx, -20, -20, kKan, 2);
  Points expected;
  for (const auto& point : Merge({Ink(0x889F, 24, 630, 230), Ink(0x889F, 24, -20, -20)})) {
    if (point.first >= 0 && point.first < 640 && point.second >= 0 && point.second < 240) expected.insert(point);
  }
  EXPECT_EQ(Lit(), expected);
}

TEST_F(Text, CharacterReportsItsCellToTheDirtyRectangle) {
  Zeb_DrawText(ctx, 100, 50, "A", 1);
  const ZebRect box = Dirty();
  EXPECT_EQ(box.x, 101);
  EXPECT_EQ(box.y, 50);
  EXPECT_EQ(box.x + box.w - 1, 112);
  EXPECT_EQ(box.y + box.h - 1, 61);
}

TEST_F(Text, ClosedScreenDrawsNoText) {
  Zeb_CloseScreen(ctx);
  EXPECT_EQ(Zeb_GetTextMetrics().glyphSize, 0);
  Zeb_DrawText(ctx, 0, 0, "ABC", 3);
  EXPECT_TRUE(Lit().empty());
}

TEST(Fonts, NumbersSelectGlyphSizeAndCell) {
  struct Case {
    int font, size, cellWidth, cellHeight;
  };
  const Case cases[] = {{1, 12, 12, 12}, {2, 16, 16, 16}, {3, 24, 24, 24}, {4, 7, 16, 8},
                        {5, 8, 10, 8},   {0, 12, 12, 12}, {6, 12, 12, 12}, {-1, 12, 12, 12}};
  ZebContext ctx{};
  for (const Case& c : cases) {
    Zeb_SetTextStyle(ctx, ZEB_STYLE_BOLD);
    Zeb_SetFont(ctx, c.font);
    EXPECT_EQ(ctx.font, c.font);
    EXPECT_EQ(ctx.cellWidth, c.cellWidth) << c.font;
    EXPECT_EQ(ctx.cellHeight, c.cellHeight) << c.font;
    const ZebTextMetrics& m = Zeb_GetTextMetrics();
    EXPECT_EQ(m.glyphSize, c.size) << c.font;
    EXPECT_EQ(m.fullWidth, c.size);
    EXPECT_EQ(m.halfWidth, c.size / 2);
    EXPECT_EQ(m.style, 0);
    Zeb_SetTextStyle(ctx, ZEB_STYLE_SLANTED);
    EXPECT_EQ(Zeb_GetTextMetrics().glyphSize, c.size) << c.font;
  }
}

TEST(Fonts, WidgetMetricsCoverFontsOneToFour) {
  const int advance[] = {0, 6, 8, 12, 8, 0, 0};
  const int line[] = {0, 12, 16, 24, 8, 0, 0};
  for (int font = 0; font <= 6; ++font) {
    EXPECT_EQ(Zeb_FontAdvance(font), advance[font]) << font;
    EXPECT_EQ(Zeb_FontLineHeight(font), line[font]) << font;
  }
  EXPECT_EQ(Zeb_FontAdvance(-1), 0);
  EXPECT_TRUE(Zeb_LoadFont("k10x8.fnt", 10, 8));
}

TEST(ByteClasses, LeadAndTrailRanges) {
  for (int b = 0; b < 256; ++b) {
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    const bool trail = (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
    EXPECT_EQ(Zeb_IsLeadByte(static_cast<unsigned char>(b)), lead) << b;
    EXPECT_EQ(Zeb_IsTrailByte(static_cast<unsigned char>(b)), trail) << b;
  }
  EXPECT_FALSE(Zeb_IsLeadByte(0xA1));  // half-width katakana is single-byte
  const char signedByte = static_cast<char>(0x93);
  EXPECT_TRUE(Zeb_IsLeadByte(signedByte));
}

}  // namespace
