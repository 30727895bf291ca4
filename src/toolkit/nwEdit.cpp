// The text editor: edits a caller's Shift-JIS buffer in place. Input-method
// text arrives a byte at a time, so a lead byte may stand alone at the
// cursor until its trail byte comes; it is not drawn until then.
#include <cstring>

#include "toolkit/nwInternal.h"

namespace {

constexpr char kLineFeed = '\n';

nwEdit* AsEdit(nwObject* object) { return static_cast<nwEdit*>(object); }

bool IsLead(const nwEdit* edit, int index) {
  return Zeb_IsLeadByte(static_cast<unsigned char>(edit->text[index]));
}

// Bytes of the character at index: a lead byte takes its follower with it,
// except a lead byte still waiting at the end of the text.
int CharSize(const nwEdit* edit, int index) {
  return (IsLead(edit, index) && index + 1 < edit->length) ? 2 : 1;
}

int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

bool LineExists(const nwEdit* edit, int line) {
  return nwEdit_LineStart(edit, line) < edit->length;
}

void Notify(nwEdit* edit, int code) {
  if (edit->parent != nullptr) nwEvent_PostTo(edit->parent, code, edit->serial, edit->id, edit);
}

// A change made by a key the user pressed; the parent can tell it from the
// program's own changes when the notification arrives.
void NotifyTyped(nwEdit* edit) {
  edit->typed = 1;
  Notify(edit, NW_EDIT_NOTIFY);
}

void NotifyProgram(nwEdit* edit) {
  edit->typed = 0;
  Notify(edit, NW_EDIT_NOTIFY);
}

void Recount(nwEdit* edit) {
  edit->columns = edit->advance > 0 ? (edit->rect.w - 4) / edit->advance : 0;
  if (edit->columns < 0) edit->columns = 0;
  edit->visibleLines = (edit->columns > 0 && edit->lineHeight > 0) ? (edit->rect.h - 4) / edit->lineHeight : 0;
  if (edit->visibleLines < 0) edit->visibleLines = 0;
}

void SetFont(nwEdit* edit, int font) {
  nwText_SetFont(edit, font);
  Recount(edit);
}

// Keeps the cursor's line or column on screen.
void FollowCursor(nwEdit* edit) {
  if (edit->multiLine) {
    const int line = nwEdit_LineOf(edit, edit->cursor);
    if (line < edit->topLine) edit->topLine = line;
    if (edit->visibleLines > 0 && line >= edit->topLine + edit->visibleLines) {
      edit->topLine = line - edit->visibleLines + 1;
    }
    return;
  }
  // A cursor just after the last shown column does not scroll: a field as
  // wide as its capacity keeps its whole text in view.
  if (edit->cursor < edit->scroll) edit->scroll = edit->cursor;
  if (edit->scroll + edit->columns < edit->cursor) edit->scroll = edit->cursor - edit->columns;
}

// ---------------------------------------------------------------------------
// Editing

void RemoveBytes(nwEdit* edit, int at, int count) {
  std::memmove(edit->text + at, edit->text + at + count, static_cast<std::size_t>(edit->length - at - count));
  edit->length -= count;
  edit->text[edit->length] = '\0';
}

void DeleteBackward(nwEdit* edit, int count) {
  if (edit->cursor == 0) return;
  edit->mark = 0;
  count = Clamp(count, 0, edit->cursor);
  if (nwEdit_InsideCharacter(edit, edit->cursor - count)) ++count;
  count = Clamp(count, 0, edit->cursor);
  edit->cursor -= count;
  RemoveBytes(edit, edit->cursor, count);
  FollowCursor(edit);
  nwEditDraw_Text(edit);
}

void DeleteForward(nwEdit* edit, int count) {
  int to = Clamp(edit->cursor + count, edit->cursor, edit->length);
  if (to < edit->length && nwEdit_InsideCharacter(edit, to)) ++to;
  const int moved = to - edit->cursor;
  edit->cursor = to;
  DeleteBackward(edit, moved);
}

void Insert(nwEdit* edit, const char* bytes, int count) {
  // A byte typed just after a lead byte is that character's trail byte, even
  // when it looks like a lead byte too (亜 is 88 9F).
  const bool completes = count == 1 && edit->cursor > 0 && nwEdit_InsideCharacter(edit, edit->cursor);
  const bool lead = count == 1 && !completes && Zeb_IsLeadByte(static_cast<unsigned char>(bytes[0]));
  const bool trail = count == 1 && Zeb_IsTrailByte(static_cast<unsigned char>(bytes[0]));
  if (edit->dropTrail) {
    edit->dropTrail = 0;
    if (trail) return;
  }
  // A lead byte needs room for its trail byte too, or the pair is refused.
  const int needed = lead ? 2 : count;
  if (edit->length + needed - edit->mark > edit->capacity) {
    edit->dropTrail = lead ? 1 : 0;
    return;
  }
  if (edit->mark > 0) {
    const int marked = edit->mark;
    edit->mark = 0;
    DeleteForward(edit, marked);
  }
  std::memmove(edit->text + edit->cursor + count, edit->text + edit->cursor,
               static_cast<std::size_t>(edit->length - edit->cursor));
  std::memcpy(edit->text + edit->cursor, bytes, static_cast<std::size_t>(count));
  edit->length += count;
  edit->cursor += count;
  edit->text[edit->length] = '\0';
  FollowCursor(edit);
  if (!lead) nwEditDraw_Text(edit);
}

void EndOfMark(nwEdit* edit) {
  edit->cursor = Clamp(edit->cursor + edit->mark, 0, edit->length);
  if (edit->cursor < edit->length && nwEdit_InsideCharacter(edit, edit->cursor)) ++edit->cursor;
  edit->mark = 0;
}

void CursorRight(nwEdit* edit) {
  if (edit->mark > 0) {
    EndOfMark(edit);
  } else if (edit->cursor < edit->length) {
    edit->cursor += CharSize(edit, edit->cursor);
  }
  FollowCursor(edit);
  nwEditDraw_Text(edit);
}

void CursorLeft(nwEdit* edit) {
  if (edit->cursor > 0) {
    --edit->cursor;
    if (nwEdit_InsideCharacter(edit, edit->cursor)) --edit->cursor;
  }
  edit->mark = 0;
  FollowCursor(edit);
  nwEditDraw_Text(edit);
}

int StepBackIfInside(const nwEdit* edit, int position) {
  return (position > 0 && nwEdit_InsideCharacter(edit, position)) ? position - 1 : position;
}

void LineDown(nwEdit* edit) {
  if (edit->mark > 0) EndOfMark(edit);
  const int line = nwEdit_LineOf(edit, edit->cursor);
  if (LineExists(edit, line + 1)) {
    const int column = edit->cursor - nwEdit_LineStart(edit, line);
    const int next = nwEdit_LineStart(edit, line + 1);
    const int size = nwEdit_LineEnd(edit, next) - next;
    edit->cursor = StepBackIfInside(edit, next + (column < size - 1 ? column : size - 1));
  }
  FollowCursor(edit);
  nwEditDraw_Text(edit);
}

void LineUp(nwEdit* edit) {
  edit->mark = 0;
  const int line = nwEdit_LineOf(edit, edit->cursor);
  const int start = nwEdit_LineStart(edit, line);
  const int end = nwEdit_LineEnd(edit, start);
  if (edit->cursor == end && end > start) {
    edit->cursor = start;
  } else if (line > 0) {
    const int column = edit->cursor - start;
    const int previous = nwEdit_LineStart(edit, line - 1);
    const int size = start - previous;
    edit->cursor = StepBackIfInside(edit, previous + (column < size ? column : size));
  }
  FollowCursor(edit);
  nwEditDraw_Text(edit);
}

// ---------------------------------------------------------------------------
// Keys

bool Key(nwEdit* edit, int key, int modifiers);

bool ControlKey(nwEdit* edit, int key) {
  switch (key) {
    case 'b': return Key(edit, KEY_LEFT, KEY_MOD_NONE);
    case 'f': return Key(edit, KEY_RIGHT, KEY_MOD_NONE);
    case 'n': return Key(edit, KEY_DOWN, KEY_MOD_NONE);
    case 'p': return Key(edit, KEY_UP, KEY_MOD_NONE);
    case 'j': {
      const char lineFeed = kLineFeed;
      Insert(edit, &lineFeed, 1);
      NotifyTyped(edit);
      return true;
    }
    default: return false;
  }
}

bool IsCharacterKey(int key) {
  if (key <= 0 || key > 0xFF) return false;  // special keys carry modifiers in the low byte
  const auto byte = static_cast<unsigned char>(key);
  return (byte >= 0x20 && byte <= 0x7E) || Zeb_IsLeadByte(byte) || Zeb_IsTrailByte(byte);
}

bool TypeKey(nwEdit* edit, int key, int modifiers) {
  if (!IsCharacterKey(key)) return false;
  if ((modifiers & KEY_MOD_SHIFT) != 0 && key >= 'a' && key <= 'z') key -= 'a' - 'A';
  const char byte = static_cast<char>(key);
  Insert(edit, &byte, 1);
  NotifyTyped(edit);
  return true;
}

bool Key(nwEdit* edit, int key, int modifiers) {
  if (!IsCharacterKey(key)) edit->dropTrail = 0;
  switch (key) {
    case KEY_BACKSPACE:
      DeleteBackward(edit, 1);
      NotifyTyped(edit);
      return true;
    case KEY_UP:
      if (!edit->multiLine) return false;
      LineUp(edit);
      return true;
    case KEY_LEFT: CursorLeft(edit); return true;
    case KEY_RIGHT: CursorRight(edit); return true;
    case KEY_DOWN:
      if (!edit->multiLine) return false;
      LineDown(edit);
      return true;
    case KEY_DELETE:
      if (edit->cursor >= edit->length) break;
      DeleteForward(edit, 1);
      NotifyTyped(edit);
      return true;
    default: break;
  }
  if ((modifiers & KEY_MOD_CTRL) != 0) return ControlKey(edit, key);
  if ((key >= KEY_F1 && key <= KEY_F10) || key == KEY_ESCAPE || key == KEY_TAB || key == KEY_RETURN) return false;
  return TypeKey(edit, key, modifiers);
}

// ---------------------------------------------------------------------------
// Messages

void OnCreate(nwEdit* edit) {
  edit->reserved = NW_WIDGET;
  edit->focused = 0;
  edit->text = nwText_Empty;
  edit->capacity = edit->length = edit->columns = edit->visibleLines = 0;
  edit->scroll = edit->topLine = edit->cursor = edit->mark = 0;
  edit->multiLine = 0;
  edit->dropTrail = 0;
  edit->typed = 0;
  SetFont(edit, ZEB_FONT_16);
}

// A new buffer keeps the counts, cut to what it can hold.
void SetBuffer(nwEdit* edit, void* buffer, int capacity) {
  const bool usable = buffer != nullptr && capacity >= 0;
  edit->text = usable ? static_cast<char*>(buffer) : nwText_Empty;
  edit->capacity = usable ? capacity : 0;
  edit->length = Clamp(edit->length, 0, edit->capacity);
  edit->cursor = Clamp(edit->cursor, 0, edit->length);
  edit->mark = Clamp(edit->mark, 0, edit->length - edit->cursor);
  edit->scroll = Clamp(edit->scroll, 0, edit->length);
  edit->dropTrail = 0;
}

void SetText(nwEdit* edit, const void* source, int length) {
  const int wanted = Clamp(length, 0, edit->capacity);
  edit->length = nwText_Copy(edit->text, edit->capacity + 1, static_cast<const char*>(source), wanted);
  edit->mark = 0;
  edit->scroll = 0;
  edit->topLine = 0;
  edit->dropTrail = 0;
  edit->cursor = StepBackIfInside(edit, Clamp(edit->columns, 0, edit->length));
  NotifyProgram(edit);
}

// Positions are the caller's; they are only kept inside the text and off
// the middle of a character.
void SetCursor(nwEdit* edit, int cursor, int mark) {
  if (mark < 0) {
    cursor = 0;
    mark = edit->length;
  }
  edit->cursor = StepBackIfInside(edit, Clamp(cursor, 0, edit->length));
  edit->mark = Clamp(mark, 0, edit->length - edit->cursor);
  FollowCursor(edit);
  nwEditDraw_Text(edit);
  NotifyProgram(edit);
}

void OnFocus(nwEdit* edit, bool gained) {
  nwText_FocusChanged(edit, gained);
  if (!gained) Zeb_SetTextSpot(nullptr, false);
  if (gained) SetCursor(edit, 0, -1);
  nwEditDraw_All(edit);
}

}  // namespace

// True when the byte before position is the lead byte of a character, found
// by walking from the start (a lead-looking byte in trail position is not).
bool nwEdit_InsideCharacter(const nwEdit* edit, int position) {
  int i = 0;
  while (i < position) i += IsLead(edit, i) ? 2 : 1;
  return i > position;
}

// End of the line starting at start.
int nwEdit_LineEnd(const nwEdit* edit, int start) {
  int pos = start;
  while (pos < edit->length) {
    const int size = CharSize(edit, pos);
    if (pos + size - start > edit->columns) break;
    pos += size;
    if (edit->text[pos - size] == kLineFeed) return pos;
  }
  // A field narrower than one character still advances a character a line.
  if (pos == start && pos < edit->length) pos += CharSize(edit, pos);
  return pos;
}

int nwEdit_LineOf(const nwEdit* edit, int position) {
  int start = 0;
  for (int line = 0; start < edit->length; ++line) {
    const int end = nwEdit_LineEnd(edit, start);
    if (position <= end) return line;
    start = end;
  }
  return 0;
}

int nwEdit_LineStart(const nwEdit* edit, int line) {
  int start = 0;
  for (int n = 0; n < line && start < edit->length; ++n) start = nwEdit_LineEnd(edit, start);
  return start;
}

bool nwEdit_Handler(nwObject* object, nwMessage* message) {
  nwEdit* edit = AsEdit(object);
  switch (message->code) {
    case NW_CREATE:
      nwObject_DefaultHandler(object, message);
      OnCreate(edit);
      return true;
    case NW_DESTROY: return true;
    case NW_GAIN_FOCUS:
    case NW_LOST_FOCUS: OnFocus(edit, message->code == NW_GAIN_FOCUS); return true;
    case NW_KEY_DOWN: return Key(edit, message->param, nwMessage_Modifiers(message));
    case NW_REDRAW: nwEditDraw_All(edit); return true;
    case NW_ADD_CHILD:
    case NW_REMOVE_CHILD: return false;
    case NW_SET_FONT: SetFont(edit, message->param); return true;
    case NW_SET_BUFFER: SetBuffer(edit, message->ptr, message->param); return true;
    case NW_SET_TEXT: SetText(edit, message->ptr, message->param); return true;
    case NW_SET_CURSOR: SetCursor(edit, message->param, message->param2); return true;
    case NW_SET_MULTI_LINE: edit->multiLine = 1; return true;
    case NW_SET_RECT:
      nwObject_DefaultHandler(object, message);
      if (edit->reserved == NW_WIDGET) Recount(edit);
      return true;
    default: return nwObject_DefaultHandler(object, message);
  }
}
