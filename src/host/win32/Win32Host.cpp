#include "host/win32/Win32Host.h"

#include <imm.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <mutex>

#include "Capacity.h"
#include "calendar/Date.h"
#include "graphics/Zeb.h"
#include "graphics/ZebHost.h"
#include "graphics/ZebKey.h"
#include "host/common/Host.h"
#include "host/common/ZebGlyph.h"
#include "host/win32/Win32Input.h"
#include "host/win32/Win32Text.h"

namespace {

constexpr int kW = cap::kScreenWidth;
constexpr int kH = cap::kScreenHeight;
constexpr const wchar_t* kClassName = L"MainClass";
constexpr const char* kDebugTitle = "Zeb Debug Message";
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
  std::atomic<bool> closing{false};  // a close was asked: no box may hold the shutdown up
  std::atomic<int> status{0};
  char caption[ZEB_CAPTION_BYTES] = "";  // as last posted (application thread only)
};

Screen screen;
Host host;

// --- host operations (application thread) --------------------------------

void PostCaptionIfChanged() {
  char caption[ZEB_CAPTION_BYTES];
  ZebHost_Caption(caption, sizeof caption);
  if (std::strcmp(caption, host.caption) == 0) return;
  std::memcpy(host.caption, caption, sizeof caption);
  PostMessageW(host.window, WM_APP_CAPTION, 0, 0);
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
  if (!SendMessageTimeoutW(host.window, WM_APP_IME, toggle, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, kImeAskMs, &open))
    return false;
  return open != 0;
}

bool IsImeOpen() { return AskIme(0); }
void ToggleIme() { AskIme(1); }

// Every text of the host's boxes; the tests read what was said from the boxes log.
void LogBox(const char* text, const char* title) {
  if (host.options.testInfo == nullptr) return;
  char path[MAX_PATH];
  std::snprintf(path, sizeof path, "%s.boxes", host.options.testInfo);
  if (std::FILE* f = std::fopen(path, "ab")) {
    std::fprintf(f, "%s: %s\n", title, text);
    std::fclose(f);
  }
}

void ShowBox(HWND owner, const char* text, const char* title) {
  LogBox(text, title);
  wchar_t wideText[kBoxBytes], wideTitle[kBoxBytes];
  Win32Text_ToWide(text, wideText, kBoxBytes);
  Win32Text_ToWide(title, wideTitle, kBoxBytes);
  MessageBoxW(owner, wideText, wideTitle, MB_OK);
}

// Once a close is asked, a text goes to the debugger, not into a box that
// would hold the application's shutdown up.
void DebugMessage(const char* text) {
  if (text == nullptr) text = "";
  if (!host.closing.load()) {
    ShowBox(host.window, text, kDebugTitle);
    return;
  }
  LogBox(text, kDebugTitle);
  char line[kBoxBytes];
  std::snprintf(line, sizeof line, "%s: %s\n", kDebugTitle, text);
  OutputDebugStringA(line);
}

DWORD WINAPI AppThread(LPVOID) {
  host.status = host.options.appMain(host.options.appArgc, host.options.appArgv);
  host.appDone = true;
  PostMessageW(host.window, WM_APP_DONE, 0, 0);
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

void CaptionOf(wchar_t (&wide)[ZEB_CAPTION_BYTES]) {
  char caption[ZEB_CAPTION_BYTES];
  ZebHost_Caption(caption, sizeof caption);
  Win32Text_ToWide(caption, wide, ZEB_CAPTION_BYTES);
}

void SetCaption(HWND window) {
  wchar_t caption[ZEB_CAPTION_BYTES];
  CaptionOf(caption);
  SetWindowTextW(window, caption);
}

void ShowAbout(HWND window) {
  char text[kBoxBytes];
  Host_AboutText(kGraphicsBanner, text, sizeof text);
  ShowBox(window, text, HOST_ABOUT_TITLE);
}

void OnCommand(HWND window, int id) {
  switch (id) {
    case WIN32_CMD_RESTART:
    case WIN32_CMD_STOP:
      ShowBox(window, kNotImplemented, kDebugTitle);
      return;
    case WIN32_CMD_EXIT:
      SendMessageW(window, WM_CLOSE, 0, 0);
      return;
    case WIN32_CMD_ABOUT:
      ShowAbout(window);
      return;
    default:
      return;
  }
}

// A message box is a dialog; closing one with an OK button answers OK.
BOOL CALLBACK CloseBox(HWND window, LPARAM) {
  wchar_t name[16];
  if (GetClassNameW(window, name, 16) > 0 && std::wcscmp(name, L"#32770") == 0) PostMessageW(window, WM_CLOSE, 0, 0);
  return TRUE;
}

// The application finishes its own way (saving, the continuation file)
// before the window goes: closing asks it to end, and its end destroys the
// window. The user's close (ask) lets it ask first about typed text and go on.
// A box the application thread shows is closed, as OK, so it cannot hold that up.
void AskAppToFinish(bool ask = false) {
  host.closing = true;
  if (host.appDone.load()) return;
  if (host.threadId != 0) EnumThreadWindows(host.threadId, CloseBox, 0);
  Host_PushKey(ask ? KEY_HOST_CLOSE_REQUEST : KEY_HOST_CLOSE);
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

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_PAINT: OnPaint(window); return 0;
    case WM_KEYDOWN: Win32Input_KeyDown(static_cast<unsigned>(wParam)); return 0;
    case WM_SYSKEYDOWN:
      // F10 is a system key: without this it would only open the menu bar.
      if (Win32Input_SystemKeyDown(static_cast<unsigned>(wParam))) return 0;
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_CHAR:
    case WM_IME_CHAR: Win32Input_Unit(static_cast<unsigned>(wParam)); return 0;
    case WM_IME_COMPOSITION: return Win32Input_ImeComposition(window, wParam, lParam);
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
    default: return DefWindowProcW(window, message, wParam, lParam);
  }
}

bool RegisterMainClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = 0;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, L"ZebIcon");
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, L"ZebIcon", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), 0));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszMenuName = L"ZebMenu";
  wc.lpszClassName = kClassName;
  return RegisterClassExW(&wc) != 0;
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

struct FixedClock {
  std::int64_t startMs = 0;  // local time as milliseconds since day number 0
  ULONGLONG startTick = 0;
};
FixedClock fixedClock;

constexpr std::int64_t kMsPerDay = 86400000;

void ReadFixedClock(DateClock& out) {
  const std::int64_t nowMs = fixedClock.startMs + static_cast<std::int64_t>(GetTickCount64() - fixedClock.startTick);
  const std::int64_t inDay = nowMs % kMsPerDay / 1000;
  std::uint16_t year = 0, month = 0, mday = 0;
  DayNo_ToDate(static_cast<DayNo>(nowMs / kMsPerDay), year, month, mday);
  out.seconds = (nowMs - Date_ToDayNo(1970, 1, 1) * kMsPerDay) / 1000;
  out.micros = static_cast<std::int32_t>(nowMs % 1000 * 1000);
  out.year = year;
  out.month = static_cast<std::uint8_t>(month);
  out.mday = static_cast<std::uint8_t>(mday);
  out.hour = static_cast<std::uint8_t>(inDay / 3600);
  out.minute = static_cast<std::uint8_t>(inDay / 60 % 60);
  out.second = static_cast<std::uint8_t>(inDay % 60);
}

}  // namespace

void Win32Host_SetNow(int year, int month, int mday, int hour, int minute, int second) {
  const std::int64_t day = Date_ToDayNo(static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month),
                                        static_cast<std::uint16_t>(mday));
  fixedClock.startMs = day * kMsPerDay + (hour * 3600 + minute * 60 + second) * 1000;
  fixedClock.startTick = GetTickCount64();
  Date_SetClock(ReadFixedClock);
}

int Win32Host_Run(HINSTANCE instance, int show, const Win32Options& options) {
  host.options = options;
  InstallHost();
  if (!RegisterMainClass(instance)) return 0;
  wchar_t caption[ZEB_CAPTION_BYTES];
  CaptionOf(caption);
  RECT frame{0, 0, kW * options.scale, kH * options.scale};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, TRUE);
  HWND window = CreateWindowExW(0, kClassName, caption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                                nullptr);
  if (window == nullptr) return 0;
  ShowWindow(window, show);
  UpdateWindow(window);
  if (options.testInfo) WriteTestInfo(window, options.testInfo);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
