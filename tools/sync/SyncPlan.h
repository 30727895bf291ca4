// The plan of one sync, made without touching anything: from the local items
// (UID -> fingerprint), the state of the last sync and what the server holds
// now, which items go up, come down or are deleted on either side, and which
// changed on both. Nothing the user made is lost by a plan: a change made on
// both sides keeps both versions, a change beats a deletion, and a plan that
// would delete more than half of what was in step stops for a decision.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "SyncState.h"

enum SyncInit {
  SYNC_INIT_NONE,
  SYNC_INIT_MERGE,        // same UID, then same content, are one item; the rest is copied over
  SYNC_INIT_KEEP_LOCAL,   // as merge, and where the contents differ Velmo's wins
  SYNC_INIT_KEEP_REMOTE,  // as merge, and where the contents differ the server's wins
};

// The server's side of one UID: a member changed since the last sync (or
// every member, when complete), or a member removed.
struct SyncRemote {
  std::string href;
  std::string etag;
  std::string fingerprint;  // of the server's version, in Velmo's terms
  bool deleted = false;
};

struct SyncPlanInput {
  std::map<std::string, std::string> local;  // UID -> fingerprint of the entry now
  SyncState state;
  std::map<std::string, SyncRemote> remote;  // by UID
  // The remote map lists every member (a full listing): a UID of the state
  // missing from it was deleted on the server. Otherwise it holds the
  // changes of a sync report and a missing UID is unchanged there.
  bool remoteComplete = false;
  SyncInit init = SYNC_INIT_NONE;
  bool forceDelete = false;
};

enum SyncActionKind {
  SYNC_UPLOAD,         // PUT the entry: create (etag empty) or replace that version
  SYNC_DOWNLOAD,       // the server's item replaces the entry, or becomes a new one
  SYNC_DELETE_LOCAL,   // the entry goes (deleted on the server)
  SYNC_DELETE_REMOTE,  // DELETE that version (deleted here)
  SYNC_CONFLICT,       // changed on both sides: the server's version replaces the entry
                       // and keeps the UID; the entry as it was is kept beside it under a
                       // new UID and uploaded
  SYNC_ADOPT,          // first sync: the entry localUid holds what the server has as uid,
                       // and takes that UID
  SYNC_AGREE,          // both sides hold the same: only the state learns it
  SYNC_FORGET,         // gone on both sides: only the state forgets it
};

struct SyncAction {
  SyncActionKind kind;
  std::string uid;
  std::string href;      // on the server (for a new upload, the one it had, if any)
  std::string etag;      // the server's version the request must meet; empty: none there
  std::string localUid;  // SYNC_ADOPT
  bool patch = false;    // an upload over an item Velmo could not hold exactly: replace only
                         // the properties Velmo keeps in the server's copy
  bool operator==(const SyncAction&) const = default;
};

enum SyncStop {
  SYNC_GO,
  SYNC_NEEDS_INIT,      // first sync with a calendar that holds items, no --init
  SYNC_MASS_DELETION,   // the deletions need --force-delete
};

struct SyncPlan {
  SyncStop stop = SYNC_GO;
  std::vector<SyncAction> actions;  // by UID; kept when stopped, for showing
  int up = 0, down = 0, deletedHere = 0, deletedThere = 0, conflicts = 0;
  std::size_t inStep = 0;  // items in step at the last sync
};

SyncPlan SyncPlan_Make(const SyncPlanInput& in);
// "sync: 3 up, 1 down, 2 deleted here, 0 deleted there, 0 conflicts"
std::string SyncPlan_Summary(const SyncPlan& plan);
