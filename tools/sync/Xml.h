// WebDAV multi-status answers (RFC 4918, 6578, 4791) read with libxml2 by
// namespace and local name, whatever prefixes the server chose, and the XML
// of the requests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// One <response>: the properties found (status 200 in their propstat); a
// response with a bare <status> (a member removed, in a sync report) has
// status set and no properties.
struct DavResponse {
  std::string href;          // as sent, percent escapes kept
  int status = 0;            // the response's own status; 0 when it has propstats
  std::string etag;
  std::string calendarData;
  bool collection = false;   // resourcetype
  bool calendar = false;
  std::string principal;     // current-user-principal's href
  std::string home;          // calendar-home-set's first href
  std::string displayName;
};

struct DavMultiStatus {
  std::vector<DavResponse> responses;
  std::string syncToken;
};

// Parses a multi-status body. False with why when it is no well-formed XML,
// or its root is no DAV: multistatus. Never loads a DTD or the network.
bool Xml_ParseMultiStatus(std::string_view body, DavMultiStatus& out, std::string& why);

// The body of a calendar-multiget report for these hrefs.
std::string Xml_MultigetBody(const std::vector<std::string>& hrefs);
// The body of a sync-collection report from token (empty: the first).
std::string Xml_SyncCollectionBody(const std::string& token);
// Text with &, <, >, " escaped for XML.
std::string Xml_Escape(std::string_view text);

// The PROPFIND bodies.
inline constexpr const char* kXmlPropfindDiscover =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<d:propfind xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\"><d:prop>"
    "<d:resourcetype/><d:current-user-principal/><c:calendar-home-set/><d:displayname/>"
    "</d:prop></d:propfind>\n";
inline constexpr const char* kXmlPropfindEtags =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<d:propfind xmlns:d=\"DAV:\"><d:prop><d:getetag/><d:resourcetype/></d:prop></d:propfind>\n";
