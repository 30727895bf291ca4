#include "Http.h"

#include <curl/curl.h>

#include <cctype>
#include <cstdio>
#include <cstring>

struct HttpClient::Handle {
  CURL* curl = nullptr;
  ~Handle() {
    if (curl != nullptr) curl_easy_cleanup(curl);
  }
};

namespace {

// What the callbacks of one request fill in.
struct Reading {
  HttpAnswer* answer;
  bool tooLarge = false;
  int rounds = 0;  // answers received: an authentication round or a redirect is one more
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* context) {
  Reading& r = *static_cast<Reading*>(context);
  const std::size_t n = size * count;
  if (r.answer->body.size() + n > cap::kSyncAnswerBytes) {
    r.tooLarge = true;
    return 0;  // curl stops the transfer
  }
  r.answer->body.append(data, n);
  return n;
}

std::string Trimmed(std::string_view v) {
  while (!v.empty() && std::isspace(static_cast<unsigned char>(v.front()))) v.remove_prefix(1);
  while (!v.empty() && std::isspace(static_cast<unsigned char>(v.back()))) v.remove_suffix(1);
  return std::string(v);
}

bool HeaderIs(std::string_view line, const char* name) {
  const std::size_t n = std::strlen(name);
  if (line.size() <= n || line[n] != ':') return false;
  for (std::size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(line[i])) != name[i]) return false;
  }
  return true;
}

// Each header block (an authentication round or a redirect has its own)
// begins with a status line, which forgets the block before.
std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* context) {
  Reading& r = *static_cast<Reading*>(context);
  HttpAnswer& a = *r.answer;
  const std::size_t n = size * count;
  const std::string_view line(data, n);
  if (line.starts_with("HTTP/")) {
    ++r.rounds;
    a.contentType.clear();
    a.etag.clear();
  } else if (HeaderIs(line, "content-type")) {
    std::string type = Trimmed(line.substr(13));
    type = type.substr(0, type.find(';'));
    for (char& c : type) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    a.contentType = Trimmed(type);
  } else if (HeaderIs(line, "etag")) {
    a.etag = Trimmed(line.substr(5));
  }
  return n;
}

struct Headers {
  curl_slist* list = nullptr;
  void Add(const std::string& line) {
    if (curl_slist* more = curl_slist_append(list, line.c_str())) list = more;
  }
  ~Headers() { curl_slist_free_all(list); }
};

struct Url {
  CURLU* u = curl_url();
  ~Url() { curl_url_cleanup(u); }
  std::string Get(CURLUPart part) {
    char* text = nullptr;
    if (u == nullptr || curl_url_get(u, part, &text, 0) != CURLUE_OK) return {};
    std::string out(text);
    curl_free(text);
    return out;
  }
};

}  // namespace

HttpClient::HttpClient(const HttpOptions& options) : handle_(new Handle), options_(options) {
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  if (initialised) handle_->curl = curl_easy_init();
}

HttpClient::~HttpClient() = default;

bool HttpClient::Send(const HttpRequest& request, HttpAnswer& answer, std::string& error) {
  answer = HttpAnswer{};
  CURL* c = handle_->curl;
  if (c == nullptr) {
    error = "the HTTP library could not be started";
    return false;
  }
  // The handle is not reset between requests: it keeps the connection and
  // the authentication the server chose, so no request after the first is
  // sent twice. Every option a request sets is therefore set by each one.
  curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);  // forgets the last request's body
  Reading reading{&answer};
  Headers headers;
  headers.Add("Expect:");  // no 100-continue round for a body
  if (request.contentType != nullptr) headers.Add(std::string("Content-Type: ") + request.contentType);
  if (request.depth != nullptr) headers.Add(std::string("Depth: ") + request.depth);
  if (!request.ifMatch.empty()) headers.Add("If-Match: " + request.ifMatch);
  if (request.ifNoneMatchAny) headers.Add("If-None-Match: *");
  char curlError[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(c, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, curlError);
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(options_.timeoutMs));
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options_.connectTimeoutMs));
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, static_cast<long>(cap::kSyncRedirects));
  curl_easy_setopt(c, CURLOPT_POSTREDIR, static_cast<long>(CURL_REDIR_POST_ALL));
  curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(cap::kSyncAnswerBytes));
  curl_easy_setopt(c, CURLOPT_ACCEPT_ENCODING, "");  // whatever this libcurl can decode
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &reading);
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, &reading);
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.list);
  if (!options_.user.empty()) {
    curl_easy_setopt(c, CURLOPT_USERNAME, options_.user.c_str());
    curl_easy_setopt(c, CURLOPT_PASSWORD, options_.password.c_str());
    curl_easy_setopt(c, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC | CURLAUTH_DIGEST));
  }
  if (!request.body.empty()) {
    curl_easy_setopt(c, CURLOPT_POSTFIELDS, request.body.data());
    curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
  }
  curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, request.method);
  const CURLcode result = curl_easy_perform(c);
  // Nothing of this call's own memory stays named by the handle.
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, nullptr);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, nullptr);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, nullptr);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, nullptr);
  curl_easy_setopt(c, CURLOPT_POSTFIELDS, nullptr);
  requests_ += reading.rounds;
  if (reading.tooLarge || result == CURLE_FILESIZE_EXCEEDED) {
    error = "the server's answer is larger than " + std::to_string(cap::kSyncAnswerBytes >> 20) + " MB";
    return false;
  }
  if (result != CURLE_OK) {
    error = curlError[0] != '\0' ? curlError : curl_easy_strerror(result);
    return false;
  }
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &answer.status);
  char* where = nullptr;
  if (curl_easy_getinfo(c, CURLINFO_EFFECTIVE_URL, &where) == CURLE_OK && where != nullptr) answer.url = where;
  return true;
}

std::string Http_Resolve(const std::string& base, const std::string& reference) {
  Url url;
  if (url.u == nullptr || curl_url_set(url.u, CURLUPART_URL, base.c_str(), 0) != CURLUE_OK) return {};
  if (curl_url_set(url.u, CURLUPART_URL, reference.c_str(), 0) != CURLUE_OK) return {};
  return url.Get(CURLUPART_URL);
}

std::string Http_Path(const std::string& url) {
  Url u;
  if (u.u == nullptr || curl_url_set(u.u, CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return {};
  char* text = nullptr;
  if (curl_url_get(u.u, CURLUPART_PATH, &text, CURLU_URLDECODE) != CURLUE_OK) return {};
  const std::string decoded(text);
  curl_free(text);
  return Http_Escape(decoded, true);
}

std::string Http_Host(const std::string& url) {
  Url u;
  char* text = nullptr;
  if (u.u == nullptr || curl_url_set(u.u, CURLUPART_URL, url.c_str(), 0) != CURLUE_OK ||
      curl_url_get(u.u, CURLUPART_HOST, &text, 0) != CURLUE_OK) {
    return {};
  }
  const std::string host(text);
  curl_free(text);
  return host;
}

std::string Http_Escape(std::string_view text, bool keepSlash) {
  std::string out;
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '_' || c == '.' || c == '~' || (keepSlash && c == '/');
    if (plain) {
      out += ch;
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
  return out;
}
