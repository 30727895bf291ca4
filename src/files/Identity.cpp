#include "files/Identity.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "Capacity.h"
#include "files/Files.h"
#include "files/Record.h"
#include "store/Find.h"
#include "store/Store.h"

namespace {

constexpr std::uint64_t kFnvOffset = 1469598103934665603ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;
constexpr std::size_t kPrintDigits = 16;
constexpr char kSideSuffix[] = ".uids";
constexpr char kMadeHead[] = "velmo-";
constexpr char kMadeTail[] = "@velmo";

// The UID index is kept at most half full; stale rows (a slot whose UID
// changed since) stay until it is rebuilt.
constexpr std::size_t kIndexRows = 2 * cap::kIdentitySlots;
constexpr std::size_t kSlotsMax = cap::kIdentitySlots * 3 / 4;
static_assert((cap::kIdentitySlots & (cap::kIdentitySlots - 1)) == 0);
static_assert(kSlotsMax >= 2 * cap::kEntries && cap::kIdentitySlots <= 0xFFFF);
static_assert(cap::kUidBytes < 0xFFFF && cap::kIdentityText < 0xFFFFFFFFu);

struct Slot {
  const Entry* entry;  // null: free
  std::uint32_t at;    // of the UID in text
  std::uint16_t length;
  std::uint64_t hash;  // of the UID
};

struct State {
  std::uint32_t epoch;
  Slot slots[cap::kIdentitySlots];
  std::uint16_t slotsUsed;
  std::uint16_t asked;  // table entries from 0 given their UIDs for a look-up
  std::uint16_t index[kIndexRows];  // slot + 1; 0 empty
  std::size_t indexUsed;
  char text[cap::kIdentityText];  // each UID followed by NUL
  std::size_t textUsed;
};

State state;

struct Hash {
  std::uint64_t h = kFnvOffset;
  void Bytes(const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) h = (h ^ p[i]) * kFnvPrime;
  }
  void U8(std::uint8_t v) { Bytes(&v, 1); }
  void U16(std::uint16_t v) {  // little-endian on every host
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
};

std::uint64_t HashOf(std::string_view uid) {
  Hash h;
  return h.Bytes(uid.data(), uid.size()), h.h;
}


std::uint64_t Print(const Entry& e) {
  Hash h;
  h.U16(e.kind);
  h.U16(e.label);
  h.U16(e.startDay);
  h.U16(e.endDay);
  const EntryRule rule = Entry_Rule(e);  // as the month expansion reads it
  h.U8(rule.repeat);
  h.U8(rule.interval);
  h.U8(rule.weekMask);
  h.U8(rule.weekdayMask);
  std::uint8_t part[4];
  Record_KindPart(e, part);
  if (e.kind == KIND_TASK) part[0] = part[1] = 0;  // the task word is kept, never shown
  h.Bytes(part, sizeof part);
  h.U16(e.textLen);
  if (e.textLen != 0 && e.text != nullptr) h.Bytes(e.text, e.textLen);
  h.U16(e.linkLen);
  if (e.linkLen != 0 && e.link != nullptr) h.Bytes(e.link, e.linkLen);
  // Last and only when done: an open entry's print is the one earlier
  // releases wrote for imported items, so their UIDs carry over.
  if (e.doneLen != 0) h.U8(1), h.U16(e.done != nullptr ? e.done[0] : 0);
  return h.h;
}

void PrintText(std::uint64_t print, char out[kPrintDigits + 1]) {
  std::snprintf(out, kPrintDigits + 1, "%016llx", static_cast<unsigned long long>(print));
}

// A store set up again leaves every address meaningless.
void Fresh() {
  if (state.epoch == Store_Epoch()) return;
  std::memset(state.slots, 0, sizeof state.slots);
  std::memset(state.index, 0, sizeof state.index);
  state.slotsUsed = state.asked = 0;
  state.indexUsed = state.textUsed = 0;
  state.epoch = Store_Epoch();
}

std::size_t SlotRow(const Entry* e) {
  const auto p = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(e));
  return static_cast<std::size_t>((p >> 4) * 0x9E3779B97F4A7C15ull >> 40) & (cap::kIdentitySlots - 1);
}

// e's slot, or null (with add, a new one; null when the table is full).
Slot* SlotOf(const Entry* e, bool add) {
  if (e == nullptr) return nullptr;
  for (std::size_t i = SlotRow(e);; i = (i + 1) & (cap::kIdentitySlots - 1)) {
    Slot& s = state.slots[i];
    if (s.entry == e) return &s;
    if (s.entry != nullptr) continue;
    if (!add || state.slotsUsed >= kSlotsMax) return nullptr;
    ++state.slotsUsed;
    s = Slot{e, 0, 0, 0};
    return &s;
  }
}

std::string_view UidOf(const Slot& s) { return {state.text + s.at, s.length}; }

bool Holds(const Slot& s, std::string_view uid, std::uint64_t hash) {
  return s.entry != nullptr && s.length != 0 && s.hash == hash && UidOf(s) == uid;
}

std::size_t IndexRow(std::uint64_t hash) { return static_cast<std::size_t>(hash) & (kIndexRows - 1); }

void IndexAdd(std::uint16_t slot) {
  const Slot& s = state.slots[slot];
  std::size_t i = IndexRow(s.hash);
  for (; state.index[i] != 0; i = (i + 1) & (kIndexRows - 1)) {
    if (state.index[i] == slot + 1) return;  // there already (a UID given back)
  }
  state.index[i] = static_cast<std::uint16_t>(slot + 1);
  ++state.indexUsed;
}

void IndexRebuild() {
  std::memset(state.index, 0, sizeof state.index);
  state.indexUsed = 0;
  for (std::size_t i = 0; i < cap::kIdentitySlots; ++i) {
    if (state.slots[i].entry != nullptr && state.slots[i].length != 0) IndexAdd(static_cast<std::uint16_t>(i));
  }
}

void Index(Slot& s) {
  if (state.indexUsed >= kIndexRows / 2) IndexRebuild();
  IndexAdd(static_cast<std::uint16_t>(&s - state.slots));
}

// Calls each(slot) for every slot holding uid until it returns false.
template <class Each>
void ForHolders(std::string_view uid, Each&& each) {
  const std::uint64_t hash = HashOf(uid);
  for (std::size_t i = IndexRow(hash); state.index[i] != 0; i = (i + 1) & (kIndexRows - 1)) {
    const Slot& s = state.slots[state.index[i] - 1];
    if (Holds(s, uid, hash) && !each(s)) return;
  }
}

// Whether an entry other than those two holds uid (live ones only, or any).
bool HeldElsewhere(std::string_view uid, const Entry* a, const Entry* b, bool liveOnly) {
  bool held = false;
  ForHolders(uid, [&](const Slot& s) {
    held = s.entry != a && s.entry != b && !(liveOnly && s.entry->kind == KIND_DELETED);
    return !held;
  });
  return held;
}

// Moves every UID in use to the front of text; shared ones stay shared.
void Compact() {
  static std::uint16_t order[cap::kIdentitySlots];
  std::size_t n = 0;
  for (std::size_t i = 0; i < cap::kIdentitySlots; ++i) {
    if (state.slots[i].entry != nullptr && state.slots[i].length != 0) order[n++] = static_cast<std::uint16_t>(i);
  }
  std::sort(order, order + n, [](std::uint16_t a, std::uint16_t b) { return state.slots[a].at < state.slots[b].at; });
  std::size_t to = 0;
  std::uint32_t lastFrom = UINT32_MAX, lastTo = 0;  // no UID starts at UINT32_MAX
  for (std::size_t k = 0; k < n; ++k) {
    Slot& s = state.slots[order[k]];
    if (s.at == lastFrom) {
      s.at = lastTo;
      continue;
    }
    std::memmove(state.text + to, state.text + s.at, s.length + 1u);
    lastFrom = s.at;
    lastTo = s.at = static_cast<std::uint32_t>(to);
    to += s.length + 1u;
  }
  state.textUsed = to;
}

bool Room(std::size_t length, bool compact) {
  if (compact && state.textUsed + length + 1 > sizeof state.text) Compact();
  return state.textUsed + length + 1 <= sizeof state.text;
}

// Appends uid and its NUL; false when it does not fit.
bool Append(std::string_view uid, bool compact, std::uint32_t& at) {
  if (!Room(uid.size(), compact)) return false;
  at = static_cast<std::uint32_t>(state.textUsed);
  std::memcpy(state.text + at, uid.data(), uid.size());
  state.text[at + uid.size()] = '\0';
  state.textUsed += uid.size() + 1;
  return true;
}

void Give(Slot& s, std::uint32_t at, std::string_view uid) {
  s.at = at;
  s.length = static_cast<std::uint16_t>(uid.size());
  s.hash = HashOf(uid);
  Index(s);
}

bool Acceptable(std::string_view uid) {
  if (uid.empty() || uid.size() > cap::kUidBytes) return false;
  return std::none_of(uid.begin(), uid.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

// The n-th made UID of an entry: "velmo-<print>@velmo", then "-2", "-3"...
constexpr std::size_t kMadeBytes = sizeof kMadeHead + kPrintDigits + 12 + sizeof kMadeTail;
std::string_view MadeUid(std::uint64_t print, unsigned n, char (&out)[kMadeBytes]) {
  char digits[kPrintDigits + 1];
  PrintText(print, digits);
  const int length = n == 1 ? std::snprintf(out, sizeof out, "%s%s%s", kMadeHead, digits, kMadeTail)
                            : std::snprintf(out, sizeof out, "%s%s-%u%s", kMadeHead, digits, n, kMadeTail);
  return {out, static_cast<std::size_t>(length)};
}

// The first made UID no other entry holds.
bool Make(const Entry* e, Slot& s) {
  const std::uint64_t print = Print(*e);
  char uid[kMadeBytes];
  for (unsigned n = 1; n <= kSlotsMax + 1; ++n) {
    const std::string_view made = MadeUid(print, n, uid);
    if (HeldElsewhere(made, e, nullptr, false)) continue;
    std::uint32_t at = 0;
    if (!Append(made, true, at)) return false;
    Give(s, at, made);
    return true;
  }
  return false;
}

// One line of the side file as read: its UID's place in text (length 0: the
// line is of no use) and its fingerprint.
struct SideLine {
  std::uint64_t print;
  std::uint32_t at;
  std::uint16_t length;
  bool used;
};

struct Side {
  SideLine lines[cap::kEntries];
  std::uint16_t count;
  std::uint16_t byPrint[cap::kEntries];  // usable lines by fingerprint, then line
  std::uint16_t usable;
  char line[cap::kUidBytes + kPrintDigits + 4];  // UID, tab, print, a CR, and one more
};

Side side;

bool ParsePrint(const char* p, std::size_t length, std::uint64_t& out) {
  if (length != kPrintDigits) return false;
  const auto [end, error] = std::from_chars(p, p + length, out, 16);
  return error == std::errc() && end == p + length;
}

// "UID<TAB>print"; anything else (no tab, a bad print, a control character
// in the UID, a line too long) is a line of no use.
SideLine ParseLine(std::size_t length, bool overlong) {
  SideLine out{0, 0, 0, false};
  if (overlong) return out;
  if (length > 0 && side.line[length - 1] == '\r') --length;
  const char* tab = static_cast<const char*>(std::memchr(side.line, '\t', length));
  if (tab == nullptr) return out;
  const std::string_view uid(side.line, static_cast<std::size_t>(tab - side.line));
  const char* print = tab + 1;
  if (!Acceptable(uid) || !ParsePrint(print, length - uid.size() - 1, out.print)) return out;
  std::uint32_t at = 0;
  if (Append(uid, false, at)) out = SideLine{out.print, at, static_cast<std::uint16_t>(uid.size()), false};
  return out;
}

// Reads as many lines as the record can have entries, and no more than
// they can take up: a hostile file costs time in proportion to a real one.
void ReadLines(std::FILE* f) {
  side.count = 0;
  std::size_t n = 0, left = cap::kEntries * sizeof side.line;
  bool overlong = false;
  for (int c; side.count < cap::kEntries && left-- > 0 && (c = std::getc(f)) != EOF;) {
    if (c != '\n') {
      if (n < sizeof side.line) side.line[n++] = static_cast<char>(c);
      overlong = overlong || n == sizeof side.line;
      continue;
    }
    side.lines[side.count++] = ParseLine(n, overlong);
    n = 0;
    overlong = false;
  }
  if ((n > 0 || overlong) && side.count < cap::kEntries) side.lines[side.count++] = ParseLine(n, overlong);
  side.usable = 0;
  for (std::uint16_t i = 0; i < side.count; ++i) {
    if (side.lines[i].length != 0) side.byPrint[side.usable++] = i;
  }
  std::sort(side.byPrint, side.byPrint + side.usable, [](std::uint16_t a, std::uint16_t b) {
    return side.lines[a].print != side.lines[b].print ? side.lines[a].print < side.lines[b].print : a < b;
  });
}

// Line k when it agrees, else the first unused line with the print; null when none.
SideLine* LineFor(std::uint16_t k, std::uint64_t print) {
  if (k < side.count && side.lines[k].length != 0 && !side.lines[k].used && side.lines[k].print == print) {
    return &side.lines[k];
  }
  const std::uint16_t* begin = side.byPrint;
  const std::uint16_t* end = begin + side.usable;
  const std::uint16_t* it = std::lower_bound(begin, end, print, [](std::uint16_t line, std::uint64_t p) {
    return side.lines[line].print < p;
  });
  for (; it != end && side.lines[*it].print == print; ++it) {
    if (!side.lines[*it].used) return &side.lines[*it];
  }
  return nullptr;
}

}  // namespace

void Identity_Fingerprint(const Entry& e, char out[17]) { PrintText(Print(e), out); }

void Identity_HashText(std::string_view bytes, char out[17]) { PrintText(HashOf(bytes), out); }

const char* Identity_Of(const Entry* e) {
  Fresh();
  if (e == nullptr) return "";
  Slot* s = SlotOf(e, true);
  if (s != nullptr && (s->length != 0 || Make(e, *s))) return state.text + s->at;
  static char made[kMadeBytes];  // no room to keep one: for this call alone
  return MadeUid(Print(*e), 1, made).data();
}

bool Identity_Set(const Entry* e, std::string_view uid) {
  Fresh();
  if (e == nullptr || !Acceptable(uid)) return false;
  Slot* s = SlotOf(e, false);
  if (s != nullptr && s->length != 0 && UidOf(*s) == uid) return true;
  // uid may be another entry's, in text that a compaction moves.
  char copy[cap::kUidBytes];
  std::memcpy(copy, uid.data(), uid.size());
  const std::string_view kept(copy, uid.size());
  if (s == nullptr && (s = SlotOf(e, true)) == nullptr) return false;
  std::uint32_t at = 0;
  if (!Append(kept, true, at)) return false;
  Give(*s, at, kept);
  return true;
}

void Identity_Inherit(const Entry* heir, const Entry* from) {
  Fresh();
  if (heir == nullptr || from == nullptr || heir == from) return;
  Identity_Of(from);
  const Slot* source = SlotOf(from, false);
  if (source == nullptr || source->length == 0) return;
  const Slot copy = *source;
  if (HeldElsewhere(UidOf(copy), from, heir, true)) return;
  Slot* s = SlotOf(heir, true);
  if (s != nullptr) Give(*s, copy.at, UidOf(copy));  // shares the text
}

bool Identity_Has(const Entry* e) {
  Fresh();
  const Slot* s = SlotOf(e, false);
  return s != nullptr && s->length != 0;
}

const Entry* Identity_Find(std::string_view uid) {
  const Entry* found = nullptr;
  Identity_Holders(uid, std::span<const Entry*>(&found, 1));
  return found;
}

std::size_t Identity_Holders(std::string_view uid, std::span<const Entry*> out) {
  Fresh();
  // A made UID is found too: every entry is asked first (entries are only
  // ever appended to the table, so those asked before need no second ask).
  for (; state.asked < Store_Count(); ++state.asked) Identity_Of(Store_At(state.asked));
  std::size_t n = 0;
  if (uid.empty()) return 0;
  ForHolders(uid, [&](const Slot& s) {
    if (s.entry->kind == KIND_DELETED) return true;
    if (n < out.size()) out[n] = s.entry;
    return ++n, true;
  });
  return n;
}

bool Identity_SidePath(char* out, std::size_t size) {
  const int n = std::snprintf(out, size, "%s%s", Record_Path(), kSideSuffix);
  return n > 0 && static_cast<std::size_t>(n) < size;
}

void Identity_ReadSide(std::uint16_t first, std::uint16_t count) {
  Fresh();
  char path[cap::kFileName + sizeof kSideSuffix];
  // Only a plain file: a pipe or a device there would never end.
  struct stat st{};
  if (count == 0 || !Identity_SidePath(path, sizeof path) || stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return;
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return;
  Compact();  // the lines' UIDs go in as read, with no compaction between
  ReadLines(f);
  std::fclose(f);
  for (std::uint16_t k = 0; k < count; ++k) {
    const Entry* e = Store_At(static_cast<std::uint16_t>(first + k));
    if (e == nullptr) break;
    SideLine* line = LineFor(k, Print(*e));
    Slot* s = line != nullptr ? SlotOf(e, true) : nullptr;
    if (s == nullptr) continue;
    line->used = true;
    Give(*s, line->at, std::string_view(state.text + line->at, line->length));
  }
}

bool Identity_WriteSide() {
  char path[cap::kFileName + sizeof kSideSuffix];
  if (!Identity_SidePath(path, sizeof path)) return false;
  return Files_ReplaceWhole(path, Record_Path(), [](std::FILE* f) {
    std::uint16_t pos = Store_First();
    while (const Entry* e = Store_Next(pos)) {
      if (!Record_Saved(*e)) continue;
      char print[kPrintDigits + 1];
      Identity_Fingerprint(*e, print);
      if (std::fprintf(f, "%s\t%s\n", Identity_Of(e), print) < 0) return false;
    }
    return true;
  });
}
