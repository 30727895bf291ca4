// Real CalDAV servers for the sync tests: Debian's radicale (htpasswd,
// plain, user alice) and xandikos (no authentication), each started in a
// temporary folder on a free port of 127.0.0.1, waited for, and stopped when
// the harness goes; a python3 stub (caldav_stub.py) for answers no server
// gives; and python3-caldav (caldav_peer.py) as a second client.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "CalDav.h"
#include "Http.h"
#include "files/SaveFolder.h"

extern char** environ;

namespace caldavharness {

namespace fs = std::filesystem;

constexpr const char* kPython = "/usr/bin/python3";  // Debian's, with python3-caldav

// A port of 127.0.0.1 no one listens on now.
inline int FreePort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof a;
  const bool ok = bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
                  getsockname(s, reinterpret_cast<sockaddr*>(&a), &size) == 0;
  close(s);
  return ok ? ntohs(a.sin_port) : 0;
}

inline bool Listening(int port) {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(s);
  return ok;
}

// One server process, its output in log; stopped (and its folder removed) at the end.
class Server {
 public:
  enum Kind { RADICALE, XANDIKOS, STUB, TLS_STUB };

  // Starts it; Error() is empty on success, else why not (a missing package: Missing()).
  explicit Server(Kind kind) : kind_(kind) {
    folder_ = savefolder::Folder::MakeTemporary("velmo-caldav");
    port_ = FreePort();
    const std::string port = std::to_string(port_), dir = folder_.string();
    std::vector<std::string> args;
    switch (kind) {
      case RADICALE: {
        program_ = "/usr/bin/radicale";
        savefolder::Write(dir + "/users", "alice:secret\n");
        savefolder::Write(dir + "/config", "[server]\nhosts = 127.0.0.1:" + port +
                                               "\n[auth]\ntype = htpasswd\nhtpasswd_filename = " + dir +
                                               "/users\nhtpasswd_encryption = plain\n[rights]\ntype = owner_only\n"
                                               "[storage]\nfilesystem_folder = " + dir + "/collections\n");
        args = {program_, "-C", dir + "/config"};
        break;
      }
      case XANDIKOS:
        program_ = "/usr/bin/xandikos";
        args = {program_, "-d", dir + "/data", "--defaults", "-l", "127.0.0.1", "-p", port};
        break;
      case STUB:
      case TLS_STUB:
        program_ = kPython;
        args = {program_, std::string(VELMO_SOURCE_DIR) + "/tests/tools/caldav_stub.py", port};
        if (kind == TLS_STUB) {
          // A certificate of its own, which no authority signed.
          const std::string make = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 -keyout '" +
                                   dir + "/key' -out '" + dir + "/cert' >/dev/null 2>&1";
          if (std::system(make.c_str()) != 0) {
            error_ = "openssl could not make a certificate (setup/packages.txt names it)";
            missing_ = true;
            return;
          }
          args.push_back(dir + "/cert");
          args.push_back(dir + "/key");
        }
        break;
    }
    if (access(program_.c_str(), X_OK) != 0) {
      error_ = program_ + " is not installed (setup/packages.txt names its package)";
      missing_ = true;
      return;
    }
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    const std::string log = dir + "/log";
    posix_spawn_file_actions_addopen(&files, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int spawned = posix_spawn(&pid_, program_.c_str(), &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (spawned != 0) {
      pid_ = 0;
      error_ = program_ + " could not be started";
      return;
    }
    // They answer within a second or so of starting; a dead one is no use waiting for.
    for (int tries = 0; tries < 300 && !Listening(port_); ++tries) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = 0;
        error_ = program_ + " stopped at once: " + savefolder::Read(log);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!Listening(port_)) error_ = program_ + " did not answer on port " + port;
  }
  ~Server() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      int status = 0;
      waitpid(pid_, &status, 0);
    }
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  const std::string& Error() const { return error_; }
  bool Missing() const { return missing_; }
  int Port() const { return port_; }
  std::string Root() const {
    return (kind_ == TLS_STUB ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(port_);
  }
  // The user's principal, where discovery starts.
  std::string Principal() const { return Root() + (kind_ == RADICALE ? "/alice/" : "/user/"); }
  const char* User() const { return kind_ == RADICALE ? "alice" : ""; }
  const char* Password() const { return kind_ == RADICALE ? "secret" : ""; }
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
  fs::path folder_;
  std::string program_;
  std::string error_;
  bool missing_ = false;
  int port_ = 0;
  pid_t pid_ = 0;
};

// python3-caldav as the phone: caldav_peer.py COLLECTION USER PASSWORD ACTION [UID [SUMMARY]];
// its standard output, and its status in status.
inline std::string Peer(const std::string& args, int& status) {
  const std::string out = (fs::temp_directory_path() / ("velmo-peer-" + std::to_string(getpid()))).string();
  const std::string line = std::string(kPython) + " '" + VELMO_SOURCE_DIR + "/tests/tools/caldav_peer.py' " + args +
                           " >'" + out + "' 2>&1";
  const int raw = std::system(line.c_str());
  status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::string text = savefolder::Read(out);
  fs::remove(out);
  return text;
}

// A user's home exists only after a first signed-in request (Radicale); then
// a calendar is made at url.
inline void NewCalendar(HttpClient& http, const Server& server, const std::string& url) {
  HttpAnswer answer;
  std::string error;
  HttpRequest look{.method = "PROPFIND", .url = server.Principal(), .depth = "0"};
  ASSERT_TRUE(http.Send(look, answer, error)) << error;
  HttpRequest make{.method = "MKCALENDAR", .url = url};
  ASSERT_TRUE(http.Send(make, answer, error)) << error;
  ASSERT_EQ(answer.status, 201) << answer.body;
}

// The calendar the suites share: Xandikos's --defaults has one already.
inline void MakeCalendar(HttpClient& http, const Server& server) {
  if (server.kind() == Server::RADICALE) NewCalendar(http, server, server.Principal() + "cal/");
}

// What a sync of here against there, after agreeing on `agreed`, must leave on
// both sides, and what it must leave on neither: a change on either side
// stays; an item unchanged on both stays; one unchanged and deleted on a side
// goes. name gives the item's text from a key and value of the maps.
template <class Map, class Name>
void MustAfterSync(const Map& here, const Map& there, const Map& agreed, Name name, std::set<std::string>& must,
                   std::set<std::string>& mustNot) {
  for (const Map* side : {&here, &there}) {
    for (const auto& [key, value] : *side) {
      const auto old = agreed.find(key);
      if (old == agreed.end() || old->second != value) must.insert(name(key, value));
    }
  }
  for (const auto& [key, value] : agreed) {
    const bool inHere = here.count(key) != 0, inThere = there.count(key) != 0;
    const bool changed = (inHere && here.at(key) != value) || (inThere && there.at(key) != value);
    if (!changed && inHere && inThere) must.insert(name(key, value));
    if (!changed && (!inHere || !inThere)) mustNot.insert(name(key, value));
  }
}

// One all-day event on 2026-12-08.
inline std::string Event(const std::string& uid, const std::string& summary) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Velmo//tests//JA\r\nBEGIN:VEVENT\r\nUID:" + uid +
         "\r\nDTSTAMP:20261207T090000Z\r\nDTSTART;VALUE=DATE:20261208\r\nDTEND;VALUE=DATE:20261209\r\nSUMMARY:" +
         summary + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

// The value of the item's first property name, unfolded lines assumed.
inline std::string Field(const std::string& ics, const std::string& name) {
  const std::size_t at = ics.find("\n" + name + ":");
  if (at == std::string::npos) return {};
  const std::size_t from = at + name.size() + 2;
  std::string v = ics.substr(from, ics.find('\n', from) - from);
  if (!v.empty() && v.back() == '\r') v.pop_back();
  return v;
}

// The server's items as the phone sees them: UID -> href, ETag, text, done.
struct PhoneItem {
  std::string href, etag, text;
  bool done = false;
};

inline std::map<std::string, PhoneItem> PhoneView(CalDav& dav, const std::string& collection) {
  std::map<std::string, PhoneItem> out;
  std::vector<CalDavMember> members;
  std::vector<CalDavBody> bodies;
  EXPECT_EQ(dav.List(collection, members), CALDAV_OK) << dav.Error();
  std::vector<std::string> hrefs;
  std::map<std::string, std::string> etags;
  for (const CalDavMember& m : members) {
    hrefs.push_back(m.href);
    etags[m.href] = m.etag;
  }
  EXPECT_EQ(dav.Fetch(collection, hrefs, bodies), CALDAV_OK) << dav.Error();
  for (const CalDavBody& b : bodies) {
    const std::string uid = Field(b.ics, "UID");
    EXPECT_EQ(out.count(uid), 0u) << "UID twice on the server: " << uid;
    out[uid] = PhoneItem{b.href, b.etag.empty() ? etags[b.href] : b.etag, Field(b.ics, "SUMMARY"),
                         Field(b.ics, "STATUS") == "COMPLETED"};
  }
  return out;
}

}  // namespace caldavharness
