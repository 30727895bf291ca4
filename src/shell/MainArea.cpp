// The main area: hosts the current view and hands keys and commands to the
// browse handlers.
#include "shell/Browse.h"
#include "shell/Shell.h"
#include "views/View.h"

namespace {

void OnCreate(nwObject* object, nwMessage* message) {
  nwObject_DefaultHandler(object, message);
  View_CreateCurrent();
  nwFocus_Set(object);
  nwEvent_PostTo(object, NW_SET_BACK_COLOR, ZEB_LIGHT_GREY);
  nwTimer_Set(SHELL_TIMER_STATUS, object, SHELL_STATUS_MS);
  nwTimer_Set(SHELL_TIMER_CLOCK, &titleBar, SHELL_CLOCK_MS);
}

void OnDestroy(nwObject* object, nwMessage* message) {
  nwObject_DefaultHandler(object, message);
  View_DestroyCurrent();
  nwEvent_PostTo(nullptr, NW_QUIT);
}

bool InFront() { return browse.screenMode != MODE_DIALOG && browse.screenMode != MODE_WINDOW; }

}  // namespace

bool MainArea_Handler(nwObject* object, nwMessage* message) {
  switch (message->code) {
    case NW_CREATE:
      OnCreate(object, message);
      return true;
    case NW_DESTROY:
      OnDestroy(object, message);
      return true;
    case NW_TIMER:
      if (message->param == SHELL_TIMER_STATUS) View_StatusTick();
      return true;
    case NW_KEY_DOWN:
      Browse_Key(message->param, message->param2);
      return true;
    case NW_COMMAND:
      return Browse_Command(message->param);
    case NW_REDRAW:
      if (InFront()) View_RedrawAll();
      return true;
    default:
      nwObject_DefaultHandler(object, message);
      return true;
  }
}
