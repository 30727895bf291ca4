#include "store/Label.h"

#include <gtest/gtest.h>

#include <string>

#include "files/SaveFolder.h"
#include "files/Settings.h"
#include "store/MonthRec.h"

namespace {

using savefolder::Write;

const std::string kCommon = "  \x8b\xa4\x92\xca  ";           // "  共通  "
const std::string kFirst = " \x95\xaa\x97\xde\x82\x50 ";       // " 分類１ "
const std::string kSecond = " \x95\xaa\x97\xde\x82\x51 ";      // " 分類２ "
const std::string kCustom = "\x83\x4a\x83\x58\x83\x5e\x83\x80";  // "カスタム"
const std::string kWord = "\x8e\x64\x8e\x96";                  // "仕事"

class LabelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Store_Init();
    Settings_ApplyDefaults();
    Label_InitNames();
  }
  void TearDown() override { Store_Init(); }
  savefolder::Folder folder;
};

TEST_F(LabelTest, WithoutALabelFileTheDefaultsStand) {
  EXPECT_FALSE(Label_LoadFile(Settings_LabelPath()));
  EXPECT_EQ(Label_Name(0), kCommon);
  EXPECT_EQ(Label_Name(1), kFirst);
  EXPECT_EQ(Label_Name(5), kCustom);
  EXPECT_STREQ(Label_Name(6), "");
  EXPECT_STREQ(Label_Name(7), "");
}

TEST_F(LabelTest, AShortFileRenamesWhatItHasAndKeepsTheRest) {
  Write("label", kWord + "\n\n");
  EXPECT_FALSE(Label_LoadFile(Settings_LabelPath()));
  EXPECT_EQ(Label_Name(1), "  " + kWord + "  ");
  EXPECT_EQ(Label_Name(2), kSecond);
}

TEST_F(LabelTest, NamesAreCentredByLengthAndCutToEightBytes) {
  Write("label", "ab\nabcdef\nabcdefghijkl\n1234567" + kWord + "\nnot read\n");
  EXPECT_TRUE(Label_LoadFile(Settings_LabelPath()));
  EXPECT_STREQ(Label_Name(1), "   ab   ");
  EXPECT_STREQ(Label_Name(2), " abcdef ");
  EXPECT_STREQ(Label_Name(3), "abcdefgh");
  // A double-byte character is never split: the cut falls before it.
  EXPECT_STREQ(Label_Name(4), "1234567 ");
}

TEST_F(LabelTest, AnOverlongLineDoesNotSpillIntoTheNextName) {
  Write("label", std::string(120, 'x') + "\nsecond\n");
  Label_LoadFile(Settings_LabelPath());
  EXPECT_STREQ(Label_Name(1), "xxxxxxxx");
  EXPECT_STREQ(Label_Name(2), " second ");
}

TEST_F(LabelTest, OnlyTheUserLabelsCanBeRenamed) {
  EXPECT_FALSE(Label_SetName(0, "x"));
  EXPECT_FALSE(Label_SetName(5, "x"));
  EXPECT_TRUE(Label_SetName(4, "x"));
  EXPECT_STREQ(Label_Name(4), "   x    ");
}

TEST_F(LabelTest, TheSavedSelectionBecomesTheFilter) {
  Settings s = Settings_Get();
  s.cursor.currentLabel = 2;
  s.saturdayIsHoliday = 1;
  Settings_Set(s);
  Settings_ApplyLabels();
  for (std::uint16_t n = 0; n < 8; ++n) EXPECT_EQ(Store_LabelVisible(n), n == 0 || n == 2) << n;
  EXPECT_TRUE(Store_LabelVisible(8));
  EXPECT_TRUE(Store_SaturdayHoliday());

  s.cursor.currentLabel = 5;
  const std::uint8_t custom[5] = {0, 1, 1, 1, 1};
  for (int i = 0; i < 5; ++i) s.customLabel[i] = custom[i];
  Settings_Set(s);
  Settings_ApplyLabels();
  EXPECT_FALSE(Store_LabelVisible(0));
  for (std::uint16_t n = 1; n <= 4; ++n) EXPECT_TRUE(Store_LabelVisible(n));
  EXPECT_FALSE(Store_LabelVisible(5));  // 5..7 keep their flags from the earlier selection

  s.cursor.currentLabel = 0;
  Settings_Set(s);
  Settings_ApplyLabels();
  for (std::uint16_t n = 0; n < 8; ++n) EXPECT_TRUE(Store_LabelVisible(n));
}

}  // namespace
