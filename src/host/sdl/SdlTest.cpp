#include "host/sdl/SdlTest.h"

#include <SDL.h>

#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "host/common/HostKeys.h"
#include "host/sdl/SdlHost.h"
#include "host/sdl/SdlKeys.h"

namespace {

constexpr int kQuit = -1;
constexpr int kText = -2;     // "text:WORD": the input method commits WORD
constexpr int kEditing = -3;  // "edit:WORD": the input method shows WORD unconverted
constexpr int kClip = -4;     // "clip:WORD": WORD becomes the desktop's clipboard text

struct TestKey {
  int key;        // host key, kQuit, kText or kEditing
  unsigned mods;  // HOSTMOD_*
  bool alt;       // "A-" prefix: a host shortcut
  std::string text;
  int burst = 0;  // the line of a "burst": its keys are typed at once
};

struct Driver {
  std::vector<TestKey> keys;
  std::size_t next = 0;
  bool loaded = false;
  bool awaiting = false;  // a pushed event not yet delivered
  int deliveredAt = 0;    // transfers when the last key was delivered
  bool quitSent = false;
  bool burstQueued = false;  // a burst's events wait in SDL's queue
};

constexpr int kBurstWaitMs = 5000;  // for the application to take a burst's key

Driver driver;

Uint16 SdlMods(unsigned mods, bool alt) {
  Uint16 mod = alt ? KMOD_LALT : KMOD_NONE;
  if (mods & HOSTMOD_SHIFT) mod |= KMOD_LSHIFT;
  if (mods & HOSTMOD_CTRL) mod |= KMOD_LCTRL;
  return mod;
}

void PushQuit() {
  SDL_Event e{};
  e.type = SDL_QUIT;
  SDL_PushEvent(&e);
  driver.quitSent = true;
}

// Text events go to the window's event handler as the input method sends them.
void PushText(const TestKey& k) {
  SDL_Event e{};
  e.type = k.key == kText ? SDL_TEXTINPUT : SDL_TEXTEDITING;
  char* to = k.key == kText ? e.text.text : e.edit.text;
  SDL_strlcpy(to, k.text.c_str(), SDL_TEXTINPUTEVENT_TEXT_SIZE);
  driver.awaiting = true;
  SDL_PushEvent(&e);
}

void PushKey(const TestKey& k) {
  if (k.key == kText || k.key == kEditing) {
    PushText(k);
    return;
  }
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.state = SDL_PRESSED;
  SdlKeys_SdlKeyOf(k.key, e.key.keysym.sym, e.key.keysym.scancode);
  e.key.keysym.mod = SdlMods(k.mods, k.alt);
  driver.awaiting = true;
  SDL_PushEvent(&e);
  // As SDL does with a desktop's input method in direct input: while text
  // input is on, a character key's text follows it, with Alt held too.
  if (k.key < 32 || k.key > 126 || (k.mods & HOSTMOD_CTRL) || !SDL_IsTextInputActive()) return;
  SDL_Event text{};
  text.type = SDL_TEXTINPUT;
  text.text.text[0] = static_cast<char>((k.mods & HOSTMOD_SHIFT) ? HostKeys_Shifted(k.key) : k.key);
  SDL_PushEvent(&text);
}

}  // namespace

bool SdlTest_Load(const char* path, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = std::string("cannot read ") + path;
    return false;
  }
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    std::istringstream words(line);
    std::string word;
    int burst = 0;
    while (words >> word && word[0] != '#') {
      if (word == "burst") {
        burst = n;
        continue;
      }
      TestKey k{kQuit, 0, word.rfind("A-", 0) == 0 && word.size() > 2, {}, burst};
      if (k.alt) word.erase(0, 2);
      for (const auto& [prefix, kind] : {std::pair{"text:", kText}, std::pair{"edit:", kEditing}, std::pair{"clip:", kClip}}) {
        if (word.rfind(prefix, 0) != 0) continue;
        k.key = kind;
        k.text = word.substr(5);
      }
      if (k.key != kQuit) {
        driver.keys.push_back(k);
        continue;
      }
      SDL_Keycode sym;
      SDL_Scancode scan;
      if (word != "quit" &&
          (!HostKeys_ParseName(word, k.key, k.mods) || !SdlKeys_SdlKeyOf(k.key, sym, scan))) {
        error = "line " + std::to_string(n) + ": unknown key '" + word + "'";
        return false;
      }
      driver.keys.push_back(k);
    }
  }
  driver.loaded = true;
  return true;
}

void SdlTest_Delivered(int waits) {
  // A burst's keys are handled one by one while the application takes each
  // and waits again: the slowest window thread, where a key made before a
  // dialog's text input is on is handled after the dialog asked for it.
  if (driver.burstQueued) {
    for (int ms = 0; SdlHost_Waits() <= waits && ms < kBurstWaitMs; ++ms) SDL_Delay(1);
    driver.deliveredAt = waits;
    return;
  }
  if (!driver.awaiting) return;
  driver.awaiting = false;
  driver.deliveredAt = waits;
}

void SdlTest_Step(int waits, int keysWaiting) {
  driver.burstQueued = false;  // the loop handled every queued event before this
  if (!driver.loaded || driver.quitSent || driver.awaiting) return;
  // The application took the last key and came back to wait for the next.
  if (keysWaiting != 0 || waits <= driver.deliveredAt) return;
  if (driver.next >= driver.keys.size() || driver.keys[driver.next].key == kQuit) {
    PushQuit();
    return;
  }
  const TestKey& k = driver.keys[driver.next++];
  if (k.key == kClip) {
    SDL_SetClipboardText(k.text.c_str());
    return;
  }
  PushKey(k);
  if (k.burst == 0) return;
  for (; driver.next < driver.keys.size() && driver.keys[driver.next].burst == k.burst; ++driver.next) {
    const TestKey& more = driver.keys[driver.next];
    if (more.key == kQuit || more.key == kClip) break;
    PushKey(more);
  }
  driver.awaiting = false;
  driver.burstQueued = true;
  driver.deliveredAt = waits;
}
