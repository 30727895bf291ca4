// Numeric, date and time fields: ranges, stepping, automatic advance and the
// dialog toolbar.
#include "dialogs/Field.h"

#include <array>
#include <cassert>
#include <cstdio>
#include <cstring>

#include "calendar/Date.h"
#include "dialogs/FieldTable.h"
#include "dialogs/Notice.h"
#include "store/Label.h"
#include "views/Screen.h"

DialogMode dialogMode = DLG_NONE;
FieldParams fieldParams{};
nwObject* refocusField = nullptr;
bool valueInvalid = false;
bool checkBusy = false;
bool checksOff = false;

// "  決定  "
const char* const DIALOG_OK_TEXT = "  \x8c\x88\x92\xe8  ";
// "  取消  "
const char* const DIALOG_CANCEL_TEXT = "  \x8e\xe6\x8f\xc1  ";
// "値が不正です\n%d から %d まで"
const char* const FIELD_RANGE_FORMAT =
    "\x92\x6c\x82\xaa\x95\x73\x90\xb3\x82\xc5\x82\xb7\n%d \x82\xa9\x82\xe7 %d \x82\xdc\x82\xc5";

namespace {

struct KnownField {
  nwObject* object;
  char* buffer;
};

std::array<KnownField, cap::kDialogFields> known{};
std::size_t knownCount = 0;

const FieldRule* RuleOf(int id) {
  const FieldRow* row = FieldTable_Row(id);
  return row != nullptr && row->rule ? &*row->rule : nullptr;
}

bool IsEditor(const nwObject* object) {
  return object != nullptr && object->handler == nwEdit_Handler;
}

KnownField* Known(const nwObject* field) {
  for (std::size_t i = 0; i < knownCount; ++i) {
    if (known[i].object == field) return &known[i];
  }
  return nullptr;
}

// Only a value the user typed may advance the focus. A text the program
// wrote (an order fix, a reset, a step, a first value) notifies later, when
// the focus may already be on that very field; the editor tells the two
// apart by what made its last change.
bool ChangedByProgram(const nwObject* editor) {
  return !IsEditor(editor) || static_cast<const nwEdit*>(editor)->typed == 0;
}

// A month outside 1..12 has no length; its own check reports it, so the day
// is held to the longest month meanwhile rather than to an empty range.
std::uint16_t DayLimit(int yearId, int monthId) {
  const std::uint16_t length = Date_MonthLength(Field_ValueOf(yearId), Field_ValueOf(monthId));
  return length != 0 ? length : 31;
}

int SuccessorOf(int id) {
  const FieldRule* rule = RuleOf(id);
  if (rule == nullptr) return 0;
  return rule->successorByMode != nullptr ? rule->successorByMode() : rule->successor;
}

std::uint16_t MaxOf(int id, const FieldRule& rule) {
  if (id == ID_START_DAY) return DayLimit(ID_START_YEAR, ID_START_MONTH);
  if (id == ID_END_DAY) return DayLimit(ID_END_YEAR, ID_END_MONTH);
  return rule.maxValue;
}

const KnownField* KnownOf(int id) {
  for (std::size_t i = 0; i < knownCount; ++i) {
    if (known[i].object != nullptr && known[i].object->id == id) return &known[i];
  }
  return nullptr;
}

char* BufferOf(const KnownField* field) {
  if (field == nullptr) return nullptr;
  if (field->buffer != nullptr) return field->buffer;
  return IsEditor(field->object) ? static_cast<nwEdit*>(field->object)->text : nullptr;
}

bool IsComplete(const FieldRule& rule, std::uint16_t v) {
  switch (rule.complete) {
    case FieldComplete::AtMin: return v >= rule.minValue;
    case FieldComplete::AtLeast: return v >= rule.threshold;
    case FieldComplete::ZeroOrAtLeast: return v == 0 || v >= rule.threshold;
    case FieldComplete::Never: return false;
  }
  return false;
}

// A key that left the selection standing (a backspace before it) changed
// nothing: a typed change never leaves a selection behind.
bool SelectionStands(const nwObject* editor) {
  return IsEditor(editor) && static_cast<const nwEdit*>(editor)->mark > 0;
}

void SelectAll(nwObject* field) { nwEvent_PostTo(field, NW_SET_CURSOR, 0, -1); }

void MatchInputMethod(int id) {
  const bool wanted = id == ID_TEXT;
  if (nwIme_IsOpen() != wanted) nwIme_Toggle();
}

std::uint16_t StepQuarter(std::uint16_t v, bool up) {
  const int q = v / 15 * 15;
  if (up) return static_cast<std::uint16_t>((q + 15) % 60);
  return static_cast<std::uint16_t>(q == 0 ? 45 : q - 15);
}

// The stepped value, or -1 for no change.
int Stepped(std::uint16_t v, bool up) {
  switch (fieldParams.spinKind) {
    case SPIN_STEP:
      if (up) return v >= fieldParams.maxValue ? -1 : v + 1;
      return v <= fieldParams.minValue ? -1 : v - 1;
    case SPIN_QUARTER: return StepQuarter(v, up);
    default: return -1;
  }
}

struct ToolbarSlot {
  int slot;
  int command;
};

constexpr std::array<ToolbarSlot, 5> kLabelSlots{{
    {5, CMD_DIALOG_LABEL0}, {6, CMD_DIALOG_LABEL0 + 1}, {7, CMD_DIALOG_LABEL0 + 2},
    {8, CMD_DIALOG_LABEL0 + 3}, {9, CMD_DIALOG_LABEL4},
}};

}  // namespace

bool Dialog_IsTaskMode(DialogMode mode) { return mode == DLG_ADD_TASK || mode == DLG_CHANGE_TASK; }
bool Dialog_IsScheduleMode(DialogMode mode) { return mode == DLG_ADD_SCHEDULE || mode == DLG_CHANGE_SCHEDULE; }
bool Dialog_IsHolidayMode(DialogMode mode) { return mode == DLG_ADD_HOLIDAY || mode == DLG_CHANGE_HOLIDAY; }
bool Dialog_HasEndDate(DialogMode mode) { return Dialog_IsScheduleMode(mode) || Dialog_IsHolidayMode(mode); }
bool Dialog_IsAddMode(DialogMode mode) {
  return mode == DLG_ADD_TASK || mode == DLG_ADD_SCHEDULE || mode == DLG_ADD_HOLIDAY;
}
bool Dialog_IsChangeMode(DialogMode mode) {
  return mode == DLG_CHANGE_TASK || mode == DLG_CHANGE_SCHEDULE || mode == DLG_CHANGE_HOLIDAY;
}

void Field_Reset() {
  fieldParams = FieldParams{};
  refocusField = nullptr;
  valueInvalid = false;
  checkBusy = false;
  checksOff = false;
  known.fill(KnownField{});
  knownCount = 0;
}

bool Field_Register(nwObject* field, char* buffer) {
  assert(field != nullptr && "only a created field is registered");
  if (field == nullptr) return false;
  if (KnownField* entry = Known(field)) {
    entry->buffer = buffer;
    return true;
  }
  if (knownCount >= known.size()) return false;
  known[knownCount++] = KnownField{field, buffer};
  return true;
}

nwObject* Field_Find(int id) {
  const KnownField* field = KnownOf(id);
  return field != nullptr ? field->object : nullptr;
}

char* Field_BufferOf(int id) { return BufferOf(KnownOf(id)); }

std::uint16_t Field_ValueOf(int id) { return Field_Value(Field_BufferOf(id)); }

std::uint16_t Field_Value(const char* text) {
  if (text == nullptr) return 0;
  while (*text == ' ' || *text == '\t') ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  unsigned value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) value = (value * 10 + static_cast<unsigned>(*text - '0')) & 0xFFFFu;
  if (negative) value = (0x10000u - value) & 0xFFFFu;
  return static_cast<std::uint16_t>(value);
}

void Field_Init(nwObject* field, char* buffer, int capacity, const char* text) {
  assert(field != nullptr && buffer != nullptr && capacity >= 0 && "a field binds its own buffer");
  if (field == nullptr || buffer == nullptr || capacity < 0) return;
  std::memset(buffer, 0, static_cast<std::size_t>(capacity) + 1);
  Field_Register(field, buffer);
  // The editor takes the largest text length: a field holds capacity bytes
  // (a year four digits), and its NUL fits the buffer.
  nwEvent_SendTo(field, NW_SET_BUFFER, capacity, 0, buffer);
  const char* first = text != nullptr ? text : "";
  nwEvent_SendTo(field, NW_SET_TEXT, static_cast<int>(std::strlen(first)), 0, const_cast<char*>(first));
}

void Field_SetText(nwObject* field, const char* text) {
  assert(field != nullptr && "a text goes to an existing field");
  if (field == nullptr) return;
  const char* value = text != nullptr ? text : "";
  nwEvent_SendTo(field, NW_SET_TEXT, static_cast<int>(std::strlen(value)), 0, const_cast<char*>(value));
  nwEvent_PostTo(field, NW_REDRAW);
}

void Field_SetNumber(nwObject* field, int value) {
  char text[12];
  std::snprintf(text, sizeof text, "%d", value);
  Field_SetText(field, text);
}

void Field_Setup(int id) {
  const FieldRule* rule = RuleOf(id);
  if (rule == nullptr) return;
  const KnownField* field = KnownOf(id);
  fieldParams.field = field != nullptr ? field->object : nullptr;
  fieldParams.nextField = Field_Find(SuccessorOf(id));
  fieldParams.minValue = rule->minValue;
  fieldParams.maxValue = MaxOf(id, *rule);
  fieldParams.valueText = BufferOf(field);
  fieldParams.spinKind = rule->spinKind;
}

void Field_Dismiss() {
  checksOff = true;
  refocusField = nullptr;
  valueInvalid = false;
}

bool Field_Check(nwObject* field) {
  if (checksOff) return true;
  const std::uint16_t v = Field_Value(fieldParams.valueText);
  if (v >= fieldParams.minValue && v <= fieldParams.maxValue) {
    valueInvalid = false;
    return true;
  }
  Field_SetNumber(field, fieldParams.minValue);
  char text[64];
  std::snprintf(text, sizeof text, FIELD_RANGE_FORMAT, fieldParams.minValue, fieldParams.maxValue);
  Notice_Box(text, NOTICE_OK);
  if (field != nullptr && field->parent != nullptr) nwEvent_PostTo(field->parent, NW_REDRAW);
  refocusField = field;
  valueInvalid = true;
  return false;
}

void Field_Step(bool up) {
  nwObject* field = fieldParams.field;
  if (field == nullptr) return;
  const int next = Stepped(Field_Value(fieldParams.valueText), up);
  if (next < 0) return;
  Field_SetNumber(field, next);
  SelectAll(field);
}

bool Field_AutoAdvance(nwObject* editor) {
  if (editor == nullptr || editor != fieldParams.field) return false;
  // Placing the cursor notifies too: a program change like the rest.
  if (ChangedByProgram(editor)) return false;
  if (SelectionStands(editor)) return true;
  const char* text = fieldParams.valueText;
  if (text == nullptr || text[0] == '\0') return true;
  const FieldRule* rule = RuleOf(editor->id);
  const std::uint16_t v = Field_Value(text);
  if (rule == nullptr || !IsComplete(*rule, v)) return true;
  const bool zeroAdvances = rule->complete == FieldComplete::ZeroOrAtLeast && v == 0;
  if (v > fieldParams.maxValue && !zeroAdvances) return true;
  if (fieldParams.nextField == nullptr) return true;
  refocusField = fieldParams.nextField;
  nwFocus_Set(fieldParams.nextField);
  return true;
}

bool Field_GainFocus(nwObject* field) {
  assert(field != nullptr && "a focus notification names its widget");
  if (field == nullptr) return false;
  if (refocusField != nullptr) {
    nwObject* target = refocusField;
    refocusField = nullptr;
    nwFocus_Set(target);
    return false;
  }
  Field_Setup(field->id);
  if (RuleOf(field->id) != nullptr && fieldParams.field == nullptr) {
    fieldParams.field = field;
    if (fieldParams.valueText == nullptr && IsEditor(field)) fieldParams.valueText = static_cast<nwEdit*>(field)->text;
  }
  // A list would take SetCursor as a new first row and lose its choice.
  if (IsEditor(field)) SelectAll(field);
  MatchInputMethod(field->id);
  return true;
}

void Dialog_SetToolbar() {
  for (int slot = 0; slot < 3; ++slot) nwEvent_PostTo(&toolbar, NW_UNSET_TEXT, slot);
  nwEvent_PostTo(&toolbar, NW_SET_TEXT, 3, CMD_DIALOG_OK, const_cast<char*>(DIALOG_OK_TEXT));
  nwEvent_PostTo(&toolbar, NW_SET_TEXT, 4, CMD_DIALOG_CANCEL, const_cast<char*>(DIALOG_CANCEL_TEXT));
  for (std::size_t n = 0; n < kLabelSlots.size(); ++n) {
    const char* name = Label_Name(static_cast<std::uint16_t>(n));
    nwEvent_PostTo(&toolbar, NW_SET_TEXT, kLabelSlots[n].slot, kLabelSlots[n].command, const_cast<char*>(name));
  }
}
