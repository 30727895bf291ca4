#include <cstring>
#include <string>

#include "ToolkitFixture.h"

namespace {

// 日 93 FA, 本 96 7B (trail byte in ASCII range), 亜 88 9F (trail byte in the
// lead-byte range).
constexpr const char* kNichi = "\x93\xfa";
constexpr const char* kA = "\x88\x9f";

class Editor : public ToolkitTest {
 protected:
  // A field at (10, 20): 84 wide gives 10 columns; 20 high one line.
  void Make(int capacity, int w = 84, int h = 20, bool multiLine = false) {
    ZebRect r = Rect(10, 20, w, h);
    nwObject_Create(&parent_, Probe_Handler, nullptr, nullptr);
    nwObject_Create(&edit_, nwEdit_Handler, &parent_, &r);
    std::memset(buffer_, '#', sizeof buffer_);
    nwEvent_SendTo(&edit_, NW_SET_BUFFER, capacity, 0, buffer_);
    if (multiLine) nwEvent_SendTo(&edit_, NW_SET_MULTI_LINE);
  }
  void SetText(const char* text) {
    nwEvent_SendTo(&edit_, NW_SET_TEXT, static_cast<int>(std::strlen(text)), 0, const_cast<char*>(text));
  }
  bool Key(int key, int modifiers = 0) { return nwEvent_SendTo(&edit_, NW_KEY_DOWN, key, modifiers); }
  void Type(const char* text) {
    for (const char* p = text; *p != '\0'; ++p) Key(static_cast<unsigned char>(*p));
  }
  std::string Text() const { return std::string(edit_.text, static_cast<std::size_t>(edit_.length)); }
  void Focus() {
    nwEvent_SendTo(&edit_, NW_SHOW);
    nwFocus_Set(&edit_);
  }

  Probe parent_;
  nwEdit edit_{};
  char buffer_[64];
};

TEST_F(Editor, CursorMovesAndDeletionsStepOverBothBytesOfACharacter) {
  Make(20);
  SetText((std::string("a") + kA + "b").c_str());  // a 亜 b
  nwEvent_SendTo(&edit_, NW_SET_CURSOR, 1, 0);
  EXPECT_TRUE(Key(KEY_RIGHT));
  EXPECT_EQ(edit_.cursor, 3);
  EXPECT_TRUE(Key(KEY_LEFT));
  EXPECT_EQ(edit_.cursor, 1);
  Key(KEY_RIGHT);
  Key(KEY_BACKSPACE);
  EXPECT_EQ(Text(), "ab");
  EXPECT_EQ(edit_.cursor, 1);
  SetText((std::string(kA) + kNichi).c_str());
  nwEvent_SendTo(&edit_, NW_SET_CURSOR, 2, 0);
  EXPECT_TRUE(Key(KEY_DELETE));
  EXPECT_EQ(Text(), kA);
  EXPECT_FALSE(Key(KEY_DELETE));  // at the end: an ordinary, unused key
  EXPECT_EQ(buffer_[2], '\0');
  // A position given in the middle of a character steps back to its start.
  nwEvent_SendTo(&edit_, NW_SET_CURSOR, 1, 0);
  EXPECT_EQ(edit_.cursor, 0);
}

TEST_F(Editor, GainingFocusMarksEverythingAndTheNextCharacterReplacesIt) {
  Make(20);
  SetText("hello");
  Focus();
  EXPECT_EQ(edit_.cursor, 0);
  EXPECT_EQ(edit_.mark, 5);
  Type(kNichi);
  EXPECT_EQ(Text(), kNichi);
  EXPECT_EQ(edit_.cursor, 2);
  EXPECT_EQ(edit_.mark, 0);
  Drain();
  EXPECT_EQ(parent_.count(NW_GAIN_FOCUS_NOTIFY), 1);
  EXPECT_GE(parent_.count(NW_EDIT_NOTIFY), 3);  // SetText, SetCursor, each byte
  const nwMessage* note = parent_.last(NW_EDIT_NOTIFY);
  EXPECT_EQ(note->ptr, &edit_);
  EXPECT_EQ(note->param, edit_.serial);
}

TEST_F(Editor, AFullFieldRefusesInputButConsumesTheKey) {
  Make(4);
  SetText("abcd");
  nwEvent_SendTo(&edit_, NW_SET_CURSOR, 4, 0);
  EXPECT_TRUE(Key('x'));
  EXPECT_TRUE(Key('j', KEY_MOD_CTRL));
  EXPECT_EQ(Text(), "abcd");
  EXPECT_EQ(buffer_[4], '\0');
  EXPECT_EQ(buffer_[5], '#');
  // One byte free: a double-byte character is refused whole, trail included.
  Key(KEY_BACKSPACE);
  Type(std::string("\x96\x7b").c_str());  // 本, trail byte '{'
  EXPECT_EQ(Text(), "abc");
  Type("z");
  EXPECT_EQ(Text(), "abcz");
}

TEST_F(Editor, SingleLineLeavesDialogKeysAloneAndCtrlJInsertsALineFeed) {
  Make(20);
  for (int key : {KEY_UP, KEY_DOWN, KEY_TAB, KEY_RETURN, KEY_ESCAPE, KEY_F1, KEY_F10}) EXPECT_FALSE(Key(key));
  EXPECT_FALSE(Key('x', KEY_MOD_CTRL));
  EXPECT_FALSE(Key(Key_Special(KEY_HOME, false, true)));  // low byte 0xF0 is no character
  EXPECT_TRUE(Key('j', KEY_MOD_CTRL));
  EXPECT_TRUE(Key('a', KEY_MOD_SHIFT));
  EXPECT_EQ(Text(), "\nA");
  EXPECT_TRUE(Key('b', KEY_MOD_CTRL));
  EXPECT_EQ(edit_.cursor, 1);
  EXPECT_TRUE(Key('f', KEY_MOD_CTRL));
  EXPECT_EQ(edit_.cursor, 2);
}

TEST_F(Editor, SetTextStoresAtMostTheCapacityAndKeepsCharactersWhole) {
  Make(6);
  SetText("abcdefghij");
  EXPECT_EQ(Text(), "abcdef");
  EXPECT_EQ(buffer_[6], '\0');
  EXPECT_EQ(buffer_[7], '#');
  SetText((std::string("abcde") + kNichi).c_str());
  EXPECT_EQ(Text(), "abcde");
}

TEST_F(Editor, MultiLineWrapsAtTheColumnsAndNeverSplitsACharacter) {
  Make(40, 84, 52, true);  // 10 columns, 3 lines
  SetText("0123456789abcdefghijABCDE");
  EXPECT_EQ(nwEdit_LineStart(&edit_, 1), 10);
  EXPECT_EQ(nwEdit_LineStart(&edit_, 2), 20);
  EXPECT_EQ(nwEdit_LineStart(&edit_, 3), 25);
  EXPECT_EQ(nwEdit_LineOf(&edit_, 10), 0);
  EXPECT_EQ(nwEdit_LineOf(&edit_, 11), 1);
  SetText((std::string("012345678") + kNichi + "xyz").c_str());
  EXPECT_EQ(nwEdit_LineStart(&edit_, 1), 9);
  SetText("ab\ncdefg");
  EXPECT_EQ(nwEdit_LineStart(&edit_, 1), 3);
  // Down keeps the column; Up from line 1 returns to it.
  nwEvent_SendTo(&edit_, NW_SET_CURSOR, 1, 0);
  EXPECT_TRUE(Key(KEY_DOWN));
  EXPECT_EQ(edit_.cursor, 4);
  EXPECT_TRUE(Key('p', KEY_MOD_CTRL));
  EXPECT_EQ(edit_.cursor, 1);
  // Just after the line feed: Up goes to the start of that line first.
  nwEvent_SendTo(&edit_, NW_SET_CURSOR, 3, 0);
  Key(KEY_UP);
  EXPECT_EQ(edit_.cursor, 0);
}

TEST_F(Editor, MultiLineScrollsToKeepTheCursorLineShown) {
  Make(40, 84, 36, true);  // 10 columns, 2 lines
  Type("0123456789abcdefghijAB");
  EXPECT_EQ(edit_.topLine, 1);
  Key(KEY_UP);
  Key(KEY_UP);
  EXPECT_EQ(nwEdit_LineOf(&edit_, edit_.cursor), 0);
  EXPECT_EQ(edit_.topLine, 0);
}

TEST_F(Editor, ALongShiftJisTextTypedByteByByteFitsWholeCharactersOnly) {
  Make(9);
  Focus();
  // 日本語のテキストです, then ASCII: far more than 9 bytes.
  const char* text = "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x65\x83\x4c\x83\x58\x83\x67\x82\xc5\x82\xb7xyz";
  Type(text);
  EXPECT_EQ(Text(), "\x93\xfa\x96\x7b\x8c\xea\x82\xcc" "x");
  EXPECT_EQ(edit_.length, 9);
  EXPECT_EQ(buffer_[9], '\0');
  EXPECT_EQ(buffer_[10], '#');
  Key(KEY_LEFT);
  Key(KEY_LEFT);
  EXPECT_EQ(edit_.cursor, 6);
  Key(KEY_BACKSPACE);
  EXPECT_EQ(Text(), "\x93\xfa\x96\x7b\x82\xcc" "x");
}

TEST_F(Editor, SingleLineScrollsSidewaysAndDrawsTheCursorAsAnInvertedCell) {
  Make(30);
  Focus();
  // Double frame while focused, white inside.
  EXPECT_EQ(Zeb_GetPixel(10, 20), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(11, 21), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(12, 22), ZEB_BLACK);  // empty text: cursor cell at x + 2
  EXPECT_EQ(Zeb_GetPixel(19, 37), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(20, 22), ZEB_WHITE);
  Type("............");  // 12 dots: the field shows 10 columns
  EXPECT_EQ(edit_.scroll, 2);
  // The cursor just after the last column is cut away at the field's edge;
  // the inner frame at x 92 stays black.
  EXPECT_EQ(Zeb_GetPixel(12 + 72, 22), ZEB_WHITE);
  EXPECT_EQ(Zeb_GetPixel(12 + 79, 22), ZEB_WHITE);
  EXPECT_EQ(Zeb_GetPixel(92, 22), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(92, 37), ZEB_BLACK);
  Key(KEY_LEFT);  // back into the shown columns: the cell at column 9
  EXPECT_EQ(edit_.scroll, 2);
  EXPECT_EQ(Zeb_GetPixel(12 + 72, 22), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(12 + 79, 37), ZEB_BLACK);
  EXPECT_EQ(Zeb_GetPixel(12 + 71, 22), ZEB_WHITE);
  Key(KEY_RIGHT);
  Key(KEY_RIGHT);
  nwEvent_SendTo(&edit_, NW_SET_CURSOR, 0, 0);
  EXPECT_EQ(edit_.scroll, 0);
  EXPECT_EQ(Zeb_GetPixel(12, 22), ZEB_BLACK);
  nwFocus_Set(nullptr);
  EXPECT_EQ(Zeb_GetPixel(12, 22), ZEB_WHITE);
  EXPECT_EQ(Zeb_GetPixel(11, 21), ZEB_WHITE);
}

TEST_F(Editor, AFieldAsWideAsItsCapacityKeepsItsWholeTextInView) {
  Make(4, 36, 20);  // a year field: 4 columns, text area (12, 22, 32, 16)
  ASSERT_EQ(edit_.columns, 4);
  Focus();
  Type("2024");
  EXPECT_EQ(edit_.scroll, 0);
  EXPECT_EQ(edit_.cursor, 4);
  const std::string typed = Area(12, 22, 32, 16);
  EXPECT_EQ(typed, TextAlone(12, 22, 32, 16, "2024", ZEB_WHITE));
  // Right over a marked text lands after it without scrolling either.
  nwEvent_SendTo(&edit_, NW_SET_CURSOR, 0, -1);
  Key(KEY_RIGHT);
  EXPECT_EQ(edit_.cursor, 4);
  EXPECT_EQ(edit_.scroll, 0);
  // One byte more than the columns scrolls by one.
  Make(5, 36, 20);
  Focus();
  Type("12345");
  EXPECT_EQ(edit_.scroll, 1);
  EXPECT_EQ(Area(12, 22, 32, 16), TextAlone(12, 22, 32, 16, "2345", ZEB_WHITE));
}

TEST_F(Editor, UpAtTheEndOfTheLastLineGoesToTheStartOfThatLine) {
  Make(40, 84, 52, true);
  SetText("ab\ncd");
  nwEvent_SendTo(&edit_, NW_SET_CURSOR, 5, 0);
  EXPECT_TRUE(Key(KEY_UP));
  EXPECT_EQ(edit_.cursor, 3);
  Key(KEY_UP);  // 3 ends line 0 (just after the line feed)
  EXPECT_EQ(edit_.cursor, 0);
  SetText("abc");
  nwEvent_SendTo(&edit_, NW_SET_CURSOR, 3, 0);
  Key(KEY_UP);
  EXPECT_EQ(edit_.cursor, 0);
  Key(KEY_UP);  // at the start of line 0 nothing moves
  EXPECT_EQ(edit_.cursor, 0);
}

TEST_F(Editor, ATrailByteThatLooksLikeALeadByteCompletesItsCharacter) {
  // 亜 (88 9F) typed with exactly two bytes free goes in whole.
  Make(4);
  SetText("ab");
  nwEvent_SendTo(&edit_, NW_SET_CURSOR, 1, 0);
  Type(kA);
  EXPECT_EQ(Text(), std::string("a") + kA + "b");
  EXPECT_EQ(edit_.cursor, 3);
  EXPECT_EQ(buffer_[5], '#');
  // Typed into a shown field it is drawn once its second byte is in.
  Make(20);
  Focus();
  Type(kA);
  EXPECT_EQ(Area(12, 22, 16, 16), TextAlone(12, 22, 16, 16, kA, ZEB_WHITE));
}

// True when position splits a character, scanning from the start.
bool Splits(const nwEdit& edit, int position) {
  int i = 0;
  while (i < position) i += Zeb_IsLeadByte(static_cast<unsigned char>(edit.text[i])) ? 2 : 1;
  return i > position;
}

TEST_F(Editor, AFloodOfMixedKeysKeepsTheBufferTheCursorAndTheScreenInBounds) {
  // One input each: a character (double-byte ones come as their two bytes,
  // as the input method sends them), an editing key or a CTRL key.
  struct Input {
    int first, second, modifiers;
  };
  const Input inputs[] = {{'a', 0, 0},          {'Z', 0, 0},         {' ', 0, 0},        {0xb1, 0, 0},
                          {0x93, 0xfa, 0},      {0x88, 0x9f, 0},     {0x96, 0x7b, 0},    {0xfa, 0x40, 0},
                          {KEY_BACKSPACE, 0, 0}, {KEY_DELETE, 0, 0}, {KEY_LEFT, 0, 0},   {KEY_RIGHT, 0, 0},
                          {KEY_UP, 0, 0},       {KEY_DOWN, 0, 0},    {'j', 0, KEY_MOD_CTRL}, {'b', 0, KEY_MOD_CTRL},
                          {'f', 0, KEY_MOD_CTRL}, {'n', 0, KEY_MOD_CTRL}, {'p', 0, KEY_MOD_CTRL}};
  unsigned seed = 12345;
  auto next = [&seed](unsigned n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  for (bool multiLine : {false, true}) {
    const int h = multiLine ? 52 : 20;
    Make(17, 60, h, multiLine);  // 7 columns
    SetText("");
    Focus();
    for (int i = 0; i < 4000; ++i) {
      const Input& input = inputs[next(sizeof inputs / sizeof inputs[0])];
      if (next(40) == 0) nwEvent_SendTo(&edit_, NW_SET_CURSOR, 0, -1);
      Key(input.first, input.modifiers);
      if (input.second != 0) Key(input.second);
      ASSERT_LE(edit_.length, 17);
      ASSERT_EQ(buffer_[edit_.length], '\0');
      ASSERT_EQ(buffer_[18], '#');
      ASSERT_GE(edit_.cursor, 0);
      ASSERT_LE(edit_.cursor, edit_.length);
      ASSERT_GE(edit_.mark, 0);
      ASSERT_LE(edit_.cursor + edit_.mark, edit_.length);
      ASSERT_FALSE(Splits(edit_, edit_.cursor)) << "input " << i;
      ASSERT_FALSE(Splits(edit_, edit_.length)) << "input " << i;
      if (multiLine) {
        const int line = nwEdit_LineOf(&edit_, edit_.cursor);
        ASSERT_GE(line, edit_.topLine);
        ASSERT_LT(line, edit_.topLine + edit_.visibleLines);
      } else {
        ASSERT_LE(edit_.scroll, edit_.cursor);
        ASSERT_LE(edit_.cursor, edit_.scroll + edit_.columns);
      }
    }
    // Nothing was drawn outside the field.
    for (int y = 0; y < 80; ++y) {
      for (int x = 0; x < 100; ++x) {
        if (x >= 10 && x < 70 && y >= 20 && y < 20 + h) continue;
        ASSERT_EQ(Zeb_GetPixel(x, y), ZEB_WHITE) << x << "," << y;
      }
    }
  }
}

TEST_F(Editor, ADoubleByteCharacterCutByTheRightEdgeIsDrawnOnlyInPart) {
  Make(30, 64, 20);  // 7 columns, text area x 12..71, shown up to 12 + 56
  nwEvent_SendTo(&edit_, NW_SHOW);
  SetText((std::string("......") + kNichi).c_str());
  nwEvent_SendTo(&edit_, NW_REDRAW);
  int inkInside = 0;
  for (int y = 22; y < 38; ++y) {
    for (int x = 12 + 48; x < 12 + 56; ++x) inkInside += Zeb_GetPixel(x, y) == ZEB_BLACK;
    for (int x = 12 + 56; x < 72; ++x) EXPECT_EQ(Zeb_GetPixel(x, y), ZEB_WHITE);
  }
  EXPECT_GT(inkInside, 0);
}

}  // namespace
