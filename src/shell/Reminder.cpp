#include "shell/Reminder.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "Capacity.h"
#include "calendar/Date.h"
#include "dialogs/Notice.h"
#include "files/Settings.h"
#include "graphics/ZebHost.h"
#include "store/MonthRec.h"
#include "text/ShiftJis.h"

namespace {

constexpr long kMinutesPerDay = 24 * 60;
constexpr long kLastDay = 0xFFFE;  // 0xFFFF marks an open end
constexpr int kTextColumns = 36;  // half-width columns of the box's text line
constexpr const char* kNotificationTitle = "Velmo";
// "まもなく予定の時刻です"
constexpr const char* kSoon = "\x82\xdc\x82\xe0\x82\xc8\x82\xad\x97\x5c\x92\xe8\x82\xcc\x8e\x9e\x8d\x8f\x82\xc5\x82\xb7";

// An occurrence told of: the same schedule on the same day is not told
// again; a changed one is a new entry and is told anew.
struct Told {
  const Entry* entry;
  DayNo day;
};

std::array<Told, cap::kRemindersKept> told{};
std::size_t nextTold = 0;
long lastLook = -1;  // minutes since day 0 of the last look

bool WasTold(const Entry* e, DayNo day) {
  return std::any_of(told.begin(), told.end(), [&](const Told& t) { return t.entry == e && t.day == day; });
}

// A schedule with a time; one without has end hour 0.
bool HasTime(const Entry& e) { return e.kind == KIND_SCHEDULE && e.endHour != 0; }

long StartOf(DayNo day, const Entry& e) { return day * kMinutesPerDay + e.startHour * 60L + e.startMinute; }

// "HH:MM-HH:MM" and the text's first line, cut to fit.
void Describe(const Entry& e, char* time, std::size_t timeSize, char* text, std::size_t textSize) {
  std::snprintf(time, timeSize, "%2d:%02d-%2d:%02d", e.startHour, e.startMinute, e.endHour, e.endMinute);
  int length = e.text != nullptr ? static_cast<int>(e.textLen) : 0;
  if (const void* feed = length > 0 ? std::memchr(e.text, '\n', static_cast<std::size_t>(length)) : nullptr) {
    length = static_cast<int>(static_cast<const char*>(feed) - e.text);
  }
  const int fit = std::min(ShiftJis_Fit(e.text, length, kTextColumns), static_cast<int>(textSize) - 1);
  if (fit > 0) std::memcpy(text, e.text, static_cast<std::size_t>(fit));
  text[std::max(fit, 0)] = '\0';
}

void Tell(const Entry& e) {
  char time[32];
  char text[cap::kMessageBoxText];
  Describe(e, time, sizeof time, text, sizeof text);
  char note[sizeof time + sizeof text + 2];
  std::snprintf(note, sizeof note, "%s %s", time, text);
  Zeb_Notify(kNotificationTitle, note);
  char box[sizeof note + 64];
  std::snprintf(box, sizeof box, "%s\n%s\n%s", kSoon, time, text);
  Notice_Show(box, NOTICE_OK);
}

}  // namespace

void Reminder_Reset() {
  told.fill(Told{});
  nextTold = 0;
  lastLook = -1;
}

void Reminder_Tick() {
  const int ahead = std::min<int>(Settings_Get().reminderMinutes, cap::kReminderMinutes);
  if (ahead <= 0) return;
  std::uint16_t year = 0, month = 0, mday = 0;
  std::uint8_t hour = 0, minute = 0;
  const DayNo today = Date_Now(year, month, mday, hour, minute);
  const long now = today * kMinutesPerDay + hour * 60L + minute;
  if (now == lastLook) return;
  lastLook = now;
  // Starts from now up to `ahead` minutes on, each occurrence once.
  const long to = now + ahead;
  std::array<const Entry*, cap::kReminderBatch> due{};
  std::size_t count = 0;
  for (long day = today; day * kMinutesPerDay <= to && day <= kLastDay && count < due.size(); ++day) {
    for (std::uint16_t i = 0; count < due.size(); ++i) {
      const Entry* e = MonthRec_EntryAt(static_cast<DayNo>(day), i);
      if (e == nullptr) break;
      const long start = HasTime(*e) ? StartOf(static_cast<DayNo>(day), *e) : -1;
      if (start < now || start > to || WasTold(e, static_cast<DayNo>(day))) continue;
      told[nextTold++ % told.size()] = Told{e, static_cast<DayNo>(day)};
      due[count++] = e;
    }
  }
  // Each box waits for the user; the entries stay readable meanwhile.
  for (std::size_t k = 0; k < count; ++k) Tell(*due[k]);
}
