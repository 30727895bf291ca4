#include "SyncFile.h"

#include <cstdio>
#include <fstream>

#include "platform/Platform.h"

bool SyncFile_Replace(const char* path, const char* likePath, std::string_view bytes) {
  const std::string temp = std::string(path) + ".tmp";
  std::FILE* f = Platform_CreateFile(temp.c_str(), likePath, true);
  if (f == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = Platform_FlushFile(f) && ok;
  ok = std::fclose(f) == 0 && ok;
  if (ok && Platform_Replace(temp.c_str(), path)) {
    Platform_SyncFolderOf(path);
    return true;
  }
  std::remove(temp.c_str());
  return false;
}

bool SyncFile_ReadLines(const char* path, std::vector<std::string>& lines, std::string& why) {
  lines.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (!Platform_Exists(path)) return true;
    why = std::string(path) + ": cannot be read";
    return false;
  }
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  if (in.bad()) {
    why = std::string(path) + ": cannot be read";
    return false;
  }
  return true;
}

bool SyncFile_Exists(const char* path) { return Platform_Exists(path); }
