// What every host shares of the host operations (graphics/ZebHost.h): the
// key queue with its wait, and the defaults a real-time host keeps (a
// condition-variable wait on the shared queue, an input-method flag, debug
// text on stderr, the glyph source of ZebGlyph.h: FreeType on Linux, GDI in
// the Windows build), which a windowed host can mostly keep. A host's clock
// is installed with Date_SetClock; the system clock is the default.
#pragma once

#include <cstddef>

#include "graphics/ZebHost.h"

// Wait values for Host_WaitKeyDefault.
inline constexpr int HOST_NO_WAIT = ZEB_NO_WAIT;
inline constexpr int HOST_WAIT_FOREVER = ZEB_WAIT_FOREVER;

// Installs a host's operations (before the application thread starts); a
// null member means the default here. Host_Install({}) restores all defaults.
void Host_Install(const ZebHostOps& ops);

// Key queue, safe from any thread. A key pushed onto a full queue is dropped
// (false). KEY_HOST_CLOSE is kept aside as a flag, so a flood cannot drop it,
// and is taken before the waiting keys.
bool Host_PushKey(int code);
int Host_PopKey();                  // first key or -1, never waits
int Host_KeyCount();                // keys waiting (a pending close counts)
void Host_ClearKeys();              // empties the queue and forgets a pending close
int Host_DroppedKeys();             // keys dropped since the last Host_ClearKeys

// The default wait: returns as soon as a key is pushed or ms have passed.
int Host_WaitKeyDefault(int ms);

// The About box every window host shows: the application's banner, then the
// host's own lines.
inline constexpr const char* HOST_ABOUT_TITLE = "About";
void Host_AboutText(const char* hostLines, char* out, std::size_t size);
