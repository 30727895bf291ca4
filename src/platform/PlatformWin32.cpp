#ifdef _WIN32
#include "platform/Platform.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "Capacity.h"

namespace {

// 100-nanosecond intervals between 1601 and 1970.
constexpr std::int64_t kEpochTicks = 116444736000000000LL;

void SetErrno(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: errno = ENOENT; return;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: errno = EEXIST; return;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: errno = EACCES; return;
    default: errno = EIO; return;
  }
}

}  // namespace

void Platform_Now(std::int64_t& seconds, std::int32_t& micros) {
  FILETIME ft{};
  GetSystemTimeAsFileTime(&ft);
  const std::int64_t ticks =
      (static_cast<std::int64_t>(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) - kEpochTicks;
  seconds = ticks / 10000000;
  micros = static_cast<std::int32_t>(ticks % 10000000 / 10);
}

bool Platform_LocalTime(std::time_t t, std::tm& out) { return localtime_s(&out, &t) == 0; }

bool Platform_Replace(const char* from, const char* to) {
  if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  SetErrno(GetLastError());
  return false;
}

bool Platform_PlaceAs(const char* from, const char* name) {
  if (MoveFileExA(from, name, MOVEFILE_WRITE_THROUGH)) return true;
  SetErrno(GetLastError());
  return false;
}

// MOVEFILE_WRITE_THROUGH has made the rename durable already.
void Platform_SyncFolderOf(const char*) {}

// The browser's hook; Windows keeps its files on disk.
void Platform_SetSavedHook(PlatformSavedHook) {}

bool Platform_FlushFile(std::FILE* f) {
  if (std::fflush(f) != 0) return false;
  const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
  return h != INVALID_HANDLE_VALUE && FlushFileBuffers(h);
}

std::FILE* Platform_CreateFile(const char* name, const char*, bool replace) {
  if (replace && !DeleteFileA(name) && GetLastError() != ERROR_FILE_NOT_FOUND) {
    SetErrno(GetLastError());
    return nullptr;
  }
  const int fd = _open(name, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  std::FILE* f = _fdopen(fd, "wb");
  if (f != nullptr) return f;
  _close(fd);
  DeleteFileA(name);
  return nullptr;
}

bool Platform_Exists(const char* name) { return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES; }

bool Platform_Writable(const char* name) {
  const DWORD attributes = GetFileAttributesA(name);
  return attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY);
}

bool Platform_DataHome(char* out, std::size_t size) {
  const char* data = std::getenv("APPDATA");
  return data != nullptr && *data != '\0' && std::snprintf(out, size, "%s", data) < static_cast<int>(size);
}

bool Platform_MakeFolders(const char* path) {
  char folder[cap::kFileName];
  if (std::snprintf(folder, sizeof folder, "%s", path) >= static_cast<int>(sizeof folder)) return false;
  for (char* p = folder + 1; *p != '\0'; ++p) {
    if (*p != '/' && *p != '\\') continue;
    const char c = *p;
    *p = '\0';
    CreateDirectoryA(folder, nullptr);
    *p = c;
  }
  CreateDirectoryA(folder, nullptr);
  return Platform_IsFolder(folder);
}

bool Platform_IsFolder(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Platform_EnterFolder(const char* path) {
  if (SetCurrentDirectoryA(path)) return true;
  SetErrno(GetLastError());
  return false;
}

bool Platform_CurrentFolder(char* out, std::size_t size) {
  const DWORD n = GetCurrentDirectoryA(static_cast<DWORD>(size), out);
  return n != 0 && n < size;
}

bool Platform_IsAbsolute(const char* path) {
  const bool drive = ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':';
  return (drive && (path[2] == '\\' || path[2] == '/')) || (path[0] == '\\' && path[1] == '\\');
}

bool Platform_MemoryOpen(PlatformMemory& memory) {
  memory = PlatformMemory{};
  memory.stream = std::tmpfile();
  return memory.stream != nullptr;
}

bool Platform_MemoryClose(PlatformMemory& memory) {
  std::FILE* f = memory.stream;
  memory.stream = nullptr;
  if (f == nullptr) return false;
  const long size = std::ftell(f);
  bool ok = std::ferror(f) == 0 && size >= 0;
  if (ok) {
    memory.text = static_cast<char*>(std::malloc(static_cast<std::size_t>(size) + 1));
    std::rewind(f);
    ok = memory.text != nullptr &&
         std::fread(memory.text, 1, static_cast<std::size_t>(size), f) == static_cast<std::size_t>(size);
  }
  ok = std::fclose(f) == 0 && ok;
  if (ok) {
    memory.size = static_cast<std::size_t>(size);
    return true;
  }
  std::free(memory.text);
  memory.text = nullptr;
  return false;
}

PlatformLockResult Platform_Lock(const char* lockPath, const char*, PlatformLock& lock) {
  HANDLE h = CreateFileA(lockPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    h = CreateFileA(lockPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return PLATFORM_LOCK_UNAVAILABLE;
  OVERLAPPED at{};
  if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    const bool busy = GetLastError() == ERROR_LOCK_VIOLATION;
    CloseHandle(h);
    return busy ? PLATFORM_LOCK_BUSY : PLATFORM_LOCK_UNAVAILABLE;
  }
  lock.handle = reinterpret_cast<std::intptr_t>(h);
  return PLATFORM_LOCKED;
}

void Platform_Unlock(PlatformLock& lock) {
  if (lock.handle == -1) return;
  const HANDLE h = reinterpret_cast<HANDLE>(lock.handle);
  OVERLAPPED at{};
  UnlockFileEx(h, 0, 1, 0, &at);
  CloseHandle(h);
  lock.handle = -1;
}
// The Windows build does not sync: it starts no other program.
PlatformRun Platform_Run(const char* const*, int) { return {}; }
bool Platform_ProgramFolder(char*, std::size_t) { return false; }
#endif
