// A freshly opened, cleared 640 x 240 screen for each graphics test, and
// small readers of its pixels.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "graphics/Zeb.h"
#include "host/common/Host.h"

class ZebScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Host_Install({});  // the glyph source
    Zeb_SetScreenSize(640, 240);
    Zeb_OpenScreen(ctx);
    Zeb_ClearDirty();
  }

  // The levels of row y from x, count pixels, as digits ("0033").
  static std::string Row(int x, int y, int count) {
    std::string levels;
    for (int i = 0; i < count; ++i) levels += static_cast<char>('0' + Zeb_GetPixel(x + i, y));
    return levels;
  }

  static int CountLevel(int level) {
    int n = 0;
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 640; ++x) n += Zeb_GetPixel(x, y) == level;
    }
    return n;
  }

  static ZebRect Dirty() {
    ZebRect box{-1, -1, -1, -1};
    EXPECT_TRUE(Zeb_GetDirty(box));
    return box;
  }

  ZebContext ctx{};
};
