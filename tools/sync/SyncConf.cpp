#include "SyncConf.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string_view>

#include "SyncFile.h"

namespace {

std::string_view Trim(std::string_view v) {
  while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
  while (!v.empty() && (v.back() == ' ' || v.back() == '\t' || v.back() == '\r')) v.remove_suffix(1);
  return v;
}

// key and value of a "key = value" line; false for a comment or blank line.
bool Split(std::string_view line, std::string_view& key, std::string_view& value) {
  const std::string_view t = Trim(line);
  if (t.empty() || t.front() == '#') return false;
  const std::size_t eq = t.find('=');
  if (eq == std::string_view::npos) {
    key = t;
    value = {};
    return true;
  }
  key = Trim(t.substr(0, eq));
  value = Trim(t.substr(eq + 1));
  return true;
}

// The netrc words: machine NAME login NAME password WORD, or default.
bool FromNetrc(const std::string& host, const std::string& user, std::string& password) {
  std::string path;
  if (const char* named = std::getenv("NETRC"); named != nullptr && named[0] != '\0') {
    path = named;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    path = std::string(home) + "/.netrc";
  } else {
    return false;
  }
  std::ifstream in(path);
  std::string word, machine, login, pass;
  bool inEntry = false, anyHost = false, found = false;
  const auto close = [&] {
    if (inEntry && (anyHost || machine == host) && (login.empty() || login == user) && !pass.empty()) {
      password = pass;
      found = true;
    }
  };
  while (!found && in >> word) {
    if (word == "machine" || word == "default") {
      close();
      inEntry = true;
      login.clear();
      pass.clear();
      machine.clear();
      anyHost = word == "default";  // default matches every host
      if (!anyHost && !(in >> machine)) break;
    } else if (word == "login") {
      in >> login;
    } else if (word == "password") {
      in >> pass;
    } else if (word == "macdef") {
      inEntry = false;  // a macro runs to the next blank line; its words are no entry
    }
  }
  close();
  return found;
}

bool FromCommand(const std::string& command, std::string& password, std::string& why) {
  std::FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) {
    why = "password_command could not be run";
    return false;
  }
  std::string out;
  char buffer[256];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
  const int status = pclose(p);
  if (status != 0) {
    why = "password_command failed (status " + std::to_string(status) + ")";
    return false;
  }
  // Only the one line feed that ends its output; the rest is the password.
  if (out.ends_with("\r\n")) {
    out.resize(out.size() - 2);
  } else if (out.ends_with('\n')) {
    out.pop_back();
  }
  password = out;
  return true;
}

}  // namespace

bool SyncConf_Load(const char* path, SyncConf& conf, std::string& why) {
  conf = SyncConf{};
  std::vector<std::string> lines;
  if (!SyncFile_ReadLines(path, lines, why)) return false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view key, value;
    if (Split(lines[i], key, value) && (key.empty() || lines[i].find('=') == std::string::npos)) {
      why = std::string(path) + ":" + std::to_string(i + 1) + ": not a key = value line";
      return false;
    }
  }
  conf.lines = std::move(lines);
  return true;
}

std::string SyncConf_Get(const SyncConf& conf, const char* key) {
  std::string found;
  for (const std::string& line : conf.lines) {
    std::string_view k, v;
    if (Split(line, k, v) && k == key) found = v;  // the last line of a key wins
  }
  return found;
}

bool SyncConf_Set(SyncConf& conf, const char* key, const std::string& value) {
  if (value.find_first_of("\r\n") != std::string::npos) return false;
  const std::string line = std::string(key) + " = " + value;
  for (std::string& l : conf.lines) {
    std::string_view k, v;
    if (Split(l, k, v) && k == key) {
      l = line;
      return true;
    }
  }
  conf.lines.push_back(line);
  return true;
}

bool SyncConf_Save(const char* path, const char* likePath, const SyncConf& conf) {
  std::string bytes;
  for (const std::string& line : conf.lines) bytes += line + "\n";
  return SyncFile_Replace(path, likePath, bytes);
}

bool SyncConf_Password(const SyncConf& conf, const std::string& host, const std::string& user,
                       std::string& password, std::string& why) {
  if (FromNetrc(host, user, password)) return true;
  const std::string command = SyncConf_Get(conf, "password_command");
  if (!command.empty()) return FromCommand(command, password, why);
  if (const char* env = std::getenv("VELMO_SYNC_PASSWORD"); env != nullptr) {
    password = env;
    return true;
  }
  why = "no password for " + user + " at " + host +
        ": put one in ~/.netrc, name a password_command in sync.conf, or set VELMO_SYNC_PASSWORD";
  return false;
}
