#include "host/sdl/SdlHost.h"

#include <pthread.h>

#include <array>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "Capacity.h"
#include "graphics/Zeb.h"
#include "graphics/ZebKey.h"
#include "host/common/Host.h"
#include "host/common/HostKeys.h"
#include "host/common/ZebGlyph.h"
#include "host/common/ZebPng.h"
#include "host/sdl/SdlKeys.h"
#include "host/sdl/SdlTest.h"

namespace {

constexpr int kW = cap::kScreenWidth;
constexpr int kH = cap::kScreenHeight;
constexpr int kIdlePollMs = 100;
constexpr int kTestPollMs = 2;
constexpr std::size_t kBoxBytes = 1024;
constexpr const char* kDebugTitle = "Zeb Debug Message";
constexpr const char* kAboutTitle = "About";
constexpr const char* kGraphicsBanner = "Zeb graphics layer\nSDL2 host for Linux";
// "未実装です。 m(__)m"
constexpr const char* kNotImplemented = "\x96\xa2\x8e\xc0\x91\x95\x82\xc5\x82\xb7\x81\x42 m(__)m";

enum UserEvent : int { EV_REPAINT, EV_APP_DONE, EV_IME, EV_DEBUG, EV_COUNT };

// The picture the window shows: written by the application thread at each
// transfer, read by the window thread when it paints.
struct Picture {
  std::mutex lock;
  std::array<std::uint8_t, kW * kH> grey{};
};

// A debug message of the application thread, shown by the window thread.
struct DebugBox {
  std::mutex lock;
  std::condition_variable done;
  const char* text = nullptr;
  bool showing = false;
};

struct Window {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  char caption[ZEB_CAPTION_BYTES] = "";
};

Picture picture;
DebugBox debugBox;
Window win;
Uint32 eventBase = 0;
std::atomic<bool> repaintPending{false};
std::atomic<bool> imeOpen{false};
std::atomic<bool> appDone{false};
std::atomic<int> waits{0};
std::thread::id windowThread;

bool PushUser(UserEvent what) {
  SDL_Event e{};
  e.type = eventBase;
  e.user.code = what;
  return SDL_PushEvent(&e) > 0;
}

void ShowBox(const char* title, const char* sjisText) {
  char utf8[kBoxBytes];
  HostKeys_ToUtf8(sjisText, utf8, sizeof utf8);
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title, utf8, win.window) < 0)
    std::fprintf(stderr, "%s: %s\n", title, utf8);
}

// --- host operations (application thread) --------------------------------

void Transfer() {
  waits.fetch_add(1);
  ZebRect box{};
  if (!Zeb_GetDirty(box)) return;
  {
    std::lock_guard<std::mutex> guard(picture.lock);
    Zeb_ToGrey(box, picture.grey.data(), kW);
  }
  Zeb_ClearDirty();
  if (!repaintPending.exchange(true)) PushUser(EV_REPAINT);
}

bool IsImeOpen() { return imeOpen.load(); }

void ToggleIme() {
  imeOpen = !imeOpen.load();
  PushUser(EV_IME);
}

void DebugMessage(const char* text) {
  if (std::this_thread::get_id() == windowThread) {
    ShowBox(kDebugTitle, text);
    return;
  }
  std::unique_lock<std::mutex> guard(debugBox.lock);
  debugBox.text = text;
  debugBox.showing = true;
  if (!PushUser(EV_DEBUG)) {
    debugBox.showing = false;
    guard.unlock();
    ShowBox(kDebugTitle, text);
    return;
  }
  debugBox.done.wait(guard, [] { return !debugBox.showing; });
}

// --- window thread --------------------------------------------------------

void UpdateCaption() {
  char caption[ZEB_CAPTION_BYTES];
  ZebHost_Caption(caption, sizeof caption);
  if (std::strcmp(caption, win.caption) == 0) return;
  std::memcpy(win.caption, caption, sizeof caption);
  char utf8[ZEB_CAPTION_BYTES * 2];
  HostKeys_ToUtf8(caption, utf8, sizeof utf8);
  SDL_SetWindowTitle(win.window, utf8);
}

void Paint() {
  repaintPending = false;
  UpdateCaption();
  if (!win.texture) return;
  static std::array<Uint32, kW * kH> argb;
  {
    std::lock_guard<std::mutex> guard(picture.lock);
    for (std::size_t i = 0; i < argb.size(); ++i) {
      const Uint32 g = picture.grey[i];
      argb[i] = 0xFF000000u | g << 16 | g << 8 | g;
    }
  }
  SDL_UpdateTexture(win.texture, nullptr, argb.data(), kW * static_cast<int>(sizeof(Uint32)));
  SDL_RenderClear(win.renderer);
  SDL_RenderCopy(win.renderer, win.texture, nullptr, nullptr);
  SDL_RenderPresent(win.renderer);
}

void ShowDebugOfApp() {
  const char* text = nullptr;
  {
    std::lock_guard<std::mutex> guard(debugBox.lock);
    text = debugBox.text;
  }
  ShowBox(kDebugTitle, text);
  {
    std::lock_guard<std::mutex> guard(debugBox.lock);
    debugBox.showing = false;
  }
  debugBox.done.notify_all();
}

void ShowAbout() {
  char banner[ZEB_BANNER_BYTES];
  ZebHost_Banner(banner, sizeof banner);
  char text[kBoxBytes];
  std::snprintf(text, sizeof text, "%s\n\n%s", banner, kGraphicsBanner);
  ShowBox(kAboutTitle, text);
}

void RunShortcut(const HostShortcut& s) {
  switch (s.action) {
    case HOSTACT_RESTART:
    case HOSTACT_STOP:
      ShowBox(kDebugTitle, kNotImplemented);
      return;
    case HOSTACT_EXIT:
      Host_PushKey(KEY_HOST_CLOSE);
      return;
    case HOSTACT_ABOUT:
      ShowAbout();
      return;
    case HOSTACT_COMMAND:
      Host_PushKey(Key_HostCommand(s.command));
      return;
  }
}

unsigned HostMods(Uint16 mod, int key) {
  unsigned mods = 0;
  if (mod & KMOD_SHIFT) mods |= HOSTMOD_SHIFT;
  if (mod & KMOD_CTRL) mods |= HOSTMOD_CTRL;
  // Caps Lock types capitals but leaves CTRL+letter a control code.
  if ((mod & KMOD_CAPS) && !(mod & KMOD_CTRL) && key >= 'a' && key <= 'z') mods ^= HOSTMOD_SHIFT;
  return mods;
}

void OnKeyDown(const SDL_KeyboardEvent& k) {
  const int key = SdlKeys_KeyOf(k.keysym.sym, k.keysym.scancode);
  if (key == HOSTKEY_NONE) return;
  const Uint16 mod = k.keysym.mod;
  if (mod & KMOD_GUI) return;  // the desktop's own shortcuts
  if ((mod & KMOD_ALT) && !(mod & KMOD_CTRL)) {
    const HostShortcut* s = HostKeys_Shortcut(key);
    if (s && !k.repeat) RunShortcut(*s);
    SdlTest_Delivered(waits.load());
    return;
  }
  const bool character = key >= 32 && key <= 126;
  // With the input method open, characters arrive as text input.
  if (character && imeOpen.load() && !(mod & KMOD_CTRL)) return;
  const int code = HostKeys_Code(key, HostMods(mod, key));
  if (code < 0) return;
  Host_PushKey(code);
  SdlTest_Delivered(waits.load());
}

void OnText(const SDL_TextInputEvent& t) {
  if (!imeOpen.load()) return;
  char sjis[sizeof t.text * 2];
  const int n = HostKeys_ToShiftJis(t.text, sjis, sizeof sjis);
  // Text that no longer fits the queue is dropped whole, never half a character.
  if (n <= 0 || Host_KeyCount() + n > static_cast<int>(cap::kKeyQueue)) return;
  for (int i = 0; i < n; ++i) Host_PushKey(static_cast<unsigned char>(sjis[i]));
}

void OnUser(const SDL_UserEvent& u) {
  switch (u.code) {
    case EV_REPAINT: Paint(); return;
    case EV_APP_DONE: appDone = true; return;
    case EV_IME:
      if (imeOpen.load()) {
        SDL_StartTextInput();
      } else {
        SDL_StopTextInput();
      }
      return;
    case EV_DEBUG: ShowDebugOfApp(); return;
    default: return;
  }
}

void OnWindowEvent(const SDL_WindowEvent& w) {
  if (w.event == SDL_WINDOWEVENT_EXPOSED || w.event == SDL_WINDOWEVENT_SIZE_CHANGED) Paint();
}

void Handle(const SDL_Event& e) {
  if (e.type == eventBase) {
    OnUser(e.user);
    return;
  }
  switch (e.type) {
    case SDL_QUIT: Host_PushKey(KEY_HOST_CLOSE); return;
    case SDL_KEYDOWN: OnKeyDown(e.key); return;
    case SDL_TEXTINPUT: OnText(e.text); return;
    case SDL_WINDOWEVENT: OnWindowEvent(e.window); return;
    default: return;
  }
}

// SIGINT and SIGTERM are taken by a thread of their own, not by the window
// thread, so that they close the application even while a message box holds
// the window thread. Called before any other thread starts, so that every
// thread inherits the blocked signals.
void WatchSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::thread([set] {
    for (;;) {
      int signal = 0;
      if (sigwait(&set, &signal) == 0) Host_PushKey(KEY_HOST_CLOSE);
    }
  }).detach();
}

bool OpenWindow(int scale) {
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
  win.window = SDL_CreateWindow("Velmo", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kW * scale, kH * scale,
                                SDL_WINDOW_SHOWN);
  if (!win.window) return false;
  win.renderer = SDL_CreateRenderer(win.window, -1, 0);
  if (!win.renderer) win.renderer = SDL_CreateRenderer(win.window, -1, SDL_RENDERER_SOFTWARE);
  if (win.renderer) {
    SDL_RenderSetLogicalSize(win.renderer, kW, kH);
    SDL_RenderSetIntegerScale(win.renderer, SDL_TRUE);
    win.texture = SDL_CreateTexture(win.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, kW, kH);
  }
  SDL_StopTextInput();
  return true;
}

void CloseWindow() {
  if (win.texture) SDL_DestroyTexture(win.texture);
  if (win.renderer) SDL_DestroyRenderer(win.renderer);
  if (win.window) SDL_DestroyWindow(win.window);
  win = Window{};
}

void InstallHost() {
  ZebHostOps ops{};
  ops.transferDirty = Transfer;
  ops.isImeOpen = IsImeOpen;
  ops.toggleIme = ToggleIme;
  ops.debugMessage = DebugMessage;
  Host_Install(ops);
  Host_ClearKeys();
}

// The window's picture as the last transfer left it.
bool WriteShot(const char* path) {
  static std::array<std::uint8_t, kW * kH / 4> pixels;
  pixels.fill(0);
  for (int i = 0; i < kW * kH; ++i) {
    const int level = (255 - picture.grey[static_cast<std::size_t>(i)] + 42) / 85;
    pixels[static_cast<std::size_t>(i / 4)] |= static_cast<std::uint8_t>(level << ((i % 4) * 2));
  }
  ZebBitmap image{};
  return Zeb_InitBitmap(image, pixels.data(), kW, kH) && ZebPng_WriteBitmap(path, image);
}

void PumpUntilAppDone(bool testing) {
  while (!appDone.load()) {
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, testing ? kTestPollMs : kIdlePollMs)) {
      Handle(e);
      while (SDL_PollEvent(&e)) Handle(e);
    }
    if (testing) SdlTest_Step(waits.load(), Host_KeyCount());
  }
}

}  // namespace

int SdlHost_Run(const SdlOptions& options) {
  // Without its fonts Velmo cannot show a single text: stop before a window opens.
  const char* failure = nullptr;
  if (!ZebGlyph_Open(&failure)) {
    std::fprintf(stderr, "velmo: %s\n", failure ? failure : "no fonts");
    return 1;
  }
  InstallHost();
  WatchSignals();
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    std::fprintf(stderr, "velmo: cannot open the display: %s\n", SDL_GetError());
    return 1;
  }
  windowThread = std::this_thread::get_id();
  eventBase = SDL_RegisterEvents(EV_COUNT);
  if (eventBase == static_cast<Uint32>(-1) || !OpenWindow(options.scale)) {
    std::fprintf(stderr, "velmo: cannot open a window: %s\n", SDL_GetError());
    SDL_Quit();
    return 1;
  }
  int status = 0;
  std::thread app([&] {
    status = options.appMain(options.appArgc, options.appArgv);
    appDone = true;
    PushUser(EV_APP_DONE);
  });
  PumpUntilAppDone(options.testKeys != nullptr);
  app.join();
  if (options.shotAtExit && !WriteShot(options.shotAtExit))
    std::fprintf(stderr, "velmo: cannot write %s\n", options.shotAtExit);
  ZebGlyph_Close();
  CloseWindow();
  SDL_Quit();
  return status;
}
