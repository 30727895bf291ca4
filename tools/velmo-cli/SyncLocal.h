// Velmo's side of a sync: the loaded store as iCalendar items, each the
// entries sharing one UID (their identity), mapped exactly as export-ics
// and import-ics map them. Changes go into the store; commit saves it as
// every command does (one backup per run, the file replaced whole, the
// UIDs beside it).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "IcsImport.h"
#include "SyncRun.h"

struct SyncStore {
  std::map<std::string, std::vector<IcsItem>> read;  // a server's item -> its entries, as read
  std::vector<std::string> deletedLines;             // told once they are saved
  bool changed = false;                              // the store (or a UID) changed since the last save
  bool saved = false;                                // the record file was saved by this run
};

// The local side over the loaded store.
SyncLocal SyncLocal_Of(SyncStore& store);
// "2026-12-08 text", one for each entry of uid.
std::vector<std::string> SyncLocal_Describe(const std::string& uid);
// The server's copy of an item with the properties Velmo keeps replaced by
// those of ours (both whole iCalendar objects); the rest of it is kept.
std::string SyncLocal_Patch(const std::string& serverCopy, const std::string& ours);
