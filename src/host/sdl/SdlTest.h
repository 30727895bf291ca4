// A hidden test aid of the desktop host: types the keys of a file as SDL key
// events, one each time the application has taken the last one and waits
// again, then closes the window as a user would.
#pragma once

#include <string>

// Reads the key names (blank-separated, '#' to the end of the line is a
// comment, "quit" closes the window, an "A-" prefix holds Alt, "text:WORD"
// and "edit:WORD" are the input method's commit and unconverted reading,
// "clip:WORD" puts WORD on the clipboard, "burst" types the rest of its line
// at once, ahead of the application). False with a message on a bad file.
bool SdlTest_Load(const char* path, std::string& error);
// The window thread delivered a key to the application; waits = transfers so far.
void SdlTest_Delivered(int waits);
// Called by the window thread's loop: pushes the next event when it is time.
void SdlTest_Step(int waits, int keysWaiting);
