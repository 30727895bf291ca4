// The window's keys and characters into the key queue (window thread), in
// the application's codes: special keys from their key-down, characters as
// UTF-16 (WM_CHAR, WM_IME_CHAR, the input method's result string) converted
// to Shift-JIS by the one table, so every code page types the same.
#pragma once

#include <windows.h>

// A key-down of virtual key vk: queues a special key's code.
void Win32Input_KeyDown(unsigned vk);
// A system key-down: F10 without Alt is queued (true); others open the menu.
bool Win32Input_SystemKeyDown(unsigned vk);
// A UTF-16 unit of WM_CHAR or WM_IME_CHAR: a double-byte character goes as
// its two bytes, lead first, never half of it.
void Win32Input_Unit(unsigned unit);
// WM_IME_COMPOSITION: the result string is read whole in UTF-16 and queued;
// the rest goes to the default handling.
LRESULT Win32Input_ImeComposition(HWND window, WPARAM wParam, LPARAM lParam);

// The key code of a key-down of virtual key vk with SHIFT and CTRL held, or
// -1 when the key arrives as a character or not at all.
int Win32Input_KeyCode(unsigned vk, bool shift, bool ctrl);
// The key code of a single-byte character, or -1 for none.
int Win32Input_CharCode(unsigned ch, bool shift, bool ctrl);
