#include "ToolkitFixture.h"

namespace {

class Timers : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    nwObject_Create(&target_, Probe_Handler, nullptr, nullptr);
    start_ = Headless_NowMs();
  }
  // The next message from a blocking loop, dispatched; its virtual time.
  std::int64_t NextTimer() {
    nwMessage* m = nwEvent_Next(true);
    EXPECT_NE(m, nullptr);
    if (m == nullptr) return -1;
    EXPECT_EQ(m->code, NW_TIMER);
    EXPECT_EQ(m->target, &target_);
    nwEvent_Dispatch(m);
    return Headless_NowMs() - start_;
  }
  Probe target_;
  std::int64_t start_ = 0;
};

TEST_F(Timers, ATimerFiresEveryIntervalOnTheVirtualClock) {
  nwTimer_Set(1, &target_, 500);
  EXPECT_EQ(NextTimer(), 1);
  EXPECT_EQ(NextTimer(), 501);
  EXPECT_EQ(NextTimer(), 1001);
  EXPECT_EQ(target_.last(NW_TIMER)->param, 1);
  EXPECT_EQ(target_.count(NW_TIMER), 3);
}

TEST_F(Timers, ABusyLoopCatchesUpOneIntervalPerCheck) {
  nwTimer_Set(3, &target_, 500);
  EXPECT_EQ(NextTimer(), 1);
  Headless_Advance(1600);  // busy for three intervals
  EXPECT_EQ(NextTimer(), 1601);
  EXPECT_EQ(NextTimer(), 1601);
  EXPECT_EQ(NextTimer(), 1601);
  EXPECT_EQ(NextTimer(), 2001);
}

TEST_F(Timers, AFarBehindTimerSkipsAheadAndAClockGoneBackIsFollowed) {
  nwTimer_Set(0, &target_, 500);
  EXPECT_EQ(NextTimer(), 1);
  Headless_Advance(3600 * 1000);
  EXPECT_EQ(NextTimer(), 3600001);
  EXPECT_EQ(NextTimer(), 3600502);
  Headless_SetLocalTime(2023, 12, 31, 9, 0, 0);  // a day back
  const std::int64_t back = Headless_NowMs();
  ASSERT_NE(nwEvent_Next(true), nullptr);
  EXPECT_LE(Headless_NowMs() - back, 501);
}

TEST_F(Timers, CheckReportsTheWaitAndKilledOrBadSlotsDoNothing) {
  EXPECT_EQ(nwTimer_Check(), 60000);
  nwTimer_Set(2, &target_, 10000);
  nwTimer_Set(4, &target_, 300);
  nwTimer_Set(5, &target_, 1);    // no such slot
  nwTimer_Set(-1, &target_, 1);
  Headless_Advance(1);
  EXPECT_EQ(nwTimer_Check(), 299);  // both fired
  nwTimer_Kill(4);
  nwTimer_Kill(7);
  EXPECT_EQ(nwTimer_Check(), 9999);
  EXPECT_EQ(nwEvent_Pending(), 2);
}

TEST_F(Timers, ATimerIntoAFullQueueIsDroppedButStillAdvances) {
  for (int i = 0; i < 128; ++i) nwEvent_PostTo(&target_, NW_REDRAW);
  nwTimer_Set(1, &target_, 500);
  Headless_Advance(1);
  EXPECT_EQ(nwTimer_Check(), 499);
  EXPECT_EQ(nwEvent_Pending(), 128);
}

}  // namespace
