// Registers a model entry of MonthRecReference.h in the store, as the record
// file or a dialog would have made it.
#pragma once

#include "store/MonthRecReference.h"
#include "store/Store.h"

namespace monthref {

// The registered entry, or null when the store refuses it.
inline Entry* AddToStore(const Ref& r) {
  Entry* e = Store_AllocEntries(1);
  if (e == nullptr) return nullptr;
  *e = Entry{};
  e->size = ENTRY_NEW_SIZE;
  e->kind = static_cast<EntryKind>(r.kind);
  e->label = static_cast<std::uint16_t>(r.label);
  e->startDay = static_cast<DayNo>(r.start);
  e->endDay = static_cast<DayNo>(r.end);
  e->repeat = static_cast<RepeatType>(r.repeat);
  e->interval = static_cast<std::uint8_t>(r.interval);
  e->weekMask = static_cast<std::uint8_t>(r.weekMask);
  e->weekdayMask = static_cast<std::uint8_t>(r.weekdayMask);
  if (r.kind == KIND_TASK) {
    e->rank = static_cast<std::uint8_t>(r.rank);
  } else {
    e->startHour = static_cast<std::uint8_t>(r.startHour);
    e->startMinute = static_cast<std::uint8_t>(r.startMinute);
    e->endHour = static_cast<std::uint8_t>(r.endHour);
    e->endMinute = static_cast<std::uint8_t>(r.endMinute);
  }
  if (r.doneDay >= 0) {
    e->done = Store_AllocWords(1);
    if (e->done == nullptr) return nullptr;
    e->done[0] = static_cast<DayNo>(r.doneDay);
    e->doneLen = 2;
  }
  return Store_Register(e) ? e : nullptr;
}

}  // namespace monthref
