// The text editor's drawing: its box, the shown lines or columns of its text,
// and the cursor.
#include <algorithm>

#include "toolkit/nwInternal.h"

namespace {

constexpr char kLineFeed = '\n';

ZebRect TextArea(const nwEdit* edit) {
  ZebRect area = edit->rect;
  ZebRect_Inset(area, 2, 2);
  return area;
}

void DrawCursor(const nwEdit* edit) {
  if (!edit->focused || !edit->visible) return;
  int row = 0;
  int from = edit->scroll;
  if (edit->multiLine) {
    const int line = nwEdit_LineOf(edit, edit->cursor);
    row = line - edit->topLine;
    if (row < 0 || row >= edit->visibleLines) return;
    from = nwEdit_LineStart(edit, line);
  }
  const ZebRect area = TextArea(edit);
  const int x = area.x + edit->advance * (edit->cursor - from);
  const int right = edit->rect.x + edit->rect.w - 2;
  int width = edit->advance * (edit->mark > 0 ? edit->mark : 1);
  if (x + width > right) width = right - x;
  if (width <= 0) return;
  const ZebRect cursor{x, area.y + row * edit->lineHeight, width, edit->lineHeight};
  Zeb_InvertBox(nwContext, cursor);
  Zeb_SetTextSpot(&cursor, edit->multiLine != 0);
}

// Draws count bytes from first at x, with a character cut by either edge of
// the shown columns drawn only in part.
void DrawRun(const nwEdit* edit, int first, int count, int y) {
  const ZebRect area = TextArea(edit);
  int from = first;
  int x = area.x;
  if (from > 0 && nwEdit_InsideCharacter(edit, from)) {
    --from;
    x -= edit->advance;
  }
  int end = first + count;
  if (end < edit->length && nwEdit_InsideCharacter(edit, end)) ++end;
  if (end > from && edit->text[end - 1] == kLineFeed) --end;
  if (end <= from) return;
  Zeb_DrawTextClipped(nwContext, x, y, edit->text + from, end - from, area.x, area.y,
                      area.x + edit->columns * edit->advance, area.y + area.h);
}

}  // namespace

void nwEditDraw_Text(const nwEdit* edit) {
  if (!edit->visible) return;
  const ZebRect area = TextArea(edit);
  Zeb_SetColor(nwContext, ZEB_WHITE);
  Zeb_FillBox(nwContext, area);
  Zeb_SetColor(nwContext, edit->foreColor);
  Zeb_SetFont(nwContext, edit->fontNo);
  if (!edit->multiLine) {
    const int count = std::clamp(edit->length - edit->scroll, 0, edit->columns);
    DrawRun(edit, edit->scroll, count, area.y);
  } else {
    int start = nwEdit_LineStart(edit, edit->topLine);
    for (int row = 0; row < edit->visibleLines && start < edit->length; ++row) {
      const int end = nwEdit_LineEnd(edit, start);
      DrawRun(edit, start, end - start, area.y + row * edit->lineHeight);
      start = end;
    }
  }
  DrawCursor(edit);
}

void nwEditDraw_All(const nwEdit* edit) {
  if (!edit->visible) return;
  nwText_DrawBox(edit->rect, ZEB_WHITE, edit->focused != 0);
  nwEditDraw_Text(edit);
}

