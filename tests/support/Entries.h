// Entries made in the store the way the application makes them.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

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

// The entry's text, copied into the store's byte pool.
inline void SetText(Entry& e, std::string_view text) {
  e.textLen = static_cast<std::uint16_t>(text.size());
  e.text = Store_AllocBytes(e.textLen);
  std::memcpy(e.text, text.data(), e.textLen);
}

// The record file of what the store holds; the store is shut down after.
inline std::string RecordOfStore() {
  const auto image = Record_BuildImage();
  std::string bytes(reinterpret_cast<const char*>(image.data()), image.size());
  Store_Shutdown();
  return bytes;
}

}  // namespace velmo_test
