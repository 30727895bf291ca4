#include "host/sdl/SdlBox.h"

#include <SDL.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>

extern char** environ;

namespace {

constexpr std::size_t kBoxes = 4;

// Box ids are the children's process ids; a child is reaped only under the
// lock, so that SdlBox_EndAll never signals a process id used again.
struct Boxes {
  std::mutex lock;
  std::array<pid_t, kBoxes> pids{};
};

Boxes boxes;

// Caller holds the lock.
void ForgetLocked(pid_t pid) {
  for (pid_t& p : boxes.pids)
    if (p == pid) p = 0;
}

bool SpawnBox(const char* title, const char* utf8, pid_t& pid) {
  posix_spawnattr_t attr;
  if (posix_spawnattr_init(&attr) != 0) return false;
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&defaults, s);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  // A group of its own: a box may run in a grandchild, which ends with it.
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  static char self[] = "/proc/self/exe";
  char* argv[] = {self, const_cast<char*>(SDL_BOX_OPTION), const_cast<char*>(title), const_cast<char*>(utf8),
                  nullptr};
  const int failed = posix_spawn(&pid, self, nullptr, &attr, argv, environ);
  posix_spawnattr_destroy(&attr);
  return failed == 0;
}

}  // namespace

bool SdlBox_Start(const char* title, const char* utf8, int& id) {
  std::lock_guard<std::mutex> guard(boxes.lock);
  pid_t* slot = nullptr;
  for (pid_t& p : boxes.pids)
    if (p == 0) slot = &p;
  pid_t pid = 0;
  if (slot == nullptr || !SpawnBox(title, utf8, pid)) return false;
  *slot = pid;
  id = pid;
  return true;
}

void SdlBox_Wait(int id) {
  siginfo_t info{};
  // Waits without reaping, so the id stays reserved until it is forgotten.
  while (waitid(P_PID, static_cast<id_t>(id), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
  }
  std::lock_guard<std::mutex> guard(boxes.lock);
  waitpid(id, nullptr, 0);
  ForgetLocked(id);
}

void SdlBox_Reap() {
  std::lock_guard<std::mutex> guard(boxes.lock);
  for (pid_t& p : boxes.pids) {
    siginfo_t info{};
    if (p == 0 || waitid(P_PID, static_cast<id_t>(p), &info, WEXITED | WNOHANG | WNOWAIT) != 0) continue;
    if (info.si_pid != p) continue;  // still open
    waitpid(p, nullptr, 0);
    p = 0;
  }
}

bool SdlBox_AnyOpen() {
  std::lock_guard<std::mutex> guard(boxes.lock);
  for (pid_t p : boxes.pids)
    if (p != 0) return true;
  return false;
}

void SdlBox_EndAll() {
  std::lock_guard<std::mutex> guard(boxes.lock);
  for (pid_t p : boxes.pids)
    if (p != 0) kill(-p, SIGKILL);
}

int SdlBox_Main(const char* title, const char* utf8) {
  // A driver that shows nothing cannot show a box either.
  const char* driver = SDL_getenv("SDL_VIDEODRIVER");
  const bool invisible = driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0);
  if (invisible || SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title, utf8, nullptr) < 0)
    std::fprintf(stderr, "%s: %s\n", title, utf8);
  return 0;
}
