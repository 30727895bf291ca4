#include "ToolkitFixture.h"

namespace {

// A dialog whose keys are scripted: letter -> action.
struct TestDialog : nwDialog {
  std::vector<int> results;   // of the inner dialogs it ran
  nwDialog* inner = nullptr;
  bool closeBeforeInner = false;
};

bool TestDialog_Handler(nwObject* object, nwMessage* message) {
  auto* dlg = static_cast<TestDialog*>(object);
  if (message->code == NW_KEY_DOWN) {
    switch (message->param) {
      case 'e': nwEvent_PostTo(dlg, NW_END_MODAL, 258); return true;
      case 'i': nwEvent_PostTo(dlg, NW_END_MODAL, 5); return true;
      case 's': nwEvent_SendTo(dlg, NW_END_MODAL, 259); return true;
      case 'q':  // ends itself, then opens a box before its loop takes that
        nwEvent_PostTo(dlg, NW_END_MODAL, 7);
        dlg->results.push_back(nwDialog_DoModal(dlg->inner));
        return true;
      case 'o':
        if (dlg->closeBeforeInner) Headless_RequestClose();
        dlg->results.push_back(nwDialog_DoModal(dlg->inner));
        return true;
      default: break;
    }
  }
  return nwDialog_Handler(object, message);
}

class Dialogs : public ToolkitTest {
 protected:
  void MakeDialog(TestDialog& dlg, nwObject* parent, Probe* children, int count) {
    ZebRect r = Rect(50, 50, 200, 100);
    nwObject_Create(&dlg, TestDialog_Handler, parent, &r);
    for (int i = 0; i < count; ++i) nwObject_Create(&children[i], Probe_Handler, &dlg, nullptr);
  }
  void Tab(nwDialog& dlg, bool backward) {
    nwEvent_SendTo(&dlg, NW_KEY_DOWN, KEY_TAB, backward ? KEY_MOD_SHIFT : 0);
  }
};

TEST_F(Dialogs, TabMovesForwardAndBackwardWithWrapAround) {
  TestDialog dlg;
  Probe kids[8];
  MakeDialog(dlg, nullptr, kids, 8);
  for (int slot : {1, 4, 7}) EXPECT_TRUE(nwEvent_SendTo(&dlg, NW_SET_TAB_STOP, 0, 0, &kids[slot]));
  Probe stranger;
  EXPECT_FALSE(nwEvent_SendTo(&dlg, NW_SET_TAB_STOP, 0, 0, &stranger));
  nwFocus_Set(&kids[4]);
  dlg.tabIndex = 4;
  Tab(dlg, false);
  EXPECT_EQ(nwFocus_Get(), &kids[7]);
  Tab(dlg, false);
  EXPECT_EQ(nwFocus_Get(), &kids[1]);
  Tab(dlg, true);
  EXPECT_EQ(nwFocus_Get(), &kids[7]);
  Tab(dlg, true);
  EXPECT_EQ(nwFocus_Get(), &kids[4]);
  Tab(dlg, true);
  EXPECT_EQ(nwFocus_Get(), &kids[1]);
  EXPECT_EQ(dlg.tabIndex, 1);
}

TEST_F(Dialogs, FirstTabGoesToTheLowestStopEvenIfFocusedThere) {
  TestDialog dlg;
  Probe kids[3];
  MakeDialog(dlg, nullptr, kids, 3);
  nwEvent_SendTo(&dlg, NW_SET_TAB_STOP, 0, 0, &kids[1]);
  nwEvent_SendTo(&dlg, NW_SET_TAB_STOP, 0, 0, &kids[2]);
  nwFocus_Set(&kids[1]);
  kids[1].seen.clear();
  Tab(dlg, true);
  EXPECT_EQ(nwFocus_Get(), &kids[1]);
  ASSERT_EQ(kids[1].seen.size(), 2u);
  EXPECT_EQ(kids[1].seen[0].code, NW_LOST_FOCUS);
  EXPECT_EQ(kids[1].seen[1].code, NW_GAIN_FOCUS);
}

TEST_F(Dialogs, ASingleTabStopDoesNotMoveAndAStrayFocusIsResynchronised) {
  TestDialog dlg;
  Probe kids[3];
  MakeDialog(dlg, nullptr, kids, 3);
  nwEvent_SendTo(&dlg, NW_SET_TAB_STOP, 0, 0, &kids[2]);
  Tab(dlg, false);
  EXPECT_EQ(nwFocus_Get(), &kids[2]);
  Tab(dlg, false);
  EXPECT_EQ(nwFocus_Get(), &kids[2]);
  nwFocus_Set(&kids[0]);
  EXPECT_EQ(nwDialog_NextTab(&dlg, false), -1);
  EXPECT_NE(std::find(log_.begin(), log_.end(), "next_tab-> fix focus: focus is out"), log_.end());
  EXPECT_NE(std::find(log_.begin(), log_.end(), "next_tab-> oh!"), log_.end());
  nwFocus_Set(&dlg);
  EXPECT_EQ(nwDialog_NextTab(&dlg, false), -1);
  EXPECT_NE(std::find(log_.begin(), log_.end(), "next_tab-> fix focus: focus is me"), log_.end());
}

TEST_F(Dialogs, EndModalGivesTheLowByteAndDestroyRestoresTheFocus) {
  Probe main;
  ZebRect full = Rect(0, 0, 640, 240);
  nwObject_Create(&main, Probe_Handler, nullptr, &full);
  nwFocus_Set(&main);
  TestDialog dlg;
  Probe kids[2];
  MakeDialog(dlg, &main, kids, 2);
  Headless_PushKey('e');
  EXPECT_EQ(nwDialog_DoModal(&dlg), 2);
  EXPECT_EQ(dlg.visible, 1);
  EXPECT_EQ(kids[0].count(NW_KEY_DOWN), 1);  // first child had the focus
  EXPECT_EQ(nwFocus_Get(), &kids[0]);
  main.seen.clear();
  nwObject_Destroy(&dlg);
  EXPECT_EQ(nwFocus_Get(), &main);
  EXPECT_EQ(dlg.visible, 0);
  EXPECT_EQ(main.count(NW_GAIN_FOCUS), 1);
  Drain();
  EXPECT_EQ(main.count(NW_REDRAW), 1);
}

TEST_F(Dialogs, NestedModalLoopsEndInnermostFirst) {
  TestDialog outer, inner;
  Probe outerKids[1], innerKids[1];
  MakeDialog(outer, nullptr, outerKids, 1);
  MakeDialog(inner, &outer, innerKids, 1);
  outer.inner = &inner;
  for (int key : {'o', 'i', 'e'}) Headless_PushKey(key);
  EXPECT_EQ(nwDialog_DoModal(&outer), 2);
  ASSERT_EQ(outer.results.size(), 1u);
  EXPECT_EQ(outer.results[0], 5);
  EXPECT_EQ(nwDialog_Depth(), 0);
  // An EndModal sent to a handler ends the innermost loop just the same,
  // and outside any loop it is not handled.
  for (int key : {'o', 's', 'x', 's'}) Headless_PushKey(key);
  EXPECT_EQ(nwDialog_DoModal(&outer), 3);
  ASSERT_EQ(outer.results.size(), 2u);
  EXPECT_EQ(outer.results[1], 3);
  EXPECT_FALSE(nwEvent_SendTo(&outer, NW_END_MODAL, 1));
  // An EndModal the outer dialog queued for itself before the inner one
  // opened waits for the inner loop's own end, then ends the outer loop.
  for (int key : {'q', 'x', 'i'}) Headless_PushKey(key);
  EXPECT_EQ(nwDialog_DoModal(&outer), 7);
  ASSERT_EQ(outer.results.size(), 3u);
  EXPECT_EQ(outer.results[2], 5);
  EXPECT_EQ(nwDialog_Depth(), 0);
}

TEST_F(Dialogs, ACloseRequestEndsNestedLoopsWithCancelAndThenTheMainLoop) {
  Probe main;
  nwObject_Create(&main, Probe_Handler, nullptr, nullptr);
  TestDialog outer, inner;
  Probe outerKids[1], innerKids[1];
  MakeDialog(outer, &main, outerKids, 1);
  MakeDialog(inner, &outer, innerKids, 1);
  outer.inner = &inner;
  outer.closeBeforeInner = true;
  Headless_PushKey('o');
  EXPECT_EQ(nwDialog_DoModal(&outer), NW_MODAL_CANCEL);
  ASSERT_EQ(outer.results.size(), 1u);
  EXPECT_EQ(outer.results[0], NW_MODAL_CANCEL);
  EXPECT_EQ(nwEvent_Next(true), nullptr);  // the main loop ends too
  EXPECT_EQ(RunMainLoop(), 0);
}

TEST_F(Dialogs, ACloseRequestIsTakenBeforeWaitingKeysAndSurvivesAFullQueue) {
  Probe main;
  nwObject_Create(&main, Probe_Handler, nullptr, nullptr);
  nwFocus_Set(&main);
  for (int i = 0; i < 500; ++i) Headless_PushKey('k');
  Headless_RequestClose();
  EXPECT_EQ(RunMainLoop(), 0);
  EXPECT_EQ(main.count(NW_KEY_DOWN), 0);
}

TEST_F(Dialogs, AHostCommandReachesTheFocusChain) {
  Probe top, leaf;
  nwObject_Create(&top, Probe_Handler, nullptr, nullptr);
  nwObject_Create(&leaf, Probe_Handler, &top, nullptr);
  nwFocus_Set(&leaf);
  EXPECT_TRUE(Headless_PushCommand(3020));
  EXPECT_FALSE(Headless_PushCommand(KEY_HOST_COMMAND_MAX + 1));
  Drain();
  ASSERT_NE(top.last(NW_COMMAND), nullptr);
  EXPECT_EQ(top.last(NW_COMMAND)->param, 3020);
  EXPECT_EQ(leaf.count(NW_KEY_DOWN), 0);
}

TEST_F(Dialogs, AQuitPostedInsideADialogEndsEveryLevel) {
  TestDialog dlg;
  Probe kids[1];
  MakeDialog(dlg, nullptr, kids, 1);
  nwEvent_PostTo(nullptr, NW_QUIT);
  Headless_PushKey('e');
  EXPECT_EQ(nwDialog_DoModal(&dlg), NW_MODAL_CANCEL);
  EXPECT_EQ(nwEvent_Next(true), nullptr);
}

TEST_F(Dialogs, AnIdleProgramIsAskedToCloseInsteadOfWaitingForever) {
  Headless_SetIdleLimit(10);
  EXPECT_EQ(RunMainLoop(), 0);
  EXPECT_EQ(Headless_WaitCount(), 10);
  EXPECT_EQ(Headless_NowMs() % 60000, 0);  // each wait passed 60 s virtually
}

}  // namespace
