#include "files/Files.h"

#include <cerrno>
#include <cstdio>

#include "Capacity.h"
#include "platform/Platform.h"

namespace {

constexpr char kTempSuffix[] = ".tmp";

bool Write(const char* path, const char* like, FilesWriter writer, void* context, bool replace) {
  if (path == nullptr || writer == nullptr) return false;
  // Room for a file beside the record file (".uids") of a name that fills its buffer.
  char temp[cap::kFileName + 8 + sizeof kTempSuffix];
  const int n = std::snprintf(temp, sizeof temp, "%s%s", path, kTempSuffix);
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof temp) return false;
  // A temporary a kill left behind (or a link planted there) is removed, never
  // written through.
  std::FILE* f = Platform_CreateFile(temp, like, true);
  if (f == nullptr) return false;
  bool ok = writer(f, context) && Files_SyncToDisk(f) && std::ferror(f) == 0;
  ok = std::fclose(f) == 0 && ok;
  if (ok) ok = replace ? Platform_Replace(temp, path) : Platform_PlaceAs(temp, path);
  if (ok) return true;
  const int error = errno;
  std::remove(temp);
  errno = error;
  return false;
}

}  // namespace

bool Files_ReplaceWhole(const char* path, const char* like, FilesWriter writer, void* context) {
  return Write(path, like, writer, context, true);
}

bool Files_PlaceWhole(const char* path, const char* like, FilesWriter writer, void* context) {
  return Write(path, like, writer, context, false);
}

bool Files_SyncToDisk(std::FILE* f) { return Platform_FlushFile(f); }
