// The entry dialog's form: the values shown from an entry (or the cursor)
// and read back, the order of start and end kept on leaving a field, and the
// entry built from them and written to the store.
#include "dialogs/EntryForm.h"

#include <cassert>
#include <cstdio>
#include <initializer_list>
#include <cstring>

#include "Capacity.h"
#include "dialogs/EntryDialog.h"
#include "dialogs/EntryLayout.h"
#include "dialogs/Notice.h"
#include "files/Identity.h"
#include "files/Save.h"
#include "files/Settings.h"
#include "store/Label.h"
#include "text/ShiftJis.h"
#include "views/Screen.h"
#include "views/View.h"

namespace {

constexpr int kTextCapacity = static_cast<int>(cap::kEntryDialogText);
constexpr int kFontSmallList = ZEB_FONT_12;
constexpr std::uint16_t kDefaultRank = 3;
constexpr int kNoTimeEnd = 24;
constexpr int kHours = 24;
constexpr const char* kNoTime = "--";
// "本文が長すぎるため\n入りきらない後ろの部分は\n削除されます"
constexpr const char* kCutConfirm =
    "\x96\x7b\x95\xb6\x82\xaa\x92\xb7\x82\xb7\x82\xac\x82\xe9\x82\xbd\x82\xdf\n"
    "\x93\xfc\x82\xe8\x82\xab\x82\xe7\x82\xc8\x82\xa2\x8c\xe3\x82\xeb\x82\xcc\x95\x94\x95\xaa\x82\xcd\n"
    "\x8d\xed\x8f\x9c\x82\xb3\x82\xea\x82\xdc\x82\xb7";

std::uint16_t Value(const nwEdit& field) { return Field_Value(field.text); }

DayNo StartDate(const EntryWidgets& w) {
  return Date_ToDayNo(Value(w.startYear), Value(w.startMonth), Value(w.startDay));
}
DayNo EndDate(const EntryWidgets& w) { return Date_ToDayNo(Value(w.endYear), Value(w.endMonth), Value(w.endDay)); }

// Day numbers wrap for impossible dates, so those never become an entry.
bool ValidDate(const nwEdit& year, const nwEdit& month, const nwEdit& day) {
  const std::uint16_t mday = Value(day);
  return Value(year) >= 1900 && mday >= 1 && mday <= Date_MonthLength(Value(year), Value(month));
}

void SetNumber(nwEdit& field, int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%d", value);
  Field_SetText(&field, text);
}

void ShowLabelText(nwLabel& label, const char* text, int length) {
  nwEvent_SendTo(&label, NW_SET_TEXT, length, 0, const_cast<char*>(text));
  nwEvent_PostTo(&label, NW_REDRAW);
}

void ShowWeekday(nwLabel& label, DayNo day) {
  const char* name = WeekdayName[DayNo_Weekday(day) % 7];
  ShowLabelText(label, name, static_cast<int>(std::strlen(name)));
}

void ShowLabelName(EntryWidgets& w, std::uint16_t label) {
  const char* name = Label_Name(label);
  const int length = ShiftJis_Fit(name, static_cast<int>(std::strlen(name)), ENTRY_LABEL_BYTES);
  ShowLabelText(w.label, name, length);
}

void InitText(EntryDialog& d, int id, const char* text) {
  const EntryChild child = EntryLayout_Child(d.w, id);
  Field_Init(d.fields, child.object, child.buffer, child.capacity, text);
}

void InitNumber(EntryDialog& d, int id, int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%d", value);
  InitText(d, id, text);
}

void InitDateRow(EntryDialog& d, int yearId, DayNo date) {
  std::uint16_t year = 0, month = 0, mday = 0;
  DayNo_ToDate(date, year, month, mday);
  InitNumber(d, yearId, year);
  InitNumber(d, yearId + 1, month);
  InitNumber(d, yearId + 2, mday);
}

void InitWeekday(EntryDialog& d, int id, DayNo date) {
  const EntryChild child = EntryLayout_Child(d.w, id);
  auto* label = static_cast<nwLabel*>(child.object);
  std::memset(child.buffer, 0, static_cast<std::size_t>(child.capacity) + 1);
  nwEvent_SendTo(label, NW_SET_BUFFER, child.capacity + 1, 0, child.buffer);
  ShowWeekday(*label, date);
}

void InitTimes(EntryDialog& d, const Entry* e) {
  const bool timeTable = View_IsTimeTable();
  if (e != nullptr && e->endHour != 0) {
    InitNumber(d, ID_START_HOUR, e->startHour);
    InitNumber(d, ID_START_MINUTE, e->startMinute);
    InitNumber(d, ID_END_HOUR, e->endHour);
    InitNumber(d, ID_END_MINUTE, e->endMinute);
    return;
  }
  if (e == nullptr && timeTable) {
    const int start = browse.cursorHour;
    const int end = start + browse.hourSpan;
    InitNumber(d, ID_START_HOUR, start);
    InitNumber(d, ID_START_MINUTE, 0);
    InitNumber(d, ID_END_HOUR, end < kHours ? end : kNoTimeEnd);
    InitNumber(d, ID_END_MINUTE, 0);
    return;
  }
  for (int id : {ID_START_HOUR, ID_START_MINUTE, ID_END_HOUR, ID_END_MINUTE}) InitText(d, id, kNoTime);
}

std::uint16_t OpeningLabel(const Entry* e) {
  if (e != nullptr) return e->label;
  if (Settings_Get().label1Default) return 1;
  return browse.currentLabel <= LABEL_USER_LAST ? browse.currentLabel : LABEL_COMMON;
}

void LoadValues(EntryDialog& d) {
  EntryWidgets& w = d.w;
  const DialogMode mode = d.fields.mode;
  Entry* e = Dialog_IsChangeMode(mode) ? d.editedEntry : nullptr;
  // An overlong text from a file is shown cut to what the editor holds.
  const int length = e == nullptr ? 0 : ShiftJis_Fit(e->text, e->text == nullptr ? 0 : e->textLen, kTextCapacity);
  d.cutEntry = e != nullptr && e->text != nullptr && length < e->textLen ? e : nullptr;
  d.cutShown = length;
  char* text = w.textBuffer;
  Field_Init(d.fields, &w.text, text, kTextCapacity, "");
  if (length > 0) {
    std::memcpy(text, e->text, static_cast<std::size_t>(length));
    text[length] = '\0';
    nwEvent_SendTo(&w.text, NW_SET_TEXT, length, 0, text);
  }
  const DayNo start = e != nullptr ? e->startDay : browse.cursorDate;
  InitDateRow(d, ID_START_YEAR, start);
  InitWeekday(d, ID_START_WEEKDAY, start);
  if (Dialog_HasEndDate(mode)) {
    const DayNo end = e != nullptr ? e->endDay : browse.cursorDate;
    InitDateRow(d, ID_END_YEAR, end);
    InitWeekday(d, ID_END_WEEKDAY, end);
  }
  if (Dialog_IsScheduleMode(mode)) InitTimes(d, e);
  if (Dialog_IsTaskMode(mode)) InitNumber(d, ID_RANK, e != nullptr ? e->rank : kDefaultRank);
  if (Dialog_HasEndDate(mode)) {
    if (d.layout == LAYOUT_SMALL) nwEvent_SendTo(&w.repeat, NW_SET_FONT, kFontSmallList);
    d.repeatChoice = e != nullptr ? Repeat_OpenChoice(*e) : 0;
    Repeat_Bind(&w.repeat, w.repeatRows);
    Field_Register(d.fields, &w.repeat, nullptr);
    Repeat_Build(&w.repeat, start, d.repeatChoice);
    InitNumber(d, ID_INTERVAL, e != nullptr ? e->interval : 1);
  }
  d.dialogLabel = OpeningLabel(e);
  std::memset(w.labelBuffer, 0, sizeof w.labelBuffer);
  nwEvent_SendTo(&w.label, NW_SET_BUFFER, static_cast<int>(sizeof w.labelBuffer), 0, w.labelBuffer);
  ShowLabelName(w, d.dialogLabel);
}

void FixDateOrder(EntryDialog& d, bool keepStart) {
  EntryWidgets& w = d.w;
  const bool withEnd = Dialog_HasEndDate(d.fields.mode);
  if (withEnd && EndDate(w) < StartDate(w)) {
    nwEdit* from[3] = {&w.startYear, &w.startMonth, &w.startDay};
    nwEdit* to[3] = {&w.endYear, &w.endMonth, &w.endDay};
    for (int i = 0; i < 3; ++i) {
      nwEdit* source = keepStart ? from[i] : to[i];
      nwEdit* target = keepStart ? to[i] : from[i];
      char copy[8];
      std::snprintf(copy, sizeof copy, "%s", source->text);
      Field_SetText(target, copy);
    }
  }
  ShowWeekday(w.startWeekday, StartDate(w));
  if (withEnd) ShowWeekday(w.endWeekday, EndDate(w));
}

void FixTimeOrder(EntryWidgets& w, bool keepStart) {
  const int sh = Value(w.startHour), sm = Value(w.startMinute);
  const int eh = Value(w.endHour), em = Value(w.endMinute);
  if (sh == kHours && sm != 0) Field_SetText(&w.startMinute, "0");
  if (eh == kHours && em != 0) Field_SetText(&w.endMinute, "0");
  const int startTime = sh * 60 + Value(w.startMinute);
  const int endTime = eh * 60 + Value(w.endMinute);
  if (endTime >= startTime) return;
  nwEdit& keptHour = keepStart ? w.startHour : w.endHour;
  nwEdit& keptMinute = keepStart ? w.startMinute : w.endMinute;
  if (Value(keptHour) == 0) Field_SetText(&keptHour, "0");
  if (Value(keptMinute) == 0) Field_SetText(&keptMinute, "0");
  SetNumber(keepStart ? w.endHour : w.startHour, Value(keptHour));
  SetNumber(keepStart ? w.endMinute : w.startMinute, Value(keptMinute));
}

bool IsStartDateField(int id) { return id >= ID_START_YEAR && id <= ID_START_DAY; }
bool IsEndDateField(int id) { return id >= ID_END_YEAR && id <= ID_END_DAY; }

bool FieldLeft(EntryDialog& d, nwObject* field) {
  assert(field != nullptr && "a focus notification names its widget");
  if (field == nullptr) return false;
  FieldState& fields = d.fields;
  if (fields.checkBusy) return true;
  const int id = field->id;
  Field_Setup(fields, id);
  if (id == ID_TEXT) return true;
  if (id == ID_REPEAT) {
    d.repeatChoice = Repeat_Leave(fields, &d.w.repeat);
    return true;
  }
  fields.checkBusy = true;
  const bool passed = Field_Check(fields, field);
  fields.checkBusy = false;
  if (!passed) return false;
  const bool withEnd = Dialog_HasEndDate(fields.mode);
  DayNo s = StartDate(d.w);
  DayNo e = withEnd ? EndDate(d.w) : d.knownEnd;
  if (s == d.knownStart && e == d.knownEnd) {
    if (id == ID_START_HOUR || id == ID_START_MINUTE) FixTimeOrder(d.w, true);
    if (id == ID_END_HOUR || id == ID_END_MINUTE) FixTimeOrder(d.w, false);
    return true;
  }
  if (IsStartDateField(id)) FixDateOrder(d, true);
  if (IsEndDateField(id)) FixDateOrder(d, false);
  s = StartDate(d.w);
  e = withEnd ? EndDate(d.w) : d.knownEnd;
  if (withEnd && s != d.knownStart) Repeat_Build(&d.w.repeat, s, d.repeatChoice);
  d.knownStart = s;
  d.knownEnd = e;
  return true;
}

bool IsNumericField(const nwObject* field) {
  if (field == nullptr) return false;
  const int id = field->id;
  return (id >= ID_START_YEAR && id <= ID_END_MINUTE) || id == ID_RANK || id == ID_INTERVAL;
}

bool FocusedValueOutOfRange(const FieldParams& p) {
  if (!IsNumericField(p.field) || p.valueText == nullptr) return false;
  const std::uint16_t v = Field_Value(p.valueText);
  return v < p.minValue || v > p.maxValue;
}

// Dates the fields cannot hold as a day number (e.g. 29 February of a common
// year reached through the year field) send the focus to the day field,
// whose check on leaving reports the range.
bool DatesValid(EntryDialog& d) {
  EntryWidgets& w = d.w;
  if (!ValidDate(w.startYear, w.startMonth, w.startDay)) {
    nwFocus_Set(&w.startDay);
    return false;
  }
  if (Dialog_HasEndDate(d.fields.mode) && !ValidDate(w.endYear, w.endMonth, w.endDay)) {
    nwFocus_Set(&w.endDay);
    return false;
  }
  return true;
}

void FillKindPart(EntryDialog& d, Entry& e) {
  EntryWidgets& w = d.w;
  e.startDay = StartDate(w);
  if (Dialog_IsTaskMode(d.fields.mode)) {
    e.kind = KIND_TASK;
    e.endDay = DAY_OPEN_END;
    e.rank = static_cast<std::uint8_t>(Value(w.rank));
    e.repeat = REPEAT_NONE;
    return;
  }
  e.endDay = EndDate(w);
  if (Dialog_IsScheduleMode(d.fields.mode)) {
    e.kind = KIND_SCHEDULE;
    e.startHour = static_cast<std::uint8_t>(Value(w.startHour));
    e.startMinute = static_cast<std::uint8_t>(Value(w.startMinute));
    e.endHour = static_cast<std::uint8_t>(Value(w.endHour));
    e.endMinute = static_cast<std::uint8_t>(Value(w.endMinute));
  } else {
    e.kind = KIND_HOLIDAY;
  }
  Repeat_Apply(e, Repeat_ReadChoice(&w.repeat), Value(w.interval));
}

void Failed(EntryDialog& d) {
  Notice_Show(NOTICE_FAILED, NOTICE_OK);
  nwEvent_PostTo(&d, NW_REDRAW);
}

// The text to store: the editor's, or the whole text of a file entry whose
// cut text the user left as shown. Cutting an edited one is asked first;
// false when the user declines.
bool TextToStore(EntryDialog& d, const char*& source, int& length) {
  source = d.w.text.text;
  length = static_cast<int>(std::strlen(source));
  const Entry* cut = d.cutEntry;
  if (cut == nullptr) return true;
  if (length == d.cutShown && std::memcmp(source, cut->text, static_cast<std::size_t>(length)) == 0) {
    source = cut->text;
    length = cut->textLen;
    return true;
  }
  const bool yes = Notice_Confirm(kCutConfirm);
  nwEvent_PostTo(&d, NW_REDRAW);
  return yes;
}

bool StoreEntry(EntryDialog& d) {
  const DialogMode mode = d.fields.mode;
  if (d.fields.valueInvalid || FocusedValueOutOfRange(d.fields.params)) return false;
  if (d.w.text.text[0] == '\0' || !DatesValid(d)) return false;
  // An end typed before the start is put in order by the check of the field
  // just left, queued behind this accept; until then the accept does nothing.
  if (Dialog_HasEndDate(mode) && EndDate(d.w) < StartDate(d.w)) return false;
  const char* source = nullptr;
  int length = 0;
  if (!TextToStore(d, source, length)) return false;
  Entry* edited = d.editedEntry;
  const bool change = Dialog_IsChangeMode(mode) && edited != nullptr;
  Entry* e = Store_AllocEntries(1);
  char* text = e == nullptr ? nullptr : Store_AllocBytes(static_cast<std::size_t>(length));
  if (text == nullptr) {
    Failed(d);
    return false;
  }
  if (change) {
    std::memcpy(e, edited, sizeof(Entry));
  } else {
    std::memset(e, 0, sizeof(Entry));
  }
  e->size = ENTRY_NEW_SIZE;
  std::memcpy(text, source, static_cast<std::size_t>(length));
  e->text = text;
  e->textLen = static_cast<std::uint16_t>(length);
  FillKindPart(d, *e);
  e->label = d.dialogLabel;
  if (!Store_Register(e)) {
    Failed(d);
    return false;
  }
  // The old entry goes only once the new one is in, and both in one save;
  // to other calendars the change is the same item changed.
  if (change) {
    Identity_Inherit(e, edited);
    Store_Delete(edited);
  }
  Data_Changed();
  return true;
}

}  // namespace

void EntryForm_Load(EntryDialog& d) { LoadValues(d); }

DayNo EntryForm_StartDate(const EntryDialog& d) { return StartDate(d.w); }

DayNo EntryForm_EndDate(const EntryDialog& d) { return EndDate(d.w); }

bool EntryForm_FieldLeft(EntryDialog& d, nwObject* field) { return FieldLeft(d, field); }

bool EntryForm_Store(EntryDialog& d) { return StoreEntry(d); }

void EntryForm_ShowLabel(EntryDialog& d, std::uint16_t label) { ShowLabelName(d.w, label); }
