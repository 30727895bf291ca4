// One sync run: the server's changes since the last sync (or a full listing),
// the bodies of what changed, the plan, and the plan carried out, the state
// saved after every batch so that a run killed at any point and run again
// leaves no duplicate and loses nothing. Velmo's side is reached only
// through SyncLocal, which the command fills in from the store.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "CalDav.h"
#include "SyncPlan.h"

// What a sync needs of Velmo's side. Each returns false (with why) on a
// fault, which stops the run; what was done before it is in the state.
struct SyncLocal {
  void* context = nullptr;
  // UID -> fingerprint of every entry now.
  bool (*items)(void* context, std::map<std::string, std::string>& out, std::string& why);
  // Reads an item of the server: its UID, its fingerprint in Velmo's terms,
  // and whether Velmo can hold it exactly. False when it is no iCalendar at
  // all, which no CalDAV server may send (the run fails); an empty uid (why
  // saying so) when it holds nothing Velmo can keep (the item is left alone).
  bool (*read)(void* context, const std::string& ics, std::string& uid, std::string& fingerprint, bool& inexact,
               std::string& why);
  // The entry of uid as iCalendar; with serverCopy, only the properties Velmo
  // keeps are replaced in it.
  bool (*write)(void* context, const std::string& uid, const std::string& serverCopy, std::string& ics,
                std::string& why);
  // The server's item replaces the entry of uid, or becomes a new entry.
  bool (*apply)(void* context, const std::string& uid, const std::string& ics, std::string& why);
  bool (*remove)(void* context, const std::string& uid, std::string& why);
  // The entry from takes the UID to.
  bool (*rename)(void* context, const std::string& from, const std::string& to, std::string& why);
  // Keeps the entry of uid as it is now beside it, under a new UID (newUid).
  bool (*copy)(void* context, const std::string& uid, std::string& newUid, std::string& why);
  // Makes the changes so far durable (the record file saved): the state
  // never records a change here before it is on disk.
  bool (*commit)(void* context, std::string& why);
};

struct SyncRunOptions {
  std::string url;        // where discovery starts
  std::string statePath;  // the sync state file
  std::string likePath;   // the record file, whose permission bits the state takes
  SyncInit init = SYNC_INIT_NONE;
  bool forceDelete = false;
  bool dryRun = false;    // plan only: nothing changed anywhere
  // Told after each step of the plan carried out (done of total); may be null.
  void (*progress)(void* context, std::size_t done, std::size_t total) = nullptr;
  void* progressContext = nullptr;
};

enum SyncOutcome {
  SYNC_DONE,          // in step
  SYNC_DONE_CONFLICTS,  // in step, with versions kept as copies (or a 412 left for the next run)
  SYNC_FAILED,        // the server, the network or a file failed; see why
  SYNC_STOPPED,       // the plan needs a decision (plan.stop says which)
};

struct SyncReport {
  SyncOutcome outcome = SYNC_DONE;
  SyncPlan plan;
  std::string why;
  int raced = 0;  // writes refused with 412: the next run sees those changes
  std::vector<std::string> notes;  // one line each: conflicts kept as copies, items left alone
};

SyncReport SyncRun(CalDav& dav, SyncLocal& local, const SyncRunOptions& options);
