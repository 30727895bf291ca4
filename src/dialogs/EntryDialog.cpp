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

namespace {

constexpr std::uint16_t kViewSmall = 12;  // the small screen's view

// "入力中の内容があります\n登録して終了しますか\nいいえ：破棄して終了"
constexpr const char* kAskOnClose =
    "\x93\xfc\x97\xcd\x92\x86\x82\xcc\x93\xe0\x97\x65\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb7\n"
    "\x93\x6f\x98\x5e\x82\xb5\x82\xc4\x8f\x49\x97\xb9\x82\xb5\x82\xdc\x82\xb7\x82\xa9\n"
    "\x82\xa2\x82\xa2\x82\xa6\x81\x46\x94\x6a\x8a\xfc\x82\xb5\x82\xc4\x8f\x49\x97\xb9";

// The one entry dialog; opening it hands it on.
EntryDialog entryDialog{};

EntryDialog& Of(nwObject* object) { return *static_cast<EntryDialog*>(object); }

// What the fields hold, to tell whether anything was typed since the dialog
// opened (FNV-1a over every editor's text).
std::uint32_t FieldsPrint(const EntryDialog& d) {
  std::uint32_t h = 2166136261u;
  for (std::size_t slot = 0; slot < cap::kChildren; ++slot) {
    if (!d.childUsed[slot] || d.children[slot]->handler != nwEdit_Handler) continue;
    const auto* edit = static_cast<const nwEdit*>(d.children[slot]);
    for (int i = 0; i < edit->length; ++i) h = (h ^ static_cast<unsigned char>(edit->text[i])) * 16777619u;
    h = (h ^ 0xFFu) * 16777619u;  // a field's end, so moved bytes count
  }
  return h;
}

void SetImeOpen(bool open) {
  if (nwIme_IsOpen() != open) nwIme_Toggle();
}

void Build(EntryDialog& d) {
  BrowseState_SetMode(MODE_DIALOG);
  d.frameVisible = true;
  d.dialogAccepted = false;
  Field_Reset(d.fields);
  Dialog_SetToolbar();
  EntryLayout_CreateChildren(d);
  EntryForm_Load(d);
  d.openedPrint = FieldsPrint(d);
  d.knownStart = EntryForm_StartDate(d);
  if (Dialog_HasEndDate(d.fields.mode)) d.knownEnd = EntryForm_EndDate(d);
  nwEvent_PostTo(&d, NW_KEY_DOWN, KEY_TAB, KEY_MOD_NONE);
  SetImeOpen(true);
}

void Teardown(EntryDialog& d) {
  SetImeOpen(false);
  EntryLayout_DestroyChildren(d);
  Screen_FillBrowseToolbar();
  BrowseState_SetMode(MODE_BROWSE);
}

void Close(EntryDialog& d, bool accepted) {
  d.frameVisible = false;
  d.dialogAccepted = accepted;
  nwEvent_PostTo(&d, NW_END_MODAL, accepted ? 1 : 0);
}

bool Accept(EntryDialog& d) {
  nwFocus_Set(&d);
  if (!EntryForm_Store(d)) return false;
  Close(d, true);
  return true;
}

// Cancelling keeps nothing, so the field left is not checked on the way out.
void Cancel(EntryDialog& d) {
  Field_Dismiss(d.fields);
  nwFocus_Set(&d);
  Close(d, false);
}

void FocusIf(bool present, nwObject* field) {
  if (present) nwFocus_Set(field);
}

bool OnKey(EntryDialog& d, int key, int modifiers) {
  const bool ctrl = (modifiers & KEY_MOD_CTRL) != 0;
  if (key == KEY_RETURN) return Accept(d), true;
  if (key == KEY_ESCAPE) return Cancel(d), true;
  const int special = Key_Base(key);
  if (special == KEY_UP || special == KEY_DOWN) {
    if (d.fields.params.spinKind == SPIN_NONE) return false;
    Field_Step(d.fields, special == KEY_UP);
    return true;
  }
  if (!ctrl) return false;
  const DialogMode mode = d.fields.mode;
  EntryWidgets& w = d.w;
  switch (key) {
    case 'd': nwFocus_Set(&w.text); return true;
    case 's': nwFocus_Set(&w.startYear); return true;
    case 'e': FocusIf(Dialog_HasEndDate(mode), &w.endYear); return true;
    case 't': FocusIf(Dialog_IsScheduleMode(mode), &w.startHour); return true;
    case 'r':
      FocusIf(Dialog_HasEndDate(mode), &w.repeat);
      FocusIf(Dialog_IsTaskMode(mode), &w.rank);
      return true;
    default: return false;
  }
}

// The user closes the window over typed text: keep it, drop it, or stay. The
// close goes on as the host's close once the dialog has ended.
void AskOnClose(EntryDialog& d) {
  const int answer = Notice_Box(kAskOnClose, NOTICE_YES_NO_CANCEL);
  if (answer == NOTICE_YES && !Accept(d)) return;
  if (answer == NOTICE_NO) Cancel(d);
  if (answer == NOTICE_YES || answer == NOTICE_NO) Zeb_PushKey(KEY_HOST_CLOSE);
}

void OnCommand(EntryDialog& d, int command) {
  if (command == CMD_CLOSE_REQUEST) return AskOnClose(d);
  if (command == CMD_DIALOG_OK) {
    Accept(d);
    return;
  }
  if (command == CMD_DIALOG_CANCEL) return Cancel(d);
  if (command >= CMD_DIALOG_LABEL0 && command <= CMD_DIALOG_LABEL0 + 4) {
    d.dialogLabel = static_cast<std::uint16_t>(command - CMD_DIALOG_LABEL0);
    EntryForm_ShowLabel(d, d.dialogLabel);
  }
}

// ---------------------------------------------------------------------------
// Opening

int ChooseLayout() {
  if (browse.currentView == kViewSmall) return LAYOUT_SMALL;
  return Settings_Get().useLargeDialog ? LAYOUT_LARGE : LAYOUT_NORMAL;
}

// Runs the dialog in mode for the entry being changed (null: a new one);
// true when it was accepted.
bool Run(DialogMode mode, Entry* edited) {
  EntryDialog& d = entryDialog;
  d.fields.mode = mode;
  d.editedEntry = edited;
  d.dialogAccepted = false;
  d.layout = ChooseLayout();
  const ZebRect rect = EntryLayout_DialogRect(d);
  nwObject_Create(&d, EntryDialog_Handler, &titleBar, &rect);
  nwFocus_Set(&d);
  nwDialog_DoModal(&d);
  nwObject_Destroy(&d);
  nwEvent_PostTo(&mainArea, NW_REDRAW);
  return d.dialogAccepted;
}

DialogMode ChangeMode(EntryKind kind) {
  if (kind == KIND_SCHEDULE) return DLG_CHANGE_SCHEDULE;
  if (kind == KIND_TASK) return DLG_CHANGE_TASK;
  return DLG_CHANGE_HOLIDAY;
}

}  // namespace

bool EntryDialog_Add(int command) {
  switch (command) {
    case CMD_ADD_SCHEDULE: return Run(DLG_ADD_SCHEDULE, nullptr);
    case CMD_ADD_TASK: return Run(DLG_ADD_TASK, nullptr);
    case CMD_ADD_HOLIDAY: return Run(DLG_ADD_HOLIDAY, nullptr);
    default: return false;
  }
}

bool EntryDialog_Change(DayNo day, int index) {
  Entry* e = index < 0 ? nullptr : MonthRec_EntryAt(day, static_cast<std::uint16_t>(index));
  return e != nullptr && Run(ChangeMode(e->kind), e);
}

bool EntryDialog_AskOnClose() {
  EntryDialog& d = entryDialog;
  const bool asks = browse.screenMode == MODE_DIALOG && nwDialog_Depth() == 1 && !nwMessageBox_IsOpen() &&
                    d.frameVisible && FieldsPrint(d) != d.openedPrint;
  return asks && nwEvent_PostTo(&d, NW_COMMAND, CMD_CLOSE_REQUEST);
}

const EntryDialog& EntryDialog_Last() { return entryDialog; }

bool EntryDialog_Handler(nwObject* object, nwMessage* message) {
  EntryDialog& d = Of(object);
  auto* field = nwMessage_Ptr<nwObject>(message);
  switch (message->code) {
    case NW_CREATE:
      nwDialog_Handler(object, message);
      Build(d);
      return true;
    case NW_DESTROY: Teardown(d); return nwDialog_Handler(object, message);
    case NW_KEY_DOWN: return OnKey(d, message->param, message->param2) || nwDialog_Handler(object, message);
    case NW_COMMAND: OnCommand(d, message->param); return true;
    case NW_REDRAW:
      nwDialog_Handler(object, message);
      if (d.frameVisible) EntryLayout_Draw(d);
      return d.frameVisible;
    case NW_GAIN_FOCUS_NOTIFY: return Field_GainFocus(d.fields, field);
    case NW_LOST_FOCUS_NOTIFY: return EntryForm_FieldLeft(d, field);
    case NW_EDIT_NOTIFY: return Field_AutoAdvance(d.fields, field);
    default: return nwDialog_Handler(object, message);
  }
}
