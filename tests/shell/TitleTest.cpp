// The title line, its clock and icon, the browse function-key bar and the
// main area's handler, driven message by message on the headless host.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "calendar/Date.h"
#include "graphics/Zeb.h"
#include "host/headless/Headless.h"
#include "shell/Shell.h"
#include "shell/Title.h"
#include "store/Label.h"
#include "support/AppScreen.h"
#include "toolkit/nw.h"

namespace {

bool Dirty() {
  ZebRect box{};
  return Zeb_GetDirty(box);
}

class TitleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    velmo_test::OpenScreen();
    Headless_SetLocalTime(2024, 3, 5, 10, 20, 30);
    Date_SetClock(Headless_ReadClock);
    Label_InitNames();
    nwObject_Create(&titleBar, Title_Handler, nullptr, &velmo_test::kScreenRect);
    nwObject_Create(&toolbar, nwToolbar_Handler, nullptr, &velmo_test::kToolbarRect);
    nwEvent_PostTo(&titleBar, NW_SHOW);
    nwEvent_PostTo(&titleBar, NW_SET_TEXT, 0, 0, const_cast<char*>("Velmo"));
    velmo_test::Drain();
    BrowseState_Reset();
    BrowseState_SetCursorDate(Date_ToDayNo(2024, 3, 5));
  }
  void TearDown() override { Date_SetClock(nullptr); }
};

TEST_F(TitleTest, DateLineShowsTheCursorDayAndTheChosenLabel) {
  char line[TITLE_FORMAT_BYTES];
  Screen_FormatDateLine(line, sizeof line);
  EXPECT_STREQ(line, "2024\x94\x4e 3\x8c\x8e 5\x93\xfa(\x89\xce)");  // "2024年 3月 5日(火)"
  BrowseState_SetLabel(2);
  Screen_FormatDateLine(line, sizeof line);
  EXPECT_STREQ(line, "2024\x94\x4e 3\x8c\x8e 5\x93\xfa(\x89\xce)  \x95\xaa\x97\xde\x82\x51 ");  // "... 分類２ "
  Screen_DateLine();
  EXPECT_EQ(std::string(Title_Text()), std::string("Velmo  ") + line);
}

TEST_F(TitleTest, TitleTextIsCutToItsBuffer) {
  const std::string longText(300, 'x');
  Zeb_SetColor(nwContext, ZEB_WHITE);
  const ZebRect screen{0, 0, 640, 240};
  Zeb_FillBox(nwContext, screen);
  Screen_SetTitle(longText.c_str());
  EXPECT_EQ(std::strlen(Title_Text()), TITLE_FORMAT_BYTES - 1u);
  nwEvent_SendTo(&titleBar, NW_SET_TEXT, 0, 0, const_cast<char*>(longText.c_str()));
  EXPECT_EQ(std::strlen(Title_Text()), TITLE_TEXT_BYTES - 1u);
  // A cut never leaves half of a double-byte character.
  std::string days;
  for (int i = 0; i < 100; ++i) days += "\x93\xfa";  // 日
  nwEvent_SendTo(&titleBar, NW_SET_TEXT, 0, 0, days.data());
  EXPECT_EQ(std::strlen(Title_Text()), TITLE_TEXT_BYTES - 2u);
  Screen_SetTitle(("x" + days).c_str());
  EXPECT_EQ(std::strlen(Title_Text()), TITLE_FORMAT_BYTES - 2u);
  nwEvent_SendTo(&titleBar, NW_SET_TEXT, 0, 0, const_cast<char*>(longText.c_str()));
  nwEvent_SendTo(&titleBar, NW_SET_STYLE, TITLE_NARROW, 1);
  nwEvent_SendTo(&titleBar, NW_REDRAW);
  EXPECT_EQ(Zeb_GetPixel(470, 20), ZEB_BLACK);
  for (int x = 480; x < 640; ++x) EXPECT_EQ(Zeb_GetPixel(x, 10), ZEB_WHITE) << x;  // text kept inside
}

TEST_F(TitleTest, ClockDrawsOncePerMinuteAndOnlyWhileShown) {
  Title_Clock(true);
  Zeb_ClearDirty();
  nwEvent_SendTo(&titleBar, NW_TIMER, SHELL_TIMER_CLOCK);
  EXPECT_FALSE(Dirty());  // same minute
  Headless_Advance(29000);  // 10:20:59
  nwEvent_SendTo(&titleBar, NW_TIMER, SHELL_TIMER_CLOCK);
  EXPECT_FALSE(Dirty());
  Headless_Advance(1000);  // 10:21:00
  nwEvent_SendTo(&titleBar, NW_TIMER, SHELL_TIMER_CLOCK);
  ASSERT_TRUE(Dirty());
  ZebRect box{};
  Zeb_GetDirty(box);
  EXPECT_EQ(box.x, TITLE_CLOCK_X);
  EXPECT_EQ(box.y, 2);
  EXPECT_LE(box.y + box.h, 20);

  Zeb_ClearDirty();
  Headless_Advance(60000);
  nwEvent_SendTo(&titleBar, NW_HIDE);
  velmo_test::Drain();
  Zeb_ClearDirty();
  nwEvent_SendTo(&titleBar, NW_TIMER, SHELL_TIMER_CLOCK);
  EXPECT_FALSE(Dirty());
}

TEST_F(TitleTest, NarrowTitleMovesTheClockAndKeepsTheRightPartUntouched) {
  nwEvent_SendTo(&titleBar, NW_SET_STYLE, TITLE_NARROW, 1);
  Zeb_SetColor(nwContext, ZEB_WHITE);
  const ZebRect screen{0, 0, 640, 240};
  Zeb_FillBox(nwContext, screen);
  nwEvent_SendTo(&titleBar, NW_REDRAW);
  EXPECT_EQ(Zeb_GetPixel(TITLE_NARROW_CLOCK_X, 2), ZEB_WHITE);            // edge, top-left
  EXPECT_EQ(Zeb_GetPixel(TITLE_NARROW_CLOCK_X + 35, 17), ZEB_DARK_GREY);  // edge, bottom-right
  EXPECT_EQ(Zeb_GetPixel(479, 20), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(480, 20), ZEB_WHITE);
  for (int x = 480; x < 640; ++x) EXPECT_EQ(Zeb_GetPixel(x, 10), ZEB_WHITE) << x;
  nwEvent_SendTo(&titleBar, NW_SET_STYLE, TITLE_NARROW, 0);
  nwEvent_SendTo(&titleBar, NW_REDRAW);
  EXPECT_EQ(Zeb_GetPixel(639, 20), ZEB_BLACK);
}

TEST_F(TitleTest, IconIsTakenOnlyFromAWhole16By16Bitmap) {
  ASSERT_EQ(std::string(reinterpret_cast<const char*>(Title_Icon.data()), 16), "#ZBV000100160016");
  nwEvent_SendTo(&titleBar, NW_SET_ICON, static_cast<int>(Title_Icon.size()), 0,
                 const_cast<unsigned char*>(Title_Icon.data()));
  nwEvent_SendTo(&titleBar, NW_REDRAW);
  EXPECT_EQ(Zeb_GetPixel(2 + 4, 2 + 0), ZEB_BLACK);  // a ring of the calendar page
  EXPECT_EQ(Zeb_GetPixel(2 + 7, 2 + 8), ZEB_WHITE);  // the page

  // A bigger picture, or one whose pixels are not all there, is refused.
  unsigned char big[16 + 8 * 32] = "#ZBV000100320032";
  std::memset(big + 16, 0xFF, sizeof big - 16);
  nwEvent_SendTo(&titleBar, NW_SET_ICON, sizeof big, 0, big);
  unsigned char shortIcon[20] = "#ZBV000100160016";
  nwEvent_SendTo(&titleBar, NW_SET_ICON, sizeof shortIcon, 0, shortIcon);
  nwEvent_SendTo(&titleBar, NW_REDRAW);
  EXPECT_EQ(Zeb_GetPixel(2 + 7, 2 + 8), ZEB_WHITE);
}

TEST_F(TitleTest, BrowseBarFillsNineSlotsAndEmptiesTheFourth) {
  nwEvent_PostTo(&toolbar, NW_SET_TEXT, 3, 99, const_cast<char*>("xxxxxxxx"));
  velmo_test::Drain();
  Screen_FillBrowseToolbar();
  velmo_test::Drain();
  const int commands[10] = {3001, 3020, 3021, 0, 3003, 3002, 3005, 3006, 3007, 3008};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(toolbar.slots[i].command, commands[i]) << i;
    EXPECT_EQ(toolbar.slots[i].set, i == 3 ? 0 : 1) << i;
    EXPECT_EQ(std::strlen(toolbar.slots[i].label), i == 3 ? 0u : 8u) << i;
  }
  EXPECT_STREQ(toolbar.slots[0].label, " \x83\x77\x83\x8b\x83\x76 ");  // " ヘルプ "
  EXPECT_STREQ(toolbar.slots[9].label, "  \x82\x50\x93\xfa  ");        // "  １日  "
}

TEST_F(TitleTest, MainAreaIgnoresRedrawBehindADialogAndQuitsOnDestroy) {
  static nwObject area;
  const ZebRect rect{0, 20, 640, 200};
  BrowseState_SetView(0);  // no view
  nwObject_Create(&area, MainArea_Handler, nullptr, &rect);
  velmo_test::Drain();
  EXPECT_EQ(nwFocus_Get(), &area);
  BrowseState_SetMode(MODE_DIALOG);
  Zeb_ClearDirty();
  nwEvent_SendTo(&area, NW_REDRAW);
  EXPECT_FALSE(Dirty());
  BrowseState_SetMode(MODE_WINDOW);
  nwEvent_SendTo(&area, NW_REDRAW);
  EXPECT_FALSE(Dirty());
  nwEvent_SendTo(&area, NW_DESTROY);
  EXPECT_EQ(nwEvent_Next(false), nullptr);  // Quit
  nwEvent_Reset();
}

}  // namespace
