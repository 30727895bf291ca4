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

// "  決定  "
const char* const DIALOG_OK_TEXT = "  \x8c\x88\x92\xe8  ";
// "  取消  "
const char* const DIALOG_CANCEL_TEXT = "  \x8e\xe6\x8f\xc1  ";
// "値が不正です\n%d から %d まで"
const char* const FIELD_RANGE_FORMAT =
    "\x92\x6c\x82\xaa\x95\x73\x90\xb3\x82\xc5\x82\xb7\n%d \x82\xa9\x82\xe7 %d \x82\xdc\x82\xc5";

namespace {

const FieldRule* RuleOf(int id) {
  const FieldRow* row = FieldTable_Row(id);
  return row != nullptr && row->rule ? &*row->rule : nullptr;
}

bool IsEditor(const nwObject* object) {
  return object != nullptr && object->handler == nwEdit_Handler;
}

KnownField* Known(FieldState& s, const nwObject* field) {
  for (std::size_t i = 0; i < s.knownCount; ++i) {
    if (s.known[i].object == field) return &s.known[i];
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
std::uint16_t DayLimit(const FieldState& s, int yearId, int monthId) {
  const std::uint16_t length = Date_MonthLength(Field_ValueOf(s, yearId), Field_ValueOf(s, monthId));
  return length != 0 ? length : 31;
}

int SuccessorOf(DialogMode mode, int id) {
  const FieldRule* rule = RuleOf(id);
  if (rule == nullptr) return 0;
  return rule->successorByMode != nullptr ? rule->successorByMode(mode) : rule->successor;
}

std::uint16_t MaxOf(const FieldState& s, int id, const FieldRule& rule) {
  if (id == ID_START_DAY) return DayLimit(s, ID_START_YEAR, ID_START_MONTH);
  if (id == ID_END_DAY) return DayLimit(s, ID_END_YEAR, ID_END_MONTH);
  return rule.maxValue;
}

const KnownField* KnownOf(const FieldState& s, int id) {
  for (std::size_t i = 0; i < s.knownCount; ++i) {
    if (s.known[i].object != nullptr && s.known[i].object->id == id) return &s.known[i];
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
int Stepped(const FieldParams& params, std::uint16_t v, bool up) {
  switch (params.spinKind) {
    case SPIN_STEP:
      if (up) return v >= params.maxValue ? -1 : v + 1;
      return v <= params.minValue ? -1 : v - 1;
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
bool Dialog_IsChangeMode(DialogMode mode) {
  return mode == DLG_CHANGE_TASK || mode == DLG_CHANGE_SCHEDULE || mode == DLG_CHANGE_HOLIDAY;
}

void Field_Reset(FieldState& s) {
  const DialogMode mode = s.mode;
  s = FieldState{};
  s.mode = mode;
}

bool Field_Register(FieldState& s, nwObject* field, char* buffer) {
  assert(field != nullptr && "only a created field is registered");
  if (field == nullptr) return false;
  if (KnownField* entry = Known(s, field)) {
    entry->buffer = buffer;
    return true;
  }
  if (s.knownCount >= s.known.size()) return false;
  s.known[s.knownCount++] = KnownField{field, buffer};
  return true;
}

nwObject* Field_Find(const FieldState& s, int id) {
  const KnownField* field = KnownOf(s, id);
  return field != nullptr ? field->object : nullptr;
}

char* Field_BufferOf(const FieldState& s, int id) { return BufferOf(KnownOf(s, id)); }

std::uint16_t Field_ValueOf(const FieldState& s, int id) { return Field_Value(Field_BufferOf(s, id)); }

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

void Field_Init(FieldState& s, nwObject* field, char* buffer, int capacity, const char* text) {
  assert(field != nullptr && buffer != nullptr && capacity >= 0 && "a field binds its own buffer");
  if (field == nullptr || buffer == nullptr || capacity < 0) return;
  std::memset(buffer, 0, static_cast<std::size_t>(capacity) + 1);
  Field_Register(s, field, buffer);
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

void Field_Setup(FieldState& s, int id) {
  const FieldRule* rule = RuleOf(id);
  if (rule == nullptr) return;
  const KnownField* field = KnownOf(s, id);
  FieldParams& p = s.params;
  p.field = field != nullptr ? field->object : nullptr;
  p.nextField = Field_Find(s, SuccessorOf(s.mode, id));
  p.minValue = rule->minValue;
  p.maxValue = MaxOf(s, id, *rule);
  p.valueText = BufferOf(field);
  p.spinKind = rule->spinKind;
}

void Field_Dismiss(FieldState& s) {
  s.checksOff = true;
  s.refocusField = nullptr;
  s.valueInvalid = false;
}

bool Field_Check(FieldState& s, nwObject* field) {
  if (s.checksOff) return true;
  const FieldParams& p = s.params;
  const std::uint16_t v = Field_Value(p.valueText);
  if (v >= p.minValue && v <= p.maxValue) {
    s.valueInvalid = false;
    return true;
  }
  Field_SetNumber(field, p.minValue);
  char text[64];
  std::snprintf(text, sizeof text, FIELD_RANGE_FORMAT, p.minValue, p.maxValue);
  Notice_Box(text, NOTICE_OK);
  if (field != nullptr && field->parent != nullptr) nwEvent_PostTo(field->parent, NW_REDRAW);
  s.refocusField = field;
  s.valueInvalid = true;
  return false;
}

void Field_Step(FieldState& s, bool up) {
  nwObject* field = s.params.field;
  if (field == nullptr) return;
  const int next = Stepped(s.params, Field_Value(s.params.valueText), up);
  if (next < 0) return;
  Field_SetNumber(field, next);
  SelectAll(field);
}

bool Field_AutoAdvance(FieldState& s, nwObject* editor) {
  const FieldParams& p = s.params;
  if (editor == nullptr || editor != p.field) return false;
  // Placing the cursor notifies too: a program change like the rest.
  if (ChangedByProgram(editor)) return false;
  if (SelectionStands(editor)) return true;
  const char* text = p.valueText;
  if (text == nullptr || text[0] == '\0') return true;
  const FieldRule* rule = RuleOf(editor->id);
  const std::uint16_t v = Field_Value(text);
  if (rule == nullptr || !IsComplete(*rule, v)) return true;
  const bool zeroAdvances = rule->complete == FieldComplete::ZeroOrAtLeast && v == 0;
  if (v > p.maxValue && !zeroAdvances) return true;
  if (p.nextField == nullptr) return true;
  s.refocusField = p.nextField;
  nwFocus_Set(p.nextField);
  return true;
}

bool Field_GainFocus(FieldState& s, nwObject* field) {
  assert(field != nullptr && "a focus notification names its widget");
  if (field == nullptr) return false;
  if (s.refocusField != nullptr) {
    nwObject* target = s.refocusField;
    s.refocusField = nullptr;
    nwFocus_Set(target);
    return false;
  }
  Field_Setup(s, field->id);
  FieldParams& p = s.params;
  if (RuleOf(field->id) != nullptr && p.field == nullptr) {
    p.field = field;
    if (p.valueText == nullptr && IsEditor(field)) p.valueText = static_cast<nwEdit*>(field)->text;
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
