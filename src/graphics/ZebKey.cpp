// Key input of the application thread: every wait first hands the changed
// part of the frame buffer to the host.
#include "graphics/ZebKey.h"

#include <climits>

#include "host/common/Host.h"

bool Zeb_PushKey(int code) { return Host_PushKey(code); }

int Zeb_WaitKey(int ms) {
  Host_TransferDirty();
  return Host_WaitKey(ms < 0 ? HOST_WAIT_FOREVER : ms);
}

int Zeb_GetKey(int tenths) {
  if (tenths < 0) return Zeb_WaitKey(HOST_WAIT_FOREVER);
  const int ms = tenths > INT_MAX / 100 ? INT_MAX : tenths * 100;
  return Zeb_WaitKey(ms);
}

void Zeb_ToggleIme() { Host_ToggleIme(); }

bool Zeb_IsImeOpen() { return Host_IsImeOpen(); }

void Zeb_SetTextSpot(const ZebRect* cursor, bool multiLine) {
  if (cursor == nullptr) {
    Host_SetTextSpot(nullptr);
    return;
  }
  const HostTextSpot spot{true, multiLine, cursor->x, cursor->y, cursor->w, cursor->h, 0};
  Host_SetTextSpot(&spot);
}
