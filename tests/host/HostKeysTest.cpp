// The key names and the key codes both hosts deliver for them.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "graphics/ZebKey.h"
#include "host/common/HostKeys.h"

namespace {

int Code(const char* name) {
  int code = -12345;
  return HostKeys_Parse(name, code) ? code : -1;
}

TEST(HostKeys, CharactersStandForThemselvesAndShiftGivesTheUsKeyboardCharacter) {
  EXPECT_EQ(Code("a"), 'a');
  EXPECT_EQ(Code("A"), 'A');
  EXPECT_EQ(Code("S-a"), 'A');
  EXPECT_EQ(Code("?"), '?');
  EXPECT_EQ(Code("S-/"), '?');
  EXPECT_EQ(Code("S-1"), '!');
  EXPECT_EQ(Code("0"), '0');
  EXPECT_EQ(Code("SPC"), ' ');
  EXPECT_EQ(HostKeys_Code('a', 0), 'a');
  EXPECT_EQ(HostKeys_Code('=', HOSTMOD_SHIFT), '+');
}

TEST(HostKeys, ControlKeysGiveControlCodesAndCtrlShiftStaysDistinct) {
  EXPECT_EQ(Code("C-a"), 1);
  EXPECT_EQ(Code("C-n"), 14);
  EXPECT_EQ(Code("C-S-n"), KEY_CTRL_SHIFT_MARK | 14);
  EXPECT_EQ(Code("S-C-p"), KEY_CTRL_SHIFT_MARK | 16);
  EXPECT_EQ(Code("C-N"), KEY_CTRL_SHIFT_MARK | 14);
  EXPECT_NE(Code("C-S-n"), Code("C-n"));
  EXPECT_EQ(Code("C-1"), -1);  // no character for CTRL with a digit
  EXPECT_EQ(Code("RET"), 13);
  EXPECT_EQ(Code("C-RET"), 10);  // CTRL+J
  EXPECT_EQ(Code("S-RET"), 13);
  EXPECT_EQ(Code("ESC"), 27);
  EXPECT_EQ(Code("BS"), 8);
  EXPECT_EQ(Code("TAB"), 9);
  EXPECT_EQ(Code("S-TAB"), 0x0F09);
}

TEST(HostKeys, SpecialKeysAreScanCodesWithShiftAndCtrlBits) {
  EXPECT_EQ(Code("F1"), 0x3B00);
  EXPECT_EQ(Code("F10"), 0x4400);
  EXPECT_EQ(Code("S-F3"), 0x3D0F);
  EXPECT_EQ(Code("C-F10"), 0x44F0);
  EXPECT_EQ(Code("UP"), 0x4800);
  EXPECT_EQ(Code("S-UP"), 0x480F);
  EXPECT_EQ(Code("C-UP"), 0x48F0);
  EXPECT_EQ(Code("C-S-DOWN"), 0x50FF);
  EXPECT_EQ(Code("LEFT"), 0x4B00);
  EXPECT_EQ(Code("RIGHT"), 0x4D00);
  EXPECT_EQ(Code("HOME"), 0x4700);
  EXPECT_EQ(Code("END"), 0x4F00);
  EXPECT_EQ(Code("PGUP"), 0x4900);
  EXPECT_EQ(Code("PGDN"), 0x5100);
  EXPECT_EQ(Code("INS"), 0x5200);
  EXPECT_EQ(Code("DEL"), 0x5300);
  EXPECT_EQ(Code("HENKAN"), 0x7900);
  EXPECT_EQ(Code("MUHENKAN"), 0x7B00);
}

TEST(HostKeys, UnknownNamesAreRefused) {
  for (const char* name : {"", "F11", "ret", "C-", "X-a", "ab", "C-S-", "\x01"}) EXPECT_EQ(Code(name), -1) << name;
}

TEST(HostKeys, TextConvertsBetweenUtf8AndShiftJis) {
  char sjis[16];
  ASSERT_EQ(HostKeys_ToShiftJis("\xe6\x97\xa5" "a", sjis, sizeof sjis), 3);  // "日a"
  EXPECT_EQ(std::string(sjis, 3), "\x93\xfa" "a");
  // é and 😀 have no Shift-JIS code: each becomes 〓, the rest is kept.
  ASSERT_EQ(HostKeys_ToShiftJis("a\xc3\xa9\xf0\x9f\x98\x80\xe6\x97\xa5", sjis, sizeof sjis), 7);
  EXPECT_EQ(std::string(sjis, 7), "a\x81\xac\x81\xac\x93\xfa");
  ASSERT_EQ(HostKeys_ToShiftJis("\xff", sjis, sizeof sjis), 2);
  EXPECT_EQ(HostKeys_ToShiftJis("\xe6\x97\xa5\xe6\x97\xa5", sjis, 3), -1);  // does not fit
  char utf8[32];
  HostKeys_ToUtf8("\x93\xfa" "a", utf8, sizeof utf8);
  EXPECT_STREQ(utf8, "\xe6\x97\xa5" "a");
  HostKeys_ToUtf8("a\xa0z", utf8, sizeof utf8);  // 0xA0 is no Shift-JIS character
  EXPECT_STREQ(utf8, "a?z");
  HostKeys_ToUtf8("abcdef", utf8, 4);
  EXPECT_STREQ(utf8, "abc");
}

TEST(HostKeys, ShortcutsReachTheMenuAndEveryCommandWithoutAKey) {
  std::set<int> commands;
  std::set<int> keys;
  for (const HostShortcut& s : HostKeys_Shortcuts()) {
    EXPECT_TRUE(keys.insert(s.key).second) << s.what;
    if (s.action == HOSTACT_COMMAND) commands.insert(s.command);
  }
  for (int c : {3009, 4502, 4504, 4510, 4511, 4512, 4515, 4516, 4517, 4518, 4519, 4520, 4521, 4522, 4530})
    EXPECT_TRUE(commands.count(c)) << c;
  ASSERT_NE(HostKeys_Shortcut('x'), nullptr);
  EXPECT_EQ(HostKeys_Shortcut('x')->action, HOSTACT_EXIT);
  EXPECT_EQ(HostKeys_Shortcut('a')->action, HOSTACT_ABOUT);
  EXPECT_EQ(HostKeys_Shortcut('r')->action, HOSTACT_RESTART);
  EXPECT_EQ(HostKeys_Shortcut('s')->action, HOSTACT_STOP);
  EXPECT_EQ(HostKeys_Shortcut('e')->command, 4530);
  EXPECT_EQ(HostKeys_Shortcut('z'), nullptr);
}

}  // namespace
