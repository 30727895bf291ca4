// The list box: a framed, scrollable list of fixed-width text rows in a
// caller's buffer, the selected row shown inverted.
#include <cstring>

#include "toolkit/nwInternal.h"

namespace {

nwListBox* AsList(nwObject* object) { return static_cast<nwListBox*>(object); }

void Recount(nwListBox* list) {
  list->columns = list->advance > 0 ? (list->rect.w - 4) / list->advance : 0;
  if (list->columns < 0) list->columns = 0;
  list->visibleRows = (list->columns > 0 && list->lineHeight > 0) ? (list->rect.h - 4) / list->lineHeight : 0;
  if (list->visibleRows < 0) list->visibleRows = 0;
}

void SetFont(nwListBox* list, int font) {
  nwText_SetFont(list, font);
  Recount(list);
}

void OnCreate(nwListBox* list) {
  list->reserved = NW_WIDGET;
  list->focused = 0;
  list->rows = nwText_Empty;
  list->rowCapacity = list->rowSize = 0;
  list->top = list->cursor = list->rowCount = 0;
  SetFont(list, ZEB_FONT_16);
}

char* Row(const nwListBox* list, int row) {
  return list->rows + static_cast<std::size_t>(row) * static_cast<std::size_t>(list->rowSize);
}

void Highlight(const nwListBox* list) {
  if (!list->visible || list->rowCount <= 0 || list->cursor >= list->visibleRows) return;
  const ZebRect& r = list->rect;
  Zeb_InvertBox(nwContext, ZebRect{r.x + 2, r.y + 2 + list->lineHeight * list->cursor, r.w - 4, list->lineHeight});
}

void Draw(const nwListBox* list) {
  if (!list->visible) return;
  nwText_DrawBox(list->rect, ZEB_LIGHT_GREY, list->focused != 0);
  Zeb_SetColor(nwContext, list->foreColor);
  Zeb_SetFont(nwContext, list->fontNo);
  for (int i = 0; i < list->visibleRows && list->top + i < list->rowCount; ++i) {
    const int row = list->top + i;
    if (row < 0 || row >= list->rowCapacity) continue;
    Zeb_DrawText(nwContext, list->rect.x + 2, list->rect.y + 2 + i * list->lineHeight, Row(list, row),
                 list->columns);
  }
  Highlight(list);
}

void MoveUp(nwListBox* list) {
  if (list->cursor > 0) {
    Highlight(list);
    --list->cursor;
    Highlight(list);
  } else if (list->top > 0) {
    --list->top;
    Draw(list);
  }
}

void MoveDown(nwListBox* list) {
  if (list->cursor < list->visibleRows - 1) {
    Highlight(list);
    ++list->cursor;
    Highlight(list);
  } else if (list->top + list->cursor + 1 < list->rowCount) {
    ++list->top;
    Draw(list);
  }
}

bool OnKey(nwListBox* list, int key, int modifiers) {
  const bool ctrl = (modifiers & KEY_MOD_CTRL) != 0;
  if (key == KEY_UP || (ctrl && key == 'p')) {
    MoveUp(list);
    return true;
  }
  if (key == KEY_DOWN || (ctrl && key == 'n')) {
    MoveDown(list);
    return true;
  }
  return false;
}

// A new buffer starts empty: no row is in use yet.
void SetBuffer(nwListBox* list, void* buffer, int rowSize, int rowCapacity) {
  const bool usable = buffer != nullptr && rowSize > 0 && rowCapacity > 0;
  list->rows = usable ? static_cast<char*>(buffer) : nwText_Empty;
  list->rowSize = usable ? rowSize : 0;
  list->rowCapacity = usable ? rowCapacity : 0;
  if (usable) std::memset(buffer, 0, static_cast<std::size_t>(rowSize) * static_cast<std::size_t>(rowCapacity));
  list->top = list->cursor = list->rowCount = 0;
}

// The copy leaves room for the NUL inside the row and never ends on half a
// character.
void SetText(nwListBox* list, const void* text, int row, int length) {
  if (row < 0 || row >= list->rowCapacity) return;
  const int wanted = length < list->rowSize - 1 ? length : list->rowSize - 1;
  nwText_Copy(Row(list, row), list->rowSize, static_cast<const char*>(text), wanted);
  if (list->rowCount < row + 1) list->rowCount = row + 1;
}

void UnsetText(nwListBox* list, int row) {
  if (row >= 0 && row < list->rowCapacity) Row(list, row)[0] = '\0';
}

void SetTop(nwListBox* list, int top) {
  list->top = top > 0 ? top : 0;
  while (list->top > 0 && list->top + list->cursor >= list->rowCount) --list->top;
}

void OnFocus(nwListBox* list, bool gained) {
  nwText_FocusChanged(list, gained);
  Draw(list);
}

}  // namespace

bool nwListBox_Handler(nwObject* object, nwMessage* message) {
  nwListBox* list = AsList(object);
  switch (message->code) {
    case NW_CREATE:
      nwObject_DefaultHandler(object, message);
      OnCreate(list);
      return true;
    case NW_DESTROY: return true;
    case NW_GAIN_FOCUS:
    case NW_LOST_FOCUS: OnFocus(list, message->code == NW_GAIN_FOCUS); return true;
    case NW_KEY_DOWN: return OnKey(list, message->param, nwMessage_Modifiers(message));
    case NW_REDRAW: Draw(list); return true;
    case NW_ADD_CHILD:
    case NW_REMOVE_CHILD: return false;
    case NW_SET_FONT: SetFont(list, message->param); return true;
    case NW_SET_BUFFER: SetBuffer(list, message->ptr, message->param, message->param2); return true;
    case NW_SET_TEXT: SetText(list, message->ptr, message->param, message->param2); return true;
    case NW_UNSET_TEXT: UnsetText(list, message->param); return true;
    case NW_GET_RESULT:
      if (message->ptr != nullptr) *nwMessage_Ptr<int>(message) = list->top + list->cursor;
      return true;
    case NW_SET_CURSOR: SetTop(list, message->param); return true;
    case NW_SET_RECT:
      nwObject_DefaultHandler(object, message);
      if (list->reserved == NW_WIDGET) Recount(list);
      return true;
    default: return nwObject_DefaultHandler(object, message);
  }
}
