#include "SyncFile.h"

#include <cstdio>
#include <fstream>

#include "files/Files.h"
#include "platform/Platform.h"

bool SyncFile_Replace(const char* path, const char* likePath, std::string_view bytes) {
  return Files_ReplaceWhole(path, likePath,
                            [&](std::FILE* f) { return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size(); });
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
