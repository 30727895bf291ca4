#include "dialogs/EntryDialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "dialogs/Notice.h"
#include "files/Save.h"
#include "files/Settings.h"
#include "host/headless/Headless.h"
#include "shell/Shell.h"
#include "store/Label.h"
#include "store/MonthRec.h"
#include "support/AppScreen.h"
#include "support/Entries.h"
#include "support/Headless.h"
#include "support/SettingsEdit.h"

namespace {

std::vector<int> keys;
// Texts of the dialog's fields by id, taken at the dialog's first wait.
std::map<int, std::string> shown;
bool openAfterKeys = false;
int mainRedraws = 0;
int deepest = 0;  // dialog depth seen at a wait: 2 while a box is over the dialog
std::vector<int> trail;  // id of the focus at each wait inside the dialog

nwObject* DialogChild(int id) {
  nwObject* focus = nwFocus_Get();
  nwObject* dialog = focus != nullptr && focus->id == ID_TEXT ? focus->parent : nullptr;
  if (dialog == nullptr) return nullptr;
  for (int slot = 0; slot < static_cast<int>(cap::kChildren); ++slot) {
    if (dialog->childUsed[slot] && dialog->children[slot]->id == id) return dialog->children[slot];
  }
  return nullptr;
}

void Feed(int) {
  if (nwDialog_Depth() > deepest) deepest = nwDialog_Depth();
  if (nwDialog_Depth() == 1) trail.push_back(nwFocus_Get() != nullptr ? nwFocus_Get()->id : -1);
  if (shown.empty() && nwDialog_Depth() > 0) {
    for (int id = ID_START_YEAR; id <= ID_INTERVAL; ++id) {
      nwObject* child = DialogChild(id);
      if (child == nullptr || child->handler != nwEdit_Handler) continue;
      auto* edit = static_cast<nwEdit*>(child);
      shown[id] = std::string(edit->text, static_cast<std::size_t>(edit->length));
    }
    shown[0] = "seen";
  }
  if (keys.empty()) {
    // A box over the dialog takes only RETURN; the dialog ends on ESC.
    openAfterKeys = nwDialog_Depth() > 0;
    Headless_PushKey(nwDialog_Depth() > 1 ? KEY_RETURN : KEY_ESCAPE);
    return;
  }
  Headless_PushKey(keys.front());
  keys.erase(keys.begin());
}

bool MainHandler(nwObject* object, nwMessage* message) {
  if (message->code == NW_REDRAW) ++mainRedraws;
  return nwObject_DefaultHandler(object, message);
}

class EntryDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    velmo_test::OpenScreen();
    Headless_SetFeeder(Feed);
    Headless_SetIdleLimit(200);
    velmo_test::CreateScreenObjects(nwObject_DefaultHandler, MainHandler);
    Store_Init();
    Store_SetChangeHook(Data_Changed);  // as the shell wires it at start-up
    Label_InitNames();
    Settings_ApplyDefaults();
    Data_SetImmediateSave(false);
    Data_SetModified(false);
    BrowseState_Reset();
    BrowseState_SetView(VIEW_FIVE_WEEKS);
    BrowseState_SetCursorDate(Date_ToDayNo(2024, 6, 12));  // a Wednesday
    keys.clear();
    shown.clear();
    openAfterKeys = false;
    mainRedraws = 0;
    deepest = 0;
    trail.clear();
  }
  void TearDown() override {
    Notice_Detach();
    Headless_SetFeeder(nullptr);
    Store_Shutdown();
    Store_SetChangeHook(nullptr);
  }
  static Entry* Add(EntryKind kind, const char* text) {
    Entry* e = velmo_test::NewEntry(kind, browse.cursorDate, kind == KIND_TASK ? DAY_OPEN_END : browse.cursorDate);
    velmo_test::SetText(*e, text);
    EXPECT_TRUE(Store_Register(e));
    Store_Invalidate();
    return e;
  }
  static std::string Text(const Entry* e) { return std::string(e->text, e->textLen); }
};

TEST_F(EntryDialog, AddingAScheduleFromACalendarStoresItWithoutTimeAndRestoresTheBrowseScreen) {
  keys = {'a', 'b', KEY_RETURN};
  const bool accepted = EntryDialog_Add(CMD_ADD_SCHEDULE);
  EXPECT_EQ(shown[ID_START_YEAR], "2024");
  EXPECT_EQ(shown[ID_START_MONTH], "6");
  EXPECT_EQ(shown[ID_END_DAY], "12");
  EXPECT_EQ(shown[ID_START_HOUR], "--");
  EXPECT_EQ(shown[ID_END_MINUTE], "--");
  EXPECT_EQ(shown[ID_INTERVAL], "1");
  EXPECT_EQ(shown.count(ID_RANK), 0u);
  ASSERT_EQ(Store_Count(), 1);
  const Entry* e = Store_At(0);
  EXPECT_EQ(e->kind, KIND_SCHEDULE);
  EXPECT_EQ(Text(e), "ab");
  EXPECT_EQ(e->startDay, browse.cursorDate);
  EXPECT_EQ(e->endDay, browse.cursorDate);
  EXPECT_EQ(e->endHour, 0);
  EXPECT_EQ(e->interval, 1);
  EXPECT_EQ(e->label, 0);
  EXPECT_TRUE(accepted);
  EXPECT_TRUE(Data_Modified());
  EXPECT_EQ(browse.screenMode, MODE_BROWSE);
  EXPECT_FALSE(nwIme_IsOpen());
  EXPECT_EQ(nwFocus_Get(), &mainArea);
  velmo_test::Drain();
  EXPECT_GE(mainRedraws, 1);
  EXPECT_EQ(toolbar.slots[1].command, CMD_ADD_SCHEDULE);  // the browse bar is back
}

TEST_F(EntryDialog, ATimeTableFillsTheHourSelectionAndEndsAtTwentyFour) {
  BrowseState_SetView(VIEW_DAY);
  BrowseState_SetCursorHour(22);
  BrowseState_SetHourSpan(3);
  keys = {'x', KEY_RETURN};
  EntryDialog_Add(CMD_ADD_SCHEDULE);
  EXPECT_EQ(shown[ID_START_HOUR], "22");
  EXPECT_EQ(shown[ID_START_MINUTE], "0");
  EXPECT_EQ(shown[ID_END_HOUR], "24");
  ASSERT_EQ(Store_Count(), 1);
  EXPECT_EQ(Store_At(0)->startHour, 22);
  EXPECT_EQ(Store_At(0)->endHour, 24);
  EXPECT_EQ(Store_At(0)->endMinute, 0);
}

TEST_F(EntryDialog, CancelAndEmptyTextLeaveTheStoreUnchanged) {
  keys = {'a', KEY_ESCAPE};
  EntryDialog_Add(CMD_ADD_TASK);
  keys = {KEY_RETURN};  // empty text: the dialog stays open (ESC ends it)
  const bool accepted = EntryDialog_Add(CMD_ADD_HOLIDAY);
  EXPECT_TRUE(openAfterKeys);
  EXPECT_EQ(Store_Count(), 0);
  EXPECT_FALSE(accepted);
  EXPECT_FALSE(Data_Modified());
  EXPECT_EQ(browse.screenMode, MODE_BROWSE);
}

TEST_F(EntryDialog, TheLabelComesFromTheOptionTheFilterOrTheToolbar) {
  BrowseState_SetLabel(5);
  keys = {'a', KEY_RETURN};
  EntryDialog_Add(CMD_ADD_TASK);
  EXPECT_EQ(shown[ID_RANK], "3");
  velmo_test::EditSettings([](Settings& s) { s.label1Default = 1; });
  keys = {'b', KEY_RETURN};
  EntryDialog_Add(CMD_ADD_TASK);
  velmo_test::EditSettings([](Settings& s) { s.label1Default = 0; });
  BrowseState_SetLabel(2);
  keys = {'c', Key_HostCommand(CMD_DIALOG_LABEL0 + 4), KEY_RETURN};
  EntryDialog_Add(CMD_ADD_TASK);
  ASSERT_EQ(Store_Count(), 3);
  EXPECT_EQ(Store_At(0)->label, 0);
  EXPECT_EQ(Store_At(1)->label, 1);
  EXPECT_EQ(Store_At(2)->label, 4);
  EXPECT_EQ(Store_At(0)->kind, KIND_TASK);
  EXPECT_EQ(Store_At(0)->endDay, DAY_OPEN_END);
  EXPECT_EQ(Store_At(0)->rank, 3);
}

TEST_F(EntryDialog, ChangingATaskKeepsItsDoneMarkAndDeletesTheOldOne) {
  Entry* old = Add(KIND_TASK, "old");
  old->rank = 5;
  old->doneLen = 2;
  old->done = Store_AllocWords(1);
  old->done[0] = browse.cursorDate;
  keys = {'n', 'e', 'w', KEY_RETURN};
  EXPECT_TRUE(EntryDialog_Change(browse.cursorDate, 0));
  EXPECT_EQ(EntryDialog_Last().fields.mode, DLG_CHANGE_TASK);
  EXPECT_EQ(shown[ID_RANK], "5");
  ASSERT_EQ(Store_Count(), 2);
  EXPECT_EQ(old->kind, KIND_DELETED);
  const Entry* e = Store_At(1);
  EXPECT_EQ(e->kind, KIND_TASK);
  EXPECT_EQ(Text(e), "new");
  EXPECT_EQ(e->rank, 5);
  EXPECT_EQ(e->doneLen, 2);
  EXPECT_EQ(e->done, old->done);
}

TEST_F(EntryDialog, ChangingATimedEntryOpensAsAHolidayAndAScheduleWithoutTimeShowsDashes) {
  Entry* timed = Add(KIND_TIMED, "t");
  timed->startHour = 9;
  keys = {KEY_RETURN};
  EntryDialog_Change(browse.cursorDate, 0);
  EXPECT_EQ(EntryDialog_Last().fields.mode, DLG_CHANGE_HOLIDAY);
  ASSERT_EQ(Store_Count(), 2);
  EXPECT_EQ(Store_At(1)->kind, KIND_HOLIDAY);
  EXPECT_EQ(Text(Store_At(1)), "t");

  Add(KIND_SCHEDULE, "s");
  shown.clear();
  keys = {KEY_ESCAPE};
  const bool accepted = EntryDialog_Change(browse.cursorDate, 1);
  EXPECT_EQ(EntryDialog_Last().fields.mode, DLG_CHANGE_SCHEDULE);
  EXPECT_EQ(shown[ID_START_HOUR], "--");
  EXPECT_EQ(shown[ID_END_MINUTE], "--");
  EXPECT_EQ(shown[ID_INTERVAL], "1");  // an interval of 0 opens as 1
  EXPECT_FALSE(accepted);
  EXPECT_EQ(Store_Count(), 3);
}

TEST_F(EntryDialog, AnEndDateBeforeTheStartMovesTheStartAlong) {
  keys = {'a', Key_Control('e', false), '2', '0', '2', '3', KEY_TAB, KEY_RETURN};
  EntryDialog_Add(CMD_ADD_SCHEDULE);
  ASSERT_EQ(Store_Count(), 1);
  EXPECT_EQ(Store_At(0)->startDay, Date_ToDayNo(2023, 6, 12));
  EXPECT_EQ(Store_At(0)->endDay, Date_ToDayNo(2023, 6, 12));
}

TEST_F(EntryDialog, ReturnWithTheEndStillBeforeTheStartWaitsSilentlyForTheCheckToOrderThem) {
  Notice_Attach();
  // The end day "1" is not complete, so the focus stays in it until RETURN.
  keys = {'a', Key_Control('e', false), KEY_TAB, KEY_TAB, '1', KEY_RETURN};
  EntryDialog_Add(CMD_ADD_HOLIDAY);
  EXPECT_EQ(deepest, 1);  // no box
  EXPECT_TRUE(openAfterKeys);
  EXPECT_EQ(Store_Count(), 0);
  keys = {'a', Key_Control('e', false), KEY_TAB, KEY_TAB, '1', KEY_RETURN, KEY_RETURN};
  EntryDialog_Add(CMD_ADD_HOLIDAY);
  EXPECT_EQ(deepest, 1);
  ASSERT_EQ(Store_Count(), 1);
  EXPECT_EQ(Store_At(0)->startDay, Date_ToDayNo(2024, 6, 1));
  EXPECT_EQ(Store_At(0)->endDay, Date_ToDayNo(2024, 6, 1));
}

TEST_F(EntryDialog, AFullStoreRefusesTheNewEntryKeepsTheDialogOpenAndSaysSo) {
  Notice_Attach();
  Entry* first = Add(KIND_HOLIDAY, "h");
  while (Store_Count() < cap::kEntries) {
    Entry* copy = Store_AllocEntries(1);
    *copy = *first;
    ASSERT_TRUE(Store_Register(copy));
  }
  Data_SetModified(false);
  keys = {'a', KEY_RETURN};
  const bool accepted = EntryDialog_Add(CMD_ADD_TASK);
  EXPECT_EQ(deepest, 2);  // "失敗しました"
  EXPECT_TRUE(openAfterKeys);
  EXPECT_FALSE(accepted);
  EXPECT_EQ(Store_Count(), cap::kEntries);
  EXPECT_FALSE(Data_Modified());
}

TEST_F(EntryDialog, TheRangeMessageLeavesTheMainAreaAloneUntilTheDialogCloses) {
  Notice_Attach();
  keys = {'a', Key_Control('s', false), KEY_TAB, '1', '3', KEY_TAB, KEY_RETURN, KEY_ESCAPE};
  EntryDialog_Add(CMD_ADD_TASK);
  EXPECT_EQ(deepest, 2);  // the range message was shown
  velmo_test::Drain();
  EXPECT_EQ(mainRedraws, 1);  // only the one after the dialog
}

// Cancelling keeps nothing, so nothing is checked: ESC or the toolbar's
// cancel from a field holding a value out of range closes at once, and the
// next dialog checks its fields again.
TEST_F(EntryDialog, CancellingFromAnOutOfRangeFieldClosesAtOnceWithoutTheRangeMessage) {
  Notice_Attach();
  for (int cancel : {KEY_ESCAPE, Key_HostCommand(CMD_DIALOG_CANCEL)}) {
    SCOPED_TRACE(cancel);
    deepest = 0;
    keys = {KEY_TAB, KEY_BACKSPACE, KEY_BACKSPACE, KEY_BACKSPACE, KEY_BACKSPACE, '1', cancel};
    EntryDialog_Add(CMD_ADD_HOLIDAY);
    EXPECT_FALSE(EntryDialog_Last().dialogAccepted);
    EXPECT_EQ(deepest, 1);  // no box over the dialog
    EXPECT_EQ(nwDialog_Depth(), 0);
    EXPECT_EQ(Store_Count(), 0);
  }
  deepest = 0;
  keys = {'a', KEY_TAB, KEY_BACKSPACE, KEY_BACKSPACE, KEY_BACKSPACE, KEY_BACKSPACE, '1', KEY_TAB, KEY_RETURN,
          KEY_ESCAPE};
  EntryDialog_Add(CMD_ADD_HOLIDAY);
  EXPECT_EQ(deepest, 2);  // leaving the field still shows the range message
}

TEST_F(EntryDialog, AStartHourWithoutEndTimeGivesTheEndTheSameTime) {
  keys = {'a', Key_Control('t', false), '1', '0', KEY_TAB, KEY_RETURN};
  EntryDialog_Add(CMD_ADD_SCHEDULE);
  ASSERT_EQ(Store_Count(), 1);
  EXPECT_EQ(Store_At(0)->startHour, 10);
  EXPECT_EQ(Store_At(0)->endHour, 10);
  EXPECT_EQ(Store_At(0)->endMinute, 0);
}

// Values the program writes into fields (first values, time and date order
// fixes, range resets, steps) never count as typing: the focus stays where
// the key put it, and TAB then walks the whole tab order from there.
TEST_F(EntryDialog, ProgramWrittenValuesNeverMoveTheFocusInAnyDialogKind) {
  const int C_T = Key_Control('t', false), C_S = Key_Control('s', false);
  const int C_E = Key_Control('e', false), C_R = Key_Control('r', false);
  constexpr int TEXT = ID_TEXT, SY = ID_START_YEAR, SM = ID_START_MONTH, SD = ID_START_DAY;
  constexpr int EY = ID_END_YEAR, EM = ID_END_MONTH, ED = ID_END_DAY, SH = ID_START_HOUR;
  constexpr int SMIN = ID_START_MINUTE, EH = ID_END_HOUR, EMIN = ID_END_MINUTE, RANK = ID_RANK;
  constexpr int REP = ID_REPEAT, INTERVAL = ID_INTERVAL;
  struct Case {
    const char* what;
    int command;
    std::vector<int> rewrite;  // keys that make the program write a field
    std::vector<int> order;    // the focus after them, then after each TAB
  };
  const Case cases[] = {
      {"schedule, first values", CMD_ADD_SCHEDULE, {},
       {TEXT, SY, SM, SD, EY, EM, ED, SH, SMIN, EH, EMIN, REP, INTERVAL, TEXT}},
      {"schedule, time order ('--' minute becomes 0)", CMD_ADD_SCHEDULE, {C_T, '1', KEY_TAB},
       {SMIN, EH, EMIN, REP, INTERVAL, TEXT, SY}},
      {"schedule, minute stepped, then CTRL+T", CMD_ADD_SCHEDULE, {C_T, KEY_TAB, KEY_UP, C_T},
       {SH, SMIN, EH, EMIN, REP}},
      {"schedule, date order (start day 20)", CMD_ADD_SCHEDULE, {C_S, KEY_TAB, KEY_TAB, '2', '0'},
       {EY, EM, ED, SH, SMIN}},
      {"schedule, range reset (month 13)", CMD_ADD_SCHEDULE, {C_S, KEY_TAB, '1', '3', KEY_TAB},
       {SM, SD, EY, EM}},
      {"task, first values", CMD_ADD_TASK, {}, {TEXT, SY, SM, SD, RANK, TEXT}},
      {"task, range reset (rank 0)", CMD_ADD_TASK, {C_R, '0', KEY_TAB}, {RANK, TEXT, SY}},
      {"task, rank stepped, then CTRL+S", CMD_ADD_TASK, {C_R, KEY_UP, C_S}, {SY, SM, SD, RANK}},
      {"holiday, first values", CMD_ADD_HOLIDAY, {}, {TEXT, SY, SM, SD, EY, EM, ED, REP, INTERVAL, TEXT}},
      {"holiday, date order (start day 20)", CMD_ADD_HOLIDAY, {C_S, KEY_TAB, KEY_TAB, '2', '0'},
       {EY, EM, ED, REP, INTERVAL}},
      {"holiday, year stepped, then CTRL+E", CMD_ADD_HOLIDAY, {C_S, KEY_UP, C_E}, {EY, EM, ED, REP}},
      {"holiday, range reset (interval 0)", CMD_ADD_HOLIDAY, {C_R, KEY_TAB, '0', KEY_TAB},
       {INTERVAL, TEXT, SY}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    trail.clear();
    keys = c.rewrite;
    keys.insert(keys.end(), c.order.size() - 1, KEY_TAB);
    EntryDialog_Add(c.command);
    ASSERT_EQ(trail.size(), c.rewrite.size() + c.order.size());
    const std::vector<int> seen(trail.begin() + static_cast<long>(c.rewrite.size()), trail.end());
    EXPECT_EQ(seen, c.order);
    EXPECT_EQ(Store_Count(), 0);
  }
}

TEST_F(EntryDialog, TheLayoutFollowsTheViewAndTheOption) {
  keys = {KEY_ESCAPE};
  BrowseState_SetView(12);
  EntryDialog_Add(CMD_ADD_HOLIDAY);
  EXPECT_EQ(EntryDialog_Last().layout, LAYOUT_SMALL);
  BrowseState_SetView(VIEW_WEEK);
  velmo_test::EditSettings([](Settings& s) { s.useLargeDialog = 1; });
  keys = {KEY_ESCAPE};
  EntryDialog_Add(CMD_ADD_HOLIDAY);
  EXPECT_EQ(EntryDialog_Last().layout, LAYOUT_LARGE);
  velmo_test::EditSettings([](Settings& s) { s.useLargeDialog = 0; });
}

TEST_F(EntryDialog, DeletingAnOccurrenceMarksTheEntryAndRefusesAMissingOne) {
  Entry* e = Add(KIND_HOLIDAY, "h");
  EXPECT_FALSE(Entry_DeleteAt(browse.cursorDate, 1));
  EXPECT_FALSE(Entry_DeleteAt(browse.cursorDate, -1));
  EXPECT_TRUE(Entry_DeleteAt(browse.cursorDate, 0));
  EXPECT_EQ(e->kind, KIND_DELETED);
  EXPECT_TRUE(Data_Modified());
  EXPECT_FALSE(EntryDialog_Change(browse.cursorDate, 0));  // nothing there: nothing opens
}

// Through the headless program: the dialog over the browse screen, then the
// record file and the screen with the new entry.
TEST(EntryDialogRun, ANewScheduleReachesTheRecordFileAndTheScreen) {
  velmo_test::HeadlessFolder folder;
  // "会議", typed in UTF-8, stored in Shift-JIS
  const auto run = folder.Run("s\ntext \xe4\xbc\x9a\xe8\xad\xb0\nshot open.png\nRET\nshot after.png\nquit\n",
                              {.now = "2024-03-05T10:20"});
  ASSERT_EQ(run.status, 0) << run.errors;
  const velmo_test::Picture open = folder.Shot("open.png");
  const velmo_test::Picture after = folder.Shot("after.png");
  ASSERT_TRUE(open.Valid() && after.Valid());
  // Normal layout at (78, 24), 483 x 193: outline and the line under the title.
  EXPECT_EQ(open.Count(78, 24, 483, 1, 3), 483);
  EXPECT_EQ(open.Count(78 + 20, 24 + 26, 483 - 40, 1, 3), 483 - 40);
  EXPECT_LT(after.Count(78 + 20, 24 + 26, 483 - 40, 1, 3), 483 - 40);
  const auto record = folder.File("record");
  ASSERT_TRUE(record.has_value());
  EXPECT_NE(record->find("\x89\xef\x8b\x63"), std::string::npos);
}

// The dump line of the entry whose text is `text`; empty when none.
std::string DumpLine(const velmo_test::HeadlessFolder& folder, const std::string& text) {
  const auto dump = folder.Run("", {.program = "velmo-cli", .extra = "dump record > dump.jsonl"});
  EXPECT_EQ(dump.status, 0) << dump.errors;
  const std::string lines = folder.File("dump.jsonl").value_or("");
  const std::size_t at = lines.find("\"text\":\"" + text + "\"");
  if (at == std::string::npos) return "";
  const std::size_t start = lines.rfind('\n', at);
  const std::size_t from = start == std::string::npos ? 0 : start + 1;
  return lines.substr(from, lines.find('\n', at) - from);
}

// A value the program writes while the focus moves (the start minute "--"
// becoming "0", the start hour put in order, the end date following the
// start) does not advance the focus: the digits land in the field named.
TEST(EntryDialogRun, DigitsLandInTheFieldTheFocusWasMovedTo) {
  velmo_test::HeadlessFolder folder;
  const auto run = folder.Run(
      "s\ntext x1\nC-t\n1\nTAB\n4 5\nRET\n"               // start 1:45
      "s\ntext x2\nC-t\nTAB\nUP\nC-t\n1 0\nRET\n"           // minute 15, then the hour 10
      "s\ntext x3\nC-s\nTAB\nTAB\n3\nTAB\n2 0 2 6\nRET\nquit\n",  // start day 3, end year 2026
      {.now = "2024-06-01T10:20"});
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(DumpLine(folder, "x1").find("\"startHour\":1,\"startMinute\":45,\"endHour\":1,\"endMinute\":45"),
            std::string::npos);
  EXPECT_NE(DumpLine(folder, "x2").find("\"startHour\":10,\"startMinute\":15,\"endHour\":10,\"endMinute\":15"),
            std::string::npos);
  EXPECT_NE(DumpLine(folder, "x3").find("\"startDate\":\"2024-06-03\",\"endDate\":\"2026-06-03\""),
            std::string::npos);
}

// The range message opened while the focus passes on to the text field: the
// field's redraw must not paint over the box, and the box's place is the
// dialog's again once it closes.
TEST(EntryDialogRun, TheRangeMessageIsDrawnWholeAndWhatItCoveredComesBack) {
  velmo_test::HeadlessFolder folder;
  const auto run = folder.Run("s\ntext x\nC-r\nTAB\n0\nTAB\nshot box.png\nRET\nshot closed.png\nESC\nquit\n",
                              {.now = "2024-06-01T10:20"});
  ASSERT_EQ(run.status, 0) << run.errors;
  const velmo_test::Picture box = folder.Shot("box.png"), closed = folder.Shot("closed.png");
  ASSERT_TRUE(box.Valid() && closed.Valid());
  // The box at (200, 70), 240 x 120: its outline whole.
  EXPECT_EQ(box.Count(200, 70, 240, 1, 3), 240);
  EXPECT_EQ(box.Count(200, 70, 1, 120, 3), 120);
  EXPECT_EQ(box.Count(439, 70, 1, 120, 3), 120);
  // Closed: the text field (from (100, 58), 428 x 50) is white where the box was.
  EXPECT_EQ(closed.Count(200, 71, 240, 34, 0), 240 * 34);
  EXPECT_LT(closed.Count(200, 70, 1, 120, 3), 120);
}

// Closing the window over typed text asks first: keep it as an entry,
// discard it, or go back to the dialog. Nothing typed, or a second close over
// the question, ends at once; a signal ends at once and drops the text, as
// before.
TEST(EntryDialogRun, ClosingTheWindowOverTypedTextAsksFirst) {
  struct Case {
    const char* script;
    bool kept;       // the text reached the record file
    bool asked;      // the question was on the screen
  };
  const Case cases[] = {
      {"s\ntext t-keep\nclose\nshot ask.png\nRET\nshot never.png\n", true, true},
      {"s\ntext t-drop\nclose\nshot ask.png\nTAB RET\nshot never.png\n", false, true},
      {"s\ntext t-back\nclose\nshot ask.png\nTAB TAB RET\nshot back.png\nRET\nquit\n", true, true},
      {"s\nclose\nshot never.png\n", false, false},
      {"s\ntext t-twice\nclose\nshot ask.png\nclose\nshot never.png\n", false, true},
      {"s\ntext t-signal\nsignal\nshot never.png\n", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    velmo_test::HeadlessFolder folder;
    const auto run = folder.Run(c.script, {.now = "2024-06-01T10:20"});
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_FALSE(folder.Exists("never.png"));  // it ended there
    EXPECT_EQ(folder.Exists("ask.png"), c.asked);
    if (c.asked) {
      EXPECT_EQ(folder.Shot("ask.png").Count(200, 70, 240, 1, 3), 240);  // the question's box
    }
    EXPECT_EQ(folder.File("record").value_or("").find("t-") != std::string::npos, c.kept);
    EXPECT_TRUE(folder.Exists("continue"));  // the shutdown ran
    if (folder.Exists("back.png")) {
      EXPECT_LT(folder.Shot("back.png").Count(200, 70, 240, 1, 3), 240);  // the dialog, no box
    }
  }
}

// The month field holds 13 (two digits, so no move to the day): ESC closes
// the dialog at once, leaves the record file alone and shows no range message.
TEST(EntryDialogRun, EscapeFromAnOutOfRangeMonthClosesAtOnce) {
  velmo_test::HeadlessFolder folder;
  const auto run = folder.Run(
      "shot start.png\ns\ntext x\nC-s\nTAB\n1 3\nshot typed.png\nESC\nshot closed.png\nquit\n",
      {.now = "2024-06-01T10:20"});
  ASSERT_EQ(run.status, 0) << run.errors;
  const velmo_test::Picture start = folder.Shot("start.png"), typed = folder.Shot("typed.png"),
                            closed = folder.Shot("closed.png");
  ASSERT_TRUE(start.Valid() && typed.Valid() && closed.Valid());
  EXPECT_FALSE(typed == start);  // the dialog was open
  EXPECT_TRUE(closed == start);  // and is gone, with no box left over the screen
  EXPECT_EQ(run.errors.find("message"), std::string::npos) << run.errors;
  EXPECT_FALSE(folder.Exists("record"));
}

}  // namespace
