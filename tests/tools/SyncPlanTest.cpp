// The plan of a sync as a table: each row gives the entries here (UID=fingerprint),
// the state of the last sync (UID=fingerprint, each agreed at ETag "old"), the
// server's side (UID=fingerprint@ETag, or UID=- for a member removed) and the
// plan it must give, one word per action in UID order.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "SyncPlan.h"

namespace {

struct Row {
  const char* what;
  const char* local;
  const char* state;  // null: never synced
  const char* remote;
  bool complete;
  SyncInit init;
  bool force;
  SyncStop stop;
  const char* plan;
};

constexpr SyncInit N = SYNC_INIT_NONE, M = SYNC_INIT_MERGE, KL = SYNC_INIT_KEEP_LOCAL, KR = SYNC_INIT_KEEP_REMOTE;

constexpr Row kRows[] = {
    // In step, and one side changed.
    {"nothing changed", "a=1 b=2", "a=1 b=2", "", false, N, false, SYNC_GO, ""},
    {"a full listing, nothing changed", "a=1 b=2", "a=1 b=2", "a=1@old b=2@old", true, N, false, SYNC_GO, ""},
    {"new here goes up", "a=1 b=2 c=3", "a=1 b=2", "", false, N, false, SYNC_GO, "up:c:"},
    {"new there comes down", "a=1 b=2", "a=1 b=2", "c=3@e", false, N, false, SYNC_GO, "down:c:e"},
    {"changed here goes up over the agreed version", "a=9 b=2", "a=1 b=2", "", false, N, false, SYNC_GO,
     "up:a:old"},
    {"changed there comes down", "a=1 b=2", "a=1 b=2", "a=9@e", false, N, false, SYNC_GO, "down:a:e"},
    {"a new ETag over the same content is learnt, not fetched again", "a=1 b=2", "a=1 b=2", "a=1@e", false, N,
     false, SYNC_GO, "agree:a:e"},
    {"the same change on both sides is agreed", "a=9 b=2", "a=1 b=2", "a=9@e", false, N, false, SYNC_GO,
     "agree:a:e"},
    {"a change here goes over the server's rewritten copy", "a=9 b=2", "a=1 b=2", "a=1@e", false, N, false,
     SYNC_GO, "up:a:e"},
    // Deletions and conflicts.
    {"deleted here goes there", "a=1 b=2", "a=1 b=2 c=3", "", false, N, false, SYNC_GO, "delete-there:c:old"},
    {"deleted there goes here", "a=1 b=2 c=3", "a=1 b=2 c=3", "c=-", false, N, false, SYNC_GO, "delete-here:c:"},
    {"missing from a full listing is deleted there", "a=1 b=2 c=3", "a=1 b=2 c=3", "a=1@old b=2@old", true, N,
     false, SYNC_GO, "delete-here:c:"},
    {"missing from a sync report is unchanged", "a=1 b=2 c=3", "a=1 b=2 c=3", "a=1@old", false, N, false, SYNC_GO,
     ""},
    {"deleted on both sides is forgotten", "a=1 b=2", "a=1 b=2 c=3", "c=-", false, N, false, SYNC_GO,
     "forget:c:"},
    {"changed on both sides keeps both", "a=8 b=2", "a=1 b=2", "a=9@e", false, N, false, SYNC_GO,
     "conflict:a:e"},
    {"changed here beats deleted there: it goes up anew", "a=8 b=2 c=3", "a=1 b=2 c=3", "a=-", false, N, false,
     SYNC_GO, "up:a:"},
    {"changed there beats deleted here: it comes back", "b=2 c=3", "a=1 b=2 c=3", "a=9@e", false, N, false,
     SYNC_GO, "down:a:e"},
    {"new on both sides under one UID, different: both kept", "a=1 b=2", "a=1", "b=3@e", false, N, false, SYNC_GO,
     "conflict:b:e"},
    {"new on both sides under one UID, same: agreed (a PUT whose state was lost)", "a=1 b=2", "a=1", "b=2@e",
     false, N, false, SYNC_GO, "agree:b:e"},
    {"removed there, never known here: nothing", "a=1", "a=1", "z=-", false, N, false, SYNC_GO, ""},
    // The mass-deletion guard: more than half of what was in step, or all of it.
    {"half deleted here may go", "a=1 b=2", "a=1 b=2 c=3 d=4", "", false, N, false, SYNC_GO,
     "delete-there:c:old delete-there:d:old"},
    {"more than half deleted here stops", "a=1", "a=1 b=2 c=3", "", false, N, false, SYNC_MASS_DELETION,
     "delete-there:b:old delete-there:c:old"},
    {"more than half deleted there stops", "a=1 b=2 c=3", "a=1 b=2 c=3", "a=1@old", true, N, false,
     SYNC_MASS_DELETION, "delete-here:b: delete-here:c:"},
    {"all deleted here stops", "", "a=1", "", false, N, false, SYNC_MASS_DELETION, "delete-there:a:old"},
    {"an empty listing deletes everything: stops", "a=1 b=2", "a=1 b=2", "", true, N, false, SYNC_MASS_DELETION,
     "delete-here:a: delete-here:b:"},
    {"--force-delete lets it go", "a=1", "a=1 b=2 c=3", "", false, N, true, SYNC_GO,
     "delete-there:b:old delete-there:c:old"},
    {"changes beating deletions count for nothing", "a=8 b=8", "a=1 b=2 c=3", "a=- b=-", false, N, false, SYNC_GO,
     "up:a: up:b: delete-there:c:old"},
    // The first sync.
    {"first sync to an empty calendar uploads all", "a=1 b=2", nullptr, "", true, N, false, SYNC_GO,
     "up:a: up:b:"},
    {"first sync with a calendar holding items needs --init", "a=1", nullptr, "x=2@e", true, N, false,
     SYNC_NEEDS_INIT, ""},
    {"even when Velmo holds nothing", "", nullptr, "x=2@e", true, N, false, SYNC_NEEDS_INIT, ""},
    {"a calendar holding only removed members needs none", "a=1", nullptr, "x=-", true, N, false, SYNC_GO,
     "up:a:"},
    {"merge: UID, then content, then the rest", "a=1 b=2 c=3 d=4", nullptr, "a=1@ea b=9@eb x=3@ex y=5@ey", true, M,
     false, SYNC_GO, "adopt:x:ex:c agree:a:ea conflict:b:eb up:d: down:y:ey"},
    {"keep-local: Velmo's version goes over the server's", "a=1 b=2", nullptr, "a=1@ea b=9@eb", true, KL, false,
     SYNC_GO, "agree:a:ea up:b:eb"},
    {"keep-remote: the server's version comes down", "a=1 b=2", nullptr, "a=1@ea b=9@eb", true, KR, false,
     SYNC_GO, "agree:a:ea down:b:eb"},
    {"merge matches equal contents one to one", "a=1 b=1", nullptr, "x=1@ex", true, M, false, SYNC_GO,
     "adopt:x:ex:a up:b:"},
    {"no --init deletes anything", "", nullptr, "x=1@ex y=2@ey", true, KL, false, SYNC_GO,
     "down:x:ex down:y:ey"},
};

std::map<std::string, std::string> Pairs(const char* text) {
  std::map<std::string, std::string> out;
  std::istringstream in(text);
  for (std::string word; in >> word;) {
    const std::size_t eq = word.find('=');
    out[word.substr(0, eq)] = word.substr(eq + 1);
  }
  return out;
}

SyncPlanInput Input(const Row& row) {
  SyncPlanInput in;
  in.local = Pairs(row.local);
  if (row.state != nullptr) {
    in.state.collection = "http://127.0.0.1/cal/";
    in.state.token = "t1";
    for (const auto& [uid, print] : Pairs(row.state)) in.state.items[uid] = SyncItem{uid + ".ics", "old", print, false};
  }
  for (const auto& [uid, value] : Pairs(row.remote)) {
    SyncRemote r{uid + ".ics", {}, {}, value == "-"};
    if (!r.deleted) {
      r.fingerprint = value.substr(0, value.find('@'));
      r.etag = value.substr(value.find('@') + 1);
    }
    in.remote[uid] = r;
  }
  in.remoteComplete = row.complete;
  in.init = row.init;
  in.forceDelete = row.force;
  return in;
}

const char* Word(SyncActionKind kind) {
  switch (kind) {
    case SYNC_UPLOAD: return "up";
    case SYNC_DOWNLOAD: return "down";
    case SYNC_DELETE_LOCAL: return "delete-here";
    case SYNC_DELETE_REMOTE: return "delete-there";
    case SYNC_CONFLICT: return "conflict";
    case SYNC_ADOPT: return "adopt";
    case SYNC_AGREE: return "agree";
    case SYNC_FORGET: return "forget";
  }
  return "?";
}

std::string Text(const SyncPlan& plan) {
  std::string out;
  for (const SyncAction& a : plan.actions) {
    if (!out.empty()) out += ' ';
    out += std::string(Word(a.kind)) + ":" + a.uid + ":" + a.etag;
    if (a.kind == SYNC_ADOPT) out += ":" + a.localUid;
  }
  return out;
}

TEST(SyncPlanTest, TableOfCases) {
  for (const Row& row : kRows) {
    const SyncPlan plan = SyncPlan_Make(Input(row));
    EXPECT_EQ(plan.stop, row.stop) << row.what;
    EXPECT_EQ(Text(plan), row.plan) << row.what;
    for (const SyncAction& a : plan.actions) {
      // Every request names the item where the server keeps it.
      if (a.kind != SYNC_FORGET && a.kind != SYNC_DELETE_LOCAL && a.kind != SYNC_UPLOAD) {
        EXPECT_EQ(a.href, a.uid + ".ics") << row.what;
      }
    }
  }
}

TEST(SyncPlanTest, CountsPatchesAndSummary) {
  SyncPlanInput in = Input(kRows[0]);
  in.local = Pairs("a=9 b=2 c=3 d=4");
  in.state.items["b"].inexact = true;
  in.state.items["a"].inexact = true;
  in.state.items["d"] = SyncItem{"d.ics", "old", "4", true};
  in.remote = {{"b", SyncRemote{"b.ics", "eb", "7", false}}, {"e", SyncRemote{"e.ics", "ee", "5", false}},
               {"d", SyncRemote{"d.ics", {}, {}, true}}};
  const SyncPlan plan = SyncPlan_Make(in);
  ASSERT_EQ(Text(plan), "up:a:old down:b:eb up:c: delete-here:d: down:e:ee");
  // Only the change to an item Velmo could not hold exactly replaces just Velmo's properties.
  EXPECT_TRUE(plan.actions[0].patch);
  EXPECT_FALSE(plan.actions[2].patch);
  EXPECT_EQ(plan.actions[2].href, "");  // a new item: the sync names its place
  EXPECT_EQ(plan.inStep, 3u);
  EXPECT_EQ(SyncPlan_Summary(plan), "sync: 2 up, 2 down, 1 deleted here, 0 deleted there, 0 conflicts");
}

}  // namespace
