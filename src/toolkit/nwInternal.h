// What the toolkit's sources share beyond the public header.
#pragma once

#include "toolkit/nw.h"

// Forgets the focus without telling anyone (reset, destroyed focus object).
void nwFocus_Clear();
void nwFocus_Replace(nwObject* object);

// Shared by the text widgets: Shift-JIS aware bounded copy; returns the bytes
// copied, never ending on a cut-off lead byte.
int nwText_Copy(char* destination, int capacity, const char* source, int length);

// The toolbar being destroyed no longer receives the function keys.
void nwEvent_ReleaseToolbar(nwObject* toolbar);
