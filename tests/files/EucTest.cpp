#include "files/Euc.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "files/SaveFolder.h"
#include "files/Save.h"

namespace {

const std::string kGeta = "\xA2\xAE";  // 〓

std::string Convert(std::string text, std::uint16_t length) {
  Store_Init();
  Entry e{};
  e.text = text.data();
  e.textLen = length;
  EXPECT_TRUE(Euc_ConvertText(e));
  std::string out(e.text == nullptr ? "" : std::string(e.text, e.textLen));
  Store_Shutdown();
  return out;
}

std::string Char(const std::string& code) {
  std::uint8_t out[EUC_CHAR_MAX];
  std::size_t used = 0;
  const std::size_t n = Euc_ConvertChar(
      {reinterpret_cast<const std::uint8_t*>(code.data()), code.size()}, out, used);
  EXPECT_EQ(used, code.size()) << std::hex << int(static_cast<std::uint8_t>(code[0]));
  return std::string(reinterpret_cast<const char*>(out), n);
}

// What `iconv -c -f CP932 -t EUC-JP-MS` makes of each code, one a line.
std::vector<std::string> IconvLines(const std::vector<std::string>& codes) {
  savefolder::Folder folder;
  std::string input;
  for (const std::string& c : codes) input += c + "\n";
  savefolder::Write("in", input);
  EXPECT_EQ(std::system("iconv -c -f CP932 -t EUC-JP-MS in > out 2> /dev/null"), 0);
  const std::string output = savefolder::Read("out");
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t at = output.find('\n'); at != std::string::npos; at = output.find('\n', from)) {
    lines.push_back(output.substr(from, at - from));
    from = at + 1;
  }
  return lines;
}

// iconv -c skips what it cannot convert a byte at a time, so an unconverted
// pair leaves at most its trail byte's own form: ASCII, or 0x8E with a
// half-width katakana byte. A converted character starts with 0xA1..0xFE or
// 0x8F (JIS X 0212).
bool Converted(const std::string& line, bool single) {
  if (line.empty()) return false;
  const auto first = static_cast<std::uint8_t>(line[0]);
  return single ? first == 0x8E : first >= 0xA1 || first == 0x8F;
}

TEST(Euc, EveryShiftJisCodeConvertsAsIconvDoesOrBecomesGeta) {
#ifdef _WIN32
  GTEST_SKIP() << "compares with the iconv program, which Windows lacks";
#endif
  std::vector<std::string> codes;
  for (unsigned lead = 0x80; lead <= 0xFF; ++lead) codes.push_back(std::string(1, char(lead)));
  const std::size_t singles = codes.size();
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead >= 0xA0 && lead <= 0xDF) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail != 0x7F) codes.push_back({char(lead), char(trail)});
    }
  }
  const std::vector<std::string> lines = IconvLines(codes);
  ASSERT_EQ(lines.size(), codes.size());
  int converted = 0;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    const bool ok = Converted(lines[i], i < singles);
    converted += ok ? 1 : 0;
    EXPECT_EQ(Char(codes[i]), ok ? lines[i] : kGeta) << "code " << std::hex
        << int(static_cast<std::uint8_t>(codes[i][0])) << " "
        << (codes[i].size() > 1 ? int(static_cast<std::uint8_t>(codes[i][1])) : -1);
  }
  EXPECT_GT(converted, 7000);  // JIS X 0208, NEC and IBM extensions, half-width katakana
}

TEST(Euc, TextKeepsWhatFollowsHalfWidthKatakanaAndMarksWhatCannotConvert) {
  EXPECT_EQ(Convert("\xb1\n\x82\xa0", 4), "\x8e\xb1\n\xa4\xa2");  // ｱ, line feed, あ
  // ﾃｽﾄ会議
  EXPECT_EQ(Convert("\xc3\xbd\xc4\x89\xef\x8b\x63", 7), "\x8e\xc3\x8e\xbd\x8e\xc4\xb2\xf1\xb5\xc4");
  // An IBM extension (ⅰ) has a JIS X 0212 form in EUC-JP-MS, on every
  // build. An unassigned code has none.
  EXPECT_EQ(Convert("\xfa\x40" "a", 3), "\x8f\xf3\xf3" "a");
  EXPECT_EQ(Convert("\x85\x40" "a", 3), kGeta + "a");
  // A lead byte without its trail: 〓, and the line feed after it is kept.
  EXPECT_EQ(Convert("\x82\n", 2), kGeta + "\n");
  // The last byte of the text is a lead byte: the byte past the text is
  // never read as its trail.
  EXPECT_EQ(Convert("ab\x82\xa0", 3), "ab" + kGeta);
  EXPECT_EQ(Convert("\x80\xa0\xfd\xff", 4), kGeta + kGeta + kGeta + kGeta);
  // No guard against converting twice: EUC bytes read as Shift-JIS.
  EXPECT_EQ(Convert("\xa4\xa2", 2), "\x8e\xa4\x8e\xa2");
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
  char b[] = "x\xb1";
  es[0] = Entry{};
  es[0].kind = KIND_TASK;
  es[0].text = a;
  es[0].textLen = 2;
  es[1] = Entry{};
  es[1].kind = KIND_HOLIDAY;
  es[1].text = b;
  es[1].textLen = 2;
  for (int i = 0; i < 2; ++i) {
    es[i].startDay = 100;
    es[i].endDay = 100;
    ASSERT_TRUE(Store_Register(&es[i]));
  }
  Store_Delete(&es[1]);  // deleted entries are converted too
  const auto generation = Store_Filter().generation;
  EXPECT_TRUE(Euc_ConvertAll());
  EXPECT_EQ(std::string(es[0].text, es[0].textLen), "\xA4\xA2");
  EXPECT_EQ(std::string(es[1].text, es[1].textLen), "x\x8e\xb1");  // grown: a fresh block
  EXPECT_TRUE(Data_Modified());
  EXPECT_NE(Store_Filter().generation, generation);
  Data_SetModified(false);
  Store_Shutdown();
}

}  // namespace
