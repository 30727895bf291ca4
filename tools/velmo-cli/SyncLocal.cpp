#include "SyncLocal.h"

#include <algorithm>
#include <cstdio>

#include "CliData.h"
#include "IcsExport.h"
#include "IcsShared.h"
#include "IcsZones.h"
#include "files/Record.h"
#include "files/Save.h"

namespace {

constexpr std::uint64_t kFnvOffset = 1469598103934665603ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

std::string Hex(std::uint64_t h) {
  char text[24];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

std::uint64_t Hash(const std::string& bytes) {
  std::uint64_t h = kFnvOffset;
  for (const char c : bytes) h = (h ^ static_cast<unsigned char>(c)) * kFnvPrime;
  return h;
}

// What makes an entry itself, its done mark included: a task marked done
// is a change the other side must see.
std::string EntryPrint(const Entry& e) {
  const DayNo done = e.doneLen >= 2 && e.done != nullptr ? e.done[0] : DAY_NONE;
  return IcsShared_Fingerprint(e) + ":" + std::to_string(done);
}

// An item's fingerprint: its entries' in a fixed order, so that the order
// the store or the server keeps them in does not matter.
std::string ItemPrint(std::vector<std::string> prints) {
  std::sort(prints.begin(), prints.end());
  std::string all;
  for (const std::string& p : prints) all.append(p).append(",");
  return Hex(Hash(all));
}

bool Synced(const Entry& e) {
  return e.kind == KIND_HOLIDAY || e.kind == KIND_TIMED || e.kind == KIND_SCHEDULE || e.kind == KIND_TASK;
}

SyncStore& StoreOf(void* context) { return *static_cast<SyncStore*>(context); }

std::vector<const Entry*> EntriesOf(const SyncStore& s, const std::string& uid) {
  std::vector<const Entry*> out;
  for (const auto& [e, id] : s.uid) {
    if (id == uid && e->kind != KIND_DELETED) out.push_back(e);
  }
  // Table order, as export-ics writes them.
  std::sort(out.begin(), out.end(), [](const Entry* a, const Entry* b) { return a < b; });
  return out;
}

bool Known(const SyncStore& s, const std::string& uid) {
  for (const auto& [e, id] : s.uid) {
    if (id == uid) return true;
  }
  return s.uids.known.count(uid) != 0;
}

// A UID no entry and no imported item has, made of seed.
std::string FreshUid(const SyncStore& s, const std::string& seed) {
  for (unsigned n = 0;; ++n) {
    const std::string uid = "velmo-" + Hex(Hash(seed + "#" + std::to_string(n))) + "@velmo";
    if (!Known(s, uid)) return uid;
  }
}

// Entries of one UID that are no one item any more (one of its pieces
// changed here) become items of their own, so that each can be written.
void SplitLoose(SyncStore& s) {
  std::map<std::string, std::vector<const Entry*>> byUid;
  for (const auto& [e, id] : s.uid) byUid[id].push_back(e);
  for (auto& [uid, entries] : byUid) {
    std::string ignored;
    if (entries.size() < 2 || IcsExport_Item(EntriesOf(s, uid), uid, ignored)) continue;
    const std::vector<const Entry*> ordered = EntriesOf(s, uid);
    for (std::size_t i = 1; i < ordered.size(); ++i) {
      s.uid[ordered[i]] = FreshUid(s, uid + EntryPrint(*ordered[i]));
      s.changed = true;
    }
  }
}

bool Items(void* context, std::map<std::string, std::string>& out, std::string&) {
  SyncStore& s = StoreOf(context);
  SplitLoose(s);
  std::map<std::string, std::vector<std::string>> prints;
  for (const auto& [e, id] : s.uid) prints[id].push_back(EntryPrint(*e));
  out.clear();
  for (auto& [id, list] : prints) out[id] = ItemPrint(std::move(list));
  return true;
}

// The entries a server's item becomes, through import-ics's own reading.
// False with why when it is no iCalendar at all (taken stays true) or holds
// nothing Velmo can keep (taken false).
bool Parse(const std::string& ics, IcsImport& im, bool& inexact, bool& taken, std::string& why) {
  std::vector<std::string> ignored;
  taken = false;
  if (!IcsLines_Read(ics, im.calendars, why, ignored)) return why = "no iCalendar: " + why, taken = true, false;
  IcsZones_Take(im.calendars);
  const IcsLine* prodid = im.calendars.front().First("PRODID");
  im.ownExport = prodid != nullptr && prodid->value == ICS_PRODID;
  const unsigned before = IcsImport_Reported();
  IcsItems_Take(im);
  inexact = IcsImport_Reported() != before || !ignored.empty() || im.skipped != 0;
  if (im.overflow) return why = "the record has no room for its entries", false;
  if (im.items.empty()) return why = "it holds no event or to-do Velmo can keep", false;
  return taken = true;
}

// The fingerprint the item's entry will have, without making it.
std::string PrintOf(const IcsItem& item) {
  Entry e{};
  IcsImport_Fill(e, item);
  e.text = const_cast<char*>(item.text.data());
  e.textLen = static_cast<std::uint16_t>(item.text.size());
  e.link = const_cast<char*>(item.link.data());
  e.linkLen = static_cast<std::uint16_t>(item.link.size());
  std::uint16_t done[1] = {item.done};
  if (item.done != DAY_NONE) {
    e.done = done;
    e.doneLen = 2;
  }
  return EntryPrint(e);
}

bool Read(void* context, const std::string& ics, std::string& uid, std::string& print, bool& inexact,
          std::string& why) {
  IcsImport im;
  uid.clear();
  bool taken = false;
  if (!Parse(ics, im, inexact, taken, why)) return !taken;  // left alone, unless no iCalendar at all
  uid = im.items.front().uid;
  std::vector<std::string> prints;
  for (const IcsItem& item : im.items) {
    if (item.uid != uid) return why = "it holds more than one UID", false;
    prints.push_back(PrintOf(item));
  }
  print = ItemPrint(std::move(prints));
  StoreOf(context).read[uid] = std::move(im.items);
  return true;
}

bool Write(void* context, const std::string& uid, const std::string& serverCopy, std::string& ics,
           std::string& why) {
  const SyncStore& s = StoreOf(context);
  std::string ours;
  if (!IcsExport_Item(EntriesOf(s, uid), uid, ours)) return why = "its entries cannot be written as one item", false;
  if (serverCopy.empty()) return ics = std::move(ours), true;
  ics = SyncLocal_Patch(serverCopy, ours);
  return true;
}

void Delete(SyncStore& s, const std::string& uid) {
  for (const Entry* e : EntriesOf(s, uid)) {
    Store_Delete(const_cast<Entry*>(e));
    s.uid.erase(e);
  }
  s.changed = true;
}

bool Apply(void* context, const std::string& uid, const std::string& ics, std::string& why) {
  SyncStore& s = StoreOf(context);
  if (s.read.count(uid) == 0) {
    IcsImport im;
    bool inexact = false, taken = false;
    if (!Parse(ics, im, inexact, taken, why)) return false;
    s.read[uid] = std::move(im.items);
  }
  std::vector<Entry*> made;
  for (const IcsItem& item : s.read[uid]) {
    Entry* e = IcsImport_NewEntry(item);
    if (e == nullptr) return why = "the entry store is full", false;
    made.push_back(e);
  }
  Delete(s, uid);
  for (Entry* e : made) {
    if (!Store_Register(e)) return why = "the entry table is full", false;
    s.uid[e] = uid;
  }
  Store_Invalidate();
  return true;
}

bool Remove(void* context, const std::string& uid, std::string&) {
  SyncStore& s = StoreOf(context);
  for (const std::string& line : SyncLocal_Describe(s, uid)) s.deletedLines.push_back(line);
  Delete(s, uid);
  s.removed.insert(uid);
  Store_Invalidate();
  return true;
}

bool Rename(void* context, const std::string& from, const std::string& to, std::string&) {
  SyncStore& s = StoreOf(context);
  for (const Entry* e : EntriesOf(s, from)) s.uid[e] = to;
  s.changed = true;
  return true;
}

bool Copy(void* context, const std::string& uid, std::string& newUid, std::string& why) {
  SyncStore& s = StoreOf(context);
  const std::vector<const Entry*> entries = EntriesOf(s, uid);
  std::string seed = uid;
  for (const Entry* e : entries) seed += EntryPrint(*e);
  newUid = FreshUid(s, seed);
  for (const Entry* from : entries) {
    Entry* e = CliData_NewEntry(from->textLen != 0 ? std::string_view(from->text, from->textLen) : "",
                                from->linkLen != 0 ? std::string_view(from->link, from->linkLen) : "");
    std::uint16_t* done = e != nullptr && from->doneLen >= 2 ? Store_AllocWords(1) : nullptr;
    if (e == nullptr || (from->doneLen >= 2 && done == nullptr)) return why = "the entry store is full", false;
    Entry copy = *from;
    copy.text = e->text;
    copy.link = e->link;
    copy.extra = nullptr;
    copy.extraLen = 0;
    copy.done = done;
    copy.doneLen = done != nullptr ? 2 : 0;
    if (done != nullptr) done[0] = from->done[0];
    copy.size = ENTRY_NEW_SIZE;
    *e = copy;
    if (!Store_Register(e)) return why = "the entry table is full", false;
    s.uid[e] = newUid;
  }
  s.changed = true;
  Store_Invalidate();
  return true;
}

// The side file names every entry the sync named; an imported item deleted
// here stays in it, so that importing its file again does not bring it back.
bool SaveUids(const SyncStore& s) {
  IcsUids out;
  std::set<std::string> now;
  for (const auto& [e, id] : s.uid) {
    out.remembered.emplace(id, IcsShared_Fingerprint(*e));
    now.insert(id);
  }
  for (const auto& [id, print] : s.uids.remembered) {
    if (now.count(id) == 0) out.remembered.emplace(id, print);
  }
  return IcsShared_SaveUids(out);
}

bool Commit(void* context, std::string& why) {
  SyncStore& s = StoreOf(context);
  if (!s.changed) return true;
  Data_SetModified(true);
  if (!Data_SaveIfModified()) return why = std::string(Record_Path()) + ": could not be saved", false;
  if (!SaveUids(s)) return why = IcsShared_UidsPath() + ": could not be written", false;
  for (const std::string& line : s.deletedLines) std::printf("deleted here: %s\n", line.c_str());
  s.deletedLines.clear();
  s.changed = false;
  return true;
}

}  // namespace

SyncLocal SyncLocal_Of(SyncStore& store) {
  IcsImport_SetSource("sync", "server");
  const std::size_t count = Store_Count();
  std::vector<std::string> perEntry(count);
  IcsShared_LoadUids(store.uids, perEntry.data(), count);
  std::uint16_t pos = Store_First();
  for (std::size_t i = 0; const Entry* e = Store_Next(pos); ++i) {
    if (e->kind != KIND_DELETED && Synced(*e)) store.uid[e] = perEntry[i];
  }
  return SyncLocal{&store, Items, Read, Write, Apply, Remove, Rename, Copy, Commit};
}

std::vector<std::string> SyncLocal_Describe(const SyncStore& store, const std::string& uid) {
  std::vector<std::string> out;
  for (const Entry* e : EntriesOf(store, uid)) out.push_back(CliData_DateText(e->startDay) + " " + CliData_Text(*e));
  return out;
}
