#include "dialogs/Notice.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "files/DataNotice.h"
#include "host/headless/Headless.h"
#include "shell/Shell.h"
#include "support/AppScreen.h"
#include "support/Headless.h"

namespace {

// What the box showed at its first wait.
std::vector<std::string> lines;
int buttons = 0;
std::vector<int> keys;
int mainRedraws = 0;

void Feed(int) {
  nwObject* focus = nwFocus_Get();
  if (lines.empty() && focus != nullptr && focus->parent != nullptr) {
    buttons = 0;
    nwObject* box = focus->parent;
    for (int slot = 0; slot < static_cast<int>(cap::kChildren); ++slot) {
      if (!box->childUsed[slot]) continue;
      if (box->children[slot]->handler != nwLabel_Handler) {
        ++buttons;
        continue;
      }
      auto* label = static_cast<nwLabel*>(box->children[slot]);
      lines.emplace_back(label->text, static_cast<std::size_t>(label->textLength));
    }
  }
  velmo_test::PushNextKey(keys);
}

bool MainHandler(nwObject* object, nwMessage* message) {
  if (message->code == NW_REDRAW) ++mainRedraws;
  return nwObject_DefaultHandler(object, message);
}

class Notice : public ::testing::Test {
 protected:
  void SetUp() override {
    velmo_test::OpenScreen();
    Headless_SetFeeder(Feed);
    Headless_SetIdleLimit(50);
    velmo_test::CreateScreenObjects(nwObject_DefaultHandler, MainHandler);
    velmo_test::Drain();
    lines.clear();
    keys.clear();
    mainRedraws = 0;
  }
  void TearDown() override {
    Notice_Detach();
    Headless_SetFeeder(nullptr);
  }
};

TEST_F(Notice, NotImplementedShowsTwoLinesAndOneButtonThenTheMainAreaIsRedrawn) {
  Notice_Attach();
  keys = {KEY_RETURN};
  Notice_NotImplemented();
  // "未実装項目" / "ごめんなさい"
  EXPECT_EQ(lines, (std::vector<std::string>{"\x96\xa2\x8e\xc0\x91\x95\x8d\x80\x96\xda",
                                             "\x82\xb2\x82\xdf\x82\xf1\x82\xc8\x82\xb3\x82\xa2", ""}));
  EXPECT_EQ(buttons, 1);
  EXPECT_EQ(nwFocus_Get(), &mainArea);
  velmo_test::Drain();
  EXPECT_EQ(mainRedraws, 1);
}

TEST_F(Notice, AConfirmationIsYesOnlyForOk) {
  Notice_Attach();
  keys = {KEY_TAB, KEY_RETURN};
  EXPECT_EQ(Notice_Show(NOTICE_DELETE_CONFIRM, NOTICE_CONFIRM), NOTICE_CANCEL);
  EXPECT_EQ(buttons, 2);
  keys = {KEY_TAB, KEY_RETURN};
  EXPECT_FALSE(Notice_Confirm(NOTICE_CSV_CONFIRM));
  keys = {KEY_RETURN};
  EXPECT_TRUE(Notice_Confirm(NOTICE_EUC_CONFIRM));
}

TEST_F(Notice, TheVersionBannerHasThreeLinesThatFitTheBox) {
  std::istringstream banner(Notice_Banner());
  std::vector<std::string> parts;
  for (std::string line; std::getline(banner, line);) parts.push_back(line);
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_TRUE(parts[0].starts_with("Velmo for "));
  EXPECT_TRUE(parts[0].ends_with(" Rel 1.4.2"));
  for (const std::string& line : parts) EXPECT_LE(line.size(), 28u) << line;
  Notice_Attach();
  keys = {KEY_RETURN};
  Notice_Version();
  EXPECT_EQ(lines, parts);
}

TEST_F(Notice, ANoticeHeldByTheDataLayerAppearsOnceAttached) {
  Notice_Detach();
  Data_SetNoticeHook(nullptr);
  Data_Notice(NOTICE_SAVE_FAILED);
  EXPECT_TRUE(lines.empty());
  keys = {KEY_RETURN};
  Notice_Attach();
  EXPECT_EQ(lines, (std::vector<std::string>{NOTICE_SAVE_FAILED, "", ""}));
}

TEST_F(Notice, WithoutABoxTheTextGoesToTheDebugMessageAndAQuestionIsDeclined) {
  EXPECT_EQ(Notice_Show(NOTICE_CSV_DONE, NOTICE_OK), NOTICE_NO_ANSWER);   // not attached
  EXPECT_STREQ(Headless_LastDebugMessage(), NOTICE_CSV_DONE);
  Notice_Attach();
  Headless_RequestClose();
  EXPECT_EQ(nwEvent_Next(true), nullptr);   // shutting down
  EXPECT_EQ(Notice_Show(NOTICE_NOT_FOUND, NOTICE_OK), NOTICE_NO_ANSWER);
  EXPECT_STREQ(Headless_LastDebugMessage(), NOTICE_NOT_FOUND);
  // A question is declined at once.
  EXPECT_EQ(Notice_Show(NOTICE_CSV_CONFIRM, NOTICE_CONFIRM), NOTICE_CANCEL);
  EXPECT_STREQ(Headless_LastDebugMessage(), NOTICE_CSV_CONFIRM);
  EXPECT_TRUE(lines.empty());
}

// End to end: a record file whose load stops at a damaged record.
const std::string kDamaged("\xff\x00\x08\x00\x00\x00\x00\x00\x00\x00", 10);

TEST(NoticeRun, ADamagedRecordFileIsToldInTheBoxAtStartUp) {
  velmo_test::HeadlessFolder damaged, clean;
  damaged.Write("record", kDamaged);
  const auto run = damaged.Run("shot a.png\nRET\nshot b.png\nq\n");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors.find("message"), std::string::npos) << run.errors;
  EXPECT_EQ(clean.Run("shot c.png\nq\n").status, 0);
  const velmo_test::Picture a = damaged.Shot("a.png"), b = damaged.Shot("b.png"), c = clean.Shot("c.png");
  ASSERT_TRUE(a.Valid() && b.Valid() && c.Valid());
  // The box: black outline, raised edge, light grey paper, three lines of
  // ink, the focused "OK" button inverted in the middle.
  EXPECT_EQ(a.Level(200, 70), 3);
  EXPECT_EQ(a.Level(439, 189), 3);
  EXPECT_EQ(a.Level(201, 71), 0);
  EXPECT_EQ(a.Level(438, 188), 2);
  EXPECT_EQ(a.Level(203, 74), 1);
  for (int line = 0; line < 3; ++line) EXPECT_GT(a.Count(206, 80 + 24 * line, 228, 22, 3), 20) << line;
  EXPECT_EQ(a.Level(290, 154), 3);
  EXPECT_EQ(a.Level(294, 174), 2);
  EXPECT_FALSE(a.SameIn(c, 200, 70, 240, 120));
  // Closed with RET: the main area is drawn again as without the notice.
  EXPECT_TRUE(b.SameIn(c, 0, 21, 640, 199));
}

TEST(NoticeRun, ClosingTheWindowOverTheBoxStillTellsTheNotice) {
  velmo_test::HeadlessFolder damaged;
  damaged.Write("record", kDamaged);
  const auto run = damaged.Run("quit\n");
  EXPECT_EQ(run.status, 0);
  // "記録ファイルが壊れています"
  EXPECT_NE(run.errors.find("\xe8\xa8\x98\xe9\x8c\xb2\xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab"),
            std::string::npos)
      << run.errors;
}

}  // namespace
