// The window thread's keys and text (SdlInput.cpp): SDL key, text and
// input-method events become host keys in the shared queue.
#pragma once

#include <SDL.h>

void SdlInput_KeyDown(const SDL_KeyboardEvent& k);
void SdlInput_Text(const SDL_TextInputEvent& t);       // a committed text
void SdlInput_Editing(const SDL_TextEditingEvent& e);  // the reading being typed
// The input method opened or closed; the window changed size.
void SdlInput_ImeChanged(bool open);
void SdlInput_WindowResized();
// Tells the input method where the focused editor's cursor is, when it moved.
void SdlInput_PlaceTextInput();
// Keys of a long text still waiting for room in the key queue.
void SdlInput_DrainFeed();
int SdlInput_FeedCount();
