#include "host/win32/Win32Host.h"

#include <imm.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "Capacity.h"
#include "graphics/Zeb.h"
#include "graphics/ZebHost.h"
#include "graphics/ZebKey.h"
#include "host/common/Host.h"
#include "host/common/ZebGlyph.h"

namespace {

constexpr int kW = cap::kScreenWidth;
constexpr int kH = cap::kScreenHeight;
constexpr const char* kClassName = "MainClass";
constexpr const char* kDebugTitle = "Zeb Debug Message";
constexpr const char* kAboutTitle = "About";
constexpr const char* kGraphicsBanner = "Zeb graphics layer\nWin32 host";
// "未実装です。 m(__)m"
constexpr const char* kNotImplemented = "\x96\xa2\x8e\xc0\x91\x95\x82\xc5\x82\xb7\x81\x42 m(__)m";
constexpr std::size_t kBoxBytes = 1024;
// How long logging off or a destroyed window waits for the application's
// own shutdown (saving, the continuation file) before the process ends.
constexpr DWORD kFinishMs = 10000;
constexpr UINT kImeAskMs = 1000;

// Window-thread requests of the application thread.
enum : UINT {
  WM_APP_DONE = WM_APP + 1,  // the application's main returned
  WM_APP_CAPTION,            // the caption buffer changed
  WM_APP_IME,                // wParam 1: toggle; result: open status
};

struct GreyBitmapInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

// The 8-bit screen image: written by the transfer on the application
// thread, read by WM_PAINT on the window thread.
struct Screen {
  std::mutex lock;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  std::uint8_t* bits = nullptr;
};

struct Host {
  Win32Options options;
  HWND window = nullptr;
  HANDLE thread = nullptr;
  DWORD threadId = 0;
  std::atomic<bool> appDone{false};
  std::atomic<int> status{0};
  char caption[ZEB_CAPTION_BYTES] = "";  // as last posted (application thread only)
};

Screen screen;
Host host;

bool KeyHeld(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

// --- host operations (application thread) --------------------------------

void PostCaptionIfChanged() {
  char caption[ZEB_CAPTION_BYTES];
  ZebHost_Caption(caption, sizeof caption);
  if (std::strcmp(caption, host.caption) == 0) return;
  std::memcpy(host.caption, caption, sizeof caption);
  PostMessageA(host.window, WM_APP_CAPTION, 0, 0);
}

void Transfer() {
  PostCaptionIfChanged();
  ZebRect box{};
  if (!Zeb_GetDirty(box)) return;
  {
    std::lock_guard<std::mutex> guard(screen.lock);
    Zeb_ToGrey(box, screen.bits, kW);
  }
  Zeb_ClearDirty();
  const int s = host.options.scale;
  // The transfer widens the box to whole groups of four pixels on the left.
  const int left = box.x & ~3;
  RECT r{left * s, box.y * s, (box.x + box.w) * s, (box.y + box.h) * s};
  InvalidateRect(host.window, &r, FALSE);
}

// The input context belongs to the window's thread, so the window thread
// reads and sets it.
bool AskIme(WPARAM toggle) {
  DWORD_PTR open = 0;
  if (!SendMessageTimeoutA(host.window, WM_APP_IME, toggle, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, kImeAskMs, &open))
    return false;
  return open != 0;
}

bool IsImeOpen() { return AskIme(0); }
void ToggleIme() { AskIme(1); }

// Every box of the host; the tests read what it said from the boxes log.
void ShowBox(HWND owner, const char* text, const char* title) {
  if (host.options.testInfo != nullptr) {
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%s.boxes", host.options.testInfo);
    if (std::FILE* f = std::fopen(path, "ab")) {
      std::fprintf(f, "%s: %s\n", title, text);
      std::fclose(f);
    }
  }
  MessageBoxA(owner, text, title, MB_OK);
}

void DebugMessage(const char* text) { ShowBox(host.window, text ? text : "", kDebugTitle); }

DWORD WINAPI AppThread(LPVOID) {
  host.status = host.options.appMain(host.options.appArgc, host.options.appArgv);
  host.appDone = true;
  PostMessageA(host.window, WM_APP_DONE, 0, 0);
  return 0;
}

// --- window thread --------------------------------------------------------

bool ImeState(HWND window, bool toggle) {
  HIMC context = ImmGetContext(window);
  if (context == nullptr) return false;
  if (toggle) ImmSetOpenStatus(context, !ImmGetOpenStatus(context));
  const bool open = ImmGetOpenStatus(context) != FALSE;
  ImmReleaseContext(window, context);
  return open;
}

bool MakeScreen(HWND window) {
  static GreyBitmapInfo info{};
  info.header = {sizeof(BITMAPINFOHEADER), kW, -kH, 1, 8, BI_RGB, 0, 0, 0, 256, 0};
  for (int i = 0; i < 256; ++i) {
    const BYTE g = static_cast<BYTE>(i);
    info.colours[i] = {g, g, g, 0};
  }
  PAINTSTRUCT ps;
  HDC windowDc = BeginPaint(window, &ps);
  screen.dc = CreateCompatibleDC(windowDc);
  void* bits = nullptr;
  if (screen.dc != nullptr)
    screen.bitmap = CreateDIBSection(screen.dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                                     nullptr, 0);
  EndPaint(window, &ps);
  if (screen.bitmap == nullptr) return false;
  screen.bits = static_cast<std::uint8_t*>(bits);
  screen.previous = SelectObject(screen.dc, screen.bitmap);
  HGDIOBJ brush = SelectObject(screen.dc, GetStockObject(BLACK_BRUSH));
  PatBlt(screen.dc, 0, 0, kW, kH, PATCOPY);
  SelectObject(screen.dc, brush);
  return true;
}

void FreeScreen() {
  std::lock_guard<std::mutex> guard(screen.lock);
  if (screen.dc != nullptr && screen.previous != nullptr) SelectObject(screen.dc, screen.previous);
  if (screen.bitmap != nullptr) DeleteObject(screen.bitmap);
  if (screen.dc != nullptr) DeleteDC(screen.dc);
  screen.dc = nullptr;
  screen.bitmap = nullptr;
  screen.bits = nullptr;
}

LRESULT OnCreate(HWND window) {
  host.window = window;
  const char* failure = nullptr;
  if (!MakeScreen(window) || !ZebGlyph_Open(&failure)) return -1;
  host.thread = CreateThread(nullptr, 0, AppThread, window, 0, &host.threadId);
  return host.thread != nullptr ? 0 : -1;
}

void OnPaint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  const RECT& r = ps.rcPaint;
  const int s = host.options.scale;
  {
    std::lock_guard<std::mutex> guard(screen.lock);
    if (screen.dc != nullptr) {
      GdiFlush();
      if (s == 1) {
        BitBlt(dc, r.left, r.top, r.right - r.left + 1, r.bottom - r.top + 1, screen.dc, r.left, r.top, SRCCOPY);
      } else {
        // Whole source pixels that cover the invalid part, each s x s.
        const int x = r.left / s, y = r.top / s;
        const int w = (r.right + s - 1) / s - x, h = (r.bottom + s - 1) / s - y;
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, x * s, y * s, w * s, h * s, screen.dc, x, y, w, h, SRCCOPY);
      }
    }
  }
  EndPaint(window, &ps);
}

void SetCaption(HWND window) {
  char caption[ZEB_CAPTION_BYTES];
  ZebHost_Caption(caption, sizeof caption);
  SetWindowTextA(window, caption);
}

void ShowAbout(HWND window) {
  char banner[ZEB_BANNER_BYTES];
  ZebHost_Banner(banner, sizeof banner);
  char text[kBoxBytes];
  std::snprintf(text, sizeof text, "%s\n\n%s", banner, kGraphicsBanner);
  ShowBox(window, text, kAboutTitle);
}

void OnCommand(HWND window, int id) {
  switch (id) {
    case WIN32_CMD_RESTART:
    case WIN32_CMD_STOP:
      ShowBox(window, kNotImplemented, kDebugTitle);
      return;
    case WIN32_CMD_EXIT:
      SendMessageA(window, WM_CLOSE, 0, 0);
      return;
    case WIN32_CMD_ABOUT:
      ShowAbout(window);
      return;
    default:
      return;
  }
}

// The application finishes its own way (saving, the continuation file)
// before the window goes: closing asks it to end, and its end destroys the
// window. The user's close (ask) lets it ask first about typed text and go on.
void AskAppToFinish(bool ask = false) {
  if (!host.appDone.load()) Host_PushKey(ask ? KEY_HOST_CLOSE_REQUEST : KEY_HOST_CLOSE);
}

void WaitForApp() {
  AskAppToFinish();
  if (host.thread != nullptr) WaitForSingleObject(host.thread, kFinishMs);
}

void OnDestroy() {
  WaitForApp();
  if (host.thread != nullptr) CloseHandle(host.thread);
  host.thread = nullptr;
  FreeScreen();
  ZebGlyph_Close();
  PostQuitMessage(host.status.load());
}

void PushKey(int code) {
  if (code >= 0) Host_PushKey(code);
}

// A double-byte character comes as one message, its lead byte high.
void PushImeChar(WPARAM ch) {
  if (ch > 0xFF) {
    if (Host_KeyCount() + 2 > static_cast<int>(cap::kKeyQueue)) return;  // never half a character
    Host_PushKey(static_cast<int>((ch >> 8) & 0xFF));
    Host_PushKey(static_cast<int>(ch & 0xFF));
    return;
  }
  PushKey(Win32Host_CharCode(static_cast<unsigned>(ch), KeyHeld(VK_SHIFT), KeyHeld(VK_CONTROL)));
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_PAINT: OnPaint(window); return 0;
    case WM_KEYDOWN:
      PushKey(Win32Host_KeyCode(static_cast<unsigned>(wParam), KeyHeld(VK_SHIFT), KeyHeld(VK_CONTROL)));
      return 0;
    case WM_SYSKEYDOWN:
      // F10 is a system key: without this it would only open the menu bar.
      if (wParam == VK_F10 && !KeyHeld(VK_MENU)) {
        PushKey(Win32Host_KeyCode(VK_F10, KeyHeld(VK_SHIFT), KeyHeld(VK_CONTROL)));
        return 0;
      }
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_CHAR:
      PushKey(Win32Host_CharCode(static_cast<unsigned>(wParam), KeyHeld(VK_SHIFT), KeyHeld(VK_CONTROL)));
      return 0;
    case WM_IME_CHAR: PushImeChar(wParam); return 0;
    case WM_COMMAND: OnCommand(window, LOWORD(wParam)); return 0;
    case WM_CLOSE:
      if (host.appDone.load()) {
        DestroyWindow(window);
      } else {
        AskAppToFinish(true);
      }
      return 0;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION:
      if (wParam) WaitForApp();
      return 0;
    case WM_APP_DONE: DestroyWindow(window); return 0;
    case WM_APP_CAPTION: SetCaption(window); return 0;
    case WM_APP_IME: return ImeState(window, wParam != 0) ? 1 : 0;
    case WM_DESTROY: OnDestroy(); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

bool RegisterMainClass(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = 0;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, "ZebIcon");
  wc.hIconSm = static_cast<HICON>(LoadImageA(instance, "ZebIcon", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), 0));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszMenuName = "ZebMenu";
  wc.lpszClassName = kClassName;
  return RegisterClassExA(&wc) != 0;
}

void InstallHost() {
  Host_Install({
      .transferDirty = Transfer,
      .isImeOpen = IsImeOpen,
      .toggleIme = ToggleIme,
      .debugMessage = DebugMessage,
  });
  Host_ClearKeys();
}

// For the tests: where the client area lies on the screen.
void WriteTestInfo(HWND window, const char* path) {
  RECT r{};
  GetClientRect(window, &r);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return;
  std::fprintf(f, "%ld %ld %ld %ld\n", origin.x, origin.y, r.right - r.left, r.bottom - r.top);
  std::fclose(f);
}

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

}  // namespace

int Win32Host_KeyCode(unsigned vk, bool shift, bool ctrl) {
  for (const VirtualKey& k : kSpecialKeys)
    if (k.vk == vk) return Key_Special(k.code, shift, ctrl);
  return -1;
}

int Win32Host_CharCode(unsigned ch, bool shift, bool ctrl) {
  if (ch == 0 || ch > 0xFF) return -1;
  if (ch == KEY_TAB && shift) return KEY_SHIFT_TAB;
  const bool control = ch <= 26 && ch != KEY_BACKSPACE && ch != KEY_TAB && ch != KEY_RETURN;
  if (control && ctrl && shift) return KEY_CTRL_SHIFT_MARK | static_cast<int>(ch);
  return static_cast<int>(ch);
}

int Win32Host_Run(HINSTANCE instance, int show, const Win32Options& options) {
  host.options = options;
  InstallHost();
  if (!RegisterMainClass(instance)) return 0;
  char caption[ZEB_CAPTION_BYTES];
  ZebHost_Caption(caption, sizeof caption);
  RECT frame{0, 0, kW * options.scale, kH * options.scale};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, TRUE);
  HWND window = CreateWindowExA(0, kClassName, caption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                                nullptr);
  if (window == nullptr) return 0;
  ShowWindow(window, show);
  UpdateWindow(window);
  if (options.testInfo) WriteTestInfo(window, options.testInfo);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
