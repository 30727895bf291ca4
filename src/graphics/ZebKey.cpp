// Key input of the application thread: every wait first hands the changed
// part of the frame buffer to the host.
#include "graphics/ZebKey.h"

#include <climits>

#include "graphics/ZebHost.h"

bool Zeb_PushKey(int code) { return ZebHost_Ops().pushKey(code); }

int Zeb_WaitKey(int ms) {
  const ZebHostOps& host = ZebHost_Ops();
  host.transferDirty();
  return host.waitKey(ms < 0 ? ZEB_WAIT_FOREVER : ms);
}

int Zeb_GetKey(int tenths) {
  if (tenths < 0) return Zeb_WaitKey(ZEB_WAIT_FOREVER);
  const int ms = tenths > INT_MAX / 100 ? INT_MAX : tenths * 100;
  return Zeb_WaitKey(ms);
}

void Zeb_ToggleIme() { ZebHost_Ops().toggleIme(); }

bool Zeb_IsImeOpen() { return ZebHost_Ops().isImeOpen(); }

void Zeb_SetTextSpot(const ZebRect* cursor, bool multiLine) {
  if (cursor == nullptr) {
    ZebHost_SetTextSpot(nullptr);
    return;
  }
  const ZebTextSpot spot{true, multiLine, cursor->x, cursor->y, cursor->w, cursor->h, 0};
  ZebHost_SetTextSpot(&spot);
}
