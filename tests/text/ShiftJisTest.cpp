#include "text/ShiftJis.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ShiftJis, LeadAndTrailRangesCoverEveryByte) {
  for (int b = 0; b < 256; ++b) {
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    const bool trail = (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
    EXPECT_EQ(ShiftJis_IsLead(static_cast<unsigned char>(b)), lead) << b;
    EXPECT_EQ(ShiftJis_IsTrail(static_cast<unsigned char>(b)), trail) << b;
  }
  // The edges of each range, and half-width katakana (single-byte).
  EXPECT_FALSE(ShiftJis_IsLead(0x80));
  EXPECT_TRUE(ShiftJis_IsLead(0x81));
  EXPECT_TRUE(ShiftJis_IsLead(0x9F));
  EXPECT_FALSE(ShiftJis_IsLead(0xA1));
  EXPECT_TRUE(ShiftJis_IsLead(0xE0));
  EXPECT_TRUE(ShiftJis_IsLead(0xFC));
  EXPECT_FALSE(ShiftJis_IsLead(0xFD));
  EXPECT_FALSE(ShiftJis_IsTrail(0x3F));
  EXPECT_FALSE(ShiftJis_IsTrail(0x7F));
  EXPECT_FALSE(ShiftJis_IsTrail(0xFD));
}

TEST(ShiftJis, AFitNeverSplitsACharacter) {
  const std::string day = "ab\x93\xfa" "c";  // ab日c
  EXPECT_EQ(ShiftJis_Fit(day.c_str(), 5, 5), 5);
  EXPECT_EQ(ShiftJis_Fit(day.c_str(), 5, 4), 4);
  EXPECT_EQ(ShiftJis_Fit(day.c_str(), 5, 3), 2);   // 日 would be split by the limit
  EXPECT_EQ(ShiftJis_Fit(day.c_str(), 3, 10), 2);  // or by the length
  EXPECT_EQ(ShiftJis_Fit("ab\x93", 3, 10), 2);     // a lead byte at the end
  EXPECT_EQ(ShiftJis_Fit("ab\0cd", 5, 10), 5);     // a NUL is a byte like any other
  EXPECT_EQ(ShiftJis_Fit("\x88\x9f", 2, 2), 2);    // a trail byte that looks like a lead byte
  EXPECT_EQ(ShiftJis_Fit(nullptr, 5, 5), 0);
  EXPECT_EQ(ShiftJis_Fit("abc", 3, 0), 0);
}

TEST(ShiftJis, TruncateKeepsWholeCharactersWithinTheLimit) {
  char text[] = "1234567\x93\xfa";
  ShiftJis_Truncate(text, 8);
  EXPECT_STREQ(text, "1234567");
  char lone[] = "ab\x93";
  ShiftJis_Truncate(lone, sizeof lone);
  EXPECT_STREQ(lone, "ab");
  char whole[] = "a\x93\xfa";
  ShiftJis_Truncate(whole, 100);
  EXPECT_STREQ(whole, "a\x93\xfa");
}

}  // namespace
