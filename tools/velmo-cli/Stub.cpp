#include "Cli.h"
int Cli_Add(int, char**) { return 1; }
int Cli_Search(int, char**) { return 1; }
int Cli_Upcoming(int, char**) { return 1; }
