// Dialogs: a tab order over the children and the modal loop.
#include <array>

#include "toolkit/nwInternal.h"

namespace {

// A modal loop's result is one byte.
int ResultByte(int value) { return value & 0xFF; }

int modalDepth = 0;
// Per loop level: the result an EndModal sent to a handler asked for, or -1.
std::array<int, cap::kModalDepth> endRequest{};
// Per loop level: the dialog it runs.
std::array<const nwObject*, cap::kModalDepth> loopDialog{};

// The level an EndModal addressed to target ends: the innermost loop, unless
// target runs an outer one. A box opened while a dialog's own EndModal is
// still queued must not take it: the dialog would stay open and the box close
// unseen.
int LevelEndedBy(const nwObject* target) {
  for (int level = modalDepth - 1; level >= 0; --level) {
    if (loopDialog[static_cast<std::size_t>(level)] == target) return level;
  }
  return modalDepth - 1;
}

int LowestTabStop(const nwDialog* dialog) {
  for (int slot = 0; slot < static_cast<int>(cap::kChildren); ++slot) {
    if (dialog->tabStop[slot]) return slot;
  }
  return -1;
}

int LowestTabStopHolding(const nwDialog* dialog, const nwObject* object) {
  for (int slot = 0; slot < static_cast<int>(cap::kChildren); ++slot) {
    if (dialog->tabStop[slot] && dialog->children[slot] == object) return slot;
  }
  return -1;
}

// Brings tabIndex back in line with the real focus, where it can.
void SyncTabIndex(nwDialog* dialog) {
  nwObject* focus = nwFocus_Get();
  if (focus == dialog) {
    nwLog("next_tab-> fix focus: focus is me");
    const int lowest = LowestTabStop(dialog);
    if (lowest >= 0) dialog->tabIndex = lowest;
    return;
  }
  if (dialog->tabIndex < 0 || dialog->children[dialog->tabIndex] == focus) return;
  nwLog("next_tab-> fix focus: focus is out");
  const int holding = LowestTabStopHolding(dialog, focus);
  if (holding >= 0) dialog->tabIndex = holding;
  if (dialog->children[dialog->tabIndex] != focus) nwLog("next_tab-> oh!");
}

int SearchForward(const nwDialog* dialog, int current) {
  const int slots = static_cast<int>(cap::kChildren);
  for (int slot = current + 1; slot < slots; ++slot) {
    if (dialog->tabStop[slot]) return slot;
  }
  for (int slot = 0; slot < current; ++slot) {
    if (dialog->tabStop[slot]) return slot;
  }
  return -1;
}

int SearchBackward(const nwDialog* dialog, int current) {
  const int slots = static_cast<int>(cap::kChildren);
  for (int slot = current - 1; slot >= 0; --slot) {
    if (dialog->tabStop[slot]) return slot;
  }
  for (int slot = slots - 1; slot > current; --slot) {
    if (dialog->tabStop[slot]) return slot;
  }
  return -1;
}

void OnCreate(nwDialog* dialog) {
  dialog->savedFocus = nwFocus_Get();
  dialog->tabIndex = -1;
  dialog->modalResult = NW_MODAL_CANCEL;
  for (std::size_t slot = 0; slot < cap::kChildren; ++slot) dialog->tabStop[slot] = 0;
}

void OnDestroy(nwDialog* dialog) {
  nwEvent_SendTo(dialog, NW_HIDE);
  nwFocus_Set(dialog->savedFocus);
  if (dialog->parent != nullptr) nwEvent_PostTo(dialog->parent, NW_REDRAW);
}

bool OnTab(nwDialog* dialog, const nwMessage* message) {
  const int slot = nwDialog_NextTab(dialog, message->param2 == KEY_MOD_SHIFT);
  if (slot >= 0) {
    nwFocus_Set(dialog->children[slot]);
    dialog->tabIndex = slot;
  }
  return false;
}

bool SetTabStop(nwDialog* dialog, const nwObject* child) {
  for (std::size_t slot = 0; slot < cap::kChildren; ++slot) {
    if (child != nullptr && dialog->children[slot] == child) {
      dialog->tabStop[slot] = 1;
      return true;
    }
  }
  return false;
}

void FocusFirstChild(nwDialog* dialog) {
  for (std::size_t slot = 0; slot < cap::kChildren; ++slot) {
    if (dialog->childUsed[slot]) {
      nwFocus_Set(dialog->children[slot]);
      return;
    }
  }
}

// Runs until an EndModal is taken (its low byte is the result) or reaches a
// handler, or every loop level ends on a Quit or close request
// (NW_MODAL_CANCEL).
int RunModal(nwDialog* dialog) {
  if (modalDepth >= static_cast<int>(cap::kModalDepth)) {
    nwLog("Kiln: warning!! modal loops nested too deep.");
    return NW_MODAL_CANCEL;
  }
  int& request = endRequest[static_cast<std::size_t>(modalDepth)];
  request = -1;
  loopDialog[static_cast<std::size_t>(modalDepth)] = dialog;
  ++modalDepth;
  nwEvent_PostTo(dialog, NW_SHOW);
  FocusFirstChild(dialog);
  nwMessage* message = nullptr;
  while (request < 0 && (message = nwEvent_Next(true)) != nullptr) {
    if (nwEvent_Filter(message)) continue;
    if (message->code == NW_END_MODAL) {
      endRequest[static_cast<std::size_t>(LevelEndedBy(message->target))] = ResultByte(message->param);
      message->code = NW_NONE;
    } else {
      nwEvent_Dispatch(message);
    }
  }
  const int result = request >= 0 ? request : NW_MODAL_CANCEL;
  request = -1;
  --modalDepth;
  loopDialog[static_cast<std::size_t>(modalDepth)] = nullptr;
  return result;
}

bool DoModal(nwDialog* dialog, nwMessage* message) {
  const int result = RunModal(dialog);
  dialog->modalResult = result;
  message->param = result;
  return result != 0;
}

}  // namespace

bool nwDialog_Handler(nwObject* object, nwMessage* message) {
  auto* dialog = static_cast<nwDialog*>(object);
  switch (message->code) {
    case NW_CREATE:
      nwObject_DefaultHandler(object, message);
      OnCreate(dialog);
      return true;
    case NW_DESTROY:
      nwObject_DefaultHandler(object, message);
      OnDestroy(dialog);
      return true;
    case NW_KEY_DOWN:
      return message->param == KEY_TAB ? OnTab(dialog, message) : false;
    case NW_SET_TAB_STOP: return SetTabStop(dialog, nwMessage_Ptr<const nwObject>(message));
    case NW_DO_MODAL: return DoModal(dialog, message);
    default: return nwObject_DefaultHandler(object, message);
  }
}

int nwDialog_NextTab(nwDialog* dialog, bool backward) {
  if (dialog->tabIndex < 0) {
    const int lowest = LowestTabStop(dialog);
    if (lowest >= 0) {
      dialog->tabIndex = lowest;
      return lowest;
    }
  }
  SyncTabIndex(dialog);
  const int current = dialog->tabIndex;
  return backward ? SearchBackward(dialog, current) : SearchForward(dialog, current);
}

int nwDialog_DoModal(nwObject* dialog) {
  nwMessage message{};
  nwEvent_Set(&message, NW_DO_MODAL, nullptr, NW_MODAL_CANCEL, 0);
  nwEvent_Send(&message, dialog);
  // A handler that does not run a modal loop leaves param at the cancel result.
  return ResultByte(message.param);
}

int nwDialog_Depth() { return modalDepth; }

bool nwDialog_RequestEnd(int result) {
  if (modalDepth == 0) return false;
  endRequest[static_cast<std::size_t>(modalDepth - 1)] = ResultByte(result);
  return true;
}
