// The headless runner's script language.
#include <gtest/gtest.h>

#include <sstream>

#include "host/headless/Script.h"

namespace {

bool Parse(const std::string& text, Script& script, std::string& error) {
  std::istringstream in(text);
  return Script_Parse(in, script, error);
}

TEST(Script, ReadsKeysCommandsWaitsShotsAndQuitWithTheirLines) {
  Script s;
  std::string error;
  ASSERT_TRUE(Parse("# a comment\n\nF7 C-s  S-TAB # keys\ncmd 4530\nwait 1500\nshot out.png\nclose\nsignal # x\n"
                    "quit\r\n",
                    s, error))
      << error;
  ASSERT_EQ(s.steps.size(), 9u);
  EXPECT_EQ(s.steps[0].op, SCRIPT_KEY);
  EXPECT_EQ(s.steps[0].value, 0x4100);
  EXPECT_EQ(s.steps[0].line, 3);
  EXPECT_EQ(s.steps[1].value, 19);
  EXPECT_EQ(s.steps[2].value, 0x0F09);
  EXPECT_EQ(s.steps[3].op, SCRIPT_CMD);
  EXPECT_EQ(s.steps[3].value, 4530);
  EXPECT_EQ(s.steps[4].op, SCRIPT_WAIT);
  EXPECT_EQ(s.steps[4].value, 1500);
  EXPECT_EQ(s.steps[5].op, SCRIPT_SHOT);
  EXPECT_EQ(s.steps[5].text, "out.png");
  EXPECT_EQ(s.steps[6].op, SCRIPT_CLOSE);
  EXPECT_EQ(s.steps[7].op, SCRIPT_SIGNAL);
  EXPECT_EQ(s.steps[8].op, SCRIPT_QUIT);
  EXPECT_EQ(s.steps[8].line, 9);
}

TEST(Script, TextIsTypedAsShiftJisAndSplitBetweenCharacters) {
  Script s;
  std::string error;
  ASSERT_TRUE(Parse("text \xe6\x97\xa5 a#b\n", s, error)) << error;  // "日 a#b": no comment inside text
  ASSERT_EQ(s.steps.size(), 1u);
  EXPECT_EQ(s.steps[0].op, SCRIPT_TEXT);
  EXPECT_EQ(s.steps[0].text, "\x93\xfa a#b");

  std::string longText = "text a";
  for (int i = 0; i < 60; ++i) longText += "\xe6\x97\xa5";  // 1 + 120 bytes in Shift-JIS
  s = Script{};
  ASSERT_TRUE(Parse(longText + "\n", s, error)) << error;
  ASSERT_EQ(s.steps.size(), 2u);
  EXPECT_EQ(s.steps[0].text.size(), 99u);  // 100 would split a character
  EXPECT_EQ(s.steps[1].text.size(), 22u);
}

TEST(Script, ErrorsNameTheLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"a\nF11\n", "line 2: unknown key 'F11'"},
      {"wait\n", "line 1: bad wait ''"},
      {"\n\nwait -5\n", "line 3: bad wait '-5'"},
      {"cmd 70000\n", "line 1: bad command '70000'"},
      {"cmd 12 13\n", "line 1: bad command '12'"},
      {"shot\n", "line 1: shot needs one file name"},
      {"quit now\n", "line 1: quit takes nothing"},
      {"close 1\n", "line 1: close takes nothing"},
      {"text\n", "line 1: text without characters"},
  };
  for (const auto& [text, message] : cases) {
    Script s;
    std::string error;
    EXPECT_FALSE(Parse(text, s, error)) << text;
    EXPECT_EQ(error, message);
  }
  Script s;
  std::string error;
  EXPECT_FALSE(Parse(std::string(5000, 'a') + "\n", s, error));
  EXPECT_EQ(error, "line 1: line too long");
}

}  // namespace
