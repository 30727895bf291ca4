// The operations the application needs of its host: the key queue and a key
// wait with time-out, the transfer of the dirty region before each wait, the
// clock, the input-method state and the debug message. Each host installs its
// own versions with Host_Install; the defaults here are a real-time host (a
// condition-variable wait on the shared queue, the system clock, an input
// method flag, debug text on stderr), which a windowed host can mostly keep.
#pragma once

#include <cstdint>

// One reading of the clock: wall-clock seconds and microseconds since the
// epoch, and the local date and time. Same fields as the calendar's DateClock.
struct HostClock {
  std::int64_t seconds;
  std::int32_t micros;
  std::uint16_t year;
  std::uint8_t month, mday, hour, minute, second;
};

// Wait values for Host_WaitKey.
inline constexpr int HOST_NO_WAIT = 0;
inline constexpr int HOST_WAIT_FOREVER = -1;

// The host's operations. A null member means the default below.
struct HostOps {
  int (*waitKey)(int ms);                 // key or -1; ms > 0 time-out, 0 poll, < 0 no time-out
  void (*readClock)(HostClock& out);      // wall clock and local date/time
  void (*transferDirty)();                // copy the changed frame-buffer region to the window
  bool (*isImeOpen)();
  void (*toggleIme)();
  void (*debugMessage)(const char* text);
};

// Installs a host's operations (before the application thread starts);
// Host_Install({}) restores all defaults.
void Host_Install(const HostOps& ops);

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

// The operations, through whatever the host installed.
int Host_WaitKey(int ms);
void Host_ReadClock(HostClock& out);
void Host_TransferDirty();
bool Host_IsImeOpen();
void Host_ToggleIme();
void Host_DebugMessage(const char* text);

// Where the focused text editor's cursor is (screen pixels), for the input
// method's candidate window and the desktop's paste key; inactive while no
// editor has the focus. serial changes with every change of the spot.
struct HostTextSpot {
  bool active;
  bool multiLine;     // the editor takes line feeds
  int x, y, w, h;
  unsigned serial;
};
void Host_SetTextSpot(const HostTextSpot* spot);  // null: no editor has the focus
HostTextSpot Host_TextSpot();

// The default clock (the system's), for hosts that wrap it.
void Host_ReadSystemClock(HostClock& out);
