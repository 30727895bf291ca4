// The browser host: the 640 x 240 picture on the page's canvas, keys and
// committed text from the page (page.js) through a key wait that yields to
// the browser (ASYNCIFY), the glyph table, and the working folder in the
// browser's storage (IDBFS), written there after every save before the
// application goes on.
#pragma once

// Installs the host's operations and its glyph source (the table loaded
// with the page), and hooks the storage's flush onto every save. False (and
// *failure, one line) when the glyph table cannot be read.
bool WebHost_Install(const char** failure);

// Fixes the clock at a local date and time (the page's ?now=), from which
// it runs on with the page's time; false for a time that is no real one.
bool WebHost_SetNow(int year, int month, int mday, int hour, int minute);

// What the page's "download the iCalendar export" asks of the program: the
// export written to path; false when there is nothing to download.
using WebHostWriteFn = bool (*)(const char* path);
void WebHost_SetExportHook(WebHostWriteFn write);

// What the program writes on its output from Begin to Show is shown as one
// page dialog with title (nothing when it wrote nothing).
void WebHost_BeginOutput(const char* title);
void WebHost_ShowOutput();

// Writes the folder to the browser's storage and waits for it.
void WebHost_Flush();

// Tells the page that the application has ended with status.
void WebHost_Ended(int status);
