// The time tables (views 6, 7, 8) driven through the view operations, with
// their pixels read back at the layouts' coordinates.
#include "views/TimeTable.h"

#include <string>

#include "files/Settings.h"
#include "graphics/ZebKey.h"
#include "views/DayList.h"
#include "views/ViewFixture.h"
#include "support/SettingsEdit.h"

namespace {

using velmo_test::Ink;


// Rows top, day area left and column width of each view.
constexpr int kWeekTop = 41, kWeekLeft = 38, kWeekColumn = 86;
constexpr int kListTop = 36, kListLeft = 32, kListColumn = 63;
constexpr int kDayTop = 22, kDayLeft = 33;

class TimeTables : public ViewFixture {
 protected:
  void SetUp() override {
    ViewFixture::SetUp();
    saved = Settings_Get();
  }
  void TearDown() override {
    Settings_Set(saved);
    ViewFixture::TearDown();
  }
  void Open(std::uint16_t view) {
    BrowseState_SetView(view);
    ASSERT_TRUE(View_CreateCurrent());
    View_RedrawAll();
  }
  static Entry* Schedule(DayNo day, int h1, int m1, int h2, int m2, const char* text = "") {
    Entry* e = AddEntry(KIND_SCHEDULE, day);
    e->startHour = static_cast<std::uint8_t>(h1);
    e->startMinute = static_cast<std::uint8_t>(m1);
    e->endHour = static_cast<std::uint8_t>(h2);
    e->endMinute = static_cast<std::uint8_t>(m2);
    SetText(e, text);
    return e;
  }
  static void SetText(Entry* e, const char* text) {
    e->text = const_cast<char*>(text);
    e->textLen = static_cast<std::uint16_t>(std::string(text).size());
  }
  static const TimeTableState& S() { return TimeTable_State(); }
  Settings saved{};
};

TEST_F(TimeTables, AnchorPutsTheHourWindowAndTheCursorColumn) {
  BrowseState_SetCursorHour(22);
  Open(VIEW_WEEK_LIST);  // 10 rows: a window from 14:00, the cursor in row 8
  EXPECT_EQ(S().firstHour, 14);
  EXPECT_EQ(S().cursorRow, 8);
  EXPECT_EQ(S().cursorColumn, 3);  // 31 January 2024 is a Wednesday
  EXPECT_EQ(S().firstDay, Day(2024, 1, 28));
  EXPECT_EQ(browse.selectionState, VIEW_SEL_HOUR);
  EXPECT_EQ(Zeb_GetPixel(kListLeft + 3 * kListColumn + 30, kListTop + 13 * 8 + 6), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(kListLeft + 3 * kListColumn + 30, kListTop + 13 * 7 + 6), ZEB_WHITE);
  EXPECT_EQ(Zeb_GetPixel(473, 100), ZEB_BLACK);  // rule before the list

  velmo_test::EditSettings([](Settings& s) { s.weekStartsFromMonday = 1; });
  velmo_test::EditSettings([](Settings& s) { s.timeTableStartsNine = 1; });
  BrowseState_SetCursorDate(Day(2024, 2, 4));  // a Sunday: last column
  Open(VIEW_WEEK);
  EXPECT_EQ(browse.cursorHour, 9);
  EXPECT_EQ(S().firstHour, 9);
  EXPECT_EQ(S().cursorColumn, 6);
  EXPECT_EQ(S().firstDay, Day(2024, 1, 29));

  BrowseState_SetCursorHour(99);  // a damaged continuation file
  velmo_test::EditSettings([](Settings& s) { s.timeTableStartsNine = 0; });
  Open(VIEW_DAY);
  EXPECT_EQ(browse.cursorHour, 23);
  EXPECT_EQ(S().firstHour, 13);
  EXPECT_EQ(S().cursorRow, 10);
  EXPECT_EQ(S().firstDay, browse.cursorDate);
}

TEST_F(TimeTables, BarsCoverTheirHoursAndStopAtTheWindow) {
  BrowseState_SetCursorHour(9);
  Schedule(Day(2024, 1, 30), 8, 30, 10, 15, "early");  // column 2, from before the window
  Schedule(Day(2024, 1, 29), 10, 0, 11, 0, "meeting");  // column 1, inside
  Open(VIEW_WEEK);
  const int x0 = kWeekLeft + 2 * kWeekColumn + 1, x1 = x0 + kWeekColumn - 2;
  EXPECT_EQ(Zeb_GetPixel(x0, kWeekTop + 10), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(x1, kWeekTop + 10), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(x0 + 40, kWeekTop), ZEB_LIGHT_GREY);  // no top edge
  EXPECT_EQ(Zeb_GetPixel(x0 + 40, kWeekTop + 17), ZEB_LIGHT_GREY);  // over the hour line
  EXPECT_EQ(Zeb_GetPixel(x0 + 40, kWeekTop + 21), ZEB_BLACK);       // 10:15
  EXPECT_EQ(Zeb_GetPixel(x0 + 40, kWeekTop + 22), ZEB_WHITE);
  EXPECT_EQ(Ink(x0 + 1, kWeekTop, x1 - x0 - 1, 21), 0);  // no text

  const int m0 = kWeekLeft + kWeekColumn + 1;
  EXPECT_EQ(Zeb_GetPixel(m0 + 40, kWeekTop + 17), ZEB_BLACK);  // 10:00
  EXPECT_EQ(Zeb_GetPixel(m0 + 40, kWeekTop + 34), ZEB_BLACK);  // 11:00
  EXPECT_GT(Ink(m0 + 2, kWeekTop + 18, 70, 16), 0);            // its text
  EXPECT_EQ(Zeb_GetPixel(m0 + 40, kWeekTop + 40), ZEB_WHITE);
}

TEST_F(TimeTables, ABarEndingOnTheWindowTopIsAOnePixelLine) {
  BrowseState_SetCursorHour(9);
  Schedule(browse.cursorDate, 7, 0, 9, 0);
  Schedule(browse.cursorDate, 19, 0, 23, 0);  // past the window's end: stays inside
  Open(VIEW_DAY);
  Key(KEY_DOWN);  // the cursor off row 0
  EXPECT_EQ(Zeb_GetPixel(100, kDayTop), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(100, kDayTop + 1), ZEB_WHITE);
  EXPECT_EQ(Zeb_GetPixel(100, kDayTop + 198 - 2), ZEB_LIGHT_GREY);  // no bottom edge
  // The frame stays open at the bar, where the hours area ends; an hour
  // scroll leaves it as a fresh drawing has it.
  EXPECT_EQ(Zeb_GetPixel(0, 219), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(196, 219), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(20, 219), ZEB_LIGHT_GREY);
  for (int i = 0; i < 12; ++i) Key(KEY_DOWN);
  EXPECT_EQ(Zeb_GetPixel(20, 219), ZEB_LIGHT_GREY);
  EXPECT_EQ(Zeb_GetPixel(196, 100), ZEB_BLACK);
}

TEST_F(TimeTables, BarRowsFollowTheWindow) {
  BrowseState_SetCursorHour(9);
  Open(VIEW_WEEK);  // 7 rows of 17: 9:00 .. 16:00, H = 119
  TimeTableBar bar{};
  ASSERT_TRUE(TimeTable_BarRows(8 * 60, 20 * 60, bar));  // crosses the window
  EXPECT_FALSE(bar.startVisible);
  EXPECT_FALSE(bar.endVisible);
  EXPECT_EQ(bar.top, 0);
  EXPECT_EQ(bar.bottom, 118);
  ASSERT_TRUE(TimeTable_BarRows(15 * 60, 16 * 60, bar));  // ends on the lower edge
  EXPECT_TRUE(bar.endVisible);
  EXPECT_EQ(bar.bottom, 119);
  ASSERT_TRUE(TimeTable_BarRows(16 * 60, 17 * 60, bar));  // starts on the lower edge
  EXPECT_TRUE(bar.startVisible);
  EXPECT_FALSE(bar.endVisible);
  EXPECT_EQ(bar.top, 119);
  EXPECT_EQ(bar.bottom, 118);
  EXPECT_FALSE(TimeTable_BarRows(6 * 60, 8 * 60, bar));
  EXPECT_FALSE(TimeTable_BarRows(11 * 60, 10 * 60, bar));  // end before start
}

TEST_F(TimeTables, ABarEndingOnTheWindowBottomClosesOnTheStripLine) {
  BrowseState_SetCursorHour(9);
  Schedule(Day(2024, 1, 30), 15, 0, 16, 0);  // column 2, the window's last hour
  Open(VIEW_WEEK);
  const int x = kWeekLeft + 2 * kWeekColumn + 40;
  EXPECT_EQ(Zeb_GetPixel(x, kWeekTop + 17 * 6), ZEB_BLACK);        // top edge at 15:00
  EXPECT_EQ(Zeb_GetPixel(x, kWeekTop + 118), ZEB_LIGHT_GREY);      // the hour's last row
  EXPECT_EQ(Zeb_GetPixel(x, kWeekTop + 119), ZEB_BLACK);           // bottom edge = strip line
  EXPECT_EQ(Zeb_GetPixel(kWeekLeft + 2 * kWeekColumn + 1, kWeekTop + 118), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(x, kWeekTop + 121), ZEB_WHITE);

  // 23:00 to 24:00 in the one-day view: that edge would lie on the
  // function-key bar's first row, so it closes the bar on the view's last row.
  Store_Init();
  BrowseState_SetCursorHour(13);
  Schedule(browse.cursorDate, 23, 0, 24, 0);
  Zeb_SetColor(nwContext, ZEB_LIGHT_GREY);
  Zeb_FillBox(nwContext, ZebRect{0, 220, 640, 20});
  Open(VIEW_DAY);
  EXPECT_EQ(Zeb_GetPixel(100, kDayTop + 18 * 10), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(100, 218), ZEB_LIGHT_GREY);
  EXPECT_EQ(Zeb_GetPixel(100, 219), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(100, 220), ZEB_LIGHT_GREY);
}

TEST_F(TimeTables, HourKeysMoveAndExtendTheSelection) {
  BrowseState_SetCursorHour(20);
  Open(VIEW_WEEK);  // window 17:00 .. 23:00, cursor in row 3
  EXPECT_EQ(S().firstHour, 17);
  EXPECT_TRUE(Key(VIEW_KEY_HOURS_EXTEND));
  EXPECT_TRUE(Key(VIEW_KEY_HOURS_EXTEND));
  EXPECT_EQ(browse.cursorHour, 20);
  EXPECT_EQ(browse.hourSpan, 3);
  EXPECT_EQ(S().cursorRow, 5);
  const ZebRect sel = TimeTable_CursorRect();
  EXPECT_EQ(sel.y, kWeekTop + 17 * 3);
  EXPECT_EQ(sel.h, 17 * 3);
  EXPECT_EQ(Zeb_GetPixel(kWeekLeft + 3 * kWeekColumn + 40, kWeekTop + 17 * 3 + 5), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(kWeekLeft + 3 * kWeekColumn + 40, kWeekTop + 17 * 2 + 5), ZEB_WHITE);
  for (int i = 0; i < 5; ++i) Key(VIEW_KEY_HOURS_EXTEND);  // stops at 23:00
  EXPECT_EQ(browse.hourSpan, 4);
  EXPECT_EQ(S().cursorRow, 6);
  EXPECT_TRUE(Key(VIEW_KEY_HOURS_SHRINK));
  EXPECT_EQ(browse.hourSpan, 3);
  EXPECT_EQ(S().cursorRow, 5);
  EXPECT_TRUE(Key(KEY_DOWN));  // collapse onto 22:00, then 23:00
  EXPECT_EQ(browse.cursorHour, 23);
  EXPECT_EQ(browse.hourSpan, 1);
  EXPECT_EQ(S().cursorRow, 6);
  Key(VIEW_KEY_HOURS_EXTEND);  // from 23:00: nothing
  Key(KEY_DOWN);
  EXPECT_EQ(browse.cursorHour, 23);
  EXPECT_EQ(browse.hourSpan, 1);
  EXPECT_EQ(S().cursorRow, 6);
  EXPECT_FALSE(Key(Key_Special(KEY_UP, true, false)));  // SHIFT+up
  EXPECT_FALSE(Key(Key_Special(KEY_DOWN, true, false)));
  for (int i = 0; i < 7; ++i) Key(VIEW_KEY_UP);  // scrolls the window at row 0
  EXPECT_EQ(browse.cursorHour, 16);
  EXPECT_EQ(S().firstHour, 16);
  EXPECT_EQ(S().cursorRow, 0);
  Key(VIEW_KEY_HOURS_SHRINK);
  EXPECT_EQ(browse.cursorHour, 15);
  EXPECT_EQ(S().firstHour, 15);
  EXPECT_EQ(Zeb_GetPixel(kWeekLeft + 3 * kWeekColumn + 40, kWeekTop + 5), ZEB_BLACK);
}

TEST_F(TimeTables, TheStripListsUntimedSchedulesAndHolidaysAmongTheFirstOccurrences) {
  const DayNo day = Day(2024, 1, 30);
  SetText(AddEntry(KIND_HOLIDAY, day), "holiday");
  Schedule(day, 9, 0, 0, 0, "untimed");
  Schedule(day, 10, 0, 11, 0, "timed");
  Schedule(day, 12, 0, 0, 0, "fourth");  // fourth occurrence: not in view 6's strip
  Open(VIEW_WEEK);
  const int x = kWeekLeft + 2 * kWeekColumn, top = kWeekTop + 119;
  EXPECT_EQ(Zeb_GetPixel(x + 80, top + 1), ZEB_LIGHT_GREY);  // a holiday
  EXPECT_EQ(Zeb_GetPixel(x + 40, top), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(x, top + 30), ZEB_DARK_GREY);
  EXPECT_GT(Ink(x + 2, top + 2, 80, 16), 0);
  EXPECT_GT(Ink(x + 2, top + 19, 80, 16), 0);
  EXPECT_EQ(Ink(x + 2, top + 36, 80, 16), 0);
  EXPECT_EQ(Zeb_GetPixel(kWeekLeft + 3 * kWeekColumn + 80, top + 1), ZEB_WHITE);
  EXPECT_EQ(Zeb_GetPixel(kWeekLeft + 80, top + 1), ZEB_LIGHT_GREY);  // Sunday

  Open(VIEW_WEEK_LIST);  // four lines: now the fourth shows
  const int lx = kListLeft + 2 * kListColumn, ltop = kListTop + 130;
  EXPECT_GT(Ink(lx + 2, ltop + 2 + 2 * 13, 60, 12), 0);
  EXPECT_EQ(Zeb_GetPixel(100, 220), ZEB_LIGHT_GREY);  // nothing below the view area
}

TEST_F(TimeTables, LeftAndRightWrapTheWeekAndPagesKeepTheColumn) {
  Open(VIEW_WEEK_LIST);
  Key(KEY_DOWN);
  Key(VIEW_KEY_HOURS_EXTEND);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(Key(KEY_RIGHT));  // Saturday
  EXPECT_EQ(browse.hourSpan, 1);
  EXPECT_EQ(browse.cursorHour, 2);
  EXPECT_EQ(S().cursorColumn, 6);
  EXPECT_TRUE(Key(VIEW_KEY_RIGHT));
  EXPECT_EQ(browse.cursorDate, Day(2024, 2, 4));
  EXPECT_EQ(S().cursorColumn, 0);
  EXPECT_EQ(S().firstDay, Day(2024, 2, 4));
  EXPECT_EQ(browse.statusDelay, 2);
  EXPECT_TRUE(Key(KEY_LEFT));
  EXPECT_EQ(S().cursorColumn, 6);
  EXPECT_EQ(S().firstDay, Day(2024, 1, 28));
  EXPECT_TRUE(Key(KEY_PAGEUP));
  EXPECT_EQ(browse.cursorDate, Day(2024, 1, 27));
  EXPECT_EQ(S().firstDay, Day(2024, 1, 21));
  EXPECT_EQ(S().cursorColumn, 6);
  EXPECT_TRUE(Key(KEY_PAGEDOWN));
  EXPECT_EQ(browse.cursorDate, Day(2024, 2, 3));
  EXPECT_EQ(S().cursorRow, 2);  // the hour window stayed

  BrowseState_SetCursorDate(Day(1901, 1, 2));
  View_Command(3003);
  Key(KEY_PAGEUP);
  Key(KEY_LEFT);
  Key(KEY_LEFT);
  EXPECT_EQ(browse.cursorDate, VIEW_FIRST_DAY);
  EXPECT_EQ(S().firstDay + S().cursorColumn, VIEW_FIRST_DAY);
}

TEST_F(TimeTables, TheDayViewShowsTheNewDayAtOnce) {
  Open(VIEW_DAY);
  const std::string before = Title_Text();
  EXPECT_TRUE(Key(KEY_LEFT));
  EXPECT_EQ(browse.cursorDate, Day(2024, 1, 30));
  EXPECT_EQ(S().firstDay, Day(2024, 1, 30));
  EXPECT_NE(before, Title_Text());
  char expected[TITLE_FORMAT_BYTES];
  Screen_FormatDateLine(expected, sizeof expected);
  EXPECT_NE(std::string(Title_Text()).find(expected), std::string::npos);
  EXPECT_TRUE(Key(VIEW_KEY_RIGHT));
  EXPECT_EQ(browse.cursorDate, Day(2024, 1, 31));
  EXPECT_FALSE(Key(KEY_PAGEUP));
  EXPECT_FALSE(Key(KEY_PAGEDOWN));
  EXPECT_EQ(browse.cursorDate, Day(2024, 1, 31));
  EXPECT_FALSE(View_Command(3002));
}

TEST_F(TimeTables, AMoveEndsItemSelectionAndTakesTheHighlightAway) {
  for (std::uint16_t view : {VIEW_WEEK_LIST, VIEW_DAY}) {
    Store_Init();
    Schedule(browse.cursorDate, 10, 0, 11, 0, "a");
    Schedule(browse.cursorDate, 12, 0, 13, 0, "b");
    Open(view);
    const ZebRect row = DayList_RowRect(0);
    const int paper = Zeb_GetPixel(row.x + row.w - 3, row.y + 2);
    EXPECT_TRUE(Key(VIEW_KEY_NEXT_ITEM));
    EXPECT_EQ(browse.selectionState, VIEW_SEL_ITEM);
    EXPECT_NE(Zeb_GetPixel(row.x + row.w - 3, row.y + 2), paper);
    for (int key : {KEY_DOWN, VIEW_KEY_HOURS_EXTEND, KEY_LEFT}) {
      Key(VIEW_KEY_NEXT_ITEM);
      EXPECT_EQ(browse.selectionState, VIEW_SEL_ITEM);
      Key(key);
      EXPECT_EQ(browse.selectionState, VIEW_SEL_HOUR) << view << " " << key;
      EXPECT_EQ(View_SelectedIndex(), 0);
      EXPECT_EQ(Zeb_GetPixel(row.x + row.w - 3, row.y + 2), paper) << view << " " << key;
    }
    Key(KEY_RIGHT);
  }
  Open(VIEW_WEEK);  // no list: the item keys do nothing
  EXPECT_FALSE(Key(VIEW_KEY_NEXT_ITEM));
  EXPECT_EQ(browse.selectionState, VIEW_SEL_HOUR);
}

TEST_F(TimeTables, TheNowCommandReanchorsOnTheCursorHour) {
  velmo_test::EditSettings([](Settings& s) { s.timeTableStartsNine = 1; });
  Open(VIEW_WEEK);
  Key(KEY_PAGEDOWN);
  Key(VIEW_KEY_HOURS_EXTEND);
  BrowseState_SetCursorDate(browse.today);
  BrowseState_SetCursorHour(15);
  EXPECT_TRUE(View_Command(3003));
  EXPECT_EQ(S().firstHour, 15);
  EXPECT_EQ(browse.hourSpan, 1);
  EXPECT_EQ(S().firstDay, Day(2024, 1, 7));
  EXPECT_FALSE(View_Command(3004));
}

TEST_F(TimeTables, TextIsCutAtTheLimitAndWholeCharactersOnly) {
  EXPECT_EQ(ShiftJis_Fit("abc\ndef", 7, 10), 7);  // a line feed is a character
  EXPECT_EQ(ShiftJis_Fit("a\r\0b", 4, 10), 4);
  EXPECT_EQ(ShiftJis_Fit("abcdefghijkl", 12, 10), 10);
  EXPECT_EQ(ShiftJis_Fit("abcdefghi\x93\xfa", 11, 10), 9);  // 日 would be split
  EXPECT_EQ(ShiftJis_Fit(nullptr, 5, 10), 0);
}

}  // namespace
