// Velmo's side of a sync: the loaded store as iCalendar items, each the
// entries sharing one UID, mapped exactly as export-ics and import-ics map
// them. Changes go into the store; commit saves it as every command does
// (one backup per run, the file replaced whole) with the UIDs beside it.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "IcsImport.h"
#include "SyncRun.h"

struct SyncStore {
  std::map<const Entry*, std::string> uid;          // of every entry the sync sees
  std::map<std::string, std::vector<IcsItem>> read;  // UID -> the server's item, as read last
  std::set<std::string> removed;                     // UIDs whose entries went here
  std::vector<std::string> deletedLines;             // told once they are saved
  IcsUids uids;                                      // the side file, as read
  bool changed = false;
};

// Reads the UIDs of the loaded store; the local side works on store.
SyncLocal SyncLocal_Of(SyncStore& store);
// "2026-12-08 text", one for each entry of uid.
std::vector<std::string> SyncLocal_Describe(const SyncStore& store, const std::string& uid);
// The server's copy of an item with the properties Velmo keeps replaced by
// those of ours (both whole iCalendar objects); the rest of it is kept.
std::string SyncLocal_Patch(const std::string& serverCopy, const std::string& ours);
