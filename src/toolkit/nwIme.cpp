// The input method as the dialogs see it.
#include "toolkit/nwInternal.h"

bool nwIme_IsOpen() { return Zeb_IsImeOpen(); }

bool nwIme_Toggle() {
  Zeb_ToggleIme();
  return Zeb_IsImeOpen();
}
