// Whole sync runs against radicale and xandikos with a stand-in for Velmo's
// side (UID -> text), python3-caldav as the phone: the first sync, a sync
// with nothing changed (one request), changes on either side, both sides
// changing one item, change against delete, a kill before the state is saved,
// the deletion guard, a stale token, --init merge, and an item Velmo cannot read.
#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>

#include "CalDavHarness.h"
#include "SyncRun.h"

namespace {

using caldavharness::Event;
using caldavharness::Field;
using caldavharness::PhoneItem;
using caldavharness::PhoneView;
using caldavharness::MakeCalendar;
using caldavharness::Peer;
using caldavharness::Server;

// A run that ended in step, its plan summed up as `summary`.
::testing::AssertionResult Summed(const SyncReport& r, const std::string& summary) {
  if (r.outcome != SYNC_DONE) return ::testing::AssertionFailure() << "outcome " << r.outcome << ": " << r.why;
  if (SyncPlan_Summary(r.plan) != summary) return ::testing::AssertionFailure() << SyncPlan_Summary(r.plan);
  return ::testing::AssertionSuccess();
}

// Velmo's side: each entry a UID and one line of text, its fingerprint.
struct Side {
  std::map<std::string, std::string> entries;
  int commits = 0;
  bool failCommit = false;  // as if killed after the server was written
  int copies = 0;
};

SyncLocal LocalOf(Side& side) {
  SyncLocal l;
  l.context = &side;
  l.items = [](void* c, std::map<std::string, std::string>& out, std::string&) {
    out = static_cast<Side*>(c)->entries;
    return true;
  };
  l.read = [](void*, const std::string& ics, std::string& uid, std::string& print, bool& inexact, std::string& why) {
    uid = Field(ics, "UID");
    print = Field(ics, "SUMMARY");
    inexact = ics.find("X-RICH") != std::string::npos;
    why = "no iCalendar item Velmo can read";
    if (print == "poison") uid.clear();
    return !uid.empty() || print == "poison";
  };
  l.write = [](void* c, const std::string& uid, const std::string& copy, std::string& ics, std::string&) {
    const std::string text = static_cast<Side*>(c)->entries.at(uid);
    ics = Event(uid, text);
    if (!copy.empty()) {  // only the text replaced in the server's copy
      ics = copy;
      const std::size_t at = ics.find("SUMMARY:") + 8;
      ics.replace(at, ics.find('\n', at) - at, text + "\r");
    }
    return true;
  };
  l.apply = [](void* c, const std::string& uid, const std::string& ics, std::string&) {
    static_cast<Side*>(c)->entries[uid] = Field(ics, "SUMMARY");
    return true;
  };
  l.remove = [](void* c, const std::string& uid, std::string&) {
    return static_cast<Side*>(c)->entries.erase(uid) == 1;
  };
  l.rename = [](void* c, const std::string& from, const std::string& to, std::string&) {
    Side& s = *static_cast<Side*>(c);
    s.entries[to] = s.entries.at(from);
    s.entries.erase(from);
    return true;
  };
  l.copy = [](void* c, const std::string& uid, std::string& newUid, std::string&) {
    Side& s = *static_cast<Side*>(c);
    newUid = "copy-" + std::to_string(++s.copies) + "@velmo";
    s.entries[newUid] = s.entries.at(uid);
    return true;
  };
  l.commit = [](void* c, std::string& why) {
    Side& s = *static_cast<Side*>(c);
    why = "killed";
    return !s.failCommit && ++s.commits > 0;
  };
  return l;
}

// Each test its own server, with a calendar, and its own folder with a record file.
class SyncRunTest : public ::testing::TestWithParam<Server::Kind> {
 protected:
  void SetUp() override {
    server_.emplace(GetParam());
    if (server_->Missing()) GTEST_SKIP() << server_->Error();
    ASSERT_EQ(server_->Error(), "");
    savefolder::Write("record", "");
    http_.emplace(HttpOptions{server_->User(), server_->Password()});
    MakeCalendar(*http_, *server_);
  }
  savefolder::Folder folder_;
  std::optional<Server> server_;
  std::optional<HttpClient> http_;
};

TEST_P(SyncRunTest, TwoClientsStayInStepAndNothingIsLost) {
  const Server& server = *server_;
  HttpClient& http = *http_;
  CalDav dav(http);
  Side side;
  SyncLocal local = LocalOf(side);
  SyncRunOptions options{server.Principal(), "record.sync", "record"};
  const auto sync = [&] { return SyncRun(dav, local, options); };
  std::string collection;
  ASSERT_EQ(dav.Discover(server.Principal(), collection), CALDAV_OK);
  const std::string peer = "'" + collection + "' '" + server.User() + "' '" + server.Password() + "' ";
  int status = 0;
  const auto phone = [&](const std::string& args) {
    const std::string out = Peer(peer + args, status);
    EXPECT_EQ(status, 0) << out;
    return out;
  };

  // The first sync with an empty calendar puts everything there.
  side.entries = {{"a@velmo", "one"}, {"b@velmo", "two"}, {"c@velmo", "three"}, {"d@velmo", "four"}};
  SyncReport r = sync();
  ASSERT_EQ(r.outcome, SYNC_DONE) << r.why;
  EXPECT_EQ(SyncPlan_Summary(r.plan), "sync: 4 up, 0 down, 0 deleted here, 0 deleted there, 0 conflicts");
  EXPECT_EQ(phone("list"), "a@velmo one\nb@velmo two\nc@velmo three\nd@velmo four\n");

  // Nothing changed: one sync report, nothing written anywhere.
  const int before = http.Requests(), commits = side.commits;
  r = sync();
  ASSERT_EQ(r.outcome, SYNC_DONE) << r.why;
  EXPECT_TRUE(r.plan.actions.empty());
  EXPECT_EQ(http.Requests() - before, 1);

  // The phone changes one and adds one; Velmo changes another.
  phone("put a@velmo phone");
  phone("put p@phone added");
  side.entries["b@velmo"] = "mine";
  ASSERT_TRUE(Summed(r = sync(), "sync: 1 up, 2 down, 0 deleted here, 0 deleted there, 0 conflicts"));
  EXPECT_EQ(side.entries["a@velmo"], "phone");
  EXPECT_EQ(side.entries["p@phone"], "added");
  EXPECT_GT(side.commits, commits);

  // Both sides change one item: the server's keeps the UID, Velmo's is kept as a copy.
  // One side changes an item the other deleted: the change wins.
  side.entries["a@velmo"] = "here";
  phone("put a@velmo there");
  phone("delete b@velmo");
  side.entries["b@velmo"] = "again";
  r = sync();
  ASSERT_EQ(r.outcome, SYNC_DONE_CONFLICTS) << r.why;
  EXPECT_EQ(r.plan.conflicts, 1);
  EXPECT_EQ(side.entries["a@velmo"], "there");
  EXPECT_EQ(side.entries["copy-1@velmo"], "here");
  ASSERT_EQ(r.notes.size(), 1u);
  EXPECT_NE(r.notes[0].find("copy-1@velmo"), std::string::npos);
  const std::string inStep = "a@velmo there\nb@velmo again\nc@velmo three\ncopy-1@velmo here\nd@velmo four\np@phone added\n";
  EXPECT_EQ(phone("list"), inStep);

  // Killed after the upload, before the state is saved: the next run finds the
  // item there already and adds no second one.
  side.entries["e@velmo"] = "five";
  side.failCommit = true;
  r = sync();
  EXPECT_EQ(r.outcome, SYNC_FAILED);
  EXPECT_EQ(r.why, "killed");
  side.failCommit = false;
  ASSERT_TRUE(Summed(r = sync(), "sync: 0 up, 0 down, 0 deleted here, 0 deleted there, 0 conflicts"));
  const std::string withE = "a@velmo there\nb@velmo again\nc@velmo three\ncopy-1@velmo here\nd@velmo four\n"
                            "e@velmo five\np@phone added\n";
  EXPECT_EQ(phone("list"), withE);

  // An item Velmo put there and the phone deleted before the next run: some
  // servers leave it out of a report from a token older than its creation.
  side.entries["f@velmo"] = "six";
  ASSERT_EQ(sync().outcome, SYNC_DONE);
  phone("delete f@velmo");
  r = sync();
  ASSERT_EQ(r.outcome, SYNC_DONE) << r.why;
  EXPECT_EQ(side.entries.count("f@velmo"), 0u);

  // Deleting most of what was in step stops until forced; nothing is deleted meanwhile.
  const auto kept = side.entries;
  side.entries = {{"a@velmo", "there"}, {"b@velmo", "again"}};
  r = sync();
  EXPECT_EQ(r.outcome, SYNC_STOPPED);
  EXPECT_EQ(r.plan.stop, SYNC_MASS_DELETION);
  EXPECT_EQ(phone("list"), withE);
  side.entries = kept;

  // A stale token: the server refuses it and the run lists the calendar instead.
  SyncState state;
  std::string why;
  ASSERT_TRUE(SyncState_Load("record.sync", state, why)) << why;
  state.token += "-stale";
  ASSERT_TRUE(SyncState_Save("record.sync", "record", state));
  phone("put c@velmo changed");
  ASSERT_TRUE(Summed(r = sync(), "sync: 0 up, 1 down, 0 deleted here, 0 deleted there, 0 conflicts"));
  EXPECT_EQ(side.entries["c@velmo"], "changed");

  // An item Velmo cannot read is left alone on both sides, told, and blocks
  // nothing else; one it held before and cannot read now stays as it was here.
  phone("put z@phone poison");
  phone("put c@velmo poison");
  side.entries["a@velmo"] = "unsent";
  ASSERT_TRUE(Summed(r = sync(), "sync: 1 up, 0 down, 0 deleted here, 0 deleted there, 0 conflicts"));
  ASSERT_EQ(r.notes.size(), 2u);
  EXPECT_NE(r.notes[0].find("no iCalendar item Velmo can read; left as it is"), std::string::npos) << r.notes[0];
  EXPECT_EQ(side.entries.count("z@phone"), 0u);
  EXPECT_EQ(side.entries["c@velmo"], "changed");
  EXPECT_NE(phone("list").find("z@phone poison"), std::string::npos);
  phone("delete z@phone");
  phone("put c@velmo changed");

  // An item richer than Velmo keeps (here: X-RICH) is never written back as
  // Velmo holds it; a change made here replaces only Velmo's part of it.
  std::string rich = Event("rich@phone", "plain"), richEtag;
  rich.insert(rich.find("SUMMARY"), "X-RICH:keep me\r\n");
  ASSERT_EQ(dav.Put(collection, "rich.ics", rich, richEtag), CALDAV_OK) << dav.Error();
  side.entries["a@velmo"] = "there";
  r = sync();
  ASSERT_EQ(r.outcome, SYNC_DONE) << r.why;
  EXPECT_EQ(side.entries["rich@phone"], "plain");
  r = sync();
  EXPECT_TRUE(r.plan.actions.empty());
  side.entries["rich@phone"] = "edited";
  r = sync();
  ASSERT_EQ(r.outcome, SYNC_DONE) << r.why;
  ASSERT_EQ(r.plan.actions.size(), 1u);
  EXPECT_TRUE(r.plan.actions[0].patch);
  std::vector<CalDavBody> bodies;
  ASSERT_EQ(dav.Fetch(collection, {r.plan.actions[0].href}, bodies), CALDAV_OK);
  ASSERT_EQ(bodies.size(), 1u);
  EXPECT_NE(bodies[0].ics.find("X-RICH:keep me"), std::string::npos) << bodies[0].ics;
  EXPECT_NE(bodies[0].ics.find("SUMMARY:edited"), std::string::npos) << bodies[0].ics;

  // A second device's first sync with the same calendar: it needs --init, and
  // merge matches by UID and then by content, adding no duplicate.
  Side other;
  other.entries = {{"a@velmo", "unsent"}, {"mine@other", "four"}, {"new@other", "fresh"}};
  SyncLocal otherLocal = LocalOf(other);
  SyncRunOptions otherOptions{server.Principal(), "other.sync", "record"};
  r = SyncRun(dav, otherLocal, otherOptions);
  EXPECT_EQ(r.outcome, SYNC_STOPPED);
  EXPECT_EQ(r.plan.stop, SYNC_NEEDS_INIT);
  EXPECT_FALSE(savefolder::Exists("other.sync"));
  otherOptions.init = SYNC_INIT_MERGE;
  r = SyncRun(dav, otherLocal, otherOptions);
  ASSERT_EQ(r.outcome, SYNC_DONE_CONFLICTS) << r.why;  // a@velmo differs: both kept
  EXPECT_EQ(other.entries.count("mine@other"), 0u);  // took the server's d@velmo
  EXPECT_EQ(other.entries["d@velmo"], "four");
  const std::string listed = phone("list");
  EXPECT_EQ(listed.find("four"), listed.rfind("four")) << listed;
  EXPECT_NE(listed.find("new@other fresh"), std::string::npos) << listed;
}


}  // namespace

namespace {


std::map<std::string, std::string> Texts(const std::map<std::string, PhoneItem>& items) {
  std::map<std::string, std::string> out;
  for (const auto& [uid, item] : items) out[uid] = item.text;
  return out;
}

// Rounds of random adds, changes and deletes on both sides, a sync after
// some: after each sync both sides hold the same items, every change made
// since the last sync is on both (a change made on both sides twice, once as
// a copy), an item deleted on one side and left alone on the other is gone,
// and no text is there twice.
TEST_P(SyncRunTest, RandomRoundsKeepBothSidesInStep) {
  const Server& server = *server_;
  HttpClient& http = *http_;
  HttpClient phoneHttp(HttpOptions{server.User(), server.Password()});
  CalDav dav(http), phone(phoneHttp);
  std::string collection;
  ASSERT_EQ(dav.Discover(server.Principal(), collection), CALDAV_OK);
  Side side;
  SyncLocal local = LocalOf(side);
  SyncRunOptions options{server.Principal(), "record.sync", "record"};
  options.forceDelete = true;  // the guard has its own test; here deletions are the user's
  std::mt19937 random(20261207);
  const auto pick = [&](const auto& map) {
    auto it = map.begin();
    std::advance(it, std::uniform_int_distribution<std::size_t>(0, map.size() - 1)(random));
    return it->first;
  };
  int serial = 0;
  std::map<std::string, std::string> agreed;  // UID -> text after the last sync, on both sides
  int syncs = 0, conflicts = 0;
  for (int round = 0; round < 60; ++round) {
    // Velmo's side.
    for (int n = std::uniform_int_distribution<int>(0, 2)(random); n > 0; --n) {
      const int what = std::uniform_int_distribution<int>(0, 3)(random);
      const std::string text = "t" + std::to_string(++serial);
      if (what == 0 || side.entries.empty()) {
        side.entries["v" + std::to_string(serial) + "@velmo"] = text;
      } else if (what == 3) {
        side.entries.erase(pick(side.entries));
      } else {
        side.entries[pick(side.entries)] = text;  // a change, or a done mark
      }
    }
    // The phone's side.
    auto there = PhoneView(phone, collection);
    for (int n = std::uniform_int_distribution<int>(0, 2)(random); n > 0; --n) {
      const int what = std::uniform_int_distribution<int>(0, 3)(random);
      const std::string text = "t" + std::to_string(++serial);
      std::string etag;
      if (what == 0 || there.empty()) {
        const std::string uid = "p" + std::to_string(serial) + "@phone";
        ASSERT_EQ(phone.Put(collection, "p" + std::to_string(serial) + ".ics", Event(uid, text), etag), CALDAV_OK);
      } else if (what == 3) {
        const std::string uid = pick(there);
        ASSERT_EQ(phone.Delete(collection, there[uid].href, there[uid].etag), CALDAV_OK) << phone.Error();
      } else {
        const std::string uid = pick(there);
        etag = there[uid].etag;
        ASSERT_EQ(phone.Put(collection, there[uid].href, Event(uid, text), etag), CALDAV_OK) << phone.Error();
      }
      there = PhoneView(phone, collection);
    }
    if (std::uniform_int_distribution<int>(0, 2)(random) == 0 && round != 59) continue;
    // What must hold after this sync.
    const std::map<std::string, std::string> before = Texts(there);
    std::set<std::string> must, mustNot;
    const auto nameOf = [](const std::string&, const std::string& value) { return value; };
    caldavharness::MustAfterSync(side.entries, before, agreed, nameOf, must, mustNot);
    const SyncReport r = SyncRun(dav, local, options);
    ASSERT_NE(r.outcome, SYNC_FAILED) << r.why;
    ASSERT_NE(r.outcome, SYNC_STOPPED);
    ++syncs;
    conflicts += r.plan.conflicts;
    const auto after = Texts(PhoneView(phone, collection));
    ASSERT_EQ(side.entries, after) << "round " << round << " raced " << r.raced << " " << SyncPlan_Summary(r.plan)
                                   << (r.notes.empty() ? "" : r.notes[0]);
    std::multiset<std::string> texts;
    for (const auto& [uid, text] : after) texts.insert(text);
    for (const std::string& t : must) EXPECT_EQ(texts.count(t), 1u) << "round " << round << ": " << t;
    for (const std::string& t : mustNot) EXPECT_EQ(texts.count(t), 0u) << "round " << round << ": " << t;
    EXPECT_EQ(texts.size(), must.size()) << "round " << round;
    agreed = after;
  }
  EXPECT_GT(syncs, 20);
  EXPECT_GT(conflicts, 0);  // the seed makes both sides change one item at least once
}

}  // namespace

namespace {
INSTANTIATE_TEST_SUITE_P(Servers, SyncRunTest, ::testing::Values(Server::RADICALE, Server::XANDIKOS),
                         [](const auto& info) { return info.param == Server::RADICALE ? "Radicale" : "Xandikos"; });
}  // namespace
