#include "SyncState.h"

#include <cstdio>
#include <sstream>
#include <string_view>
#include <vector>

#include "SyncFile.h"

namespace {

// The first line names the format; the last says the file is whole.
constexpr std::string_view kHead = "velmo-sync-state 1";
constexpr std::string_view kTail = "end";

// Fields are separated by tabs; a field's own tab, line break or '%' is
// written as %XX.
std::string Escape(std::string_view v) {
  std::string out;
  for (const char c : v) {
    if (c == '%' || c == '\t' || c == '\n' || c == '\r') {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
      out += hex;
    } else {
      out += c;
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Unescape(std::string_view v, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (v[i] != '%') {
      out += v[i];
      continue;
    }
    if (i + 2 >= v.size()) return false;
    const int high = HexDigit(v[i + 1]), low = HexDigit(v[i + 2]);
    if (high < 0 || low < 0) return false;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> out;
  for (std::size_t at = 0;;) {
    const std::size_t tab = line.find('\t', at);
    out.push_back(line.substr(at, tab == std::string_view::npos ? std::string_view::npos : tab - at));
    if (tab == std::string_view::npos) return out;
    at = tab + 1;
  }
}

bool ReadLine(std::string_view line, SyncState& state) {
  const std::vector<std::string_view> f = Fields(line);
  if (f[0] == "url" && f.size() == 2) return Unescape(f[1], state.url);
  if (f[0] == "collection" && f.size() == 2) return Unescape(f[1], state.collection);
  if (f[0] == "token" && f.size() == 2) return Unescape(f[1], state.token);
  if (f[0] != "item" || f.size() != 6 || (f[5] != "0" && f[5] != "1")) return false;
  SyncItem item;
  std::string uid;
  if (!Unescape(f[1], uid) || uid.empty() || !Unescape(f[2], item.href) || !Unescape(f[3], item.etag) ||
      !Unescape(f[4], item.fingerprint)) {
    return false;
  }
  item.inexact = f[5] == "1";
  return state.items.emplace(uid, item).second;  // a UID twice is damage
}

}  // namespace

bool SyncState_Load(const char* path, SyncState& state, std::string& why) {
  state = SyncState{};
  std::vector<std::string> lines;
  if (!SyncFile_ReadLines(path, lines, why)) return false;
  if (lines.empty() && !SyncFile_Exists(path)) return true;
  if (lines.size() < 2 || lines.front() != kHead || lines.back() != kTail) {
    why = std::string(path) + ": not a whole sync state";
    return false;
  }
  for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
    if (!ReadLine(lines[i], state)) {
      why = std::string(path) + ":" + std::to_string(i + 1) + ": not a line of a sync state";
      state = SyncState{};
      return false;
    }
  }
  return true;
}

bool SyncState_Save(const char* path, const char* likePath, const SyncState& state) {
  std::ostringstream out;
  out << kHead << '\n';
  out << "url\t" << Escape(state.url) << '\n';
  out << "collection\t" << Escape(state.collection) << '\n';
  out << "token\t" << Escape(state.token) << '\n';
  for (const auto& [uid, item] : state.items) {
    out << "item\t" << Escape(uid) << '\t' << Escape(item.href) << '\t' << Escape(item.etag) << '\t'
        << Escape(item.fingerprint) << '\t' << (item.inexact ? '1' : '0') << '\n';
  }
  out << kTail << '\n';
  return SyncFile_Replace(path, likePath, out.str());
}
