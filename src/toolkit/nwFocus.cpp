// The focus: the object that receives keys and commands first.
#include "toolkit/nwInternal.h"

namespace {
nwObject* focus = nullptr;
}

void nwFocus_Set(nwObject* object) {
  if (focus != nullptr) nwEvent_SendTo(focus, NW_LOST_FOCUS);
  focus = object;
  if (object != nullptr) nwEvent_SendTo(object, NW_GAIN_FOCUS);
}

nwObject* nwFocus_Get() { return focus; }

// An editor that loses the focus without a LostFocus gives up its text spot.
void nwFocus_Clear() {
  focus = nullptr;
  Zeb_SetTextSpot(nullptr, false);
}

void nwFocus_Replace(nwObject* object) {
  focus = object;
  Zeb_SetTextSpot(nullptr, false);
}
