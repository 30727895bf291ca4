// The window program's sync with the calendar server: when sync.conf lies
// beside the record file, velmo runs `velmo-cli sync` on the data folder
// once before Velmo reads the record file and takes the run lock, and once
// after it has saved and let the lock go (the command takes the lock
// itself). Each run is given a few seconds, so that a server that does not
// answer never holds the window. velmo-headless and the other hosts never
// sync.
#pragma once

enum WindowSyncMoment { WINDOW_SYNC_START, WINDOW_SYNC_END };

// Whether sync.conf lies beside the record file that the working folder's
// continuation file names.
bool WindowSync_Wanted();
// Runs velmo-cli sync (the one beside this program, else the one on PATH) on
// the working folder and waits at most timeoutMs, then kills it. A failure
// is one line on standard error and, at start, a notice that the window
// shows once it is up.
void WindowSync_Run(WindowSyncMoment moment, int timeoutMs);
// --sync-timeout's value: milliseconds, 1 up to the capacity's most.
bool WindowSync_ReadTimeout(const char* text, int& timeoutMs);
