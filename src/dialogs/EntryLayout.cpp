#include "dialogs/EntryLayout.h"

#include <array>
#include <cassert>
#include <cstring>

#include "Capacity.h"
#include "dialogs/EntryDialog.h"

EntryWidgets entryWidgets{};

namespace {

constexpr int kFontTitle = ZEB_FONT_16;
constexpr int kEditorFont = ZEB_FONT_16;

struct Point {
  int x, y;
};

// The text area holds cols x lines characters of the editor's font.
constexpr Point TextArea(int cols, int lines) {
  return {cols * Zeb_CharWidth(kEditorFont) + 4, lines * Zeb_CharHeight(kEditorFont) + 2};
}

// Every field lies at one of these anchors.
struct DialogLayout {
  int width, height;
  int titleY;
  Point text, textSize;
  Point startDate, endDate, startTime, endTime, rank;
  Point repeat, repeatSize;
  bool repeatCaption;  // the small layout has no room for it
  Point repeatCaptionPos, interval, label;
};

constexpr std::array<DialogLayout, 3> kLayouts{{
    {.width = 483, .height = 193, .titleY = 6, .text = {22, 34}, .textSize = TextArea(53, 3),
     .startDate = {22, 94}, .endDate = {208, 94}, .startTime = {22, 118}, .endTime = {116, 118},
     .rank = {208, 94}, .repeat = {208, 118}, .repeatSize = {136, 52}, .repeatCaption = true,
     .repeatCaptionPos = {140, 154}, .interval = {358, 150}, .label = {22, 166}},
    {.width = 640, .height = 202, .titleY = 6, .text = {22, 34}, .textSize = TextArea(74, 5),
     .startDate = {22, 129}, .endDate = {208, 129}, .startTime = {22, 153}, .endTime = {116, 153},
     .rank = {208, 129}, .repeat = {384, 129}, .repeatSize = {136, 52}, .repeatCaption = true,
     .repeatCaptionPos = {316, 165}, .interval = {534, 161}, .label = {548, 129}},
    {.width = 212, .height = 201, .titleY = 6, .text = {10, 34}, .textSize = TextArea(23, 2),
     .startDate = {10, 75}, .endDate = {26, 98}, .startTime = {10, 121}, .endTime = {104, 121},
     .rank = {10, 98}, .repeat = {10, 144}, .repeatSize = {111, 42}, .repeatCaption = false,
     .repeatCaptionPos = {0, 0}, .interval = {125, 168}, .label = {125, 144}},
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

constexpr int kTextCapacity = static_cast<int>(cap::kEntryDialogText);

char textBuffer[Field_BufferBytes(cap::kEntryDialogText)];
char startYearBuffer[Field_BufferBytes(4)], startMonthBuffer[Field_BufferBytes(2)];
char startDayBuffer[Field_BufferBytes(2)], endYearBuffer[Field_BufferBytes(4)];
char endMonthBuffer[Field_BufferBytes(2)], endDayBuffer[Field_BufferBytes(2)];
char startHourBuffer[Field_BufferBytes(2)], startMinuteBuffer[Field_BufferBytes(2)];
char endHourBuffer[Field_BufferBytes(2)], endMinuteBuffer[Field_BufferBytes(2)];
char rankBuffer[Field_BufferBytes(1)], intervalBuffer[Field_BufferBytes(2)];
char startWeekdayBuffer[ENTRY_WEEKDAY_BYTES + 1], endWeekdayBuffer[ENTRY_WEEKDAY_BYTES + 1];

enum Presence { ALL, WITH_END, SCHEDULE, TASK };
enum Kind { EDITOR, LABEL, LIST };

// A text drawn at an anchor of the layout, with the fields it belongs to.
struct Caption {
  Point DialogLayout::*anchor;  // null: none
  int dx;
  const char* text;
};

struct Field {
  EntryChild child;
  Kind kind;
  Presence presence;
  bool tab;
  Point DialogLayout::*anchor;
  ZebRect place;                    // from the anchor; size 0: the layout's
  Point DialogLayout::*size;        // the layout's size, with place's size 0
  std::array<Caption, 2> captions;  // at the anchor's row, 2 pixels down
};

EntryWidgets& w = entryWidgets;
using L = DialogLayout;

// In creation order, which is the tab order.
const std::array<Field, 17> kFields{{
    {{ID_TEXT, &w.text, textBuffer, kTextCapacity}, EDITOR, ALL, true, &L::text, {}, &L::textSize, {}},
    {{ID_START_YEAR, &w.startYear, startYearBuffer, 4}, EDITOR, ALL, true, &L::startDate, {0, 0, 36, 20}, nullptr,
     {{{&L::startDate, 38, kYear}}}},
    {{ID_START_MONTH, &w.startMonth, startMonthBuffer, 2}, EDITOR, ALL, true, &L::startDate, {56, 0, 20, 20},
     nullptr, {{{&L::startDate, 78, kMonth}}}},
    {{ID_START_DAY, &w.startDay, startDayBuffer, 2}, EDITOR, ALL, true, &L::startDate, {96, 0, 20, 20}, nullptr,
     {{{&L::startDate, 118, kDay}}}},
    {{ID_START_WEEKDAY, &w.startWeekday, startWeekdayBuffer, ENTRY_WEEKDAY_BYTES}, LABEL, ALL, false,
     &L::startDate, {144, 2, 16, 20}, nullptr, {{{&L::startDate, 134, "("}, {&L::startDate, 160, ")"}}}},
    {{ID_END_YEAR, &w.endYear, endYearBuffer, 4}, EDITOR, WITH_END, true, &L::endDate, {0, 0, 36, 20}, nullptr,
     {{{&L::endDate, 38, kYear}, {&L::startDate, 168, kTilde}}}},
    {{ID_END_MONTH, &w.endMonth, endMonthBuffer, 2}, EDITOR, WITH_END, true, &L::endDate, {56, 0, 20, 20},
     nullptr, {{{&L::endDate, 78, kMonth}}}},
    {{ID_END_DAY, &w.endDay, endDayBuffer, 2}, EDITOR, WITH_END, true, &L::endDate, {96, 0, 20, 20}, nullptr,
     {{{&L::endDate, 118, kDay}}}},
    {{ID_END_WEEKDAY, &w.endWeekday, endWeekdayBuffer, ENTRY_WEEKDAY_BYTES}, LABEL, WITH_END, false, &L::endDate,
     {144, 2, 16, 20}, nullptr, {{{&L::endDate, 134, "("}, {&L::endDate, 160, ")"}}}},
    {{ID_START_HOUR, &w.startHour, startHourBuffer, 2}, EDITOR, SCHEDULE, true, &L::startTime, {0, 0, 20, 20},
     nullptr, {{{&L::startTime, 22, kHour}}}},
    {{ID_START_MINUTE, &w.startMinute, startMinuteBuffer, 2}, EDITOR, SCHEDULE, true, &L::startTime,
     {40, 0, 20, 20}, nullptr, {{{&L::startTime, 62, kMinuteTo}}}},
    {{ID_END_HOUR, &w.endHour, endHourBuffer, 2}, EDITOR, SCHEDULE, true, &L::endTime, {0, 0, 20, 20}, nullptr,
     {{{&L::endTime, 22, kHour}}}},
    {{ID_END_MINUTE, &w.endMinute, endMinuteBuffer, 2}, EDITOR, SCHEDULE, true, &L::endTime, {40, 0, 20, 20},
     nullptr, {{{&L::endTime, 62, kMinute}}}},
    {{ID_RANK, &w.rank, rankBuffer, 1}, EDITOR, TASK, true, &L::rank, {52, 0, 12, 20}, nullptr,
     {{{&L::rank, 0, kRank}}}},
    {{ID_REPEAT, &w.repeat, nullptr, 0}, LIST, WITH_END, true, &L::repeat, {}, &L::repeatSize,
     {{{&L::repeatCaptionPos, 0, kRepeat}}}},
    {{ID_INTERVAL, &w.interval, intervalBuffer, 2}, EDITOR, WITH_END, true, &L::interval, {0, 0, 20, 20}, nullptr,
     {{{&L::interval, 22, kEvery}}}},
    {{ID_LABEL, &w.label, w.labelBuffer, ENTRY_LABEL_BYTES}, LABEL, ALL, false, &L::label, {0, 0, 68, 20},
     nullptr, {}},
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

ZebRect PlaceOf(const Field& field) {
  const DialogLayout& l = Layout();
  const Point at = l.*field.anchor;
  ZebRect rect{at.x + field.place.x, at.y + field.place.y, field.place.w, field.place.h};
  if (field.size != nullptr) {
    rect.w = (l.*field.size).x;
    rect.h = (l.*field.size).y;
  }
  return rect;
}

nwHandler HandlerOf(Kind kind) {
  switch (kind) {
    case EDITOR: return nwEdit_Handler;
    case LABEL: return nwLabel_Handler;
    case LIST: return nwListBox_Handler;
  }
  return nwObject_DefaultHandler;
}

void DrawText(int x, int y, const char* text) {
  Zeb_DrawText(nwContext, x, y, text, static_cast<int>(std::strlen(text)));
}

void DrawCaptions(const Field& field, int x0, int y0) {
  const DialogLayout& l = Layout();
  for (const Caption& caption : field.captions) {
    if (caption.anchor == nullptr) continue;
    if (caption.anchor == &L::repeatCaptionPos && !l.repeatCaption) continue;
    const Point at = l.*caption.anchor;
    DrawText(x0 + at.x + caption.dx, y0 + at.y + 2, caption.text);
  }
}

}  // namespace

const EntryChild& EntryLayout_Child(int id) {
  for (const Field& field : kFields) {
    if (field.child.id == id) return field.child;
  }
  assert(!"a child of the entry dialog for every field id");
  return kFields[0].child;
}

ZebRect EntryLayout_DialogRect() {
  const DialogLayout& l = Layout();
  return {(cap::kScreenWidth - l.width) / 2, (cap::kScreenHeight - l.height) / 2 + 1, l.width, l.height};
}

void EntryLayout_CreateChildren() {
  for (const Field& field : kFields) {
    if (!Present(field.presence)) continue;
    nwObject* object = field.child.object;
    const ZebRect rect = PlaceOf(field);
    nwObject_Create(object, HandlerOf(field.kind), &w.dialog, &rect);
    nwEvent_SendTo(object, NW_SET_ID, field.child.id);
    if (field.tab) nwEvent_SendTo(&w.dialog, NW_SET_TAB_STOP, 0, 0, object);
    if (field.child.id == ID_TEXT) nwEvent_SendTo(object, NW_SET_MULTI_LINE);
    if (field.child.id == ID_LABEL) nwEvent_SendTo(object, NW_SET_STYLE, NW_LABEL_OUTLINED);
  }
}

void EntryLayout_DestroyChildren() {
  for (const Field& field : kFields) {
    if (Present(field.presence)) nwObject_Destroy(field.child.object);
  }
}

void EntryLayout_Draw() {
  const DialogLayout& l = Layout();
  const ZebRect rect = w.dialog.rect;
  const int x0 = rect.x;
  const int y0 = rect.y;
  Zeb_DrawRaisedFrame(nwContext, rect, ZEB_LIGHT_GREY);
  Zeb_SetFont(nwContext, kFontTitle);
  Zeb_SetColor(nwContext, ZEB_BLACK);
  const char* title = TitleText();
  const int titleX = (l.width - Zeb_CharWidth(kFontTitle) * static_cast<int>(std::strlen(title))) / 2;
  DrawText(x0 + titleX, y0 + l.titleY, title);
  Zeb_DrawLine(nwContext, x0 + 20, y0 + 26, x0 + l.width - 21, y0 + 26);
  for (const Field& field : kFields) {
    if (Present(field.presence)) DrawCaptions(field, x0, y0);
  }
}
