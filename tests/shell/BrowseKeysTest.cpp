// The browse key table: what each key and modifier posts to the main area.
#include <vector>

#include "files/Settings.h"
#include "graphics/ZebKey.h"
#include "shell/Browse.h"
#include "views/ThreeMonths.h"
#include "views/ViewFixture.h"
#include "support/SettingsEdit.h"

namespace {

struct Posted {
  nwObject* target;
  int code;
  int param;
  bool operator==(const Posted&) const = default;
};

class BrowseKeys : public ViewFixture {
 protected:
  void SetUp() override {
    ViewFixture::SetUp();
    Settings_ApplyDefaults();
    BrowseState_SetView(VIEW_LIST);  // no view: keys the table leaves are not taken
  }
  // Runs the key and returns what it posted.
  static std::vector<Posted> Press(int key, int modifiers, bool* taken = nullptr) {
    const bool result = Browse_Key(key, modifiers);
    if (taken != nullptr) *taken = result;
    std::vector<Posted> posted;
    while (nwEvent_Pending() > 0) {
      nwMessage* m = nwEvent_Next(false);
      if (m == nullptr) break;
      posted.push_back({m->target, m->code, m->param});
      m->code = NW_NONE;
    }
    return posted;
  }
  static Posted Cmd(int n) { return {&mainArea, NW_COMMAND, n}; }
  static Posted KeyTo(int k) { return {&mainArea, NW_KEY_DOWN, k}; }
};

constexpr int NONE = KEY_MOD_NONE, CTRL = KEY_MOD_CTRL, SHIFT = KEY_MOD_SHIFT,
              CTRL_SHIFT = KEY_MOD_CTRL_SHIFT;

TEST_F(BrowseKeys, LettersBecomeCommandsOrKeys) {
  struct Case {
    int key, modifiers;
    bool command;
    int value;
  };
  const Case cases[] = {
      {'t', NONE, true, 3021},        {'t', SHIFT, true, 3021},       {'s', NONE, true, 3020},
      {'s', SHIFT, true, 3020},       {'s', CTRL, true, 4501},        {'s', CTRL_SHIFT, true, 4501},
      {'h', NONE, true, 3022},        {'f', NONE, true, 3018},        {'f', CTRL, false, KEY_RIGHT},
      {'g', NONE, true, 3019},        {'j', NONE, true, 3017},        {'c', NONE, true, 3005},
      {'c', CTRL, true, 4507},        {'d', NONE, true, 3002},        {'d', CTRL, false, KEY_DELETE},
      {'v', NONE, true, 4523},        {'v', CTRL, true, 4508},        {'x', CTRL, true, 4506},
      {'l', CTRL, true, 3003},        {'b', CTRL, false, KEY_LEFT},   {'p', NONE, false, 6001},
      {'p', CTRL, false, KEY_UP},     {'p', CTRL_SHIFT, false, 6003}, {'n', NONE, false, 6002},
      {'n', CTRL, false, KEY_DOWN},   {'n', CTRL_SHIFT, false, 6004}, {'m', NONE, true, 3039},
      {'?', NONE, true, 4524},        {'0', NONE, true, 3028},        {'1', NONE, true, 3029},
      {'4', NONE, true, 3032},        {'9', NONE, true, 3033},        {KEY_DELETE, NONE, true, 4509},
      {KEY_UP, CTRL, false, 6001},    {KEY_DOWN, CTRL, false, 6002},  {Key_Special(KEY_DELETE, false, true), NONE, true, 4509},
  };
  for (const Case& c : cases) {
    const Posted want = c.command ? Cmd(c.value) : KeyTo(c.value);
    bool taken = false;
    EXPECT_EQ(Press(c.key, c.modifiers, &taken), std::vector<Posted>{want})
        << "key " << c.key << " modifiers " << c.modifiers;
    EXPECT_TRUE(taken) << c.key;
  }
}

TEST_F(BrowseKeys, OtherModifiersGoToTheView) {
  const int keys[][2] = {{'c', SHIFT}, {'h', CTRL},  {'f', SHIFT}, {'1', SHIFT}, {'q', CTRL},
                         {'x', NONE},  {'d', SHIFT}, {'z', NONE},  {KEY_RETURN, CTRL},
                         {Key_Special(KEY_UP, true, false), NONE}, {KEY_UP, NONE}};
  for (const auto& k : keys) {
    bool taken = true;
    EXPECT_TRUE(Press(k[0], k[1], &taken).empty()) << k[0] << "/" << k[1];
    EXPECT_FALSE(taken) << k[0] << "/" << k[1];
  }
}

TEST_F(BrowseKeys, QuitDestroysTheMainAreaAndEscapeIsSwallowed) {
  EXPECT_EQ(Press('q', NONE), (std::vector<Posted>{{&mainArea, NW_DESTROY, 0}}));
  bool taken = false;
  EXPECT_TRUE(Press(KEY_ESCAPE, CTRL, &taken).empty());
  EXPECT_TRUE(taken);
}

TEST_F(BrowseKeys, PageKeysSelectItemsOnlyWithTheOption) {
  bool taken = true;
  EXPECT_TRUE(Press(KEY_PAGEDOWN, NONE, &taken).empty());
  EXPECT_FALSE(taken);
  velmo_test::EditSettings([](Settings& s) { s.selectItemByPageUpDown = 1; });
  EXPECT_EQ(Press(KEY_PAGEDOWN, NONE), std::vector<Posted>{KeyTo(6002)});
  EXPECT_EQ(Press(KEY_PAGEUP, NONE), std::vector<Posted>{KeyTo(6001)});
  EXPECT_EQ(Press(Key_Special(KEY_PAGEUP, true, false), NONE), std::vector<Posted>{KeyTo(6001)});
}

TEST_F(BrowseKeys, ReturnAndInsertToggleBetweenTheFamilies) {
  struct Case {
    std::uint16_t view;
    int onReturn, onInsert;
  };
  for (const Case& c : {Case{VIEW_FIVE_WEEKS, 3007, 3008}, Case{VIEW_THREE_WEEKS, 3007, 3008},
                        Case{VIEW_TWO_WEEKS, 3007, 3008}, Case{VIEW_WEEK, 3008, 3006},
                        Case{VIEW_WEEK_LIST, 3008, 3006}, Case{VIEW_DAY, 3006, 3007}}) {
    BrowseState_SetView(c.view);
    EXPECT_EQ(Press(KEY_RETURN, NONE), std::vector<Posted>{Cmd(c.onReturn)}) << c.view;
    EXPECT_EQ(Press('j', CTRL), std::vector<Posted>{Cmd(c.onReturn)}) << c.view;
    EXPECT_EQ(Press('j', CTRL_SHIFT), std::vector<Posted>{Cmd(c.onReturn)}) << c.view;
    EXPECT_EQ(Press(KEY_INSERT, NONE), std::vector<Posted>{Cmd(c.onInsert)}) << c.view;
  }
  BrowseState_SetView(VIEW_LIST);
  bool taken = false;
  EXPECT_TRUE(Press(KEY_RETURN, NONE, &taken).empty());
  EXPECT_TRUE(taken);
}

TEST_F(BrowseKeys, ReturnAndInsertLeaveTheCalendar) {
  for (int key : {KEY_RETURN, KEY_INSERT}) {
    BrowseState_SetView(VIEW_WEEK);
    View_SwitchTo(VIEW_THREE_MONTHS);
    for (const Posted& p : Press(key, NONE)) EXPECT_NE(p.target, &mainArea);
    EXPECT_EQ(browse.currentView, VIEW_WEEK);
    EXPECT_EQ(browse.previousView, VIEW_THREE_MONTHS);
  }
}

TEST_F(BrowseKeys, CalendarKeysReachTheView) {
  BrowseState_SetView(VIEW_THREE_MONTHS);
  View_CreateCurrent();
  bool taken = false;
  Press(KEY_RIGHT, NONE, &taken);
  EXPECT_TRUE(taken);
  EXPECT_EQ(browse.cursorDate, Day(2024, 2, 1));
  // SPACE without a selected item goes to the view alone.
  EXPECT_TRUE(Press(KEY_SPACE, NONE).empty());
}

TEST_F(BrowseKeys, ViewCommandsSwitchAndLabelsFilter) {
  BrowseState_SetView(VIEW_DAY);
  EXPECT_TRUE(Browse_Command(3005));
  EXPECT_EQ(browse.currentView, VIEW_THREE_MONTHS);
  EXPECT_EQ(browse.previousView, VIEW_DAY);
  EXPECT_TRUE(Browse_Command(4518));  // already shown
  EXPECT_EQ(browse.previousView, VIEW_DAY);
  EXPECT_TRUE(Browse_Command(3007));
  EXPECT_EQ(browse.currentView, VIEW_WEEK_LIST);
  EXPECT_TRUE(Browse_Command(4521));
  EXPECT_EQ(browse.currentView, VIEW_DAY);
  EXPECT_TRUE(Browse_Command(3006));
  EXPECT_EQ(browse.currentView, VIEW_TWO_WEEKS);
  EXPECT_TRUE(Browse_Command(3002));
  EXPECT_EQ(browse.currentView, VIEW_FIVE_WEEKS);
  EXPECT_TRUE(Browse_Command(4504));
  EXPECT_FALSE(Browse_Command(3039));

  EXPECT_TRUE(Browse_Command(3030));
  EXPECT_EQ(browse.currentLabel, 2);
  EXPECT_FALSE(Store_LabelVisible(1));
  EXPECT_TRUE(Store_LabelVisible(2));
  EXPECT_TRUE(Browse_Command(3028));
  EXPECT_EQ(browse.currentLabel, 0);
  EXPECT_TRUE(Store_LabelVisible(1));
  velmo_test::EditSettings([](Settings& s) { s.customLabel[3] = 0; });
  EXPECT_TRUE(Browse_Command(3033));
  EXPECT_EQ(browse.currentLabel, 5);
}

TEST_F(BrowseKeys, NowPutsTheCursorOnToday) {
  Date_SetClock([](DateClock& out) {
    out = DateClock{};
    out.year = 2024;
    out.month = 3;
    out.mday = 5;
    out.hour = 14;
    out.minute = 30;
  });
  BrowseState_SetView(VIEW_THREE_MONTHS);
  View_CreateCurrent();
  EXPECT_TRUE(Browse_Command(3003));
  EXPECT_EQ(browse.cursorDate, Day(2024, 3, 5));
  EXPECT_EQ(browse.today, Day(2024, 3, 5));
  EXPECT_EQ(browse.cursorHour, 14);
  EXPECT_EQ(ThreeMonths_State().firstMonth, Date_ToMonthNo(2024, 2));
}

}  // namespace
