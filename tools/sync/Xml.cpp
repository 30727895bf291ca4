#include "Xml.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr const char* kDav = "DAV:";
constexpr const char* kCalDav = "urn:ietf:params:xml:ns:caldav";

bool Is(const xmlNode* n, const char* ns, const char* name) {
  return n != nullptr && n->type == XML_ELEMENT_NODE && n->ns != nullptr &&
         std::strcmp(reinterpret_cast<const char*>(n->ns->href), ns) == 0 &&
         std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0;
}

const xmlNode* Child(const xmlNode* n, const char* ns, const char* name) {
  for (const xmlNode* c = n != nullptr ? n->children : nullptr; c != nullptr; c = c->next) {
    if (Is(c, ns, name)) return c;
  }
  return nullptr;
}

std::string Text(const xmlNode* n) {
  if (n == nullptr) return {};
  xmlChar* content = xmlNodeGetContent(n);
  if (content == nullptr) return {};
  std::string out(reinterpret_cast<const char*>(content));
  xmlFree(content);
  return out;
}

// Surrounding blanks of a text element (an href on its own line, say) are no part of it.
std::string Trimmed(const xmlNode* n) {
  std::string t = Text(n);
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  std::size_t b = 0, e = t.size();
  while (b < e && blank(t[b])) ++b;
  while (e > b && blank(t[e - 1])) --e;
  return t.substr(b, e - b);
}

// "HTTP/1.1 404 Not Found" -> 404; 0 when it is not such a line.
int StatusOf(const xmlNode* n) {
  const std::string line = Trimmed(n);
  const std::size_t space = line.find(' ');
  if (space == std::string::npos) return 0;
  return std::atoi(line.c_str() + space + 1);
}

void ReadProps(const xmlNode* prop, DavResponse& r) {
  for (const xmlNode* p = prop->children; p != nullptr; p = p->next) {
    if (Is(p, kDav, "getetag")) {
      r.etag = Trimmed(p);
    } else if (Is(p, kCalDav, "calendar-data")) {
      r.calendarData = Text(p);
    } else if (Is(p, kDav, "resourcetype")) {
      r.collection = Child(p, kDav, "collection") != nullptr;
      r.calendar = Child(p, kCalDav, "calendar") != nullptr;
    } else if (Is(p, kDav, "current-user-principal")) {
      r.principal = Trimmed(Child(p, kDav, "href"));
    } else if (Is(p, kCalDav, "calendar-home-set")) {
      r.home = Trimmed(Child(p, kDav, "href"));
    } else if (Is(p, kDav, "displayname")) {
      r.displayName = Trimmed(p);
    }
  }
}

struct DocFree {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};

}  // namespace

bool Xml_ParseMultiStatus(std::string_view body, DavMultiStatus& out, std::string& why) {
  out = DavMultiStatus{};
  if (body.size() > static_cast<std::size_t>(INT32_MAX)) {
    why = "the answer is too large";
    return false;
  }
  // No entities replaced, no DTD or network fetched, no error printed.
  std::unique_ptr<xmlDoc, DocFree> doc(
      xmlReadMemory(body.data(), static_cast<int>(body.size()), nullptr, nullptr,
                    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (doc == nullptr) {
    const xmlError* e = xmlGetLastError();
    why = "the answer is no well-formed XML";
    if (e != nullptr && e->line > 0) why += " (line " + std::to_string(e->line) + ")";
    return false;
  }
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  if (!Is(root, kDav, "multistatus")) {
    why = "the answer is no WebDAV multistatus";
    return false;
  }
  for (const xmlNode* n = root->children; n != nullptr; n = n->next) {
    if (Is(n, kDav, "sync-token")) out.syncToken = Trimmed(n);
    if (!Is(n, kDav, "response")) continue;
    DavResponse r;
    r.href = Trimmed(Child(n, kDav, "href"));
    if (const xmlNode* s = Child(n, kDav, "status")) r.status = StatusOf(s);
    for (const xmlNode* ps = n->children; ps != nullptr; ps = ps->next) {
      if (!Is(ps, kDav, "propstat")) continue;
      const int status = StatusOf(Child(ps, kDav, "status"));
      const xmlNode* prop = Child(ps, kDav, "prop");
      if (status >= 200 && status < 300 && prop != nullptr) ReadProps(prop, r);
    }
    if (!r.href.empty()) out.responses.push_back(std::move(r));
  }
  return true;
}

std::string Xml_Escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Xml_MultigetBody(const std::vector<std::string>& hrefs) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<c:calendar-multiget xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
      "<d:prop><d:getetag/><c:calendar-data/></d:prop>\n";
  for (const std::string& h : hrefs) out += "<d:href>" + Xml_Escape(h) + "</d:href>\n";
  return out + "</c:calendar-multiget>\n";
}

std::string Xml_SyncCollectionBody(const std::string& token) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<d:sync-collection xmlns:d=\"DAV:\"><d:sync-token>" +
         Xml_Escape(token) +
         "</d:sync-token><d:sync-level>1</d:sync-level>"
         "<d:prop><d:getetag/></d:prop></d:sync-collection>\n";
}
