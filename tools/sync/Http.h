// One HTTP connection to a CalDAV server over libcurl: one handle kept for
// every request of a sync, so the connection stays open between them (one
// TLS handshake, one authentication probe). Basic and Digest authentication,
// the system's certificates, a time-out per request and a ceiling on the
// size of an answer.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "Capacity.h"

struct HttpRequest {
  const char* method = "GET";
  std::string url;
  std::string_view body;          // sent when not empty
  const char* contentType = nullptr;
  const char* depth = nullptr;    // "0", "1"
  std::string ifMatch;            // an ETag, sent as If-Match
  bool ifNoneMatchAny = false;    // If-None-Match: * (create only)
};

struct HttpAnswer {
  long status = 0;
  std::string contentType;  // lower case, without parameters
  std::string etag;         // as sent, quotes included
  std::string url;          // where the answer came from, after redirects
  std::string body;
};

struct HttpOptions {
  std::string user;      // empty: no authentication
  std::string password;
  int timeoutMs = cap::kSyncTimeoutMs;  // whole request
  int connectTimeoutMs = cap::kSyncConnectTimeoutMs;
};

class HttpClient {
 public:
  explicit HttpClient(const HttpOptions& options);
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // Sends the request and reads the whole answer. False when no answer came
  // (no connection, time-out, a TLS fault, an answer over the ceiling):
  // error then says why in one line. An HTTP error status is an answer.
  bool Send(const HttpRequest& request, HttpAnswer& answer, std::string& error);
  // Requests made so far: every answer counts, an authentication round or a redirect too.
  int Requests() const { return requests_; }

  struct Handle;

 private:
  std::unique_ptr<Handle> handle_;
  HttpOptions options_;
  int requests_ = 0;
};

// The URL a reference in an answer names, resolved against base ("/cal/x.ics"
// against "http://h:1/cal/" is "http://h:1/cal/x.ics"); empty when either is no URL.
std::string Http_Resolve(const std::string& base, const std::string& reference);
// The path of a URL ("/cal/a%40b.ics") escaped one way, whichever way the
// server wrote it ("/cal/a@b.ics" too), so that equal paths compare equal;
// empty when it is no URL.
std::string Http_Path(const std::string& url);
// The host a URL names ("127.0.0.1", "dav.example.org"), as ~/.netrc names
// machines; empty when it is no URL.
std::string Http_Host(const std::string& url);
// Every byte but letters, digits, "-._~" (and with keepSlash "/") as %XX.
std::string Http_Escape(std::string_view text, bool keepSlash);
