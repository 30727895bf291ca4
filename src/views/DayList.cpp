#include "views/DayList.h"

#include <cstdio>
#include <cstring>

#include "calendar/Date.h"
#include "graphics/Zeb.h"
#include "store/MonthRec.h"
#include "text/ShiftJis.h"
#include "toolkit/nw.h"
#include "views/Screen.h"
#include "views/TimeTable.h"

namespace {

constexpr int kTimeColumns = 7;       // "hh:mm" and a gap before the text
constexpr int kWideTimeColumns = 13;  // "hh:mm-hh:mm" and a gap
constexpr int kHeaderFontWide = 8;    // font 2 advance
constexpr int kHeaderFontNarrow = 6;  // font 1 advance
constexpr int kMarkInset = 13;        // header scroll marks from the right edge
constexpr int kStrikeInset = 8;
constexpr int kTaskPrefixBytes = 6;

constexpr const char* kLinkMark = "<";
constexpr const char* kUpMark = "\x81\xaa";    // ↑
constexpr const char* kDownMark = "\x81\xab";  // ↓

constexpr DayListLayout kView4{.left = 449, .top = 21, .width = 191, .headerHeight = 21, .listHeight = 180,
                               .rowHeight = 15, .visibleRows = 12, .font = ZEB_FONT_12, .charsPerRow = 31,
                               .wideTime = false};
constexpr DayListLayout kView7{.left = 474, .top = 21, .width = 166, .headerHeight = 21, .listHeight = 180,
                               .rowHeight = 15, .visibleRows = 12, .font = ZEB_FONT_12, .charsPerRow = 27,
                               .wideTime = false};
constexpr DayListLayout kView8{.left = 197, .top = 21, .width = 443, .headerHeight = 21, .listHeight = 180,
                               .rowHeight = 18, .visibleRows = 10, .font = ZEB_FONT_16, .charsPerRow = 55,
                               .wideTime = true};

DayListLayout panel{};
bool active = false;

int Right() { return panel.left + panel.width - 1; }
int ListTop() { return panel.top + panel.headerHeight; }
ZebRect ListArea() {
  return View_ClipToArea(ZebRect{panel.left, ListTop(), panel.width, panel.listHeight});
}

// Row text, clipped to the panel so no kind's text reaches past its edge.
void RowText(int x, int y, const char* text, int count) {
  if (count <= 0) return;
  Zeb_SetColor(nwContext, ZEB_BLACK);
  const ZebRect area = ListArea();
  Zeb_DrawTextClipped(nwContext, x, y, text, count, area.x, area.y, area.x + area.w, area.y + area.h);
}

void EntryText(const Entry& e, int x, int y, int limit) {
  RowText(x, y, e.text, ShiftJis_Fit(e.text, e.textLen, limit));
}

void LinkMark(const Entry& e, int x, int y) {
  if (e.linkLen > 0) RowText(x, y, kLinkMark, 1);
}

void DrawSchedule(const Entry& e, int x, int y) {
  const int cw = Zeb_CharWidth(panel.font);
  const int columns = panel.wideTime ? kWideTimeColumns : kTimeColumns;
  const int limit = panel.charsPerRow - columns;
  LinkMark(e, x, y);
  char time[16];
  if (e.endHour == 0 && e.endMinute == 0) {
    EntryText(e, x + columns * cw + 1, y, limit);
    return;
  }
  const bool sameTimes = e.startHour == e.endHour && e.startMinute == e.endMinute;
  if (!panel.wideTime || sameTimes) {
    std::snprintf(time, sizeof time, "%2d:%02d", e.startHour, e.startMinute);
    RowText(x + cw + 1, y, time, static_cast<int>(std::strlen(time)));
    EntryText(e, x + columns * cw + 1, y, limit);
    return;
  }
  std::snprintf(time, sizeof time, "%2d:%02d-", e.startHour, e.startMinute);
  RowText(x + cw + 1, y, time, static_cast<int>(std::strlen(time)));
  std::snprintf(time, sizeof time, "%2d:%02d", e.endHour, e.endMinute);
  RowText(x + kTimeColumns * cw + 1, y, time, static_cast<int>(std::strlen(time)));
  EntryText(e, x + kWideTimeColumns * cw + 1, y, limit);
}

void DrawHoliday(const Entry& e, const ZebRect& row, int y) {
  const int cw = Zeb_CharWidth(panel.font);
  View_Fill(row, ZEB_LIGHT_GREY);
  LinkMark(e, row.x, y);
  const int count = ShiftJis_Fit(e.text, e.textLen, panel.charsPerRow - 1);
  const int x = row.x + cw + (row.w - cw - count * cw) / 2;
  RowText(x, y, e.text, count);
}

void DrawTask(const Entry& e, const ZebRect& row, int y) {
  const int cw = Zeb_CharWidth(panel.font);
  LinkMark(e, row.x, y);
  char rank[16];
  std::snprintf(rank, sizeof rank, "   \x81\x91%d", e.rank);  // ￠
  RowText(row.x, y, rank, kTaskPrefixBytes);
  EntryText(e, row.x + kTimeColumns * cw + 1, y, panel.charsPerRow - kTimeColumns);
  if (e.doneLen == 0) return;
  const int half = Zeb_CharHeight(panel.font) / 2;
  View_Line(row.x + kStrikeInset, row.y - 1 + half, Right() - kStrikeInset, row.y - 1 + half, ZEB_DARK_GREY);
  View_Line(row.x + kStrikeInset, row.y + 3 + half, Right() - kStrikeInset, row.y + 3 + half, ZEB_DARK_GREY);
}

void DrawRow(const Entry& e, int k) {
  const ZebRect row = DayList_RowRect(k);
  const int y = row.y + 1;
  View_Fill(row, ZEB_WHITE);
  switch (e.kind) {
    case KIND_SCHEDULE: DrawSchedule(e, row.x, y); break;
    case KIND_HOLIDAY: DrawHoliday(e, row, y); break;
    case KIND_TASK: DrawTask(e, row, y); break;
    default:
      LinkMark(e, row.x, y);
      EntryText(e, row.x + Zeb_CharWidth(panel.font) + 1, y, panel.charsPerRow);
      break;
  }
  View_Line(row.x, row.y + row.h - 1, Right(), row.y + row.h - 1, ZEB_DARK_GREY);
}

}  // namespace

const DayListLayout* DayList_Layout(std::uint16_t view) {
  switch (view) {
    case VIEW_THREE_WEEKS: return &kView4;
    case VIEW_WEEK_LIST: return &kView7;
    case VIEW_DAY: return &kView8;
    default: return nullptr;
  }
}

ViewDayList DayList_Setup(std::uint16_t view) {
  const DayListLayout* layout = DayList_Layout(view);
  active = layout != nullptr;
  panel = active ? *layout : DayListLayout{};
  if (!active) return ViewDayList{};
  return ViewDayList{.visibleRows = panel.visibleRows, .x = panel.left, .y = ListTop(), .width = panel.width,
                     .rowHeight = panel.rowHeight, .redraw = DayList_Redraw};
}

// The last row is cut at the function-key bar.
ZebRect DayList_RowRect(int k) {
  return View_ClipToArea(
      ZebRect{panel.left, ListTop() + panel.rowHeight * k, panel.width, panel.rowHeight});
}

void DayList_DrawHeader() {
  if (!active) return;
  const ZebRect header{panel.left, panel.top, panel.width, panel.headerHeight};
  View_Fill(header, ZEB_LIGHT_GREY);
  Zeb_DrawEdge(nwContext, header);

  std::uint16_t year = 0, month = 0, mday = 0;
  DayNo_ToDate(browse.cursorDate, year, month, mday);
  char text[48];
  // "%d年%2d月%2d日(%s)  "
  std::snprintf(text, sizeof text, "%d\x94\x4e%2d\x8c\x8e%2d\x93\xfa(%s)  ", year, month, mday,
                WeekdayName[browse.cursorDate % 7]);
  const int length = static_cast<int>(std::strlen(text));
  const bool wide = kHeaderFontWide * length < panel.width;
  const int advance = wide ? kHeaderFontWide : kHeaderFontNarrow;
  const int height = wide ? 16 : 12;
  Zeb_SetFont(nwContext, wide ? ZEB_FONT_16 : ZEB_FONT_12);
  Zeb_SetColor(nwContext, ZEB_BLACK);
  Zeb_DrawText(nwContext, panel.left + (panel.width - advance * length) / 2,
               panel.top + (panel.headerHeight - height) / 2, text, length);

  const int count = View_DayCount(browse.cursorDate);
  const ViewDayList& list = View_DayList();
  if (count <= panel.visibleRows) return;
  Zeb_SetFont(nwContext, ZEB_FONT_12);
  const int x = Right() - kMarkInset;
  if (list.top > 0) Zeb_DrawText(nwContext, x, panel.top + 2, kUpMark, 2);
  if (list.top + panel.visibleRows < count) Zeb_DrawText(nwContext, x, panel.top + 2, kDownMark, 2);
}

void DayList_DrawRows() {
  if (!active) return;
  View_Fill(ListArea(), ZEB_WHITE);
  View_DayList().shownDay = browse.cursorDate;
  View_DayList().shownTop = View_DayList().top;
  const int count = View_DayCount(browse.cursorDate);
  const int top = View_DayList().top;
  Zeb_SetFont(nwContext, panel.font);
  for (int k = 0; k < panel.visibleRows && top + k < count; ++k) {
    const Entry* e = MonthRec_EntryAt(browse.cursorDate, static_cast<std::uint16_t>(top + k));
    if (e != nullptr) DrawRow(*e, k);
  }
  Zeb_SetColor(nwContext, ZEB_BLACK);
}

void DayList_Redraw() {
  DayList_DrawHeader();
  DayList_DrawRows();
}

void DayList_DrawHighlight() {
  if (!active || browse.selectionState != VIEW_SEL_ITEM) return;
  const ViewDayList& list = View_DayList();
  const int k = list.index - list.top;
  if (k < 0 || k >= panel.visibleRows) return;
  Zeb_InvertBox(nwContext, DayList_RowRect(k));
}

void DayList_Tick() {
  DayList_Redraw();
  DayList_DrawHighlight();
}
