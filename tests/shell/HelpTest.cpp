#include "shell/Help.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "host/headless/Headless.h"
#include "shell/Shell.h"
#include "store/Label.h"
#include "support/AppScreen.h"
#include "support/Headless.h"
#include "support/Pixels.h"

namespace {

// What the screen showed at each key wait of the window.
struct Seen {
  int page;
  int screenMode;
  std::string slot3;
  std::vector<int> pixels;  // levels at kProbe
  int headingInk;           // black pixels of the left heading
  std::vector<int> lineInk;  // black pixels of each line, left column 0..11, then right
  std::string lastRight;     // the levels of the right column's last line
};

// The two columns' lines.
constexpr int kLines = 12, kLineY = 57, kLineStep = 12, kLeftX = 52, kRightX = 332;
constexpr int kLeftW = 266, kRightW = 270;

struct Probe {
  int x, y;
};
// Frame corner, fill, 3-D edge (light top-left, dark bottom-right), heading
// rule, column divider.
constexpr Probe kProbe[] = {{30, 25}, {609, 214}, {100, 47}, {31, 26}, {608, 213},
                            {50, 49}, {589, 49}, {320, 57}, {320, 206}, {321, 150}};

std::vector<Seen> seen;
std::vector<int> keys;
std::vector<int> commands;

using velmo_test::Ink;

void Feed(int) {
  Seen s{Help_Page(), browse.screenMode, {}, {}, Ink(50, 33, 200, 12)};
  const nwToolbarSlot& slot = toolbar.slots[3];
  if (slot.set) s.slot3 = slot.label;
  for (const Probe& p : kProbe) s.pixels.push_back(Zeb_GetPixel(p.x, p.y));
  for (const auto& [x, w] : {std::pair{kLeftX, kLeftW}, std::pair{kRightX, kRightW}}) {
    for (int k = 0; k < kLines; ++k) s.lineInk.push_back(Ink(x, kLineY + kLineStep * k, w, kLineStep));
  }
  s.lastRight = velmo_test::Area(kRightX, kLineY + kLineStep * (kLines - 1), kRightW, kLineStep);
  seen.push_back(s);
  if (!commands.empty()) {
    Headless_PushCommand(commands.front());
    commands.erase(commands.begin());
  } else if (!keys.empty()) {
    Headless_PushKey(keys.front());
    keys.erase(keys.begin());
  }
}

class Help : public ::testing::Test {
 protected:
  void SetUp() override {
    velmo_test::OpenScreen();
    Headless_SetFeeder(Feed);
    Headless_SetIdleLimit(50);
    Label_InitNames();
    BrowseState_Reset();
    velmo_test::CreateScreenObjects();
    seen.clear();
    keys.clear();
    commands.clear();
  }
  void TearDown() override { Headless_SetFeeder(nullptr); }
  static std::string Slot(int n) {
    const nwToolbarSlot& slot = toolbar.slots[n];
    return slot.set ? std::string(slot.label) : std::string();
  }
};

const std::vector<int> kDrawn{ZEB_BLACK, ZEB_BLACK, ZEB_LIGHT_GREY, ZEB_WHITE, ZEB_DARK_GREY,
                              ZEB_BLACK, ZEB_BLACK, ZEB_BLACK, ZEB_BLACK, ZEB_LIGHT_GREY};

TEST_F(Help, ReturnTurnsToPageTwoAndReturnAgainCloses) {
  keys = {KEY_RETURN, KEY_RETURN};
  EXPECT_TRUE(Help_Open());
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].page, 1);
  EXPECT_EQ(seen[1].page, 2);
  for (const Seen& s : seen) {
    EXPECT_EQ(s.screenMode, MODE_WINDOW);
    EXPECT_EQ(s.pixels, kDrawn);
    EXPECT_EQ(s.slot3, "  \x8c\x88\x92\xe8  ");  // "  決定  "
    EXPECT_GT(s.headingInk, 0);
  }
  // The pages have different headings.
  EXPECT_NE(seen[0].headingInk, seen[1].headingInk);
  EXPECT_EQ(browse.screenMode, MODE_BROWSE);
  EXPECT_EQ(nwFocus_Get(), &mainArea);
  velmo_test::Drain();
  EXPECT_EQ(Slot(0), " \x83\x77\x83\x8b\x83\x76 ");  // browse bar back: " ヘルプ "
  EXPECT_EQ(Slot(3), "");
}

// Both pages keep every line of theirs and fill their free slots with the
// keys they did not name, quitting first.
TEST_F(Help, EveryLineIsDrawnAndTheFreeSlotsNameTheKeysTheyLacked) {
  keys = {KEY_RETURN, KEY_ESCAPE};
  EXPECT_TRUE(Help_Open());
  ASSERT_EQ(seen.size(), 2u);
  for (const Seen& s : seen) {
    ASSERT_EQ(s.lineInk.size(), 2u * kLines);
    for (int k = 0; k < 2 * kLines; ++k) EXPECT_GT(s.lineInk[k], 20) << "page " << s.page << " line " << k;
  }
  // The last line of page 1's right column is "Ｑ         終了".
  Zeb_SetColor(nwContext, ZEB_LIGHT_GREY);
  Zeb_FillBox(nwContext, ZebRect{kRightX, kLineY, kRightW, kLineStep});
  Zeb_SetColor(nwContext, ZEB_BLACK);
  Zeb_SetFont(nwContext, 1);
  const char* quit = "\x82\x70         \x8f\x49\x97\xb9";
  Zeb_DrawText(nwContext, kRightX, kLineY, quit, static_cast<int>(std::strlen(quit)));
  EXPECT_EQ(seen[0].lastRight, velmo_test::Area(kRightX, kLineY, kRightW, kLineStep));
}

TEST_F(Help, EscapeAndTheDialogCommandsCloseAtOnce) {
  keys = {KEY_ESCAPE};
  EXPECT_TRUE(Help_Open());
  EXPECT_EQ(seen.size(), 1u);
  for (int command : {3015, 3016}) {
    seen.clear();
    commands = {command};
    EXPECT_TRUE(Help_Open());
    EXPECT_EQ(seen.size(), 1u) << command;
    EXPECT_EQ(browse.screenMode, MODE_BROWSE);
  }
}

TEST_F(Help, OtherKeysAndCommandsLeaveTheWindowOpen) {
  keys = {'x', KEY_TAB, KEY_ESCAPE};
  commands = {3020};
  EXPECT_TRUE(Help_Open());
  EXPECT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen.back().page, 1);
}

TEST_F(Help, AQuitEndsTheWindowWithoutRebuildingTheView) {
  Headless_RequestClose();
  EXPECT_FALSE(Help_Open());
  EXPECT_EQ(browse.screenMode, MODE_BROWSE);
}

// End to end: the browse screen stands still behind the window and comes
// back whole when it closes.
TEST(HelpRun, TheBrowseScreenIsFrozenWhileOpenAndRestoredAfter) {
  velmo_test::HeadlessFolder folder;
  auto run = folder.Run(
      "shot before.png\n?\nshot open.png\nRIGHT\nwait 1500\nshot ticked.png\n"
      "RET\nESC\nshot after.png\nF1\nshot f1.png\n");
  EXPECT_EQ(run.status, 0);
  const auto before = folder.Shot("before.png");
  const auto open = folder.Shot("open.png");
  const auto ticked = folder.Shot("ticked.png");
  ASSERT_TRUE(before.Valid() && open.Valid() && ticked.Valid());
  EXPECT_EQ(open, ticked);                             // keys and ticks change nothing behind
  EXPECT_FALSE(open.SameIn(before, 30, 25, 580, 190));
  EXPECT_TRUE(open.SameIn(before, 0, 0, 560, 20));     // title line, clock aside
  EXPECT_EQ(folder.Shot("after.png"), before);          // view and browse bar back
  EXPECT_EQ(folder.Shot("f1.png"), open);               // F1 opens the same page
}

}  // namespace
