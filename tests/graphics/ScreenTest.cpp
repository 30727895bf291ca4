#include <cstring>
#include <vector>

#include "ZebTestScreen.h"

namespace {

using Screen = ZebScreenTest;

TEST_F(Screen, OpensClearedWithTheContextDefaults) {
  const ZebBitmap& frame = Zeb_Screen();
  EXPECT_EQ(frame.width, 640);
  EXPECT_EQ(frame.height, 240);
  EXPECT_EQ(frame.bytesPerRow, 160);
  EXPECT_EQ(frame.flags, 0u);
  for (int i = 0; i < 38400; ++i) ASSERT_EQ(frame.pixels[i], 0) << i;
  EXPECT_EQ(ctx.color, 3);
  EXPECT_EQ(ctx.reserved[0] | ctx.reserved[1] | ctx.reserved[2], 0);
  EXPECT_EQ(ctx.reservedColor[0], 3);
  EXPECT_EQ(ctx.reservedColor[1], 1);
  EXPECT_EQ(ctx.font, 1);
  EXPECT_EQ(ctx.cellWidth, 12);
  EXPECT_EQ(ctx.cellHeight, 12);
  EXPECT_EQ(Zeb_Pen(), 3);
}

TEST_F(Screen, ReopeningClearsTheSameMemory) {
  const std::uint8_t* before = Zeb_Screen().pixels;
  Zeb_FillBox(ctx, {0, 0, 640, 240});
  Zeb_OpenScreen(ctx);
  EXPECT_EQ(Zeb_Screen().pixels, before);
  EXPECT_EQ(CountLevel(0), 640 * 240);
}

TEST_F(Screen, PixelLivesInTheLowBitsFirst) {
  const std::uint8_t* fb = Zeb_Screen().pixels;
  Zeb_SetColor(ctx, 1);
  Zeb_DrawPixel(ctx, 0, 0);
  Zeb_SetColor(ctx, 2);
  Zeb_DrawPixel(ctx, 1, 0);
  Zeb_SetColor(ctx, 3);
  Zeb_DrawPixel(ctx, 3, 0);
  EXPECT_EQ(fb[0], 0xC9);  // 11 00 10 01
  Zeb_DrawPixel(ctx, 5, 2);
  EXPECT_EQ(fb[2 * 160 + 1], 0x0C);
  Zeb_DrawPixel(ctx, 639, 239);
  EXPECT_EQ(fb[38399], 0xC0);
}

TEST_F(Screen, PixelsOutsideTheScreenChangeNothing) {
  Zeb_DrawPixel(ctx, 640, 0);
  Zeb_DrawPixel(ctx, -1, 5);
  Zeb_DrawPixel(ctx, 0, 240);
  Zeb_DrawPixel(ctx, 3, -1);
  EXPECT_EQ(CountLevel(0), 640 * 240);
  ZebRect box;
  EXPECT_FALSE(Zeb_GetDirty(box));
  EXPECT_EQ(Zeb_GetPixel(640, 0), -1);
}

TEST_F(Screen, InvertPenXorsWithThree) {
  Zeb_SetColor(ctx, 1);
  Zeb_DrawPixel(ctx, 7, 7);
  Zeb_SetColor(ctx, ZEB_INVERT);
  EXPECT_EQ(ctx.color, 4);
  Zeb_DrawPixel(ctx, 7, 7);
  Zeb_DrawPixel(ctx, 8, 7);
  EXPECT_EQ(Zeb_GetPixel(7, 7), 2);
  EXPECT_EQ(Zeb_GetPixel(8, 7), 3);
}

TEST_F(Screen, SpanSetsUnalignedEndsAndWholeBytesBetween) {
  Zeb_SetColor(ctx, 1);
  Zeb_FillBox(ctx, {0, 0, 16, 1});
  Zeb_SetColor(ctx, 2);
  Zeb_DrawLine(ctx, 9, 0, 2, 0);
  EXPECT_EQ(Row(0, 0, 12), "112222222211");
  EXPECT_EQ(Zeb_Screen().pixels[1], 0xAA);
}

TEST_F(Screen, SpansClipAtBothSides) {
  Zeb_DrawLine(ctx, 0, 1, 0, 1);
  EXPECT_EQ(Row(0, 1, 2), "30");
  Zeb_DrawLine(ctx, 639, 2, 700, 2);
  EXPECT_EQ(Row(637, 2, 3), "003");
  Zeb_DrawLine(ctx, -5, 3, 3, 3);
  EXPECT_EQ(Row(0, 3, 5), "33330");
  Zeb_DrawLine(ctx, -5, 4, -1, 4);
  Zeb_DrawLine(ctx, 640, 5, 900, 5);
  Zeb_DrawLine(ctx, -100, 6, 900, 6);
  Zeb_DrawLine(ctx, 0, 240, 639, 240);
  EXPECT_EQ(CountLevel(3), 1 + 1 + 4 + 640);
}

TEST_F(Screen, DirtyRectangleGrowsUntilCleared) {
  ZebRect box;
  EXPECT_FALSE(Zeb_GetDirty(box));
  Zeb_DrawPixel(ctx, 100, 50);
  box = Dirty();
  EXPECT_EQ(box.x, 100);
  EXPECT_EQ(box.y, 50);
  EXPECT_EQ(box.w, 1);
  EXPECT_EQ(box.h, 1);
  Zeb_DrawLine(ctx, 10, 60, 20, 80);
  box = Dirty();
  EXPECT_EQ(box.x, 10);
  EXPECT_EQ(box.y, 50);
  EXPECT_EQ(box.x + box.w - 1, 100);
  EXPECT_EQ(box.y + box.h - 1, 80);
  Zeb_ClearDirty();
  EXPECT_FALSE(Zeb_GetDirty(box));
}

TEST_F(Screen, DirtyReportsAreClampedToTheScreen) {
  Zeb_FillBox(ctx, {-50, -50, 1000, 1000});
  ZebRect box = Dirty();
  EXPECT_EQ(box.x, 0);
  EXPECT_EQ(box.y, 0);
  EXPECT_EQ(box.w, 640);
  EXPECT_EQ(box.h, 240);
  Zeb_ClearDirty();
  Zeb_FillBox(ctx, {700, 10, 5, 5});
  EXPECT_FALSE(Zeb_GetDirty(box));
}

TEST_F(Screen, HostGreysOfTheFourLevels) {
  EXPECT_EQ(Zeb_HostGrey(0), 255);
  EXPECT_EQ(Zeb_HostGrey(1), 170);
  EXPECT_EQ(Zeb_HostGrey(2), 85);
  EXPECT_EQ(Zeb_HostGrey(3), 0);
  for (int level = 0; level < 4; ++level) {
    Zeb_SetColor(ctx, level);
    Zeb_DrawPixel(ctx, 4 + level, 1);
  }
  std::vector<std::uint8_t> grey(640 * 240, 7);
  Zeb_ToGrey({5, 1, 2, 1}, grey.data(), 640);
  // Whole groups of four from the left edge rounded down.
  EXPECT_EQ(grey[640 + 3], 7);
  EXPECT_EQ(grey[640 + 4], 255);
  EXPECT_EQ(grey[640 + 5], 170);
  EXPECT_EQ(grey[640 + 6], 85);
  EXPECT_EQ(grey[640 + 7], 7);
  EXPECT_EQ(grey[0], 7);
}

TEST(Rect, OperationsFollowTheirFields) {
  ZebRect r{};
  ZebRect_Set(r, 1, 2, 3, 4);
  EXPECT_EQ(r.x + r.y + r.w + r.h, 10);
  ZebRect_SetCorners(r, 10, 20, 19, 20);
  EXPECT_EQ(r.w, 10);
  EXPECT_EQ(r.h, 1);
  ZebRect_Inset(r, 2, -1);
  EXPECT_EQ(r.x, 12);
  EXPECT_EQ(r.y, 19);
  EXPECT_EQ(r.w, 6);
  EXPECT_EQ(r.h, 3);
  ZebRect_Offset(r, -12, 1);
  ZebRect copy{};
  ZebRect_Copy(copy, r);
  EXPECT_EQ(copy.x, 0);
  EXPECT_EQ(copy.y, 20);
  EXPECT_EQ(copy.w, 6);
  EXPECT_EQ(copy.h, 3);
}

}  // namespace
