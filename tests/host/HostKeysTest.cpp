// The key names and the key codes both hosts deliver for them.
#include <gtest/gtest.h>

#include <initializer_list>
#include <set>
#include <string>
#include <utility>

#include "graphics/ZebKey.h"
#include "host/common/HostKeys.h"

namespace {

int Code(const char* name) {
  int code = -12345;
  return HostKeys_Parse(name, code) ? code : -1;
}

// Each name as parsed to its code.
void ExpectCodes(std::initializer_list<std::pair<const char*, int>> codes) {
  for (const auto& [name, code] : codes) EXPECT_EQ(Code(name), code) << name;
}

TEST(HostKeys, CharactersStandForThemselvesAndShiftGivesTheUsKeyboardCharacter) {
  ExpectCodes({{"a", 'a'}, {"A", 'A'}, {"S-a", 'A'}, {"?", '?'}, {"S-/", '?'}, {"S-1", '!'}, {"0", '0'}, {"SPC", ' '}});
  EXPECT_EQ(HostKeys_Code('a', 0), 'a');
  EXPECT_EQ(HostKeys_Code('=', HOSTMOD_SHIFT), '+');
}

TEST(HostKeys, ControlKeysGiveControlCodesAndCtrlShiftStaysDistinct) {
  ExpectCodes({{"C-a", 1}, {"C-n", 14}, {"C-S-n", KEY_CTRL_SHIFT_MARK | 14}, {"S-C-p", KEY_CTRL_SHIFT_MARK | 16},
               {"C-N", KEY_CTRL_SHIFT_MARK | 14}});
  EXPECT_NE(Code("C-S-n"), Code("C-n"));
  ExpectCodes({{"C-1", -1},  // no character for CTRL with a digit
               {"RET", 13}, {"C-RET", 10},  // CTRL+J
               {"S-RET", 13}, {"ESC", 27}, {"BS", 8}, {"TAB", 9}, {"S-TAB", 0x0F09}});
}

TEST(HostKeys, SpecialKeysAreScanCodesWithShiftAndCtrlBits) {
  ExpectCodes({{"F1", 0x3B00}, {"F10", 0x4400}, {"S-F3", 0x3D0F}, {"C-F10", 0x44F0}, {"UP", 0x4800}, {"S-UP", 0x480F},
               {"C-UP", 0x48F0}, {"C-S-DOWN", 0x50FF}, {"LEFT", 0x4B00}, {"RIGHT", 0x4D00}, {"HOME", 0x4700},
               {"END", 0x4F00}, {"PGUP", 0x4900}, {"PGDN", 0x5100}, {"INS", 0x5200}, {"DEL", 0x5300},
               {"HENKAN", 0x7900}, {"MUHENKAN", 0x7B00}});
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
