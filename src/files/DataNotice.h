// What the data layer tells the user. It cannot reach the message box, so it
// tells through a hook the shell sets.
#pragma once

// The hook takes a Shift-JIS text, lines separated by line feeds, at most
// three lines. Until a hook is set, the latest notice is held and handed to
// the hook as soon as one is set.
using DataNoticeHook = void (*)(const char* sjisText);
void Data_SetNoticeHook(DataNoticeHook hook);
void Data_Notice(const char* sjisText);
