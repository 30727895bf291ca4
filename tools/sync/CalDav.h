// The CalDAV requests of a sync (RFC 4791, 6578) over one HttpClient. Every
// call checks that the answer is what the protocol promises (a 207 with a
// WebDAV multistatus in XML) and otherwise fails with one line saying why.
#pragma once

#include <string>
#include <vector>

#include "Http.h"

enum CalDavResult {
  CALDAV_OK,
  CALDAV_CONFLICT,   // 412: the item changed (or appeared) on the server meanwhile
  CALDAV_GONE,       // 404: the item is no longer there
  CALDAV_FALLBACK,   // sync-collection refused (a stale token): list the collection instead
  CALDAV_ERROR,      // no answer, refused credentials, or an answer CalDAV does not allow
};

// One member of the collection: its href (a path, as the server wrote it)
// and ETag; removed when a sync report lists it as gone.
struct CalDavMember {
  std::string href;
  std::string etag;
  bool removed = false;
};

struct CalDavBody {
  std::string href;
  std::string etag;
  std::string ics;
};

class CalDav {
 public:
  explicit CalDav(HttpClient& http) : http_(http) {}

  // The calendar collection URL names: itself when it is a calendar, else
  // the one calendar of its home (URL a principal, a home, or a page that
  // names the user's principal). More or fewer than one is an error.
  CalDavResult Discover(const std::string& url, std::string& collection);
  // The changes since token (empty: every member). CALDAV_FALLBACK on any
  // answer other than 207, as servers answer a stale token with 403, 409 or 500.
  CalDavResult Changes(const std::string& collection, const std::string& token,
                       std::vector<CalDavMember>& members, std::string& newToken);
  // Every member with its ETag (PROPFIND, depth 1).
  CalDavResult List(const std::string& collection, std::vector<CalDavMember>& members);
  // The bodies of these members, in batches; a member gone meanwhile is left out.
  CalDavResult Fetch(const std::string& collection, const std::vector<std::string>& hrefs,
                     std::vector<CalDavBody>& bodies);
  // Writes an item at href: with an empty etag only when none is there
  // (If-None-Match: *), else only over that version (If-Match). etag becomes
  // the new version's ETag (empty when the server names none).
  CalDavResult Put(const std::string& collection, const std::string& href, const std::string& ics,
                   std::string& etag);
  // Deletes the item at href, only that version of it.
  CalDavResult Delete(const std::string& collection, const std::string& href, const std::string& etag);

  // Why the last call failed.
  const std::string& Error() const { return error_; }

 private:
  CalDavResult Send(HttpRequest& request, HttpAnswer& answer);
  CalDavResult MultiStatus(HttpRequest& request, struct DavMultiStatus& out, bool fallback);
  CalDavResult Fail(std::string why);

  HttpClient& http_;
  std::string error_;
};
