#include "shell/Browse.h"

#include <cstdint>

#include "files/Settings.h"
#include "graphics/ZebKey.h"
#include "shell/ItemCommand.h"
#include "shell/Quit.h"
#include "shell/Shell.h"
#include "store/Label.h"
#include "store/MonthRec.h"
#include "toolkit/nw.h"
#include "views/View.h"

namespace {

// Which modifiers a key row accepts: one bit per modifier value 0..3.
constexpr std::uint8_t M_NONE = 1u << KEY_MOD_NONE;
constexpr std::uint8_t M_CTRL_ONLY = 1u << KEY_MOD_CTRL;
constexpr std::uint8_t M_SHIFT = 1u << KEY_MOD_SHIFT;
constexpr std::uint8_t M_CTRL_SHIFT = 1u << KEY_MOD_CTRL_SHIFT;
constexpr std::uint8_t M_CTRL = M_CTRL_ONLY | M_CTRL_SHIFT;  // with or without SHIFT
constexpr std::uint8_t M_ANY = M_NONE | M_CTRL | M_SHIFT;

enum Action : std::uint8_t {
  A_COMMAND,        // post Command arg to the main area
  A_KEY,            // post KeyDown arg to the main area
  A_QUIT,           // quit (asking first when changes could not be saved)
  A_TAKE,           // nothing, but taken
  A_SPACE,          // done toggle of a selected item, then the view
  A_RETURN,         // change the selected item, or the RETURN toggle
  A_RETURN_TOGGLE,
  A_REVERSE_TOGGLE,
  A_PAGE,           // key arg with SelectItemByPageUpDown, else the view
};

struct KeyRow {
  int key;
  std::uint8_t modifiers;
  Action action;
  int arg;
};

// First matching row wins, so the CTRL+SHIFT rows come before their CTRL rows.
constexpr KeyRow kKeys[] = {
    {'t', M_NONE | M_SHIFT, A_COMMAND, CMD_ADD_TASK},
    {'s', M_NONE | M_SHIFT, A_COMMAND, CMD_ADD_SCHEDULE},
    {'s', M_CTRL, A_COMMAND, CMD_SAVE},
    {'h', M_NONE, A_COMMAND, CMD_ADD_HOLIDAY},
    {'f', M_NONE, A_COMMAND, CMD_SEARCH},
    {'f', M_CTRL, A_KEY, KEY_RIGHT},
    {'g', M_NONE, A_COMMAND, CMD_SEARCH_NEXT},
    {'j', M_NONE, A_COMMAND, CMD_JUMP},
    {'j', M_CTRL, A_RETURN_TOGGLE, 0},
    {'c', M_NONE, A_COMMAND, CMD_CALENDAR},
    {'c', M_CTRL, A_COMMAND, CMD_COPY},
    {'d', M_NONE, A_COMMAND, CMD_CHANGE_SIZE},
    {'d', M_CTRL, A_KEY, KEY_DELETE},
    {'v', M_NONE, A_COMMAND, CMD_VERSION},
    {'v', M_CTRL, A_COMMAND, CMD_PASTE},
    {'x', M_CTRL, A_COMMAND, CMD_CUT},
    {'l', M_CTRL, A_COMMAND, CMD_NOW},
    {'b', M_CTRL, A_KEY, KEY_LEFT},
    {'p', M_NONE, A_KEY, VIEW_KEY_PREV_ITEM},
    {'p', M_CTRL_SHIFT, A_KEY, VIEW_KEY_HOURS_SHRINK},
    {'p', M_CTRL, A_KEY, KEY_UP},
    {'n', M_NONE, A_KEY, VIEW_KEY_NEXT_ITEM},
    {'n', M_CTRL_SHIFT, A_KEY, VIEW_KEY_HOURS_EXTEND},
    {'n', M_CTRL, A_KEY, KEY_DOWN},
    {'q', M_NONE, A_QUIT, 0},
    {'m', M_NONE, A_COMMAND, CMD_UNUSED_M},
    {'?', M_NONE, A_COMMAND, CMD_HELP_KEY},
    {'0', M_NONE, A_COMMAND, CMD_LABEL_ALL},
    {'1', M_NONE, A_COMMAND, CMD_LABEL_ALL + 1},
    {'2', M_NONE, A_COMMAND, CMD_LABEL_ALL + 2},
    {'3', M_NONE, A_COMMAND, CMD_LABEL_ALL + 3},
    {'4', M_NONE, A_COMMAND, CMD_LABEL_4},
    {'9', M_NONE, A_COMMAND, CMD_LABEL_CUSTOM},
    {KEY_ESCAPE, M_ANY, A_TAKE, 0},
    {KEY_SPACE, M_ANY, A_SPACE, 0},
    {KEY_RETURN, M_NONE, A_RETURN, 0},
    {KEY_UP, M_CTRL_ONLY, A_KEY, VIEW_KEY_PREV_ITEM},
    {KEY_DOWN, M_CTRL_ONLY, A_KEY, VIEW_KEY_NEXT_ITEM},
    {KEY_PAGEUP, M_ANY, A_PAGE, VIEW_KEY_PREV_ITEM},
    {KEY_PAGEDOWN, M_ANY, A_PAGE, VIEW_KEY_NEXT_ITEM},
    {KEY_INSERT, M_ANY, A_REVERSE_TOGGLE, 0},
    {KEY_DELETE, M_ANY, A_COMMAND, CMD_DELETE},
};

const KeyRow* FindKey(int key, int modifiers) {
  if (modifiers < KEY_MOD_NONE || modifiers > KEY_MOD_CTRL_SHIFT) return nullptr;
  const std::uint8_t bit = static_cast<std::uint8_t>(1u << modifiers);
  for (const KeyRow& row : kKeys) {
    if (row.key == key && (row.modifiers & bit) != 0) return &row;
  }
  return nullptr;
}

void PostCommand(int command) { nwEvent_PostTo(&mainArea, NW_COMMAND, command); }

void PostKey(int key) { nwEvent_PostTo(&mainArea, NW_KEY_DOWN, key, KEY_MOD_NONE); }

void RunToggle(bool reverse) {
  const ViewRow* row = View_Row(browse.currentView);
  if (row == nullptr) return;
  const int command = reverse ? row->onReverse : row->onReturn;
  if (command == VIEW_GO_BACK) {
    View_GoBack();
  } else {
    PostCommand(command);
  }
}

bool RunKeyRow(const KeyRow& row, int key, int modifiers) {
  switch (row.action) {
    case A_COMMAND: PostCommand(row.arg); return true;
    case A_KEY: PostKey(row.arg); return true;
    case A_QUIT: Quit_Ask(); return true;
    case A_TAKE: return true;
    case A_SPACE:
      if (browse.selectionState == VIEW_SEL_ITEM) ItemCommand_Key(KEY_SPACE);
      View_Key(key, modifiers);
      return true;
    case A_RETURN:
      if (browse.selectionState == VIEW_SEL_ITEM) {
        ItemCommand_Key(KEY_RETURN);
      } else {
        RunToggle(false);
      }
      return true;
    case A_RETURN_TOGGLE: RunToggle(false); return true;
    case A_REVERSE_TOGGLE: RunToggle(true); return true;
    case A_PAGE:
      if (Settings_Get().selectItemByPageUpDown != 0) {
        PostKey(row.arg);
        return true;
      }
      return View_Key(key, modifiers);
  }
  return false;
}

void Now() {
  const int hour = Shell_ReadToday();
  BrowseState_SetCursorDate(View_ClampDay(browse.today));
  BrowseState_SetCursorHour(static_cast<std::uint16_t>(hour));
}

bool SelectLabel(int command) {
  if (command == CMD_LABEL_CUSTOM) {
    BrowseState_SetLabel(LABEL_CUSTOM);
    Settings_ApplyCustomLabels();
  } else {
    BrowseState_SetLabel(static_cast<std::uint16_t>(command - CMD_LABEL_ALL));
    Store_SelectLabel(browse.currentLabel);
  }
  if (browse.selectionState == VIEW_SEL_ITEM) View_RefreshAfterEdit();
  View_RedrawAll();
  return true;
}

}  // namespace

bool Browse_Key(int key, int modifiers) {
  if (const KeyRow* row = FindKey(key, modifiers)) return RunKeyRow(*row, key, modifiers);
  const int base = Key_Base(key);
  if (base != key) {
    const KeyRow* row = FindKey(base, modifiers);
    if (row != nullptr && row->modifiers == M_ANY) return RunKeyRow(*row, key, modifiers);
  }
  return View_Key(key, modifiers);
}

bool Browse_Command(int command) {
  switch (command) {
    case CMD_CHANGE_SIZE:
    case CMD_CHANGE_SIZE_ALT: return View_ChangeSize();
    case CMD_NOW: Now(); return View_Command(command);
    case CMD_CALENDAR:
    case CMD_CALENDAR_ALT: return View_SwitchTo(browse.monthView);
    case CMD_WEEKS:
    case CMD_WEEKS_ALT: return View_SwitchTo(browse.weeksView);
    case CMD_WEEK:
    case CMD_WEEK_ALT: return View_SwitchTo(browse.weekView);
    case CMD_DAY:
    case CMD_DAY_ALT: return View_SwitchTo(browse.dayView);
    case CMD_NOTHING: return true;
    default: break;
  }
  if ((command >= CMD_LABEL_ALL && command <= CMD_LABEL_4) || command == CMD_LABEL_CUSTOM) {
    return SelectLabel(command);
  }
  if (ItemCommand_Takes(command)) return ItemCommand_Command(command);
  return View_Command(command);
}
