#include "files/Euc.h"

#include <gtest/gtest.h>

#include <string>

#include "files/Save.h"

namespace {

std::string Pair(unsigned c1, unsigned c2) {
  auto a = static_cast<std::uint8_t>(c1);
  auto b = static_cast<std::uint8_t>(c2);
  Euc_ConvertPair(a, b);
  return {static_cast<char>(a), static_cast<char>(b)};
}

std::string Convert(std::string text, std::uint16_t length) {
  Entry e{};
  e.text = text.data();
  e.textLen = length;
  EXPECT_TRUE(Euc_ConvertText(e));
  return text;
}

TEST(Euc, PairCoversEveryShiftJisByteClass) {
  EXPECT_EQ(Pair(0x82, 0xA0), "\xA4\xA2");  // hiragana a: trail 0x80..0x9E
  EXPECT_EQ(Pair(0x88, 0x9F), "\xB0\xA1");  // trail 0x9F: even JIS row
  EXPECT_EQ(Pair(0x81, 0x40), "\xA1\xA1");  // lowest trail
  EXPECT_EQ(Pair(0x81, 0x7E), "\xA1\xDF");  // highest trail below 0x7F
  EXPECT_EQ(Pair(0x81, 0x80), "\xA1\xE0");  // trail past the 0x7F gap
  EXPECT_EQ(Pair(0x9F, 0xFC), "\xDE\xFE");  // last lead of the low range
  EXPECT_EQ(Pair(0xE0, 0x40), "\xDF\xA1");  // first lead of the high range
  EXPECT_EQ(Pair(0xEA, 0xA4), "\xF4\xA6");
  // Half-width katakana is taken as a lead byte with whatever follows.
  EXPECT_EQ(Pair(0xB1, 0x61), "\x81\xC2");
}

TEST(Euc, TextConvertsPairsAndLeavesSingleBytes) {
  EXPECT_EQ(Convert("a\x82\xa0\nb\x88\x9f", 7), "a\xA4\xA2\nb\xB0\xA1");
  // A trailing lead byte has no partner inside the text: left as it is, and
  // the byte past the text is never touched.
  EXPECT_EQ(Convert("ab\x82\xa0", 3), "ab\x82\xa0");
  EXPECT_EQ(Convert("\xb1" "a", 2), "\x81\xC2");
  // No guard against converting twice.
  EXPECT_EQ(Convert("\xA4\xA2", 2), "\x68\xA4");
  Entry none{};
  none.textLen = 4;  // length without a block
  EXPECT_TRUE(Euc_ConvertText(none));
}

TEST(Euc, ConvertAllConvertsEveryEntryAndReportsTheChange) {
  Store_Init();
  Data_SetImmediateSave(false);
  Data_SetModified(false);
  Entry* es = Store_AllocEntries(2);
  char a[] = "\x82\xa0";
  char b[] = "x\x88\x9f";
  es[0] = Entry{};
  es[0].kind = KIND_TASK;
  es[0].text = a;
  es[0].textLen = 2;
  es[1] = Entry{};
  es[1].kind = KIND_HOLIDAY;
  es[1].text = b;
  es[1].textLen = 3;
  for (int i = 0; i < 2; ++i) {
    es[i].startDay = 100;
    es[i].endDay = 100;
    ASSERT_TRUE(Store_Register(&es[i]));
  }
  Store_Delete(&es[1]);  // deleted entries are converted too
  const auto generation = Store_Filter().generation;
  EXPECT_TRUE(Euc_ConvertAll());
  EXPECT_EQ(std::string(a, 2), "\xA4\xA2");
  EXPECT_EQ(std::string(b, 3), "x\xB0\xA1");
  EXPECT_TRUE(Data_Modified());
  EXPECT_NE(Store_Filter().generation, generation);
  Data_SetModified(false);
  Store_Shutdown();
}

}  // namespace
