// The desktop's notifications (SdlNotify.cpp), through libnotify where the
// desktop runs a notification server; silently nothing where it does not.
#pragma once

// The notify host operation: Shift-JIS title and text. Returns at once; the
// notification is sent on a thread of its own, so a desktop without a server
// never holds up the application.
void SdlNotify_Show(const char* title, const char* text);
