#include "SyncLocal.h"

#include <algorithm>
#include <cstdio>

#include "CliData.h"
#include "IcsExport.h"
#include "IcsShared.h"
#include "IcsZones.h"
#include "files/Identity.h"
#include "files/Record.h"
#include "files/Save.h"

namespace {

std::string HashText(std::string_view bytes) {
  char text[17];
  Identity_HashText(bytes, text);
  return text;
}

std::string EntryPrint(const Entry& e) {
  char print[17];
  Identity_Fingerprint(e, print);
  return print;
}

// An item's fingerprint: its entries' (done marks included) in a fixed
// order, so that the order the store or the server keeps them in does not matter.
std::string ItemPrint(const std::multiset<std::string>& prints) {
  std::string all;
  for (const std::string& p : prints) all.append(p).append(",");
  return HashText(all);
}

// What the sync carries: what export-ics writes.
bool Synced(const Entry& e) { return IcsExport_Carries(e); }

SyncStore& StoreOf(void* context) { return *static_cast<SyncStore*>(context); }

template <typename Fn>
void EachSynced(Fn&& fn) {
  std::uint16_t pos = Store_First();
  while (Entry* e = Store_Next(pos)) {
    if (e->kind != KIND_DELETED && Synced(*e)) fn(e);
  }
}

// The entries of uid the sync carries.
std::vector<const Entry*> EntriesOf(const std::string& uid) {
  std::vector<const Entry*> out(Identity_Holders(uid, {}));
  Identity_Holders(uid, out);
  std::erase_if(out, [](const Entry* e) { return !Synced(*e); });
  return out;
}

// A UID no entry holds, made of seed.
std::string FreshUid(const std::string& seed) {
  for (unsigned n = 0;; ++n) {
    const std::string uid = "velmo-" + HashText(seed + "#" + std::to_string(n)) + "@velmo";
    if (Identity_Holders(uid, {}) == 0) return uid;
  }
}

// Entries of one UID that are no one item any more (one of its pieces
// changed here) become items of their own, so that each can be written.
void SplitLoose(SyncStore& s, const std::map<std::string, std::vector<const Entry*>>& byUid) {
  for (const auto& [uid, entries] : byUid) {
    std::string ignored;
    if (entries.size() < 2 || IcsExport_Item(entries, uid, ignored)) continue;
    for (std::size_t i = 1; i < entries.size(); ++i) {
      if (Identity_Set(entries[i], FreshUid(uid + EntryPrint(*entries[i])))) s.changed = true;
    }
  }
}

bool Items(void* context, std::map<std::string, std::string>& out, std::string&) {
  std::map<std::string, std::vector<const Entry*>> byUid;
  EachSynced([&](const Entry* e) { byUid[Identity_Of(e)].push_back(e); });
  SplitLoose(StoreOf(context), byUid);
  std::map<std::string, std::multiset<std::string>> prints;
  EachSynced([&](const Entry* e) { prints[Identity_Of(e)].insert(EntryPrint(*e)); });
  out.clear();
  for (const auto& [uid, list] : prints) out[uid] = ItemPrint(list);
  return true;
}

// The entries a server's item becomes, through import-ics's own reading.
// False with why when it is no iCalendar at all (taken stays true) or holds
// nothing Velmo can keep (taken false).
bool Parse(const std::string& ics, IcsImport& im, bool& inexact, bool& taken, std::string& why) {
  std::vector<std::string> ignored;
  taken = false;
  im.checkRecord = false;
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

bool Read(void* context, const std::string& ics, std::string& uid, std::string& print, bool& inexact,
          std::string& why) {
  IcsImport im;
  uid.clear();
  bool taken = false;
  if (!Parse(ics, im, inexact, taken, why)) return !taken;  // left alone, unless no iCalendar at all
  for (const IcsItem& item : im.items) {
    if (item.uid != im.items.front().uid) return why = "it holds more than one UID", uid.clear(), true;
  }
  uid = im.items.front().uid;
  print = ItemPrint(IcsImport_Prints(im.items));
  StoreOf(context).read[ics] = std::move(im.items);
  return true;
}

bool Write(void*, const std::string& uid, const std::string& serverCopy, std::string& ics, std::string& why) {
  std::string ours;
  if (!IcsExport_Item(EntriesOf(uid), uid, ours)) return why = "its entries cannot be written as one item", false;
  ics = serverCopy.empty() ? std::move(ours) : SyncLocal_Patch(serverCopy, ours);
  return true;
}

void Delete(SyncStore& s, const std::string& uid) {
  for (const Entry* e : EntriesOf(uid)) Store_Delete(const_cast<Entry*>(e));
  s.changed = true;
}

bool Apply(void* context, const std::string& uid, const std::string& ics, std::string& why) {
  SyncStore& s = StoreOf(context);
  if (s.read.count(ics) == 0) {
    IcsImport im;
    bool inexact = false, taken = false;
    if (!Parse(ics, im, inexact, taken, why)) return false;
    s.read[ics] = std::move(im.items);
  }
  std::vector<Entry*> made;
  for (const IcsItem& item : s.read[ics]) {
    Entry* e = IcsImport_NewEntry(item);
    if (e == nullptr) return why = "the entry store is full", false;
    made.push_back(e);
  }
  Delete(s, uid);
  for (Entry* e : made) {
    if (!Store_Register(e)) return why = "the entry table is full", false;
    if (!Identity_Set(e, uid)) return why = "the UID cannot be kept", false;
  }
  Store_Invalidate();
  return true;
}

bool Remove(void* context, const std::string& uid, std::string&) {
  SyncStore& s = StoreOf(context);
  for (const std::string& line : SyncLocal_Describe(uid)) s.deletedLines.push_back(line);
  Delete(s, uid);
  Store_Invalidate();
  return true;
}

bool Rename(void* context, const std::string& from, const std::string& to, std::string& why) {
  for (const Entry* e : EntriesOf(from)) {
    if (!Identity_Set(e, to)) return why = "the UID cannot be kept", false;
  }
  StoreOf(context).changed = true;
  return true;
}

bool Copy(void* context, const std::string& uid, std::string& newUid, std::string& why) {
  const std::vector<const Entry*> entries = EntriesOf(uid);
  std::string seed = uid;
  for (const Entry* e : entries) seed += EntryPrint(*e);
  newUid = FreshUid(seed);
  for (const Entry* from : entries) {
    Entry* e = CliData_NewEntry(from->textLen != 0 ? std::string_view(from->text, from->textLen) : "",
                                from->linkLen != 0 ? std::string_view(from->link, from->linkLen) : "");
    std::uint16_t* done = e != nullptr && from->doneLen >= 2 ? Store_AllocWords(1) : nullptr;
    if (e == nullptr || (from->doneLen >= 2 && done == nullptr)) return why = "the entry store is full", false;
    Entry copy = *from;
    copy.size = ENTRY_NEW_SIZE;
    copy.text = e->text;
    copy.link = e->link;
    copy.extra = nullptr;
    copy.extraLen = 0;
    copy.done = done;
    copy.doneLen = done != nullptr ? 2 : 0;
    if (done != nullptr) done[0] = from->done[0];
    *e = copy;
    if (!Store_Register(e)) return why = "the entry table is full", false;
    if (!Identity_Set(e, newUid)) return why = "the UID cannot be kept", false;
  }
  StoreOf(context).changed = true;
  Store_Invalidate();
  return true;
}

bool Commit(void* context, std::string& why) {
  SyncStore& s = StoreOf(context);
  if (!s.changed) return true;
  Data_SetModified(true);
  if (!Data_SaveIfModified()) return why = std::string(Record_Path()) + ": could not be saved", false;
  for (const std::string& line : s.deletedLines) std::printf("deleted here: %s\n", line.c_str());
  s.deletedLines.clear();
  s.changed = false;
  s.saved = true;
  return true;
}

}  // namespace

SyncLocal SyncLocal_Of(SyncStore& store) {
  IcsImport_SetSource("sync", "server");
  // A UID made now for an entry that had none is one the server will hold:
  // the first save keeps it beside the record.
  EachSynced([&](const Entry* e) { store.changed = store.changed || !Identity_Has(e); });
  return SyncLocal{&store, Items, Read, Write, Apply, Remove, Rename, Copy, Commit};
}

std::vector<std::string> SyncLocal_Describe(const std::string& uid) {
  std::vector<std::string> out;
  for (const Entry* e : EntriesOf(uid)) out.push_back(CliData_DateText(e->startDay) + " " + CliData_Text(*e));
  return out;
}
