// What the velmo-cli commands share: the data folder, the test clock
// ("--now"), dates and times on the command line, loading the folder's data,
// the one way a command writes the record file, and the end of the output.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "Cli.h"
#include "calendar/Date.h"
#include "store/Store.h"

// --folder's value (null: none), before any command runs.
void CliData_SetFolderOption(const char* folder);
// Prints the data folder as an absolute path; false (message printed) when none.
bool CliData_PrintFolder();
// Makes the data folder the working directory, once; false (message
// printed) when it cannot be made or entered.
bool CliData_EnterFolder(const char* command);
// A file named on the command line as the shell meant it, before the data
// folder is entered: relative names become absolute.
std::string CliData_UserPath(const char* file);

// Flushes standard output: CLI_EXIT_OK, or CLI_EXIT_NOT_WRITTEN with a
// message when a byte of it could not be written (a full disk, /dev/full).
int CliData_Written();

// Removes "--now YYYY-MM-DDTHH:MM" from the arguments and fixes the clock
// there; false (message printed) when its value is not such a time.
bool CliData_TakeNow(int& argc, char** argv, const char* command);

// YYYY-MM-DD between 1 January 1900 and 5 June 2079. On false, why (when
// given) says what is wrong ("2024-02 has 29 days").
bool CliData_ParseDate(std::string_view text, DayNo& out, std::string* why = nullptr);
// Whether the dialogs could change an entry on this day (their years); on
// false, why says so.
bool CliData_DialogDate(DayNo day, std::string* why);
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

// Start-up as Velmo does it in the data folder, reading only, every label
// shown: CLI_EXIT_OK (a missing record file is empty), or the status
// (message printed): no folder, damaged.
int CliData_Load(const char* command);
// The same for a command that reads the record file: a missing one is
// CLI_EXIT_NO_RECORD too.
int CliData_Read(const char* command);
// "no record file in FOLDER (NAME)" on standard error; CLI_EXIT_NO_RECORD.
int CliData_NoRecord(const char* command);

// The one way a command changes the record file: under the run lock, loads
// the working folder's data, lets add register its entries (false: nothing
// is written, add has told why), then saves as Velmo does (one backup per
// run, the file replaced whole), and then calls saved (when given) to write
// what belongs beside the record. Returns the exit status: CLI_EXIT_OK only
// when every file was written.
using CliAddFn = bool (*)(void* context);
int CliData_Write(const char* command, CliAddFn add, void* context, CliAddFn saved = nullptr);

// A fresh entry for the store: zeroed, size of a new entry, text and link
// copied into the pools. Null when the pools are full.
Entry* CliData_NewEntry(std::string_view sjisText, std::string_view link);
