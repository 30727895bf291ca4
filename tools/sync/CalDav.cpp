#include "CalDav.h"

#include "Capacity.h"
#include "Xml.h"

#include <map>

namespace {

bool IsXml(const std::string& type) {
  return type == "application/xml" || type == "text/xml" || type.ends_with("+xml");
}

// Whether a response names the collection itself rather than a member.
bool IsSelf(const std::string& collection, const std::string& href) {
  const std::string self = Http_Path(collection), other = Http_Path(Http_Resolve(collection, href));
  const auto bare = [](std::string p) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
  };
  return bare(self) == bare(other);
}

}  // namespace

CalDavResult CalDav::Fail(std::string why) {
  error_ = std::move(why);
  return CALDAV_ERROR;
}

CalDavResult CalDav::Send(HttpRequest& request, HttpAnswer& answer) {
  std::string why;
  if (!http_.Send(request, answer, why)) return Fail(request.url + ": " + why);
  if (answer.status == 401 || answer.status == 403) {
    error_ = request.url + ": the server refused the credentials (" + std::to_string(answer.status) + ")";
  }
  return CALDAV_OK;
}

// A request whose answer must be a 207 multistatus. With fallback, any other
// status gives CALDAV_FALLBACK instead of an error.
CalDavResult CalDav::MultiStatus(HttpRequest& request, DavMultiStatus& out, bool fallback) {
  HttpAnswer answer;
  if (Send(request, answer) != CALDAV_OK) return CALDAV_ERROR;
  if (answer.status != 207) {
    if (fallback) return CALDAV_FALLBACK;
    if (answer.status == 401 || answer.status == 403) return CALDAV_ERROR;  // told by Send
    return Fail(request.url + ": " + request.method + " answered " + std::to_string(answer.status) +
                " where 207 was due");
  }
  if (!IsXml(answer.contentType)) {
    return Fail(request.url + ": the answer is " + (answer.contentType.empty() ? "of no type" : answer.contentType) +
                ", not XML");
  }
  std::string why;
  if (!Xml_ParseMultiStatus(answer.body, out, why)) return Fail(request.url + ": " + why);
  return CALDAV_OK;
}

CalDavResult CalDav::Discover(const std::string& url, std::string& collection) {
  HttpRequest ask{.method = "PROPFIND", .url = url, .body = kXmlPropfindDiscover,
                  .contentType = "application/xml; charset=utf-8", .depth = "0"};
  DavMultiStatus found;
  if (MultiStatus(ask, found, false) != CALDAV_OK) return CALDAV_ERROR;
  if (found.responses.empty()) return Fail(url + ": the server says nothing of it");
  const DavResponse& self = found.responses.front();
  if (self.calendar) {
    collection = Http_Resolve(url, self.href);
    return CALDAV_OK;
  }
  std::string home = self.home.empty() ? std::string() : Http_Resolve(url, self.home);
  if (home.empty() && !self.principal.empty()) {
    ask.url = Http_Resolve(url, self.principal);
    if (MultiStatus(ask, found, false) != CALDAV_OK) return CALDAV_ERROR;
    if (!found.responses.empty() && !found.responses.front().home.empty()) {
      home = Http_Resolve(ask.url, found.responses.front().home);
    }
  }
  if (home.empty() && self.collection) home = Http_Resolve(url, self.href);
  if (home.empty()) return Fail(url + ": no calendar there, and no calendar home named");
  ask.url = home;
  ask.depth = "1";
  if (MultiStatus(ask, found, false) != CALDAV_OK) return CALDAV_ERROR;
  std::vector<std::string> calendars;
  for (const DavResponse& r : found.responses) {
    if (r.calendar) calendars.push_back(Http_Resolve(home, r.href));
  }
  if (calendars.size() == 1) {
    collection = calendars.front();
    return CALDAV_OK;
  }
  std::string why = home + ": " + std::to_string(calendars.size()) + " calendars";
  if (calendars.empty()) return Fail(why + "; make one, or name a calendar with --url");
  why += " (";
  for (std::size_t i = 0; i < calendars.size(); ++i) why += (i > 0 ? " " : "") + calendars[i];
  return Fail(why + "); name one with --url");
}

CalDavResult CalDav::Changes(const std::string& collection, const std::string& token,
                             std::vector<CalDavMember>& members, std::string& newToken) {
  members.clear();
  // A server may cut a long report short (507 on the collection itself) with
  // a token to go on from: asked again until the report is whole.
  std::string from = token;
  std::map<std::string, std::size_t> where;  // href -> its place in members
  for (int round = 0; round < cap::kSyncReportRounds; ++round) {
    const std::string body = Xml_SyncCollectionBody(from);
    HttpRequest ask{.method = "REPORT", .url = collection, .body = body,
                    .contentType = "application/xml; charset=utf-8", .depth = "0"};
    DavMultiStatus found;
    const CalDavResult result = MultiStatus(ask, found, true);
    if (result != CALDAV_OK) return result;
    if (found.syncToken.empty()) return Fail(collection + ": the sync report names no new token");
    bool cut = false;
    for (const DavResponse& r : found.responses) {
      if (IsSelf(collection, r.href)) {
        cut = cut || r.status == 507;
        continue;
      }
      // A later part of the report says what became of a member since.
      const auto [at, added] = where.emplace(r.href, members.size());
      const CalDavMember member{r.href, r.etag, r.status == 404};
      if (added) members.push_back(member);
      else members[at->second] = member;
    }
    newToken = found.syncToken;
    if (!cut) return CALDAV_OK;
    if (newToken == from) return Fail(collection + ": the sync report was cut short with no token to go on from");
    from = newToken;
  }
  return Fail(collection + ": the sync report was still cut short after " + std::to_string(cap::kSyncReportRounds) +
              " requests");
}

CalDavResult CalDav::List(const std::string& collection, std::vector<CalDavMember>& members) {
  HttpRequest ask{.method = "PROPFIND", .url = collection, .body = kXmlPropfindEtags,
                  .contentType = "application/xml; charset=utf-8", .depth = "1"};
  DavMultiStatus found;
  if (MultiStatus(ask, found, false) != CALDAV_OK) return CALDAV_ERROR;
  members.clear();
  for (const DavResponse& r : found.responses) {
    if (r.collection || r.status == 404 || IsSelf(collection, r.href)) continue;
    members.push_back(CalDavMember{r.href, r.etag, false});
  }
  return CALDAV_OK;
}

CalDavResult CalDav::Fetch(const std::string& collection, const std::vector<std::string>& hrefs,
                           std::vector<CalDavBody>& bodies) {
  bodies.clear();
  for (std::size_t at = 0; at < hrefs.size(); at += cap::kSyncMultigetBatch) {
    const std::size_t end = std::min(hrefs.size(), at + cap::kSyncMultigetBatch);
    const std::string body = Xml_MultigetBody(std::vector<std::string>(hrefs.begin() + at, hrefs.begin() + end));
    HttpRequest ask{.method = "REPORT", .url = collection, .body = body,
                    .contentType = "application/xml; charset=utf-8", .depth = "1"};
    DavMultiStatus found;
    if (MultiStatus(ask, found, false) != CALDAV_OK) return CALDAV_ERROR;
    for (DavResponse& r : found.responses) {
      if (r.status == 404 || r.calendarData.empty()) continue;
      bodies.push_back(CalDavBody{r.href, r.etag, std::move(r.calendarData)});
    }
  }
  return CALDAV_OK;
}

CalDavResult CalDav::Put(const std::string& collection, const std::string& href, const std::string& ics,
                         std::string& etag) {
  HttpRequest put{.method = "PUT", .url = Http_Resolve(collection, href), .body = ics,
                  .contentType = "text/calendar; charset=utf-8"};
  if (put.url.empty()) return Fail(href + ": no URL");
  if (etag.empty()) put.ifNoneMatchAny = true;
  put.ifMatch = etag;
  HttpAnswer answer;
  if (Send(put, answer) != CALDAV_OK) return CALDAV_ERROR;
  switch (answer.status) {
    case 200: case 201: case 204: etag = answer.etag; return CALDAV_OK;
    case 412: return CALDAV_CONFLICT;
    default: return Fail(put.url + ": PUT answered " + std::to_string(answer.status));
  }
}

CalDavResult CalDav::Delete(const std::string& collection, const std::string& href, const std::string& etag) {
  HttpRequest del{.method = "DELETE", .url = Http_Resolve(collection, href), .ifMatch = etag};
  if (del.url.empty()) return Fail(href + ": no URL");
  HttpAnswer answer;
  if (Send(del, answer) != CALDAV_OK) return CALDAV_ERROR;
  switch (answer.status) {
    case 200: case 202: case 204: return CALDAV_OK;
    case 404: return CALDAV_GONE;
    case 412: return CALDAV_CONFLICT;
    default: return Fail(del.url + ": DELETE answered " + std::to_string(answer.status));
  }
}
