// Whole sync runs against radicale and xandikos with a stand-in for Velmo's
// side (UID -> text), python3-caldav as the phone: the first sync, a sync
// with nothing changed (one request), changes on either side, both sides
// changing one item, change against delete, a kill before the state is saved,
// the deletion guard, a stale token, --init merge, and an item Velmo cannot read.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "CalDavHarness.h"
#include "SyncRun.h"

namespace {

using caldavharness::Peer;
using caldavharness::Server;

// Velmo's side: each entry a UID and one line of text, its fingerprint.
struct Side {
  std::map<std::string, std::string> entries;
  int commits = 0;
  bool failCommit = false;  // as if killed after the server was written
  int copies = 0;
};

std::string Field(const std::string& ics, const std::string& name) {
  const std::size_t at = ics.find("\n" + name + ":");
  if (at == std::string::npos) return {};
  const std::size_t from = at + name.size() + 2;
  std::string v = ics.substr(from, ics.find('\n', from) - from);
  if (!v.empty() && v.back() == '\r') v.pop_back();
  return v;
}

std::string Event(const std::string& uid, const std::string& text) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Velmo//tests//JA\r\nBEGIN:VEVENT\r\nUID:" + uid +
         "\r\nDTSTAMP:20261207T090000Z\r\nDTSTART;VALUE=DATE:20261208\r\nSUMMARY:" + text +
         "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

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
    return !uid.empty() && print != "poison";
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

class SyncRunTest : public ::testing::TestWithParam<Server::Kind> {};

TEST_P(SyncRunTest, TwoClientsStayInStepAndNothingIsLost) {
  Server server(GetParam());
  if (server.Missing()) GTEST_SKIP() << server.Error();
  ASSERT_EQ(server.Error(), "");
  savefolder::Folder folder;
  savefolder::Write("record", "");
  HttpClient http(HttpOptions{server.User(), server.Password()});
  if (GetParam() == Server::RADICALE) {
    HttpAnswer answer;
    std::string error;
    HttpRequest look{.method = "PROPFIND", .url = server.Principal(), .depth = "0"};
    ASSERT_TRUE(http.Send(look, answer, error)) << error;
    HttpRequest make{.method = "MKCALENDAR", .url = server.Principal() + "cal/"};
    ASSERT_TRUE(http.Send(make, answer, error) && answer.status == 201) << error;
  }
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
  r = sync();
  ASSERT_EQ(r.outcome, SYNC_DONE) << r.why;
  EXPECT_EQ(SyncPlan_Summary(r.plan), "sync: 1 up, 2 down, 0 deleted here, 0 deleted there, 0 conflicts");
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
  r = sync();
  ASSERT_EQ(r.outcome, SYNC_DONE) << r.why;
  EXPECT_EQ(SyncPlan_Summary(r.plan), "sync: 0 up, 0 down, 0 deleted here, 0 deleted there, 0 conflicts");
  const std::string withE = "a@velmo there\nb@velmo again\nc@velmo three\ncopy-1@velmo here\nd@velmo four\n"
                            "e@velmo five\np@phone added\n";
  EXPECT_EQ(phone("list"), withE);

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
  r = sync();
  ASSERT_EQ(r.outcome, SYNC_DONE) << r.why;
  EXPECT_EQ(SyncPlan_Summary(r.plan), "sync: 0 up, 1 down, 0 deleted here, 0 deleted there, 0 conflicts");
  EXPECT_EQ(side.entries["c@velmo"], "changed");

  // An item Velmo cannot read stops the run before anything here changes.
  phone("put z@phone poison");
  side.entries["a@velmo"] = "unsent";
  const auto before2 = side.entries;
  const int commits2 = side.commits;
  r = sync();
  EXPECT_EQ(r.outcome, SYNC_FAILED);
  EXPECT_NE(r.why.find("no iCalendar item Velmo can read"), std::string::npos) << r.why;
  EXPECT_EQ(side.entries, before2);
  EXPECT_EQ(side.commits, commits2);
  phone("delete z@phone");

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

INSTANTIATE_TEST_SUITE_P(Servers, SyncRunTest, ::testing::Values(Server::RADICALE, Server::XANDIKOS),
                         [](const auto& info) { return info.param == Server::RADICALE ? "Radicale" : "Xandikos"; });

}  // namespace
