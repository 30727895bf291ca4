#include "IcsShared.h"

#include <algorithm>
#include <cstdio>

#include "IcsLines.h"
#include "files/Files.h"
#include "files/Record.h"

namespace {

constexpr std::uint64_t kFnvOffset = 1469598103934665603ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

void Mix(std::uint64_t& h, const void* data, std::size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) h = (h ^ p[i]) * kFnvPrime;
}

template <typename T>
void MixValue(std::uint64_t& h, T value) {
  Mix(h, &value, sizeof value);
}

}  // namespace

std::string IcsShared_Fingerprint(const Entry& e) {
  std::uint64_t h = kFnvOffset;
  MixValue(h, e.kind);
  MixValue(h, e.label);
  MixValue(h, e.startDay);
  MixValue(h, e.endDay);
  MixValue(h, e.repeat);
  MixValue(h, e.interval);
  MixValue(h, e.weekMask);
  MixValue(h, e.weekdayMask);
  std::uint8_t part[4];
  Record_KindPart(e, part);
  if (e.kind == KIND_TASK) part[0] = part[1] = 0;  // the task word is no part of the item
  Mix(h, part, sizeof part);
  MixValue(h, e.textLen);
  if (e.textLen != 0) Mix(h, e.text, e.textLen);
  MixValue(h, e.linkLen);
  if (e.linkLen != 0) Mix(h, e.link, e.linkLen);
  char text[24];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

std::string IcsShared_UidsPath() { return std::string(Record_Path()) + ".uids"; }

void IcsShared_LoadUids(IcsUids& uids, std::string* perEntry, std::size_t count) {
  std::string text;
  IcsLines_ReadFile(IcsShared_UidsPath().c_str(), text);  // a missing file is empty
  std::multimap<std::string, std::string> byPrint;  // fingerprint -> remembered UID
  for (std::size_t at = 0, end; at < text.size(); at = end + 1) {
    end = std::min(text.find('\n', at), text.size());
    const std::string line = text.substr(at, end - at);
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos || tab == 0) continue;
    const std::string uid = line.substr(0, tab), print = line.substr(tab + 1);
    uids.remembered.emplace(uid, print);
    uids.known.insert(uid);
    byPrint.emplace(print, uid);
  }
  std::map<std::string, unsigned> seen;  // made UIDs, and pieces of one item
  std::uint16_t pos = Store_First();
  for (std::size_t i = 0; const Entry* e = Store_Next(pos); ++i) {
    if (e->kind == KIND_DELETED) continue;
    const std::string print = IcsShared_Fingerprint(*e);
    std::string uid;
    const auto mine = byPrint.find(print);
    if (mine != byPrint.end()) {
      uid = mine->second;
      byPrint.erase(mine);  // two equal entries get two UIDs
      uids.present.insert(uid);
      // The pieces of one item written one by one are named UID/2, UID/3, ...
      const unsigned n = ++seen[uid];
      if (n > 1) uids.known.insert(uid + "/" + std::to_string(n));
    } else {
      const unsigned n = ++seen[print];
      uid.append("velmo-").append(print);
      if (n > 1) uid.append("-").append(std::to_string(n));
      uid.append("@velmo");
    }
    uids.known.insert(uid);
    if (perEntry != nullptr && i < count) perEntry[i] = uid;
  }
}

bool IcsShared_SaveUids(const IcsUids& uids) {
  // With the record file's permission bits: a private record stays private.
  return Files_ReplaceWhole(IcsShared_UidsPath().c_str(), Record_Path(), [&uids](std::FILE* f) {
    for (const auto& [uid, print] : uids.remembered) {
      if (std::fprintf(f, "%s\t%s\n", uid.c_str(), print.c_str()) <= 0) return false;
    }
    return true;
  });
}
