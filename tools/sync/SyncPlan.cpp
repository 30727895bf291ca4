#include "SyncPlan.h"

#include <set>

namespace {

// What one UID looks like on one side since the last sync.
enum Side { ABSENT, SAME, CHANGED, NEW, GONE };

struct Sides {
  Side here;
  Side there;
  const std::string* localPrint;  // null when absent
  const SyncRemote* remote;       // null when not listed (or removed)
  const SyncItem* agreed;         // null when not in the state
};

Sides Look(const SyncPlanInput& in, const std::string& uid) {
  Sides s{ABSENT, ABSENT, nullptr, nullptr, nullptr};
  const auto l = in.local.find(uid);
  const auto a = in.state.items.find(uid);
  const auto r = in.remote.find(uid);
  if (l != in.local.end()) s.localPrint = &l->second;
  if (a != in.state.items.end()) s.agreed = &a->second;
  if (r != in.remote.end() && !r->second.deleted) s.remote = &r->second;
  if (s.agreed == nullptr) {
    s.here = s.localPrint != nullptr ? NEW : ABSENT;
    s.there = s.remote != nullptr ? NEW : ABSENT;
    return s;
  }
  s.here = s.localPrint == nullptr ? GONE : *s.localPrint == s.agreed->fingerprint ? SAME : CHANGED;
  if (s.remote != nullptr) {
    // A new ETag over the same content (a server rewriting what it stores) is no change.
    s.there = s.remote->fingerprint == s.agreed->fingerprint ? SAME : CHANGED;
  } else {
    const bool removed = r != in.remote.end() || in.remoteComplete;
    s.there = removed ? GONE : SAME;
  }
  return s;
}

struct Planner {
  const SyncPlanInput& in;
  SyncPlan& plan;

  // The server's version as it stands now (its href and ETag).
  SyncAction At(SyncActionKind kind, const std::string& uid, const Sides& s) const {
    SyncAction a{kind, uid, {}, {}, {}, false};
    if (s.remote != nullptr) {
      a.href = s.remote->href;
      a.etag = s.remote->etag;
    } else if (s.agreed != nullptr) {
      a.href = s.agreed->href;
      a.etag = s.there == GONE ? std::string() : s.agreed->etag;
    }
    if (kind == SYNC_UPLOAD && s.agreed != nullptr && s.there != GONE) a.patch = s.agreed->inexact;
    return a;
  }

  void Add(SyncAction a) {
    switch (a.kind) {
      case SYNC_UPLOAD: ++plan.up; break;
      case SYNC_DOWNLOAD: ++plan.down; break;
      case SYNC_DELETE_LOCAL: ++plan.deletedHere; break;
      case SYNC_DELETE_REMOTE: ++plan.deletedThere; break;
      case SYNC_CONFLICT: ++plan.conflicts; break;
      case SYNC_ADOPT: case SYNC_AGREE: case SYNC_FORGET: break;
    }
    plan.actions.push_back(std::move(a));
  }

  // Present on both sides with no agreed version between them.
  SyncActionKind Both(const Sides& s) const {
    if (*s.localPrint == s.remote->fingerprint) return SYNC_AGREE;
    switch (in.init) {
      case SYNC_INIT_KEEP_LOCAL: return SYNC_UPLOAD;
      case SYNC_INIT_KEEP_REMOTE: return SYNC_DOWNLOAD;
      case SYNC_INIT_NONE: case SYNC_INIT_MERGE: return SYNC_CONFLICT;
    }
    return SYNC_CONFLICT;
  }

  // The one decision per UID; false when the UID needs nothing at all.
  bool Decide(const Sides& s, SyncActionKind& kind) const {
    switch (s.here) {
      case ABSENT:
        if (s.there == NEW) kind = SYNC_DOWNLOAD;
        return s.there == NEW;
      case NEW:
        kind = s.there == NEW ? Both(s) : SYNC_UPLOAD;
        return true;
      case SAME:
        if (s.there == SAME) {
          // Only the ETag moved: the state learns the new one.
          kind = SYNC_AGREE;
          return s.remote != nullptr && s.remote->etag != s.agreed->etag;
        }
        kind = s.there == CHANGED ? SYNC_DOWNLOAD : SYNC_DELETE_LOCAL;
        return true;
      case CHANGED:
        switch (s.there) {
          case CHANGED:
            kind = *s.localPrint == s.remote->fingerprint ? SYNC_AGREE : SYNC_CONFLICT;
            return true;
          default: kind = SYNC_UPLOAD; return true;  // over the old version, or anew where deleted
        }
      case GONE:
        switch (s.there) {
          case SAME: kind = SYNC_DELETE_REMOTE; return true;
          case CHANGED: kind = SYNC_DOWNLOAD; return true;  // the change wins
          default: kind = SYNC_FORGET; return true;
        }
    }
    return false;
  }

  // First sync: an entry here and a member there with the same content
  // but different UIDs are one item; the entry takes the server's UID.
  void MatchByContent(std::set<std::string>& uids) {
    std::multimap<std::string, std::string> remoteOnly;  // fingerprint -> UID
    for (const auto& [uid, r] : in.remote) {
      if (!r.deleted && in.local.count(uid) == 0) remoteOnly.emplace(r.fingerprint, uid);
    }
    for (const auto& [uid, print] : in.local) {
      if (in.remote.count(uid) != 0) continue;
      const auto match = remoteOnly.find(print);
      if (match == remoteOnly.end()) continue;
      const SyncRemote& r = in.remote.at(match->second);
      Add(SyncAction{SYNC_ADOPT, match->second, r.href, r.etag, uid, false});
      uids.erase(uid);
      uids.erase(match->second);
      remoteOnly.erase(match);
    }
  }
};

bool TooMany(int deletions, std::size_t inStep) {
  const auto n = static_cast<std::size_t>(deletions);
  return n > 0 && (2 * n > inStep || n == inStep);
}

}  // namespace

SyncPlan SyncPlan_Make(const SyncPlanInput& in) {
  SyncPlan plan;
  plan.inStep = in.state.items.size();
  const bool first = in.state.collection.empty();
  std::set<std::string> uids;
  for (const auto& [uid, print] : in.local) uids.insert(uid);
  for (const auto& [uid, item] : in.state.items) uids.insert(uid);
  bool remoteHolds = false;
  for (const auto& [uid, r] : in.remote) {
    uids.insert(uid);
    remoteHolds = remoteHolds || !r.deleted;
  }
  if (first && remoteHolds && in.init == SYNC_INIT_NONE) {
    plan.stop = SYNC_NEEDS_INIT;
    return plan;
  }
  Planner p{in, plan};
  if (first) p.MatchByContent(uids);
  for (const std::string& uid : uids) {
    const Sides s = Look(in, uid);
    SyncActionKind kind;
    if (p.Decide(s, kind)) p.Add(p.At(kind, uid, s));
  }
  if (!in.forceDelete && (TooMany(plan.deletedHere, plan.inStep) || TooMany(plan.deletedThere, plan.inStep))) {
    plan.stop = SYNC_MASS_DELETION;
  }
  return plan;
}

std::string SyncPlan_Summary(const SyncPlan& plan) {
  return "sync: " + std::to_string(plan.up) + " up, " + std::to_string(plan.down) + " down, " +
         std::to_string(plan.deletedHere) + " deleted here, " + std::to_string(plan.deletedThere) +
         " deleted there, " + std::to_string(plan.conflicts) + " conflicts";
}
