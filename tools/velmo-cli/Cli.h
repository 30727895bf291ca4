// velmo-cli commands. Each takes the arguments after the command name and
// returns the process exit status.
#pragma once

int Cli_Dump(int argc, char** argv);    // dump [FILE]: the record file as JSON Lines
int Cli_Agenda(int argc, char** argv);  // agenda ...: see Agenda.cpp
int Cli_ExportIcs(int argc, char** argv);  // export-ics [FILE]: see ExportIcs.cpp
int Cli_ImportIcs(int argc, char** argv);  // import-ics FILE [--dry-run]: see ImportIcs.cpp
int Cli_Add(int argc, char** argv);        // add ...: see Add.cpp
int Cli_Search(int argc, char** argv);     // search TEXT [--json]: see Find.cpp
int Cli_Upcoming(int argc, char** argv);   // upcoming ...: see Upcoming.cpp
