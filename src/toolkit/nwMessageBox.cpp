// The message box: a dialog of three centred labels and one to three buttons.
// Its records are static and reused by every box.
#include <array>
#include <cstring>

#include "toolkit/nwInternal.h"

namespace {

constexpr int kLabelX = 6;
constexpr int kLabelY = 10;
constexpr int kLabelStep = 24;
constexpr int kLabelW = 228;
constexpr int kLabelH = 22;
constexpr int kButtonY = 84;
constexpr int kButtonW = 60;
constexpr int kButtonH = 24;

constexpr int kLines = static_cast<int>(cap::kMessageBoxLines);
constexpr int kText = static_cast<int>(cap::kMessageBoxText);

struct ButtonPlace {
  const char* text;
  int length;
  int command;
  int x;
};

struct Layout {
  int count;
  std::array<ButtonPlace, cap::kMessageBoxButtons> buttons;
};

constexpr Layout kOk{1, {{{"OK", 2, NW_MB_RESULT_OK, 90}, {}, {}}}};
constexpr Layout kOkNg{2, {{{"OK", 2, NW_MB_RESULT_OK, 50}, {"NG", 2, NW_MB_RESULT_NG, 130}, {}}}};
constexpr Layout kOkCancel{2, {{{"OK", 2, NW_MB_RESULT_OK, 50}, {"CANCEL", 6, NW_MB_RESULT_CANCEL, 130}, {}}}};
// "はい", "いいえ", "取消"
constexpr Layout kYesNoCancel{3,
                              {{{"\x82\xcd\x82\xa2", 4, NW_MB_RESULT_OK, 15},
                                {"\x82\xa2\x82\xa2\x82\xa6", 6, NW_MB_RESULT_NG, 90},
                                {"\x8e\xe6\x8f\xc1", 4, NW_MB_RESULT_CANCEL, 165}}}};

// A type the box does not know still gets a button, so the box can be closed.
const Layout& LayoutOf(int type) {
  switch (type & 0x0F) {
    case NW_MB_OK_NG: return kOkNg;
    case NW_MB_OK_CANCEL: return kOkCancel;
    case NW_MB_YES_NO_CANCEL: return kYesNoCancel;
    default: return kOk;
  }
}

struct Box {
  nwDialog dialog;
  std::array<nwLabel, cap::kMessageBoxLines> labels;
  std::array<nwButton, cap::kMessageBoxButtons> buttons;
  char labelText[cap::kMessageBoxLines][cap::kMessageBoxText];
  char buttonText[cap::kMessageBoxButtons][cap::kMessageBoxText];
  const char* text;
  const Layout* layout = &kOk;
  int result = NW_MB_NO_ANSWER;
  bool open;
  nwObject* parent;
};

Box box{};

void BuildLabels(nwObject* dialog) {
  for (int i = 0; i < kLines; ++i) {
    nwLabel& label = box.labels[static_cast<std::size_t>(i)];
    const ZebRect rect{kLabelX, kLabelY + kLabelStep * i, kLabelW, kLabelH};
    nwObject_Create(&label, nwLabel_Handler, dialog, &rect);
    nwEvent_SendTo(&label, NW_SET_BUFFER, kText, 0, box.labelText[i]);
    nwEvent_SendTo(&label, NW_SET_ALIGN, NW_ALIGN_CENTER);
  }
}

// Line i goes to label i; lines beyond the last label are dropped.
void SplitText() {
  const char* piece = box.text;
  for (std::size_t i = 0; i < box.labels.size(); ++i) {
    const char* end = std::strchr(piece, '\n');
    const int length = static_cast<int>(end != nullptr ? end - piece : std::strlen(piece));
    nwEvent_SendTo(&box.labels[i], NW_SET_TEXT, length, 0, const_cast<char*>(piece));
    if (end == nullptr) return;
    piece = end + 1;
  }
}

void BuildButtons(nwObject* dialog) {
  const Layout& layout = *box.layout;
  for (int i = 0; i < layout.count; ++i) {
    const ButtonPlace& place = layout.buttons[static_cast<std::size_t>(i)];
    nwButton& button = box.buttons[static_cast<std::size_t>(i)];
    const ZebRect rect{place.x, kButtonY, kButtonW, kButtonH};
    nwObject_Create(&button, nwButton_Handler, dialog, &rect);
    nwEvent_SendTo(dialog, NW_SET_TAB_STOP, 0, 0, &button);
    nwEvent_SendTo(&button, NW_SET_BUFFER, kText, 0, box.buttonText[i]);
    nwEvent_SendTo(&button, NW_SET_TEXT, place.length, 0, const_cast<char*>(place.text));
    nwEvent_SendTo(&button, NW_SET_COMMAND, place.command);
  }
}

// The contents are set up at once; only the Tab is posted, so that it comes
// after the modal loop has put the focus on the first label and moves it to
// the first button.
void Build(nwObject* dialog) {
  BuildLabels(dialog);
  SplitText();
  BuildButtons(dialog);
  nwEvent_PostTo(dialog, NW_KEY_DOWN, KEY_TAB);
}

// The widgets keep their visible flag through Destroy; cleared, a message
// still queued for them draws nothing once the box is gone.
void DestroyChild(nwObject* child) {
  child->visible = 0;
  nwObject_Destroy(child);
}

void DestroyContents() {
  for (nwLabel& label : box.labels) DestroyChild(&label);
  for (int i = 0; i < box.layout->count; ++i) DestroyChild(&box.buttons[static_cast<std::size_t>(i)]);
}

bool Offers(int command) {
  for (int i = 0; i < box.layout->count; ++i) {
    if (box.layout->buttons[static_cast<std::size_t>(i)].command == command) return true;
  }
  return false;
}

// Only the box's own buttons answer it: function keys and host commands that
// reach it through the focus chain are swallowed.
bool OnCommand(nwObject* dialog, int command) {
  if (!Offers(command) || box.result != NW_MB_NO_ANSWER) return true;
  box.result = command;
  nwFocus_Set(dialog);
  if (!nwEvent_PostTo(dialog, NW_END_MODAL, command)) nwDialog_RequestEnd(command);
  return true;
}

// The box stays in the middle of the screen whatever object it is put on.
ZebRect RectOnParent() {
  ZebRect rect = NW_MB_RECT;
  if (box.parent != nullptr) {
    rect.x -= box.parent->rect.x;
    rect.y -= box.parent->rect.y;
  }
  return rect;
}

}  // namespace

bool nwMessageBox_Handler(nwObject* object, nwMessage* message) {
  switch (message->code) {
    case NW_CREATE:
      nwDialog_Handler(object, message);
      Build(object);
      return true;
    case NW_DESTROY:
      DestroyContents();
      return nwDialog_Handler(object, message);
    case NW_COMMAND: return OnCommand(object, message->param);
    default: return nwDialog_Handler(object, message);
  }
}

int nwMessageBox(const char* text, int type) {
  // After a Quit or close request every loop level ends at once: a box
  // would close before anyone saw it.
  if (box.open || nwEvent_IsQuitting()) {
    nwLog("Kiln: message box refused.");
    return NW_MB_NO_ANSWER;
  }
  box.open = true;
  box.result = NW_MB_NO_ANSWER;
  box.text = text != nullptr ? text : "";
  box.layout = &LayoutOf(type);
  const ZebRect rect = RectOnParent();
  nwObject_Create(&box.dialog, nwMessageBox_Handler, box.parent, &rect);
  nwEvent_SetCover(&box.dialog);
  nwDialog_DoModal(&box.dialog);
  nwEvent_SetCover(nullptr);
  // Its parent's redraw, posted as it goes, repaints what it covered.
  nwObject_Destroy(&box.dialog);
  box.open = false;
  return box.result;
}

void nwMessageBox_SetParent(nwObject* parent) { box.parent = parent; }

bool nwMessageBox_IsOpen() { return box.open; }
