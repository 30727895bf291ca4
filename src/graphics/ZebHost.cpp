// The installed host operations, with neutral stand-ins until a host is
// installed, and the window's texts.
#include "graphics/ZebHost.h"

#include <cstdio>
#include <mutex>

namespace {

bool NoPush(int) { return false; }
int NoKey(int) { return -1; }
void NoTransfer() {}
bool Closed() { return false; }
void NoToggle() {}
void ToStderr(const char* text) { std::fprintf(stderr, "Zeb Debug Message: %s\n", text ? text : ""); }
bool NoGlyph(unsigned, int, ZebGlyph& out) {
  out = {0, 0, nullptr};
  return false;
}

void NoNotify(const char*, const char*) {}
void NoZoom(int) {}
int NoWindow() { return 0; }

constexpr ZebHostOps kNoHost{NoPush, NoKey, NoTransfer, Closed, NoToggle, ToStderr, NoGlyph,
                             NoNotify, NoZoom, NoWindow};

ZebHostOps ops = kNoHost;

template <typename Fn>
void Take(Fn& to, Fn from, Fn fallback) {
  to = from ? from : fallback;
}

std::mutex spotLock;
ZebTextSpot textSpot{};

std::mutex textLock;
char caption[ZEB_CAPTION_BYTES] = "Zeb for Win32";
char banner[ZEB_BANNER_BYTES] = "";

void CopyLocked(char* out, std::size_t size, const char* text) {
  if (size == 0) return;
  std::snprintf(out, size, "%s", text ? text : "");
}

}  // namespace

void ZebHost_Install(const ZebHostOps& installed) {
  Take(ops.pushKey, installed.pushKey, kNoHost.pushKey);
  Take(ops.waitKey, installed.waitKey, kNoHost.waitKey);
  Take(ops.transferDirty, installed.transferDirty, kNoHost.transferDirty);
  Take(ops.isImeOpen, installed.isImeOpen, kNoHost.isImeOpen);
  Take(ops.toggleIme, installed.toggleIme, kNoHost.toggleIme);
  Take(ops.debugMessage, installed.debugMessage, kNoHost.debugMessage);
  Take(ops.renderGlyph, installed.renderGlyph, kNoHost.renderGlyph);
  Take(ops.notify, installed.notify, kNoHost.notify);
  Take(ops.setZoom, installed.setZoom, kNoHost.setZoom);
  Take(ops.zoom, installed.zoom, kNoHost.zoom);
}

const ZebHostOps& ZebHost_Ops() { return ops; }

bool Zeb_RenderGlyph(unsigned code, int size, ZebGlyph& out) { return ops.renderGlyph(code, size, out); }

void Zeb_Notify(const char* title, const char* text) { ops.notify(title, text); }
void Zeb_SetZoom(int factor) { ops.setZoom(factor); }
int Zeb_Zoom() { return ops.zoom(); }

void ZebHost_SetTextSpot(const ZebTextSpot* spot) {
  std::lock_guard<std::mutex> guard(spotLock);
  ZebTextSpot next{};
  if (spot != nullptr) next = *spot;
  next.active = spot != nullptr;
  const ZebTextSpot& was = textSpot;
  if (next.active == was.active && next.multiLine == was.multiLine && next.x == was.x && next.y == was.y &&
      next.w == was.w && next.h == was.h)
    return;
  next.serial = was.serial + 1;
  textSpot = next;
}

ZebTextSpot ZebHost_TextSpot() {
  std::lock_guard<std::mutex> guard(spotLock);
  return textSpot;
}

void ZebHost_SetCaption(const char* text) {
  std::lock_guard<std::mutex> guard(textLock);
  CopyLocked(caption, sizeof caption, text);
}

void ZebHost_SetBanner(const char* text) {
  std::lock_guard<std::mutex> guard(textLock);
  CopyLocked(banner, sizeof banner, text);
}

void ZebHost_Caption(char* out, std::size_t size) {
  std::lock_guard<std::mutex> guard(textLock);
  CopyLocked(out, size, caption);
}

void ZebHost_Banner(char* out, std::size_t size) {
  std::lock_guard<std::mutex> guard(textLock);
  CopyLocked(out, size, banner);
}
