#include "dialogs/Search.h"

#include <cassert>
#include <cstdio>
#include <cstring>

#include "Capacity.h"
#include "dialogs/Field.h"
#include "dialogs/FieldTable.h"
#include "dialogs/Notice.h"
#include "store/Find.h"
#include "store/Label.h"
#include "store/MonthRec.h"
#include "store/Store.h"
#include "toolkit/nw.h"
#include "views/Screen.h"
#include "views/View.h"

namespace {

constexpr int kSearchCapacity = static_cast<int>(cap::kSearchText);
constexpr int kTitleBytes = 32;

// "検索"
constexpr const char* kSearchTitle = "\x8c\x9f\x8d\xf5";
// "指定日にジャンプ"
constexpr const char* kJumpTitle = "\x8e\x77\x92\xe8\x93\xfa\x82\xc9\x83\x57\x83\x83\x83\x93\x83\x76";

constexpr DialogLayout kLayout{.width = 160, .height = 70, .titleY = 8, .ruleY = 30};
// In the middle of the screen (titleBar's origin).
constexpr ZebRect kDialogRect{(cap::kScreenWidth - kLayout.width) / 2, (cap::kScreenHeight - kLayout.height) / 2,
                              kLayout.width, kLayout.height};

// "範囲外の日付です\n%d年%d月%d日": a match the views cannot show.
constexpr const char* kOutsideFormat =
    "\x94\xcd\x88\xcd\x8a\x4f\x82\xcc\x93\xfa\x95\x74\x82\xc5\x82\xb7\n%d\x94\x4e%d\x8c\x8e%d\x93\xfa";

constexpr int kJumpFields[] = {ID_START_YEAR, ID_START_MONTH, ID_START_DAY};
constexpr int kJumpFieldCount = 3;

struct SearchState {
  char text[kSearchCapacity + 1];
  int length;
  std::uint16_t position;  // where the next scan starts; 0: no search to go on with
};

SearchState search;

nwDialog inputDialog;
FieldState fields{};  // its mode (search or jump) and its fields
char title[kTitleBytes];
nwEdit edits[kJumpFieldCount];
char searchBuffer[Field_BufferBytes(kSearchCapacity)];
char jumpBuffers[kJumpFieldCount][Field_BufferBytes(4)];

nwEdit& SearchEdit() { return edits[0]; }

int ChildCount() { return fields.mode == DLG_JUMP ? kJumpFieldCount : 1; }

void CreateEdit(nwEdit& edit, int id, char* buffer, const char* first) {
  const FieldRow* row = FieldTable_Row(id);
  assert(row != nullptr && row->input.capacity > 0 && "the dialog's fields are rows of the field table");
  const InputPlace& place = row->input;
  nwObject_Create(&edit, nwEdit_Handler, &inputDialog, &place.rect);
  nwEvent_SendTo(&edit, NW_SET_ID, id);
  Field_Init(fields, &edit, buffer, place.capacity, first);
}

void BuildSearch() {
  CreateEdit(SearchEdit(), ID_TEXT, searchBuffer, "");
  nwFocus_Set(&SearchEdit());
}

void BuildJump() {
  std::uint16_t year, month, mday;
  DayNo_ToDate(browse.cursorDate, year, month, mday);
  const int values[kJumpFieldCount] = {year, month, mday};
  for (int i = 0; i < kJumpFieldCount; ++i) {
    char first[8];
    std::snprintf(first, sizeof first, "%d", values[i]);
    CreateEdit(edits[i], kJumpFields[i], jumpBuffers[i], first);
    nwEvent_PostTo(&inputDialog, NW_SET_TAB_STOP, 0, 0, &edits[i]);
  }
  nwFocus_Set(&edits[0]);
}

void Build() {
  BrowseState_SetMode(MODE_WINDOW);
  Field_Reset(fields);
  Dialog_SetToolbar();
  if (fields.mode == DLG_JUMP) {
    BuildJump();
  } else {
    BuildSearch();
  }
}

void TearDown() {
  if (nwIme_IsOpen()) nwIme_Toggle();
  for (int i = 0; i < ChildCount(); ++i) nwObject_Destroy(&edits[i]);
  Screen_FillBrowseToolbar();
  BrowseState_SetMode(MODE_BROWSE);
}

void DrawFrame() {
  EntryLayout_DrawFrame(kDialogRect, kLayout, title);
  if (fields.mode != DLG_JUMP) return;
  for (int id : kJumpFields) {
    const InputPlace& place = FieldTable_Row(id)->input;
    Zeb_DrawText(nwContext, kDialogRect.x + place.rect.x + place.rect.w + CAPTION_GAP,
                 kDialogRect.y + place.rect.y + CAPTION_DROP, place.caption,
                 static_cast<int>(std::strlen(place.caption)));
  }
}

struct JumpRange {
  std::uint16_t minValue, maxValue;
};

// The jump fields take the cursor's range, so an accepted date is shown
// where it was typed: years of the cursor bounds, then months, then the
// days of the month typed.
JumpRange JumpRangeOf(int field) {
  std::uint16_t firstYear = 0, lastYear = 0, month = 0, mday = 0;
  DayNo_ToDate(VIEW_FIRST_DAY, firstYear, month, mday);
  DayNo_ToDate(VIEW_LAST_DAY, lastYear, month, mday);
  if (field == 0) return {firstYear, lastYear};
  if (field == 1) return {1, 12};
  const std::uint16_t length = Date_MonthLength(Field_Value(jumpBuffers[0]), Field_Value(jumpBuffers[1]));
  return {1, length != 0 ? length : std::uint16_t{31}};
}

// The first jump field outside its range goes back to its least value, the
// range message names the range and the field takes the focus again.
bool JumpFieldsInRange() {
  for (int i = 0; i < kJumpFieldCount; ++i) {
    const JumpRange range = JumpRangeOf(i);
    const std::uint16_t v = Field_Value(jumpBuffers[i]);
    if (v >= range.minValue && v <= range.maxValue) continue;
    Field_SetNumber(&edits[i], range.minValue);
    char text[64];
    std::snprintf(text, sizeof text, FIELD_RANGE_FORMAT, range.minValue, range.maxValue);
    // The box reaches past this dialog over the view: the view is drawn
    // again now, and the dialog over it by the redraw the box queued.
    if (Notice_Box(text, NOTICE_OK) != NOTICE_NO_ANSWER) View_RedrawAll();
    nwFocus_Set(&edits[i]);
    return false;
  }
  return true;
}

void Accept(nwObject* object) {
  if (fields.mode == DLG_JUMP && !JumpFieldsInRange()) return;
  nwEvent_PostTo(object, NW_END_MODAL, 1);
}

void PostRedrawToChildren(nwObject* object) {
  for (std::size_t slot = 0; slot < cap::kChildren; ++slot) {
    if (object->childUsed[slot]) nwEvent_PostTo(object->children[slot], NW_REDRAW);
  }
}

bool OnKey(nwObject* object, nwMessage* message) {
  switch (message->param) {
    case KEY_RETURN:
      Accept(object);
      return true;
    case KEY_ESCAPE:
      nwEvent_PostTo(object, NW_END_MODAL, 0);
      return true;
    case KEY_UP:
    case KEY_DOWN:
      if (fields.params.spinKind == SPIN_NONE) return true;
      Field_Step(fields, message->param == KEY_UP);
      return true;
    default:
      return nwDialog_Handler(object, message);
  }
}

bool OnCommand(nwObject* object, nwMessage* message) {
  switch (message->param) {
    case CMD_DIALOG_OK:
      Accept(object);
      return true;
    case CMD_DIALOG_CANCEL:
      nwEvent_PostTo(object, NW_END_MODAL, 0);
      return true;
    default:
      return false;
  }
}

bool InputDialog_Handler(nwObject* object, nwMessage* message) {
  switch (message->code) {
    case NW_CREATE:
      nwDialog_Handler(object, message);
      Build();
      return true;
    case NW_DESTROY:
      TearDown();
      return nwDialog_Handler(object, message);
    case NW_KEY_DOWN:
      return OnKey(object, message);
    case NW_COMMAND:
      return OnCommand(object, message);
    case NW_REDRAW:
      DrawFrame();
      // The frame covers the fields: a box that was over them ends with this.
      PostRedrawToChildren(object);
      return true;
    default:
      return nwDialog_Handler(object, message);
  }
}

// Runs the dialog in mode and returns the modal result (0: cancelled).
int RunDialog(DialogMode mode, const char* text) {
  std::snprintf(title, sizeof title, "%s", text);
  fields.mode = mode;
  nwObject_Create(&inputDialog, InputDialog_Handler, &titleBar, &kDialogRect);
  nwFocus_Set(&inputDialog);
  const int result = nwDialog_DoModal(&inputDialog);
  nwObject_Destroy(&inputDialog);
  nwEvent_PostTo(&mainArea, NW_REDRAW);
  return result;
}

void MoveCursorTo(DayNo day) {
  View_DestroyCurrent();
  View_MoveCursor(day);
  View_CreateCurrent();
  View_RedrawAll();
}

bool PassesLabel(const Entry& e) {
  if (browse.currentLabel == LABEL_COMMON) return true;
  // The custom selection shows what its flags say; search looks at the same.
  if (browse.currentLabel >= LABEL_CUSTOM) return Store_LabelVisible(e.label);
  return e.label == 0 || e.label == browse.currentLabel;
}

bool Contains(const Entry& e) { return Find_TextContains(e, search.text, search.length); }

// The cursor stays; search-next goes on after the entry.
void ShowOutside(DayNo day) {
  std::uint16_t year = 0, month = 0, mday = 0;
  DayNo_ToDate(day, year, month, mday);
  char text[64];
  std::snprintf(text, sizeof text, kOutsideFormat, year, month, mday);
  Notice_Show(text, NOTICE_OK);
}

void NotFound() {
  search.position = 0;
  Notice_Show(NOTICE_NOT_FOUND, NOTICE_OK);
}

// The date typed into the jump fields, or 0 when it is no real date.
DayNo TypedDate() {
  const std::uint16_t year = Field_Value(jumpBuffers[0]);
  const std::uint16_t month = Field_Value(jumpBuffers[1]);
  const std::uint16_t mday = Field_Value(jumpBuffers[2]);
  if (year < DATE_FIRST_YEAR || year > DATE_LAST_YEAR) return DAY_NONE;
  if (mday < 1 || mday > Date_MonthLength(year, month)) return DAY_NONE;
  // Day numbers end on 5 June 2079.
  if (year == DATE_LAST_YEAR && (month > 6 || (month == 6 && mday > 5))) return DAY_NONE;
  return Date_ToDayNo(year, month, mday);
}

}  // namespace

bool Search_FindNext() {
  for (Entry* e = Store_Next(search.position); e != nullptr; e = Store_Next(search.position)) {
    if (e->kind == KIND_DELETED || !PassesLabel(*e)) continue;
    if (!Contains(*e)) continue;
    const DayNo day = Entry_FirstDay(*e);
    if (day == DAY_NONE) continue;
    if (View_ClampDay(day) != day) {
      ShowOutside(day);
      return false;
    }
    MoveCursorTo(day);
    return true;
  }
  search.position = 0;
  return false;
}

bool Search_Start() {
  if (RunDialog(DLG_SEARCH, kSearchTitle) == 0) return false;
  const nwEdit& edit = SearchEdit();
  Search_Set(edit.text, edit.length);
  if (Search_FindNext()) return true;
  if (search.position == 0) NotFound();
  return false;
}

bool Search_Next() {
  if (search.length == 0 || search.position == 0) return false;
  if (Search_FindNext()) return true;
  if (search.position == 0) NotFound();
  return false;
}

bool Jump_ToDate() {
  if (RunDialog(DLG_JUMP, kJumpTitle) == 0) return false;
  const DayNo day = TypedDate();
  if (day == DAY_NONE) return false;
  MoveCursorTo(day);
  return true;
}

void Search_Set(const char* text, int length) {
  if (text == nullptr || length < 0) length = 0;
  if (length > kSearchCapacity) length = kSearchCapacity;
  std::memset(search.text, 0, sizeof search.text);
  if (length > 0) std::memcpy(search.text, text, static_cast<std::size_t>(length));
  search.length = length;
  search.position = 0;
}

std::uint16_t Search_Position() { return search.position; }

void Search_Reset() { Search_Set(nullptr, 0); }
