// What the toolkit's sources share beyond the public header.
#pragma once

#include "toolkit/nw.h"

// Forgets the focus without telling anyone (reset, destroyed focus object).
void nwFocus_Clear();
void nwFocus_Replace(nwObject* object);

// Shared by the text widgets: Shift-JIS aware bounded copy; returns the bytes
// copied, never ending on a cut-off lead byte.
int nwText_Copy(char* destination, int capacity, const char* source, int length);

// The box of an editor or list: a black outline, the inside in back, and a
// second outline inside it while the widget has the focus.
void nwText_DrawBox(const ZebRect& rect, int back, bool focused);

// The text fields labels and buttons have in common (focused, text, textSize,
// textLength, fontNo, advance, lineHeight); their records differ in layout,
// so these take either record.
inline char nwText_Empty[1] = "";

template <class Widget>
void nwText_SetBuffer(Widget* widget, void* buffer, int size) {
  const bool usable = buffer != nullptr && size > 0;
  widget->text = usable ? static_cast<char*>(buffer) : nwText_Empty;
  widget->textSize = usable ? size : 0;
  if (widget->textLength > widget->textSize) widget->textLength = widget->textSize;
}

template <class Widget>
void nwText_SetText(Widget* widget, const void* text, int length) {
  widget->textLength = nwText_Copy(widget->text, widget->textSize, static_cast<const char*>(text), length);
}

template <class Widget>
void nwText_SetFont(Widget* widget, int font) {
  widget->fontNo = font;
  widget->advance = Zeb_FontAdvance(font);
  widget->lineHeight = Zeb_FontLineHeight(font);
}

// Notes the focus change and tells the parent (ptr = widget, serial, id).
template <class Widget>
void nwText_FocusChanged(Widget* widget, bool gained) {
  widget->focused = gained ? 1 : 0;
  if (widget->parent == nullptr) return;
  nwEvent_PostTo(widget->parent, gained ? NW_GAIN_FOCUS_NOTIFY : NW_LOST_FOCUS_NOTIFY, widget->serial,
                 widget->id, widget);
}

// EndModal that reached a handler (sent, not taken by a loop): ends the
// innermost running modal loop with the low byte of result once the current
// dispatch returns. False when no modal loop runs.
bool nwDialog_RequestEnd(int result);

// The toolbar being destroyed no longer receives the function keys.
void nwEvent_ReleaseToolbar(nwObject* toolbar);

// The text editor's characters and lines (nwEdit.cpp) and its drawing
// (nwEditDraw.cpp).
bool nwEdit_InsideCharacter(const nwEdit* edit, int position);  // position splits a character
int nwEdit_LineEnd(const nwEdit* edit, int start);              // end of the line starting at start
void nwEditDraw_Text(const nwEdit* edit);                       // the text area and the cursor
void nwEditDraw_All(const nwEdit* edit);                        // the box, then the text
