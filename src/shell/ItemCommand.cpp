#include "shell/ItemCommand.h"

#include <cstdint>
#include <cstring>

#include "dialogs/EntryDialog.h"
#include "dialogs/Notice.h"
#include "dialogs/Search.h"
#include "files/Csv.h"
#include "files/Euc.h"
#include "files/Identity.h"
#include "files/Save.h"
#include "graphics/ZebKey.h"
#include "shell/Help.h"
#include "shell/Shell.h"
#include "store/MonthRec.h"
#include "views/View.h"

namespace {

Clipboard clipboard{nullptr, 0};

bool ItemSelected() { return browse.selectionState == VIEW_SEL_ITEM; }

Entry* EntryAt(DayNo day, int index) {
  if (index < 0 || index > UINT16_MAX) return nullptr;
  return MonthRec_EntryAt(day, static_cast<std::uint16_t>(index));
}

void RefreshAndRedraw() {
  View_RefreshAfterEdit();
  View_RedrawAll();
}

// Copies length bytes into fresh pool space; a length of 0 gives null.
bool DuplicateBytes(const char* from, std::uint16_t length, char*& to) {
  to = nullptr;
  if (length == 0) return true;
  if (from == nullptr) return false;
  to = Store_AllocBytes(length);
  if (to == nullptr) return false;
  std::memcpy(to, from, length);
  return true;
}

bool DuplicateDone(const Entry& from, Entry& to) {
  to.done = nullptr;
  if (from.doneLen == 0) return true;
  if (from.done == nullptr) return false;
  to.done = Store_AllocWords((from.doneLen + 1u) / 2u);
  if (to.done == nullptr) return false;
  std::memcpy(to.done, from.done, from.doneLen);
  return true;
}

// Moves the dates to day; false when the range would leave the day numbers.
bool MoveDates(Entry& e, DayNo day) {
  if (e.kind == KIND_TASK) {
    e.startDay = day;
    // A done task shows only on its done day; keep it on the day pasted so
    // it is not left before its own start, where no view could show it.
    if (e.doneLen >= 2) e.done[0] = day;
    return true;
  }
  if (e.endDay == DAY_OPEN_END) {
    e.startDay = day;
    return true;
  }
  const std::int32_t end = std::int32_t{day} + (std::int32_t{e.endDay} - std::int32_t{e.startDay});
  if (end < day || end >= DAY_OPEN_END) return false;
  e.startDay = day;
  e.endDay = static_cast<DayNo>(end);
  return true;
}

void ReanchorRepeat(Entry& e, DayNo day) {
  if (e.repeat == REPEAT_NONE) return;
  std::uint16_t year = 0, month = 0, mday = 0;
  DayNo_ToDate(day, year, month, mday);
  const std::uint8_t weekday = WeekdayBit(DayNo_Weekday(day));
  switch (e.repeat) {
    case REPEAT_WEEKS:
      e.weekMask = weekday;
      break;
    case REPEAT_MONTH_WEEKDAY:
    case REPEAT_YEAR_WEEKDAY:
      e.weekMask = Date_RuleWeekBit(mday, Date_MonthLength(year, month));
      e.weekdayMask = weekday;
      break;
    default:
      break;
  }
}

// The add commands and their alternatives open the dialog by 3020..3022.
int AddCommand(int command) {
  switch (command) {
    case CMD_ADD_SCHEDULE_ALT: return CMD_ADD_SCHEDULE;
    case CMD_ADD_TASK_ALT: return CMD_ADD_TASK;
    case CMD_ADD_HOLIDAY_ALT: return CMD_ADD_HOLIDAY;
    default: return command;
  }
}

bool Add(int command) {
  if (EntryDialog_Add(AddCommand(command))) RefreshAndRedraw();
  return true;
}

bool Cut(int) {
  if (ItemSelected() && ItemCommand_Cut(browse.cursorDate, View_SelectedIndex())) RefreshAndRedraw();
  return true;
}

bool Copy(int) {
  if (ItemSelected()) ItemCommand_Copy(browse.cursorDate, View_SelectedIndex());
  return true;
}

// A change the store refused (a full table or pool) is told, as the dialogs do.
void Refused() { Notice_Show(NOTICE_FAILED, NOTICE_OK); }

bool Paste(int) {
  if (clipboard.entry == nullptr) return true;  // nothing to paste
  if (ItemCommand_Paste(browse.cursorDate)) {
    RefreshAndRedraw();
  } else {
    Refused();
  }
  return true;
}

bool Delete(int) {
  if (!ItemSelected()) return false;
  if (!Notice_Confirm(NOTICE_DELETE_CONFIRM)) return true;
  if (Entry_DeleteAt(browse.cursorDate, View_SelectedIndex())) RefreshAndRedraw();
  return true;
}

bool Export(int) {
  if (Notice_Confirm(NOTICE_CSV_CONFIRM)) {
    Notice_Show(Csv_Export() ? NOTICE_CSV_DONE : NOTICE_FAILED, NOTICE_OK);
  }
  return View_Command(CMD_EXPORT);
}

bool ConvertToEuc(int) {
  if (!Notice_Confirm(NOTICE_EUC_CONFIRM)) return true;
  // Texts that could not be converted are told; the others are converted.
  const bool converted = Euc_ConvertAll();
  Notice_Show(converted ? NOTICE_EUC_DONE : NOTICE_FAILED, NOTICE_OK);
  RefreshAndRedraw();
  return true;
}

bool NotImplemented(int command) {
  Notice_NotImplemented();
  return View_Command(command);
}

bool ToggleDone() {
  const int index = View_SelectedIndex();
  const Entry* e = EntryAt(browse.cursorDate, index);
  if (e == nullptr || e->kind != KIND_TASK) return true;  // only tasks have a done mark
  if (Entry_ToggleDone(browse.cursorDate, static_cast<std::uint16_t>(index))) {
    RefreshAndRedraw();
  } else {
    Refused();
  }
  return true;
}

bool Change() {
  if (EntryDialog_Change(browse.cursorDate, View_SelectedIndex())) RefreshAndRedraw();
  return true;
}

bool OpenHelp(int) { return Help_Open(); }

// A command taken whatever its action reports (the action tells the user).
template <auto Action>
bool Taken(int) {
  Action();
  return true;
}

struct ItemCommandRow {
  int command;
  bool (*handler)(int command);
};

// Every command the browse handler hands here, each *_ALT beside its command.
constexpr ItemCommandRow kItemCommands[] = {
    {CMD_HELP, OpenHelp},
    {CMD_HELP_KEY, OpenHelp},
    {CMD_NOT_IMPLEMENTED, NotImplemented},
    {CMD_NOT_IMPLEMENTED_2, NotImplemented},
    {CMD_NOT_IMPLEMENTED_3, NotImplemented},
    {CMD_JUMP, Taken<Jump_ToDate>},
    {CMD_SEARCH, Taken<Search_Start>},
    {CMD_SEARCH_ALT, Taken<Search_Start>},
    {CMD_SEARCH_NEXT, Taken<Search_Next>},
    {CMD_SEARCH_NEXT_ALT, Taken<Search_Next>},
    {CMD_ADD_SCHEDULE, Add},
    {CMD_ADD_SCHEDULE_ALT, Add},
    {CMD_ADD_TASK, Add},
    {CMD_ADD_TASK_ALT, Add},
    {CMD_ADD_HOLIDAY, Add},
    {CMD_ADD_HOLIDAY_ALT, Add},
    {CMD_TO_EUC, ConvertToEuc},
    {CMD_SAVE, Taken<Data_SaveCommand>},
    {CMD_CUT, Cut},
    {CMD_COPY, Copy},
    {CMD_PASTE, Paste},
    {CMD_DELETE, Delete},
    {CMD_VERSION, Taken<Notice_Version>},
    {CMD_EXPORT, Export},
};

const ItemCommandRow* FindCommand(int command) {
  for (const ItemCommandRow& row : kItemCommands) {
    if (row.command == command) return &row;
  }
  return nullptr;
}

}  // namespace

bool ItemCommand_Takes(int command) { return FindCommand(command) != nullptr; }

bool ItemCommand_Command(int command) {
  const ItemCommandRow* row = FindCommand(command);
  return row != nullptr && row->handler(command);
}

bool ItemCommand_Key(int key) {
  if (!ItemSelected()) return false;
  switch (key) {
    case KEY_SPACE: return ToggleDone();
    case KEY_RETURN: return Change();
    default: return false;
  }
}

bool ItemCommand_Cut(DayNo day, int index) {
  Entry* e = EntryAt(day, index);
  if (e == nullptr) return false;
  clipboard = {e, e->kind};
  Store_Delete(e);
  Data_Changed();
  return true;
}

bool ItemCommand_Copy(DayNo day, int index) {
  const Entry* e = EntryAt(day, index);
  if (e == nullptr) return false;
  clipboard = {e, e->kind};
  return true;
}

bool ItemCommand_Paste(DayNo day) {
  if (clipboard.entry == nullptr || day == DAY_NONE) return false;
  const Entry& from = *clipboard.entry;
  Entry* e = Store_AllocEntries(1);
  if (e == nullptr) return false;
  *e = from;
  e->size = ENTRY_NEW_SIZE;
  e->kind = clipboard.kind;
  // The extra words are shared: nothing but the record file reads them.
  if (!DuplicateBytes(from.text, from.textLen, e->text)) return false;
  if (!DuplicateBytes(from.link, from.linkLen, e->link)) return false;
  if (!DuplicateDone(from, *e)) return false;
  if (!MoveDates(*e, day)) return false;
  ReanchorRepeat(*e, day);
  if (!Store_Register(e)) return false;
  // A cut entry pasted is the same item moved; a copy is a new one.
  if (from.kind == KIND_DELETED) Identity_Inherit(e, &from);
  Data_Changed();
  return true;
}

const Clipboard& ItemCommand_Clipboard() { return clipboard; }

void ItemCommand_ClearClipboard() { clipboard = {nullptr, 0}; }
