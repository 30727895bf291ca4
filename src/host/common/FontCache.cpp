#include "host/common/FontCache.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t kPath = 512;

bool MakeFolder(const char* path) { return mkdir(path, 0700) == 0 || errno == EEXIST; }

// $XDG_CACHE_HOME/velmo, else $HOME/.cache/velmo, made if missing.
bool CacheFolder(char* out, std::size_t size) {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  const char* home = std::getenv("HOME");
  int n = 0;
  if (xdg != nullptr && xdg[0] == '/') {
    n = std::snprintf(out, size, "%s", xdg);
  } else if (home != nullptr && home[0] == '/') {
    n = std::snprintf(out, size, "%s/.cache", home);
  } else {
    return false;
  }
  if (n < 0 || static_cast<std::size_t>(n) + 7 > size || !MakeFolder(out)) return false;
  std::strcat(out, "/velmo");
  return MakeFolder(out);
}

// Inflates gz into a temporary file and renames it to `to`, so a concurrent
// start never sees half a copy.
bool Inflate(const char* gz, const char* to) {
  if (std::strlen(to) > kPath + 128) return false;
  char temporary[kPath + 192];
  std::snprintf(temporary, sizeof temporary, "%s.%ld.tmp", to, static_cast<long>(getpid()));
  gzFile in = gzopen(gz, "rb");
  if (in == nullptr) return false;
  std::FILE* out = std::fopen(temporary, "wb");
  bool ok = out != nullptr;
  static char buffer[1 << 16];
  while (ok) {
    const int got = gzread(in, buffer, sizeof buffer);
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    ok = std::fwrite(buffer, 1, static_cast<std::size_t>(got), out) == static_cast<std::size_t>(got);
  }
  gzclose(in);
  if (out != nullptr) ok = std::fclose(out) == 0 && ok;
  if (ok) ok = std::rename(temporary, to) == 0;
  if (!ok) std::remove(temporary);
  return ok;
}

}  // namespace

bool FontCache_Path(const char* gz, char* out, std::size_t size) {
  struct stat st{};
  if (stat(gz, &st) != 0) return false;
  char folder[kPath];
  if (!CacheFolder(folder, sizeof folder)) return false;
  const char* slash = std::strrchr(gz, '/');
  const char* name = slash != nullptr ? slash + 1 : gz;
  const std::size_t stem = std::strlen(name) > 3 ? std::strlen(name) - 3 : std::strlen(name);
  // The source's size and time in the name: a changed font gets a new copy.
  char path[kPath + 128];  // folder, name, size and time
  const int n = std::snprintf(path, sizeof path, "%s/%.*s.%lld.%lld.%ld", folder,
                              static_cast<int>(stem), name, static_cast<long long>(st.st_size),
                              static_cast<long long>(st.st_mtim.tv_sec), st.st_mtim.tv_nsec);
  if (n < 0 || static_cast<std::size_t>(n) >= size || static_cast<std::size_t>(n) >= sizeof path)
    return false;
  if (access(path, R_OK) != 0 && !Inflate(gz, path)) return false;
  std::memcpy(out, path, static_cast<std::size_t>(n) + 1);
  return true;
}
