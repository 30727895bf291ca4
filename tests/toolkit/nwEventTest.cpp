#include "ToolkitFixture.h"

namespace {

using EventQueue = ToolkitTest;

nwMessage Msg(int code, int param = 0) {
  nwMessage m{};
  return *nwEvent_Set(&m, code, nullptr, param, 0);
}

TEST_F(EventQueue, OverflowDropsTheNewMessageAndWrapsAfterATake) {
  Probe p;
  nwObject_Create(&p, Probe_Handler, nullptr, nullptr);
  for (int i = 0; i < 128; ++i) {
    nwMessage m = Msg(NW_COMMAND, i);
    ASSERT_TRUE(nwEvent_Post(&m, &p));
  }
  nwMessage extra = Msg(NW_COMMAND, 999);
  EXPECT_FALSE(nwEvent_Post(&extra, &p));
  EXPECT_EQ(nwEvent_Pending(), 128);
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_EQ(log_[0], "Kiln: warning!! message queue overflow.");

  nwMessage* first = nwEvent_Next(false);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->param, 0);
  nwMessage wrapped = Msg(NW_COMMAND, 128);
  EXPECT_TRUE(nwEvent_Post(&wrapped, &p));  // lands in slot 0 again
  for (int i = 1; i <= 128; ++i) {
    nwMessage* m = nwEvent_Next(false);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->param, i);
  }
  EXPECT_EQ(nwEvent_Pending(), 0);
}

TEST_F(EventQueue, NonBlockingNextOnEmptyQueueGivesTheEmptyMessage) {
  nwMessage* m = nwEvent_Next(false);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->code, NW_NONE);
  EXPECT_FALSE(nwEvent_Dispatch(m));
}

TEST_F(EventQueue, QuitEndsTheLoopEvenWithMessagesBehindItAndStays) {
  Probe p;
  nwObject_Create(&p, Probe_Handler, nullptr, nullptr);
  nwMessage quit = Msg(NW_QUIT);
  nwMessage cmd = Msg(NW_COMMAND, 5);
  nwEvent_PostFocus(&quit);
  nwEvent_Post(&cmd, &p);
  EXPECT_EQ(nwEvent_Next(true), nullptr);
  EXPECT_TRUE(nwEvent_IsQuitting());
  EXPECT_EQ(nwEvent_Next(true), nullptr);
  EXPECT_EQ(nwEvent_Next(false), nullptr);
  nwEvent_Reset();
  EXPECT_FALSE(nwEvent_IsQuitting());
  EXPECT_EQ(nwEvent_Pending(), 0);
}

TEST_F(EventQueue, KeysBubbleFromTheFocusUpToTheFirstTaker) {
  Probe top, middle, leaf;
  nwObject_Create(&top, Probe_Handler, nullptr, nullptr);
  nwObject_Create(&middle, Probe_Handler, &top, nullptr);
  nwObject_Create(&leaf, Probe_Handler, &middle, nullptr);
  middle.answer = true;
  nwFocus_Set(&leaf);
  nwMessage key = Msg(NW_KEY_DOWN, 'x');
  nwEvent_PostFocus(&key);
  nwMessage* m = nwEvent_Next(true);
  EXPECT_TRUE(nwEvent_Dispatch(m));
  EXPECT_EQ(m->code, NW_NONE);
  EXPECT_EQ(leaf.count(NW_KEY_DOWN), 1);
  EXPECT_EQ(middle.count(NW_KEY_DOWN), 1);
  EXPECT_EQ(top.count(NW_KEY_DOWN), 0);

  middle.answer = false;
  nwEvent_PostFocus(&key);
  EXPECT_TRUE(nwEvent_Dispatch(nwEvent_Next(true)));  // no taker: still true
  EXPECT_EQ(top.count(NW_KEY_DOWN), 1);
}

TEST_F(EventQueue, FocusChainMessagesWithoutFocusAndOtherUntargetedCodesAreDropped) {
  Probe p;
  nwObject_Create(&p, Probe_Handler, nullptr, nullptr);
  nwMessage key = Msg(NW_KEY_DOWN, 'a');
  nwEvent_PostFocus(&key);
  EXPECT_FALSE(nwEvent_Dispatch(nwEvent_Next(true)));
  nwFocus_Set(&p);
  p.seen.clear();
  nwMessage redraw = Msg(NW_REDRAW);
  nwEvent_PostFocus(&redraw);
  EXPECT_FALSE(nwEvent_Dispatch(nwEvent_Next(true)));
  EXPECT_TRUE(p.seen.empty());
}

TEST_F(EventQueue, ACycleInTheParentChainDoesNotHang) {
  Probe a, b;
  nwObject_Create(&a, Probe_Handler, nullptr, nullptr);
  nwObject_Create(&b, Probe_Handler, &a, nullptr);
  a.parent = &b;
  nwFocus_Set(&b);
  nwMessage key = Msg(NW_KEY_DOWN, 'a');
  nwEvent_PostFocus(&key);
  EXPECT_TRUE(nwEvent_Dispatch(nwEvent_Next(true)));
  EXPECT_GT(a.count(NW_KEY_DOWN), 1);
}

TEST_F(EventQueue, SetRectIsRelativeToTheParentAndGetRectAbsolute) {
  Probe parent, child;
  ZebRect pr = Rect(10, 20, 100, 100);
  ZebRect cr = Rect(5, 5, 30, 12);
  nwObject_Create(&parent, Probe_Handler, nullptr, &pr);
  nwObject_Create(&child, Probe_Handler, &parent, &cr);
  ZebRect got{};
  nwEvent_SendTo(&child, NW_GET_RECT, 0, 0, &got);
  EXPECT_EQ(got.x, 15);
  EXPECT_EQ(got.y, 25);
  EXPECT_EQ(got.w, 30);
  EXPECT_EQ(got.h, 12);
  EXPECT_EQ(parent.rect.x, 10);
}

TEST_F(EventQueue, TheThirtyThirdChildIsRefusedAndAFreedSlotReused) {
  Probe parent;
  nwObject_Create(&parent, Probe_Handler, nullptr, nullptr);
  static Probe children[33];
  for (int i = 0; i < 32; ++i) nwObject_Create(&children[i], Probe_Handler, &parent, nullptr);
  EXPECT_EQ(parent.childCount, 32);
  EXPECT_FALSE(nwEvent_SendTo(&parent, NW_ADD_CHILD, 0, 0, &children[32]));
  EXPECT_EQ(parent.childCount, 32);
  EXPECT_TRUE(nwEvent_SendTo(&parent, NW_REMOVE_CHILD, 0, 0, &children[4]));
  EXPECT_FALSE(nwEvent_SendTo(&parent, NW_REMOVE_CHILD, 0, 0, &children[4]));
  EXPECT_TRUE(nwEvent_SendTo(&parent, NW_ADD_CHILD, 0, 0, &children[32]));
  EXPECT_EQ(parent.children[4], &children[32]);
  for (auto& c : children) c.seen.clear();
}

TEST_F(EventQueue, CreationSendsItsMessagesInOrderAndCountsSerials) {
  Probe parent, child;
  nwObject_Create(&parent, Probe_Handler, nullptr, nullptr);
  ZebRect r = Rect(1, 2, 3, 4);
  nwObject_Create(&child, Probe_Handler, &parent, &r);
  ASSERT_EQ(child.seen.size(), 3u);
  EXPECT_EQ(child.seen[0].code, NW_SET_PARENT);
  EXPECT_EQ(child.seen[1].code, NW_SET_RECT);
  EXPECT_EQ(child.seen[2].code, NW_CREATE);
  EXPECT_EQ(parent.last(NW_ADD_CHILD)->ptr, &child);
  EXPECT_EQ(child.serial, parent.serial + 1);
  EXPECT_EQ(child.visible, 0);
  EXPECT_EQ(child.foreColor, 3);
  EXPECT_EQ(child.backColor, 1);
}

TEST_F(EventQueue, DestroyUnlinksFromTheParentAndMovesAFocusOffTheRecord) {
  Probe parent, child;
  nwObject_Create(&parent, Probe_Handler, nullptr, nullptr);
  nwObject_Create(&child, Probe_Handler, &parent, nullptr);
  nwFocus_Set(&child);
  EXPECT_TRUE(nwObject_Destroy(&child));
  EXPECT_EQ(parent.childCount, 0);
  EXPECT_EQ(child.count(NW_DESTROY), 1);
  EXPECT_EQ(nwFocus_Get(), &parent);
  Probe lone;
  nwObject_Create(&lone, Probe_Handler, nullptr, nullptr);
  EXPECT_TRUE(nwObject_Destroy(&lone));
}

TEST_F(EventQueue, ShowPostsToChildrenAndHideErasesWithTheParentBackground) {
  Probe parent, child;
  ZebRect pr = Rect(100, 100, 60, 40);
  ZebRect cr = Rect(10, 10, 20, 10);
  nwObject_Create(&parent, Probe_Handler, nullptr, &pr);
  nwObject_Create(&child, Probe_Handler, &parent, &cr);
  parent.backColor = ZEB_DARK_GREY;
  nwEvent_SendTo(&parent, NW_SHOW);
  Drain();
  EXPECT_EQ(child.visible, 1);
  EXPECT_EQ(Zeb_GetPixel(100, 100), ZEB_BLACK);   // frame
  EXPECT_EQ(Zeb_GetPixel(101, 101), ZEB_WHITE);   // raised top-left edge
  EXPECT_EQ(Zeb_GetPixel(158, 138), ZEB_DARK_GREY);
  EXPECT_EQ(Zeb_GetPixel(120, 115), ZEB_LIGHT_GREY);  // child's inside
  nwEvent_SendTo(&child, NW_HIDE);
  Drain();
  EXPECT_EQ(child.visible, 0);
  for (int x = 110; x < 130; ++x) EXPECT_EQ(Zeb_GetPixel(x, 115), ZEB_DARK_GREY) << x;
}

TEST_F(EventQueue, NamesComeFromTheTableOrAreFormatted) {
  nwMessage m = Msg(NW_KEY_DOWN);
  EXPECT_STREQ(nwEvent_Name(&m), "KeyDown");
  m.code = NW_LOST_FOCUS_NOTIFY;
  EXPECT_STREQ(nwEvent_Name(&m), "LostFocusNotify");
  for (int code : {23, 41, 42, 45, 99, -1}) {
    m.code = code;
    EXPECT_EQ(std::string(nwEvent_Name(&m)), "(unknown)" + std::to_string(code));
  }
}

// A handler that floods the queue while its own message is being dispatched.
struct Flooder : Probe {};
bool Flooder_Handler(nwObject* object, nwMessage* message) {
  if (message->code == NW_COMMAND && message->param == 42) {
    for (int i = 0; i < 200; ++i) nwEvent_PostTo(object, NW_COMMAND, 7);
    EXPECT_EQ(message->param, 42);
    EXPECT_EQ(message->code, NW_COMMAND);
    return false;
  }
  return Probe_Handler(object, message);
}

TEST_F(EventQueue, ATakenMessageSurvivesPostsMadeWhileItIsDispatched) {
  Probe top;
  Flooder leaf;
  nwObject_Create(&top, Probe_Handler, nullptr, nullptr);
  nwObject_Create(&leaf, Flooder_Handler, &top, nullptr);
  nwFocus_Set(&leaf);
  nwEvent_PostTo(nullptr, NW_COMMAND, 42);
  nwEvent_Dispatch(nwEvent_Next(true));
  ASSERT_NE(top.last(NW_COMMAND), nullptr);
  EXPECT_EQ(top.last(NW_COMMAND)->param, 42);
  EXPECT_EQ(nwEvent_Pending(), 128);
}

}  // namespace
