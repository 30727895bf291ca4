#include <thread>

#include "ToolkitFixture.h"

namespace {

using HostKeys = ToolkitTest;

TEST_F(HostKeys, AKeyFloodKeepsTheProgramRunningAndDropsTheExcess) {
  Probe focus;
  nwObject_Create(&focus, Probe_Handler, nullptr, nullptr);
  nwFocus_Set(&focus);
  int accepted = 0;
  for (int i = 0; i < 5000; ++i) accepted += Headless_PushKey('a' + i % 26) ? 1 : 0;
  EXPECT_EQ(accepted, static_cast<int>(cap::kKeyQueue));
  EXPECT_EQ(Host_DroppedKeys(), 5000 - accepted);
  Drain();
  EXPECT_EQ(focus.count(NW_KEY_DOWN), accepted);
  EXPECT_EQ(focus.seen.back().param, 'a' + (accepted - 1) % 26);
  Headless_PushKey('q');
  Drain();
  EXPECT_EQ(focus.last(NW_KEY_DOWN)->param, 'q');
}

TEST_F(HostKeys, GetKeyWithoutWaitReturnsAtOnceAndTransfersFirst) {
  static int transfers = 0;
  transfers = 0;
  Headless_SetTransfer([] { ++transfers; });
  const std::int64_t before = Headless_NowMs();
  EXPECT_EQ(Zeb_GetKey(0), -1);
  EXPECT_EQ(Headless_NowMs(), before);
  EXPECT_EQ(Zeb_GetKey(3), -1);        // no feeder: the wait passes virtually
  EXPECT_EQ(Headless_NowMs(), before + 300);
  Headless_PushKey('x');
  EXPECT_EQ(Zeb_GetKey(5), 'x');
  EXPECT_EQ(Headless_NowMs(), before + 300);
  EXPECT_EQ(transfers, 3);
}

TEST_F(HostKeys, TheFeederRunsWhenTheApplicationWaitsOnAnEmptyQueue) {
  static int asked = 0;
  asked = 0;
  Headless_SetFeeder([](int waitMs) {
    asked = waitMs;
    Headless_PushKey('f');
  });
  EXPECT_EQ(Zeb_WaitKey(250), 'f');
  EXPECT_EQ(asked, 250);
  Headless_SetFeeder([](int) { Headless_Advance(40); });
  const std::int64_t before = Headless_NowMs();
  EXPECT_EQ(Zeb_WaitKey(250), -1);
  EXPECT_EQ(Headless_NowMs(), before + 40);  // the feeder's time, not the wait's
}

TEST_F(HostKeys, TheVirtualClockGivesLocalDateAndTime) {
  DateClock c{};
  Date_ReadClock(c);
  EXPECT_EQ(c.seconds, 1704099600);  // 2024-01-01 09:00:00
  EXPECT_EQ(c.year, 2024);
  EXPECT_EQ(c.hour, 9);
  Headless_SetLocalTime(2024, 2, 29, 23, 59, 59);
  Headless_Advance(1250);
  Date_ReadClock(c);
  EXPECT_EQ(c.year, 2024);
  EXPECT_EQ(c.month, 3);
  EXPECT_EQ(c.mday, 1);
  EXPECT_EQ(c.hour, 0);
  EXPECT_EQ(c.minute, 0);
  EXPECT_EQ(c.second, 0);
  EXPECT_EQ(c.micros, 250000);
}

TEST_F(HostKeys, ImeToggleAndDebugMessageGoThroughTheHost) {
  EXPECT_FALSE(nwIme_IsOpen());
  EXPECT_TRUE(nwIme_Toggle());
  EXPECT_FALSE(nwIme_Toggle());
  Zeb_DebugMessage("hello");
  EXPECT_STREQ(Headless_LastDebugMessage(), "hello");
}

// The real-time default: keys pushed from another thread wake the waiting
// application thread; none is lost or duplicated, the excess is dropped.
TEST_F(HostKeys, TheDefaultQueueIsSafeAcrossThreads) {
  Host_Install(ZebHostOps{});
  Host_ClearKeys();
  constexpr int kKeys = 20000;
  std::thread producer([] {
    for (int i = 1; i <= kKeys; ++i) Host_PushKey(i);
    Host_PushKey(KEY_HOST_CLOSE);
  });
  std::vector<int> got;
  for (;;) {
    const int key = Host_WaitKeyDefault(HOST_WAIT_FOREVER);
    if (key == KEY_HOST_CLOSE) break;
    got.push_back(key);
  }
  producer.join();
  for (int key = Host_PopKey(); key >= 0; key = Host_PopKey()) got.push_back(key);
  EXPECT_EQ(static_cast<int>(got.size()) + Host_DroppedKeys(), kKeys);
  for (std::size_t i = 1; i < got.size(); ++i) ASSERT_LT(got[i - 1], got[i]);
  Headless_Install();
}

}  // namespace
