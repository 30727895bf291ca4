#include "host/sdl/SdlView.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "Capacity.h"
#include "graphics/Zeb.h"

namespace {

constexpr int kW = cap::kScreenWidth;
constexpr int kH = cap::kScreenHeight;
constexpr int kDefaultFactor = 2;
constexpr Uint8 kBackground = Zeb_HostGrey(ZEB_DARK_GREY);
constexpr Uint32 kMaximized = SDL_WINDOW_MAXIMIZED | SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP;

struct View {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  Uint32 zoomEvent = 0;
  bool chosen = false;  // the command line chose the factor: the last run's does not count
};

View view;
std::atomic<int> factor{0};

// The factor that fits the display's usable area (less the window's frame).
int DisplayFit() {
  SDL_Rect usable{0, 0, kW, kH};
  const int display = view.window != nullptr ? SDL_GetWindowDisplayIndex(view.window) : 0;
  if (SDL_GetDisplayUsableBounds(std::max(display, 0), &usable) != 0) return cap::kWindowScale;
  int top = 0, left = 0, bottom = 0, right = 0;
  if (view.window != nullptr) SDL_GetWindowBordersSize(view.window, &top, &left, &bottom, &right);
  return SdlView_Fit(usable.w - left - right, usable.h - top - bottom, 0).factor;
}

bool Maximized() { return view.window != nullptr && (SDL_GetWindowFlags(view.window) & kMaximized) != 0; }

// A maximized or full-screen window keeps its size and shows the picture at
// the new factor within it; any other takes the picture's size.
void SetFactor(int wanted) {
  if (view.window == nullptr) return;
  int w = 0, h = 0;
  SDL_GetWindowSize(view.window, &w, &h);
  const int limit = Maximized() ? SdlView_Fit(w, h, 0).factor : DisplayFit();
  const int next = std::clamp(wanted, 1, std::min(limit, cap::kWindowScale));
  factor = next;
  if (!Maximized()) SDL_SetWindowSize(view.window, kW * next, kH * next);
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_EXPOSED;
  e.window.windowID = SDL_GetWindowID(view.window);
  SDL_PushEvent(&e);
}

}  // namespace

SdlPlace SdlView_Fit(int w, int h, int wanted) {
  int f = std::min(w / kW, h / kH);
  if (wanted > 0) f = std::min(f, wanted);
  f = std::max(f, 1);
  return SdlPlace{f, (w - kW * f) / 2, (h - kH * f) / 2};
}

int SdlView_StartFactor(int scale) {
  view.chosen = scale > 0;
  const int fit = DisplayFit();
  const int wanted = view.chosen ? scale : kDefaultFactor;
  const int start = std::max(1, std::min(wanted, fit));
  if (view.chosen && start < scale) {
    std::fprintf(stderr, "velmo: --scale %d does not fit the screen; the window is %d times the picture instead\n",
                 scale, start);
  }
  factor = start;
  return start;
}

void SdlView_Attach(SDL_Window* window, SDL_Renderer* renderer) {
  view.window = window;
  view.renderer = renderer;
  if (window != nullptr) SDL_SetWindowMinimumSize(window, kW, kH);
  if (view.zoomEvent == 0) view.zoomEvent = SDL_RegisterEvents(1);
}

void SdlView_Present(SDL_Texture* screen) {
  if (view.renderer == nullptr) return;
  int w = kW, h = kH;
  SDL_GetRendererOutputSize(view.renderer, &w, &h);
  const SdlPlace at = SdlView_Fit(w, h, factor.load());
  const SDL_Rect to{at.x, at.y, kW * at.factor, kH * at.factor};
  SDL_SetRenderDrawColor(view.renderer, kBackground, kBackground, kBackground, 0xFF);
  SDL_RenderClear(view.renderer);
  if (screen != nullptr) SDL_RenderCopy(view.renderer, screen, nullptr, &to);
  SDL_RenderPresent(view.renderer);
}

SDL_Rect SdlView_WindowRect(int x, int y, int w, int h) {
  int width = kW, height = kH;
  if (view.window != nullptr) SDL_GetWindowSize(view.window, &width, &height);
  const SdlPlace at = SdlView_Fit(width, height, factor.load());
  return SDL_Rect{at.x + x * at.factor, at.y + y * at.factor, w * at.factor, h * at.factor};
}

bool SdlView_Key(const SDL_KeyboardEvent& k) {
  if ((k.keysym.mod & KMOD_CTRL) == 0 || (k.keysym.mod & KMOD_ALT) != 0) return false;
  switch (k.keysym.sym) {
    case SDLK_PLUS:
    case SDLK_EQUALS:  // plus without SHIFT on US keyboards
    case SDLK_KP_PLUS:
      SetFactor(factor.load() + 1);
      return true;
    case SDLK_SEMICOLON:  // plus is SHIFT+semicolon on Japanese keyboards
      if ((k.keysym.mod & KMOD_SHIFT) == 0) return false;
      SetFactor(factor.load() + 1);
      return true;
    case SDLK_MINUS:
    case SDLK_KP_MINUS:
      SetFactor(factor.load() - 1);
      return true;
    default:
      return false;
  }
}

// A size the desktop chose (not the picture's own at the factor) shows the
// picture as large as it fits.
void SdlView_Resized(int w, int h) {
  const int now = factor.load();
  if (w == kW * now && h == kH * now) return;
  factor = SdlView_Fit(w, h, 0).factor;
}

bool SdlView_Handle(const SDL_Event& e) {
  if (view.zoomEvent == 0 || e.type != view.zoomEvent) return false;
  if (!view.chosen) SetFactor(e.user.code);
  return true;
}

void SdlView_RequestZoom(int wanted) {
  if (wanted < 1 || view.zoomEvent == 0) return;
  SDL_Event e{};
  e.type = view.zoomEvent;
  e.user.code = wanted;
  SDL_PushEvent(&e);
}

int SdlView_Zoom() { return factor.load(); }
