#include "IcsShared.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

std::string ZoneFromLink() {
  char target[512];
  const ssize_t n = readlink("/etc/localtime", target, sizeof target - 1);
  if (n <= 0) return "";
  target[n] = '\0';
  const char* at = std::strstr(target, "zoneinfo/");
  return at != nullptr ? at + 9 : "";
}

std::string ZoneFromFile() {
  std::ifstream in("/etc/timezone");
  std::string line;
  std::getline(in, line);
  return line;
}

bool IsUtc(const std::string& name) {
  return name.empty() || name == "UTC" || name == "Etc/UTC" || name == "Etc/Universal" ||
         name == "Universal" || name == "Zulu" || name == "Etc/Zulu" || name == "GMT" ||
         name == "Etc/GMT" || name == "UCT" || name == "Etc/UCT";
}

struct Zone {
  bool resolved = false;
  std::string name;
  icaltimezone* zone = nullptr;
};

Zone& LocalZone() {
  static Zone z;
  if (z.resolved) return z;
  z.resolved = true;
  const char* tz = std::getenv("TZ");
  std::string name = tz != nullptr ? tz : "";
  if (!name.empty() && name[0] == ':') name.erase(0, 1);
  if (tz == nullptr) name = ZoneFromLink();
  if (tz == nullptr && name.empty()) name = ZoneFromFile();
  if (!IsUtc(name)) {
    icaltimezone_set_tzid_prefix("");
    z.zone = icaltimezone_get_builtin_timezone(name.c_str());
  }
  if (z.zone == nullptr) {
    z.zone = icaltimezone_get_utc_timezone();
    name.clear();
  }
  z.name = name;
  return z;
}

}  // namespace

const char* IcsShared_ZoneName() {
  const Zone& z = LocalZone();
  return z.name.empty() ? nullptr : z.name.c_str();
}

icaltimezone* IcsShared_Zone() { return LocalZone().zone; }
