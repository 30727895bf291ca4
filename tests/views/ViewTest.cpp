// The view framework: dispatch by view number, switching, going back, the
// display sizes, and the day-list selection that the list views share.
#include <string>
#include <vector>

#include "files/Record.h"
#include "graphics/ZebKey.h"
#include "support/Entries.h"
#include "support/Headless.h"
#include "views/DayList.h"
#include "views/ThreeMonths.h"
#include "views/TimeTable.h"
#include "views/ViewFixture.h"
#include "views/Weeks.h"

namespace {

using ViewFramework = ViewFixture;

TEST_F(ViewFramework, NumbersWithoutAViewCreateButTakeNothing) {
  for (std::uint16_t v : {0, 1, 9, 11, 65535}) {
    BrowseState_SetView(v);
    BrowseState_SetCursorDate(0);  // as a damaged continuation file may give
    EXPECT_EQ(View_Ops(v), nullptr) << v;
    EXPECT_TRUE(View_CreateCurrent()) << v;
    EXPECT_EQ(browse.cursorDate, VIEW_FIRST_DAY) << v;  // the item commands use it
    EXPECT_FALSE(View_Key(KEY_UP, 0)) << v;
    EXPECT_FALSE(View_Command(CMD_NOW)) << v;
    View_RedrawAll();
    View_StatusTick();
  }
  for (std::uint16_t v = VIEW_THREE_MONTHS; v <= VIEW_DAY; ++v) EXPECT_NE(View_Ops(v), nullptr) << v;
}

TEST_F(ViewFramework, DestroyClearsTheMainArea) {
  View_CreateCurrent();
  View_RedrawAll();
  View_DestroyCurrent();
  for (int y = 21; y <= 220; y += 11) {
    for (int x = 0; x < 640; x += 13) ASSERT_EQ(Zeb_GetPixel(x, y), ZEB_LIGHT_GREY) << x << "," << y;
  }
}

TEST_F(ViewFramework, SwitchingToTheShownViewChangesNothing) {
  View_CreateCurrent();
  BrowseState_SetPreviousView(VIEW_DAY);
  EXPECT_TRUE(View_SwitchTo(VIEW_THREE_MONTHS));
  EXPECT_EQ(browse.currentView, VIEW_THREE_MONTHS);
  EXPECT_EQ(browse.previousView, VIEW_DAY);
}

TEST_F(ViewFramework, GoingBackReturnsToTheViewTheCalendarWasOpenedFrom) {
  BrowseState_SetView(VIEW_WEEK_LIST);
  View_CreateCurrent();
  EXPECT_TRUE(View_SwitchTo(VIEW_THREE_MONTHS));
  EXPECT_EQ(browse.previousView, VIEW_WEEK_LIST);
  EXPECT_EQ(ThreeMonths_State().cursorBlock, 1);
  View_GoBack();
  EXPECT_EQ(browse.currentView, VIEW_WEEK_LIST);
  EXPECT_EQ(browse.previousView, VIEW_THREE_MONTHS);
  EXPECT_EQ(browse.cursorDate, Day(2024, 1, 31));
}

TEST_F(ViewFramework, DisplaySizeCyclesTheFamiliesAndRemembersTheSize) {
  BrowseState_SetView(VIEW_FIVE_WEEKS);
  for (std::uint16_t expected : {VIEW_THREE_WEEKS, VIEW_TWO_WEEKS, VIEW_FIVE_WEEKS}) {
    EXPECT_TRUE(View_ChangeSize());
    EXPECT_EQ(browse.currentView, expected);
    EXPECT_EQ(browse.weeksView, expected);
    EXPECT_EQ(browse.previousView, expected);
  }
  BrowseState_SetView(VIEW_WEEK);
  EXPECT_TRUE(View_ChangeSize());
  EXPECT_EQ(browse.currentView, VIEW_WEEK_LIST);
  EXPECT_EQ(browse.weekView, VIEW_WEEK_LIST);
  EXPECT_TRUE(View_ChangeSize());
  EXPECT_EQ(browse.weekView, VIEW_WEEK);

  for (std::uint16_t v : {VIEW_THREE_MONTHS, VIEW_DAY, VIEW_LIST}) {
    BrowseState_SetView(v);
    BrowseState_SetPreviousView(VIEW_WEEK);
    EXPECT_FALSE(View_ChangeSize());
    EXPECT_EQ(browse.currentView, v);
    EXPECT_EQ(browse.previousView, VIEW_WEEK);
  }
}

TEST_F(ViewFramework, TimeTablesAreTheWeekAndDayViews) {
  for (std::uint16_t v = 0; v < 12; ++v) {
    BrowseState_SetView(v);
    EXPECT_EQ(View_IsTimeTable(), v >= VIEW_WEEK && v <= VIEW_DAY) << v;
  }
}

// A view's row says what its own source file knows: its layouts, its list,
// and sizes that cycle inside its family.
TEST_F(ViewFramework, EachViewsRowAgreesWithItsLayouts) {
  for (std::uint16_t v = 0; v < 12; ++v) {
    const ViewRow* row = View_Row(v);
    ASSERT_EQ(row != nullptr, v >= VIEW_THREE_MONTHS && v <= VIEW_DAY) << v;
    BrowseState_SetView(v);
    if (row == nullptr) {
      EXPECT_FALSE(View_HasList()) << v;
      continue;
    }
    EXPECT_EQ(row->view, v);
    EXPECT_EQ(row->ops, View_Ops(v));
    EXPECT_EQ(row->timeTable, TimeTable_Layout(v) != nullptr) << v;
    EXPECT_EQ(row->list, DayList_Layout(v) != nullptr) << v;
    EXPECT_EQ(View_HasList(), row->list) << v;
    const WeeksLayout* weeks = Weeks_Layout(v);
    EXPECT_EQ(weeks != nullptr && weeks->dayList, weeks != nullptr && row->list) << v;
    EXPECT_EQ(row->nextSize != 0, row->remembered != nullptr) << v;
    if (row->nextSize != 0) {
      const ViewRow* next = View_Row(row->nextSize);
      ASSERT_NE(next, nullptr) << v;
      EXPECT_EQ(next->ops, row->ops) << v;
      EXPECT_EQ(next->remembered, row->remembered) << v;
    }
  }
}

TEST_F(ViewFramework, ClampKeepsDaysInsideTheBounds) {
  EXPECT_EQ(View_ClampDay(-7), VIEW_FIRST_DAY);
  EXPECT_EQ(View_ClampDay(0), VIEW_FIRST_DAY);
  EXPECT_EQ(View_ClampDay(VIEW_FIRST_DAY + 1), VIEW_FIRST_DAY + 1);
  EXPECT_EQ(View_ClampDay(65535 + 1), VIEW_LAST_DAY);
  EXPECT_EQ(VIEW_FIRST_DAY, Day(1901, 1, 1));
  EXPECT_EQ(VIEW_LAST_DAY, Day(2078, 12, 31));
}

// A day list of three visible rows at (100, 100), 200 wide, rows of 10.
class DayList : public ViewFixture {
 protected:
  static inline int redraws = 0;
  static void Redraw() { ++redraws; }

  void SetUp() override {
    ViewFixture::SetUp();
    redraws = 0;
    BrowseState_SetView(VIEW_LIST);  // no view of its own: the list alone
    ViewDayList list{};
    list.visibleRows = 3;
    list.x = 100;
    list.y = 100;
    list.width = 200;
    list.rowHeight = 10;
    list.redraw = Redraw;
    list.shownDay = browse.cursorDate;  // as if drawn
    View_BeginCellState(VIEW_SEL_DAY, &list);
  }
  static void Entries(int n) {
    for (int i = 0; i < n; ++i) AddEntry(KIND_SCHEDULE, browse.cursorDate);
  }
  static bool Sel(int key) { return View_SelectItemKey(key); }
  static int RowInk(int row) { return Zeb_GetPixel(150, 100 + 10 * row + 5); }
};

TEST_F(DayList, FirstKeyOnlyHighlightsThenKeysMoveAndScroll) {
  Entries(5);
  EXPECT_TRUE(Sel(VIEW_KEY_NEXT_ITEM));
  EXPECT_EQ(browse.selectionState, VIEW_SEL_ITEM);
  EXPECT_EQ(View_SelectedIndex(), 0);
  EXPECT_EQ(RowInk(0), ZEB_DARK_GREY);  // light grey inverted
  Sel(VIEW_KEY_NEXT_ITEM);
  Sel(VIEW_KEY_NEXT_ITEM);
  EXPECT_EQ(View_SelectedIndex(), 2);
  EXPECT_EQ(RowInk(0), ZEB_LIGHT_GREY);
  EXPECT_EQ(RowInk(2), ZEB_DARK_GREY);
  EXPECT_EQ(redraws, 0);
  Sel(VIEW_KEY_NEXT_ITEM);  // past the last visible row: scroll one down
  EXPECT_EQ(View_SelectedIndex(), 3);
  EXPECT_EQ(View_DayList().top, 1);
  EXPECT_EQ(redraws, 1);
  Sel(VIEW_KEY_NEXT_ITEM);
  Sel(VIEW_KEY_NEXT_ITEM);  // at the last occurrence: stays
  EXPECT_EQ(View_SelectedIndex(), 4);
  EXPECT_EQ(View_DayList().top, 2);
  Sel(VIEW_KEY_PREV_ITEM);
  Sel(VIEW_KEY_PREV_ITEM);
  EXPECT_EQ(View_SelectedIndex(), 2);
  EXPECT_EQ(View_DayList().top, 2);
  Sel(VIEW_KEY_PREV_ITEM);  // at the top row: scroll one up
  EXPECT_EQ(View_SelectedIndex(), 1);
  EXPECT_EQ(View_DayList().top, 1);
  Sel(VIEW_KEY_PREV_ITEM);
  Sel(VIEW_KEY_PREV_ITEM);
  EXPECT_EQ(View_SelectedIndex(), 0);
  EXPECT_EQ(View_DayList().top, 0);
}

TEST_F(DayList, ADayWithoutOccurrencesSelectsNothing) {
  EXPECT_TRUE(Sel(VIEW_KEY_NEXT_ITEM));
  EXPECT_EQ(browse.selectionState, VIEW_SEL_DAY);
  EXPECT_EQ(RowInk(0), ZEB_LIGHT_GREY);
}

TEST_F(DayList, ViewsWithoutAListIgnoreTheSelectionKeys) {
  Entries(2);
  View_BeginCellState(VIEW_SEL_HOUR, nullptr);
  EXPECT_FALSE(Sel(VIEW_KEY_NEXT_ITEM));
  EXPECT_EQ(browse.selectionState, VIEW_SEL_HOUR);
}

TEST_F(DayList, ACursorMoveEndsTheSelection) {
  Entries(5);
  for (int i = 0; i < 4; ++i) Sel(VIEW_KEY_NEXT_ITEM);
  View_MoveCursor(browse.cursorDate + 1);
  EXPECT_EQ(browse.selectionState, VIEW_SEL_DAY);
  EXPECT_EQ(View_SelectedIndex(), 0);
  EXPECT_EQ(View_DayList().top, 0);
}

TEST_F(DayList, RefreshAfterAnEditClampsTheIndexToTheCount) {
  Entries(5);
  for (int i = 0; i < 5; ++i) Sel(VIEW_KEY_NEXT_ITEM);
  ASSERT_EQ(View_SelectedIndex(), 4);
  Store_Delete(Store_At(4));
  Store_Delete(Store_At(3));
  View_RefreshAfterEdit();
  EXPECT_EQ(View_SelectedIndex(), 2);
  EXPECT_EQ(View_DayList().top, 0);
  EXPECT_EQ(browse.selectionState, VIEW_SEL_ITEM);
  for (std::uint16_t i = 0; i < 3; ++i) Store_Delete(Store_At(i));
  View_RefreshAfterEdit();
  EXPECT_EQ(View_SelectedIndex(), 0);
  EXPECT_EQ(browse.selectionState, VIEW_SEL_DAY);
}

TEST_F(DayList, RefreshKeepsTheSelectedRowVisible) {
  Entries(6);
  for (int i = 0; i < 6; ++i) Sel(VIEW_KEY_NEXT_ITEM);
  ASSERT_EQ(View_SelectedIndex(), 5);
  View_RefreshAfterEdit();
  EXPECT_EQ(View_DayList().top, 3);
}

// --- end to end: entry texts --------------------------------------------

// A timed and an untimed schedule with `text` on Wednesday 6 March 2024.
std::string RecordWithText(const std::string& text) {
  Store_Init();
  static std::string kept;
  kept = text;
  for (int timed = 0; timed < 2; ++timed) {
    Entry* e = velmo_test::NewEntry(KIND_SCHEDULE, Date_ToDayNo(2024, 3, 6), Date_ToDayNo(2024, 3, 6));
    if (timed != 0) {
      e->startHour = 10;
      e->endHour = 12;
    }
    e->text = kept.data();
    e->textLen = static_cast<std::uint16_t>(kept.size());
    EXPECT_TRUE(Store_Register(e));
  }
  return velmo_test::RecordOfStore();
}

// Every view with texts (grids, bars, strips, day lists), one shot each.
std::vector<velmo_test::Picture> ShotsOfEveryView(const std::string& text) {
  velmo_test::HeadlessFolder folder;
  folder.Write("record", RecordWithText(text));
  folder.Write("continue", "CurrentDate: " + std::to_string(Date_ToDayNo(2024, 3, 6)) + "\nCurrentView: 2\n");
  const auto run = folder.Run(
      "F8\nshot 5.png\nF6\nshot 3.png\nF6\nshot 4.png\nF9\nshot 7.png\nF6\nshot 6.png\n"
      "F10\nshot 8.png\nq\n",
      {.now = "2024-03-06T10:20"});
  EXPECT_EQ(run.status, 0) << run.errors;
  std::vector<velmo_test::Picture> shots;
  for (const char* name : {"5.png", "3.png", "4.png", "7.png", "6.png", "8.png"}) shots.push_back(folder.Shot(name));
  return shots;
}

// A line feed is a character like any other: the text goes on after it.
TEST(ViewTextRun, EveryViewDrawsTheTextPastALineFeed) {
  const auto cut = ShotsOfEveryView("\x88\xea\x8d\x73\x96\xda");                       // 一行目
  const auto whole = ShotsOfEveryView("\x88\xea\x8d\x73\x96\xda\n\x93\xf1\x8d\x73\x96\xda");  // 一行目\n二行目
  struct Part {
    const char* view;
    int left, right;  // columns of the grid, time table or day list
  };
  // In shot order: grids (5, 3), grid and list (4), table and list (7),
  // table with strips (6), one-day table and list (8).
  const std::vector<std::vector<Part>> parts = {
      {{"5 grid", 0, 640}}, {{"3 grid", 0, 640}}, {{"4 grid", 0, 448}, {"4 list", 449, 640}},
      {{"7 table", 0, 473}, {"7 list", 474, 640}}, {{"6 table", 0, 640}},
      {{"8 table", 0, 196}, {"8 list", 197, 640}}};
  for (std::size_t i = 0; i < cut.size(); ++i) {
    ASSERT_TRUE(cut[i].Valid() && whole[i].Valid());
    for (const Part& part : parts[i]) {
      EXPECT_FALSE(cut[i].SameIn(whole[i], part.left, 21, part.right - part.left, 199)) << part.view;
    }
  }
}

}  // namespace
