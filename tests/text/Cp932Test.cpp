#include "text/Cp932.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "text/Utf8.h"

#ifndef _WIN32
#include <iconv.h>
#endif

namespace {

#ifndef _WIN32

// The C library's converter, which the tables were taken from at build time.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // The converted bytes, or "" when iconv refuses the whole input.
  std::string Run(std::string in) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char out[16];
    char* from = in.data();
    char* to = out;
    std::size_t inLeft = in.size(), outLeft = sizeof out;
    if (iconv(cd_, &from, &inLeft, &to, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) return "";
    return std::string(out, sizeof out - outLeft);
  }

 private:
  iconv_t cd_;
};

std::string Bytes(unsigned code) {
  return code < 0x100 ? std::string(1, static_cast<char>(code))
                      : std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

// Every single byte and every lead and trail pair, and every code point of
// the BMP, give what glibc's CP932 and EUC-JP-MS converters give.
TEST(Cp932, EveryCodeConvertsAsTheCLibraryDoes) {
  Iconv toUtf8("UTF-8", "CP932"), fromUtf8("CP932", "UTF-8"), toEuc("EUC-JP-MS", "CP932");
  ASSERT_TRUE(toUtf8.ok() && fromUtf8.ok() && toEuc.ok());
  int characters = 0;
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    if (code >= 0x100 && !toUtf8.Run(Bytes(code >> 8)).empty()) continue;  // no lead byte
    std::uint8_t euc[CP932_EUC_MAX];
    const std::size_t eucLength = Cp932_ToEucJp(code, euc);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(euc), eucLength), toEuc.Run(Bytes(code))) << std::hex << code;
    const std::string expected = toUtf8.Run(Bytes(code));
    unsigned cp = 0;
    const bool has = Cp932_ToUnicode(code, cp);
    ASSERT_EQ(has, !expected.empty()) << std::hex << code;
    if (!has) continue;
    char utf8[UTF8_MAX_BYTES];
    EXPECT_EQ(std::string(utf8, Utf8_Put(utf8, cp)), expected) << std::hex << code;
    char text[8];
    const std::string sjis = Bytes(code);
    EXPECT_EQ(std::string(text, Cp932_ToUtf8(text, sjis)), expected) << std::hex << code;
    ++characters;
  }
  EXPECT_GT(characters, 7000);
  int mapped = 0;
  for (unsigned cp = 0; cp <= 0xFFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    char utf8[UTF8_MAX_BYTES];
    const std::string in(utf8, Utf8_Put(utf8, cp));
    const std::string expected = fromUtf8.Run(in);
    unsigned code = 0;
    const bool has = Cp932_FromUnicode(cp, code);
    ASSERT_EQ(has, !expected.empty()) << std::hex << cp;
    if (!has) continue;
    EXPECT_EQ(Bytes(code), expected) << std::hex << cp;
    char sjis[4];
    EXPECT_EQ(std::string(sjis, static_cast<std::size_t>(Cp932_FromUtf8(in, sjis, sizeof sjis, nullptr))), Bytes(code));
    ++mapped;
  }
  EXPECT_GT(mapped, 7000);
}

#endif

// Text a user types: kana, kanji, the wave dash and the full-width tilde,
// half-width katakana, a character Shift-JIS lacks and a stray byte.
TEST(Cp932, TextConvertsBothWaysAndMarksWhatItLacks) {
  const std::string utf8 = "a\xE6\x97\xA5\xE6\x9C\xAC\xEF\xBD\xB1\xF0\x9F\x98\x80z\xFF";  // a日本ｱ😀z + 0xFF
  char sjis[32];
  unsigned missing = 0;
  const long n = Cp932_FromUtf8(utf8, sjis, sizeof sjis, &missing);
  ASSERT_GT(n, 0);
  EXPECT_EQ(std::string(sjis, static_cast<std::size_t>(n)), "a\x93\xfa\x96\x7b\xb1\x81\xac" "z\x81\xac");
  EXPECT_EQ(missing, 2u);
  EXPECT_EQ(Cp932_FromUtf8(utf8, sjis, 5, nullptr), -1);  // does not fit

  const std::string back = "a\x93\xfa\x96\x7b\xb1";
  char out[32];
  EXPECT_EQ(std::string(out, Cp932_ToUtf8(out, back)), "a\xE6\x97\xA5\xE6\x9C\xAC\xEF\xBD\xB1");
  // A lead byte at the end and an unused byte become U+FFFD; the next byte is read afresh.
  EXPECT_EQ(std::string(out, Cp932_ToUtf8(out, "\xA0x\x93")), "\xEF\xBF\xBDx\xEF\xBF\xBD");
  // The cut form stops before a character that does not fit, and terminates.
  EXPECT_EQ(Cp932_ToUtf8Cut(back, out, 5), 4u);
  EXPECT_STREQ(out, "a\xE6\x97\xA5");
  EXPECT_EQ(Cp932_ToUtf8Cut(back, out, 1), 0u);
  EXPECT_STREQ(out, "");
}

// The forms of the EUC conversion: two bytes, half-width katakana after
// 0x8E, an IBM extension in JIS X 0212 after 0x8F, and none.
TEST(Cp932, EucJpFormsOfEachShape) {
  std::uint8_t out[CP932_EUC_MAX];
  ASSERT_EQ(Cp932_ToEucJp(0x82A0, out), 2u);  // あ
  EXPECT_EQ(out[0], 0xA4);
  EXPECT_EQ(out[1], 0xA2);
  ASSERT_EQ(Cp932_ToEucJp(0x889F, out), 2u);  // 亜
  EXPECT_EQ(out[0], 0xB0);
  EXPECT_EQ(out[1], 0xA1);
  ASSERT_EQ(Cp932_ToEucJp(0xB1, out), 2u);  // ｱ
  EXPECT_EQ(out[0], 0x8E);
  EXPECT_EQ(out[1], 0xB1);
  ASSERT_EQ(Cp932_ToEucJp(0xFA40, out), 3u);  // ⅰ
  EXPECT_EQ(out[0], 0x8F);
  EXPECT_EQ(out[1], 0xF3);
  EXPECT_EQ(out[2], 0xF3);
  ASSERT_EQ(Cp932_ToEucJp('a', out), 1u);
  EXPECT_EQ(out[0], 'a');
  EXPECT_EQ(Cp932_ToEucJp(0x8540, out), 0u);  // unassigned
  EXPECT_EQ(Cp932_ToEucJp(0x82, out), 0u);    // a lead byte alone
  EXPECT_EQ(Cp932_ToEucJp(0x10000, out), 0u);
}

// Every build converts alike only while the tables are the one converter:
// no source outside the text layer and its table generator calls iconv.
TEST(Cp932, NoSourceOutsideTheTextLayerCallsIconv) {
  namespace fs = std::filesystem;
  const fs::path root(VELMO_SOURCE_DIR);
  std::vector<std::string> callers;
  for (const char* top : {"src", "tools"}) {
    for (const auto& entry : fs::recursive_directory_iterator(root / top)) {
      const std::string ext = entry.path().extension().string();
      if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
      const std::string name = entry.path().lexically_relative(root).generic_string();
      if (name.rfind("src/text/", 0) == 0 || name.rfind("tools/sjis-table/", 0) == 0) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (text.find("<iconv.h>") != std::string::npos || text.find("iconv_open") != std::string::npos) {
        callers.push_back(name);
      }
    }
  }
  EXPECT_EQ(callers, std::vector<std::string>{});
}

TEST(Cp932, Utf8LengthsRejectMalformedSequences) {
  EXPECT_EQ(Utf8_Length("a", 0), 1u);
  EXPECT_EQ(Utf8_Length("\xE6\x97\xA5", 0), 3u);
  EXPECT_EQ(Utf8_Length("\xF0\x9F\x98\x80", 0), 4u);
  EXPECT_EQ(Utf8_Length("\xE6\x97", 0), 0u);           // cut
  EXPECT_EQ(Utf8_Length("\xC0\x80", 0), 0u);           // overlong
  EXPECT_EQ(Utf8_Length("\xED\xA0\x80", 0), 0u);       // surrogate
  EXPECT_EQ(Utf8_Length("\xF4\x90\x80\x80", 0), 0u);   // beyond U+10FFFF
  EXPECT_EQ(Utf8_Length("\x80", 0), 0u);               // a continuation byte
  EXPECT_EQ(Utf8_Length("a", 1), 0u);                  // past the end
  EXPECT_TRUE(Utf8_Valid("a\xE6\x97\xA5"));
  EXPECT_FALSE(Utf8_Valid("a\xE6\x97"));
  EXPECT_EQ(Utf8_Decode("\xF0\x9F\x98\x80", 0, 4), 0x1F600u);
}

}  // namespace
