#include "SyncRun.h"

#include <vector>

#include "Capacity.h"
#include "SyncState.h"

namespace {

// The path of an href, so that "/cal/a@b.ics" and "http://h/cal/a%40b.ics"
// name one member.
std::string PathOf(const std::string& collection, const std::string& href) {
  const std::string path = Http_Path(Http_Resolve(collection, href));
  return path.empty() ? href : path;
}

// A new item's place: its UID, escaped, in the collection.
std::string NewHref(const std::string& collection, const std::string& uid) {
  std::string base = Http_Path(collection);
  if (!base.ends_with('/')) base += '/';
  return base + Http_Escape(uid, false) + ".ics";
}

struct Run {
  CalDav& dav;
  SyncLocal& local;
  const SyncRunOptions& o;
  SyncReport& report;
  SyncState state;
  std::string collection;
  std::string token;                          // the server's, after this run
  bool complete = false;                      // remote lists every member
  std::map<std::string, SyncRemote> remote;   // by UID
  std::map<std::string, std::string> bodies;  // UID -> the server's item, as fetched
  std::map<std::string, bool> inexact;        // UID -> the server's item is more than Velmo keeps
  std::map<std::string, std::string> listed;  // path -> ETag, as the server listed it
  std::map<std::string, std::string> here;    // UID -> fingerprint of the entry
  std::size_t undone = 0;                     // changes not yet in the saved state
  bool wrote = false;                         // this run changed the server

  bool Fail(std::string why) {
    report.outcome = SYNC_FAILED;
    report.why = std::move(why);
    return false;
  }
  bool Ok(CalDavResult r) { return r != CALDAV_ERROR || Fail(dav.Error()); }

  bool FindCollection() {
    std::string why;
    if (!SyncState_Load(o.statePath.c_str(), state, why)) return Fail(why);
    if (!state.collection.empty() && state.url == o.url) {
      collection = state.collection;
      return true;
    }
    if (!Ok(dav.Discover(o.url, collection))) return false;
    if (collection != state.collection) state = SyncState{};  // another calendar: a first sync with it
    state.url = o.url;
    return true;
  }

  // An item Velmo cannot hold at all (a day outside its years, no event or
  // to-do) is left as it is on both sides: it blocks no other item, and a
  // version agreed before stays agreed, so nothing here is deleted for it
  // and nothing there is written over it.
  void LeaveAlone(const std::string& path, const std::string& why) {
    report.notes.push_back(why + "; left as it is");
    for (const auto& [uid, item] : state.items) {
      if (item.href == path) remote[uid] = SyncRemote{path, item.etag, item.fingerprint, false};
    }
  }

  // The bodies of these hrefs, read; the UIDs they hold go to remote.
  bool Fetch(const std::vector<std::string>& hrefs) {
    std::vector<CalDavBody> got;
    if (!Ok(dav.Fetch(collection, hrefs, got))) return false;
    for (CalDavBody& b : got) {
      std::string uid, print, why;
      bool rich = false;
      const std::string path = PathOf(collection, b.href);
      if (!local.read(local.context, b.ics, uid, print, rich, why)) return Fail(b.href + ": " + why);
      if (uid.empty()) {
        LeaveAlone(path, b.href + ": " + why);
        continue;
      }
      const auto seen = remote.find(uid);
      if (seen != remote.end() && !seen->second.deleted && seen->second.href != path) {
        report.notes.push_back(b.href + ": UID " + uid + " twice on the server; this one is left as it is");
        continue;
      }
      // A server need not send the ETag with the body; the listing named it.
      if (b.etag.empty()) b.etag = listed[path];
      remote[uid] = SyncRemote{path, b.etag, print, false};
      bodies[uid] = std::move(b.ics);
      inexact[uid] = rich;
    }
    return true;
  }

  bool ReadServer() {
    std::vector<CalDavMember> members;
    CalDavResult r = dav.Changes(collection, state.token, members, token);
    complete = state.token.empty();
    if (r == CALDAV_FALLBACK) {
      r = dav.List(collection, members);
      token.clear();
      complete = true;
    }
    if (!Ok(r)) return false;
    std::map<std::string, std::string> byHref;  // path -> UID, as agreed last time
    for (const auto& [uid, item] : state.items) byHref[item.href] = uid;
    std::vector<std::string> changed;
    for (const CalDavMember& m : members) {
      const std::string path = PathOf(collection, m.href);
      listed[path] = m.etag;
      const auto known = byHref.find(path);
      if (m.removed) {
        if (known != byHref.end()) remote[known->second] = SyncRemote{path, {}, {}, true};
      } else if (known != byHref.end() && !m.etag.empty() && state.items[known->second].etag == m.etag) {
        remote[known->second] = SyncRemote{path, m.etag, state.items[known->second].fingerprint, false};
      } else {
        changed.push_back(m.href);
      }
    }
    return Fetch(changed);
  }

  // Local changes reach the disk before the state that records them.
  bool Save() {
    std::string why;
    if (!local.commit(local.context, why)) return Fail(why);
    if (!SyncState_Save(o.statePath.c_str(), o.likePath.c_str(), state)) {
      return Fail(o.statePath + ": the sync state could not be written");
    }
    undone = 0;
    return true;
  }

  void Agreed(const std::string& uid) {
    const SyncRemote& r = remote.at(uid);
    SyncItem& item = state.items[uid];
    const bool rich = inexact.count(uid) != 0 ? inexact[uid] : item.inexact;
    item = SyncItem{r.href, r.etag, r.fingerprint, rich};
  }

  bool Upload(const std::string& uid, std::string href, std::string etag, const std::string& serverCopy,
              const std::string& print, bool rich) {
    std::string ics, why;
    if (!local.write(local.context, uid, serverCopy, ics, why)) return Fail(uid + ": " + why);
    if (href.empty()) href = NewHref(collection, uid);
    const CalDavResult r = dav.Put(collection, href, ics, etag);
    if (r == CALDAV_CONFLICT) {
      ++report.raced;  // changed there meanwhile: the next run sees it
      return true;
    }
    if (!Ok(r)) return false;
    wrote = true;
    state.items[uid] = SyncItem{PathOf(collection, href), etag, print, rich};
    return true;
  }

  bool Carry(const SyncAction& a) {
    std::string why, copy;
    switch (a.kind) {
      case SYNC_UPLOAD:
        return Upload(a.uid, a.href, a.etag, a.patch ? bodies[a.uid] : std::string(), here.at(a.uid), a.patch);
      case SYNC_DOWNLOAD:
        if (!local.apply(local.context, a.uid, bodies.at(a.uid), why)) return Fail(a.uid + ": " + why);
        Agreed(a.uid);
        return true;
      case SYNC_DELETE_LOCAL:
        if (!local.remove(local.context, a.uid, why)) return Fail(a.uid + ": " + why);
        state.items.erase(a.uid);
        return true;
      case SYNC_DELETE_REMOTE: {
        const CalDavResult r = dav.Delete(collection, a.href, a.etag);
        if (r == CALDAV_CONFLICT) ++report.raced;
        if (r == CALDAV_OK || r == CALDAV_GONE) state.items.erase(a.uid);
        wrote = wrote || r == CALDAV_OK;
        return Ok(r);
      }
      case SYNC_CONFLICT:
        // The entry as it was goes beside the server's version, under a UID of its own.
        if (!local.copy(local.context, a.uid, copy, why) || !local.apply(local.context, a.uid, bodies.at(a.uid), why)) {
          return Fail(a.uid + ": " + why);
        }
        report.notes.push_back("conflict: " + a.uid + " changed on both sides; the server's version keeps it, " +
                               "this one is kept as " + copy);
        Agreed(a.uid);
        return Upload(copy, {}, {}, {}, here.at(a.uid), false);
      case SYNC_ADOPT:
        if (!local.rename(local.context, a.localUid, a.uid, why)) return Fail(a.localUid + ": " + why);
        Agreed(a.uid);
        return true;
      case SYNC_AGREE: Agreed(a.uid); return true;
      case SYNC_FORGET: state.items.erase(a.uid); return true;
    }
    return true;
  }

  // The token read at the start predates this run's own writes: an item
  // created now and deleted on the server before the next run would be in
  // no report from it. So the token kept is one read after the writes, when
  // all it reports is what this run wrote; else none, and the next run
  // lists the calendar whole.
  void TokenAfterWrites() {
    if (!wrote || token.empty()) return;
    std::vector<CalDavMember> members;
    std::string after;
    if (dav.Changes(collection, token, members, after) != CALDAV_OK) {
      token.clear();
      return;
    }
    std::map<std::string, const SyncItem*> byHref;
    for (const auto& [uid, item] : state.items) byHref[item.href] = &item;
    for (const CalDavMember& m : members) {
      const auto known = byHref.find(PathOf(collection, m.href));
      const bool ours = m.removed ? known == byHref.end()
                                  : known != byHref.end() && !m.etag.empty() && known->second->etag == m.etag;
      if (!ours) {
        token.clear();
        return;
      }
    }
    token = after;
  }

  // An upload over an item Velmo cannot hold exactly keeps the rest of the server's copy.
  bool FetchPatched() {
    std::vector<std::string> hrefs;
    for (const SyncAction& a : report.plan.actions) {
      if (a.kind == SYNC_UPLOAD && a.patch && bodies.count(a.uid) == 0) hrefs.push_back(a.href);
    }
    return hrefs.empty() || Fetch(hrefs);
  }

  void Go() {
    std::string why;
    if (!FindCollection() || !ReadServer()) return;
    if (!local.items(local.context, here, why)) {
      Fail(why);
      return;
    }
    report.plan = SyncPlan_Make(SyncPlanInput{here, state, remote, complete, o.init, o.forceDelete});
    if (report.plan.stop != SYNC_GO) {
      report.outcome = SYNC_STOPPED;
      return;
    }
    if (o.dryRun || !FetchPatched()) return;
    state.collection = collection;
    const std::size_t total = report.plan.actions.size();
    for (std::size_t done = 0; done < total; ++done) {
      if (!Carry(report.plan.actions[done])) return;
      if (++undone >= cap::kSyncStateBatch && !Save()) return;
      if (o.progress != nullptr) o.progress(o.progressContext, done + 1, total);
    }
    TokenAfterWrites();
    state.token = token;
    if (!Save()) return;
    if (report.plan.conflicts > 0 || report.raced > 0) report.outcome = SYNC_DONE_CONFLICTS;
  }
};

}  // namespace

SyncReport SyncRun(CalDav& dav, SyncLocal& local, const SyncRunOptions& options) {
  SyncReport report;
  Run run{dav, local, options, report};
  run.Go();
  return report;
}
