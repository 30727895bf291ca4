#include "dialogs/Search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/Notice.h"
#include "files/Record.h"
#include "host/headless/Headless.h"
#include "shell/Shell.h"
#include "store/MonthRec.h"
#include "store/Store.h"
#include "support/AppScreen.h"
#include "support/Entries.h"
#include "support/Headless.h"

namespace {

std::vector<int> keys;
int modeWhileOpen = 0;
int depthWhileOpen = 0;
int frame[4];  // outline, fill, rule, title ink of the open dialog

void Feed(int) {
  if (nwDialog_Depth() > depthWhileOpen) {
    depthWhileOpen = nwDialog_Depth();
    modeWhileOpen = browse.screenMode;
    frame[0] = Zeb_GetPixel(240, 85);
    frame[1] = Zeb_GetPixel(250, 100);
    frame[2] = Zeb_GetPixel(300, 115);
    frame[3] = 0;
    for (int y = 93; y < 109; ++y)
      for (int x = 304; x < 336; ++x) frame[3] += Zeb_GetPixel(x, y) == 3 ? 1 : 0;
  }
  velmo_test::PushNextKey(keys);
}

void Type(const std::string& text) {
  for (char c : text) keys.push_back(static_cast<unsigned char>(c));
}

// Texts outlive the store: entries point into them.
std::vector<std::string> texts;

Entry* Add(EntryKind kind, const std::string& text, DayNo start, DayNo end = 0) {
  texts.reserve(64);
  texts.push_back(text);
  Entry* e = velmo_test::NewEntry(kind, start, kind == KIND_TASK ? DAY_OPEN_END : (end != 0 ? end : start));
  e->text = texts.back().data();
  e->textLen = static_cast<std::uint16_t>(texts.back().size());
  EXPECT_TRUE(Store_Register(e));
  return e;
}

DayNo Day(int year, int month, int mday) {
  return Date_ToDayNo(static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month),
                      static_cast<std::uint16_t>(mday));
}

class Search : public ::testing::Test {
 protected:
  void SetUp() override {
    velmo_test::OpenScreen();
    Headless_SetFeeder(Feed);
    Headless_SetIdleLimit(50);
    velmo_test::CreateScreenObjects();
    BrowseState_Reset();
    BrowseState_SetCursorDate(Day(2024, 3, 5));
    Store_Init();
    texts.clear();
    keys.clear();
    modeWhileOpen = depthWhileOpen = 0;
    Search_Reset();
  }
  void TearDown() override {
    Headless_SetFeeder(nullptr);
    Store_Shutdown();
  }
};

TEST_F(Search, GoesThroughTheStoreInOrderOneMatchPerEntryThenStops) {
  Add(KIND_SCHEDULE, "lunch", Day(2024, 4, 1));
  Store_Delete(Add(KIND_SCHEDULE, "meeting", Day(2024, 4, 2)));
  Add(KIND_SCHEDULE, "team meeting meeting", Day(2024, 4, 3));
  Add(KIND_HOLIDAY, "meeting room", Day(2024, 4, 4));
  Search_Set("meeting", 7);
  ASSERT_TRUE(Search_FindNext());
  EXPECT_EQ(browse.cursorDate, Day(2024, 4, 3));
  EXPECT_EQ(Search_Position(), 3);
  ASSERT_TRUE(Search_Next());
  EXPECT_EQ(browse.cursorDate, Day(2024, 4, 4));
  EXPECT_FALSE(Search_Next());  // not found: the notice, back to the start
  EXPECT_EQ(Search_Position(), 0);
  EXPECT_STREQ(Headless_LastDebugMessage(), NOTICE_NOT_FOUND);
  EXPECT_FALSE(Search_Next());  // nothing more until a new search
  EXPECT_EQ(browse.cursorDate, Day(2024, 4, 4));
}

TEST_F(Search, AnEmptyTextFindsTheFirstEntryThatOccursUnderTheFilterAndDoesNotGoOn) {
  BrowseState_SetLabel(2);
  Store_Delete(Add(KIND_SCHEDULE, "x", Day(2024, 4, 1)));
  Add(KIND_SCHEDULE, "label one", Day(2024, 4, 2))->label = 1;
  Entry* never = Add(KIND_SCHEDULE, "never", Day(2024, 4, 3), Day(2024, 4, 30));
  never->repeat = REPEAT_WEEKS;
  never->interval = 1;  // no weekday chosen: no day matches
  Add(KIND_TASK, "", Day(2024, 4, 5))->label = 2;
  Search_Set("", 0);
  ASSERT_TRUE(Search_FindNext());
  EXPECT_EQ(browse.cursorDate, Day(2024, 4, 5));
  EXPECT_FALSE(Search_Next());
  EXPECT_EQ(browse.cursorDate, Day(2024, 4, 5));
}

TEST_F(Search, TheLabelFilterPassesTheCommonLabelAndTheChosenOne) {
  Add(KIND_SCHEDULE, "a", Day(2024, 4, 1))->label = 1;
  Add(KIND_SCHEDULE, "a", Day(2024, 4, 2))->label = 0;
  Add(KIND_SCHEDULE, "a", Day(2024, 4, 3))->label = 2;
  BrowseState_SetLabel(2);
  Search_Set("a", 1);
  ASSERT_TRUE(Search_FindNext());
  EXPECT_EQ(browse.cursorDate, Day(2024, 4, 2));
  ASSERT_TRUE(Search_FindNext());
  EXPECT_EQ(browse.cursorDate, Day(2024, 4, 3));
  EXPECT_FALSE(Search_FindNext());
  // The custom selection searches what it shows.
  BrowseState_SetLabel(5);
  Store_SetLabelVisible(0, false);
  Store_SetLabelVisible(1, true);
  Store_SetLabelVisible(2, false);
  ASSERT_TRUE(Search_FindNext());
  EXPECT_EQ(browse.cursorDate, Day(2024, 4, 1));
  EXPECT_FALSE(Search_FindNext());
}

TEST_F(Search, MatchesOnlyWholeCharactersAndIsCaseSensitive) {
  Add(KIND_SCHEDULE, "\x83\x41\x83\x42", Day(2024, 4, 1));  // "アイ"
  Add(KIND_SCHEDULE, "Ab", Day(2024, 4, 2));
  Search_Set("\x41\x83", 2);  // trail byte of ア, lead of イ
  EXPECT_FALSE(Search_FindNext());
  Search_Set("\x83\x42", 2);
  ASSERT_TRUE(Search_FindNext());
  EXPECT_EQ(browse.cursorDate, Day(2024, 4, 1));
  Search_Set("ab", 2);
  EXPECT_FALSE(Search_FindNext());
  Search_Set("Ab", 2);
  EXPECT_TRUE(Search_FindNext());
  Search_Set("Abc", 3);  // longer than the text
  EXPECT_FALSE(Search_FindNext());
}

TEST_F(Search, FirstDayFollowsDoneMarksAndRepeatRules) {
  std::uint16_t doneDay = Day(2024, 4, 9);
  Entry* done = Add(KIND_TASK, "t", Day(2024, 4, 1));
  done->done = &doneDay;
  done->doneLen = 2;
  EXPECT_EQ(Entry_FirstDay(*done), doneDay);
  EXPECT_EQ(Entry_FirstDay(*Add(KIND_TASK, "t", Day(2024, 4, 2))), Day(2024, 4, 2));

  Entry* lastFriday = Add(KIND_SCHEDULE, "f", Day(2019, 1, 25), Day(2019, 12, 31));
  lastFriday->repeat = REPEAT_MONTH_WEEKDAY;
  lastFriday->interval = 1;
  lastFriday->weekMask = 0x10;
  lastFriday->weekdayMask = 0x20;
  EXPECT_EQ(Entry_FirstDay(*lastFriday), Day(2019, 1, 25));

  Entry* biweekly = Add(KIND_SCHEDULE, "b", Day(2024, 4, 2), Day(2024, 12, 31));  // a Tuesday
  biweekly->repeat = REPEAT_WEEKS;
  biweekly->interval = 2;
  biweekly->weekMask = WeekdayBit(2);
  EXPECT_EQ(Entry_FirstDay(*biweekly), Day(2024, 4, 2));

  // Damaged: interval 0 counts as 1; an open end stops at the last day.
  Entry* daily = Add(KIND_SCHEDULE, "d", Day(2024, 4, 3), Day(2024, 4, 9));
  daily->repeat = REPEAT_DAYS;
  EXPECT_EQ(Entry_FirstDay(*daily), Day(2024, 4, 3));
  Entry* never = Add(KIND_HOLIDAY, "n", Day(2024, 4, 3), DAY_OPEN_END);
  never->repeat = REPEAT_MONTH_WEEKDAY;
  never->interval = 1;
  EXPECT_EQ(Entry_FirstDay(*never), DAY_NONE);
}

TEST_F(Search, TheDialogTakesTheTextAndLeavesTheBrowseScreenAsItWas) {
  Add(KIND_SCHEDULE, "dentist", Day(2024, 5, 6));
  Type("tist");
  keys.push_back(KEY_RETURN);
  EXPECT_TRUE(Search_Start());
  EXPECT_EQ(modeWhileOpen, MODE_WINDOW);
  EXPECT_EQ(frame[0], 3);
  EXPECT_EQ(frame[1], 1);
  EXPECT_EQ(frame[2], 3);
  EXPECT_GT(frame[3], 20);  // "検索" centred
  EXPECT_EQ(browse.screenMode, MODE_BROWSE);
  EXPECT_EQ(browse.cursorDate, Day(2024, 5, 6));
  EXPECT_EQ(nwFocus_Get(), &mainArea);
  // Cancelled: nothing changes, and the kept text stays.
  BrowseState_SetCursorDate(Day(2024, 3, 5));
  keys = {'d', KEY_ESCAPE};
  EXPECT_FALSE(Search_Start());
  EXPECT_EQ(browse.cursorDate, Day(2024, 3, 5));
  EXPECT_FALSE(Search_Next());  // the one match was passed already
  EXPECT_STREQ(Headless_LastDebugMessage(), NOTICE_NOT_FOUND);
}

TEST_F(Search, TypingPastTheEndOfTheFieldStaysInsideItsBuffer) {
  Add(KIND_SCHEDULE, "abcdefghijklmn", Day(2024, 5, 6));
  Type("abcdefghijklmnopqrstuvwxyz");  // far more than the field takes
  keys.push_back(KEY_RETURN);
  EXPECT_TRUE(Search_Start());  // the kept text is a prefix of the entry's
  EXPECT_EQ(browse.cursorDate, Day(2024, 5, 6));
}

TEST_F(Search, TheJumpOpensOnTheCursorDayAndKeepsItsFieldsInTheCursorRange) {
  keys = {KEY_RETURN};
  EXPECT_TRUE(Jump_ToDate());
  EXPECT_EQ(browse.cursorDate, Day(2024, 3, 5));
  EXPECT_EQ(browse.screenMode, MODE_BROWSE);
  // 1900: a day number, but before the cursor's first year; the dialog stays.
  keys = {KEY_RIGHT, KEY_RIGHT, KEY_RIGHT, KEY_RIGHT, KEY_BACKSPACE, KEY_BACKSPACE, KEY_BACKSPACE, KEY_BACKSPACE};
  Type("1900");
  keys.insert(keys.end(), {KEY_RETURN, KEY_ESCAPE});
  EXPECT_FALSE(Jump_ToDate());
  EXPECT_EQ(browse.cursorDate, Day(2024, 3, 5));
  // Year 2025, then day 31 of March via Tab: accepted.
  keys = {KEY_RIGHT, KEY_RIGHT, KEY_RIGHT, KEY_RIGHT, KEY_BACKSPACE, KEY_BACKSPACE, KEY_BACKSPACE, KEY_BACKSPACE};
  Type("2025");
  keys.insert(keys.end(), {KEY_TAB, KEY_TAB, KEY_TAB, KEY_RIGHT, KEY_RIGHT, KEY_BACKSPACE, KEY_BACKSPACE});
  Type("31");
  keys.push_back(KEY_RETURN);
  EXPECT_TRUE(Jump_ToDate());
  EXPECT_EQ(browse.cursorDate, Day(2025, 3, 31));
  // 30 February: the day goes back to 1, and the next RETURN takes it.
  keys = {KEY_TAB, KEY_TAB, KEY_RIGHT, KEY_RIGHT, KEY_BACKSPACE, KEY_BACKSPACE, '2', KEY_TAB,
          KEY_RIGHT, KEY_RIGHT, KEY_BACKSPACE, KEY_BACKSPACE, '3', '0', KEY_RETURN, KEY_RETURN};
  EXPECT_TRUE(Jump_ToDate());
  EXPECT_EQ(browse.cursorDate, Day(2025, 2, 1));
}

// --- end to end ---------------------------------------------------------

std::string Record() {
  Store_Init();
  texts.clear();
  Add(KIND_SCHEDULE, "dentist", Day(2024, 6, 10));
  Add(KIND_TASK, "call dentist", Day(2024, 7, 1));
  return velmo_test::RecordOfStore();
}

std::string CurrentDate(const velmo_test::HeadlessFolder& folder) {
  const std::string file = folder.File("continue").value_or("");
  const std::size_t at = file.find("\nCurrentDate:");
  if (at == std::string::npos) return "<missing>";
  const std::size_t start = file.find_first_not_of(" \t", at + 13);
  return file.substr(start, file.find('\n', start) - start);
}

TEST(SearchRun, SearchThenJumpMoveTheCursorAndTheContinuationFileKeepsIt) {
  velmo_test::HeadlessFolder folder;
  folder.Write("record", Record());
  folder.Write("continue", "CurrentView: 3\n");
  // Search, then search next: the second dentist entry.
  auto run = folder.Run("cmd 4515\nd e n t i s t RET\ncmd 4516\nwait 1500\nq\n", {.now = "2024-03-05T10:20"});
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(CurrentDate(folder), std::to_string(Day(2024, 7, 1)));
  // The jump opens on 1 July; the day becomes 24.
  run = folder.Run("cmd 3017\nTAB TAB TAB RIGHT RIGHT BS BS 2 4 RET\nq\n", {.now = "2024-03-05T10:20"});
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(CurrentDate(folder), std::to_string(Day(2024, 7, 24)));
}

// Neither a jump nor a search lands silently on another day than the one
// asked for: the jump fields take the cursor's range (1901 .. 2078), and a
// match dated outside it is named instead of moved to.
TEST(SearchRun, AJumpOrASearchOutsideTheCursorRangeSaysSoAndStays) {
  velmo_test::HeadlessFolder folder;
  Store_Init();
  texts.clear();
  Add(KIND_SCHEDULE, "old", Day(1900, 6, 1));
  folder.Write("record", velmo_test::RecordOfStore());
  folder.Write("continue", "CurrentView: 3\n");
  const std::string today = std::to_string(Day(2024, 3, 5));
  auto run = folder.Run("f\no l d RET\nshot found.png\nRET\nq\n", {.now = "2024-03-05T10:20"});
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(CurrentDate(folder), today);
  const velmo_test::Picture found = folder.Shot("found.png");
  ASSERT_TRUE(found.Valid());
  EXPECT_EQ(found.Count(200, 70, 240, 1, 3), 240);  // the box names the day

  // 1 January 1900: the range message, the year back to 1901; ESC keeps the day.
  run = folder.Run("j\n1 9 0 0 TAB TAB 1 TAB 1 RET\nshot range.png\nRET\nshot back.png\nESC\nq\n",
                   {.now = "2024-03-05T10:20"});
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(CurrentDate(folder), today);
  const velmo_test::Picture range = folder.Shot("range.png"), back = folder.Shot("back.png");
  ASSERT_TRUE(range.Valid() && back.Valid());
  EXPECT_EQ(range.Count(200, 70, 240, 1, 3), 240);
  // Closed: the view where the box reached past the dialog, the dialog's
  // frame and its year field (at (252, 125)) with digits again.
  EXPECT_LT(back.Count(200, 70, 240, 1, 3), 240);
  EXPECT_EQ(back.Level(240, 85), 3);
  EXPECT_GT(back.Count(254, 127, 32, 16, 3), 0);
}

}  // namespace
