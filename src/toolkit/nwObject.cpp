// Object creation and destruction, and the default handling every handler
// falls back to.
#include "toolkit/nwInternal.h"

#include <cassert>

namespace {

int serialCounter = 0;

void PostToChildren(nwObject* object, int code) {
  for (std::size_t slot = 0; slot < cap::kChildren; ++slot) {
    if (object->childUsed[slot]) nwEvent_PostTo(object->children[slot], code);
  }
}

bool ShowOrHide(nwObject* object, int code) {
  object->visible = code == NW_SHOW ? 1 : 0;
  PostToChildren(object, code);
  nwEvent_SendTo(object, NW_REDRAW);
  return true;
}

bool SetRect(nwObject* object, const ZebRect* rect) {
  ZebRect absolute{};
  if (rect != nullptr) absolute = *rect;
  if (object->parent != nullptr) ZebRect_Offset(absolute, object->parent->rect.x, object->parent->rect.y);
  object->rect = absolute;
  return true;
}

bool AddChild(nwObject* object, nwObject* child) {
  for (std::size_t slot = 0; slot < cap::kChildren; ++slot) {
    if (object->childUsed[slot]) continue;
    object->childUsed[slot] = 1;
    object->children[slot] = child;
    ++object->childCount;
    return true;
  }
  return false;
}

bool RemoveChild(nwObject* object, nwObject* child) {
  for (std::size_t slot = 0; slot < cap::kChildren; ++slot) {
    if (!object->childUsed[slot] || object->children[slot] != child) continue;
    object->childUsed[slot] = 0;
    --object->childCount;
    return true;
  }
  return false;
}

// A query without a place for its answer is a caller's mistake.
bool Fill(void* ptr, int value) {
  assert(ptr != nullptr);
  if (ptr == nullptr) return false;
  *static_cast<int*>(ptr) = value;
  return true;
}

bool GetRect(nwObject* object, void* ptr) {
  assert(ptr != nullptr);
  if (ptr == nullptr) return false;
  *static_cast<ZebRect*>(ptr) = object->rect;
  return true;
}

}  // namespace

void nwObject_Draw(nwObject* object) {
  if (object->visible) {
    Zeb_DrawRaisedFrame(nwContext, object->rect, object->backColor);
    Zeb_SetColor(nwContext, ZEB_BLACK);
  } else {
    // Erased with the parent's background; a top-level object with paper.
    Zeb_SetColor(nwContext, object->parent ? object->parent->backColor : ZEB_WHITE);
    Zeb_FillBox(nwContext, object->rect);
    Zeb_SetColor(nwContext, ZEB_BLACK);
  }
  PostToChildren(object, NW_REDRAW);
}

bool nwObject_DefaultHandler(nwObject* object, nwMessage* message) {
  switch (message->code) {
    case NW_CREATE: return true;
    case NW_DESTROY: object->visible = 0; return true;
    case NW_SHOW:
    case NW_HIDE: return ShowOrHide(object, message->code);
    case NW_SET_FOCUS: nwFocus_Set(object); return true;
    case NW_REDRAW: nwObject_Draw(object); return true;
    case NW_SET_RECT: return SetRect(object, nwMessage_Ptr<const ZebRect>(message));
    case NW_SET_PARENT: object->parent = nwMessage_Ptr<nwObject>(message); return true;
    case NW_ADD_CHILD: return AddChild(object, nwMessage_Ptr<nwObject>(message));
    case NW_REMOVE_CHILD: return RemoveChild(object, nwMessage_Ptr<nwObject>(message));
    case NW_SET_FORE_COLOR: object->foreColor = message->param; return true;
    case NW_SET_BACK_COLOR: object->backColor = message->param; return true;
    case NW_GET_RECT: return GetRect(object, message->ptr);
    case NW_SET_ID: object->id = message->param; return true;
    case NW_GET_ID: return Fill(message->ptr, object->id);
    case NW_END_MODAL: return nwDialog_RequestEnd(message->param);
    default: return false;
  }
}

bool nwObject_Create(nwObject* object, nwHandler handler, nwObject* parent, const ZebRect* rect) {
  object->serial = serialCounter++;
  object->id = 0;
  object->reserved = 0;
  object->rect = ZebRect{};
  object->visible = 0;
  object->foreColor = ZEB_BLACK;
  object->backColor = ZEB_LIGHT_GREY;
  object->parent = nullptr;
  object->handler = handler;
  object->childCount = 0;
  for (std::size_t slot = 0; slot < cap::kChildren; ++slot) {
    object->childUsed[slot] = 0;
    object->children[slot] = nullptr;
  }
  nwEvent_SendTo(object, NW_SET_PARENT, 0, 0, parent);
  if (parent != nullptr) nwEvent_SendTo(parent, NW_ADD_CHILD, 0, 0, object);
  nwEvent_SendTo(object, NW_SET_RECT, 0, 0, const_cast<ZebRect*>(rect));
  nwEvent_SendTo(object, NW_CREATE);
  return true;
}

bool nwObject_Destroy(nwObject* object) {
  if (object == nullptr) return false;
  if (object->parent != nullptr) nwEvent_SendTo(object->parent, NW_REMOVE_CHILD, 0, 0, object);
  nwEvent_SendTo(object, NW_DESTROY);
  // Keys must not reach a destroyed record.
  if (nwFocus_Get() == object) nwFocus_Replace(object->parent);
  return true;
}
