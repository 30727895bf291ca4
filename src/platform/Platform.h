// The few operating-system calls of the data layer, behind one seam with a
// POSIX side (PlatformPosix.cpp) and a Win32 side (PlatformWin32.cpp); the
// build compiles the side of its target. File names are byte strings as the
// user gave them (on Windows the A functions, so a Japanese Windows takes
// Shift-JIS names).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>

// Wall clock: seconds since the epoch and microseconds.
void Platform_Now(std::int64_t& seconds, std::int32_t& micros);
// Local date and time of t; false when it cannot be converted.
bool Platform_LocalTime(std::time_t t, std::tm& out);

// Puts from in the place of to in one step, replacing a file there; true
// once the new name is on disk.
bool Platform_Replace(const char* from, const char* to);
// Puts from in place as name unless name is taken (false, errno EEXIST):
// never replaces a file.
bool Platform_PlaceAs(const char* from, const char* name);
// Makes an earlier rename in the folder of name durable where the system
// needs a separate step (POSIX: the folder's fsync). A failure loses nothing
// already written, so it is not reported.
void Platform_SyncFolderOf(const char* name);
// Called by Platform_SyncFolderOf, so after every save, before the program
// goes on: a host whose folder lives in memory (the browser) writes it to
// its storage there. Null: none.
using PlatformSavedHook = void (*)(const char* name);
void Platform_SetSavedHook(PlatformSavedHook hook);
// Flushes the stream and the file's data to disk.
bool Platform_FlushFile(std::FILE* f);
// Creates name for binary writing, with the permission bits of likePath
// when that file exists (POSIX; Windows files carry none). With replace a
// file of that name is removed first (never a folder); without, null when
// name exists. Null when it cannot be made.
std::FILE* Platform_CreateFile(const char* name, const char* likePath, bool replace);
// Whether a file of this name exists (a symbolic link counting as a file).
bool Platform_Exists(const char* name);
// Whether an existing file may be written: a file with no write permission
// (POSIX) or the read-only attribute (Windows) is the user's "keep as is".
bool Platform_Writable(const char* name);

// Folders. The base of per-user data: POSIX $XDG_DATA_HOME when absolute,
// else the home folder's .local/share; Windows %APPDATA%. False when there is
// no home or it does not fit in size bytes.
bool Platform_DataHome(char* out, std::size_t size);
// Creates the folder and those above it that are missing (POSIX: private to
// the user, as per-user data should be); true when it is a folder now.
bool Platform_MakeFolders(const char* path);
bool Platform_IsFolder(const char* path);
// Makes path the working directory (errno set on failure).
bool Platform_EnterFolder(const char* path);
// The working directory; false when it does not fit in size bytes.
bool Platform_CurrentFolder(char* out, std::size_t size);
// Whether path begins at a root ("/x"; Windows "C:\x", "\\server").
bool Platform_IsAbsolute(const char* path);

// A stream whose bytes are kept in memory (POSIX) or a temporary file
// (Windows); Platform_MemoryClose closes it and hands the bytes out in text
// (malloc'ed, the caller frees it; size bytes).
struct PlatformMemory {
  std::FILE* stream = nullptr;
  char* text = nullptr;
  std::size_t size = 0;
};
bool Platform_MemoryOpen(PlatformMemory& memory);
// False when a write failed or the bytes cannot be had (text is then null).
bool Platform_MemoryClose(PlatformMemory& memory);

// An exclusive lock on a lock file, held until released or the process ends.
enum PlatformLockResult {
  PLATFORM_LOCKED,            // held now
  PLATFORM_LOCK_BUSY,         // another process holds it
  PLATFORM_LOCK_UNAVAILABLE,  // no lock file can be made or opened
};
struct PlatformLock {
  std::intptr_t handle = -1;  // a descriptor (POSIX) or a HANDLE (Windows); -1 none
};
// Opens or creates lockPath (with the bits of likePath, POSIX) and locks it
// without waiting.
PlatformLockResult Platform_Lock(const char* lockPath, const char* likePath, PlatformLock& lock);
void Platform_Unlock(PlatformLock& lock);

// Another program, started and awaited with a limit. argv[0] is a path, or a
// bare name looked up on PATH; standard input is the null device, standard
// output and error are shared. Past timeoutMs the program is killed with all
// it started (POSIX: it runs in a process group of its own) and reaped.
enum PlatformRunResult {
  PLATFORM_RUN_EXITED,       // status: its exit status
  PLATFORM_RUN_SIGNALLED,    // status: the signal that ended it
  PLATFORM_RUN_TIMED_OUT,    // killed at the limit
  PLATFORM_RUN_NOT_STARTED,  // status: errno (no such program, not executable; or not to be awaited)
  PLATFORM_RUN_UNAVAILABLE,  // this build starts no programs (Windows, the browser)
};
struct PlatformRun {
  PlatformRunResult result = PLATFORM_RUN_UNAVAILABLE;
  int status = 0;
};
PlatformRun Platform_Run(const char* const* argv, int timeoutMs);
// The folder of the running program's executable (no trailing separator);
// false where the system does not tell it or it does not fit in size bytes.
bool Platform_ProgramFolder(char* out, std::size_t size);
