// The CalDAV client against Debian's radicale and xandikos, started here on
// 127.0.0.1, with python3-caldav writing beside it as a phone would; and
// against a stub that answers badly, and a server that is down. One server
// per test (each test runs in its own process), the steps of a sync in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CalDav.h"
#include "CalDavHarness.h"

namespace {

using caldavharness::Event;
using caldavharness::MakeCalendar;
using caldavharness::Peer;
using caldavharness::Server;

const CalDavMember* Find(const std::vector<CalDavMember>& members, const std::string& tail) {
  for (const CalDavMember& m : members) {
    if (m.href.ends_with(tail)) return &m;
  }
  return nullptr;
}

class CalDavServerTest : public ::testing::TestWithParam<Server::Kind> {};

TEST_P(CalDavServerTest, DiscoveryChangesAndConditionalWrites) {
  Server server(GetParam());
  if (server.Missing()) GTEST_SKIP() << server.Error();
  ASSERT_EQ(server.Error(), "");
  HttpClient http(HttpOptions{server.User(), server.Password()});
  MakeCalendar(http, server);
  CalDav dav(http);

  // Discovery from the principal, and (Radicale) from the server's root.
  std::string collection;
  ASSERT_EQ(dav.Discover(server.Principal(), collection), CALDAV_OK) << dav.Error();
  EXPECT_EQ(collection, server.Principal() + (GetParam() == Server::RADICALE ? "cal/" : "calendars/calendar/"));
  std::string again;
  ASSERT_EQ(dav.Discover(collection, again), CALDAV_OK) << dav.Error();
  EXPECT_EQ(again, collection);
  if (GetParam() == Server::RADICALE) {
    ASSERT_EQ(dav.Discover(server.Root() + "/", again), CALDAV_OK) << dav.Error();
    EXPECT_EQ(again, collection);
  }

  // Once signed in, a request is sent once: no authentication round before each.
  const int before = http.Requests();
  std::vector<CalDavMember> members;
  for (int i = 0; i < 3; ++i) ASSERT_EQ(dav.List(collection, members), CALDAV_OK) << dav.Error();
  EXPECT_EQ(http.Requests() - before, 3);
  // The first sync report of an empty calendar.
  std::string token0, token1, token2;
  ASSERT_EQ(dav.Changes(collection, "", members, token0), CALDAV_OK) << dav.Error();
  EXPECT_FALSE(token0.empty());
  EXPECT_EQ(std::count_if(members.begin(), members.end(), [](const CalDavMember& m) { return !m.removed; }), 0);

  // Create only where nothing is; a second create at the same place is a conflict.
  std::string etagA;
  ASSERT_EQ(dav.Put(collection, "a.ics", Event("a@velmo", "first"), etagA), CALDAV_OK) << dav.Error();
  std::string etagTwice;
  EXPECT_EQ(dav.Put(collection, "a.ics", Event("a@velmo", "again"), etagTwice), CALDAV_CONFLICT);
  ASSERT_EQ(dav.Changes(collection, token0, members, token1), CALDAV_OK) << dav.Error();
  const CalDavMember* a = Find(members, "/a.ics");
  ASSERT_NE(a, nullptr);
  EXPECT_FALSE(a->removed);
  if (etagA.empty()) etagA = a->etag;  // a server need not name the ETag of a PUT
  EXPECT_EQ(a->etag, etagA);

  // The phone changes it: a write over the version Velmo knew is refused (the 412 race).
  int status = 0;
  ASSERT_EQ((Peer("'" + collection + "' '" + server.User() + "' '" + server.Password() + "' put a@velmo phone", status),
             status),
            0);
  std::string stale = etagA;
  EXPECT_EQ(dav.Put(collection, "a.ics", Event("a@velmo", "mine"), stale), CALDAV_CONFLICT);
  ASSERT_EQ(dav.Changes(collection, token1, members, token2), CALDAV_OK) << dav.Error();
  a = Find(members, "/a.ics");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(a->etag, etagA);
  std::string current = a->etag;
  std::vector<CalDavBody> bodies;
  ASSERT_EQ(dav.Fetch(collection, {a->href}, bodies), CALDAV_OK) << dav.Error();
  ASSERT_EQ(bodies.size(), 1u);
  EXPECT_NE(bodies[0].ics.find("SUMMARY:phone"), std::string::npos) << bodies[0].ics;
  EXPECT_NE(bodies[0].ics.find("UID:a@velmo"), std::string::npos);
  EXPECT_EQ(bodies[0].etag, current);
  ASSERT_EQ(dav.Put(collection, "a.ics", Event("a@velmo", "mine"), current), CALDAV_OK) << dav.Error();

  // The phone adds one under a UID of its own; a full listing and a multiget find both.
  ASSERT_EQ((Peer("'" + collection + "' '" + server.User() + "' '" + server.Password() + "' put p@phone added", status),
             status),
            0);
  ASSERT_EQ(dav.List(collection, members), CALDAV_OK) << dav.Error();
  ASSERT_EQ(members.size(), 2u);
  std::vector<std::string> hrefs{members[0].href, members[1].href, "/gone/nothing.ics"};
  ASSERT_EQ(dav.Fetch(collection, hrefs, bodies), CALDAV_OK) << dav.Error();
  ASSERT_EQ(bodies.size(), 2u);  // the one that is not there is left out
  std::string both = bodies[0].ics + bodies[1].ics;
  EXPECT_NE(both.find("UID:p@phone"), std::string::npos);
  EXPECT_NE(both.find("SUMMARY:mine"), std::string::npos);

  // A stale or unknown token: the server refuses (403 or 500) and the sync lists instead.
  std::string token3;
  EXPECT_EQ(dav.Changes(collection, token0 + "-unknown", members, token3), CALDAV_FALLBACK);
  EXPECT_EQ(dav.Changes(collection, "http://example.invalid/sync/1", members, token3), CALDAV_FALLBACK);

  // Deletion only of the version named; then the sync report lists it as removed.
  if (current.empty()) {
    ASSERT_EQ(dav.List(collection, members), CALDAV_OK);
    current = Find(members, "/a.ics")->etag;
  }
  EXPECT_EQ(dav.Delete(collection, "a.ics", etagA), CALDAV_CONFLICT);
  EXPECT_EQ(dav.Delete(collection, "a.ics", current), CALDAV_OK) << dav.Error();
  EXPECT_EQ(dav.Delete(collection, "a.ics", current), CALDAV_GONE);
  ASSERT_EQ(dav.Changes(collection, token2, members, token3), CALDAV_OK) << dav.Error();
  a = Find(members, "/a.ics");
  ASSERT_NE(a, nullptr);
  EXPECT_TRUE(a->removed);
  const std::string listed = Peer("'" + collection + "' '" + server.User() + "' '" + server.Password() + "' list", status);
  EXPECT_EQ(listed, "p@phone added\n");

  // Wrong credentials are told as such (Radicale; xandikos asks for none).
  if (GetParam() == Server::RADICALE) {
    HttpClient wrong(HttpOptions{"alice", "wrong"});
    CalDav refused(wrong);
    EXPECT_EQ(refused.List(collection, members), CALDAV_ERROR);
    EXPECT_NE(refused.Error().find("refused the credentials (401)"), std::string::npos) << refused.Error();
  }
}

INSTANTIATE_TEST_SUITE_P(Servers, CalDavServerTest, ::testing::Values(Server::RADICALE, Server::XANDIKOS),
                         [](const auto& info) { return info.param == Server::RADICALE ? "Radicale" : "Xandikos"; });

TEST(CalDavStubTest, BadAnswersAndAServerThatIsDown) {
  Server stub(Server::STUB);
  ASSERT_EQ(stub.Error(), "");
  HttpClient http(HttpOptions{"alice", "secret"});
  CalDav dav(http);
  std::string collection;
  std::vector<CalDavMember> members;
  struct Bad {
    const char* path;
    const char* says;
  };
  const Bad bad[] = {
      {"/truncated/", "no well-formed XML"},
      {"/html/", "the answer is text/html, not XML"},
      {"/notdav/", "no WebDAV multistatus"},
      {"/huge/", "larger than 10 MB"},
      {"/status500/", "PROPFIND answered 500 where 207 was due"},
  };
  for (const Bad& b : bad) {
    EXPECT_EQ(dav.Discover(stub.Root() + b.path, collection), CALDAV_ERROR) << b.path;
    EXPECT_NE(dav.Error().find(b.says), std::string::npos) << b.path << ": " << dav.Error();
    EXPECT_NE(dav.Error().find(stub.Root() + b.path), std::string::npos) << dav.Error();
    EXPECT_EQ(dav.List(stub.Root() + b.path, members), CALDAV_ERROR) << b.path;
  }
  // A sync report refused goes to the listing; a listing refused is an error.
  std::string token;
  EXPECT_EQ(dav.Changes(stub.Root() + "/status500/", "t", members, token), CALDAV_FALLBACK);
  EXPECT_EQ(dav.Changes(stub.Root() + "/truncated/", "t", members, token), CALDAV_ERROR);
  // A report cut short (507) is asked on from its token until it is whole;
  // one that never ends is an error, not a loop.
  ASSERT_EQ(dav.Changes(stub.Root() + "/cut/cal/", "", members, token), CALDAV_OK) << dav.Error();
  ASSERT_EQ(members.size(), 2u);
  EXPECT_EQ(members[0].href, "/cut/cal/a.ics");
  EXPECT_EQ(members[1].href, "/cut/cal/b.ics");
  EXPECT_EQ(token, "http://stub/2");
  EXPECT_EQ(dav.Changes(stub.Root() + "/cutloop/cal/", "", members, token), CALDAV_ERROR);
  EXPECT_NE(dav.Error().find("cut short"), std::string::npos) << dav.Error();
  std::string etag;
  EXPECT_EQ(dav.Put(stub.Root() + "/status500/", "x.ics", Event("x", "x"), etag), CALDAV_ERROR);
  EXPECT_NE(dav.Error().find("PUT answered 500"), std::string::npos) << dav.Error();

  // Digest authentication.
  ASSERT_EQ(dav.Discover(stub.Root() + "/digest/", collection), CALDAV_OK) << dav.Error();
  EXPECT_EQ(collection, stub.Root() + "/digest/cal/");
  const int before = http.Requests();
  ASSERT_EQ(dav.Discover(stub.Root() + "/digest/", collection), CALDAV_OK) << dav.Error();
  EXPECT_EQ(http.Requests() - before, 1);  // the server's nonce is used again, not asked for again
  HttpClient wrong(HttpOptions{"alice", "wrong"});
  CalDav refused(wrong);
  EXPECT_EQ(refused.Discover(stub.Root() + "/digest/", collection), CALDAV_ERROR);
  EXPECT_NE(refused.Error().find("(401)"), std::string::npos) << refused.Error();

  // Nobody listening: an error naming the place, at once.
  const std::string down = "http://127.0.0.1:" + std::to_string(caldavharness::FreePort()) + "/cal/";
  EXPECT_EQ(dav.List(down, members), CALDAV_ERROR);
  EXPECT_NE(dav.Error().find(down), std::string::npos) << dav.Error();
}

// TLS checks the server's certificate against the system's authorities: one
// that none of them signed is refused, with a message that says so.
TEST(CalDavStubTest, UnknownCertificateIsRefused) {
  Server stub(Server::TLS_STUB);
  if (stub.Missing()) GTEST_SKIP() << stub.Error();
  ASSERT_EQ(stub.Error(), "");
  HttpClient http(HttpOptions{"alice", "secret"});
  CalDav dav(http);
  std::string collection;
  EXPECT_EQ(dav.Discover(stub.Root() + "/digest/", collection), CALDAV_ERROR);
  EXPECT_NE(dav.Error().find("certificate"), std::string::npos) << dav.Error();
  EXPECT_TRUE(collection.empty());
}

}  // namespace
