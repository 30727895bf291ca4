#include "host/sdl/SdlNotify.h"

#include <libnotify/notify.h>

#include <mutex>
#include <thread>

#include "host/common/HostKeys.h"

namespace {

constexpr const char* kApplication = "Velmo";
constexpr const char* kIconName = "velmo";
constexpr int kNoteBytes = 512;

struct Note {
  char title[kNoteBytes];
  char text[kNoteBytes];
};

std::once_flag started;
bool ready = false;

void Send(const Note& note) {
  std::call_once(started, [] { ready = notify_init(kApplication) != FALSE; });
  if (!ready) return;
  NotifyNotification* n = notify_notification_new(note.title, note.text, kIconName);
  if (n == nullptr) return;
  GError* error = nullptr;
  notify_notification_show(n, &error);  // no server: nothing to show it on
  if (error != nullptr) g_error_free(error);
  g_object_unref(G_OBJECT(n));
}

}  // namespace

void SdlNotify_Show(const char* title, const char* text) {
  Note note{};
  HostKeys_ToUtf8(title, note.title, sizeof note.title);
  HostKeys_ToUtf8(text, note.text, sizeof note.text);
  std::thread([note] { Send(note); }).detach();
}
