// Quitting without losing what could not be saved: the question at "q", the
// window's close request, the recovery copy when Velmo ends without anyone to
// answer, and telling of that copy at the next start.
#pragma once

// Start-up, once boxes can be shown: tells of recovery copies written by
// earlier runs (a box naming the newest, every one on stderr) and hands the
// window's close requests to the entry dialog.
void Quit_Start();

// "q": quits, but with changes that could not be saved first asks whether to
// save again, quit without them, or stay.
void Quit_Ask();

// Shutdown: saves what is unsaved; when that fails (and the user did not
// choose to drop it) writes the recovery copy and names it on stderr. True
// when nothing was lost.
bool Quit_KeepUnsaved();
