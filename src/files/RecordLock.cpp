#include "files/RecordLock.h"

#include <cstdio>
#include <cstring>

#include "Capacity.h"
#include "platform/Platform.h"

namespace {

struct Held {
  PlatformLock lock;
  char path[cap::kFileName] = "";
};

Held held;

}  // namespace

bool RecordLock_Path(const char* recordPath, char* out, unsigned size) {
  if (recordPath == nullptr) return false;
  const int n = std::snprintf(out, size, "%s.lock", recordPath);
  return n > 0 && static_cast<unsigned>(n) < size;
}

RecordLockResult RecordLock_Acquire(const char* recordPath) {
  if (held.lock.handle != -1 && recordPath != nullptr && std::strcmp(held.path, recordPath) == 0)
    return RECORD_LOCK_HELD;
  RecordLock_Release();
  char lockPath[cap::kFileName + 8];
  if (!RecordLock_Path(recordPath, lockPath, sizeof lockPath)) return RECORD_LOCK_UNAVAILABLE;
  // The lock file is created with the record file's bits, like every file beside it.
  switch (Platform_Lock(lockPath, recordPath, held.lock)) {
    case PLATFORM_LOCKED: break;
    case PLATFORM_LOCK_BUSY: return RECORD_LOCK_BUSY;
    case PLATFORM_LOCK_UNAVAILABLE: return RECORD_LOCK_UNAVAILABLE;
  }
  std::snprintf(held.path, sizeof held.path, "%s", recordPath);
  return RECORD_LOCK_HELD;
}

void RecordLock_Release() {
  if (held.lock.handle == -1) return;
  Platform_Unlock(held.lock);
  held.path[0] = '\0';
}
