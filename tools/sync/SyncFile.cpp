#include "SyncFile.h"

#include <cstdio>
#include <string>

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

bool SyncFile_Exists(const char* path) { return Platform_Exists(path); }
