#include "ToolkitFixture.h"

namespace {

class KeyFilter : public ToolkitTest {
 protected:
  // Filters a KeyDown of `key`; returns whether it was consumed.
  bool Filter(int key) {
    nwEvent_Set(&m_, NW_KEY_DOWN, nullptr, key, 0);
    return nwEvent_Filter(&m_);
  }
  void ExpectPass(int key, int param, int param2) {
    EXPECT_FALSE(Filter(key)) << std::hex << key;
    EXPECT_EQ(m_.param, param) << std::hex << key;
    EXPECT_EQ(m_.param2, param2) << std::hex << key;
  }
  nwMessage m_{};
};

TEST_F(KeyFilter, ControlCodesBecomeLettersWithCtrlExceptBackspaceTabReturn) {
  ExpectPass(14, 'n', KEY_MOD_CTRL);
  ExpectPass(1, 'a', KEY_MOD_CTRL);
  ExpectPass(26, 'z', KEY_MOD_CTRL);
  ExpectPass(KEY_BACKSPACE, KEY_BACKSPACE, 0);
  ExpectPass(KEY_TAB, KEY_TAB, 0);
  ExpectPass(KEY_RETURN, KEY_RETURN, 0);
  ExpectPass(KEY_ESCAPE, KEY_ESCAPE, 0);
}

TEST_F(KeyFilter, LettersAreLowerCaseWithShiftForCapitals) {
  ExpectPass('N', 'n', KEY_MOD_SHIFT);
  ExpectPass('A', 'a', KEY_MOD_SHIFT);
  ExpectPass('Z', 'z', KEY_MOD_SHIFT);
  ExpectPass('n', 'n', KEY_MOD_NONE);
  ExpectPass('1', '1', 0);
  ExpectPass(0x82, 0x82, 0);  // a Shift-JIS lead byte
}

TEST_F(KeyFilter, CtrlShiftLettersStayDistinctFromCtrl) {
  ExpectPass(Key_Control('n', true), 'n', KEY_MOD_CTRL_SHIFT);
  ExpectPass(Key_Control('A', true), 'a', KEY_MOD_CTRL_SHIFT);
  ExpectPass(Key_Control('z', true), 'z', KEY_MOD_CTRL_SHIFT);
  ExpectPass(Key_Control('n', false), 'n', KEY_MOD_CTRL);
  EXPECT_TRUE(nwEvent_HasModifier(&m_, KEY_MOD_CTRL));
  EXPECT_FALSE(nwEvent_HasModifier(&m_, KEY_MOD_SHIFT));
  Filter(Key_Control('n', true));
  EXPECT_TRUE(nwEvent_HasModifier(&m_, KEY_MOD_CTRL));
  EXPECT_TRUE(nwEvent_HasModifier(&m_, KEY_MOD_SHIFT));
  // The control codes that are keys of their own keep them, with SHIFT.
  ExpectPass(Key_Control('i', true), KEY_TAB, KEY_MOD_SHIFT);
  ExpectPass(Key_Control('h', true), KEY_BACKSPACE, KEY_MOD_SHIFT);
  ExpectPass(Key_Control('m', true), KEY_RETURN, KEY_MOD_SHIFT);
  EXPECT_EQ(Key_Control('1', false), -1);
}

TEST_F(KeyFilter, ShiftTabAndCtrlArrowsAreNormalised) {
  ExpectPass(KEY_SHIFT_TAB, KEY_TAB, KEY_MOD_SHIFT);
  ExpectPass(0x48F0, KEY_UP, KEY_MOD_CTRL);
  ExpectPass(0x50F0, KEY_DOWN, KEY_MOD_CTRL);
  ExpectPass(0x4DF0, KEY_RIGHT, KEY_MOD_CTRL);
  ExpectPass(0x4BF0, KEY_LEFT, KEY_MOD_CTRL);
  ExpectPass(0x480F, 0x480F, 0);  // Shift+Up stays
  ExpectPass(KEY_PAGEDOWN, KEY_PAGEDOWN, 0);
}

TEST_F(KeyFilter, FunctionKeysBecomeToolbarCommandsAndAreConsumed) {
  Probe bar;
  nwObject_Create(&bar, Probe_Handler, nullptr, nullptr);
  nwEvent_SetToolbar(&bar);
  const int keys[][2] = {{KEY_F1, 0},   {KEY_F3, 2},   {0x3D0F, 2},
                         {KEY_F10, 9},  {0x440F, 9},   {0x3DF0, 2}};
  for (const auto& [key, slot] : keys) {
    bar.seen.clear();
    EXPECT_TRUE(Filter(key)) << std::hex << key;
    ASSERT_EQ(bar.count(NW_COMMAND), 1) << std::hex << key;
    EXPECT_EQ(bar.last(NW_COMMAND)->param, slot);
  }
  bar.seen.clear();
  ExpectPass(0x44F0, 0x44F0, 0);  // Ctrl+F10 is outside the range
  EXPECT_TRUE(bar.seen.empty());
  nwEvent_SetToolbar(nullptr);
  EXPECT_TRUE(Filter(KEY_F2));  // no bar: still consumed
}

TEST_F(KeyFilter, OnlyKeyDownIsLookedAt) {
  nwEvent_Set(&m_, NW_COMMAND, nullptr, 14, 0);
  EXPECT_FALSE(nwEvent_Filter(&m_));
  EXPECT_EQ(m_.param, 14);
  EXPECT_EQ(m_.param2, 0);
}

}  // namespace
