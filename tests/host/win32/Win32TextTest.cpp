// The Win32 host's text under any system code page: typed UTF-16 to
// Shift-JIS and Shift-JIS to UTF-16 through the one table, and glyphs drawn
// from it in a Japanese face with Latin letters (run under wine with the
// code page of the test's locale, 1252 by default).
#include <gtest/gtest.h>

#include <cwchar>

#include "host/common/ZebGlyph.h"
#include "host/win32/Win32Text.h"

namespace {

constexpr int kGeta = 0x81AC;

int Typed(Win32TextInput& input, unsigned unit) { return Win32Text_Code(input, unit); }

// The share of a glyph's cell that is ink.
double InkOf(const ZebGlyph& g) {
  int ink = 0;
  for (int r = 0; r < g.height; ++r)
    for (int k = 0; k < g.width; ++k) ink += (g.rows[r] >> k) & 1;
  return double(ink) / double(g.width * g.height);
}

TEST(Win32Text, TypedUnitsBecomeShiftJisCodes) {
  Win32TextInput input;
  EXPECT_EQ(Typed(input, 'a'), 'a');
  EXPECT_EQ(Typed(input, '\r'), '\r');
  EXPECT_EQ(Typed(input, 0x4F1A), 0x89EF);  // 会
  EXPECT_EQ(Typed(input, 0x8B70), 0x8B63);  // 議
  EXPECT_EQ(Typed(input, 0xFF71), 0xB1);    // half-width ｱ: one byte
  EXPECT_EQ(Typed(input, 0x00E9), kGeta);   // é: Shift-JIS lacks it
  EXPECT_EQ(Typed(input, 0), -1);
  // U+1F600 as a pair: the first half waits, the whole lacks Shift-JIS.
  EXPECT_EQ(Typed(input, 0xD83D), -1);
  EXPECT_EQ(Typed(input, 0xDE00), kGeta);
  EXPECT_EQ(Typed(input, 0xDE00), kGeta);  // a second half alone
  // A first half not followed by its second is dropped; the next unit counts.
  EXPECT_EQ(Typed(input, 0xD83D), -1);
  EXPECT_EQ(Typed(input, 'b'), 'b');
}

TEST(Win32Text, ShiftJisBecomesWideWholeCharacters) {
  wchar_t wide[16];
  EXPECT_EQ(Win32Text_ToWide("\x89\xef\x8b\x63lunch", wide, 16), 7u);
  EXPECT_STREQ(wide, L"\u4F1A\u8B70lunch");
  // Cut at a whole character and NUL-terminated.
  EXPECT_EQ(Win32Text_ToWide("\x89\xef\x8b\x63lunch", wide, 2), 1u);
  EXPECT_STREQ(wide, L"\u4F1A");
  // A byte that starts no character, a lead without its trail.
  EXPECT_EQ(Win32Text_ToWide("\xA0x\x89", wide, 16), 3u);
  EXPECT_STREQ(wide, L"\uFFFDx\uFFFD");
  EXPECT_EQ(Win32Text_ToWide("abc", wide, 0), 0u);
}

TEST(Win32Glyphs, LatinAndKanjiAreGlyphsNotBoxes) {
  ASSERT_TRUE(ZebGlyph_Open(nullptr));
  for (int size : {12, 16, 24}) {
    for (unsigned code : {unsigned('A'), unsigned('g'), unsigned('1'), unsigned('['), 0x89EFu, 0x8B63u}) {
      ZebGlyph glyph{};
      ASSERT_TRUE(ZebGlyph_Render(code, size, glyph)) << std::hex << code << " at " << std::dec << size;
      EXPECT_EQ(glyph.width, code < 0x100 ? size / 2 : size);
      const double ink = InkOf(glyph);
      EXPECT_GT(ink, 0.05) << std::hex << code << " at " << std::dec << size;
      EXPECT_LT(ink, 0.6) << std::hex << code << " at " << std::dec << size << ": a box";
    }
  }
  // A double-byte code without a character is drawn as 〓, as on Linux; a
  // single byte without one has no glyph.
  ZebGlyph geta{}, none{};
  ASSERT_TRUE(ZebGlyph_Render(kGeta, 16, geta));
  const ZebGlyph drawn = geta;
  ASSERT_TRUE(ZebGlyph_Render(0x85A0, 16, geta));
  for (int r = 0; r < 16; ++r) EXPECT_EQ(geta.rows[r], drawn.rows[r]) << "row " << r;
  EXPECT_FALSE(ZebGlyph_Render(0xA0, 16, none));
  ZebGlyph_Close();
}

}  // namespace
