// Commands that work on entries or the whole store, or open a dialog.
#pragma once

// A command handed on by the browse command handler; false = not handled.
bool ItemCommand_Command(int command);

// SPACE or RETURN while an item of the day list is selected.
bool ItemCommand_Key(int key);
