#include <cstring>
#include <string>

#include "ToolkitFixture.h"

namespace {

class ListBox : public ToolkitTest {
 protected:
  // At (100, 50): 100 wide gives 12 columns; 84 high gives 5 rows.
  void Make(int rowsSet) {
    ZebRect r = Rect(100, 50, 100, 84);
    nwObject_Create(&list_, nwListBox_Handler, nullptr, &r);
    std::memset(rows_, '#', sizeof rows_);
    nwEvent_SendTo(&list_, NW_SET_BUFFER, kRowSize, kRows, rows_);
    for (int i = 0; i < rowsSet; ++i) {
      const std::string text = "row " + std::to_string(i);
      nwEvent_SendTo(&list_, NW_SET_TEXT, i, static_cast<int>(text.size()), const_cast<char*>(text.c_str()));
    }
  }
  bool Key(int key, int modifiers = 0) { return nwEvent_SendTo(&list_, NW_KEY_DOWN, key, modifiers); }
  int Result() {
    int result = -1;
    nwEvent_SendTo(&list_, NW_GET_RESULT, 0, 0, &result);
    return result;
  }

  static constexpr int kRowSize = 8;
  static constexpr int kRows = 10;
  nwListBox list_{};
  char rows_[kRowSize * kRows + 4];
};

TEST_F(ListBox, DownWalksTheShownPositionsEvenPastTheRowsSet) {
  Make(3);
  EXPECT_EQ(list_.visibleRows, 5);
  EXPECT_EQ(list_.columns, 12);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(Key(KEY_DOWN));
  EXPECT_EQ(Result(), 3);
  Key(KEY_DOWN);
  Key('n', KEY_MOD_CTRL);
  EXPECT_EQ(Result(), 4);
  EXPECT_EQ(list_.top, 0);
}

TEST_F(ListBox, DownScrollsUntilTheLastRowThenStopsAndUpReturns) {
  Make(8);
  for (int i = 0; i < 12; ++i) Key(KEY_DOWN);
  EXPECT_EQ(list_.top, 3);
  EXPECT_EQ(list_.cursor, 4);
  EXPECT_EQ(Result(), 7);
  for (int i = 0; i < 12; ++i) Key('p', KEY_MOD_CTRL);
  EXPECT_EQ(Result(), 0);
  EXPECT_EQ(list_.top, 0);
  EXPECT_TRUE(Key(KEY_UP));
  EXPECT_FALSE(Key(KEY_TAB));
  EXPECT_FALSE(Key(KEY_RETURN));
  EXPECT_FALSE(Key(KEY_ESCAPE));
  EXPECT_FALSE(Key('p'));
}

TEST_F(ListBox, SetCursorPullsTheTopBackSoTheSelectionIsARow) {
  Make(8);
  Key(KEY_DOWN);
  Key(KEY_DOWN);
  nwEvent_SendTo(&list_, NW_SET_CURSOR, 6);
  EXPECT_EQ(list_.top, 5);
  EXPECT_EQ(Result(), 7);
  nwListBox empty{};
  ZebRect r = Rect(0, 0, 100, 84);
  nwObject_Create(&empty, nwListBox_Handler, nullptr, &r);
  nwEvent_SendTo(&empty, NW_SET_CURSOR, 3);  // no rows: stops at 0
  EXPECT_EQ(empty.top, 0);
}

TEST_F(ListBox, RowTextsStayInsideTheirRowsAndTheBuffer) {
  Make(0);
  const char* longText = "abcdefghijkl";
  nwEvent_SendTo(&list_, NW_SET_TEXT, kRows - 1, 12, const_cast<char*>(longText));
  EXPECT_STREQ(rows_ + (kRows - 1) * kRowSize, "abcdefg");
  EXPECT_EQ(rows_[kRows * kRowSize], '#');
  nwEvent_SendTo(&list_, NW_SET_TEXT, kRows, 3, const_cast<char*>("abc"));
  nwEvent_SendTo(&list_, NW_SET_TEXT, -1, 3, const_cast<char*>("abc"));
  EXPECT_EQ(list_.rowCount, kRows);
  nwEvent_SendTo(&list_, NW_SET_TEXT, 0, 8, const_cast<char*>("abcdef\x93\xfa"));  // 日 would be cut
  EXPECT_STREQ(rows_, "abcdef");
  nwEvent_SendTo(&list_, NW_UNSET_TEXT, 0);
  EXPECT_EQ(rows_[0], '\0');
  EXPECT_EQ(list_.rowCount, kRows);
}

TEST_F(ListBox, DrawsAFramedGreyBoxWithTheSelectionInverted) {
  Make(3);
  nwEvent_SendTo(&list_, NW_SHOW);
  EXPECT_EQ(Zeb_GetPixel(100, 50), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(101, 51), ZEB_LIGHT_GREY);
  // Row 0 inverted: light grey turns dark grey (3 - 1) in (102, 52, 96, 16).
  EXPECT_EQ(Zeb_GetPixel(197, 52), ZEB_DARK_GREY);
  EXPECT_EQ(Zeb_GetPixel(197, 67), ZEB_DARK_GREY);
  EXPECT_EQ(Zeb_GetPixel(197, 68), ZEB_LIGHT_GREY);
  Key(KEY_DOWN);
  EXPECT_EQ(Zeb_GetPixel(197, 52), ZEB_LIGHT_GREY);
  EXPECT_EQ(Zeb_GetPixel(197, 68), ZEB_DARK_GREY);
  nwFocus_Set(&list_);
  EXPECT_EQ(Zeb_GetPixel(101, 51), ZEB_BLACK);  // double frame
  EXPECT_EQ(Zeb_GetPixel(197, 68), ZEB_DARK_GREY);
}

TEST_F(ListBox, RowsAreDrawnOneLineApartFromTheTopShownRow) {
  Make(8);
  nwEvent_SendTo(&list_, NW_SHOW);
  for (int i = 0; i < 6; ++i) Key(KEY_DOWN);  // top 2, the fifth position selected
  ASSERT_EQ(list_.top, 2);
  std::string shown[5];
  for (int i = 0; i < 5; ++i) shown[i] = Area(102, 52 + 16 * i, 96, 16);
  EXPECT_EQ(shown[0], TextAlone(102, 52, 96, 16, "row 2", ZEB_LIGHT_GREY));
  EXPECT_EQ(shown[3], TextAlone(102, 100, 96, 16, "row 5", ZEB_LIGHT_GREY));
  // The selected row is the inverse of its plain drawing.
  std::string plain = TextAlone(102, 116, 96, 16, "row 6", ZEB_LIGHT_GREY);
  for (char& c : plain) c = static_cast<char>('0' + 3 - (c - '0'));
  EXPECT_EQ(shown[4], plain);
}

}  // namespace
