// The window's keys: which SDL key is which host key, both ways.
#include "host/sdl/SdlKeys.h"

#include <array>

#include "host/common/HostKeys.h"

namespace {

struct SdlKey {
  SDL_Keycode sym;
  SDL_Scancode scan;
  int key;
};
constexpr std::array<SdlKey, 25> kSdlKeys{{
    {SDLK_RETURN, SDL_SCANCODE_RETURN, HOSTKEY_RETURN},
    {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, HOSTKEY_RETURN},
    {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, HOSTKEY_ESCAPE},
    {SDLK_TAB, SDL_SCANCODE_TAB, HOSTKEY_TAB},
    {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, HOSTKEY_BACKSPACE},
    {SDLK_DELETE, SDL_SCANCODE_DELETE, HOSTKEY_DELETE},
    {SDLK_INSERT, SDL_SCANCODE_INSERT, HOSTKEY_INSERT},
    {SDLK_HOME, SDL_SCANCODE_HOME, HOSTKEY_HOME},
    {SDLK_END, SDL_SCANCODE_END, HOSTKEY_END},
    {SDLK_UP, SDL_SCANCODE_UP, HOSTKEY_UP},
    {SDLK_DOWN, SDL_SCANCODE_DOWN, HOSTKEY_DOWN},
    {SDLK_LEFT, SDL_SCANCODE_LEFT, HOSTKEY_LEFT},
    {SDLK_RIGHT, SDL_SCANCODE_RIGHT, HOSTKEY_RIGHT},
    {SDLK_PAGEUP, SDL_SCANCODE_PAGEUP, HOSTKEY_PAGEUP},
    {SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, HOSTKEY_PAGEDOWN},
    {SDLK_F1, SDL_SCANCODE_F1, HOSTKEY_F1 + 0},
    {SDLK_F2, SDL_SCANCODE_F2, HOSTKEY_F1 + 1},
    {SDLK_F3, SDL_SCANCODE_F3, HOSTKEY_F1 + 2},
    {SDLK_F4, SDL_SCANCODE_F4, HOSTKEY_F1 + 3},
    {SDLK_F5, SDL_SCANCODE_F5, HOSTKEY_F1 + 4},
    {SDLK_F6, SDL_SCANCODE_F6, HOSTKEY_F1 + 5},
    {SDLK_F7, SDL_SCANCODE_F7, HOSTKEY_F1 + 6},
    {SDLK_F8, SDL_SCANCODE_F8, HOSTKEY_F1 + 7},
    {SDLK_F9, SDL_SCANCODE_F9, HOSTKEY_F1 + 8},
    {SDLK_F10, SDL_SCANCODE_F10, HOSTKEY_F1 + 9},
}};

// The keypad types its characters, as the main keys do.
struct KeypadKey {
  SDL_Keycode sym;
  char character;
};
constexpr std::array<KeypadKey, 15> kKeypad{{
    {SDLK_KP_0, '0'}, {SDLK_KP_1, '1'}, {SDLK_KP_2, '2'},      {SDLK_KP_3, '3'},
    {SDLK_KP_4, '4'}, {SDLK_KP_5, '5'}, {SDLK_KP_6, '6'},      {SDLK_KP_7, '7'},
    {SDLK_KP_8, '8'}, {SDLK_KP_9, '9'}, {SDLK_KP_PERIOD, '.'}, {SDLK_KP_DIVIDE, '/'},
    {SDLK_KP_MULTIPLY, '*'}, {SDLK_KP_MINUS, '-'}, {SDLK_KP_PLUS, '+'},
}};

}  // namespace

int SdlKeys_KeyOf(SDL_Keycode sym, SDL_Scancode scan) {
  // The conversion keys of a Japanese keyboard have no key symbol.
  if (scan == SDL_SCANCODE_INTERNATIONAL4) return HOSTKEY_HENKAN;
  if (scan == SDL_SCANCODE_INTERNATIONAL5) return HOSTKEY_MUHENKAN;
  for (const SdlKey& k : kSdlKeys)
    if (k.sym == sym) return k.key;
  for (const KeypadKey& k : kKeypad)
    if (k.sym == sym) return k.character;
  if (sym >= 32 && sym <= 126) return (sym >= 'A' && sym <= 'Z') ? sym - 'A' + 'a' : sym;
  return HOSTKEY_NONE;
}

bool SdlKeys_SdlKeyOf(int hostKey, SDL_Keycode& sym, SDL_Scancode& scan) {
  if (hostKey == HOSTKEY_HENKAN || hostKey == HOSTKEY_MUHENKAN) {
    sym = SDLK_UNKNOWN;
    scan = hostKey == HOSTKEY_HENKAN ? SDL_SCANCODE_INTERNATIONAL4 : SDL_SCANCODE_INTERNATIONAL5;
    return true;
  }
  for (const SdlKey& k : kSdlKeys)
    if (k.key == hostKey) {
      sym = k.sym;
      scan = k.scan;
      return true;
    }
  if (hostKey < 32 || hostKey > 126) return false;
  sym = hostKey;
  scan = SDL_GetScancodeFromKey(sym);
  return true;
}
