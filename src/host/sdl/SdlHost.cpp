#include "host/sdl/SdlHost.h"

#include <X11/Xlib.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string_view>
#include <thread>

#include "Capacity.h"
#include "graphics/Zeb.h"
#include "graphics/ZebKey.h"
#include "host/common/Host.h"
#include "host/common/HostKeys.h"
#include "host/common/ZebGlyph.h"
#include "host/common/ZebPng.h"
#include "host/sdl/SdlBox.h"
#include "host/sdl/SdlInput.h"
#include "host/sdl/SdlKeys.h"
#include "host/sdl/SdlNotify.h"
#include "host/sdl/SdlTest.h"
#include "host/sdl/SdlView.h"

namespace {

constexpr int kW = cap::kScreenWidth;
constexpr int kH = cap::kScreenHeight;
constexpr int kIdlePollMs = 100;
constexpr int kTestPollMs = 2;
constexpr std::size_t kBoxBytes = 1024;
constexpr int kExitNoDisplay = 1;
constexpr int kExitDisplayLost = 1;
constexpr int kShutdownWaitMs = 20000;
constexpr int kIconScale = 4;
// The Linux window's own caption; the application's names the Win32 host.
constexpr const char* kCaption = "Velmo";
constexpr const char* kDebugTitle = "Zeb Debug Message";
constexpr const char* kGraphicsBanner = "Zeb graphics layer\nSDL2 host for Linux";
// "未実装です。 m(__)m"
constexpr const char* kNotImplemented = "\x96\xa2\x8e\xc0\x91\x95\x82\xc5\x82\xb7\x81\x42 m(__)m";

enum UserEvent : int { EV_REPAINT, EV_APP_DONE, EV_IME, EV_COUNT };

// The picture the window shows: written by the application thread at each
// transfer, read by the window thread when it paints.
struct Picture {
  std::mutex lock;
  std::array<std::uint8_t, kW * kH> grey{};
};

struct Window {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
};

Picture picture;
Window win;
Uint32 eventBase = 0;
std::atomic<bool> repaintPending{false};
std::atomic<bool> imeOpen{false};
std::atomic<bool> appDone{false};
std::atomic<int> waits{0};
std::atomic<bool> closing{false};      // a close request or signal was taken

bool PushUser(UserEvent what) {
  SDL_Event e{};
  e.type = eventBase;
  e.user.code = what;
  return SDL_PushEvent(&e) > 0;
}

// A desktop box of the window thread (About, Restart, Stop): it does not wait.
void ShowBox(const char* title, const char* sjisText) {
  char utf8[kBoxBytes];
  HostKeys_ToUtf8(sjisText, utf8, sizeof utf8);
  int id = 0;
  if (closing.load() || !SdlBox_Start(title, utf8, id)) std::fprintf(stderr, "%s: %s\n", title, utf8);
}

// Every route that ends Velmo: the shutdown runs, and no desktop box holds it up.
// The user's own close (ask) lets Velmo ask first about typed text.
void RequestClose(bool ask = false) {
  closing = true;
  SdlBox_EndAll();
  Host_PushKey(ask ? KEY_HOST_CLOSE_REQUEST : KEY_HOST_CLOSE);
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

// Modal for the application thread, as the box is for the user; once Velmo
// is ending the text goes to the terminal instead.
void DebugMessage(const char* text) {
  char utf8[kBoxBytes];
  HostKeys_ToUtf8(text, utf8, sizeof utf8);
  int id = 0;
  if (closing.load() || !SdlBox_Start(kDebugTitle, utf8, id)) {
    std::fprintf(stderr, "%s: %s\n", kDebugTitle, utf8);
    return;
  }
  SdlBox_Wait(id);
}

// --- window thread --------------------------------------------------------

void Paint() {
  repaintPending = false;
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
  SdlView_Present(win.texture);
}

void ShowAbout() {
  char text[kBoxBytes];
  Host_AboutText(kGraphicsBanner, text, sizeof text);
  ShowBox(HOST_ABOUT_TITLE, text);
}

}  // namespace

void SdlHost_RunShortcut(const HostShortcut& s) {
  switch (s.action) {
    case HOSTACT_RESTART:
    case HOSTACT_STOP:
      ShowBox(kDebugTitle, kNotImplemented);
      return;
    case HOSTACT_EXIT:
      RequestClose(true);
      return;
    case HOSTACT_ABOUT:
      ShowAbout();
      return;
    case HOSTACT_COMMAND:
      Host_PushKey(Key_HostCommand(s.command));
      return;
  }
}

SDL_Window* SdlHost_Window() { return win.window; }

bool SdlHost_ImeOpen() { return imeOpen.load(); }

int SdlHost_Waits() { return waits.load(); }

namespace {

void OnUser(const SDL_UserEvent& u) {
  switch (u.code) {
    case EV_REPAINT: Paint(); return;
    case EV_APP_DONE: appDone = true; return;
    case EV_IME: SdlInput_FollowIme(); return;
    default: return;
  }
}

void OnWindowEvent(const SDL_WindowEvent& w) {
  if (w.event == SDL_WINDOWEVENT_SIZE_CHANGED) SdlView_Resized(w.data1, w.data2);
  if (w.event == SDL_WINDOWEVENT_EXPOSED || w.event == SDL_WINDOWEVENT_SIZE_CHANGED) Paint();
  if (w.event == SDL_WINDOWEVENT_SIZE_CHANGED) SdlInput_WindowResized();
}

}  // namespace

void SdlHost_Handle(const SDL_Event& e) {
  if (e.type == eventBase) {
    OnUser(e.user);
    return;
  }
  if (SdlView_Handle(e)) return;
  switch (e.type) {
    case SDL_QUIT: RequestClose(true); return;
    case SDL_KEYDOWN:
      if (SdlView_Key(e.key)) {
        SdlInput_DropKeyText();  // a zoom key types nothing in a text field
      } else {
        SdlInput_KeyDown(e.key);
      }
      return;
    case SDL_TEXTINPUT: SdlInput_Text(e.text); return;
    case SDL_TEXTEDITING: SdlInput_Editing(e.edit); return;
    case SDL_WINDOWEVENT: OnWindowEvent(e.window); return;
    default: return;
  }
}

namespace {

// SIGINT, SIGTERM and SIGHUP (the terminal went away) are taken by a thread
// of their own, not by the window thread, so that they close the application
// even while a box is open. Called before any other thread starts, so that
// every thread inherits the blocked signals.
void WatchSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::thread([set] {
    for (;;) {
      int signal = 0;
      if (sigwait(&set, &signal) == 0) RequestClose();
    }
  }).detach();
}

// The X server went away (log-out, crash). Xlib ends the process when this
// returns, so the shutdown runs here: the application saves and writes its
// continuation file, its debug texts go to the terminal, and the process
// ends with a failure status.
int OnDisplayLost(Display*) {
  RequestClose();
  for (int waited = 0; !appDone.load() && waited < kShutdownWaitMs; waited += 10) usleep(10 * 1000);
  std::fprintf(stderr, "velmo: lost the connection to the display%s\n",
               appDone.load() ? "; Velmo ended as on a close request" : "");
  std::fflush(nullptr);
  _exit(kExitDisplayLost);
}

// The window's icon: the application's 16 x 16 picture, scaled by whole
// pixels, its light grey surround transparent as in the installed icons.
void SetIcon(const unsigned char* picture) {
  if (picture == nullptr) return;
  std::array<std::uint8_t, SDL_ICON_SIDE * SDL_ICON_SIDE / 4> levels{};
  std::memcpy(levels.data(), picture + ZEB_BITMAP_HEADER, levels.size());
  ZebBitmap image{};
  std::array<std::uint8_t, SDL_ICON_SIDE * SDL_ICON_SIDE> outside{};
  if (!Zeb_InitBitmap(image, levels.data(), SDL_ICON_SIDE, SDL_ICON_SIDE) ||
      !ZebPng_Outside(image, ZEB_LIGHT_GREY, outside.data(), outside.size())) {
    return;
  }
  constexpr int size = SDL_ICON_SIDE * kIconScale;
  SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormat(0, size, size, 32, SDL_PIXELFORMAT_ARGB8888);
  if (icon == nullptr) return;
  auto* pixels = static_cast<Uint32*>(icon->pixels);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const int ix = x / kIconScale, iy = y / kIconScale;
      const int level = (levels[static_cast<std::size_t>(iy * (SDL_ICON_SIDE / 4) + ix / 4)] >> ((ix & 3) * 2)) & 3;
      const Uint32 g = static_cast<Uint32>(Zeb_HostGrey(level));
      const Uint32 alpha = outside[static_cast<std::size_t>(iy * SDL_ICON_SIDE + ix)] ? 0u : 0xFFu;
      pixels[y * icon->pitch / 4 + x] = alpha << 24 | g << 16 | g << 8 | g;
    }
  SDL_SetWindowIcon(win.window, icon);
  SDL_FreeSurface(icon);
}

bool OpenWindow(int scale, const unsigned char* icon) {
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
  const int factor = SdlView_StartFactor(scale);
  win.window = SDL_CreateWindow(kCaption, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kW * factor, kH * factor,
                                SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
  if (!win.window) return false;
  SetIcon(icon);
  win.renderer = SDL_CreateRenderer(win.window, -1, 0);
  if (!win.renderer) win.renderer = SDL_CreateRenderer(win.window, -1, SDL_RENDERER_SOFTWARE);
  SdlView_Attach(win.window, win.renderer);
  if (win.renderer) {
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
  Host_Install({
      .transferDirty = Transfer,
      .isImeOpen = IsImeOpen,
      .toggleIme = ToggleIme,
      .debugMessage = DebugMessage,
      .notify = SdlNotify_Show,
      .setZoom = SdlView_RequestZoom,
      .zoom = SdlView_Zoom,
  });
  Host_ClearKeys();
  ZebHost_SetTextSpot(nullptr);
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
    const bool hurry = testing || SdlInput_FeedCount() > 0;
    if (SDL_WaitEventTimeout(&e, hurry ? kTestPollMs : kIdlePollMs)) {
      SdlHost_Handle(e);
      while (SDL_PollEvent(&e)) SdlHost_Handle(e);
    }
    SdlInput_DrainFeed();
    SdlInput_PlaceTextInput();
    SdlBox_Reap();
    if (testing) SdlTest_Step(waits.load(), Host_KeyCount() + SdlInput_FeedCount());
  }
}

bool IsSet(const char* name) {
  const char* value = SDL_getenv(name);
  return value != nullptr && value[0] != '\0';
}

// Velmo never runs where nobody sees it: SDL's drivers that show nothing
// are taken only when SDL_VIDEODRIVER names them (the tests do).
bool FindDisplay() {
  if (!IsSet("SDL_VIDEODRIVER") && !IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY")) {
    std::fprintf(stderr, "velmo: no display: neither DISPLAY nor WAYLAND_DISPLAY is set "
                         "(velmo-headless runs Velmo without a window)\n");
    return false;
  }
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    std::fprintf(stderr, "velmo: cannot open the display: %s\n", SDL_GetError());
    return false;
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* wanted = SDL_getenv("SDL_VIDEODRIVER");
  const bool invisible = driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
  if (invisible && !(wanted && std::strcmp(wanted, driver) == 0)) {
    std::fprintf(stderr, "velmo: no display: SDL found only its \"%s\" video driver, which shows nothing\n", driver);
    SDL_Quit();
    return false;
  }
  if (driver && std::strcmp(driver, "x11") == 0) XSetIOErrorHandler(OnDisplayLost);
  return true;
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
  // The input method draws the reading (IBus, Fcitx) and its candidates itself.
  SDL_SetHint(SDL_HINT_IME_INTERNAL_EDITING, "1");
  SDL_SetHint(SDL_HINT_IME_SHOW_UI, "1");
  if (!FindDisplay()) return kExitNoDisplay;
  eventBase = SDL_RegisterEvents(EV_COUNT);
  if (eventBase == static_cast<Uint32>(-1) || !OpenWindow(options.scale, options.icon)) {
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
  SdlBox_EndAll();
  if (options.shotAtExit && !WriteShot(options.shotAtExit))
    std::fprintf(stderr, "velmo: cannot write %s\n", options.shotAtExit);
  ZebGlyph_Close();
  CloseWindow();
  SDL_Quit();
  return status;
}
