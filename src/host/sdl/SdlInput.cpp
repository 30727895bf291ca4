// The window thread's keys and text: host keys from SDL keys, committed and
// pasted text as byte keys through a feed that waits for room in the key
// queue, and the input method's reading placed at the editor's cursor.
#include "host/sdl/SdlInput.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "Capacity.h"
#include "graphics/ZebHost.h"
#include "graphics/ZebKey.h"
#include "host/common/Host.h"
#include "host/common/HostKeys.h"
#include "host/sdl/SdlBox.h"
#include "host/sdl/SdlHost.h"
#include "host/sdl/SdlKeys.h"
#include "host/sdl/SdlTest.h"
#include "host/sdl/SdlView.h"

namespace {

constexpr int kW = cap::kScreenWidth;
constexpr int kH = cap::kScreenHeight;
constexpr std::size_t kClipboardBytes = cap::kHostFeed;

// Keys waiting for room in the key queue (a long commit or paste), in order.
struct Feed {
  std::array<int, cap::kHostFeed> codes{};
  std::size_t head = 0;
  std::size_t count = 0;
};

// The text spot the input method was last told of.
struct Spot {
  unsigned serial = 0;
};

Feed feed;
Spot spot;
bool composing = false;  // the input method holds an unconverted reading

unsigned HostMods(Uint16 mod, int key) {
  unsigned mods = 0;
  if (mod & KMOD_SHIFT) mods |= HOSTMOD_SHIFT;
  if (mod & KMOD_CTRL) mods |= HOSTMOD_CTRL;
  // Caps Lock types capitals but leaves CTRL+letter a control code.
  if ((mod & KMOD_CAPS) && !(mod & KMOD_CTRL) && key >= 'a' && key <= 'z') mods ^= HOSTMOD_SHIFT;
  return mods;
}

// Keys go through the feed while it holds any, so a long text keeps its place
// among the keys typed after it.
void Deliver(int code) {
  if (feed.count == 0 && Host_KeyCount() < static_cast<int>(cap::kKeyQueue)) {
    Host_PushKey(code);
    return;
  }
  if (feed.count == feed.codes.size()) return;  // more than any editor holds
  feed.codes[(feed.head + feed.count) % feed.codes.size()] = code;
  ++feed.count;
}

}  // namespace

void SdlInput_DrainFeed() {
  while (feed.count > 0 && Host_KeyCount() < static_cast<int>(cap::kKeyQueue)) {
    Host_PushKey(feed.codes[feed.head]);
    feed.head = (feed.head + 1) % feed.codes.size();
    --feed.count;
  }
}

int SdlInput_FeedCount() { return static_cast<int>(feed.count); }

namespace {

// Shift-JIS text as byte keys (HostKeys_TextKey).
void DeliverText(const char* sjis, int n, bool lineFeeds) {
  for (int i = 0; i < n; ++i) {
    const int key = HostKeys_TextKey(static_cast<unsigned char>(sjis[i]), lineFeeds);
    if (key >= 0) Deliver(key);
  }
}

// The desktop's paste key while a text editor has the focus; no meaning of
// its own there.
bool IsPasteKey(int key, Uint16 mod) {
  return key == HOSTKEY_INSERT && (mod & KMOD_SHIFT) && !(mod & (KMOD_CTRL | KMOD_ALT)) && ZebHost_TextSpot().active;
}

void Paste() {
  char* text = SDL_GetClipboardText();
  if (text == nullptr) return;
  std::string_view utf8(text);
  if (utf8.size() > kClipboardBytes) utf8 = utf8.substr(0, kClipboardBytes);
  static char sjis[kClipboardBytes * 2];
  const int n = HostKeys_ToShiftJis(utf8, sjis, sizeof sjis);
  SDL_free(text);
  if (n > 0) DeliverText(sjis, n, ZebHost_TextSpot().multiLine);
}

void DropTextOf(int key) {
  if (key >= 32 && key <= 126) SdlInput_DropKeyText();
}

}  // namespace

// With text input on, SDL follows a character key at once with its text,
// Alt, CTRL and the desktop's key held or not: a key taken as a shortcut must
// not also type its character.
void SdlInput_DropKeyText() {
  SDL_Event next;
  if (!SDL_IsTextInputActive()) return;
  if (SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) != 1) return;
  if (next.type != SDL_TEXTINPUT || next.text.text[0] < 32 || next.text.text[0] > 126 || next.text.text[1] != '\0')
    return;
  SDL_PeepEvents(&next, 1, SDL_GETEVENT, SDL_TEXTINPUT, SDL_TEXTINPUT);
}

void SdlInput_KeyDown(const SDL_KeyboardEvent& k) {
  const int key = SdlKeys_KeyOf(k.keysym.sym, k.keysym.scancode);
  if (key == HOSTKEY_NONE) return;
  // A desktop box is modal, as it is for the user; keys of an unconverted
  // reading belong to the input method.
  if (SdlBox_AnyOpen() || composing) {
    SdlTest_Delivered(SdlHost_Waits());
    return;
  }
  const Uint16 mod = k.keysym.mod;
  if (mod & KMOD_GUI) {  // the desktop's own shortcuts
    DropTextOf(key);
    return;
  }
  if ((mod & KMOD_ALT) && !(mod & KMOD_CTRL)) {
    DropTextOf(key);
    const HostShortcut* s = HostKeys_Shortcut(key);
    if (s && !k.repeat) SdlHost_RunShortcut(*s);
    SdlTest_Delivered(SdlHost_Waits());
    return;
  }
  if (IsPasteKey(key, mod)) {
    Paste();
    SdlTest_Delivered(SdlHost_Waits());
    return;
  }
  const bool character = key >= 32 && key <= 126;
  // SDL made this key under the text input state it has now (the switch waits
  // for the keys made before it): with text input on, the key's text follows
  // as a text event, or the input method takes it; with it off none comes.
  if (character && SDL_IsTextInputActive() && !(mod & KMOD_CTRL)) return;
  const int code = HostKeys_Code(key, HostMods(mod, key));
  if (code < 0) return;
  Deliver(code);
  SdlTest_Delivered(SdlHost_Waits());
}

// A committed text: every character Shift-JIS has, and "〓" for each other.
void SdlInput_Text(const SDL_TextInputEvent& t) {
  composing = false;
  if (!SDL_IsTextInputActive() || SdlBox_AnyOpen()) return;
  char sjis[sizeof t.text * 2];
  const int n = HostKeys_ToShiftJis(t.text, sjis, sizeof sjis);
  if (n > 0) DeliverText(sjis, n, false);
  SdlTest_Delivered(SdlHost_Waits());
}

// The reading being typed; the input method draws it and its candidates at
// the editor's cursor (the window only says where that is).
void SdlInput_Editing(const SDL_TextEditingEvent& e) {
  composing = SDL_IsTextInputActive() && e.text[0] != '\0';
  SdlTest_Delivered(SdlHost_Waits());
}

void SdlInput_PlaceTextInput() {
  const ZebTextSpot at = ZebHost_TextSpot();
  if (at.serial == spot.serial || !SdlHost_Window()) return;
  spot.serial = at.serial;
  if (!at.active) return;
  SDL_Rect rect = SdlView_WindowRect(at.x, at.y, at.w, at.h);
  SDL_SetTextInputRect(&rect);
}

void SdlInput_FollowIme() {
  static bool following = false;
  if (following) return;  // the outer call follows the latest state
  // The queued keys were made under the old state: with text input off no
  // text event follows them, and turning it off would drop their queued
  // texts. They are taken first, so no key is lost, doubled or reordered.
  following = true;
  SDL_Event e;
  while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) SdlHost_Handle(e);
  following = false;
  const bool open = SdlHost_ImeOpen();
  if (open == static_cast<bool>(SDL_IsTextInputActive())) return;
  composing = false;
  if (open) {
    spot.serial = 0;
    SdlInput_PlaceTextInput();
    SDL_StartTextInput();
  } else {
    SDL_StopTextInput();
  }
}

void SdlInput_WindowResized() { spot.serial = 0; }
