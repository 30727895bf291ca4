#include "IcsLines.h"

#include <cstdio>

#include "Sjis.h"

namespace {

bool NameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string Trimmed(std::string_view s) {
  std::size_t a = 0, b = s.size();
  while (a < b && (s[a] == ' ' || s[a] == '\t')) ++a;
  while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t')) --b;
  return std::string(s.substr(a, b - a));
}

struct Logical {
  std::size_t lineNo;
  std::string text;
};

// Unfolding comes first: a fold may fall inside a name or a UTF-8 character.
std::vector<Logical> Unfold(std::string_view text) {
  std::vector<Logical> out;
  std::size_t lineNo = 0, at = 0;
  while (at < text.size()) {
    std::size_t stop = text.find('\n', at);
    if (stop == std::string_view::npos) stop = text.size();
    std::string_view line = text.substr(at, stop - at);
    at = stop + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty() && (line[0] == ' ' || line[0] == '\t') && !out.empty()) {
      out.back().text.append(line.substr(1));
    } else {
      out.push_back(Logical{lineNo, std::string(line)});
    }
  }
  return out;
}

// NAME *(";" param) ":" value; false with why when the line is none.
bool ParseLine(const Logical& l, IcsLine& out, std::string& why) {
  const std::string& s = l.text;
  std::size_t n = 0;
  while (n < s.size() && NameChar(s[n])) ++n;
  if (n == 0 || n == s.size() || (s[n] != ':' && s[n] != ';')) {
    why = "neither a property nor a folded continuation (wrong line folding?)";
    return false;
  }
  out.lineNo = l.lineNo;
  out.name = Upper(s.substr(0, n));
  std::size_t at = n;
  while (at < s.size() && s[at] == ';') {
    std::size_t e = ++at;
    while (e < s.size() && NameChar(s[e])) ++e;
    if (e == at || e == s.size() || s[e] != '=') {
      why = "a parameter of " + out.name + " without a value";
      return false;
    }
    IcsParam p{Upper(s.substr(at, e - at)), ""};
    at = e + 1;
    for (bool more = true; more;) {
      if (at < s.size() && s[at] == '"') {
        const std::size_t close = s.find('"', at + 1);
        if (close == std::string::npos) {
          why = "an unclosed quote in a parameter of " + out.name;
          return false;
        }
        p.value.append(s, at + 1, close - at - 1);
        at = close + 1;
      } else {
        const std::size_t stop = s.find_first_of(";:,", at);
        if (stop == std::string::npos) break;
        p.value.append(s, at, stop - at);
        at = stop;
      }
      more = at < s.size() && s[at] == ',';
      if (more) {
        p.value += ',';
        ++at;
      }
    }
    out.params.push_back(p);
  }
  if (at >= s.size() || s[at] != ':') {
    why = "no ':' after the parameters of " + out.name;
    return false;
  }
  out.value = s.substr(at + 1);
  // A blank before a TZID, as one desktop mail program writes it, names no other zone.
  for (IcsParam& p : out.params) {
    if (p.name == "TZID") p.value = Trimmed(p.value);
  }
  if (out.name == "TZID") out.value = Trimmed(out.value);
  return true;
}

void SetFault(IcsComponent& c, std::size_t lineNo, const std::string& what) {
  if (!c.fault.empty()) return;
  c.fault = what;
  c.faultLine = lineNo;
}

}  // namespace

const std::string* IcsLine::Param(std::string_view wanted) const {
  for (const IcsParam& p : params) {
    if (p.name == wanted) return &p.value;
  }
  return nullptr;
}

const IcsLine* IcsComponent::First(std::string_view wanted) const {
  for (const IcsLine& l : lines) {
    if (l.name == wanted) return &l;
  }
  return nullptr;
}

std::size_t IcsComponent::CountOf(std::string_view wanted) const {
  std::size_t n = 0;
  for (const IcsLine& l : lines) n += l.name == wanted ? 1 : 0;
  return n;
}

bool IcsLines_Read(std::string_view text, std::vector<IcsComponent>& calendars, std::string& why,
                   std::vector<std::string>& skipped) {
  if (text.substr(0, 3) == "\xef\xbb\xbf") text.remove_prefix(3);  // a byte order mark some calendars write
  std::vector<Logical> lines = Unfold(text);
  for (const Logical& l : lines) {
    if (!Sjis_ValidUtf8(l.text)) {
      why = "line " + std::to_string(l.lineNo) + ": not UTF-8 text";
      return false;
    }
  }
  std::vector<IcsComponent*> open;  // the chain from the calendar to the innermost component
  for (const Logical& l : lines) {
    if (l.text.empty()) continue;
    IcsLine line;
    std::string fault;
    const bool parsed = ParseLine(l, line, fault);
    const std::string where = "line " + std::to_string(l.lineNo) + ": ";
    if (open.empty()) {
      if (parsed && line.name == "BEGIN" && Upper(Trimmed(line.value)) == "VCALENDAR") {
        calendars.push_back(IcsComponent{"VCALENDAR", l.lineNo, "", 0, {}, {}});
        open.push_back(&calendars.back());
      } else if (calendars.empty()) {
        why = where + "no iCalendar (it must begin with BEGIN:VCALENDAR)";
        return false;
      } else {
        skipped.push_back(where + "outside any VCALENDAR; ignored");
      }
      continue;
    }
    IcsComponent& top = *open.back();
    if (!parsed) {
      SetFault(top, l.lineNo, fault);
      continue;
    }
    const std::string value = Upper(Trimmed(line.value));
    if (line.name == "BEGIN") {
      if (value.empty()) {
        SetFault(top, l.lineNo, "BEGIN without a component name");
        continue;
      }
      top.children.push_back(IcsComponent{value, l.lineNo, "", 0, {}, {}});
      open.push_back(&top.children.back());
    } else if (line.name == "END") {
      std::size_t depth = open.size();
      while (depth > 0 && open[depth - 1]->name != value) --depth;
      if (depth == 0) {
        SetFault(top, l.lineNo, "END:" + value + " closes nothing open");
        continue;
      }
      // Components left open inside the one closed are cut short.
      for (std::size_t k = depth; k < open.size(); ++k) SetFault(*open[k], l.lineNo, "not closed before END:" + value);
      if (depth < open.size()) SetFault(*open[depth - 1], l.lineNo, "holds a component that is not closed");
      open.resize(depth - 1);
    } else {
      top.lines.push_back(std::move(line));
    }
  }
  if (!open.empty()) {
    why = "the file ends inside " + open.back()->name + " (truncated?)";
    return false;
  }
  return true;
}

bool IcsLines_ReadFile(const char* path, std::string& out) {
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  out.clear();
  char block[4096];
  for (std::size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;) out.append(block, n);
  const bool read = std::ferror(f) == 0;
  std::fclose(f);
  return read;
}

std::string IcsLines_Unescape(std::string_view v) {
  std::string out;
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (v[i] != '\\' || i + 1 == v.size()) {
      out += v[i];
      continue;
    }
    const char c = v[++i];
    out += c == 'n' || c == 'N' ? '\n' : c;
  }
  return out;
}

std::vector<std::string> IcsLines_Split(std::string_view v) {
  std::vector<std::string> out(1);
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (v[i] == '\\' && i + 1 < v.size()) {
      out.back().append(v.substr(i, 2));
      ++i;
    } else if (v[i] == ',') {
      out.emplace_back();
    } else {
      out.back() += v[i];
    }
  }
  return out;
}

std::string IcsLines_Write(const IcsComponent& c) {
  std::string out = "BEGIN:" + c.name + "\r\n";
  for (const IcsLine& l : c.lines) {
    out += l.name;
    for (const IcsParam& p : l.params) {
      const bool quote = p.value.find_first_of(";:,") != std::string::npos;
      out.append(";").append(p.name).append("=").append(quote ? "\"" : "").append(p.value).append(quote ? "\"" : "");
    }
    out.append(":").append(l.value).append("\r\n");
  }
  for (const IcsComponent& k : c.children) out += IcsLines_Write(k);
  return out + "END:" + c.name + "\r\n";
}
