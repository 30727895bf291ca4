#include <string>
#include <vector>

#include "ToolkitFixture.h"

namespace {

// What the box showed at the wait before each key.
struct Seen {
  std::vector<std::string> lines;
  std::vector<std::string> buttons;
  nwObject* focus = nullptr;
  ZebRect rect{};
  int frame = -1;         // pixel at the box's top-left corner
  int innerEdge = -1;     // just inside the corner: the raised edge
  int focusInvert = -1;   // inside the focused button
  std::string firstLine;  // pixels of (312, 80, 16, 16): a centred two-letter first line
};

std::vector<int> keys;          // fed one per wait
std::vector<Seen> seen;
int nestedResult = 0;
bool openNested = false;

Seen Look() {
  Seen s;
  s.focus = nwFocus_Get();
  nwObject* box = s.focus != nullptr ? s.focus->parent : nullptr;
  if (box == nullptr) return s;
  s.rect = box->rect;
  for (int slot = 0; slot < static_cast<int>(cap::kChildren); ++slot) {
    if (!box->childUsed[slot]) continue;
    nwObject* child = box->children[slot];
    if (child->handler == nwLabel_Handler) {
      auto* label = static_cast<nwLabel*>(child);
      s.lines.emplace_back(label->text, static_cast<std::size_t>(label->textLength));
    } else {
      auto* button = static_cast<nwButton*>(child);
      s.buttons.emplace_back(button->text, static_cast<std::size_t>(button->textLength));
    }
  }
  s.frame = Zeb_GetPixel(200, 70);
  s.innerEdge = Zeb_GetPixel(201, 71);
  s.focusInvert = Zeb_GetPixel(s.focus->rect.x + 4, s.focus->rect.y + 20);
  s.firstLine = Area(312, 80, 16, 16);
  return s;
}

void Feed(int) {
  seen.push_back(Look());
  if (openNested) {
    openNested = false;
    nestedResult = nwMessageBox("inner", NW_MB_OK);
  }
  if (keys.empty()) return;
  const int key = keys.front();
  keys.erase(keys.begin());
  if (key == KEY_HOST_CLOSE) {
    Headless_RequestClose();
  } else if (key >= KEY_HOST_COMMAND) {
    Headless_PushCommand(key - KEY_HOST_COMMAND);
  } else {
    Headless_PushKey(key);
  }
}

class MessageBox : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    keys.clear();
    seen.clear();
    Headless_SetFeeder(Feed);
    Headless_SetIdleLimit(50);
    nwObject_Create(&top, Probe_Handler, nullptr, &kAll);
    nwObject_Create(&main, Probe_Handler, nullptr, &kAll);
    nwFocus_Set(&main);
    nwMessageBox_SetParent(&top);
  }
  void TearDown() override {
    nwMessageBox_SetParent(nullptr);
    Headless_SetFeeder(nullptr);
    ToolkitTest::TearDown();
  }
  int Ask(const char* text, int type, std::vector<int> answer) {
    keys = std::move(answer);
    return nwMessageBox(text, type);
  }
  static constexpr ZebRect kAll{0, 0, 640, 240};
  Probe top, main;
};

TEST_F(MessageBox, ShowsCentredLinesInTheFixedBoxAndReturnsTheButtonPressed) {
  EXPECT_EQ(Ask("ab\ncd", NW_MB_OK, {KEY_RETURN}), NW_MB_RESULT_OK);
  ASSERT_EQ(seen.size(), 1u);
  const Seen& s = seen[0];
  EXPECT_EQ(s.lines, (std::vector<std::string>{"ab", "cd", ""}));
  EXPECT_EQ(s.buttons, std::vector<std::string>{"OK"});
  EXPECT_EQ(s.rect.x, 200);
  EXPECT_EQ(s.rect.y, 70);
  EXPECT_EQ(s.rect.w, 240);
  EXPECT_EQ(s.rect.h, 120);
  EXPECT_EQ(s.focus->rect.x, 290);   // the one button, in the middle
  EXPECT_EQ(s.focus->rect.y, 154);
  EXPECT_EQ(s.focus->rect.w, 60);
  EXPECT_EQ(s.focus->rect.h, 24);
  for (int i = 0; i < 3; ++i) {  // three centred lines, 24 pixels apart
    const auto* label = static_cast<const nwLabel*>(s.focus->parent->children[i]);
    EXPECT_EQ(label->rect.x, 206);
    EXPECT_EQ(label->rect.y, 80 + 24 * i);
    EXPECT_EQ(label->rect.w, 228);
    EXPECT_EQ(label->rect.h, 22);
    EXPECT_EQ(label->align, NW_ALIGN_CENTER);
    EXPECT_EQ(label->fontNo, 2);
  }
  EXPECT_EQ(s.frame, ZEB_BLACK);
  EXPECT_EQ(s.innerEdge, ZEB_WHITE);
  EXPECT_EQ(s.focusInvert, ZEB_DARK_GREY);  // light grey inverted
  // "ab" centred in label 0 at (206, 80): x offset (228 - 16) / 2.
  Zeb_SetColor(nwContext, ZEB_LIGHT_GREY);
  Zeb_FillBox(nwContext, ZebRect{312, 80, 16, 16});
  Zeb_SetColor(nwContext, ZEB_BLACK);
  Zeb_SetFont(nwContext, ZEB_FONT_16);
  Zeb_DrawText(nwContext, 312, 80, "ab", 2);
  EXPECT_EQ(s.firstLine, Area(312, 80, 16, 16));
  // Closed: the focus is back, the parent is told to repaint, nothing is left open.
  EXPECT_EQ(nwFocus_Get(), &main);
  EXPECT_FALSE(nwMessageBox_IsOpen());
  Drain();
  EXPECT_EQ(top.count(NW_REDRAW), 1);
}

TEST_F(MessageBox, TheSecondButtonIsReachedWithTab) {
  EXPECT_EQ(Ask("q", NW_MB_OK_CANCEL, {KEY_TAB, KEY_RETURN}), NW_MB_RESULT_CANCEL);
  EXPECT_EQ(seen[0].buttons, (std::vector<std::string>{"OK", "CANCEL"}));
  EXPECT_EQ(seen[0].focus->rect.x, 250);
  EXPECT_EQ(seen[1].focus->rect.x, 330);
  EXPECT_EQ(Ask("q", NW_MB_OK_CANCEL | 0x30, {KEY_RETURN}), NW_MB_RESULT_OK);
  EXPECT_EQ(Ask("q", NW_MB_OK_NG, {KEY_SHIFT_TAB, KEY_RETURN}), NW_MB_RESULT_NG);
  // Tab wraps back to the first button.
  EXPECT_EQ(Ask("q", NW_MB_OK_NG, {KEY_TAB, KEY_TAB, KEY_RETURN}), NW_MB_RESULT_OK);
}

TEST_F(MessageBox, OtherKeysAndForeignCommandsDoNotAnswerIt) {
  const int f3 = KEY_HOST_COMMAND + 3003;
  EXPECT_EQ(Ask("q", NW_MB_OK_CANCEL, {KEY_ESCAPE, 'x', f3, KEY_TAB, KEY_RETURN}), NW_MB_RESULT_CANCEL);
  EXPECT_EQ(seen.size(), 5u);
  EXPECT_EQ(top.count(NW_KEY_DOWN), 3);   // Escape, x and the Tab bubble to the parent
  EXPECT_EQ(top.count(NW_COMMAND), 0);    // the command is swallowed by the box
  EXPECT_EQ(main.count(NW_KEY_DOWN), 0);
}

TEST_F(MessageBox, ExtraLinesAreDroppedAndLongTextIsCut) {
  const std::string longLine(100, 'W');
  EXPECT_EQ(Ask(("1\n2\n" + longLine + "\n4").c_str(), NW_MB_OK, {KEY_RETURN}), 1);
  ASSERT_EQ(seen[0].lines.size(), 3u);
  EXPECT_EQ(seen[0].lines[2], std::string(80, 'W'));
  auto* label = static_cast<nwLabel*>(seen[0].focus->parent->children[2]);
  EXPECT_EQ(label->columns, 28);   // what the screen shows of it
  // A null text and a box of an unknown type: empty lines and one "OK".
  EXPECT_EQ(Ask(nullptr, 3, {KEY_RETURN}), NW_MB_RESULT_OK);
  EXPECT_EQ(seen[1].lines, (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(seen[1].buttons, std::vector<std::string>{"OK"});
}

// The three-way question: "はい", "いいえ", "取消", each answering with its own bit.
TEST_F(MessageBox, AThreeWayQuestionAnswersWithTheButtonChosen) {
  EXPECT_EQ(Ask("a", NW_MB_YES_NO_CANCEL, {KEY_RETURN}), NW_MB_RESULT_OK);
  EXPECT_EQ(seen[0].buttons, (std::vector<std::string>{"\x82\xcd\x82\xa2", "\x82\xa2\x82\xa2\x82\xa6",
                                                       "\x8e\xe6\x8f\xc1"}));
  EXPECT_EQ(Ask("b", NW_MB_YES_NO_CANCEL, {KEY_TAB, KEY_RETURN}), NW_MB_RESULT_NG);
  EXPECT_EQ(Ask("c", NW_MB_YES_NO_CANCEL, {KEY_TAB, KEY_TAB, KEY_RETURN}), NW_MB_RESULT_CANCEL);
  EXPECT_EQ(top.childCount, 0);  // all three buttons went with the box
}

TEST_F(MessageBox, ReusedRecordsKeepNothingFromTheLastBox) {
  Ask("a\nb\nc", NW_MB_OK_CANCEL, {KEY_RETURN});
  Ask("z", NW_MB_OK, {KEY_RETURN});
  EXPECT_EQ(seen[1].lines, (std::vector<std::string>{"z", "", ""}));
  EXPECT_EQ(seen[1].buttons, std::vector<std::string>{"OK"});
  EXPECT_EQ(top.childCount, 0);
}

TEST_F(MessageBox, ABoxInsideABoxIsRefused) {
  openNested = true;
  EXPECT_EQ(Ask("outer", NW_MB_OK, {KEY_RETURN}), NW_MB_RESULT_OK);
  EXPECT_EQ(nestedResult, NW_MB_NO_ANSWER);
  EXPECT_EQ(seen.size(), 1u);
}

TEST_F(MessageBox, ACloseRequestEndsItWithoutAnAnswerAndLaterBoxesDoNotOpen) {
  EXPECT_EQ(Ask("q", NW_MB_OK_CANCEL, {KEY_HOST_CLOSE}), NW_MB_NO_ANSWER);
  EXPECT_FALSE(nwMessageBox_IsOpen());
  EXPECT_EQ(nwFocus_Get(), &main);
  // While shutting down a box would close before it was seen: none is drawn.
  Zeb_SetColor(nwContext, ZEB_WHITE);
  const ZebRect all = kAll;
  Zeb_FillBox(nwContext, all);
  const int waits = Headless_WaitCount();
  EXPECT_EQ(Ask("late", NW_MB_OK, {KEY_RETURN}), NW_MB_NO_ANSWER);
  EXPECT_EQ(Headless_WaitCount(), waits);
  EXPECT_EQ(Zeb_GetPixel(200, 70), ZEB_WHITE);
  EXPECT_EQ(top.childCount, 0);
}

}  // namespace
