#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "ZebTestScreen.h"

namespace {

using Draw = ZebScreenTest;
using Points = std::set<std::pair<int, int>>;

Points Lit(int x0, int y0, int w, int h, int level = 3) {
  Points lit;
  for (int y = y0; y < y0 + h; ++y) {
    for (int x = x0; x < x0 + w; ++x) {
      if (Zeb_GetPixel(x, y) == level) lit.insert({x, y});
    }
  }
  return lit;
}

TEST_F(Draw, ShallowLineTieGoesDownOnlyWhenMovingRight) {
  const Points expected{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}};
  Zeb_DrawLine(ctx, 0, 0, 4, 1);
  EXPECT_EQ(Lit(0, 0, 8, 4), expected);
  Zeb_OpenScreen(ctx);
  Zeb_DrawLine(ctx, 4, 1, 0, 0);
  EXPECT_EQ(Lit(0, 0, 8, 4), expected);
}

TEST_F(Draw, SteepLineLightsOnePixelPerRow) {
  Zeb_DrawLine(ctx, 10, 10, 11, 14);
  const Points lit = Lit(0, 0, 20, 20);
  EXPECT_EQ(lit.size(), 5u);
  EXPECT_TRUE(lit.count({10, 10}) && lit.count({11, 14}));
}

TEST_F(Draw, EveryLineLightsTheSamePixelsBothWays) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> coordinate(-20, 60);
  for (int i = 0; i < 400; ++i) {
    const int x1 = coordinate(random), y1 = coordinate(random);
    const int x2 = coordinate(random), y2 = coordinate(random);
    Zeb_OpenScreen(ctx);
    Zeb_DrawLine(ctx, x1, y1, x2, y2);
    const Points forward = Lit(0, 0, 64, 64);
    Zeb_OpenScreen(ctx);
    Zeb_DrawLine(ctx, x2, y2, x1, y1);
    ASSERT_EQ(Lit(0, 0, 64, 64), forward) << x1 << "," << y1 << " " << x2 << "," << y2;
  }
}

TEST_F(Draw, LinesFarOutsideDrawNothing) {
  Zeb_DrawLine(ctx, -2000000000, -5, 2000000000, -900);
  Zeb_DrawLine(ctx, 700, 0, 2000000000, 239);
  EXPECT_EQ(CountLevel(0), 640 * 240);
  Zeb_DrawLine(ctx, -2000000000, -2000000000, 2000000000, 2000000000);  // refused, not stepped
  EXPECT_EQ(CountLevel(0), 640 * 240);
  Zeb_DrawLine(ctx, -2000000000, 7, 2000000000, 7);  // a span is clipped instead
  EXPECT_EQ(CountLevel(3), 640);
}

TEST_F(Draw, BoxOutlineIsFourEdges) {
  Zeb_DrawBox(ctx, {2, 1, 5, 4});
  EXPECT_EQ(Row(0, 0, 9), "000000000");
  EXPECT_EQ(Row(0, 1, 9), "003333300");
  EXPECT_EQ(Row(0, 2, 9), "003000300");
  EXPECT_EQ(Row(0, 3, 9), "003000300");
  EXPECT_EQ(Row(0, 4, 9), "003333300");
  EXPECT_EQ(Row(0, 5, 9), "000000000");
}

TEST_F(Draw, InvertedOutlineFlipsEachPixelOnce) {
  for (const ZebRect r : {ZebRect{3, 3, 6, 5}, ZebRect{20, 3, 1, 5}, ZebRect{30, 3, 6, 1}}) {
    Zeb_SetColor(ctx, ZEB_INVERT);
    Zeb_DrawBox(ctx, r);
    Zeb_SetColor(ctx, 3);
    ZebRect inner = r;
    ZebRect_Inset(inner, 1, 1);
    const int edge = r.w * r.h - (inner.w > 0 && inner.h > 0 ? inner.w * inner.h : 0);
    EXPECT_EQ(static_cast<int>(Lit(r.x, r.y, r.w, r.h).size()), edge);
  }
}

TEST_F(Draw, EmptyAndFarAwayBoxesDrawNothing) {
  Zeb_DrawBox(ctx, {5, 5, 0, 4});
  Zeb_FillBox(ctx, {5, 5, 4, -1});
  Zeb_DrawEdge(ctx, {5, 5, -3, 3});
  Zeb_DrawBox(ctx, {5, INT32_MAX - 1, 3, 3});
  Zeb_DrawBox(ctx, {INT32_MAX - 1, 5, 3, 3});
  Zeb_DrawEdge(ctx, {5, INT32_MAX, 3, 3});
  EXPECT_EQ(CountLevel(0), 640 * 240);
}

TEST_F(Draw, FillCoversTheRectangleClipped) {
  Zeb_SetColor(ctx, 2);
  Zeb_FillBox(ctx, {630, 230, 20, 20});
  EXPECT_EQ(CountLevel(2), 100);
  EXPECT_EQ(Zeb_GetPixel(629, 235), 0);
  EXPECT_EQ(Zeb_GetPixel(630, 230), 2);
}

TEST_F(Draw, InvertingTwiceRestoresAndLeavesPenBlack) {
  Zeb_SetColor(ctx, 1);
  Zeb_FillBox(ctx, {0, 0, 13, 7});
  Zeb_SetColor(ctx, 2);
  Zeb_DrawLine(ctx, 0, 0, 12, 6);
  std::vector<int> before;
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 20; ++x) before.push_back(Zeb_GetPixel(x, y));
  }
  Zeb_InvertBox(ctx, {1, 1, 15, 8});
  EXPECT_EQ(Zeb_Pen(), 3);
  EXPECT_EQ(ctx.color, 2);
  EXPECT_EQ(Zeb_GetPixel(5, 1), 2);  // light grey inverted
  EXPECT_EQ(Zeb_GetPixel(15, 8), 3);
  Zeb_InvertBox(ctx, {1, 1, 15, 8});
  std::vector<int> after;
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 20; ++x) after.push_back(Zeb_GetPixel(x, y));
  }
  EXPECT_EQ(after, before);
}

TEST_F(Draw, EdgeIsLightAboveLeftAndDarkBelowRight) {
  Zeb_SetColor(ctx, 1);
  Zeb_FillBox(ctx, {0, 0, 8, 6});
  Zeb_DrawEdge(ctx, {1, 1, 5, 4});
  EXPECT_EQ(Row(0, 0, 7), "1111111");
  EXPECT_EQ(Row(0, 1, 7), "1000021");
  EXPECT_EQ(Row(0, 2, 7), "1011121");
  EXPECT_EQ(Row(0, 4, 7), "1222221");
  EXPECT_EQ(Zeb_Pen(), 2);
  EXPECT_EQ(ctx.color, 2);
}

// A screen filled with a pattern that tells every pixel from its neighbours.
void Pattern(ZebContext& ctx) {
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 64; ++x) {
      Zeb_SetColor(ctx, (x * 7 + y * 3 + x / 5) & 3);
      Zeb_DrawPixel(ctx, x, y);
    }
  }
}

std::vector<int> Snapshot() {
  std::vector<int> levels;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 64; ++x) levels.push_back(Zeb_GetPixel(x, y));
  }
  return levels;
}

TEST_F(Draw, ScrollCopiesCorrectlyInEveryOverlapDirection) {
  const int moves[][2] = {{3, 0}, {-3, 0}, {0, 2}, {0, -2}, {5, 3}, {-5, -3}, {2, -1}, {-1, 2}, {4, 0}, {-8, 4}};
  for (const auto& move : moves) {
    for (const ZebRect r : {ZebRect{10, 10, 21, 9}, ZebRect{8, 8, 16, 8}}) {
      Pattern(ctx);
      const std::vector<int> before = Snapshot();
      Zeb_ScrollBox(ctx, r, move[0], move[1]);
      const std::vector<int> after = Snapshot();
      for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 64; ++x) {
          const int sx = x - move[0], sy = y - move[1];
          const bool target = x >= r.x + move[0] && x < r.x + move[0] + r.w && y >= r.y + move[1] &&
                              y < r.y + move[1] + r.h;
          const int expected = target ? before[sy * 64 + sx] : before[y * 64 + x];
          ASSERT_EQ(after[y * 64 + x], expected) << "move " << move[0] << "," << move[1] << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST_F(Draw, ScrollClipsSourceAndTarget) {
  Zeb_FillBox(ctx, {0, 0, 4, 4});
  Zeb_ScrollBox(ctx, {-2, -2, 6, 6}, 637, 237);  // lands partly off screen
  EXPECT_EQ(Zeb_GetPixel(637, 237), 3);
  EXPECT_EQ(Zeb_GetPixel(639, 239), 3);
  Zeb_ScrollBox(ctx, {630, 230, 50, 50}, -630, -220);
  EXPECT_EQ(Zeb_GetPixel(7, 17), 3);
  EXPECT_EQ(Zeb_GetPixel(9, 19), 3);
  EXPECT_EQ(Zeb_GetPixel(6, 16), 0);
}

TEST_F(Draw, BitmapCopyTakesTheRequestedPartOrUpToTheEdge) {
  std::uint8_t memory[3 * 2] = {};
  ZebBitmap bitmap{};
  ASSERT_TRUE(Zeb_InitBitmap(bitmap, memory, 6, 3));
  EXPECT_EQ(bitmap.bytesPerRow, 2);
  memory[0] = 0xE4;  // 0 1 2 3
  memory[1] = 0x0F;  // 3 3
  memory[2] = 0x1B;  // 3 2 1 0
  Zeb_PutBitmap(ctx, 10, 20, 1, 0, bitmap, -1, -1);
  EXPECT_EQ(Row(10, 20, 6), "123330");
  EXPECT_EQ(Row(10, 21, 6), "210000");
  Zeb_PutBitmap(ctx, 30, 20, 0, 0, bitmap, 2, 1);
  EXPECT_EQ(Row(29, 20, 4), "0010");
  Zeb_PutBitmap(ctx, -1, 30, 0, 0, bitmap, 6, 1);
  EXPECT_EQ(Row(0, 30, 5), "12333" );
  Zeb_PutBitmap(ctx, 50, 50, 4, 4, bitmap, -1, -1);  // source beyond the bitmap
  Zeb_PutBitmap(ctx, 50, 50, -3, 0, bitmap, 4, 1);
  EXPECT_EQ(Row(50, 50, 4), "0000");
  EXPECT_EQ(Row(53, 50, 1), "0");
}

TEST_F(Draw, AlignedBitmapCopyMovesWholeBytes) {
  ZebBitmap* bitmap = Zeb_CreateBitmap(ctx, nullptr, 16, 16);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->flags, ZEB_BITMAP_OWNS_RECORD | ZEB_BITMAP_OWNS_PIXELS);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(bitmap->pixels[i], 0);
  for (int i = 0; i < 64; ++i) bitmap->pixels[i] = static_cast<std::uint8_t>(i * 37);
  Zeb_PutBitmap(ctx, 8, 4, 0, 0, *bitmap, -1, -1);
  for (int row = 0; row < 16; ++row) {
    for (int b = 0; b < 4; ++b) {
      ASSERT_EQ(Zeb_Screen().pixels[(4 + row) * 160 + 2 + b], bitmap->pixels[row * 4 + b]);
    }
  }
  ZebRect box = Dirty();
  EXPECT_EQ(box.x, 8);
  EXPECT_EQ(box.w, 16);
  Zeb_FreeBitmap(ctx, bitmap);
}

TEST_F(Draw, BitmapOverCallerMemoryFreesOnlyTheRecord) {
  std::uint8_t memory[8];
  std::fill(std::begin(memory), std::end(memory), 0x55);
  ZebBitmap* bitmap = Zeb_CreateBitmap(ctx, memory, 8, 4);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->flags, ZEB_BITMAP_OWNS_RECORD);
  EXPECT_EQ(memory[7], 0);
  Zeb_FreeBitmap(ctx, bitmap);
  EXPECT_EQ(Zeb_CreateBitmap(ctx, nullptr, 0, 4), nullptr);
  EXPECT_EQ(Zeb_CreateBitmap(ctx, nullptr, 4, -1), nullptr);
}

TEST(BitmapHeader, ReadsTheSixteenBySixteenIcon) {
  std::vector<std::uint8_t> bytes(16 + 64, 0x5A);
  std::memcpy(bytes.data(), "#ZBV000100160016", 16);
  ZebBitmapText text{};
  ASSERT_TRUE(Zeb_ParseBitmapHeader(bytes.data(), bytes.size(), text));
  EXPECT_EQ(text.width, 16);
  EXPECT_EQ(text.height, 16);
  EXPECT_EQ(text.byteCount, 64);
  EXPECT_EQ(text.pixels, bytes.data() + 16);
}

TEST(BitmapHeader, RefusesDamagedHeaders) {
  const char* bad[] = {
      "#ZBX000100160016",  // magic
      "#ZBV00010016001A",  // a letter in the height
      "#ZBV0001-0160016",  // a sign
      "#ZBV0001 0160016",  // a space
      "#ZBV000100000016",  // no width
      "#ZBV000100160000",  // no height
      "#ZBV000199999999",  // more pixels than bytes
  };
  std::vector<std::uint8_t> bytes(16 + 64, 0);
  ZebBitmapText text{};
  for (const char* header : bad) {
    std::memcpy(bytes.data(), header, 16);
    EXPECT_FALSE(Zeb_ParseBitmapHeader(bytes.data(), bytes.size(), text)) << header;
    EXPECT_EQ(text.pixels, nullptr);
  }
  std::memcpy(bytes.data(), "#ZBV000100160016", 16);
  EXPECT_FALSE(Zeb_ParseBitmapHeader(bytes.data(), 16 + 63, text));  // one pixel byte short
  EXPECT_FALSE(Zeb_ParseBitmapHeader(bytes.data(), 10, text));
  EXPECT_FALSE(Zeb_ParseBitmapHeader(nullptr, 100, text));
  std::memcpy(bytes.data(), "#ZBV000100060002", 16);  // rows of a width not a multiple of 4
  ASSERT_TRUE(Zeb_ParseBitmapHeader(bytes.data(), 16 + 4, text));
  EXPECT_EQ(text.byteCount, 4);
}

}  // namespace
