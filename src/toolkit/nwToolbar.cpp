// The function-key bar: ten labelled slots for F1..F10 that turn the keys
// into the commands of the current screen.
#include <cstring>

#include "toolkit/nwInternal.h"

namespace {

constexpr int kSlotWidth = 54;
constexpr int kSlotHeight = 18;
constexpr int kSlotTop = 2;       // below the bar's top edge
constexpr int kLabelInset = 3;

nwToolbar* AsToolbar(nwObject* object) { return static_cast<nwToolbar*>(object); }

bool ValidSlot(int slot) { return slot >= 0 && slot < static_cast<int>(cap::kToolbarSlots); }

void DrawSlot(nwToolbar* bar, int slot) {
  const nwToolbarSlot& key = bar->slots[slot];
  const int x = bar->rect.x + nwToolbar_SlotX(slot);
  const int y = bar->rect.y + kSlotTop;
  Zeb_DrawRaisedFrame(nwContext, ZebRect{x, y, kSlotWidth, kSlotHeight}, ZEB_LIGHT_GREY);
  if (key.set) {
    Zeb_SetColor(nwContext, ZEB_BLACK);
    Zeb_SetFont(nwContext, ZEB_FONT_12);
    Zeb_DrawText(nwContext, x + kLabelInset, y + 2, key.label, NW_TOOLBAR_LABEL);
  }
  Zeb_SetColor(nwContext, ZEB_BLACK);
}

void ClearSlot(nwToolbarSlot& key) {
  std::memset(key.label, 0, sizeof key.label);
  key.set = 0;
  key.command = 0;
}

bool SetSlot(nwToolbar* bar, const nwMessage* message) {
  if (!ValidSlot(message->param)) return false;
  nwToolbarSlot& key = bar->slots[message->param];
  nwText_Copy(key.label, NW_TOOLBAR_LABEL + 1, nwMessage_Ptr<const char>(message), NW_TOOLBAR_LABEL);
  key.set = 1;
  key.command = message->param2;
  DrawSlot(bar, message->param);
  return true;
}

bool UnsetSlot(nwToolbar* bar, int slot) {
  if (!ValidSlot(slot)) return false;
  ClearSlot(bar->slots[slot]);
  DrawSlot(bar, slot);
  return true;
}

bool OnCommand(const nwToolbar* bar, int slot) {
  if (ValidSlot(slot) && bar->slots[slot].set) nwEvent_PostTo(nullptr, NW_COMMAND, bar->slots[slot].command);
  return true;
}

void OnCreate(nwToolbar* bar) {
  bar->reserved = NW_WIDGET;
  for (auto& key : bar->slots) ClearSlot(key);
  nwEvent_PostTo(bar, NW_SET_BACK_COLOR, ZEB_LIGHT_GREY);
  nwEvent_SetToolbar(bar);
}

}  // namespace

bool nwToolbar_Handler(nwObject* object, nwMessage* message) {
  nwToolbar* bar = AsToolbar(object);
  switch (message->code) {
    case NW_CREATE:
      nwObject_DefaultHandler(object, message);
      OnCreate(bar);
      return true;
    case NW_DESTROY:
      nwObject_DefaultHandler(object, message);
      nwEvent_ReleaseToolbar(bar);
      return true;
    case NW_COMMAND: return OnCommand(bar, message->param);
    case NW_REDRAW:
      for (int slot = 0; slot < static_cast<int>(cap::kToolbarSlots); ++slot) DrawSlot(bar, slot);
      return true;
    case NW_SET_TEXT: return SetSlot(bar, message);
    case NW_UNSET_TEXT: return UnsetSlot(bar, message->param);
    default: return nwObject_DefaultHandler(object, message);
  }
}
