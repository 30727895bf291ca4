#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <string>
#include <vector>

#include "ZebTestScreen.h"
#include "host/common/ZebGlyph.h"
#include "host/common/ZebPng.h"

namespace {

int InkCount(const ZebGlyph& glyph) {
  int n = 0;
  for (int r = 0; r < glyph.height; ++r) n += __builtin_popcount(glyph.rows[r]);
  return n;
}

TEST(Glyphs, FontsOpen) {
  const char* failure = nullptr;
  EXPECT_TRUE(ZebGlyph_Open(&failure)) << (failure ? failure : "");
  EXPECT_EQ(failure, nullptr);
}

TEST(Glyphs, EveryGlyphSizeHasRealInkOfTheRightWidth) {
  const unsigned codes[] = {'A', 'z', 0xB1 /* ｱ */, 0x82A0 /* あ */, 0x8341 /* ア */, 0x889F /* 亜 */,
                            0x9FFC /* 滌 */, 0xE040 /* 漾 */, 0xEA9F /* 堯 */};
  for (const int size : {12, 16, 24, 7, 8}) {
    for (const unsigned code : codes) {
      ZebGlyph glyph{};
      ASSERT_TRUE(ZebGlyph_Render(code, size, glyph)) << size << " " << std::hex << code;
      EXPECT_EQ(glyph.height, size);
      EXPECT_EQ(glyph.width, code >= 0x100 ? size : size / 2);
      EXPECT_GT(InkCount(glyph), 3) << size << " " << std::hex << code;
      for (int r = 0; r < glyph.height; ++r) EXPECT_EQ(glyph.rows[r] >> glyph.width, 0u);
    }
  }
}

TEST(Glyphs, DistinctCharactersHaveDistinctMasks) {
  ZebGlyph a{}, b{};
  ASSERT_TRUE(ZebGlyph_Render(0x82A0, 16, a));  // あ
  ASSERT_TRUE(ZebGlyph_Render(0x82A2, 16, b));  // い
  EXPECT_NE(std::memcmp(a.rows, b.rows, 16 * sizeof(std::uint32_t)), 0);
}

TEST(Glyphs, EachGlyphIsRenderedOnce) {
  ZebGlyph first{}, again{};
  ASSERT_TRUE(ZebGlyph_Render(0x8E9E /* 時 */, 12, first));
  const long renders = ZebGlyph_RenderCount();
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(ZebGlyph_Render(0x8E9E, 12, again));
  EXPECT_EQ(ZebGlyph_RenderCount(), renders);
  EXPECT_EQ(again.rows, first.rows);
  ASSERT_TRUE(ZebGlyph_Render(0x8E9E, 16, again));  // another size is another glyph
  EXPECT_EQ(ZebGlyph_RenderCount(), renders + 1);
}

// Every size's masks of a few characters, from a freshly opened source.
std::vector<std::uint32_t> SomeMasks() {
  ZebGlyph_Close();
  EXPECT_TRUE(ZebGlyph_Open(nullptr));
  std::vector<std::uint32_t> rows;
  for (const int size : {12, 16, 24, 8}) {
    for (const unsigned code : {0x41u, 0xB1u, 0x82A0u, 0x889Fu}) {  // A ｱ あ 亜
      ZebGlyph glyph{};
      EXPECT_TRUE(ZebGlyph_Render(code, size, glyph)) << size << " " << std::hex << code;
      rows.insert(rows.end(), glyph.rows, glyph.rows + glyph.height);
    }
  }
  return rows;
}

// The fonts are read from uncompressed copies in the cache folder; a copy
// that is no font, or a cache folder that cannot be made, falls back to the
// compressed file with the same glyphs.
TEST(Glyphs, CachedFontCopiesGiveTheSameGlyphsAsTheFontsAndBadOnesAreBypassed) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("velmo-glyph-cache-" + std::to_string(getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  const char* old = std::getenv("XDG_CACHE_HOME");
  const std::string saved = old != nullptr ? old : "";
  setenv("XDG_CACHE_HOME", folder.c_str(), 1);
  const std::vector<std::uint32_t> fromCopies = SomeMasks();
  int copies = 0;
  for (const fs::directory_entry& copy : fs::directory_iterator(folder / "velmo")) {
    std::FILE* f = std::fopen(copy.path().c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("not a font", f);
    std::fclose(f);
    ++copies;
  }
  EXPECT_EQ(copies, 6);  // the six X11 faces; misaki is not compressed
  EXPECT_EQ(SomeMasks(), fromCopies);
  std::fclose(std::fopen((folder / "file").c_str(), "wb"));  // no folder can be made in it
  setenv("XDG_CACHE_HOME", (folder / "file").c_str(), 1);
  EXPECT_EQ(SomeMasks(), fromCopies);
  if (old != nullptr) {
    setenv("XDG_CACHE_HOME", saved.c_str(), 1);
  } else {
    unsetenv("XDG_CACHE_HOME");
  }
  ZebGlyph_Close();
  fs::remove_all(folder);
}

// The CP932 extensions that the Japanese bitmap fonts lack come from the
// fallback at every size; a double-byte code no font has, or one that is no
// character, is drawn as GETA; only what is no double-byte code at all, and
// sizes out of range, have no glyph.
TEST(Glyphs, ExtensionsFromTheFallbackGetaForTheRestAndNothingForNoCharacter) {
  const unsigned extensions[] = {0x8740 /* ① */, 0x878D /* ㈱ */, 0x8754 /* Ⅰ */,
                                 0xFB57 /* 髙 (IBM) */, 0xED98 /* 髙 (NEC selected) */, 0xFA9A /* 﨑 */};
  for (const int size : {12, 16, 24, 7, 8}) {
    ZebGlyph geta{};
    ASSERT_TRUE(ZebGlyph_Render(0x81AC, size, geta));
    for (const unsigned code : extensions) {
      ZebGlyph glyph{};
      ASSERT_TRUE(ZebGlyph_Render(code, size, glyph)) << size << " " << std::hex << code;
      EXPECT_EQ(glyph.width, size);
      EXPECT_EQ(glyph.height, size);
      EXPECT_GT(InkCount(glyph), 3) << size << " " << std::hex << code;
      EXPECT_NE(glyph.rows, geta.rows) << size << " " << std::hex << code;
      for (int r = 0; r < glyph.height; ++r) EXPECT_EQ(glyph.rows[r] >> glyph.width, 0u);
    }
    for (const unsigned unknown : {0xF040u /* user-defined */, 0x8130u /* trail out of class */, 0x85A0u}) {
      ZebGlyph glyph{};
      ASSERT_TRUE(ZebGlyph_Render(unknown, size, glyph)) << size << " " << std::hex << unknown;
      EXPECT_EQ(glyph.rows, geta.rows) << size << " " << std::hex << unknown;
    }
  }
  ZebGlyph one{}, two{};  // the fallback keeps characters apart
  ASSERT_TRUE(ZebGlyph_Render(0x8740, 12, one));
  ASSERT_TRUE(ZebGlyph_Render(0x8741, 12, two));
  EXPECT_NE(std::memcmp(one.rows, two.rows, 12 * sizeof(std::uint32_t)), 0);

  ZebGlyph glyph{};
  EXPECT_FALSE(ZebGlyph_Render(0x4142, 12, glyph));   // no lead byte
  EXPECT_FALSE(ZebGlyph_Render(0x10000, 12, glyph));
  EXPECT_FALSE(ZebGlyph_Render('A', 0, glyph));
  EXPECT_FALSE(ZebGlyph_Render('A', 33, glyph));
  EXPECT_EQ(glyph.rows, nullptr);
  EXPECT_TRUE(ZebGlyph_Render('A', 10, glyph));      // an odd size still gets a real face
  EXPECT_EQ(glyph.width, 5);
}

// Reads back the PNG's signature and size fields.
std::vector<unsigned char> ReadFile(const std::string& path) {
  std::vector<unsigned char> bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    unsigned char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
  }
  return bytes;
}

// The browser's table (velmo-glyph-table) holds every glyph of its own, the
// fallback's included, and leaves out the codes drawn as GETA: its reader
// draws GETA for them, and the page does not carry thousands of copies.
TEST(Glyphs, TheBrowsersTableLeavesOutTheCodesDrawnAsGeta) {
  const std::string path = (std::filesystem::temp_directory_path() / ("glyphs-" + std::to_string(getpid()))).string();
  const std::string command = std::string("'") + VELMO_BINARY_DIR + "/velmo-glyph-table' '" + path + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::vector<unsigned char> b = ReadFile(path);
  std::filesystem::remove(path);
  ASSERT_GT(b.size(), 5u);
  const auto number = [&](std::size_t at, int bytes) {
    std::size_t n = 0;
    for (int i = 0; i < bytes && at + i < b.size(); ++i) n |= static_cast<std::size_t>(b[at + i]) << (8 * i);
    return n;
  };
  std::size_t at = 5;
  for (std::size_t part = 0; part < b[4]; ++part) {
    ASSERT_LT(at + 5, b.size());
    const int size = static_cast<int>(b[at]);
    const std::size_t count = number(at + 1, 4);
    at += 5;
    std::vector<unsigned> codes;
    std::size_t maskBytes = 0;
    for (std::size_t i = 0; i < count; ++i) {
      codes.push_back(static_cast<unsigned>(number(at + 2 * i, 2)));
      maskBytes += static_cast<std::size_t>(size) * (((codes.back() >= 0x100 ? size : size / 2) + 7) / 8);
    }
    at += 2 * count + maskBytes;
    const auto holds = [&](unsigned code) { return std::find(codes.begin(), codes.end(), code) != codes.end(); };
    for (const unsigned code : {0x81ACu /* GETA itself */, 0x8740u /* ① from the fallback */, 0x889Fu, 0x41u})
      EXPECT_TRUE(holds(code)) << size << " " << std::hex << code;
    for (const unsigned code : {0xF040u /* user-defined */, 0x85A0u /* none */})
      EXPECT_FALSE(holds(code)) << size << " " << std::hex << code;
  }
  EXPECT_EQ(at, b.size());
}

using Screenshot = ZebScreenTest;

// Every font number with ASCII, hiragana, katakana, kanji and half-width
// katakana, plain, bold and slanted; written for a person to look at.
TEST_F(Screenshot, AllFontsToPng) {
  // "Ag あいう アイウ 漢字表示 ｱｲｳ" in Shift-JIS.
  const char* sample = "Ag \x82\xa0\x82\xa2\x82\xa4 \x83\x41\x83\x43\x83\x45 \x8a\xbf\x8e\x9a\x95\x5c\x8e\xa6 \xb1\xb2\xb3";
  int y = 0;
  for (const int font : {1, 2, 3, 4, 5}) {
    Zeb_SetFont(ctx, font);
    Zeb_SetColor(ctx, 3);
    char label[4] = {static_cast<char>('0' + font), ':', ' ', 0};
    Zeb_DrawText(ctx, 0, y, label, 3);
    Zeb_DrawText(ctx, 3 * ctx.cellWidth / 2, y, sample, static_cast<int>(std::strlen(sample)));
    y += ctx.cellHeight + 2;
  }
  Zeb_SetFont(ctx, 2);
  Zeb_SetTextStyle(ctx, ZEB_STYLE_BOLD);
  Zeb_DrawText(ctx, 0, y, sample, static_cast<int>(std::strlen(sample)));
  y += 18;
  Zeb_SetTextStyle(ctx, ZEB_STYLE_SLANTED);
  Zeb_DrawText(ctx, 0, y, sample, static_cast<int>(std::strlen(sample)));
  y += 18;
  Zeb_SetTextStyle(ctx, ZEB_STYLE_PLAIN);
  Zeb_SetColor(ctx, 1);
  Zeb_FillBox(ctx, {0, y, 640, 20});
  Zeb_DrawEdge(ctx, {0, y, 640, 20});
  Zeb_SetColor(ctx, 3);
  Zeb_DrawText(ctx, 4, y + 2, sample, static_cast<int>(std::strlen(sample)));
  Zeb_InvertBox(ctx, {320, y + 2, 100, 16});

  const std::string path = std::string(VELMO_BINARY_DIR) + "/graphics_fonts.png";
  ASSERT_TRUE(ZebPng_Write(path.c_str()));
  const std::vector<unsigned char> png = ReadFile(path);
  ASSERT_GT(png.size(), 33u);
  EXPECT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
  const auto be32 = [&](std::size_t at) {
    return (png[at] << 24) | (png[at + 1] << 16) | (png[at + 2] << 8) | png[at + 3];
  };
  EXPECT_EQ(be32(16), 640);
  EXPECT_EQ(be32(20), 240);
  EXPECT_EQ(png[24], 8);  // bit depth
  EXPECT_EQ(png[25], 0);  // grey
}

TEST(Png, RefusesAnUnwritablePath) {
  EXPECT_FALSE(ZebPng_Write("/nonexistent-dir/x.png"));
  ZebBitmap empty{};
  EXPECT_FALSE(ZebPng_WriteBitmap("/tmp/never.png", empty));
}

}  // namespace
