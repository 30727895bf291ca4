#ifndef _WIN32
#include "platform/Platform.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "Capacity.h"

namespace {

// The permission bits of likePath; false when there is no such file.
bool ModeOf(const char* likePath, mode_t& mode) {
  struct stat st{};
  if (likePath == nullptr || stat(likePath, &st) != 0) return false;
  mode = st.st_mode & 0777;
  return true;
}

}  // namespace

void Platform_Now(std::int64_t& seconds, std::int32_t& micros) {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  seconds = tv.tv_sec;
  micros = static_cast<std::int32_t>(tv.tv_usec);
}

bool Platform_LocalTime(std::time_t t, std::tm& out) { return localtime_r(&t, &out) != nullptr; }

bool Platform_Replace(const char* from, const char* to) {
  if (std::rename(from, to) != 0) return false;
  Platform_SyncFolderOf(to);
  return true;
}

bool Platform_PlaceAs(const char* from, const char* name) {
  if (link(from, name) == 0) {
    std::remove(from);
    Platform_SyncFolderOf(name);
    return true;
  }
  if (errno == EEXIST) return false;
  // A file system without hard links: the check and the rename are apart.
  if (Platform_Exists(name)) {
    errno = EEXIST;
    return false;
  }
  if (std::rename(from, name) != 0) return false;
  Platform_SyncFolderOf(name);
  return true;
}

namespace {
PlatformSavedHook savedHook = nullptr;
}  // namespace

void Platform_SetSavedHook(PlatformSavedHook hook) { savedHook = hook; }

void Platform_SyncFolderOf(const char* name) {
  if (savedHook != nullptr) savedHook(name);
  char folder[cap::kFileName];
  std::snprintf(folder, sizeof folder, "%s", name);
  char* slash = std::strrchr(folder, '/');
  if (slash == nullptr) {
    std::snprintf(folder, sizeof folder, ".");
  } else if (slash == folder) {
    folder[1] = '\0';
  } else {
    *slash = '\0';
  }
  const int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

bool Platform_FlushFile(std::FILE* f) { return std::fflush(f) == 0 && fsync(fileno(f)) == 0; }

std::FILE* Platform_CreateFile(const char* name, const char* likePath, bool replace) {
  if (replace && unlink(name) != 0 && errno != ENOENT) return nullptr;
  mode_t mode = 0666;
  const bool like = ModeOf(likePath, mode);
  const int fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) return nullptr;
  // The umask may have narrowed the bits; the file keeps likePath's.
  if (like) fchmod(fd, mode);
  std::FILE* f = fdopen(fd, "wb");
  if (f != nullptr) return f;
  close(fd);
  unlink(name);
  return nullptr;
}

bool Platform_Exists(const char* name) {
  struct stat st{};
  return lstat(name, &st) == 0;
}

bool Platform_Writable(const char* name) {
  struct stat st{};
  if (stat(name, &st) != 0) return true;
  // No write bit at all is the user's "keep this file as it is", even for root.
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
  return access(name, W_OK) == 0;
}

bool Platform_DataHome(char* out, std::size_t size) {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && data[0] == '/') return std::snprintf(out, size, "%s", data) < static_cast<int>(size);
  const char* home = std::getenv("HOME");
  // cron and env -i may leave HOME out; the password database still knows it.
  if (home == nullptr || home[0] != '/') {
    const passwd* user = getpwuid(getuid());
    home = user != nullptr ? user->pw_dir : nullptr;
  }
  if (home == nullptr || home[0] != '/') return false;
  return std::snprintf(out, size, "%s/.local/share", std::strcmp(home, "/") == 0 ? "" : home) <
         static_cast<int>(size);
}

bool Platform_MakeFolders(const char* path) {
  char folder[cap::kFileName];
  if (std::snprintf(folder, sizeof folder, "%s", path) >= static_cast<int>(sizeof folder)) return false;
  for (char* p = folder + 1; *p != '\0'; ++p) {
    if (*p != '/') continue;
    *p = '\0';
    mkdir(folder, 0700);
    *p = '/';
  }
  if (mkdir(folder, 0700) != 0 && errno != EEXIST) return false;
  return Platform_IsFolder(folder);
}

bool Platform_IsFolder(const char* path) {
  struct stat st{};
  return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool Platform_EnterFolder(const char* path) { return chdir(path) == 0; }

bool Platform_CurrentFolder(char* out, std::size_t size) { return getcwd(out, size) != nullptr; }

bool Platform_IsAbsolute(const char* path) { return path[0] == '/'; }

bool Platform_MemoryOpen(PlatformMemory& memory) {
  memory = PlatformMemory{};
  memory.stream = open_memstream(&memory.text, &memory.size);
  return memory.stream != nullptr;
}

bool Platform_MemoryClose(PlatformMemory& memory) {
  const bool ok = memory.stream != nullptr && std::fclose(memory.stream) == 0;
  memory.stream = nullptr;
  if (ok) return true;
  std::free(memory.text);
  memory.text = nullptr;
  memory.size = 0;
  return false;
}

PlatformLockResult Platform_Lock(const char* lockPath, const char* likePath, PlatformLock& lock) {
  mode_t mode = 0666;
  ModeOf(likePath, mode);
  int fd = open(lockPath, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, mode & 0666);
  // A folder or a lock file we may only read can still carry the lock.
  if (fd < 0) fd = open(lockPath, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return PLATFORM_LOCK_UNAVAILABLE;
  int locked;
  do {
    locked = flock(fd, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    const bool busy = errno == EWOULDBLOCK;
    close(fd);
    return busy ? PLATFORM_LOCK_BUSY : PLATFORM_LOCK_UNAVAILABLE;
  }
  lock.handle = fd;
  return PLATFORM_LOCKED;
}

void Platform_Unlock(PlatformLock& lock) {
  if (lock.handle < 0) return;
  const int fd = static_cast<int>(lock.handle);
  flock(fd, LOCK_UN);
  close(fd);
  lock.handle = -1;
}
#endif
