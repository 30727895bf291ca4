// The clipboard and the item commands that need no dialog, call by call on a
// browse screen without the main loop.
#include "shell/ItemCommand.h"

#include <cstring>
#include <string>

#include "files/Save.h"
#include "graphics/ZebKey.h"
#include "support/Entries.h"
#include "views/ViewFixture.h"

namespace {

class ItemCommand : public ViewFixture {
 protected:
  void SetUp() override {
    ViewFixture::SetUp();
    Store_SetChangeHook(Data_Changed);  // as the shell wires it at start-up
    Data_SetImmediateSave(false);  // no file is written by these tests
    Data_SetModified(false);
    ItemCommand_ClearClipboard();
  }
  void TearDown() override {
    ItemCommand_ClearClipboard();
    Data_SetImmediateSave(true);
    Store_SetChangeHook(nullptr);
    ViewFixture::TearDown();
  }
  static Entry* Add(EntryKind kind, DayNo start, DayNo end, const char* text) {
    Entry* e = velmo_test::NewEntry(kind, start, end);
    velmo_test::SetText(*e, text);
    EXPECT_TRUE(Store_Register(e));
    Store_Invalidate();
    return e;
  }
  static Entry* First(DayNo day) { return MonthRec_EntryAt(day, 0); }
  static std::string Text(const Entry& e) { return std::string(e.text, e.textLen); }
};

TEST_F(ItemCommand, CutThenPasteMovesTheEntryAndReanchorsItsRepeatRule) {
  // Every week on Tuesday from 2 January 2024 to the end of the year.
  Entry* weekly = Add(KIND_SCHEDULE, Day(2024, 1, 2), Day(2024, 12, 31), "weekly");
  weekly->repeat = REPEAT_WEEKS;
  weekly->interval = 1;
  weekly->weekMask = WeekdayBit(2);
  weekly->startHour = 9;
  ASSERT_TRUE(ItemCommand_Cut(Day(2024, 1, 9), 0));
  EXPECT_EQ(weekly->kind, KIND_DELETED);
  EXPECT_TRUE(Data_Modified());
  EXPECT_EQ(View_DayCount(Day(2024, 1, 9)), 0);
  EXPECT_EQ(ItemCommand_Clipboard().kind, KIND_SCHEDULE);

  const DayNo friday = Day(2024, 2, 2);
  ASSERT_TRUE(ItemCommand_Paste(friday));
  const Entry* copy = First(friday);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, weekly);
  EXPECT_EQ(copy->kind, KIND_SCHEDULE);
  EXPECT_EQ(copy->size, ENTRY_NEW_SIZE);
  EXPECT_EQ(copy->startDay, friday);
  EXPECT_EQ(copy->endDay, friday + (Day(2024, 12, 31) - Day(2024, 1, 2)));
  EXPECT_EQ(copy->weekMask, WeekdayBit(5));
  EXPECT_EQ(copy->startHour, 9);
  EXPECT_EQ(Text(*copy), "weekly");
  EXPECT_EQ(View_DayCount(friday + 7), 1);
  EXPECT_EQ(View_DayCount(friday + 4), 0);  // no longer on Tuesdays
}

TEST_F(ItemCommand, PastedMonthlyRulesTakeTheNewDaysWeekAndWeekday) {
  Entry* monthly = Add(KIND_SCHEDULE, Day(2024, 1, 8), Day(2024, 12, 31), "m");
  monthly->repeat = REPEAT_MONTH_WEEKDAY;
  monthly->interval = 1;
  monthly->weekMask = WeekBit(2);
  monthly->weekdayMask = WeekdayBit(1);
  ASSERT_TRUE(ItemCommand_Copy(Day(2024, 1, 8), 0));
  ASSERT_TRUE(ItemCommand_Paste(Day(2024, 3, 27)));  // a Wednesday in the last seven days
  const Entry* last = First(Day(2024, 3, 27));
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->weekMask, WEEK_LAST);
  EXPECT_EQ(last->weekdayMask, WeekdayBit(3));
  ASSERT_TRUE(ItemCommand_Paste(Day(2024, 3, 13)));  // second Wednesday
  const Entry* second = MonthRec_EntryAt(Day(2024, 3, 13), 0);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->weekMask, WeekBit(2));
  EXPECT_EQ(monthly->weekMask, WeekBit(2));  // the original is untouched
}

TEST_F(ItemCommand, PastingTwiceGivesTwoIndependentEntries) {
  Add(KIND_SCHEDULE, Day(2024, 1, 31), Day(2024, 1, 31), "abc");
  ASSERT_TRUE(ItemCommand_Copy(Day(2024, 1, 31), 0));
  ASSERT_TRUE(ItemCommand_Paste(Day(2024, 2, 5)));
  ASSERT_TRUE(ItemCommand_Paste(Day(2024, 2, 5)));
  ASSERT_EQ(View_DayCount(Day(2024, 2, 5)), 2);
  Entry* a = MonthRec_EntryAt(Day(2024, 2, 5), 0);
  Entry* b = MonthRec_EntryAt(Day(2024, 2, 5), 1);
  EXPECT_NE(a->text, b->text);
  a->text[0] = 'x';
  EXPECT_EQ(Text(*b), "abc");
  EXPECT_EQ(Store_Count(), 3);
}

TEST_F(ItemCommand, AMultiDayHolidayKeepsItsLength) {
  Add(KIND_HOLIDAY, Day(2024, 1, 29), Day(2024, 2, 2), "trip");
  ASSERT_TRUE(ItemCommand_Copy(Day(2024, 1, 31), 0));
  ASSERT_TRUE(ItemCommand_Paste(Day(2024, 3, 10)));
  const Entry* copy = First(Day(2024, 3, 10));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->kind, KIND_HOLIDAY);
  EXPECT_EQ(copy->endDay, Day(2024, 3, 14));
}

TEST_F(ItemCommand, APastedTaskKeepsRankOpenEndAndDoneMarkOnTheNewDay) {
  Entry* task = Add(KIND_TASK, Day(2024, 1, 3), DAY_OPEN_END, "todo");
  task->rank = 4;
  ASSERT_TRUE(Entry_ToggleDone(Day(2024, 1, 10), 0));
  ASSERT_TRUE(ItemCommand_Copy(Day(2024, 1, 10), 0));
  ASSERT_TRUE(ItemCommand_Paste(Day(2024, 2, 20)));
  const Entry* copy = First(Day(2024, 2, 20));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->rank, 4);
  EXPECT_EQ(copy->endDay, DAY_OPEN_END);
  ASSERT_EQ(copy->doneLen, 2);
  EXPECT_NE(copy->done, task->done);
  EXPECT_EQ(copy->done[0], Day(2024, 2, 20));
  EXPECT_EQ(task->done[0], Day(2024, 1, 10));
}

TEST_F(ItemCommand, ACopiedEntryStillPastesAfterItWasDeleted) {
  Entry* e = Add(KIND_SCHEDULE, Day(2024, 1, 31), Day(2024, 1, 31), "gone");
  ASSERT_TRUE(ItemCommand_Copy(Day(2024, 1, 31), 0));
  Store_Delete(e);
  ASSERT_TRUE(ItemCommand_Paste(Day(2024, 2, 1)));
  const Entry* copy = First(Day(2024, 2, 1));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->kind, KIND_SCHEDULE);
  EXPECT_EQ(Text(*copy), "gone");
}

TEST_F(ItemCommand, NothingIsPastedFromAnEmptyClipboardOrPastTheLastDay) {
  EXPECT_FALSE(ItemCommand_Paste(Day(2024, 1, 31)));
  EXPECT_FALSE(ItemCommand_Copy(Day(2024, 1, 31), 0));  // no occurrence there
  Add(KIND_HOLIDAY, Day(2024, 1, 1), Day(2024, 1, 10), "h");
  ASSERT_TRUE(ItemCommand_Copy(Day(2024, 1, 5), 0));
  EXPECT_FALSE(ItemCommand_Paste(DAY_OPEN_END - 3));
  EXPECT_FALSE(Data_Modified());
  EXPECT_EQ(Store_Count(), 1);
}

TEST_F(ItemCommand, CommandsWithoutASelectedItemDoNothing) {
  Add(KIND_TASK, Day(2024, 1, 31), DAY_OPEN_END, "t");
  BrowseState_SetView(VIEW_THREE_WEEKS);
  ASSERT_TRUE(View_CreateCurrent());
  EXPECT_FALSE(ItemCommand_Command(4509));  // delete: passed on
  EXPECT_TRUE(ItemCommand_Command(4506));
  EXPECT_TRUE(ItemCommand_Command(4507));
  EXPECT_FALSE(ItemCommand_Key(KEY_SPACE));
  EXPECT_EQ(ItemCommand_Clipboard().entry, nullptr);
  EXPECT_EQ(View_DayCount(Day(2024, 1, 31)), 1);
  EXPECT_FALSE(ItemCommand_Command(4503));  // not an item command
}

TEST_F(ItemCommand, SpaceTogglesTheSelectedTaskAndCutEndsASelectionOnAnEmptiedDay) {
  Entry* task = Add(KIND_TASK, Day(2024, 1, 31), DAY_OPEN_END, "t");
  BrowseState_SetView(VIEW_THREE_WEEKS);
  ASSERT_TRUE(View_CreateCurrent());
  ASSERT_TRUE(Key(VIEW_KEY_NEXT_ITEM));
  ASSERT_EQ(browse.selectionState, VIEW_SEL_ITEM);
  EXPECT_TRUE(ItemCommand_Key(KEY_SPACE));
  ASSERT_EQ(task->doneLen, 2);
  EXPECT_EQ(task->done[0], Day(2024, 1, 31));
  EXPECT_TRUE(Data_Modified());

  EXPECT_TRUE(ItemCommand_Command(4506));  // cut
  EXPECT_EQ(task->kind, KIND_DELETED);
  EXPECT_EQ(browse.selectionState, VIEW_SEL_DAY);
  EXPECT_TRUE(ItemCommand_Command(4508));  // paste back onto the cursor day
  EXPECT_EQ(View_DayCount(Day(2024, 1, 31)), 1);
}

}  // namespace

TEST_F(ItemCommand, OneTableNamesTheItemCommandsAndNoOthers) {
  constexpr int kItem[] = {CMD_HELP,         CMD_HELP_KEY,         CMD_NOT_IMPLEMENTED, CMD_NOT_IMPLEMENTED_2,
                           CMD_NOT_IMPLEMENTED_3, CMD_JUMP,        CMD_SEARCH,          CMD_SEARCH_ALT,
                           CMD_SEARCH_NEXT,  CMD_SEARCH_NEXT_ALT,  CMD_ADD_SCHEDULE,    CMD_ADD_SCHEDULE_ALT,
                           CMD_ADD_TASK,     CMD_ADD_TASK_ALT,     CMD_ADD_HOLIDAY,     CMD_ADD_HOLIDAY_ALT,
                           CMD_TO_EUC,       CMD_SAVE,             CMD_CUT,             CMD_COPY,
                           CMD_PASTE,        CMD_DELETE,           CMD_VERSION,         CMD_EXPORT};
  constexpr int kOthers[] = {CMD_CHANGE_SIZE, CMD_CHANGE_SIZE_ALT, CMD_NOW,          CMD_CALENDAR, CMD_WEEKS_ALT,
                             CMD_DAY,         CMD_NOTHING,         CMD_LABEL_ALL,    CMD_LABEL_CUSTOM,
                             CMD_UNUSED_M,    CMD_DIALOG_OK,       4503,             0};
  for (int c : kItem) EXPECT_TRUE(ItemCommand_Takes(c)) << c;
  for (int c : kOthers) {
    EXPECT_FALSE(ItemCommand_Takes(c)) << c;
    EXPECT_FALSE(ItemCommand_Command(c)) << c;
  }
}
