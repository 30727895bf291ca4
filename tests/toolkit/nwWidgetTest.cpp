#include "ToolkitFixture.h"

namespace {

class Widgets : public ToolkitTest {
 protected:
  // Columns holding ink (level 3) in rows y0..y1 between x0 and x1 inclusive.
  static std::pair<int, int> InkSpan(int x0, int x1, int y0, int y1) {
    int lo = -1, hi = -1;
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        if (Zeb_GetPixel(x, y) != ZEB_BLACK) continue;
        if (lo < 0 || x < lo) lo = x;
        if (x > hi) hi = x;
      }
    }
    return {lo, hi};
  }
};

TEST_F(Widgets, AnOutlinedCentredLabelDrawsItsTextAtTheComputedOffset) {
  nwLabel label;
  ZebRect r = Rect(200, 50, 100, 20);
  nwObject_Create(&label, nwLabel_Handler, nullptr, &r);
  EXPECT_EQ(label.reserved, NW_WIDGET);
  EXPECT_EQ(label.fontNo, 2);
  char buffer[16];
  nwEvent_SendTo(&label, NW_SET_BUFFER, sizeof buffer, 0, buffer);
  nwEvent_SendTo(&label, NW_SET_TEXT, 4, 0, const_cast<char*>("HHHH"));
  nwEvent_SendTo(&label, NW_SET_STYLE, NW_LABEL_OUTLINED);
  nwEvent_SendTo(&label, NW_SET_ALIGN, NW_ALIGN_CENTER);
  label.backColor = ZEB_WHITE;
  EXPECT_EQ(label.textLength, 4);
  EXPECT_EQ(label.columns, 12);
  nwEvent_SendTo(&label, NW_SHOW);
  EXPECT_EQ(Zeb_GetPixel(200, 50), ZEB_BLACK);   // outline
  EXPECT_EQ(Zeb_GetPixel(299, 69), ZEB_BLACK);
  auto [lo, hi] = InkSpan(201, 298, 51, 68);
  EXPECT_GE(lo, 200 + 34 + 1);      // glyph column 0 is one right of the pen
  EXPECT_LT(lo, 200 + 34 + 1 + 8);
  EXPECT_LE(hi, 200 + 34 + 32);
}

TEST_F(Widgets, APlainRightAlignedLabelTooNarrowStartsAtZeroAndIsCut) {
  nwLabel label;
  ZebRect r = Rect(10, 100, 40, 16);
  nwObject_Create(&label, nwLabel_Handler, nullptr, &r);
  char buffer[16];
  nwEvent_SendTo(&label, NW_SET_BUFFER, sizeof buffer, 0, buffer);
  nwEvent_SendTo(&label, NW_SET_TEXT, 10, 0, const_cast<char*>("HHHHHHHHHH"));
  nwEvent_SendTo(&label, NW_SET_ALIGN, NW_ALIGN_RIGHT);
  EXPECT_EQ(label.columns, 5);
  nwEvent_SendTo(&label, NW_SHOW);
  auto [lo, hi] = InkSpan(0, 100, 100, 115);
  EXPECT_GE(lo, 11);
  EXPECT_LT(lo, 19);
  EXPECT_LE(hi, 50);
  EXPECT_GT(hi, 42);
}

TEST_F(Widgets, LabelTextIsBoundedByTheBufferAndNeverSplitsACharacter) {
  nwLabel label;
  ZebRect r = Rect(0, 0, 100, 16);
  nwObject_Create(&label, nwLabel_Handler, nullptr, &r);
  nwEvent_SendTo(&label, NW_SET_TEXT, 5, 0, const_cast<char*>("abcde"));
  EXPECT_EQ(label.textLength, 0);  // no buffer lent yet
  char buffer[4] = {'x', 'x', 'x', 'x'};
  nwEvent_SendTo(&label, NW_SET_BUFFER, sizeof buffer, 0, buffer);
  nwEvent_SendTo(&label, NW_SET_TEXT, 9, 0, const_cast<char*>("abcdef"));
  EXPECT_EQ(label.textLength, 4);
  EXPECT_EQ(std::string(buffer, 4), "abcd");
  nwEvent_SendTo(&label, NW_SET_TEXT, 9, 0, const_cast<char*>("ab"));
  EXPECT_EQ(label.textLength, 2);
  nwEvent_SendTo(&label, NW_SET_TEXT, 9, 0, const_cast<char*>("abc\x93\xfa"));  // "abc" + 日
  EXPECT_EQ(label.textLength, 3);
  EXPECT_FALSE(nwEvent_SendTo(&label, NW_ADD_CHILD, 0, 0, &label));
  nwEvent_SendTo(&label, NW_SET_FONT, ZEB_FONT_8);  // no widget metrics
  EXPECT_EQ(label.columns, 0);
}

TEST_F(Widgets, AFocusedButtonIsInvertedAndReturnPostsItsCommandToTheParent) {
  Probe parent;
  ZebRect pr = Rect(0, 0, 640, 240);
  nwObject_Create(&parent, Probe_Handler, nullptr, &pr);
  nwButton button;
  ZebRect r = Rect(300, 100, 80, 24);
  nwObject_Create(&button, nwButton_Handler, &parent, &r);
  nwEvent_SendTo(&button, NW_SET_COMMAND, 7);
  EXPECT_EQ(button.columns, 9);
  button.visible = 1;
  nwEvent_SendTo(&button, NW_REDRAW);
  EXPECT_EQ(Zeb_GetPixel(300, 100), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(301, 101), ZEB_WHITE);
  EXPECT_EQ(Zeb_GetPixel(378, 122), ZEB_DARK_GREY);
  EXPECT_EQ(Zeb_GetPixel(303, 103), ZEB_LIGHT_GREY);
  nwFocus_Set(&button);
  EXPECT_EQ(Zeb_GetPixel(303, 103), ZEB_DARK_GREY);  // light grey inverted
  EXPECT_EQ(Zeb_GetPixel(302, 102), ZEB_LIGHT_GREY);

  Headless_PushKey(KEY_RETURN);
  Headless_PushKey(KEY_TAB);
  Drain();
  ASSERT_EQ(parent.count(NW_COMMAND), 1);
  EXPECT_EQ(parent.last(NW_COMMAND)->param, 7);
  EXPECT_EQ(parent.count(NW_GAIN_FOCUS_NOTIFY), 1);
  EXPECT_EQ(parent.last(NW_GAIN_FOCUS_NOTIFY)->ptr, &button);
  ASSERT_EQ(parent.count(NW_KEY_DOWN), 1);  // Tab bubbled on
  EXPECT_EQ(parent.last(NW_KEY_DOWN)->param, KEY_TAB);
}

class Toolbar : public Widgets {
 protected:
  void SetUp() override {
    Widgets::SetUp();
    ZebRect r = Rect(0, 220, 640, 20);
    nwObject_Create(&bar_, nwToolbar_Handler, nullptr, &r);
    nwEvent_SendTo(&bar_, NW_REDRAW);
  }
  nwToolbar bar_;
};

TEST_F(Toolbar, SlotsSitInThreeGroupsAndTheTenthEndsAt550) {
  const int expected[] = {0, 53, 106, 159, 222, 275, 328, 381, 444, 497};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(nwToolbar_SlotX(i), expected[i]);
  EXPECT_EQ(Zeb_GetPixel(497, 222), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(550, 239), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(551, 230), ZEB_WHITE);
  EXPECT_EQ(Zeb_GetPixel(215, 230), ZEB_WHITE);   // gap between groups
  EXPECT_EQ(Zeb_GetPixel(498, 223), ZEB_WHITE);   // raised edge
  EXPECT_EQ(Zeb_GetPixel(549, 238), ZEB_DARK_GREY);
  EXPECT_EQ(Zeb_GetPixel(520, 230), ZEB_LIGHT_GREY);
  EXPECT_EQ(InkSpan(499, 548, 224, 237).first, -1);  // unset: no label
  nwEvent_SendTo(&bar_, NW_SET_TEXT, 9, 12, const_cast<char*>("HHHHHHHH"));
  auto [lo, hi] = InkSpan(499, 548, 224, 237);
  EXPECT_GE(lo, 497 + 3 + 1);
  EXPECT_LE(hi, 497 + 3 + 48);
}

TEST_F(Toolbar, FunctionKeysReachTheFocusChainAsTheSlotCommand) {
  Probe focus;
  nwObject_Create(&focus, Probe_Handler, nullptr, nullptr);
  nwFocus_Set(&focus);
  Headless_PushKey(KEY_F2);
  Drain();
  EXPECT_EQ(focus.count(NW_COMMAND), 0);
  EXPECT_EQ(focus.count(NW_KEY_DOWN), 0);
  nwEvent_SendTo(&bar_, NW_SET_TEXT, 1, 12, const_cast<char*>("\x95\xd2\x8f\x57    "));  // 編集
  Headless_PushKey(KEY_F2);
  Headless_PushKey(Key_Special(KEY_F2, true, false));
  Drain();
  ASSERT_EQ(focus.count(NW_COMMAND), 2);
  EXPECT_EQ(focus.last(NW_COMMAND)->param, 12);
  nwEvent_SendTo(&bar_, NW_UNSET_TEXT, 1);
  EXPECT_EQ(bar_.slots[1].set, 0);
  EXPECT_EQ(bar_.slots[1].command, 0);
  EXPECT_FALSE(nwEvent_SendTo(&bar_, NW_SET_TEXT, 10, 1, const_cast<char*>("x")));
  EXPECT_TRUE(nwEvent_SendTo(&bar_, NW_COMMAND, 77));  // no such slot: nothing
  EXPECT_EQ(nwEvent_Pending(), 0);
}

TEST_F(Toolbar, ALongLabelIsCutToEightBytes) {
  nwEvent_SendTo(&bar_, NW_SET_TEXT, 0, 1, const_cast<char*>("ABCDEFGHIJKLMNOP"));
  EXPECT_STREQ(bar_.slots[0].label, "ABCDEFGH");
  nwEvent_SendTo(&bar_, NW_SET_TEXT, 0, 1, const_cast<char*>("ABCDEFG\x93\xfa"));  // 7 + 日
  EXPECT_STREQ(bar_.slots[0].label, "ABCDEFG");
}

}  // namespace
