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

void nwFocus_Clear() { focus = nullptr; }

void nwFocus_Replace(nwObject* object) { focus = object; }
