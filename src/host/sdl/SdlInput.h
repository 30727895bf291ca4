// The window thread's keys and text (SdlInput.cpp): SDL key, text and
// input-method events become host keys in the shared queue.
#pragma once

#include <SDL.h>

void SdlInput_KeyDown(const SDL_KeyboardEvent& k);
void SdlInput_Text(const SDL_TextInputEvent& t);       // a committed text
void SdlInput_Editing(const SDL_TextEditingEvent& e);  // the reading being typed
// The application opened or closed the input method: the desktop's text
// input follows, once the keys SDL made before are taken.
void SdlInput_FollowIme();
void SdlInput_WindowResized();  // the window changed size
// Tells the input method where the focused editor's cursor is, when it moved.
void SdlInput_PlaceTextInput();
// Keys of a long text still waiting for room in the key queue.
void SdlInput_DrainFeed();
int SdlInput_FeedCount();
