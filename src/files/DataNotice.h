// What the data layer tells the user. It cannot reach the message box, so it
// tells through a hook the shell sets.
#pragma once

// The hook takes a Shift-JIS text, lines separated by line feeds, at most
// three lines. Until a hook is set, the notices are held (the first ones, and
// the latest in the last place when there are more) and handed to the hook in
// their order as soon as one is set.
using DataNoticeHook = void (*)(const char* sjisText);
void Data_SetNoticeHook(DataNoticeHook hook);
void Data_Notice(const char* sjisText);
