// Numeric, date and time fields of the dialogs (their rules are rows of the
// field table): the range check on leaving a field, up and down stepping, the
// automatic advance once a typed value is complete, and the dialog toolbar.
// Also the dialog modes and field ids the entry dialog and the search and
// jump dialog share.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "Capacity.h"
#include "toolkit/nw.h"
#include "views/Command.h"

// The mode of the open dialog; selects title, widgets and successors.
using DialogMode = std::uint16_t;
inline constexpr DialogMode DLG_NONE = 0;
inline constexpr DialogMode DLG_ADD_TASK = 1;
inline constexpr DialogMode DLG_ADD_SCHEDULE = 3;
inline constexpr DialogMode DLG_ADD_HOLIDAY = 5;
inline constexpr DialogMode DLG_CHANGE_TASK = 6;
inline constexpr DialogMode DLG_CHANGE_SCHEDULE = 8;
inline constexpr DialogMode DLG_CHANGE_HOLIDAY = 10;
inline constexpr DialogMode DLG_SEARCH = 12;
inline constexpr DialogMode DLG_JUMP = 13;

bool Dialog_IsTaskMode(DialogMode mode);       // 1, 6
bool Dialog_IsScheduleMode(DialogMode mode);   // 3, 8
bool Dialog_IsHolidayMode(DialogMode mode);    // 5, 10
bool Dialog_HasEndDate(DialogMode mode);       // schedule and holiday modes
bool Dialog_IsChangeMode(DialogMode mode);     // 6, 8, 10

// Field ids (SetID of the dialogs' children).
inline constexpr int ID_START_YEAR = 8001;
inline constexpr int ID_START_MONTH = 8002;
inline constexpr int ID_START_DAY = 8003;
inline constexpr int ID_START_HOUR = 8004;
inline constexpr int ID_START_MINUTE = 8005;
inline constexpr int ID_END_YEAR = 8006;
inline constexpr int ID_END_MONTH = 8007;
inline constexpr int ID_END_DAY = 8008;
inline constexpr int ID_END_HOUR = 8009;
inline constexpr int ID_END_MINUTE = 8010;
inline constexpr int ID_TEXT = 8011;
inline constexpr int ID_RANK = 8012;
inline constexpr int ID_START_WEEKDAY = 8013;
inline constexpr int ID_END_WEEKDAY = 8014;
inline constexpr int ID_REPEAT = 8015;
inline constexpr int ID_INTERVAL = 8016;
inline constexpr int ID_LABEL = 8017;

// Entry dialog layouts.
inline constexpr int LAYOUT_NORMAL = 0;
inline constexpr int LAYOUT_LARGE = 1;
inline constexpr int LAYOUT_SMALL = 2;

// Stepping kinds.
inline constexpr std::uint16_t SPIN_NONE = 0;     // no stepping
inline constexpr std::uint16_t SPIN_STEP = 1;     // by one within the range
inline constexpr std::uint16_t SPIN_QUARTER = 2;  // quarter hours, wrapping

// The field set up last: the one gaining the focus or under the check.
struct FieldParams {
  nwObject* field;
  nwObject* nextField;
  std::uint16_t minValue;
  std::uint16_t maxValue;
  char* valueText;        // the field's text buffer; null: none
  std::uint16_t spinKind;
};

// A field the dialog knows by its id, with its text buffer.
struct KnownField {
  nwObject* object;
  char* buffer;
};

// The field-check state of one open dialog: its mode, the field set up last,
// the focus to restore, its flags and the fields it knows. Each dialog owns
// one and hands it to every call below.
struct FieldState {
  DialogMode mode;
  FieldParams params;
  nwObject* refocusField;  // focus goes back here on the next gain
  bool valueInvalid;       // a failed check not yet cured; refuses accept
  bool checkBusy;          // the dialog is running Field_Check
  bool checksOff;          // the dialog is being cancelled: nothing is checked
  std::array<KnownField, cap::kDialogFields> known;
  std::size_t knownCount;
};

// Dialog building: empties FieldParams, clears the flags and forgets every
// known field (the mode stays). Every dialog calls it before creating its
// fields.
void Field_Reset(FieldState& s);
// Makes a field known so Field_Setup can find it by its id (read from the
// object when set up); buffer may be null (the repeat list). Field_Init does
// this itself. False when the table is full.
bool Field_Register(FieldState& s, nwObject* field, char* buffer);
// The known field with that id, and its buffer; null when none.
nwObject* Field_Find(const FieldState& s, int id);
char* Field_BufferOf(const FieldState& s, int id);
// The value of the known field with that id; 0 when none.
std::uint16_t Field_ValueOf(const FieldState& s, int id);

// Decimal text read as an unsigned 16-bit number; what is not a number is 0.
std::uint16_t Field_Value(const char* text);

// Clears capacity + 1 bytes of buffer, binds it to the field, which then
// holds at most capacity bytes of text, and gives the field its first text;
// registers the field. Size buffers with Field_BufferBytes.
void Field_Init(FieldState& s, nwObject* field, char* buffer, int capacity, const char* text);
constexpr std::size_t Field_BufferBytes(std::size_t capacity) { return capacity + 1; }
// Sets the text without triggering the automatic advance, and redraws. A
// text the program writes never counts as typing, whichever field has the
// focus when its notification arrives.
void Field_SetText(nwObject* field, const char* text);
void Field_SetNumber(nwObject* field, int value);  // "%d"
// Loads FieldParams for the field id (other ids leave them as they were).
void Field_Setup(FieldState& s, int id);
// Range check of the field set up last; false (and the notice) on failure.
// Always true once Field_Dismiss was called.
bool Field_Check(FieldState& s, nwObject* field);
// A cancelled dialog keeps none of its values: from now until the next
// Field_Reset no field is checked and no focus is sent back.
void Field_Dismiss(FieldState& s);
// Up or down stepping of the field set up last.
void Field_Step(FieldState& s, bool up);
// EditNotify from editor: true when handled.
bool Field_AutoAdvance(FieldState& s, nwObject* editor);
// GainFocusNotify for field: true when handled.
bool Field_GainFocus(FieldState& s, nwObject* field);

// Puts up "決定", "取消" and the five label names on the function-key bar.
void Dialog_SetToolbar();
// The texts of the dialog toolbar's slots 3 and 4.
extern const char* const DIALOG_OK_TEXT;
extern const char* const DIALOG_CANCEL_TEXT;
// "値が不正です\n%d から %d まで"
extern const char* const FIELD_RANGE_FORMAT;
