#include "files/RecordLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Capacity.h"

namespace {

struct Held {
  int fd = -1;
  char path[cap::kFileName] = "";
};

Held held;

// The lock file is created with the record file's bits, like every file
// beside it.
int OpenLockFile(const char* recordPath, const char* lockPath) {
  struct stat record{};
  const bool like = stat(recordPath, &record) == 0;
  const mode_t mode = like ? (record.st_mode & 0666) : 0666;
  const int fd = open(lockPath, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, mode);
  if (fd >= 0) return fd;
  // A folder or a lock file we may only read can still carry the lock.
  return open(lockPath, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
}

}  // namespace

bool RecordLock_Path(const char* recordPath, char* out, unsigned size) {
  if (recordPath == nullptr) return false;
  const int n = std::snprintf(out, size, "%s.lock", recordPath);
  return n > 0 && static_cast<unsigned>(n) < size;
}

RecordLockResult RecordLock_Acquire(const char* recordPath) {
  if (held.fd >= 0 && recordPath != nullptr && std::strcmp(held.path, recordPath) == 0)
    return RECORD_LOCK_HELD;
  RecordLock_Release();
  char lockPath[cap::kFileName + 8];
  if (!RecordLock_Path(recordPath, lockPath, sizeof lockPath)) return RECORD_LOCK_UNAVAILABLE;
  const int fd = OpenLockFile(recordPath, lockPath);
  if (fd < 0) return RECORD_LOCK_UNAVAILABLE;
  int locked;
  do {
    locked = flock(fd, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    const bool busy = errno == EWOULDBLOCK;
    close(fd);
    return busy ? RECORD_LOCK_BUSY : RECORD_LOCK_UNAVAILABLE;
  }
  held.fd = fd;
  std::snprintf(held.path, sizeof held.path, "%s", recordPath);
  return RECORD_LOCK_HELD;
}

void RecordLock_Release() {
  if (held.fd < 0) return;
  flock(held.fd, LOCK_UN);
  close(held.fd);
  held.fd = -1;
  held.path[0] = '\0';
}
