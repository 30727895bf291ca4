// What the velmo-cli commands share: the test clock ("--now"), dates and
// times on the command line, loading the working folder's data, and the one
// way a command writes the record file.
#pragma once

#include <string>
#include <string_view>

#include "calendar/Date.h"
#include "store/Store.h"

// Removes "--now YYYY-MM-DDTHH:MM" from the arguments and fixes the clock
// there; false (message printed) when its value is not such a time.
bool CliData_TakeNow(int& argc, char** argv, const char* command);

// YYYY-MM-DD between 1 January 1900 and 5 June 2079.
bool CliData_ParseDate(std::string_view text, DayNo& out);
// HH:MM, hours 0..24 (24 only with minute 0), minutes 0..59.
bool CliData_ParseTime(std::string_view text, int& hour, int& minute);
std::string CliData_DateText(DayNo day);
std::string CliData_TimeText(int hour, int minute);

// The entry's text, or its first line, as UTF-8 on one line (line feeds " / ").
std::string CliData_Text(const Entry& e);
// The label's name without the blanks that centre it (Shift-JIS).
std::string CliData_LabelName(std::uint16_t label);
// Label 0..4 by number or by name (UTF-8); -1 when there is none.
int CliData_FindLabel(std::string_view numberOrUtf8Name);
const char* CliData_KindWord(EntryKind kind);
// A schedule whose end time is 00:00 has no time.
bool CliData_HasTimes(const Entry& e);

// Start-up as Velmo does it, reading only, every label shown. False (message
// printed) when the record file is there but could not be read whole.
bool CliData_Load(const char* command);

// Exit statuses of the writing commands beyond 0 (done), 1 (failed) and 2 (usage).
inline constexpr int CLI_EXIT_LOCKED = 4;  // Velmo (or another writer) holds the record file

// The one way a command changes the record file: under the run lock, loads
// the working folder's data, lets add register its entries (false: nothing
// is written, add has told why), then saves as Velmo does (one backup per
// run, the file replaced whole), and then calls saved (when given) to write
// what belongs beside the record. Returns the exit status.
using CliAddFn = bool (*)(void* context);
int CliData_Write(const char* command, CliAddFn add, void* context, CliAddFn saved = nullptr);

// A fresh entry for the store: zeroed, size of a new entry, text and link
// copied into the pools. Null when the pools are full.
Entry* CliData_NewEntry(std::string_view sjisText, std::string_view link);
