#ifndef _WIN32
#include "platform/Platform.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>

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

#ifdef __EMSCRIPTEN__
PlatformRun Platform_Run(const char* const*, int) { return {}; }
bool Platform_ProgramFolder(char*, std::size_t) { return false; }
#else
namespace {

// A program's end as its wait status tells it.
PlatformRun Ended(int status) {
  if (WIFEXITED(status)) return {PLATFORM_RUN_EXITED, WEXITSTATUS(status)};
  return {PLATFORM_RUN_SIGNALLED, WIFSIGNALED(status) ? WTERMSIG(status) : 0};
}

// The program gets what a program started from a shell gets: no signal
// blocked (the window host blocks some for its own watcher thread) and the
// usual reaction to those a parent may have ignored.
bool PrepareSpawn(posix_spawn_file_actions_t& files, posix_spawnattr_t& attributes) {
  sigset_t none, usual;
  sigemptyset(&none);
  sigemptyset(&usual);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&usual, signal);
  return posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0) == 0 &&
         posix_spawnattr_setpgroup(&attributes, 0) == 0 && posix_spawnattr_setsigmask(&attributes, &none) == 0 &&
         posix_spawnattr_setsigdefault(&attributes, &usual) == 0 &&
         posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                                   POSIX_SPAWN_SETSIGDEF) == 0;
}

}  // namespace

PlatformRun Platform_Run(const char* const* argv, int timeoutMs) {
  posix_spawn_file_actions_t files;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&files);
  posix_spawnattr_init(&attributes);
  char* const* args = const_cast<char* const*>(argv);
  pid_t pid = 0;
  int started = EINVAL;
  if (PrepareSpawn(files, attributes))
    started = std::strchr(argv[0], '/') != nullptr ? posix_spawn(&pid, argv[0], &files, &attributes, args, environ)
                                                   : posix_spawnp(&pid, argv[0], &files, &attributes, args, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&files);
  if (started != 0) return {PLATFORM_RUN_NOT_STARTED, started};
  // Counted in steps, not read from the clock: the limit is a bound, not a time.
  const timespec step{0, cap::kRunPollMs * 1000000L};
  for (int waited = 0; waited < timeoutMs; waited += cap::kRunPollMs) {
    int status = 0;
    const pid_t ended = waitpid(pid, &status, WNOHANG);
    if (ended == pid) return Ended(status);
    if (ended < 0 && errno != EINTR) return {PLATFORM_RUN_NOT_STARTED, errno};  // someone else reaped it
    nanosleep(&step, nullptr);
  }
  kill(-pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return {PLATFORM_RUN_TIMED_OUT, 0};
}

bool Platform_ProgramFolder(char* out, std::size_t size) {
  const ssize_t n = readlink("/proc/self/exe", out, size);
  if (n <= 0 || static_cast<std::size_t>(n) >= size) return false;
  out[n] = '\0';
  char* slash = std::strrchr(out, '/');
  if (slash == nullptr) return false;
  *(slash == out ? slash + 1 : slash) = '\0';
  return true;
}
#endif
#endif
