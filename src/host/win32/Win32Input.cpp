#include "host/win32/Win32Input.h"

#include <imm.h>

#include <array>
#include <cstddef>

#include "Capacity.h"
#include "graphics/ZebKey.h"
#include "host/common/Host.h"
#include "host/win32/Win32Text.h"

namespace {

// UTF-16 units of a result string taken whole; a longer one comes as
// WM_IME_CHAR messages.
constexpr std::size_t kImeResultUnits = cap::kKeyQueue;
constexpr LPARAM kResultParts = GCS_RESULTSTR | GCS_RESULTCLAUSE | GCS_RESULTREADSTR | GCS_RESULTREADCLAUSE;

struct VirtualKey {
  unsigned vk;
  int code;
};
constexpr std::array<VirtualKey, 22> kSpecialKeys{{
    {VK_CONVERT, KEY_CONVERT}, {VK_NONCONVERT, KEY_NOCONVERT}, {VK_PRIOR, KEY_PAGEUP}, {VK_NEXT, KEY_PAGEDOWN},
    {VK_END, KEY_END},         {VK_HOME, KEY_HOME},            {VK_LEFT, KEY_LEFT},    {VK_UP, KEY_UP},
    {VK_RIGHT, KEY_RIGHT},     {VK_DOWN, KEY_DOWN},            {VK_INSERT, KEY_INSERT}, {VK_DELETE, KEY_DELETE},
    {VK_F1, KEY_F1},           {VK_F2, KEY_F2},                {VK_F3, KEY_F3},        {VK_F4, KEY_F4},
    {VK_F5, KEY_F5},           {VK_F6, KEY_F6},                {VK_F7, KEY_F7},        {VK_F8, KEY_F8},
    {VK_F9, KEY_F9},           {VK_F10, KEY_F10},
}};

Win32TextInput typed;  // window thread only

bool KeyHeld(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

void PushKey(int code) {
  if (code >= 0) Host_PushKey(code);
}

}  // namespace

void Win32Input_KeyDown(unsigned vk) { PushKey(Win32Input_KeyCode(vk, KeyHeld(VK_SHIFT), KeyHeld(VK_CONTROL))); }

bool Win32Input_SystemKeyDown(unsigned vk) {
  if (vk != VK_F10 || KeyHeld(VK_MENU)) return false;
  Win32Input_KeyDown(vk);
  return true;
}

void Win32Input_Unit(unsigned unit) {
  const int code = Win32Text_Code(typed, unit & 0xFFFF);
  if (code > 0xFF) {
    if (Host_KeyCount() + 2 > static_cast<int>(cap::kKeyQueue)) return;  // never half a character
    Host_PushKey((code >> 8) & 0xFF);
    Host_PushKey(code & 0xFF);
  } else if (code >= 0) {
    PushKey(Win32Input_CharCode(static_cast<unsigned>(code), KeyHeld(VK_SHIFT), KeyHeld(VK_CONTROL)));
  }
}

LRESULT Win32Input_ImeComposition(HWND window, WPARAM wParam, LPARAM lParam) {
  HIMC context = (lParam & GCS_RESULTSTR) != 0 ? ImmGetContext(window) : nullptr;
  if (context == nullptr) return DefWindowProcW(window, WM_IME_COMPOSITION, wParam, lParam);
  wchar_t result[kImeResultUnits];
  const LONG bytes = ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
  const bool fits = bytes >= 0 && static_cast<std::size_t>(bytes) <= sizeof result;
  const LONG got = fits ? ImmGetCompositionStringW(context, GCS_RESULTSTR, result, sizeof result) : -1;
  ImmReleaseContext(window, context);
  if (got < 0) return DefWindowProcW(window, WM_IME_COMPOSITION, wParam, lParam);
  for (LONG i = 0; i < got / static_cast<LONG>(sizeof(wchar_t)); ++i) Win32Input_Unit(result[i]);
  const LPARAM rest = lParam & ~kResultParts;
  return rest != 0 ? DefWindowProcW(window, WM_IME_COMPOSITION, wParam, rest) : 0;
}

int Win32Input_KeyCode(unsigned vk, bool shift, bool ctrl) {
  for (const VirtualKey& k : kSpecialKeys)
    if (k.vk == vk) return Key_Special(k.code, shift, ctrl);
  return -1;
}

int Win32Input_CharCode(unsigned ch, bool shift, bool ctrl) {
  if (ch == 0 || ch > 0xFF) return -1;
  if (ch == KEY_TAB && shift) return KEY_SHIFT_TAB;
  const bool control = ch <= 26 && ch != KEY_BACKSPACE && ch != KEY_TAB && ch != KEY_RETURN;
  if (control && ctrl && shift) return KEY_CTRL_SHIFT_MARK | static_cast<int>(ch);
  return static_cast<int>(ch);
}
