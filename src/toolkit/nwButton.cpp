// The button: framed text that posts its command to the parent on Return,
// drawn inverted while it has the focus.
#include "toolkit/nwInternal.h"

namespace {

nwButton* AsButton(nwObject* object) { return static_cast<nwButton*>(object); }

void Recount(nwButton* button) {
  const bool fits = button->advance > 0 && button->lineHeight + 6 < button->rect.h;
  button->columns = fits ? (button->rect.w - 6) / button->advance : 0;
  if (button->columns < 0) button->columns = 0;
}

void SetFont(nwButton* button, int font) {
  nwText_SetFont(button, font);
  Recount(button);
}

void OnCreate(nwButton* button) {
  button->reserved = NW_WIDGET;
  button->focused = 0;
  button->text = nwText_Empty;
  button->textSize = 0;
  button->textLength = 0;
  button->command = 0;
  SetFont(button, ZEB_FONT_16);
}

void Draw(nwButton* button) {
  if (!button->visible) return;
  const ZebRect& rect = button->rect;
  Zeb_DrawRaisedFrame(nwContext, rect, button->backColor);
  const int width = button->textLength * button->advance + 6;
  const int x = rect.w <= width ? 3 : (rect.w - width) / 2 + 3;
  const int count = button->textLength < button->columns ? button->textLength : button->columns;
  Zeb_SetColor(nwContext, button->foreColor);
  Zeb_SetFont(nwContext, button->fontNo);
  Zeb_DrawText(nwContext, rect.x + x, rect.y + 4, button->text, count);
  if (button->focused) {
    ZebRect inner = rect;
    ZebRect_Inset(inner, 3, 3);
    Zeb_InvertBox(nwContext, inner);
  }
}

void OnFocus(nwButton* button, bool gained) {
  nwText_FocusChanged(button, gained);
  Draw(button);
}

bool OnKey(nwButton* button, const nwMessage* message) {
  if (message->param != KEY_RETURN) return false;
  if (button->parent != nullptr) nwEvent_PostTo(button->parent, NW_COMMAND, button->command);
  return true;
}

}  // namespace

bool nwButton_Handler(nwObject* object, nwMessage* message) {
  nwButton* button = AsButton(object);
  switch (message->code) {
    case NW_CREATE:
      nwObject_DefaultHandler(object, message);
      OnCreate(button);
      return true;
    case NW_DESTROY: return true;
    case NW_GAIN_FOCUS:
    case NW_LOST_FOCUS: OnFocus(button, message->code == NW_GAIN_FOCUS); return true;
    case NW_REDRAW: Draw(button); return true;
    case NW_ADD_CHILD:
    case NW_REMOVE_CHILD: return false;
    case NW_KEY_DOWN: return OnKey(button, message);
    case NW_SET_COMMAND: button->command = message->param; return true;
    case NW_SET_FONT: SetFont(button, message->param); return true;
    case NW_SET_BUFFER: nwText_SetBuffer(button, message->ptr, message->param); return true;
    case NW_SET_TEXT: nwText_SetText(button, message->ptr, message->param); return true;
    case NW_SET_RECT:
      nwObject_DefaultHandler(object, message);
      if (button->reserved == NW_WIDGET) Recount(button);
      return true;
    default: return nwObject_DefaultHandler(object, message);
  }
}
