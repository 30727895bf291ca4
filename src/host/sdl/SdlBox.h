// The desktop's message boxes (About, Zeb Debug Message), each shown by a
// child process of its own: the window keeps painting meanwhile, and a close
// request, a signal or the loss of the display ends every box at once
// instead of waiting for OK.
#pragma once

// Starts a box (UTF-8 title and text); false when no child could be started.
// The box id goes to id.
bool SdlBox_Start(const char* title, const char* utf8, int& id);
// Waits until the box is closed (by OK or by SdlBox_EndAll).
void SdlBox_Wait(int id);
// Forgets the boxes that have been closed; never waits.
void SdlBox_Reap();
// A box is open.
bool SdlBox_AnyOpen();
// Ends every open box. Safe from any thread.
void SdlBox_EndAll();

// The child's side: "velmo --desktop-box TITLE TEXT" shows one box and ends.
inline constexpr const char* SDL_BOX_OPTION = "--desktop-box";
int SdlBox_Main(const char* title, const char* utf8);
