// The message queue, delivery, and the event source of every loop level.
#include <array>
#include <cstdio>

#include "toolkit/nwInternal.h"

ZebContext nwContext{};

namespace {

struct Queue {
  std::array<nwMessage, cap::kEventQueue> slots{};
  std::size_t read = 0;
  std::size_t write = 0;
  std::size_t count = 0;
};

Queue queue;
nwMessage emptyMessage{};
// A taken message is copied out of the ring, one copy per loop level, so
// posts made while it is being dispatched cannot overwrite it.
std::array<nwMessage, cap::kModalDepth + 1> taken{};
bool quitting = false;
void (*logHook)(const char*) = nullptr;

constexpr const char* kNames[] = {
    "None", "Create", "Destroy", "Show", "Hide", "SetFocus", "GainFocus", "LostFocus",
    "Timer", "KeyDown", "KeyUp", "Command", "Redraw", "Quit", "SetRect", "SetParent",
    "AddChild", "RemoveChild", "SetForeColor", "SetBackColor", "GetRect", "SetID", "GetID",
    nullptr, "SetTabStop", "DoModal", "EndModal", "Cut", "Paste", "Copy", "Clear",
    "SetFont", "SetAlign", "SetStyle", "SetBuffer", "SetText", "UnsetText", "InsertText",
    "SetCommand", "GetResult", "SetCursor", nullptr, nullptr, "GainFocusNotify",
    "LostFocusNotify",
};
static_assert(std::size(kNames) == NW_LOST_FOCUS_NOTIFY + 1);

bool Enqueue(const nwMessage* message, nwObject* target) {
  if (queue.count >= queue.slots.size()) {
    nwLog("Kiln: warning!! message queue overflow.");
    return false;
  }
  nwMessage& slot = queue.slots[queue.write];
  slot = *message;
  slot.target = target;
  ++queue.count;
  queue.write = (queue.write + 1) % queue.slots.size();
  return true;
}

nwMessage* Take() {
  nwMessage& slot = taken[static_cast<std::size_t>(nwDialog_Depth()) % taken.size()];
  slot = queue.slots[queue.read];
  queue.slots[queue.read].code = NW_NONE;
  --queue.count;
  queue.read = (queue.read + 1) % queue.slots.size();
  return &slot;
}

nwCloseHook closeHook = nullptr;

bool TakesUpCloseRequest() { return closeHook != nullptr && closeHook(); }

// A key from the host: a keyboard key, a close request or a host command.
void PostHostKey(int key) {
  nwMessage message{};
  if (key == KEY_HOST_CLOSE || (key == KEY_HOST_CLOSE_REQUEST && !TakesUpCloseRequest())) {
    quitting = true;
  } else if (Key_IsHostCommand(key)) {
    nwEvent_PostFocus(nwEvent_Set(&message, NW_COMMAND, nullptr, key - KEY_HOST_COMMAND, 0));
  } else if (key <= 0xFFFF) {
    nwEvent_PostFocus(nwEvent_Set(&message, NW_KEY_DOWN, nullptr, key, 0));
  }
}

bool DispatchFocusChain(nwMessage* message) {
  nwObject* object = nwFocus_Get();
  if (object == nullptr) return false;
  for (int depth = 0; object != nullptr && depth < cap::kParentChain; ++depth) {
    if (nwEvent_Send(message, object)) break;
    object = object->parent;
  }
  return true;
}

bool IsFocusCode(int code) { return code >= NW_KEY_DOWN && code <= NW_COMMAND; }

nwObject* cover = nullptr;

bool Inside(const nwObject* object, const nwObject* ancestor) {
  for (int depth = 0; object != nullptr && depth < cap::kParentChain; ++depth) {
    if (object == ancestor) return true;
    object = object->parent;
  }
  return false;
}

// A message for anything outside the shown cover is watched: whatever it
// draws over the cover is put back under it by redrawing the cover.
bool WatchesCover(const nwMessage* message) {
  if (cover == nullptr || !cover->visible) return false;
  const nwObject* receiver = message->target != nullptr ? message->target : nwFocus_Get();
  return !Inside(receiver, cover);
}

}  // namespace

void nwEvent_SetCover(nwObject* object) { cover = object; }

void nwEvent_SetCloseHook(nwCloseHook hook) { closeHook = hook; }

nwMessage* nwEvent_Set(nwMessage* message, int code, void* ptr, int param, int param2) {
  message->target = nullptr;
  message->code = code;
  message->ptr = ptr;
  message->param = param;
  message->param2 = param2;
  return message;
}

void nwEvent_Clear(nwMessage* message) { *message = nwMessage{}; }

void nwEvent_Copy(nwMessage* destination, const nwMessage* source) { *destination = *source; }

bool nwEvent_Send(nwMessage* message, nwObject* object) {
  if (object == nullptr || object->handler == nullptr) return false;
  return object->handler(object, message);
}

bool nwEvent_Post(const nwMessage* message, nwObject* object) { return Enqueue(message, object); }

bool nwEvent_PostFocus(const nwMessage* message) { return Enqueue(message, nullptr); }

bool nwEvent_SendTo(nwObject* object, int code, int param, int param2, void* ptr) {
  nwMessage message{};
  return nwEvent_Send(nwEvent_Set(&message, code, ptr, param, param2), object);
}

bool nwEvent_PostTo(nwObject* object, int code, int param, int param2, void* ptr) {
  nwMessage message{};
  return nwEvent_Post(nwEvent_Set(&message, code, ptr, param, param2), object);
}

void nwEvent_Reset() {
  queue.read = queue.write = queue.count = 0;
  nwFocus_Clear();
  nwEvent_Clear(&emptyMessage);
  quitting = false;
  cover = nullptr;
}

nwMessage* nwEvent_Next(bool block) {
  for (;;) {
    if (quitting) return nullptr;
    int wait = 0;
    if (queue.count == 0) wait = nwTimer_Check();
    if (queue.count == 0) {
      // Blocking waits at least a millisecond, so a timer due right now
      // is not polled in a tight loop.
      const int key = Zeb_WaitKey(block ? (wait < 1 ? 1 : wait) : 0);
      if (key >= 0) PostHostKey(key);
      if (quitting) return nullptr;
    }
    if (queue.count > 0) {
      nwMessage* message = Take();
      if (message->code != NW_QUIT) return message;
      quitting = true;
      return nullptr;
    }
    if (!block) {
      nwEvent_Clear(&emptyMessage);
      return &emptyMessage;
    }
  }
}

bool nwEvent_Dispatch(nwMessage* message) {
  if (message == nullptr || message->code == NW_NONE) return false;
  const bool timerToTarget = message->code == NW_TIMER && message->target != nullptr;
  const bool watched = WatchesCover(message);
  if (watched) Zeb_WatchStart(cover->rect);
  bool result = false;
  if (message->target != nullptr) {
    result = nwEvent_Send(message, message->target);
  } else if (IsFocusCode(message->code)) {
    result = DispatchFocusChain(message);
  }
  message->code = NW_NONE;
  if (watched && Zeb_WatchEnd() && cover != nullptr && cover->visible) nwEvent_SendTo(cover, NW_REDRAW);
  if (!timerToTarget) Zeb_Update(nwContext);
  return result;
}

const char* nwEvent_Name(const nwMessage* message) {
  static char unknown[32];
  const int code = message->code;
  if (code >= 0 && code < static_cast<int>(std::size(kNames)) && kNames[code] != nullptr) {
    return kNames[code];
  }
  std::snprintf(unknown, sizeof unknown, "(unknown)%d", code);
  return unknown;
}

int nwEvent_Pending() { return static_cast<int>(queue.count); }

bool nwEvent_IsQuitting() { return quitting; }

void nwLog(const char* text) {
  if (logHook) logHook(text);
}

void nwLog_SetHook(void (*hook)(const char* text)) { logHook = hook; }

// ---------------------------------------------------------------------------
// Key filter

namespace {

nwObject* functionKeyTarget = nullptr;

constexpr int kCtrlArrows[][2] = {
    {Key_Special(KEY_UP, false, true), KEY_UP},
    {Key_Special(KEY_DOWN, false, true), KEY_DOWN},
    {Key_Special(KEY_RIGHT, false, true), KEY_RIGHT},
    {Key_Special(KEY_LEFT, false, true), KEY_LEFT},
};

// F1..F10, also with SHIFT; CTRL+F10 and beyond are ordinary keys.
bool IsFunctionKey(int key) {
  return (key >= KEY_F1 && key <= KEY_F10) || key == Key_Special(KEY_F10, true, false);
}

bool IsControlLetter(int key) {
  return key >= 1 && key <= 26 && key != KEY_BACKSPACE && key != KEY_TAB && key != KEY_RETURN;
}

void SetKey(nwMessage* message, int key, int modifiers) {
  message->param = key;
  message->param2 = modifiers;
}

// CTRL+SHIFT with a letter: the control code marked with 0x0F00.
void FilterCtrlShift(nwMessage* message, int control) {
  if (control == KEY_TAB || control == KEY_BACKSPACE || control == KEY_RETURN) {
    SetKey(message, control, KEY_MOD_SHIFT);
  } else {
    SetKey(message, control + 96, KEY_MOD_CTRL_SHIFT);
  }
}

bool SendFunctionKey(int key) {
  nwMessage command{};
  nwEvent_Set(&command, NW_COMMAND, nullptr, (key - KEY_F1) / 256, 0);
  nwEvent_Send(&command, functionKeyTarget);
  return true;
}

}  // namespace

void nwEvent_SetToolbar(nwObject* toolbar) { functionKeyTarget = toolbar; }

void nwEvent_ReleaseToolbar(nwObject* toolbar) {
  if (functionKeyTarget == toolbar) functionKeyTarget = nullptr;
}

bool nwEvent_Filter(nwMessage* message) {
  if (message == nullptr || message->code != NW_KEY_DOWN) return false;
  const int key = message->param;
  if (IsControlLetter(key)) {
    SetKey(message, key + 96, KEY_MOD_CTRL);
  } else if (key >= 'A' && key <= 'Z') {
    SetKey(message, key + 32, KEY_MOD_SHIFT);
  } else if (key >= 'a' && key <= 'z') {
    message->param2 = KEY_MOD_NONE;
  } else if (IsFunctionKey(key)) {
    return SendFunctionKey(key);
  } else if (key > KEY_CTRL_SHIFT_MARK && key <= (KEY_CTRL_SHIFT_MARK | 26)) {
    FilterCtrlShift(message, Key_ControlCode(key));
  } else {
    for (const auto& arrow : kCtrlArrows) {
      if (key == arrow[0]) SetKey(message, arrow[1], KEY_MOD_CTRL);
    }
  }
  return false;
}

bool nwEvent_HasModifier(const nwMessage* message, int mask) {
  return (nwMessage_Modifiers(message) & mask) != 0;
}
