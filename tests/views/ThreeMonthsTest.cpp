// The three-month calendar driven through the view operations, with its
// pixels read back from the frame buffer.
#include "views/ThreeMonths.h"

#include "graphics/ZebKey.h"
#include "views/ViewFixture.h"

namespace {

class ThreeMonths : public ViewFixture {
 protected:
  void Open() {
    ASSERT_TRUE(View_CreateCurrent());
    View_RedrawAll();
  }
  // Cell of a day shown in the given block (its month must be the block's).
  static ZebRect Cell(int block, DayNo day) {
    const int column = day % 7;
    const int row = (DayNo_Mday(day) + 5 - column) / 7;
    return ThreeMonths_CellRect(block, column, row);
  }
  // A pixel inside the cell that no digit reaches.
  static int Paper(const ZebRect& cell) { return Zeb_GetPixel(cell.x + 2, cell.y + 18); }
  static int Corner(const ZebRect& cell) { return Zeb_GetPixel(cell.x, cell.y); }
  static const ThreeMonthsState& S() { return ThreeMonths_State(); }
};

TEST_F(ThreeMonths, CreatePutsTheCursorMonthInTheMiddleBlock) {
  Open();
  EXPECT_EQ(S().firstMonth, Date_ToMonthNo(2023, 12));
  EXPECT_EQ(S().cursorBlock, 1);
  EXPECT_EQ(S().cursorColumn, 3);  // 31 January 2024 is a Wednesday
  EXPECT_EQ(S().cursorRow, 4);
  EXPECT_EQ(browse.selectionState, VIEW_SEL_DAY);
  EXPECT_EQ(browse.statusDelay, 0);
}

TEST_F(ThreeMonths, DrawsTitlesWeekdaysDaysAndCursor) {
  Open();
  // Title rows and weekday cells: 3-D edges, white top-left, dark bottom-right.
  EXPECT_EQ(Zeb_GetPixel(23, 41), ZEB_WHITE);
  EXPECT_EQ(Zeb_GetPixel(23 + 181, 41 + 19), ZEB_DARK_GREY);
  EXPECT_EQ(Zeb_GetPixel(30, 45), ZEB_LIGHT_GREY);
  EXPECT_EQ(Zeb_GetPixel(228 + 26, 61), ZEB_WHITE);
  EXPECT_EQ(Zeb_GetPixel(228 + 51, 80), ZEB_DARK_GREY);
  // January 2024 in the middle block: the 1st is a Monday in row 0.
  EXPECT_EQ(Paper(ThreeMonths_CellRect(1, 1, 0)), ZEB_WHITE);
  EXPECT_EQ(Paper(ThreeMonths_CellRect(1, 0, 0)), ZEB_LIGHT_GREY);  // before the 1st
  EXPECT_EQ(Paper(Cell(1, Day(2024, 1, 7))), ZEB_DARK_GREY);        // Sunday
  EXPECT_EQ(Paper(Cell(1, Day(2024, 1, 2))), ZEB_WHITE);
  // Today (10 January) framed in black.
  const ZebRect today = Cell(1, Day(2024, 1, 10));
  EXPECT_EQ(Corner(today), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(today.x + 25, today.y + 19), ZEB_BLACK);
  EXPECT_EQ(Paper(today), ZEB_WHITE);
  // The cursor cell (31 January) inverted: white paper turned black.
  EXPECT_EQ(Paper(Cell(1, Day(2024, 1, 31))), ZEB_BLACK);
  // Blocks 0 and 2 hold December and February.
  EXPECT_EQ(Paper(Cell(0, Day(2023, 12, 31))), ZEB_DARK_GREY);
  EXPECT_EQ(Paper(Cell(2, Day(2024, 2, 29))), ZEB_WHITE);
  EXPECT_EQ(Paper(ThreeMonths_CellRect(2, 5, 4)), ZEB_LIGHT_GREY);  // after the 29th
  // Some ink in every title and the day numbers.
  int ink = 0;
  for (int x = 23 + 70; x < 23 + 112; ++x) ink += Zeb_GetPixel(x, 50) == ZEB_BLACK;
  EXPECT_GT(ink, 0);
}

TEST_F(ThreeMonths, TodayOnASundayOrHolidayIsShadedNotFramed) {
  SetToday(2024, 1, 7);
  AddEntry(KIND_HOLIDAY, Day(2024, 1, 17));
  Open();
  const ZebRect sunday = Cell(1, Day(2024, 1, 7));
  EXPECT_EQ(Corner(sunday), ZEB_DARK_GREY);
  EXPECT_EQ(Paper(sunday), ZEB_DARK_GREY);
  EXPECT_EQ(Paper(Cell(1, Day(2024, 1, 17))), ZEB_DARK_GREY);

  SetToday(2024, 1, 17);
  View_RedrawAll();
  EXPECT_EQ(Corner(Cell(1, Day(2024, 1, 17))), ZEB_DARK_GREY);
}

TEST_F(ThreeMonths, ArrowsMoveTheCursorAndFollowItIntoTheNextBlock) {
  Open();
  EXPECT_TRUE(Key(KEY_RIGHT));  // 1 February: block 2, no scroll
  EXPECT_EQ(browse.cursorDate, Day(2024, 2, 1));
  EXPECT_EQ(S().cursorBlock, 2);
  EXPECT_EQ(S().firstMonth, Date_ToMonthNo(2023, 12));
  EXPECT_EQ(Paper(Cell(2, Day(2024, 2, 1))), ZEB_BLACK);
  EXPECT_EQ(Paper(Cell(1, Day(2024, 1, 31))), ZEB_WHITE);  // old cell back
  EXPECT_EQ(browse.statusDelay, 2);

  EXPECT_TRUE(Key(VIEW_KEY_LEFT));  // back to 31 January, block 1
  EXPECT_EQ(browse.cursorDate, Day(2024, 1, 31));
  EXPECT_EQ(S().cursorBlock, 1);
  EXPECT_TRUE(Key(KEY_UP));
  EXPECT_EQ(browse.cursorDate, Day(2024, 1, 24));
  EXPECT_TRUE(Key(VIEW_KEY_DOWN));
  EXPECT_EQ(browse.cursorDate, Day(2024, 1, 31));
  EXPECT_TRUE(Key(VIEW_KEY_UP));
  EXPECT_TRUE(Key(VIEW_KEY_RIGHT));
  EXPECT_EQ(browse.cursorDate, Day(2024, 1, 25));
  EXPECT_EQ(S().cursorRow, 3);
  EXPECT_EQ(S().cursorColumn, 4);
  EXPECT_FALSE(Key('x'));
  EXPECT_FALSE(Key(Key_Special(KEY_UP, true, false)));
}

TEST_F(ThreeMonths, LeavingTheOuterBlocksScrollsTheMonths) {
  // Right on the last day of the right-hand month.
  BrowseState_SetCursorDate(Day(2024, 2, 29));
  Open();          // February in the middle
  Key(KEY_DOWN);       // March 7, block 2
  for (int i = 0; i < 24; ++i) Key(KEY_RIGHT);
  EXPECT_EQ(browse.cursorDate, Day(2024, 3, 31));
  EXPECT_EQ(S().cursorBlock, 2);
  Key(KEY_RIGHT);
  EXPECT_EQ(browse.cursorDate, Day(2024, 4, 1));
  EXPECT_EQ(S().cursorBlock, 2);
  EXPECT_EQ(S().firstMonth, Date_ToMonthNo(2024, 2));
  EXPECT_EQ(Paper(Cell(2, Day(2024, 4, 1))), ZEB_BLACK);
  EXPECT_EQ(Paper(Cell(2, Day(2024, 4, 2))), ZEB_WHITE);

  // Up out of the left-hand block.
  BrowseState_SetCursorDate(Day(2024, 2, 3));
  View_Command(3003);
  Key(KEY_UP);  // 27 January, block 0
  EXPECT_EQ(S().cursorBlock, 0);
  Key(KEY_UP);  // 20 January stays in block 0
  for (int i = 0; i < 3; ++i) Key(KEY_UP);  // 30 December
  EXPECT_EQ(browse.cursorDate, Day(2023, 12, 30));
  EXPECT_EQ(S().cursorBlock, 0);
  EXPECT_EQ(S().firstMonth, Date_ToMonthNo(2023, 12));
  Key(KEY_LEFT);
  Key(KEY_RIGHT);
  EXPECT_EQ(browse.cursorDate, Day(2023, 12, 30));
}

TEST_F(ThreeMonths, PageKeysKeepTheBlockAndClampTheDay) {
  Open();
  EXPECT_TRUE(Key(KEY_PAGEDOWN));
  EXPECT_EQ(browse.cursorDate, Day(2024, 4, 30));
  EXPECT_EQ(S().cursorBlock, 1);
  EXPECT_EQ(S().firstMonth, Date_ToMonthNo(2024, 3));
  EXPECT_EQ(Paper(Cell(1, Day(2024, 4, 30))), ZEB_BLACK);
  EXPECT_EQ(browse.statusDelay, 2);
  EXPECT_TRUE(Key(KEY_PAGEUP));
  EXPECT_EQ(browse.cursorDate, Day(2024, 1, 30));
  EXPECT_EQ(S().firstMonth, Date_ToMonthNo(2023, 12));
}

TEST_F(ThreeMonths, TheCursorStopsAtTheEdgesOfTheRange) {
  BrowseState_SetCursorDate(0);  // a damaged continuation file
  Open();
  EXPECT_EQ(browse.cursorDate, VIEW_FIRST_DAY);
  EXPECT_EQ(browse.cursorDate, Day(1901, 1, 1));
  for (int key : {KEY_LEFT, KEY_UP, KEY_PAGEUP, KEY_PAGEUP}) {
    Key(key);
    EXPECT_EQ(browse.cursorDate, VIEW_FIRST_DAY);
  }
  EXPECT_EQ(S().firstMonth + S().cursorBlock, Date_ToMonthNo(1901, 1));

  BrowseState_SetCursorDate(65535);
  View_Command(3003);
  EXPECT_EQ(browse.cursorDate, VIEW_LAST_DAY);
  EXPECT_EQ(browse.cursorDate, Day(2078, 12, 31));
  for (int key : {KEY_RIGHT, KEY_DOWN, KEY_PAGEDOWN, KEY_PAGEDOWN}) {
    Key(key);
    EXPECT_EQ(browse.cursorDate, VIEW_LAST_DAY);
  }
  EXPECT_LE(S().firstMonth + 2, Date_ToMonthNo(2079, 5));

  BrowseState_SetCursorDate(Day(2078, 11, 15));
  View_Command(3003);
  Key(KEY_PAGEDOWN);  // would be February 2079
  EXPECT_EQ(browse.cursorDate, VIEW_LAST_DAY);
  EXPECT_EQ(S().firstMonth + S().cursorBlock, Date_ToMonthNo(2078, 12));
}

TEST_F(ThreeMonths, TheDateLineFollowsTwoTicksAfterTheLastMove) {
  Open();
  const std::string before = Title_Text();
  Key(KEY_RIGHT);
  View_StatusTick();
  Key(KEY_RIGHT);
  View_StatusTick();
  EXPECT_EQ(before, Title_Text());  // a key every tick keeps it
  View_StatusTick();
  EXPECT_NE(before, Title_Text());
  char expected[TITLE_FORMAT_BYTES];
  Screen_FormatDateLine(expected, sizeof expected);
  EXPECT_NE(std::string(Title_Text()).find(expected), std::string::npos);
  EXPECT_EQ(browse.statusDelay, 0);
}

TEST_F(ThreeMonths, NoStatusRefreshWhileADialogIsOpen) {
  Open();
  const std::string before = Title_Text();
  Key(KEY_RIGHT);
  BrowseState_SetMode(MODE_DIALOG);
  View_StatusTick();
  View_StatusTick();
  EXPECT_EQ(before, Title_Text());
  EXPECT_EQ(browse.statusDelay, 0);
}

TEST_F(ThreeMonths, OnlyTheNowCommandIsTaken) {
  Open();
  Key(KEY_PAGEDOWN);
  BrowseState_SetCursorDate(browse.today);
  EXPECT_TRUE(View_Command(3003));
  EXPECT_EQ(S().firstMonth, Date_ToMonthNo(2023, 12));
  EXPECT_EQ(Paper(Cell(1, browse.today)), ZEB_BLACK);
  EXPECT_FALSE(View_Command(3004));
  EXPECT_FALSE(View_Command(4509));
}

}  // namespace
