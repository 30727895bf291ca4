// The entry record and the one process-wide entry store: a table of at most
// cap::kEntries entries in registration order, and three block pools the
// entries and their data are carved from. Nothing is freed before
// Store_Shutdown, so a deleted (or cut) entry stays readable.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Capacity.h"
#include "calendar/Date.h"

using EntryKind = std::uint16_t;
inline constexpr EntryKind KIND_END = 2;       // record file only, never registered
inline constexpr EntryKind KIND_DELETED = 3;
inline constexpr EntryKind KIND_HOLIDAY = 4;
inline constexpr EntryKind KIND_TIMED = 5;     // from files only: start hour and minute
inline constexpr EntryKind KIND_SCHEDULE = 6;
inline constexpr EntryKind KIND_OPAQUE = 7;    // from files only: kind part kept as is
inline constexpr EntryKind KIND_TASK = 8;

// Kinds 4..8 carry the four kind-part bytes.
constexpr bool Entry_HasKindPart(EntryKind kind) { return kind >= KIND_HOLIDAY && kind <= KIND_TASK; }

using RepeatType = std::uint8_t;
inline constexpr RepeatType REPEAT_NONE = 0;
inline constexpr RepeatType REPEAT_DAYS = 1;          // every interval days
inline constexpr RepeatType REPEAT_WEEKS = 2;         // every interval weeks on weekMask weekdays
inline constexpr RepeatType REPEAT_MONTH_DAY = 3;     // every interval months on the start mday
inline constexpr RepeatType REPEAT_MONTH_WEEKDAY = 4; // every interval months on weekMask weeks, weekdayMask days
inline constexpr RepeatType REPEAT_YEAR_DAY = 5;      // every interval years on the start month and day
inline constexpr RepeatType REPEAT_YEAR_WEEKDAY = 6;  // every interval years, start month, weeks and weekdays

// Record length as stored: the fixed 40 bytes plus the four data blocks.
inline constexpr std::uint16_t ENTRY_FILE_HEADER = 40;
inline constexpr std::uint16_t ENTRY_NEW_SIZE = 64;   // size of a new or pasted entry

struct Entry {
  std::uint16_t size;
  EntryKind kind;
  std::uint16_t reserved1;
  std::uint32_t reserved2;
  std::uint16_t reserved3;
  std::uint16_t label;
  DayNo startDay;
  MonthNo startMonthNo;      // derived at registration
  std::uint16_t startMonth;  // derived at registration, 1..12
  std::uint16_t startMday;   // derived at registration, 1..31
  DayNo endDay;              // DAY_OPEN_END for tasks
  std::uint16_t stampSeq;
  DayNo stampDay;
  std::uint8_t stampHour;
  std::uint8_t stampMinute;
  RepeatType repeat;
  std::uint8_t interval;
  std::uint8_t weekMask;
  std::uint8_t weekdayMask;
  std::uint16_t extraLen;  // bytes
  std::uint16_t doneLen;   // bytes: 0 open, 2 done
  std::uint16_t textLen;
  std::uint16_t linkLen;
  // Kind part, four bytes; which view applies depends on kind:
  //   5: startHour startMinute -  -        6: startHour startMinute endHour endMinute
  //   7: taskWord rank kindByte3 (all kept) 8: taskWord rank -      4: none
  union {
    struct {
      std::uint8_t startHour, startMinute, endHour, endMinute;
    };
    struct {
      std::uint16_t taskWord;
      std::uint8_t rank;
      std::uint8_t kindByte3;
    };
  };
  std::uint16_t* extra;  // opaque words, kept as read; null when extraLen is 0
  std::uint16_t* done;   // done[0] = day the task was marked done; null when doneLen is 0
  char* text;            // Shift-JIS, not NUL-terminated, may hold '\n'; null when textLen is 0
  char* link;            // file name, not NUL-terminated; null when linkLen is 0
};

static_assert(offsetof(Entry, kind) == 2 && offsetof(Entry, reserved1) == 4);
static_assert(offsetof(Entry, reserved2) == 8 && offsetof(Entry, reserved3) == 12);
static_assert(offsetof(Entry, label) == 14 && offsetof(Entry, startDay) == 16);
static_assert(offsetof(Entry, startMonthNo) == 18 && offsetof(Entry, startMday) == 22);
static_assert(offsetof(Entry, endDay) == 24 && offsetof(Entry, stampSeq) == 26);
static_assert(offsetof(Entry, stampDay) == 28 && offsetof(Entry, stampHour) == 30);
static_assert(offsetof(Entry, repeat) == 32 && offsetof(Entry, weekdayMask) == 35);
static_assert(offsetof(Entry, extraLen) == 36 && offsetof(Entry, linkLen) == 42);
static_assert(offsetof(Entry, startHour) == 44 && offsetof(Entry, endMinute) == 47);
static_assert(offsetof(Entry, taskWord) == 44 && offsetof(Entry, rank) == 46);
static_assert(offsetof(Entry, extra) == 48);
static_assert(sizeof(Entry) == 48 + 4 * sizeof(void*));

// Month-cache generation and filter flags. They belong to the store so that
// Store_Init resets them; the month expansion (MonthRec.cpp) keeps the
// generation a slot was computed under and recomputes when it differs.
struct StoreFilter {
  std::uint32_t generation;             // bumped by Store_Init, Store_Invalidate, Store_Delete
  bool labelVisible[cap::kLabels];      // all on after Store_Init
  bool saturdayHoliday;                 // off after Store_Init
};
StoreFilter& Store_Filter();

bool Store_Init();
bool Store_Shutdown();
// Changes with every Store_Init and Store_Shutdown: what is kept elsewhere
// about entries by their address is stale once it differs.
std::uint32_t Store_Epoch();

// Pools. A request of more than one block (256 entries, 8192 words, 16384
// bytes) or of 0 units, or past 48 blocks, is refused with null.
// Byte-pool space starts on an even address, so a 2-byte done block read as
// a u16 is aligned.
Entry* Store_AllocEntries(std::size_t count);
std::uint16_t* Store_AllocWords(std::size_t count);
char* Store_AllocBytes(std::size_t count);

// Refuses (false, nothing changed) a null entry, startDay 0, startDay > endDay,
// a record too long for the file (40 + lengths > 65535) or a full table.
// Derives startMonthNo, startMonth and startMday.
bool Store_Register(Entry* e);
// Marks deleted, stamps it (stampSeq := stamp value, stampDay/Hour/Minute := now)
// and invalidates the month cache.
void Store_Delete(Entry* e);
void Store_Invalidate();

// The store cannot reach the files above it: a change of the entries made
// here (Entry_ToggleDone) is told through this hook, which the files layer's
// Data_Changed fills (it saves, then invalidates). Without a hook,
// Store_Changed only invalidates.
using StoreChangeHook = void (*)();
void Store_SetChangeHook(StoreChangeHook hook);
void Store_Changed();

bool Store_SetDropDeleted(bool on);  // returns the previous switch
bool Store_DropDeleted();
std::uint16_t Store_SetStampValue(std::uint16_t value);  // returns the previous value

std::uint16_t Store_Count();
std::uint16_t Store_First();                     // 0
Entry* Store_Next(std::uint16_t& pos);           // table order, deleted ones too; null at the end
Entry* Store_At(std::uint16_t index);            // null past the end

// Pool statistics, for tests.
std::uint16_t Store_EntryBlocks();
std::uint16_t Store_ByteBlocks();
