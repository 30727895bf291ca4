#include "shell/ItemCommand.h"

// The item commands arrive with their own issue; until then none is taken.
bool ItemCommand_Command(int) { return false; }
bool ItemCommand_Key(int) { return false; }
