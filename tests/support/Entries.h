// Entries made in the store the way the application makes them.
#pragma once

#include <string>

#include "files/Record.h"
#include "store/Store.h"

namespace velmo_test {

// A new zeroed entry of the kind over start..end, not yet registered.
inline Entry* NewEntry(EntryKind kind, DayNo start, DayNo end) {
  Entry* e = Store_AllocEntries(1);
  *e = Entry{};
  e->size = ENTRY_NEW_SIZE;
  e->kind = kind;
  e->startDay = start;
  e->endDay = end;
  return e;
}

// The record file of what the store holds; the store is shut down after.
inline std::string RecordOfStore() {
  const auto image = Record_BuildImage();
  std::string bytes(reinterpret_cast<const char*>(image.data()), image.size());
  Store_Shutdown();
  return bytes;
}

}  // namespace velmo_test
