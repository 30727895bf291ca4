// The browse screen's two handlers of the main area: keys become commands or
// synthetic keys, commands move between views, change the label filter or are
// handed to the item commands.
#pragma once

// A KeyDown after the key filter: key code and modifier (0, 1 CTRL, 2 SHIFT,
// 3 CTRL+SHIFT). Returns whether a handler took it; the main area ignores it.
bool Browse_Key(int key, int modifiers);

// A Command: true when handled here, by the item commands or by the view.
bool Browse_Command(int command);
