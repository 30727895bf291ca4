// velmo-cli commands. Each takes the arguments after the command name and
// returns the process exit status.
#pragma once

int Cli_Dump(int argc, char** argv);    // dump [FILE]: the record file as JSON Lines
int Cli_Agenda(int argc, char** argv);  // agenda ...: see Agenda.cpp
