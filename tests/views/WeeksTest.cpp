// The several-weeks grids: call by call through the view framework, and end
// to end through velmo-headless with a real record file.
#include "views/Weeks.h"

#include <cstring>
#include <string>

#include "files/Record.h"
#include "files/Settings.h"
#include "graphics/ZebKey.h"
#include "support/Entries.h"
#include "support/Headless.h"
#include "views/DayList.h"
#include "views/ViewFixture.h"
#include "support/SettingsEdit.h"

namespace {

using velmo_test::Ink;


class Weeks : public ViewFixture {
 protected:
  void Open(std::uint16_t view) {
    BrowseState_SetView(view);
    ASSERT_TRUE(View_CreateCurrent());
    View_RedrawAll();
  }
  static Entry* Add(EntryKind kind, DayNo day, const char* text = "abc") {
    Entry* e = AddEntry(kind, day);
    e->text = const_cast<char*>(text);
    e->textLen = static_cast<std::uint16_t>(std::strlen(text));
    return e;
  }
  static const WeeksState& S() { return Weeks_State(); }
};

TEST_F(Weeks, CreateAnchorsTheCursorWeekOnTheTopRow) {
  Open(VIEW_TWO_WEEKS);  // 31 January 2024, a Wednesday
  EXPECT_EQ(S().column, 3);
  EXPECT_EQ(S().row, 0);
  EXPECT_EQ(S().firstDay, Day(2024, 1, 28));
  EXPECT_EQ(browse.selectionState, VIEW_SEL_DAY);
  // Cursor cell inverted: white paper turned black.
  EXPECT_EQ(Zeb_GetPixel(91 * 3 + 45, 40 + 80), ZEB_BLACK);

  velmo_test::EditSettings([](Settings& s) { s.weekStartsFromMonday = 1; });
  BrowseState_SetCursorDate(Day(2024, 2, 4));  // a Sunday
  Open(VIEW_FIVE_WEEKS);
  EXPECT_EQ(S().column, 6);
  EXPECT_EQ(S().firstDay, Day(2024, 1, 29));
  velmo_test::EditSettings([](Settings& s) { s.weekStartsFromMonday = 0; });
}

TEST_F(Weeks, CellsShowLabelsBordersAndEntryLines) {
  Add(KIND_HOLIDAY, Day(2024, 2, 2), "hol");
  for (int i = 0; i < 4; ++i) Add(KIND_SCHEDULE, Day(2024, 1, 30));
  Add(KIND_TASK, Day(2024, 1, 30));
  for (int i = 0; i < 5; ++i) Add(KIND_SCHEDULE, Day(2024, 2, 1));
  SetToday(2024, 1, 29);
  BrowseState_SetCursorDate(Day(2024, 1, 28));
  Open(VIEW_TWO_WEEKS);
  // Row 0: 28 Jan .. 3 Feb; cells 91 x 91 from y 40.
  const auto x0 = [](int c) { return 91 * c; };
  EXPECT_EQ(Zeb_GetPixel(x0(5) + 50, 40 + 80), ZEB_LIGHT_GREY);  // holiday 2 Feb
  EXPECT_EQ(Zeb_GetPixel(x0(2) + 50, 40 + 80), ZEB_WHITE);
  // Today's label box (29 Jan, "29") filled black; 1 Feb labelled " 2/ 1".
  EXPECT_EQ(Zeb_GetPixel(x0(1) + 1, 40), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(x0(1) + 18, 40 + 16), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(x0(4) + 42, 40 + 5), ZEB_DARK_GREY);  // right edge of a 5-wide box
  EXPECT_EQ(Zeb_GetPixel(x0(4), 60), ZEB_BLACK);               // the 1st's dark left line
  EXPECT_EQ(Zeb_GetPixel(x0(2), 60), ZEB_DARK_GREY);
  EXPECT_EQ(Zeb_GetPixel(x0(3) + 50, 130), ZEB_BLACK);  // 31 Jan: last-seven bottom
  EXPECT_EQ(Zeb_GetPixel(x0(3) + 50, 129), ZEB_LIGHT_GREY);
  // Entry lines at y0 + 17 + 18 i, from x0 + 6: four schedules, no "↓";
  // five schedules: the mark at the right of the date row.
  EXPECT_GT(Ink(x0(2) + 6, 40 + 17 + 18 * 3, 30, 16), 0);
  EXPECT_EQ(Ink(x0(2) + 70, 40, 20, 16), 0);
  EXPECT_GT(Ink(x0(4) + 70, 40, 20, 16), 0);
  // Header: black line at each column, weekday on grey.
  EXPECT_EQ(Zeb_GetPixel(91, 30), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(93, 30), ZEB_LIGHT_GREY);
}

TEST_F(Weeks, MovesWrapRowsAndScrollOneWeekAtTheEnds) {
  BrowseState_SetCursorDate(Day(2024, 1, 31));
  Open(VIEW_TWO_WEEKS);
  ASSERT_TRUE(Key(KEY_DOWN));
  EXPECT_EQ(S().row, 1);
  for (int i = 0; i < 3; ++i) Key(KEY_RIGHT);  // to Saturday, bottom-right
  EXPECT_EQ(S().column, 6);
  ASSERT_TRUE(Key(KEY_RIGHT));  // one week on, not a page
  EXPECT_EQ(S().firstDay, Day(2024, 2, 4));
  EXPECT_EQ(S().row, 1);
  EXPECT_EQ(S().column, 0);
  EXPECT_EQ(browse.cursorDate, Day(2024, 2, 11));
  EXPECT_EQ(browse.statusDelay, 2);
  ASSERT_TRUE(Key(VIEW_KEY_UP));
  ASSERT_TRUE(Key(KEY_LEFT));  // above row 0: scroll back
  EXPECT_EQ(S().firstDay, Day(2024, 1, 28));
  EXPECT_EQ(S().column, 6);
  EXPECT_EQ(browse.cursorDate, Day(2024, 2, 3));
  ASSERT_TRUE(Key(KEY_PAGEDOWN));
  EXPECT_EQ(S().firstDay, Day(2024, 2, 11));
  EXPECT_EQ(browse.cursorDate, Day(2024, 2, 17));
  // The grid shown equals a fresh drawing of the same anchor.
  std::vector<int> after;
  for (int y = 40; y < 220; y += 3) after.push_back(Zeb_GetPixel(50, y));
  View_RedrawAll();
  std::vector<int> fresh;
  for (int y = 40; y < 220; y += 3) fresh.push_back(Zeb_GetPixel(50, y));
  EXPECT_EQ(after, fresh);
  EXPECT_FALSE(Key(VIEW_KEY_NEXT_ITEM));  // no list in view 5
}

TEST_F(Weeks, ScrollingMatchesAFreshDrawing) {
  Add(KIND_SCHEDULE, Day(2024, 1, 24));
  for (std::uint16_t v : {VIEW_FIVE_WEEKS, VIEW_THREE_WEEKS, VIEW_TWO_WEEKS}) {
    const int width = Weeks_Layout(v)->width;
    const auto grid = [width] {
      std::vector<int> pixels;
      for (int y = 37; y < 220; ++y)
        for (int x = 0; x < width; x += 3) pixels.push_back(Zeb_GetPixel(x, y));
      return pixels;
    };
    BrowseState_SetCursorDate(Day(2024, 1, 31));
    Open(v);
    // The function-key bar below the grid must not be scrolled into it.
    Zeb_SetColor(nwContext, ZEB_BLACK);
    Zeb_FillBox(nwContext, ZebRect{0, 220, 640, 20});
    Key(KEY_UP);  // scrolls down one row
    const std::vector<int> down = grid();
    View_RedrawAll();
    EXPECT_EQ(down, grid()) << v;
    const int rows = Weeks_Layout(v)->rows;
    for (int i = 0; i < rows; ++i) Key(KEY_DOWN);  // the last step scrolls up
    EXPECT_EQ(S().row, rows - 1);
    const std::vector<int> up = grid();
    View_RedrawAll();
    EXPECT_EQ(up, grid()) << v;
  }
}

TEST_F(Weeks, TheGridLeavesTheFunctionKeyBarAlone) {
  Zeb_SetColor(nwContext, ZEB_LIGHT_GREY);
  Zeb_FillBox(nwContext, ZebRect{0, 220, 640, 20});
  BrowseState_SetCursorDate(Day(2024, 1, 31));
  for (std::uint16_t v : {VIEW_FIVE_WEEKS, VIEW_THREE_WEEKS, VIEW_TWO_WEEKS}) {
    Open(v);
    for (int i = 0; i < 14; ++i) Key(KEY_DOWN);
    EXPECT_EQ(Ink(0, 220, 640, 2), 0) << v;
  }
}

TEST_F(Weeks, TheLastRowsEntryLinesStopAboveTheFunctionKeyBar) {
  // View 4's bottom row starts at y 160; its fourth line at 160 + 13 + 3 * 12
  // is twelve pixels high and would end on the bar's first row.
  const DayNo day = Day(2024, 2, 14);
  for (int i = 0; i < 4; ++i) Add(KIND_SCHEDULE, day, "\x81\xa1\x81\xa1\x81\xa1\x81\xa1\x81\xa1");  // ■
  Zeb_SetColor(nwContext, ZEB_LIGHT_GREY);
  Zeb_FillBox(nwContext, ZebRect{0, 220, 640, 20});
  BrowseState_SetCursorDate(Day(2024, 1, 31));
  Open(VIEW_THREE_WEEKS);
  const int x = 64 * 3 + 3;  // Wednesday 14 February: column 3, row 2
  EXPECT_GT(Ink(x, 209, 60, 11), 0);
  int bar = 0;
  for (int i = 0; i <= 448; ++i) bar += Zeb_GetPixel(i, 220) == ZEB_LIGHT_GREY;
  EXPECT_EQ(bar, 449);
}

TEST_F(Weeks, ViewFourSelectsItemsAndItsTickRedrawsTheList) {
  BrowseState_SetCursorDate(Day(2024, 1, 31));
  Add(KIND_SCHEDULE, Day(2024, 1, 31));
  Add(KIND_SCHEDULE, Day(2024, 1, 31));
  Open(VIEW_THREE_WEEKS);
  EXPECT_EQ(Zeb_GetPixel(448, 100), ZEB_BLACK);  // separator
  ASSERT_TRUE(Key(VIEW_KEY_NEXT_ITEM));
  ASSERT_TRUE(Key(VIEW_KEY_NEXT_ITEM));
  EXPECT_EQ(browse.selectionState, VIEW_SEL_ITEM);
  EXPECT_EQ(View_SelectedIndex(), 1);
  EXPECT_EQ(Zeb_GetPixel(620, 42 + 15 + 7), ZEB_BLACK);
  Key(KEY_RIGHT);  // ends the selection and takes its highlight away
  EXPECT_EQ(browse.selectionState, VIEW_SEL_DAY);
  EXPECT_EQ(View_SelectedIndex(), 0);
  EXPECT_EQ(Zeb_GetPixel(620, 42 + 15 + 7), ZEB_WHITE);
  View_StatusTick();
  View_StatusTick();  // 1 February: an empty list
  EXPECT_EQ(Ink(450, 43, 180, 12), 0);
  EXPECT_TRUE(View_Command(3003));
  EXPECT_FALSE(View_Command(3004));
}

// --- end to end ---------------------------------------------------------

std::string RecordWith(DayNo day) {
  Store_Init();
  static char text[] = "meet";
  for (EntryKind kind : {KIND_SCHEDULE, KIND_TASK, KIND_HOLIDAY}) {
    Entry* e = velmo_test::NewEntry(kind, day, day);
    e->text = text;
    e->textLen = 4;
    if (kind == KIND_SCHEDULE) e->endHour = 10;
    Store_Register(e);
  }
  return velmo_test::RecordOfStore();
}

std::string Value(const velmo_test::HeadlessFolder& folder, const std::string& key) {
  const std::string file = folder.File("continue").value_or("");
  const std::size_t at = file.find("\n" + key);
  if (at == std::string::npos) return "<missing>";
  const std::size_t start = file.find_first_not_of(" \t", at + 1 + key.size());
  return file.substr(start, file.find('\n', start) - start);
}

TEST(WeeksRun, CommandsKeysEntriesAndSelection) {
  velmo_test::HeadlessFolder folder;
  const DayNo day = Date_ToDayNo(2024, 1, 31);
  folder.Write("record", RecordWith(day));
  folder.Write("continue", "CurrentDate: " + std::to_string(day - 1) + "\nCurrentView: 2\n");
  const std::string script =
      "F8\nshot five.png\nF6\nshot three.png\nF6\nRIGHT\nwait 1500\nshot four.png\n"
      "n\nn\nshot sel.png\nF6\nDOWN PGDN\nq\n";
  const auto run = folder.Run(script, {.now = "2024-01-10T09:00"});
  ASSERT_EQ(run.status, 0) << run.errors;
  const velmo_test::Picture five = folder.Shot("five.png");
  const velmo_test::Picture three = folder.Shot("three.png");
  const velmo_test::Picture four = folder.Shot("four.png");
  const velmo_test::Picture sel = folder.Shot("sel.png");
  // View 5 (91 x 91 cells from y 40): 31 Jan in column 3 row 0 is a holiday
  // with the schedule's text on the first entry line.
  EXPECT_EQ(five.Level(3 * 91 + 80, 40 + 80), 1);
  EXPECT_GT(five.Count(3 * 91 + 6, 40 + 17, 40, 16, 3), 0);
  // View 3 (cells 91 x 37 from y 37).
  EXPECT_EQ(three.Level(3 * 91 + 80, 37 + 30), 1);
  // View 4: the cursor moved onto 31 Jan; after the ticks the list shows it.
  EXPECT_EQ(four.Level(448, 100), 3);
  EXPECT_EQ(four.Level(450, 42 + 3), 1);  // holiday row first
  EXPECT_GT(four.Count(449, 42 + 15, 191, 15, 3), 0);
  // "n" twice: the second row highlighted.
  EXPECT_GT(sel.Count(600, 42 + 15, 39, 14, 3), 500);
  EXPECT_EQ(Value(folder, "CurrentView:"), "5");
  EXPECT_EQ(Value(folder, "CurrentDate:"), std::to_string(day + 21));
}

}  // namespace
