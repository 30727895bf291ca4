#include "dialogs/EntryLayout.h"

#include <array>
#include <cassert>
#include <cstring>

#include "Capacity.h"
#include "dialogs/EntryDialog.h"
#include "dialogs/FieldTable.h"

namespace {

constexpr int kFontTitle = ZEB_FONT_16;
constexpr int kEditorFont = ZEB_FONT_16;
// The editor's frame and margins around its characters.
constexpr int kEditorExtraWidth = 4;
constexpr int kEditorExtraHeight = 2;
// The dialog stands this far below the middle of the screen.
constexpr int kBelowMiddle = 1;

// The text area holds cols x lines characters of the editor's font.
constexpr LayoutPoint TextArea(int cols, int lines) {
  return {cols * Zeb_CharWidth(kEditorFont) + kEditorExtraWidth,
          lines * Zeb_CharHeight(kEditorFont) + kEditorExtraHeight};
}

constexpr std::array<DialogLayout, 3> kLayouts{{
    {.width = 483, .height = 193, .titleY = 6, .ruleY = 26, .text = {22, 34}, .textSize = TextArea(53, 3),
     .startDate = {22, 94}, .endDate = {208, 94}, .startTime = {22, 118}, .endTime = {116, 118},
     .rank = {208, 94}, .repeat = {208, 118}, .repeatSize = {136, 52}, .repeatCaption = true,
     .repeatCaptionPos = {140, 154}, .interval = {358, 150}, .label = {22, 166}},
    {.width = 640, .height = 202, .titleY = 6, .ruleY = 26, .text = {22, 34}, .textSize = TextArea(74, 5),
     .startDate = {22, 129}, .endDate = {208, 129}, .startTime = {22, 153}, .endTime = {116, 153},
     .rank = {208, 129}, .repeat = {384, 129}, .repeatSize = {136, 52}, .repeatCaption = true,
     .repeatCaptionPos = {316, 165}, .interval = {534, 161}, .label = {548, 129}},
    {.width = 212, .height = 201, .titleY = 6, .ruleY = 26, .text = {10, 34}, .textSize = TextArea(23, 2),
     .startDate = {10, 75}, .endDate = {26, 98}, .startTime = {10, 121}, .endTime = {104, 121},
     .rank = {10, 98}, .repeat = {10, 144}, .repeatSize = {111, 42}, .repeatCaption = false,
     .repeatCaptionPos = {0, 0}, .interval = {125, 168}, .label = {125, 144}},
}};

// Titles by dialog mode (Shift-JIS); other modes have none.
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

const DialogLayout& Layout(const EntryDialog& d) {
  const int n = d.layout;
  assert(n >= 0 && n < 3 && "the dialog chose one of its layouts");
  return kLayouts[static_cast<std::size_t>(n >= 0 && n < 3 ? n : LAYOUT_NORMAL)];
}

bool Present(DialogMode mode, FieldPresence presence) {
  switch (presence) {
    case FieldPresence::All: return true;
    case FieldPresence::WithEnd: return Dialog_HasEndDate(mode);
    case FieldPresence::Schedule: return Dialog_IsScheduleMode(mode);
    case FieldPresence::Task: return Dialog_IsTaskMode(mode);
  }
  return false;
}

const char* TitleText(DialogMode mode) {
  for (const ModeTitle& title : kTitles) {
    if (title.mode == mode) return title.text;
  }
  return "";
}

ZebRect PlaceOf(const DialogLayout& l, const EntryPlace& place) {
  const LayoutPoint at = l.*place.anchor;
  ZebRect rect{at.x + place.offset.x, at.y + place.offset.y, place.offset.w, place.offset.h};
  if (place.size != nullptr) {
    rect.w = (l.*place.size).x;
    rect.h = (l.*place.size).y;
  }
  return rect;
}

nwHandler HandlerOf(FieldKind kind) {
  switch (kind) {
    case FieldKind::Editor: return nwEdit_Handler;
    case FieldKind::Label: return nwLabel_Handler;
    case FieldKind::List: return nwListBox_Handler;
  }
  return nwObject_DefaultHandler;
}

void DrawText(int x, int y, const char* text) {
  Zeb_DrawText(nwContext, x, y, text, static_cast<int>(std::strlen(text)));
}

void DrawCaptions(const DialogLayout& l, const EntryPlace& place, int x0, int y0) {
  for (const FieldCaption& caption : place.captions) {
    if (caption.anchor == nullptr) continue;
    if (caption.anchor == &DialogLayout::repeatCaptionPos && !l.repeatCaption) continue;
    const LayoutPoint at = l.*caption.anchor;
    DrawText(x0 + at.x + caption.dx, y0 + at.y + CAPTION_DROP, caption.text);
  }
}

}  // namespace

EntryChild EntryLayout_Child(EntryWidgets& w, int id) {
  const FieldRow* row = FieldTable_Row(id);
  assert(row != nullptr && "a child of the entry dialog for every field id");
  return (row != nullptr ? *row : FieldTable_Rows().front()).widget(w);
}

ZebRect EntryLayout_DialogRect(const EntryDialog& d) {
  const DialogLayout& l = Layout(d);
  return {(cap::kScreenWidth - l.width) / 2, (cap::kScreenHeight - l.height) / 2 + kBelowMiddle, l.width, l.height};
}

void EntryLayout_CreateChildren(EntryDialog& d) {
  for (const FieldRow& row : FieldTable_Rows()) {
    if (!Present(d.fields.mode, row.place.presence)) continue;
    nwObject* object = row.widget(d.w).object;
    const ZebRect rect = PlaceOf(Layout(d), row.place);
    nwObject_Create(object, HandlerOf(row.kind), &d, &rect);
    nwEvent_SendTo(object, NW_SET_ID, row.id);
    if (row.place.tab) nwEvent_SendTo(&d, NW_SET_TAB_STOP, 0, 0, object);
    if (row.id == ID_TEXT) nwEvent_SendTo(object, NW_SET_MULTI_LINE);
    if (row.id == ID_LABEL) nwEvent_SendTo(object, NW_SET_STYLE, NW_LABEL_OUTLINED);
  }
}

void EntryLayout_DestroyChildren(EntryDialog& d) {
  for (const FieldRow& row : FieldTable_Rows()) {
    if (Present(d.fields.mode, row.place.presence)) nwObject_Destroy(row.widget(d.w).object);
  }
}

void EntryLayout_DrawFrame(const ZebRect& rect, const DialogLayout& l, const char* title) {
  Zeb_DrawRaisedFrame(nwContext, rect, ZEB_LIGHT_GREY);
  Zeb_SetFont(nwContext, kFontTitle);
  Zeb_SetColor(nwContext, ZEB_BLACK);
  const int titleX = (l.width - Zeb_CharWidth(kFontTitle) * static_cast<int>(std::strlen(title))) / 2;
  DrawText(rect.x + titleX, rect.y + l.titleY, title);
  const int ruleY = rect.y + l.ruleY;
  Zeb_DrawLine(nwContext, rect.x + DIALOG_RULE_INSET, ruleY, rect.x + l.width - 1 - DIALOG_RULE_INSET, ruleY);
}

void EntryLayout_Draw(const EntryDialog& d) {
  const DialogLayout& l = Layout(d);
  const ZebRect rect = d.rect;
  EntryLayout_DrawFrame(rect, l, TitleText(d.fields.mode));
  for (const FieldRow& row : FieldTable_Rows()) {
    if (Present(d.fields.mode, row.place.presence)) DrawCaptions(l, row.place, rect.x, rect.y);
  }
}
