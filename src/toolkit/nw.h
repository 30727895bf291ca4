// The widget toolkit: objects that receive numbered messages through one
// handler function, the message queue, focus, tab order, modal loops, timers,
// and the label, button and function-key bar widgets. Everything runs on the
// application thread; nothing here allocates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "Capacity.h"
#include "graphics/Zeb.h"
#include "graphics/ZebKey.h"

struct nwObject;

// A message: copied by value into the queue.
struct nwMessage {
  nwObject* target;   // null: the focus chain (keys and commands)
  int code;           // NW_*; set to NW_NONE once dispatched
  void* ptr;          // text, rectangle, object, bitmap or result location
  int param;
  int param2;
};

// A key message's modifiers (KEY_MOD_*), and the object or value a message's
// ptr carries.
inline int nwMessage_Modifiers(const nwMessage* message) { return message->param2 & 0xFF; }
template <typename T>
T* nwMessage_Ptr(const nwMessage* message) {
  return static_cast<T*>(message->ptr);
}

// handler(object, message) -> true when handled (stops the bubbling of keys
// and commands). A handler switches on the code and falls back to the handler
// it extends (nwObject_DefaultHandler, or nwDialog_Handler for dialogs).
using nwHandler = bool (*)(nwObject* object, nwMessage* message);

// The head of every toolkit object. Widgets derive from it and append their
// own fields; an object is created with nwObject_Create on a record the
// caller owns (usually static).
struct nwObject {
  int serial;                           // creation number
  int id;                               // user identifier (SetID / GetID)
  int reserved;                         // 0; widgets set 2
  ZebRect rect;                         // absolute screen coordinates
  std::uint8_t visible;                 // 1 while shown
  int foreColor;                        // grey 0..3, 3 at creation
  int backColor;                        // grey 0..3, 1 at creation
  nwObject* parent;
  int childCount;
  int childUsed[cap::kChildren];        // 1 where the slot is in use
  nwObject* children[cap::kChildren];
  nwHandler handler;
};

static_assert(std::is_trivially_copyable_v<nwMessage>, "messages are copied by value into the queue");
static_assert(std::is_standard_layout_v<nwObject> && offsetof(nwObject, serial) == 0,
              "widgets pass their record wherever the object head is expected");

// Message codes. Codes 23, 41, 42 and 45 have no name in nwEvent_Name.
enum : int {
  NW_NONE = 0,
  NW_CREATE = 1,
  NW_DESTROY = 2,
  NW_SHOW = 3,
  NW_HIDE = 4,
  NW_SET_FOCUS = 5,
  NW_GAIN_FOCUS = 6,            // sent to the new focus
  NW_LOST_FOCUS = 7,            // sent to the old focus
  NW_TIMER = 8,                 // param = timer 0..4
  NW_KEY_DOWN = 9,              // param = key code, param2 = modifiers
  NW_KEY_UP = 10,
  NW_COMMAND = 11,              // param = command number
  NW_REDRAW = 12,
  NW_QUIT = 13,                 // never delivered: ends every loop level
  NW_SET_RECT = 14,             // ptr = ZebRect relative to the parent
  NW_SET_PARENT = 15,           // ptr = parent
  NW_ADD_CHILD = 16,            // ptr = child
  NW_REMOVE_CHILD = 17,         // ptr = child
  NW_SET_FORE_COLOR = 18,       // param = grey
  NW_SET_BACK_COLOR = 19,       // param = grey
  NW_GET_RECT = 20,             // ptr = ZebRect to fill (absolute)
  NW_SET_ID = 21,               // param = id
  NW_GET_ID = 22,               // ptr = int to fill
  NW_UNUSED_23 = 23,
  NW_SET_TAB_STOP = 24,         // ptr = child (dialogs)
  NW_DO_MODAL = 25,             // dialogs: runs the modal loop; result in param
  NW_END_MODAL = 26,            // param = result; ends the innermost modal loop
  NW_CUT = 27,
  NW_PASTE = 28,
  NW_COPY = 29,
  NW_CLEAR = 30,
  NW_SET_FONT = 31,             // param = font number
  NW_SET_ALIGN = 32,            // param = NW_ALIGN_*
  NW_SET_STYLE = 33,            // param = style bits, param2 = 1 set / 0 clear
  NW_SET_BUFFER = 34,           // ptr = caller's buffer, param = its size
  NW_SET_TEXT = 35,             // ptr = text, param = length (toolbar: param = slot, param2 = command)
  NW_UNSET_TEXT = 36,           // param = slot (toolbar)
  NW_INSERT_TEXT = 37,
  NW_SET_COMMAND = 38,          // param = command number (buttons)
  NW_GET_RESULT = 39,           // ptr = int to fill
  NW_SET_CURSOR = 40,           // param, param2 (text editor)
  NW_SET_MULTI_LINE = 41,
  NW_SET_ICON = 42,             // ptr = "#ZBV" bitmap text
  NW_GAIN_FOCUS_NOTIFY = 43,    // ptr = widget, param = serial, param2 = id
  NW_LOST_FOCUS_NOTIFY = 44,    // as 43
  NW_EDIT_NOTIFY = 45,          // as 43
};

// Result of a modal loop ended by a close request or a Quit, not EndModal.
inline constexpr int NW_MODAL_CANCEL = 0;

// The one screen drawing context; the shell opens the screen with it and
// everything on the application thread draws through it.
extern ZebContext nwContext;

// ---------------------------------------------------------------------------
// Messages and the queue (nwEvent.cpp)

nwMessage* nwEvent_Set(nwMessage* message, int code, void* ptr, int param, int param2);
void nwEvent_Clear(nwMessage* message);
void nwEvent_Copy(nwMessage* destination, const nwMessage* source);
// Calls object's handler at once. A null object or handler gives false.
bool nwEvent_Send(nwMessage* message, nwObject* object);
// Copies the message into the queue addressed to object (null: focus chain);
// false when 128 messages wait (the message is dropped).
bool nwEvent_Post(const nwMessage* message, nwObject* object);
bool nwEvent_PostFocus(const nwMessage* message);
// Shorthands that fill a message and send or post it.
bool nwEvent_SendTo(nwObject* object, int code, int param = 0, int param2 = 0, void* ptr = nullptr);
bool nwEvent_PostTo(nwObject* object, int code, int param = 0, int param2 = 0, void* ptr = nullptr);
// Empties the queue, clears the focus and ends the quitting state.
void nwEvent_Reset();
// The next message, or null once a Quit was taken or the host asked to close
// (from then on every call returns null, at every loop level, until
// nwEvent_Reset). Without block, an empty queue gives a message with code
// NW_NONE. The message stays valid until the next call at the same loop level.
nwMessage* nwEvent_Next(bool block);
// Delivers to the target, or for keys and commands with no target along the
// focus chain; the message's code is NW_NONE afterwards.
bool nwEvent_Dispatch(nwMessage* message);
// The object drawn over everything while it is shown (the message box);
// null: none. Nothing dispatched to objects outside it may paint over it.
void nwEvent_SetCover(nwObject* object);
// A close request of the user (KEY_HOST_CLOSE_REQUEST) is offered to this
// hook first: true means the application takes it up (it has posted what
// asks the user); false, or no hook, ends every loop level as a close does.
using nwCloseHook = bool (*)();
void nwEvent_SetCloseHook(nwCloseHook hook);
const char* nwEvent_Name(const nwMessage* message);
int nwEvent_Pending();          // messages waiting in the queue
bool nwEvent_IsQuitting();      // a Quit or close request has been taken

// The key filter, run by the main and modal loops before dispatch: control
// and upper-case letters become a letter and a modifier, F1..F10 become
// commands of the registered toolbar (consumed: true), Shift+Tab and
// CTRL+arrows are normalised.
bool nwEvent_Filter(nwMessage* message);
bool nwEvent_HasModifier(const nwMessage* message, int mask);
// The object that receives the function keys (the toolbar registers itself
// when created).
void nwEvent_SetToolbar(nwObject* toolbar);

// The toolkit's debug log. It discards the text unless a hook is set.
void nwLog(const char* text);
void nwLog_SetHook(void (*hook)(const char* text));

// ---------------------------------------------------------------------------
// Objects (nwObject.cpp)

// Initialises the record, then sends SetParent, AddChild (to the parent),
// SetRect (rect relative to the parent; null: empty) and Create.
bool nwObject_Create(nwObject* object, nwHandler handler, nwObject* parent, const ZebRect* rect);
// Sends RemoveChild to the parent (if any) and Destroy to the object; if the
// focus is still on the object it falls back to the parent, silently.
bool nwObject_Destroy(nwObject* object);
bool nwObject_DefaultHandler(nwObject* object, nwMessage* message);
// Default Redraw: the raised plain object, or its erasure when hidden.
void nwObject_Draw(nwObject* object);

// ---------------------------------------------------------------------------
// Focus (nwFocus.cpp)

void nwFocus_Set(nwObject* object);
nwObject* nwFocus_Get();

// ---------------------------------------------------------------------------
// Dialogs (nwDialog.cpp): an object that owns a tab order over its children
// and runs a modal loop. Application dialogs derive from it and fall back to
// nwDialog_Handler.

struct nwDialog : nwObject {
  int tabStop[cap::kChildren];    // 1 where the child in that slot is a tab stop
  int tabIndex;                   // current tab stop slot, -1 when none
  nwObject* savedFocus;           // focus when the dialog was created
  int modalResult;                // result of the last modal loop
};

bool nwDialog_Handler(nwObject* object, nwMessage* message);
// The next tab stop slot from the current one, or -1.
int nwDialog_NextTab(nwDialog* dialog, bool backward);
// Sends DoModal and returns the loop's result: the low byte of the EndModal
// param, or NW_MODAL_CANCEL when the loop ended by a Quit or a close request.
int nwDialog_DoModal(nwObject* dialog);
int nwDialog_Depth();           // modal loops running

// ---------------------------------------------------------------------------
// Timers (nwTimer.cpp): five interval timers, polled by nwEvent_Next.

void nwTimer_Set(int slot, nwObject* object, int intervalMs);
void nwTimer_Kill(int slot);
// Posts a Timer for each due timer (one interval at most per check) and
// returns the milliseconds until the next due time: 0..60000.
int nwTimer_Check();
void nwTimer_Reset();           // stops every timer

// ---------------------------------------------------------------------------
// Input method (nwIme.cpp)

bool nwIme_IsOpen();
bool nwIme_Toggle();            // toggles, then returns the new state

// ---------------------------------------------------------------------------
// Widgets (nwLabel.cpp, nwButton.cpp, nwToolbar.cpp)

inline constexpr int NW_WIDGET = 2;          // reserved word of widgets

inline constexpr int NW_LABEL_PLAIN = 0;
inline constexpr int NW_LABEL_OUTLINED = 1;
inline constexpr int NW_LABEL_EDGE = 2;
inline constexpr int NW_ALIGN_LEFT = 0;
inline constexpr int NW_ALIGN_CENTER = 1;
inline constexpr int NW_ALIGN_RIGHT = 2;

struct nwLabel : nwObject {
  std::uint8_t focused;
  char* text;             // caller's buffer (SetBuffer); a toolkit "" before
  int textSize;           // capacity of text in bytes
  int textLength;         // bytes shown
  int columns;            // half-width characters that fit
  int style;              // NW_LABEL_*
  int align;              // NW_ALIGN_*
  int fontNo;
  int advance;            // half-width advance of the font
  int lineHeight;
};

struct nwButton : nwObject {
  std::uint8_t focused;
  char* text;
  int textSize;
  int textLength;
  int columns;
  int fontNo;
  int advance;
  int lineHeight;
  int command;            // posted to the parent on Return
};

inline constexpr int NW_TOOLBAR_LABEL = 8;   // bytes of a slot label

struct nwToolbarSlot {
  char label[NW_TOOLBAR_LABEL + 1];
  std::uint8_t set;
  int command;
};

struct nwToolbar : nwObject {
  nwToolbarSlot slots[cap::kToolbarSlots];
};

bool nwLabel_Handler(nwObject* object, nwMessage* message);
bool nwButton_Handler(nwObject* object, nwMessage* message);
bool nwToolbar_Handler(nwObject* object, nwMessage* message);
// Left edge of toolbar slot 0..9 relative to the bar: three groups of four,
// four and two keys with 10-pixel gaps.
constexpr int nwToolbar_SlotX(int slot) { return 53 * slot + 10 * (slot / 4); }

// ---------------------------------------------------------------------------
// Text editor (nwEdit.cpp): edits a caller's Shift-JIS buffer in place, one
// line scrolling sideways or several lines wrapping, never splitting a
// double-byte character. SetBuffer: ptr = buffer, param = largest text
// length; the buffer holds param + 1 bytes. Posts EditNotify to the parent
// after each edit, SetText and SetCursor.

struct nwEdit : nwObject {
  std::uint8_t focused;
  char* text;             // caller's buffer (SetBuffer); a toolkit "" before
  int capacity;           // largest text length; the buffer holds capacity + 1
  int length;
  int columns;            // half-width cells per line
  int visibleLines;
  int scroll;             // single line: first shown byte
  int topLine;            // multi-line: first shown line
  int cursor;             // byte index 0..length
  int mark;               // bytes after the cursor that are marked
  int fontNo;
  int advance;
  int lineHeight;
  std::uint8_t multiLine;
  std::uint8_t dropTrail; // a lead byte was refused: its trail byte goes too
  std::uint8_t typed;     // the last change came from a key (not SetText or SetCursor)
};

bool nwEdit_Handler(nwObject* object, nwMessage* message);
// Line arithmetic of the multi-line mode, for tests and callers that place
// the cursor: the start of line n (length when there is no such line), and
// the line a byte position belongs to.
int nwEdit_LineStart(const nwEdit* edit, int line);
int nwEdit_LineOf(const nwEdit* edit, int position);

// ---------------------------------------------------------------------------
// List box (nwListBox.cpp): fixed-width text rows in a caller's buffer, one
// selected row shown inverted. SetBuffer: ptr = rows, param = bytes per row,
// param2 = rows. SetText: ptr = text, param = row, param2 = length.
// GetResult: the selected row, top + cursor.

struct nwListBox : nwObject {
  std::uint8_t focused;
  char* rows;             // rowCapacity rows of rowSize bytes
  int rowCapacity;
  int rowSize;
  int columns;
  int visibleRows;
  int top;                // first shown row
  int cursor;             // selected position among the shown rows
  int rowCount;           // one more than the highest row set
  int fontNo;
  int advance;
  int lineHeight;
};

bool nwListBox_Handler(nwObject* object, nwMessage* message);

// ---------------------------------------------------------------------------
// Message box (nwMessageBox.cpp): up to three centred lines (split at line
// feeds; further lines are dropped) and one to three buttons in a fixed 240x120
// box in the middle of the screen, run modally. Its records are static and
// reused, so one box is open at a time.

// Box types (only the low four bits count; any other type gets "OK" alone).
inline constexpr int NW_MB_OK = 1;           // "OK"
inline constexpr int NW_MB_OK_NG = 2;        // "OK", "NG"
inline constexpr int NW_MB_OK_CANCEL = 4;    // "OK", "CANCEL"
inline constexpr int NW_MB_YES_NO_CANCEL = 8;  // "はい" (OK), "いいえ" (NG), "取消" (CANCEL)
// Results: the command of the button pressed.
inline constexpr int NW_MB_RESULT_OK = 1;
inline constexpr int NW_MB_RESULT_NG = 2;
inline constexpr int NW_MB_RESULT_CANCEL = 4;
// No button was pressed: the box was not opened (one is open already, or a
// Quit or close request has been taken) or it was closed by one.
inline constexpr int NW_MB_NO_ANSWER = -1;

inline constexpr ZebRect NW_MB_RECT{200, 70, 240, 120};   // on the screen

// Shows the box and returns the command of the button pressed, or
// NW_MB_NO_ANSWER.
int nwMessageBox(const char* text, int type);
// The object boxes are created on (the whole-screen title object); null: none.
void nwMessageBox_SetParent(nwObject* parent);
bool nwMessageBox_Handler(nwObject* object, nwMessage* message);
bool nwMessageBox_IsOpen();
