// The operations the graphics layer needs of its host, and so all the
// platform the layers above it reach: the key queue and a key wait with
// time-out, the transfer of the dirty region before each wait, the
// input-method state, the debug message, the glyph source, and the window's
// caption and version banner. Each host implements them and installs them
// with ZebHost_Install (host/common's Host_Install fills what a host leaves
// out). The time is read through the calendar's clock seam (Date_SetClock).
#pragma once

#include <cstddef>

#include "Capacity.h"
#include "graphics/Zeb.h"

// Wait values for waitKey.
inline constexpr int ZEB_NO_WAIT = 0;
inline constexpr int ZEB_WAIT_FOREVER = -1;

inline constexpr std::size_t ZEB_CAPTION_BYTES = cap::kHostCaption;
inline constexpr std::size_t ZEB_BANNER_BYTES = cap::kHostBanner;

// A null member: no key is taken or waited for, nothing is transferred, the
// input method stays closed, the debug text goes to stderr, no glyph is drawn,
// no notification is shown and there is no window to zoom.
struct ZebHostOps {
  bool (*pushKey)(int code);              // false when the queue is full
  int (*waitKey)(int ms);                 // key or -1; ms > 0 time-out, 0 poll, < 0 no time-out
  void (*transferDirty)();                // copy the changed frame-buffer region to the window
  bool (*isImeOpen)();
  void (*toggleIme)();
  void (*debugMessage)(const char* text);
  bool (*renderGlyph)(unsigned code, int size, ZebGlyph& out);  // Zeb_RenderGlyph
  void (*notify)(const char* title, const char* text);  // Shift-JIS; the desktop's notification
  void (*setZoom)(int factor);  // the zoom of the last run, asked for at start-up
  int (*zoom)();                // the window's zoom now; 0 without a window
};

// A desktop notification (Shift-JIS texts), where the host has one.
void Zeb_Notify(const char* title, const char* text);
// The window's whole-number zoom of the screen: Zeb_SetZoom asks for one (the
// host keeps a zoom the user chose on its command line and reduces one that
// does not fit); Zeb_Zoom is the zoom shown, 0 without a window.
void Zeb_SetZoom(int factor);
int Zeb_Zoom();

// Installs a host's operations (before the application thread starts).
void ZebHost_Install(const ZebHostOps& ops);
const ZebHostOps& ZebHost_Ops();

// Where the focused text editor's cursor is (screen pixels), for the input
// method's candidate window and the desktop's paste key; inactive while no
// editor has the focus. serial changes with every change of the spot. Set by
// the application thread (Zeb_SetTextSpot), read by the window thread.
struct ZebTextSpot {
  bool active;
  bool multiLine;     // the editor takes line feeds
  int x, y, w, h;
  unsigned serial;
};
void ZebHost_SetTextSpot(const ZebTextSpot* spot);  // null: no editor has the focus
ZebTextSpot ZebHost_TextSpot();

// The window's two texts, which the application writes before it opens the
// screen. Safe from any thread: the window thread reads what was written.
void ZebHost_SetCaption(const char* text);   // cut to fit
void ZebHost_SetBanner(const char* text);    // cut to fit
// Copies into out (NUL-terminated, cut to size).
void ZebHost_Caption(char* out, std::size_t size);
void ZebHost_Banner(char* out, std::size_t size);
