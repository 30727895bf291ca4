// velmo-cli commands. Each takes the arguments after the command name and
// returns the process exit status, one of the statuses below (the manual
// page velmo-cli(1) lists them too).
#pragma once

inline constexpr int CLI_EXIT_OK = 0;
inline constexpr int CLI_EXIT_NO_MATCH = 1;    // nothing matched, or refused for a reason told (a full table)
inline constexpr int CLI_EXIT_USAGE = 2;       // bad command, option or value
inline constexpr int CLI_EXIT_DAMAGED = 3;     // the record file could not be read whole
inline constexpr int CLI_EXIT_LOCKED = 4;      // Velmo (or another writer) holds the record file
inline constexpr int CLI_EXIT_NO_RECORD = 5;   // the folder holds no record file to read
inline constexpr int CLI_EXIT_NOT_WRITTEN = 6; // the record file or standard output could not be written
inline constexpr int CLI_EXIT_NO_FOLDER = 7;   // the data folder cannot be made or entered
// sync's own meanings of 1, 5 and 6.
inline constexpr int CLI_EXIT_SYNC_CONFLICTS = 1;  // synced, with versions kept as copies
inline constexpr int CLI_EXIT_SYNC_SERVER = 5;     // the server, the network or the credentials failed
inline constexpr int CLI_EXIT_SYNC_DECIDE = 6;     // stopped for a decision (--init, --force-delete)

int Cli_Dump(int argc, char** argv);       // dump [FILE]: the record file as JSON Lines
int Cli_Agenda(int argc, char** argv);     // agenda ...: see Agenda.cpp
int Cli_ExportIcs(int argc, char** argv);  // export-ics [FILE]: see ExportIcs.cpp
int Cli_ImportIcs(int argc, char** argv);  // import-ics FILE [--dry-run]: see ImportIcs.cpp
int Cli_Add(int argc, char** argv);        // add ...: see Add.cpp
int Cli_Search(int argc, char** argv);     // search TEXT [--json] [-i]: see Find.cpp
int Cli_Upcoming(int argc, char** argv);   // upcoming ...: see Upcoming.cpp
int Cli_Where(int argc, char** argv);      // where: the data folder, see main.cpp
int Cli_Sync(int argc, char** argv);       // sync ...: see Sync.cpp
