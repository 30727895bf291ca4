// The window's key table: SDL keys to the host keys the application expects,
// and back for the test key driver.
#pragma once

#include <SDL.h>

// The host key of an SDL key (HostKey, or a character 32..126); HOSTKEY_NONE
// for keys the application never sees.
int SdlKeys_KeyOf(SDL_Keycode sym, SDL_Scancode scan);
// The SDL key that types a host key (for the test key driver).
bool SdlKeys_SdlKeyOf(int hostKey, SDL_Keycode& sym, SDL_Scancode& scan);
