#include "store/Store.h"

#include <cstdlib>

namespace {

// One pool: up to kPoolBlocks blocks of a fixed byte size, handed out in units.
struct Pool {
  void* blocks[cap::kPoolBlocks];
  std::uint16_t blockCount;
  std::size_t next;      // byte offset of the next free unit in the current block
  std::size_t unitsLeft; // in the current block
};

constexpr std::size_t kEntryBlockBytes = cap::kEntriesPerBlock * sizeof(Entry);

struct Store {
  Entry* table[cap::kEntries];
  std::uint16_t count;
  bool dropDeleted;
  std::uint16_t stampValue;
  Pool entries, words, bytes;
  StoreFilter filter;
};

Store store;
StoreChangeHook changeHook = nullptr;
std::uint32_t epoch = 0;

void ReleasePool(Pool& p) {
  for (std::uint16_t i = 0; i < p.blockCount; ++i) std::free(p.blocks[i]);
  p = Pool{};
}

// Hands out count units of unitBytes; a block holds blockBytes / unitBytes units.
void* Take(Pool& p, std::size_t count, std::size_t unitBytes, std::size_t blockBytes) {
  const std::size_t unitsPerBlock = blockBytes / unitBytes;
  if (count == 0 || count > unitsPerBlock) return nullptr;
  if (p.blockCount == 0 || p.unitsLeft < count) {
    if (p.blockCount >= cap::kPoolBlocks) return nullptr;
    void* block = std::malloc(blockBytes);
    if (block == nullptr) return nullptr;
    p.blocks[p.blockCount++] = block;
    p.next = 0;
    p.unitsLeft = unitsPerBlock;
  }
  char* at = static_cast<char*>(p.blocks[p.blockCount - 1]) + p.next;
  p.next += count * unitBytes;
  p.unitsLeft -= count;
  return at;
}

void ResetFilter() {
  StoreFilter& f = store.filter;
  ++f.generation;
  for (bool& visible : f.labelVisible) visible = true;
  f.saturdayHoliday = false;
}

}  // namespace

StoreFilter& Store_Filter() { return store.filter; }

bool Store_Init() {
  ReleasePool(store.entries);
  ReleasePool(store.words);
  ReleasePool(store.bytes);
  store.count = 0;
  store.dropDeleted = false;
  ResetFilter();
  ++epoch;
  return true;
}

bool Store_Shutdown() {
  ReleasePool(store.entries);
  ReleasePool(store.words);
  ReleasePool(store.bytes);
  store.count = 0;
  ++store.filter.generation;
  ++epoch;
  return true;
}

std::uint32_t Store_Epoch() { return epoch; }

Entry* Store_AllocEntries(std::size_t count) {
  return static_cast<Entry*>(Take(store.entries, count, sizeof(Entry), kEntryBlockBytes));
}

std::uint16_t* Store_AllocWords(std::size_t count) {
  return static_cast<std::uint16_t*>(Take(store.words, count, 2, cap::kPoolBlockBytes));
}

char* Store_AllocBytes(std::size_t count) {
  char* at = static_cast<char*>(Take(store.bytes, count, 1, cap::kPoolBlockBytes));
  // Keep the next request on an even address (a done block is read as a u16).
  if (at != nullptr && (count & 1) && store.bytes.unitsLeft > 0) {
    ++store.bytes.next;
    --store.bytes.unitsLeft;
  }
  return at;
}

bool Store_Register(Entry* e) {
  if (e == nullptr || e->startDay == DAY_NONE || e->startDay > e->endDay) return false;
  const std::size_t length = std::size_t{ENTRY_FILE_HEADER} + e->extraLen + e->doneLen +
                             e->textLen + e->linkLen;
  if (length > 0xFFFF) return false;
  if (store.count >= cap::kEntries) return false;
  store.table[store.count++] = e;
  std::uint16_t mday;
  DayNo_ToMonthNo(e->startDay, e->startMonthNo, mday);
  e->startMday = mday;
  e->startMonth = static_cast<std::uint16_t>(e->startMonthNo % 12 + 1);
  return true;
}

void Store_Delete(Entry* e) {
  if (e == nullptr) return;
  e->kind = KIND_DELETED;
  e->stampSeq = store.stampValue;
  std::uint16_t y, m, d;
  e->stampDay = Date_Now(y, m, d, e->stampHour, e->stampMinute);
  Store_Invalidate();
}

void Store_Invalidate() { ++store.filter.generation; }

void Store_SetChangeHook(StoreChangeHook hook) { changeHook = hook; }

void Store_Changed() {
  if (changeHook) {
    changeHook();
  } else {
    Store_Invalidate();
  }
}

bool Store_SetDropDeleted(bool on) {
  const bool was = store.dropDeleted;
  store.dropDeleted = on;
  return was;
}

bool Store_DropDeleted() { return store.dropDeleted; }

std::uint16_t Store_SetStampValue(std::uint16_t value) {
  const std::uint16_t was = store.stampValue;
  store.stampValue = value;
  return was;
}

std::uint16_t Store_Count() { return store.count; }

std::uint16_t Store_First() { return 0; }

Entry* Store_Next(std::uint16_t& pos) {
  if (pos >= store.count) return nullptr;
  return store.table[pos++];
}

Entry* Store_At(std::uint16_t index) { return index < store.count ? store.table[index] : nullptr; }

std::uint16_t Store_EntryBlocks() { return store.entries.blockCount; }
std::uint16_t Store_ByteBlocks() { return store.bytes.blockCount; }
