// The entry add/change dialog: a modal dialog over the browse screen whose
// fields depend on the kind of entry, building a fresh entry on acceptance.
#include "dialogs/EntryDialog.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "Capacity.h"
#include "dialogs/Notice.h"
#include "dialogs/Repeat.h"
#include "files/Save.h"
#include "files/Settings.h"
#include "graphics/ZebKey.h"
#include "shell/Shell.h"
#include "shell/Title.h"
#include "store/Label.h"
#include "store/MonthRec.h"
#include "views/View.h"

DialogState dialogState{};

namespace {

constexpr int kTextCapacity = static_cast<int>(cap::kEntryDialogText);
constexpr int kLabelBytes = 8;       // a label name in the label display
constexpr int kWeekdayBytes = 2;     // one double-byte weekday name
constexpr int kFontTitle = 2;
constexpr int kFontSmallList = 1;
constexpr std::uint16_t kDefaultRank = 3;
constexpr int kNoTimeEnd = 24;
constexpr int kHours = 24;
constexpr std::uint16_t kViewSmall = 12;  // the small screen's view

struct Point {
  int x, y;
};

struct DialogLayout {
  int textCols, textLines;
  int width, height;
  int titleY;
  Point text, startDate, endDate, startTime, endTime, rank;
  ZebRect repeatList;
  bool repeatCaption;
  Point repeatCaptionPos, interval, label;
};

constexpr std::array<DialogLayout, 3> kLayouts{{
    {53, 3, 483, 193, 6, {22, 34}, {22, 94}, {208, 94}, {22, 118}, {116, 118}, {208, 94},
     {208, 118, 136, 52}, true, {140, 154}, {358, 150}, {22, 166}},
    {74, 5, 640, 202, 6, {22, 34}, {22, 129}, {208, 129}, {22, 153}, {116, 153}, {208, 129},
     {384, 129, 136, 52}, true, {316, 165}, {534, 161}, {548, 129}},
    {23, 2, 212, 201, 6, {10, 34}, {10, 75}, {26, 98}, {10, 121}, {104, 121}, {10, 98},
     {10, 144, 111, 42}, false, {0, 0}, {125, 168}, {125, 144}},
}};

// Titles by dialogMode (Shift-JIS); other modes have none.
struct ModeTitle {
  DialogMode mode;
  const char* text;
};
constexpr std::array<ModeTitle, 6> kTitles{{
    {DLG_ADD_TASK, "\x83\x5e\x83\x58\x83\x4e\x92\xc7\x89\xc1"},  // タスク追加
    {DLG_ADD_SCHEDULE,
     "\x83\x58\x83\x50\x83\x57\x83\x85\x81\x5b\x83\x8b\x92\xc7\x89\xc1"},  // スケジュール追加
    {DLG_ADD_HOLIDAY, "\x8b\x78\x93\xfa\x92\xc7\x89\xc1"},                 // 休日追加
    {DLG_CHANGE_TASK, "\x83\x5e\x83\x58\x83\x4e\x95\xcf\x8d\x58"},         // タスク変更
    {DLG_CHANGE_SCHEDULE,
     "\x83\x58\x83\x50\x83\x57\x83\x85\x81\x5b\x83\x8b\x95\xcf\x8d\x58"},  // スケジュール変更
    {DLG_CHANGE_HOLIDAY, "\x8b\x78\x93\xfa\x95\xcf\x8d\x58"},              // 休日変更
}};

constexpr const char* kYear = "\x94\x4e";            // 年
constexpr const char* kMonth = "\x8c\x8e";           // 月
constexpr const char* kDay = "\x93\xfa";             // 日
constexpr const char* kTilde = "\x81\x60";           // ～
constexpr const char* kHour = "\x8e\x9e";            // 時
constexpr const char* kMinuteTo = "\x95\xaa\x81\x60";  // 分～
constexpr const char* kMinute = "\x95\xaa";          // 分
constexpr const char* kRank = "\x83\x89\x83\x93\x83\x4e";      // ランク
constexpr const char* kRepeat = "\x8c\x4a\x82\xe8\x95\xd4\x82\xb5";  // 繰り返し
constexpr const char* kEvery = "\x82\xc2\x82\xa8\x82\xab";   // つおき
constexpr const char* kNoTime = "--";
// "本文が長すぎるため\n入りきらない後ろの部分は\n削除されます"
constexpr const char* kCutConfirm =
    "\x96\x7b\x95\xb6\x82\xaa\x92\xb7\x82\xb7\x82\xac\x82\xe9\x82\xbd\x82\xdf\n"
    "\x93\xfc\x82\xe8\x82\xab\x82\xe7\x82\xc8\x82\xa2\x8c\xe3\x82\xeb\x82\xcc\x95\x94\x95\xaa\x82\xcd\n"
    "\x8d\xed\x8f\x9c\x82\xb3\x82\xea\x82\xdc\x82\xb7";

// The dialog and its children; one dialog is open at a time.
nwDialog dialog{};
nwEdit textField{}, startYear{}, startMonth{}, startDay{}, endYear{}, endMonth{}, endDay{};
nwEdit startHour{}, startMinute{}, endHour{}, endMinute{}, rankField{}, intervalField{};
nwLabel startWeekday{}, endWeekday{}, labelDisplay{};
nwListBox repeatList{};

char textBuffer[Field_BufferBytes(cap::kEntryDialogText)];
char startYearBuffer[Field_BufferBytes(4)], startMonthBuffer[Field_BufferBytes(2)];
char startDayBuffer[Field_BufferBytes(2)], endYearBuffer[Field_BufferBytes(4)];
char endMonthBuffer[Field_BufferBytes(2)], endDayBuffer[Field_BufferBytes(2)];
char startHourBuffer[Field_BufferBytes(2)], startMinuteBuffer[Field_BufferBytes(2)];
char endHourBuffer[Field_BufferBytes(2)], endMinuteBuffer[Field_BufferBytes(2)];
char rankBuffer[Field_BufferBytes(1)], intervalBuffer[Field_BufferBytes(2)];
char startWeekdayBuffer[kWeekdayBytes + 1], endWeekdayBuffer[kWeekdayBytes + 1];
char labelBuffer[kLabelBytes + 1];
RepeatRows repeatRows;

// A text longer than the editor holds is shown cut; the entry keeps it whole
// unless the user changes what is shown.
struct CutText {
  const Entry* entry;  // null when the editor shows the whole text
  int shown;           // bytes in the editor, never half a character
};
CutText cutText{};

enum Presence { ALL, WITH_END, SCHEDULE, TASK };
enum Kind { EDITOR, LABEL, LIST };

struct Child {
  int id;
  nwObject* object;
  Kind kind;
  Presence presence;
  bool tab;
  char* buffer;
  int capacity;
};

// In creation order, which is the tab order.
const std::array<Child, 17> kChildren{{
    {ID_TEXT, &textField, EDITOR, ALL, true, textBuffer, kTextCapacity},
    {ID_START_YEAR, &startYear, EDITOR, ALL, true, startYearBuffer, 4},
    {ID_START_MONTH, &startMonth, EDITOR, ALL, true, startMonthBuffer, 2},
    {ID_START_DAY, &startDay, EDITOR, ALL, true, startDayBuffer, 2},
    {ID_START_WEEKDAY, &startWeekday, LABEL, ALL, false, startWeekdayBuffer, kWeekdayBytes},
    {ID_END_YEAR, &endYear, EDITOR, WITH_END, true, endYearBuffer, 4},
    {ID_END_MONTH, &endMonth, EDITOR, WITH_END, true, endMonthBuffer, 2},
    {ID_END_DAY, &endDay, EDITOR, WITH_END, true, endDayBuffer, 2},
    {ID_END_WEEKDAY, &endWeekday, LABEL, WITH_END, false, endWeekdayBuffer, kWeekdayBytes},
    {ID_START_HOUR, &startHour, EDITOR, SCHEDULE, true, startHourBuffer, 2},
    {ID_START_MINUTE, &startMinute, EDITOR, SCHEDULE, true, startMinuteBuffer, 2},
    {ID_END_HOUR, &endHour, EDITOR, SCHEDULE, true, endHourBuffer, 2},
    {ID_END_MINUTE, &endMinute, EDITOR, SCHEDULE, true, endMinuteBuffer, 2},
    {ID_RANK, &rankField, EDITOR, TASK, true, rankBuffer, 1},
    {ID_REPEAT, &repeatList, LIST, WITH_END, true, nullptr, 0},
    {ID_INTERVAL, &intervalField, EDITOR, WITH_END, true, intervalBuffer, 2},
    {ID_LABEL, &labelDisplay, LABEL, ALL, false, labelBuffer, kLabelBytes},
}};

const DialogLayout& Layout() {
  const int n = dialogState.layout;
  return kLayouts[static_cast<std::size_t>(n >= 0 && n < 3 ? n : LAYOUT_NORMAL)];
}

bool Present(Presence presence) {
  switch (presence) {
    case ALL: return true;
    case WITH_END: return Dialog_HasEndDate(dialogMode);
    case SCHEDULE: return Dialog_IsScheduleMode(dialogMode);
    case TASK: return Dialog_IsTaskMode(dialogMode);
  }
  return false;
}

const char* TitleText() {
  for (const ModeTitle& title : kTitles) {
    if (title.mode == dialogMode) return title.text;
  }
  return "";
}

// Year, month, day and weekday of a date row at origin.
ZebRect DateRect(Point origin, int id, int yearId) {
  switch (id - yearId) {
    case 0: return {origin.x, origin.y, 36, 20};
    case 1: return {origin.x + 56, origin.y, 20, 20};
    default: return {origin.x + 96, origin.y, 20, 20};
  }
}

ZebRect ChildRect(int id) {
  const DialogLayout& l = Layout();
  switch (id) {
    case ID_TEXT: return {l.text.x, l.text.y, l.textCols * 8 + 4, l.textLines * 16 + 2};
    case ID_START_YEAR:
    case ID_START_MONTH:
    case ID_START_DAY: return DateRect(l.startDate, id, ID_START_YEAR);
    case ID_END_YEAR:
    case ID_END_MONTH:
    case ID_END_DAY: return DateRect(l.endDate, id, ID_END_YEAR);
    case ID_START_WEEKDAY: return {l.startDate.x + 144, l.startDate.y + 2, 16, 20};
    case ID_END_WEEKDAY: return {l.endDate.x + 144, l.endDate.y + 2, 16, 20};
    case ID_START_HOUR: return {l.startTime.x, l.startTime.y, 20, 20};
    case ID_START_MINUTE: return {l.startTime.x + 40, l.startTime.y, 20, 20};
    case ID_END_HOUR: return {l.endTime.x, l.endTime.y, 20, 20};
    case ID_END_MINUTE: return {l.endTime.x + 40, l.endTime.y, 20, 20};
    case ID_RANK: return {l.rank.x + 52, l.rank.y, 12, 20};
    case ID_REPEAT: return l.repeatList;
    case ID_INTERVAL: return {l.interval.x, l.interval.y, 20, 20};
    default: return {l.label.x, l.label.y, 68, 20};
  }
}

nwHandler HandlerOf(Kind kind) {
  switch (kind) {
    case EDITOR: return nwEdit_Handler;
    case LABEL: return nwLabel_Handler;
    case LIST: return nwListBox_Handler;
  }
  return nwObject_DefaultHandler;
}

// ---------------------------------------------------------------------------
// Values

std::uint16_t Value(const nwEdit& field) { return Field_Value(field.text); }

DayNo StartDate() { return Date_ToDayNo(Value(startYear), Value(startMonth), Value(startDay)); }
DayNo EndDate() { return Date_ToDayNo(Value(endYear), Value(endMonth), Value(endDay)); }

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

// Shift-JIS text cut to at most limit bytes without splitting a character.
int FitLength(const char* text, int length, int limit) {
  int n = 0;
  while (n < length) {
    const auto c = static_cast<unsigned char>(text[n]);
    const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    const int step = lead ? 2 : 1;
    if (n + step > limit || n + step > length) break;
    n += step;
  }
  return n;
}

void ShowLabelName(std::uint16_t label) {
  const char* name = Label_Name(label);
  const int length = FitLength(name, static_cast<int>(std::strlen(name)), kLabelBytes);
  ShowLabelText(labelDisplay, name, length);
}

// ---------------------------------------------------------------------------
// Building the dialog

const Child* ChildById(int id) {
  for (const Child& child : kChildren) {
    if (child.id == id) return &child;
  }
  return nullptr;
}

void InitText(int id, const char* text) {
  const Child* child = ChildById(id);
  Field_Init(child->object, child->buffer, child->capacity, text);
}

void InitNumber(int id, int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%d", value);
  InitText(id, text);
}

void InitDateRow(int yearId, DayNo date) {
  std::uint16_t y = 0, m = 0, d = 0;
  DayNo_ToDate(date, y, m, d);
  InitNumber(yearId, y);
  InitNumber(yearId + 1, m);
  InitNumber(yearId + 2, d);
}

void InitWeekday(int id, DayNo date) {
  const Child* child = ChildById(id);
  auto* label = static_cast<nwLabel*>(child->object);
  std::memset(child->buffer, 0, static_cast<std::size_t>(child->capacity) + 1);
  nwEvent_SendTo(label, NW_SET_BUFFER, child->capacity + 1, 0, child->buffer);
  ShowWeekday(*label, date);
}

void InitTimes(const Entry* e) {
  const bool timeTable = browse.currentView == VIEW_WEEK || browse.currentView == VIEW_WEEK_LIST ||
                         browse.currentView == VIEW_DAY;
  if (e != nullptr && e->endHour != 0) {
    InitNumber(ID_START_HOUR, e->startHour);
    InitNumber(ID_START_MINUTE, e->startMinute);
    InitNumber(ID_END_HOUR, e->endHour);
    InitNumber(ID_END_MINUTE, e->endMinute);
    return;
  }
  if (e == nullptr && timeTable) {
    const int start = browse.cursorHour;
    const int end = start + browse.hourSpan;
    InitNumber(ID_START_HOUR, start);
    InitNumber(ID_START_MINUTE, 0);
    InitNumber(ID_END_HOUR, end < kHours ? end : kNoTimeEnd);
    InitNumber(ID_END_MINUTE, 0);
    return;
  }
  for (int id : {ID_START_HOUR, ID_START_MINUTE, ID_END_HOUR, ID_END_MINUTE}) InitText(id, kNoTime);
}

std::uint16_t OpeningLabel(const Entry* e) {
  if (e != nullptr) return e->label;
  if (Settings_Get().label1Default) return 1;
  return browse.currentLabel <= 4 ? browse.currentLabel : 0;
}

void InitValues() {
  Entry* e = Dialog_IsChangeMode(dialogMode) ? dialogState.editedEntry : nullptr;
  // An overlong text from a file is shown cut to what the editor holds.
  const int length = e == nullptr ? 0 : FitLength(e->text, e->text == nullptr ? 0 : e->textLen, kTextCapacity);
  cutText = {e != nullptr && e->text != nullptr && length < e->textLen ? e : nullptr, length};
  char* text = ChildById(ID_TEXT)->buffer;
  Field_Init(&textField, text, kTextCapacity, "");
  if (length > 0) {
    std::memcpy(text, e->text, static_cast<std::size_t>(length));
    text[length] = '\0';
    nwEvent_SendTo(&textField, NW_SET_TEXT, length, 0, text);
  }
  const DayNo start = e != nullptr ? e->startDay : browse.cursorDate;
  InitDateRow(ID_START_YEAR, start);
  InitWeekday(ID_START_WEEKDAY, start);
  if (Dialog_HasEndDate(dialogMode)) {
    const DayNo end = e != nullptr ? e->endDay : browse.cursorDate;
    InitDateRow(ID_END_YEAR, end);
    InitWeekday(ID_END_WEEKDAY, end);
  }
  if (Dialog_IsScheduleMode(dialogMode)) InitTimes(e);
  if (Dialog_IsTaskMode(dialogMode)) InitNumber(ID_RANK, e != nullptr ? e->rank : kDefaultRank);
  if (Dialog_HasEndDate(dialogMode)) {
    if (dialogState.layout == LAYOUT_SMALL) nwEvent_SendTo(&repeatList, NW_SET_FONT, kFontSmallList);
    dialogState.repeatChoice = e != nullptr ? Repeat_OpenChoice(*e) : 0;
    Repeat_Bind(&repeatList, repeatRows);
    Field_Register(&repeatList, nullptr);
    Repeat_Build(&repeatList, start, dialogState.repeatChoice);
    InitNumber(ID_INTERVAL, e != nullptr ? e->interval : 1);
  }
  dialogState.dialogLabel = OpeningLabel(e);
  std::memset(labelBuffer, 0, sizeof labelBuffer);
  nwEvent_SendTo(&labelDisplay, NW_SET_BUFFER, static_cast<int>(sizeof labelBuffer), 0, labelBuffer);
  ShowLabelName(dialogState.dialogLabel);
}

void CreateChildren() {
  for (const Child& child : kChildren) {
    if (!Present(child.presence)) continue;
    const ZebRect rect = ChildRect(child.id);
    nwObject_Create(child.object, HandlerOf(child.kind), &dialog, &rect);
    nwEvent_SendTo(child.object, NW_SET_ID, child.id);
    if (child.tab) nwEvent_SendTo(&dialog, NW_SET_TAB_STOP, 0, 0, child.object);
    if (child.id == ID_TEXT) nwEvent_SendTo(child.object, NW_SET_MULTI_LINE);
    if (child.id == ID_LABEL) nwEvent_SendTo(child.object, NW_SET_STYLE, 1);
  }
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
  CreateChildren();
  InitValues();
  dialogState.knownStart = StartDate();
  if (Dialog_HasEndDate(dialogMode)) dialogState.knownEnd = EndDate();
  nwEvent_PostTo(&dialog, NW_KEY_DOWN, KEY_TAB, KEY_MOD_NONE);
  SetImeOpen(true);
}

void Teardown() {
  SetImeOpen(false);
  for (const Child& child : kChildren) {
    if (Present(child.presence)) nwObject_Destroy(child.object);
  }
  Title_FillBrowseToolbar();
  browse.screenMode = MODE_BROWSE;
}

// ---------------------------------------------------------------------------
// Drawing

void DrawText(int x, int y, const char* text) {
  Zeb_DrawText(nwContext, x, y, text, static_cast<int>(std::strlen(text)));
}

void DrawDateCaptions(Point row, int x0, int y0, bool tilde) {
  const int x = x0 + row.x;
  const int y = y0 + row.y + 2;
  DrawText(x + 38, y, kYear);
  DrawText(x + 78, y, kMonth);
  DrawText(x + 118, y, kDay);
  DrawText(x + 134, y, "(");
  DrawText(x + 160, y, ")");
  if (tilde) DrawText(x + 168, y, kTilde);
}

void DrawFrame() {
  const DialogLayout& l = Layout();
  ZebRect rect = dialog.rect;
  const int x0 = rect.x;
  const int y0 = rect.y;
  Zeb_SetColor(nwContext, 1);
  Zeb_FillBox(nwContext, rect);
  Zeb_SetColor(nwContext, 3);
  Zeb_DrawBox(nwContext, rect);
  ZebRect_Inset(rect, 1, 1);
  Zeb_DrawEdge(nwContext, rect);
  Zeb_SetFont(nwContext, kFontTitle);
  Zeb_SetColor(nwContext, 3);
  const char* title = TitleText();
  const int titleX = (l.width - 8 * static_cast<int>(std::strlen(title))) / 2;
  DrawText(x0 + titleX, y0 + l.titleY, title);
  Zeb_DrawLine(nwContext, x0 + 20, y0 + 26, x0 + l.width - 21, y0 + 26);
  const bool withEnd = Dialog_HasEndDate(dialogMode);
  DrawDateCaptions(l.startDate, x0, y0, withEnd);
  if (withEnd) DrawDateCaptions(l.endDate, x0, y0, false);
  if (Dialog_IsScheduleMode(dialogMode)) {
    DrawText(x0 + l.startTime.x + 22, y0 + l.startTime.y + 2, kHour);
    DrawText(x0 + l.startTime.x + 62, y0 + l.startTime.y + 2, kMinuteTo);
    DrawText(x0 + l.endTime.x + 22, y0 + l.endTime.y + 2, kHour);
    DrawText(x0 + l.endTime.x + 62, y0 + l.endTime.y + 2, kMinute);
  }
  if (Dialog_IsTaskMode(dialogMode)) DrawText(x0 + l.rank.x, y0 + l.rank.y + 2, kRank);
  if (withEnd) {
    if (l.repeatCaption) DrawText(x0 + l.repeatCaptionPos.x, y0 + l.repeatCaptionPos.y + 2, kRepeat);
    DrawText(x0 + l.interval.x + 22, y0 + l.interval.y + 2, kEvery);
  }
}

// ---------------------------------------------------------------------------
// Field check on leaving a field

void FixDateOrder(bool keepStart) {
  if (Dialog_HasEndDate(dialogMode) && EndDate() < StartDate()) {
    nwEdit* from[3] = {&startYear, &startMonth, &startDay};
    nwEdit* to[3] = {&endYear, &endMonth, &endDay};
    for (int i = 0; i < 3; ++i) {
      nwEdit* source = keepStart ? from[i] : to[i];
      nwEdit* target = keepStart ? to[i] : from[i];
      char copy[8];
      std::snprintf(copy, sizeof copy, "%s", source->text);
      Field_SetText(target, copy);
    }
  }
  ShowWeekday(startWeekday, StartDate());
  if (Dialog_HasEndDate(dialogMode)) ShowWeekday(endWeekday, EndDate());
}

void FixTimeOrder(bool keepStart) {
  const int sh = Value(startHour), sm = Value(startMinute);
  const int eh = Value(endHour), em = Value(endMinute);
  if (sh == kHours && sm != 0) Field_SetText(&startMinute, "0");
  if (eh == kHours && em != 0) Field_SetText(&endMinute, "0");
  const int startTime = sh * 60 + Value(startMinute);
  const int endTime = eh * 60 + Value(endMinute);
  if (endTime >= startTime) return;
  nwEdit& keptHour = keepStart ? startHour : endHour;
  nwEdit& keptMinute = keepStart ? startMinute : endMinute;
  if (Value(keptHour) == 0) Field_SetText(&keptHour, "0");
  if (Value(keptMinute) == 0) Field_SetText(&keptMinute, "0");
  SetNumber(keepStart ? endHour : startHour, Value(keptHour));
  SetNumber(keepStart ? endMinute : startMinute, Value(keptMinute));
}

bool IsStartDateField(int id) { return id >= ID_START_YEAR && id <= ID_START_DAY; }
bool IsEndDateField(int id) { return id >= ID_END_YEAR && id <= ID_END_DAY; }

bool OnFieldLeft(nwObject* field) {
  if (field == nullptr) return false;
  if (checkBusy) return true;
  const int id = field->id;
  Field_Setup(id);
  if (id == ID_TEXT) return true;
  if (id == ID_REPEAT) {
    dialogState.repeatChoice = Repeat_Leave(&repeatList);
    return true;
  }
  checkBusy = true;
  const bool passed = Field_Check(field);
  checkBusy = false;
  if (!passed) return false;
  const bool withEnd = Dialog_HasEndDate(dialogMode);
  DayNo s = StartDate();
  DayNo e = withEnd ? EndDate() : dialogState.knownEnd;
  if (s == dialogState.knownStart && e == dialogState.knownEnd) {
    if (id == ID_START_HOUR || id == ID_START_MINUTE) FixTimeOrder(true);
    if (id == ID_END_HOUR || id == ID_END_MINUTE) FixTimeOrder(false);
    return true;
  }
  if (IsStartDateField(id)) FixDateOrder(true);
  if (IsEndDateField(id)) FixDateOrder(false);
  s = StartDate();
  e = withEnd ? EndDate() : dialogState.knownEnd;
  if (withEnd && s != dialogState.knownStart) Repeat_Build(&repeatList, s, dialogState.repeatChoice);
  dialogState.knownStart = s;
  dialogState.knownEnd = e;
  return true;
}

// ---------------------------------------------------------------------------
// Building the entry

bool IsNumericField(const nwObject* field) {
  if (field == nullptr) return false;
  const int id = field->id;
  return (id >= ID_START_YEAR && id <= ID_END_MINUTE) || id == ID_RANK || id == ID_INTERVAL;
}

bool FocusedValueOutOfRange() {
  if (!IsNumericField(fieldParams.field) || fieldParams.valueText == nullptr) return false;
  const std::uint16_t v = Field_Value(fieldParams.valueText);
  return v < fieldParams.minValue || v > fieldParams.maxValue;
}

// Dates the fields cannot hold as a day number (e.g. 29 February of a common
// year reached through the year field) send the focus to the day field,
// whose check on leaving reports the range.
bool DatesValid() {
  if (!ValidDate(startYear, startMonth, startDay)) {
    nwFocus_Set(&startDay);
    return false;
  }
  if (Dialog_HasEndDate(dialogMode) && !ValidDate(endYear, endMonth, endDay)) {
    nwFocus_Set(&endDay);
    return false;
  }
  return true;
}

void FillKindPart(Entry& e) {
  e.startDay = StartDate();
  if (Dialog_IsTaskMode(dialogMode)) {
    e.kind = KIND_TASK;
    e.endDay = DAY_OPEN_END;
    e.rank = static_cast<std::uint8_t>(Value(rankField));
    e.repeat = REPEAT_NONE;
    return;
  }
  e.endDay = EndDate();
  if (Dialog_IsScheduleMode(dialogMode)) {
    e.kind = KIND_SCHEDULE;
    e.startHour = static_cast<std::uint8_t>(Value(startHour));
    e.startMinute = static_cast<std::uint8_t>(Value(startMinute));
    e.endHour = static_cast<std::uint8_t>(Value(endHour));
    e.endMinute = static_cast<std::uint8_t>(Value(endMinute));
  } else {
    e.kind = KIND_HOLIDAY;
  }
  Repeat_Apply(e, Repeat_ReadChoice(&repeatList), Value(intervalField));
}

void Failed() {
  Notice_Show(NOTICE_FAILED, NOTICE_OK);
  nwEvent_PostTo(&dialog, NW_REDRAW);
}

// The text to store: the editor's, or the whole text of a file entry whose
// cut text the user left as shown. Cutting an edited one is asked first;
// false when the user declines.
bool TextToStore(const char*& source, int& length) {
  source = textField.text;
  length = static_cast<int>(std::strlen(source));
  if (cutText.entry == nullptr) return true;
  if (length == cutText.shown && std::memcmp(source, cutText.entry->text, static_cast<std::size_t>(length)) == 0) {
    source = cutText.entry->text;
    length = cutText.entry->textLen;
    return true;
  }
  const bool yes = Notice_Confirm(kCutConfirm);
  nwEvent_PostTo(&dialog, NW_REDRAW);
  return yes;
}

bool BuildEntry() {
  if (valueInvalid || FocusedValueOutOfRange()) return false;
  if (textField.text[0] == '\0' || !DatesValid()) return false;
  // An end typed before the start is put in order by the check of the field
  // just left, queued behind this accept; until then the accept does nothing.
  if (Dialog_HasEndDate(dialogMode) && EndDate() < StartDate()) return false;
  const char* source = nullptr;
  int length = 0;
  if (!TextToStore(source, length)) return false;
  const bool change = Dialog_IsChangeMode(dialogMode) && dialogState.editedEntry != nullptr;
  Entry* e = Store_AllocEntries(1);
  char* text = e == nullptr ? nullptr : Store_AllocBytes(static_cast<std::size_t>(length));
  if (text == nullptr) {
    Failed();
    return false;
  }
  if (change) {
    std::memcpy(e, dialogState.editedEntry, sizeof(Entry));
  } else {
    std::memset(e, 0, sizeof(Entry));
  }
  e->size = ENTRY_NEW_SIZE;
  std::memcpy(text, source, static_cast<std::size_t>(length));
  e->text = text;
  e->textLen = static_cast<std::uint16_t>(length);
  FillKindPart(*e);
  e->label = dialogState.dialogLabel;
  if (!Store_Register(e)) {
    Failed();
    return false;
  }
  // The old entry goes only once the new one is in, and both in one save.
  if (change) Store_Delete(dialogState.editedEntry);
  Data_Changed();
  Store_Invalidate();
  return true;
}

// ---------------------------------------------------------------------------
// Keys and commands

void Close(bool accepted) {
  dialogState.frameVisible = false;
  dialogState.dialogAccepted = accepted;
  nwEvent_PostTo(&dialog, NW_END_MODAL, accepted ? 1 : 0);
}

void Accept() {
  nwFocus_Set(&dialog);
  if (!BuildEntry()) return;
  Close(true);
}

void Cancel() {
  nwFocus_Set(&dialog);
  Close(false);
}

void FocusIf(bool present, nwObject* field) {
  if (present) nwFocus_Set(field);
}

bool OnKey(int key, int modifiers) {
  const bool ctrl = (modifiers & KEY_MOD_CTRL) != 0;
  if (key == KEY_RETURN) return Accept(), true;
  if (key == KEY_ESCAPE) return Cancel(), true;
  const int special = key & 0xFF00;
  if (key > 0xFF && (special == KEY_UP || special == KEY_DOWN)) {
    if (fieldParams.spinKind == SPIN_NONE) return false;
    Field_Step(special == KEY_UP);
    return true;
  }
  if (!ctrl) return false;
  switch (key) {
    case 'd': nwFocus_Set(&textField); return true;
    case 's': nwFocus_Set(&startYear); return true;
    case 'e': FocusIf(Dialog_HasEndDate(dialogMode), &endYear); return true;
    case 't': FocusIf(Dialog_IsScheduleMode(dialogMode), &startHour); return true;
    case 'r':
      FocusIf(Dialog_HasEndDate(dialogMode), &repeatList);
      FocusIf(Dialog_IsTaskMode(dialogMode), &rankField);
      return true;
    default: return false;
  }
}

void OnCommand(int command) {
  if (command == CMD_DIALOG_OK) return Accept();
  if (command == CMD_DIALOG_CANCEL) return Cancel();
  if (command >= CMD_DIALOG_LABEL0 && command <= CMD_DIALOG_LABEL0 + 4) {
    dialogState.dialogLabel = static_cast<std::uint16_t>(command - CMD_DIALOG_LABEL0);
    ShowLabelName(dialogState.dialogLabel);
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
  const DialogLayout& l = Layout();
  const ZebRect rect{(cap::kScreenWidth - l.width) / 2, (cap::kScreenHeight - l.height) / 2 + 1, l.width,
                     l.height};
  nwObject_Create(&dialog, EntryDialog_Handler, &titleBar, &rect);
  nwFocus_Set(&dialog);
  nwDialog_DoModal(&dialog);
  nwObject_Destroy(&dialog);
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

bool Entry_DeleteAt(DayNo day, int index) {
  Entry* e = index < 0 ? nullptr : MonthRec_EntryAt(day, static_cast<std::uint16_t>(index));
  if (e == nullptr) return false;
  Store_Delete(e);
  Data_Changed();
  Store_Invalidate();
  return true;
}

bool EntryDialog_Handler(nwObject* object, nwMessage* message) {
  auto* field = static_cast<nwObject*>(message->ptr);
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
      if (dialogState.frameVisible) DrawFrame();
      return dialogState.frameVisible;
    case NW_GAIN_FOCUS_NOTIFY: return Field_GainFocus(field);
    case NW_LOST_FOCUS_NOTIFY: return OnFieldLeft(field);
    case NW_EDIT_NOTIFY: return Field_AutoAdvance(field);
    default: return nwDialog_Handler(object, message);
  }
}
