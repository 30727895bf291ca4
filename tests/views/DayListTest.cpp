// The day list panel of views 4, 7 and 8 drawn into the frame buffer.
#include "views/DayList.h"

#include <cstring>
#include <vector>

#include "views/ViewFixture.h"

namespace {

using velmo_test::Ink;


class DayListPanel : public ViewFixture {
 protected:
  void Open(std::uint16_t view) {
    BrowseState_SetView(view);
    const ViewDayList list = DayList_Setup(view);
    View_BeginCellState(VIEW_SEL_HOUR, &list);
    DayList_Redraw();
  }
  static Entry* Add(EntryKind kind, const char* text = nullptr) {
    Entry* e = AddEntry(kind, browse.cursorDate);
    if (text != nullptr) {
      e->text = const_cast<char*>(text);
      e->textLen = static_cast<std::uint16_t>(std::strlen(text));
    }
    return e;
  }
  // Black pixels of the header's scroll-mark spot.
  static int MarkInk(const DayListLayout& l) { return Ink(l.left + l.width - 14, l.top + 2, 12, 12); }
  static std::vector<int> Mark(const DayListLayout& l) {
    std::vector<int> pixels;
    for (int y = l.top + 2; y < l.top + 14; ++y)
      for (int x = l.left + l.width - 14; x < l.left + l.width - 2; ++x) pixels.push_back(Zeb_GetPixel(x, y));
    return pixels;
  }
};

TEST_F(DayListPanel, LayoutsOfTheThreeViews) {
  EXPECT_EQ(DayList_Layout(VIEW_TWO_WEEKS), nullptr);
  EXPECT_EQ(DayList_Setup(VIEW_WEEK).redraw, nullptr);
  const ViewDayList four = DayList_Setup(VIEW_THREE_WEEKS);
  EXPECT_EQ(four.x, 449);
  EXPECT_EQ(four.y, 42);
  EXPECT_EQ(four.width, 191);
  EXPECT_EQ(four.rowHeight, 15);
  EXPECT_EQ(four.visibleRows, 12);
  const ViewDayList eight = DayList_Setup(VIEW_DAY);
  EXPECT_EQ(eight.x, 197);
  EXPECT_EQ(eight.rowHeight, 18);
  EXPECT_EQ(eight.visibleRows, 10);
  EXPECT_TRUE(DayList_Layout(VIEW_DAY)->wideTime);
  EXPECT_EQ(DayList_Layout(VIEW_WEEK_LIST)->charsPerRow, 27);
}

TEST_F(DayListPanel, ThirteenOccurrencesScrollWithTheSelectionAndMarkTheHeader) {
  for (int i = 0; i < 13; ++i) Add(KIND_SCHEDULE, "x");
  Open(VIEW_THREE_WEEKS);
  const DayListLayout& l = *DayList_Layout(VIEW_THREE_WEEKS);
  // Twelve rows, each closed by a grey-2 line; the twelfth is cut at the
  // function-key bar, whose rows stay as they were.
  EXPECT_EQ(Zeb_GetPixel(500, 42 + 15 * 10 + 14), ZEB_DARK_GREY);
  EXPECT_EQ(Zeb_GetPixel(500, 219), ZEB_DARK_GREY);
  EXPECT_EQ(Zeb_GetPixel(500, 220), ZEB_LIGHT_GREY);
  EXPECT_EQ(Zeb_GetPixel(500, 221), ZEB_LIGHT_GREY);
  EXPECT_GT(MarkInk(l), 0);  // "↓"
  for (int i = 0; i < 13; ++i) ASSERT_TRUE(View_SelectItemKey(VIEW_KEY_NEXT_ITEM));
  EXPECT_EQ(View_DayList().index, 12);
  EXPECT_EQ(View_DayList().top, 1);
  // The last row is the highlighted 13th; the header now shows "↑" alone.
  EXPECT_EQ(Zeb_GetPixel(600, 42 + 15 * 11 + 7), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(600, 220), ZEB_LIGHT_GREY);  // not inverted with it
  DayList_DrawHeader();
  const std::vector<int> up = Mark(l);
  EXPECT_GT(MarkInk(l), 0);
  View_DayList().top = 0;
  DayList_DrawHeader();
  EXPECT_NE(Mark(l), up);  // a different mark
}

TEST_F(DayListPanel, ScheduleTimesFollowTheTimeColumn) {
  Entry* same = Add(KIND_SCHEDULE);
  same->startHour = same->endHour = 9;
  Entry* span = Add(KIND_SCHEDULE);
  span->startHour = 9;
  span->endHour = 10;
  span->endMinute = 30;
  Entry* open = Add(KIND_SCHEDULE);
  open->startHour = 11;
  Open(VIEW_DAY);
  // Row tops 42, 60, 78; the end time column at x + 7 * 8 + 1.
  const int endX = 197 + 57;
  EXPECT_EQ(Ink(endX, 43, 40, 16), 0);
  EXPECT_GT(Ink(197 + 9, 43, 40, 16), 0);
  EXPECT_GT(Ink(endX, 61, 40, 16), 0);
  EXPECT_EQ(Ink(197, 79, 200, 16), 0);  // no end time: no time at all
  // Without the wide column the end is never shown.
  Open(VIEW_THREE_WEEKS);
  EXPECT_GT(Ink(449 + 7, 58, 30, 12), 0);
  EXPECT_EQ(Ink(449 + 43, 58, 20, 12), 0);
}

TEST_F(DayListPanel, DoneTasksAreStruckThroughAndHolidaysShaded) {
  Entry* done = Add(KIND_TASK);
  done->rank = 2;
  static std::uint16_t doneDay[1];
  doneDay[0] = browse.cursorDate;
  done->done = doneDay;
  done->doneLen = 2;
  Add(KIND_TASK);
  Add(KIND_HOLIDAY, "hol");
  Open(VIEW_THREE_WEEKS);
  const DayNo day = browse.cursorDate;
  // Order: holiday first, tasks after (month expansion); find the rows.
  int doneRow = -1, openRow = -1;
  for (int k = 0; k < 3; ++k) {
    const Entry* e = MonthRec_EntryAt(day, static_cast<std::uint16_t>(k));
    ASSERT_NE(e, nullptr);
    if (e == done) doneRow = k;
    else if (e->kind == KIND_TASK) openRow = k;
    else EXPECT_EQ(Zeb_GetPixel(449 + 2, 42 + 15 * k + 3), ZEB_LIGHT_GREY);
  }
  ASSERT_GE(doneRow, 0);
  ASSERT_GE(openRow, 0);
  const int top = 42 + 15 * doneRow;
  EXPECT_EQ(Zeb_GetPixel(600, top + 5), ZEB_DARK_GREY);
  EXPECT_EQ(Zeb_GetPixel(600, top + 9), ZEB_DARK_GREY);
  EXPECT_EQ(Zeb_GetPixel(449 + 7, top + 5), ZEB_WHITE);  // from x + 8 on
  EXPECT_EQ(Ink(449 + 8, 42 + 15 * openRow + 1, 180, 13, ZEB_DARK_GREY), 0);
  EXPECT_GT(Ink(449, top + 1, 36, 12), 0);  // "   ￠2"
}

TEST_F(DayListPanel, HeaderIsCentredInItsPanel) {
  // 20 bytes, 160 pixels in font 2: fits view 4 (191) and view 7 (166).
  Open(VIEW_THREE_WEEKS);
  EXPECT_EQ(Ink(449 + 1, 22, 14, 18), 0);
  EXPECT_GT(Ink(449 + 15, 22, 16, 18), 0);
  Open(VIEW_WEEK_LIST);
  EXPECT_GT(Ink(474 + 3, 22, 8, 18), 0);
  EXPECT_EQ(Zeb_GetPixel(474, 21), ZEB_WHITE);  // 3-D edge
  EXPECT_EQ(Zeb_GetPixel(639, 41), ZEB_DARK_GREY);
}

TEST_F(DayListPanel, LongTextsStayInsideThePanelAndWholeCharacters) {
  // 60 bytes of double-byte text: each row cut at a character boundary.
  static char wide[61];
  for (int i = 0; i < 60; i += 2) std::memcpy(wide + i, "\x82\xa0", 2);  // あ
  Add(KIND_SCHEDULE, wide)->endHour = 1;
  Open(VIEW_DAY);
  EXPECT_GT(Ink(197 + 105, 43, 336, 16), 0);
  EXPECT_EQ(Ink(196, 42, 1, 18), 0);  // nothing left of the panel
}


using DayListInView = ViewFixture;

// The list follows the cursor only some ticks after a move; a selection key
// in between must not highlight a row of the day left behind.
TEST_F(DayListInView, SelectingRightAfterAMoveShowsTheNewDaysList) {
  static const char kText[] = "meeting";
  BrowseState_SetView(VIEW_THREE_WEEKS);
  const DayNo day = browse.cursorDate;
  for (DayNo d : {day, day, static_cast<DayNo>(day + 1)}) {
    Entry* e = AddEntry(KIND_SCHEDULE, d);
    e->text = const_cast<char*>(kText);
    e->textLen = sizeof kText - 1;
  }
  ASSERT_TRUE(View_CreateCurrent());
  View_RedrawAll();
  const auto rowInk = [](int k) {
    int n = 0;
    for (int y = 42 + 15 * k; y < 42 + 15 * k + 14; ++y)
      for (int x = 449; x < 640; ++x) n += Zeb_GetPixel(x, y) == ZEB_BLACK;
    return n;
  };
  ASSERT_GT(rowInk(1), 0);  // the old day's second row
  ASSERT_TRUE(Key(KEY_RIGHT));
  ASSERT_TRUE(View_SelectItemKey(VIEW_KEY_NEXT_ITEM));
  EXPECT_EQ(View_DayList().index, 0);
  EXPECT_EQ(rowInk(1), 0);  // the new day has one row
  EXPECT_GT(rowInk(0), 150);  // and it is highlighted
}

}  // namespace
