// Key codes, the key queue and the input-method state, as the application
// thread sees them. Codes are ints in the layout of a PC keyboard BIOS: the
// character in the low byte, the scan code in the high byte.
#pragma once

#include "graphics/Zeb.h"

namespace zebkey_detail {
inline constexpr int kSpecialShift = 0x0F;  // low byte of a special key with SHIFT
inline constexpr int kSpecialCtrl = 0xF0;   // low byte of a special key with CTRL
}  // namespace zebkey_detail

// Characters with a meaning to the toolkit and the views.
inline constexpr int KEY_BACKSPACE = 8;
inline constexpr int KEY_TAB = 9;
inline constexpr int KEY_RETURN = 13;
inline constexpr int KEY_ESCAPE = 27;
inline constexpr int KEY_SPACE = 32;

// Special keys: scan code x 256. SHIFT adds 0x0F to the low byte, CTRL 0xF0
// (both: 0xFF); see Key_Special.
inline constexpr int KEY_F1 = 0x3B00;
inline constexpr int KEY_F2 = 0x3C00;
inline constexpr int KEY_F3 = 0x3D00;
inline constexpr int KEY_F4 = 0x3E00;
inline constexpr int KEY_F5 = 0x3F00;
inline constexpr int KEY_F6 = 0x4000;
inline constexpr int KEY_F7 = 0x4100;
inline constexpr int KEY_F8 = 0x4200;
inline constexpr int KEY_F9 = 0x4300;
inline constexpr int KEY_F10 = 0x4400;
inline constexpr int KEY_HOME = 0x4700;
inline constexpr int KEY_UP = 0x4800;
inline constexpr int KEY_PAGEUP = 0x4900;
inline constexpr int KEY_LEFT = 0x4B00;
inline constexpr int KEY_RIGHT = 0x4D00;
inline constexpr int KEY_END = 0x4F00;
inline constexpr int KEY_DOWN = 0x5000;
inline constexpr int KEY_PAGEDOWN = 0x5100;
inline constexpr int KEY_INSERT = 0x5200;
inline constexpr int KEY_DELETE = 0x5300;
inline constexpr int KEY_CONVERT = 0x7900;     // henkan
inline constexpr int KEY_NOCONVERT = 0x7B00;   // muhenkan

// Shift+Tab as the host delivers it.
inline constexpr int KEY_SHIFT_TAB = 0x0F09;

// CTRL+SHIFT with a letter: the control code (1..26) with this marker in the
// high byte, the same marker Shift+Tab carries (0x0F09 is CTRL+SHIFT+I, which
// is Shift+Tab, as CTRL+I is Tab). The key filter turns 0x0F01..0x0F1A into
// the lower-case letter with modifier 3 (CTRL|SHIFT), except 0x0F08 and 0x0F0D,
// which stay BackSpace and Return with modifier 2, and 0x0F09 (Shift+Tab).
inline constexpr int KEY_CTRL_SHIFT_MARK = 0x0F00;

// Modifiers in param2 of a filtered KeyDown. CTRL and SHIFT are bits, so the
// mask test of nwEvent_HasModifier sees both in KEY_MOD_CTRL_SHIFT.
inline constexpr int KEY_MOD_NONE = 0;
inline constexpr int KEY_MOD_CTRL = 1;
inline constexpr int KEY_MOD_SHIFT = 2;
inline constexpr int KEY_MOD_CTRL_SHIFT = 3;

// Host-to-application requests, above every keyboard code. They travel through
// the key queue and never reach a handler as keys.
//   KEY_HOST_CLOSE: Velmo must end now (a signal, the display lost, no one
//     left to answer); every loop level ends (modal loops with result 0) and
//     the application's own shutdown runs. It is never lost to a full queue
//     and is taken before waiting keys.
//   KEY_HOST_CLOSE_REQUEST: the user asked the window to close (its frame or
//     menu); the application may ask first and go on running. Queued in turn,
//     after the keys typed before it. Unless the toolkit's close hook takes
//     it up, it ends Velmo as KEY_HOST_CLOSE does.
//   KEY_HOST_COMMAND + n (n = 0..KEY_HOST_COMMAND_MAX): Command n is posted to
//     the focus chain.
inline constexpr int KEY_HOST_CLOSE = 0x10000;
inline constexpr int KEY_HOST_CLOSE_REQUEST = 0x10001;
inline constexpr int KEY_HOST_COMMAND = 0x20000;
inline constexpr int KEY_HOST_COMMAND_MAX = 0xFFFF;

// Code of a special key (scan code x 256, e.g. KEY_UP) with its modifiers.
constexpr int Key_Special(int key, bool shift, bool ctrl) {
  return key | (shift ? zebkey_detail::kSpecialShift : 0) | (ctrl ? zebkey_detail::kSpecialCtrl : 0);
}

// Code of CTRL+letter ('a'..'z' or 'A'..'Z'), with SHIFT marked; -1 for a
// character that is not a letter.
constexpr int Key_Control(int letter, bool shift) {
  if (letter >= 'A' && letter <= 'Z') letter += 'a' - 'A';
  if (letter < 'a' || letter > 'z') return -1;
  const int code = letter - 'a' + 1;
  return shift ? (KEY_CTRL_SHIFT_MARK | code) : code;
}

// A special key without the SHIFT and CTRL marks of its low byte, so rows that
// take any modifier match it; a character or host request stays as it is.
constexpr int Key_Base(int key) {
  if (key < 0x100 || key > 0xFFFF) return key;
  const int low = key & 0xFF;
  const bool marked = low == zebkey_detail::kSpecialShift || low == zebkey_detail::kSpecialCtrl ||
                      low == (zebkey_detail::kSpecialShift | zebkey_detail::kSpecialCtrl);
  return marked ? key & 0xFF00 : key;
}

// The letter's control code (1..26) of a CTRL+SHIFT+letter code.
constexpr int Key_ControlCode(int key) { return key & 0xFF; }

// Code that sends Command n to the focus chain; -1 when n is out of range.
constexpr int Key_HostCommand(int command) {
  return (command < 0 || command > KEY_HOST_COMMAND_MAX) ? -1 : KEY_HOST_COMMAND + command;
}
constexpr bool Key_IsHostCommand(int code) {
  return code >= KEY_HOST_COMMAND && code <= KEY_HOST_COMMAND + KEY_HOST_COMMAND_MAX;
}

// Any thread. Appends a code to the host's key queue and wakes a waiting
// application thread; false when the queue was full and the key was dropped.
bool Zeb_PushKey(int code);

// Application thread. Transfers the dirty part of the frame buffer to the host,
// then returns the first waiting key or -1. tenths > 0 waits at most that many
// tenths of a second, 0 never waits, a negative value waits without time-out.
int Zeb_GetKey(int tenths);

// As Zeb_GetKey with the wait in milliseconds (the toolkit's timers need
// better than tenths).
int Zeb_WaitKey(int ms);

// Input-method (kana-kanji conversion) open state of the host window.
void Zeb_ToggleIme();
bool Zeb_IsImeOpen();
// The focused text editor's cursor box, where the input method puts its
// candidates; null when no editor has the focus any more.
void Zeb_SetTextSpot(const ZebRect* cursor, bool multiLine);
