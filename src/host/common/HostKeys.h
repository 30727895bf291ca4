// Key translation shared by the window host and the headless runner: a key
// of the keyboard with its modifiers becomes the key code the application
// receives, so both hosts deliver the same codes for the same key.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

// Keys that are not characters. Character keys are named by their unshifted
// ASCII character (32..126), letters in lower case.
enum HostKey : int {
  HOSTKEY_NONE = 0,
  HOSTKEY_RETURN = 0x100,
  HOSTKEY_ESCAPE,
  HOSTKEY_TAB,
  HOSTKEY_BACKSPACE,
  HOSTKEY_DELETE,
  HOSTKEY_INSERT,
  HOSTKEY_HOME,
  HOSTKEY_END,
  HOSTKEY_UP,
  HOSTKEY_DOWN,
  HOSTKEY_LEFT,
  HOSTKEY_RIGHT,
  HOSTKEY_PAGEUP,
  HOSTKEY_PAGEDOWN,
  HOSTKEY_F1,  // F2..F10 follow in order
  HOSTKEY_F10 = HOSTKEY_F1 + 9,
  HOSTKEY_HENKAN,
  HOSTKEY_MUHENKAN,
};

// Modifier bits held with a key.
inline constexpr unsigned HOSTMOD_SHIFT = 1;
inline constexpr unsigned HOSTMOD_CTRL = 2;

// The key code of a key with modifiers, or -1 when the key gives none (for
// example CTRL with a digit).
int HostKeys_Code(int key, unsigned mods);

// The character a character key gives with SHIFT on a US keyboard.
int HostKeys_Shifted(int ch);

// One key name of the script language: a printable character, a special key
// name (RET, ESC, TAB, BS, SPC, DEL, INS, HOME, END, UP, DOWN, LEFT, RIGHT,
// PGUP, PGDN, F1..F10, HENKAN, MUHENKAN) with optional C- and S- prefixes.
// False for an unknown name or a key that gives no code.
bool HostKeys_Parse(std::string_view name, int& code);
// The same name as a key and its modifiers.
bool HostKeys_ParseName(std::string_view name, int& key, unsigned& mods);

// The key a byte of committed Shift-JIS text gives: a line feed becomes
// Ctrl+J where the editor takes line feeds, a blank elsewhere; other control
// bytes give none (-1).
int HostKeys_TextKey(unsigned char byte, bool lineFeeds);

// Host shortcuts (Alt with a key): the window menu's items and the commands
// that have no key of their own.
enum HostAction : int { HOSTACT_RESTART, HOSTACT_STOP, HOSTACT_EXIT, HOSTACT_ABOUT, HOSTACT_COMMAND };
struct HostShortcut {
  int key;          // character key, as HostKey
  HostAction action;
  int command;      // HOSTACT_COMMAND: sent to the focus chain
  const char* what;
};
const HostShortcut* HostKeys_Shortcut(int key);  // null: no shortcut
std::span<const HostShortcut> HostKeys_Shortcuts();

// UTF-8 text to Shift-JIS (CP932) into out, character by character: each
// character Shift-JIS lacks (and each byte that is not UTF-8) becomes "〓".
// Returns the bytes written, or -1 when the text does not fit.
int HostKeys_ToShiftJis(std::string_view utf8, char* out, std::size_t size);

// Shift-JIS (CP932) text to UTF-8, for the desktop's message boxes and the
// terminal; undecodable bytes become '?'. Always NUL-terminates out.
void HostKeys_ToUtf8(const char* sjis, char* out, std::size_t size);
