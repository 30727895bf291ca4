// The window's picture (SdlView.cpp): the 640 x 240 screen scaled by a whole
// factor and centred on grey in whatever size the desktop gives the window
// (maximized, full screen), the factor changed by CTRL+plus and CTRL+minus.
// Window thread only, unless said otherwise.
#pragma once

#include <SDL.h>

struct SdlPlace {
  int factor;  // whole factor of the screen, at least 1
  int x, y;    // top-left of the scaled screen in the area
};

// The largest factor, not above `wanted` (0: no limit), at which the screen
// fits a w x h area (at least 1, cut at the edges if even 1 does not fit),
// and where it sits centred.
SdlPlace SdlView_Fit(int w, int h, int wanted);

// The factor of a new window: `scale` from the command line (0: none, the
// default), reduced to what fits the display's usable area; a scale the user
// chose that does not fit is told in one line on stderr. After SDL_Init.
int SdlView_StartFactor(int scale);
// Takes the window and its renderer (after they are made with the factor).
void SdlView_Attach(SDL_Window* window, SDL_Renderer* renderer);

// Draws the texture of the screen centred on grey and presents it.
void SdlView_Present(SDL_Texture* screen);
// Where a screen rectangle is in the window (the input method's spot).
SDL_Rect SdlView_WindowRect(int x, int y, int w, int h);

// CTRL+plus / CTRL+minus; true when the key was one of them.
bool SdlView_Key(const SDL_KeyboardEvent& k);
// The window's size changed (the desktop maximized, restored or resized it).
void SdlView_Resized(int w, int h);
// The view's own events (a zoom asked for by the application); true when e
// was one.
bool SdlView_Handle(const SDL_Event& e);

// Host operations (application thread): the zoom of the last run, kept unless
// the command line chose one; the zoom shown.
void SdlView_RequestZoom(int factor);
int SdlView_Zoom();
