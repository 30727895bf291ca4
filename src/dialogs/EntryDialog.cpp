// The entry add/change dialog: a modal dialog over the browse screen whose
// fields depend on the kind of entry, and its handler: opening, keys,
// commands, accepting and cancelling. The fields' table and drawing are in
// EntryLayout, their values in EntryForm.
#include "dialogs/EntryDialog.h"

#include "dialogs/EntryForm.h"
#include "dialogs/EntryLayout.h"
#include "dialogs/Notice.h"
#include "files/Settings.h"
#include "graphics/ZebKey.h"
#include "store/MonthRec.h"
#include "views/Screen.h"

DialogState dialogState{};

namespace {

constexpr std::uint16_t kViewSmall = 12;  // the small screen's view

// "入力中の内容があります\n登録して終了しますか\nいいえ：破棄して終了"
constexpr const char* kAskOnClose =
    "\x93\xfc\x97\xcd\x92\x86\x82\xcc\x93\xe0\x97\x65\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb7\n"
    "\x93\x6f\x98\x5e\x82\xb5\x82\xc4\x8f\x49\x97\xb9\x82\xb5\x82\xdc\x82\xb7\x82\xa9\n"
    "\x82\xa2\x82\xa2\x82\xa6\x81\x46\x94\x6a\x8a\xfc\x82\xb5\x82\xc4\x8f\x49\x97\xb9";

EntryWidgets& w = entryWidgets;

// What the fields held when the dialog opened, to tell whether anything was
// typed since (FNV-1a over every editor's text).
std::uint32_t openedPrint = 0;

std::uint32_t FieldsPrint() {
  std::uint32_t h = 2166136261u;
  for (std::size_t slot = 0; slot < cap::kChildren; ++slot) {
    if (!w.dialog.childUsed[slot] || w.dialog.children[slot]->handler != nwEdit_Handler) continue;
    const auto* edit = static_cast<const nwEdit*>(w.dialog.children[slot]);
    for (int i = 0; i < edit->length; ++i) h = (h ^ static_cast<unsigned char>(edit->text[i])) * 16777619u;
    h = (h ^ 0xFFu) * 16777619u;  // a field's end, so moved bytes count
  }
  return h;
}

void SetImeOpen(bool open) {
  if (nwIme_IsOpen() != open) nwIme_Toggle();
}

void Build() {
  browse.screenMode = MODE_DIALOG;
  dialogState.frameVisible = true;
  dialogState.dialogAccepted = false;
  Field_Reset();
  Dialog_SetToolbar();
  EntryLayout_CreateChildren();
  EntryForm_Load();
  openedPrint = FieldsPrint();
  dialogState.knownStart = EntryForm_StartDate();
  if (Dialog_HasEndDate(dialogMode)) dialogState.knownEnd = EntryForm_EndDate();
  nwEvent_PostTo(&w.dialog, NW_KEY_DOWN, KEY_TAB, KEY_MOD_NONE);
  SetImeOpen(true);
}

void Teardown() {
  SetImeOpen(false);
  EntryLayout_DestroyChildren();
  Screen_FillBrowseToolbar();
  browse.screenMode = MODE_BROWSE;
}

void Close(bool accepted) {
  dialogState.frameVisible = false;
  dialogState.dialogAccepted = accepted;
  nwEvent_PostTo(&w.dialog, NW_END_MODAL, accepted ? 1 : 0);
}

bool Accept() {
  nwFocus_Set(&w.dialog);
  if (!EntryForm_Store()) return false;
  Close(true);
  return true;
}

// Cancelling keeps nothing, so the field left is not checked on the way out.
void Cancel() {
  Field_Dismiss();
  nwFocus_Set(&w.dialog);
  Close(false);
}

void FocusIf(bool present, nwObject* field) {
  if (present) nwFocus_Set(field);
}

bool OnKey(int key, int modifiers) {
  const bool ctrl = (modifiers & KEY_MOD_CTRL) != 0;
  if (key == KEY_RETURN) return Accept(), true;
  if (key == KEY_ESCAPE) return Cancel(), true;
  const int special = Key_Base(key);
  if (special == KEY_UP || special == KEY_DOWN) {
    if (fieldParams.spinKind == SPIN_NONE) return false;
    Field_Step(special == KEY_UP);
    return true;
  }
  if (!ctrl) return false;
  switch (key) {
    case 'd': nwFocus_Set(&w.text); return true;
    case 's': nwFocus_Set(&w.startYear); return true;
    case 'e': FocusIf(Dialog_HasEndDate(dialogMode), &w.endYear); return true;
    case 't': FocusIf(Dialog_IsScheduleMode(dialogMode), &w.startHour); return true;
    case 'r':
      FocusIf(Dialog_HasEndDate(dialogMode), &w.repeat);
      FocusIf(Dialog_IsTaskMode(dialogMode), &w.rank);
      return true;
    default: return false;
  }
}

// The user closes the window over typed text: keep it, drop it, or stay. The
// close goes on as the host's close once the dialog has ended.
void AskOnClose() {
  const int answer = Notice_Box(kAskOnClose, NOTICE_YES_NO_CANCEL);
  if (answer == NOTICE_YES && !Accept()) return;
  if (answer == NOTICE_NO) Cancel();
  if (answer == NOTICE_YES || answer == NOTICE_NO) Zeb_PushKey(KEY_HOST_CLOSE);
}

void OnCommand(int command) {
  if (command == CMD_CLOSE_REQUEST) return AskOnClose();
  if (command == CMD_DIALOG_OK) {
    Accept();
    return;
  }
  if (command == CMD_DIALOG_CANCEL) return Cancel();
  if (command >= CMD_DIALOG_LABEL0 && command <= CMD_DIALOG_LABEL0 + 4) {
    dialogState.dialogLabel = static_cast<std::uint16_t>(command - CMD_DIALOG_LABEL0);
    EntryForm_ShowLabel(dialogState.dialogLabel);
  }
}

// ---------------------------------------------------------------------------
// Opening

int ChooseLayout() {
  if (browse.currentView == kViewSmall) return LAYOUT_SMALL;
  return Settings_Get().useLargeDialog ? LAYOUT_LARGE : LAYOUT_NORMAL;
}

void Run(DialogMode mode) {
  dialogMode = mode;
  dialogState.layout = ChooseLayout();
  const ZebRect rect = EntryLayout_DialogRect();
  nwObject_Create(&w.dialog, EntryDialog_Handler, &titleBar, &rect);
  nwFocus_Set(&w.dialog);
  nwDialog_DoModal(&w.dialog);
  nwObject_Destroy(&w.dialog);
  nwEvent_PostTo(&mainArea, NW_REDRAW);
}

DialogMode ChangeMode(EntryKind kind) {
  if (kind == KIND_SCHEDULE) return DLG_CHANGE_SCHEDULE;
  if (kind == KIND_TASK) return DLG_CHANGE_TASK;
  return DLG_CHANGE_HOLIDAY;
}

}  // namespace

bool EntryDialog_Add(int command) {
  dialogState.dialogAccepted = false;
  dialogState.editedEntry = nullptr;
  switch (command) {
    case CMD_ADD_SCHEDULE: Run(DLG_ADD_SCHEDULE); break;
    case CMD_ADD_TASK: Run(DLG_ADD_TASK); break;
    case CMD_ADD_HOLIDAY: Run(DLG_ADD_HOLIDAY); break;
    default: break;
  }
  return true;
}

bool EntryDialog_Change(DayNo day, int index) {
  dialogState.dialogAccepted = false;
  Entry* e = index < 0 ? nullptr : MonthRec_EntryAt(day, static_cast<std::uint16_t>(index));
  dialogState.editedEntry = e;
  if (e != nullptr) Run(ChangeMode(e->kind));
  return true;
}

bool EntryDialog_Accepted() { return dialogState.dialogAccepted; }

bool EntryDialog_AskOnClose() {
  const bool asks = browse.screenMode == MODE_DIALOG && nwDialog_Depth() == 1 && !nwMessageBox_IsOpen() &&
                    dialogState.frameVisible && FieldsPrint() != openedPrint;
  return asks && nwEvent_PostTo(&w.dialog, NW_COMMAND, CMD_CLOSE_REQUEST);
}

bool EntryDialog_Handler(nwObject* object, nwMessage* message) {
  auto* field = nwMessage_Ptr<nwObject>(message);
  switch (message->code) {
    case NW_CREATE:
      nwDialog_Handler(object, message);
      Build();
      return true;
    case NW_DESTROY: Teardown(); return nwDialog_Handler(object, message);
    case NW_KEY_DOWN: return OnKey(message->param, message->param2) || nwDialog_Handler(object, message);
    case NW_COMMAND: OnCommand(message->param); return true;
    case NW_REDRAW:
      nwDialog_Handler(object, message);
      if (dialogState.frameVisible) EntryLayout_Draw();
      return dialogState.frameVisible;
    case NW_GAIN_FOCUS_NOTIFY: return Field_GainFocus(field);
    case NW_LOST_FOCUS_NOTIFY: return EntryForm_FieldLeft(field);
    case NW_EDIT_NOTIFY: return Field_AutoAdvance(field);
    default: return nwDialog_Handler(object, message);
  }
}
