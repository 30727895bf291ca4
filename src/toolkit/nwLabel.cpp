// The label: one line of text in a box, optionally framed, aligned left,
// centred or right.
#include "toolkit/nwInternal.h"

namespace {

nwLabel* AsLabel(nwObject* object) { return static_cast<nwLabel*>(object); }

void Recount(nwLabel* label) {
  const int h = label->rect.h;
  const int w = label->rect.w;
  if (label->advance <= 0) {
    label->columns = 0;
  } else if (label->style != NW_LABEL_PLAIN) {
    label->columns = h < label->lineHeight + 4 ? 0 : (w - 4) / label->advance;
  } else {
    label->columns = h < label->lineHeight ? 0 : w / label->advance;
  }
  if (label->columns < 0) label->columns = 0;
}

void SetFont(nwLabel* label, int font) {
  nwText_SetFont(label, font);
  Recount(label);
}

void OnCreate(nwLabel* label) {
  label->reserved = NW_WIDGET;
  label->focused = 0;
  label->text = nwText_Empty;
  label->textSize = 0;
  label->textLength = 0;
  label->align = NW_ALIGN_LEFT;
  label->style = NW_LABEL_PLAIN;
  SetFont(label, ZEB_FONT_16);
}

int TextX(const nwLabel* label) {
  const int w = label->rect.w;
  const int width = label->textLength * label->advance;
  if (label->style != NW_LABEL_PLAIN) {
    const int framed = width + 4;
    if (w <= framed) return 2;
    if (label->align == NW_ALIGN_RIGHT) return w - framed + 2;
    if (label->align == NW_ALIGN_CENTER) return (w - framed) / 2 + 2;
    return 2;
  }
  const int room = w - width;
  if (room <= 0) return 0;
  if (label->align == NW_ALIGN_RIGHT) return room;
  if (label->align == NW_ALIGN_CENTER) return room / 2;
  return 0;
}

void Draw(nwLabel* label) {
  if (!label->visible) return;
  Zeb_SetColor(nwContext, label->backColor);
  Zeb_FillBox(nwContext, label->rect);
  if (label->style == NW_LABEL_OUTLINED) {
    Zeb_SetColor(nwContext, label->foreColor);
    Zeb_DrawBox(nwContext, label->rect);
  } else if (label->style == NW_LABEL_EDGE) {
    Zeb_DrawEdge(nwContext, label->rect);
  }
  const int y = label->style != NW_LABEL_PLAIN ? 2 : 0;
  const int count = label->textLength < label->columns ? label->textLength : label->columns;
  Zeb_SetColor(nwContext, label->foreColor);
  Zeb_SetFont(nwContext, label->fontNo);
  Zeb_DrawText(nwContext, label->rect.x + TextX(label), label->rect.y + y, label->text, count);
}

void OnFocus(nwLabel* label, bool gained) {
  nwText_FocusChanged(label, gained);
  Draw(label);
}

}  // namespace

bool nwLabel_Handler(nwObject* object, nwMessage* message) {
  nwLabel* label = AsLabel(object);
  switch (message->code) {
    case NW_CREATE:
      nwObject_DefaultHandler(object, message);
      OnCreate(label);
      return true;
    case NW_DESTROY: return true;
    case NW_GAIN_FOCUS:
    case NW_LOST_FOCUS: OnFocus(label, message->code == NW_GAIN_FOCUS); return true;
    case NW_REDRAW: Draw(label); return true;
    case NW_ADD_CHILD:
    case NW_REMOVE_CHILD: return false;
    case NW_SET_FONT: SetFont(label, message->param); return true;
    case NW_SET_ALIGN: label->align = message->param; return true;
    case NW_SET_STYLE: label->style = message->param; Recount(label); return true;
    case NW_SET_BUFFER: nwText_SetBuffer(label, message->ptr, message->param); return true;
    case NW_SET_TEXT: nwText_SetText(label, message->ptr, message->param); return true;
    case NW_SET_RECT:
      nwObject_DefaultHandler(object, message);
      if (label->reserved == NW_WIDGET) Recount(label);
      return true;
    default: return nwObject_DefaultHandler(object, message);
  }
}
