// What the tests on a real X server share: a private Xvfb, programs started
// in a folder on its display, their end awaited with a limit, and xdotool.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/Headless.h"

extern char** environ;

namespace velmo_test {

inline constexpr int kDesktopPollMs = 20;
inline constexpr int kReadyPolls = 1500;  // 30 s for a server, a window or a box to appear (a busy machine)
inline constexpr int kEndPolls = 1000;    // 20 s for a program to end: longer is a hang

inline bool Installed(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

inline void Pause() { usleep(kDesktopPollMs * 1000); }

// Runs args in folder with "NAME=value ..." before them, its standard error in
// errors there. The leak check is off: the desktop's libraries (D-Bus, the GL
// driver SDL loads and unloads) keep memory for the life of the process; the
// other tests check Velmo's own.
inline pid_t Spawn(const std::vector<std::string>& args, const std::string& folder, const std::string& environment,
                   const std::string& errors = ".stderr") {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const std::string command = "cd " + Quote(folder) + " && " + environment + " LSAN_OPTIONS=detect_leaks=0" +
                              " exec \"$@\" 2>" + errors;
  std::vector<char*> shell{const_cast<char*>("sh"), const_cast<char*>("-c"), const_cast<char*>(command.c_str()),
                           const_cast<char*>("sh")};
  shell.insert(shell.end(), argv.begin(), argv.end());
  pid_t pid = 0;
  return posix_spawn(&pid, "/bin/sh", nullptr, nullptr, shell.data(), environ) == 0 ? pid : -1;
}

// The exit status, or -1 when the process did not end in time (it is killed).
inline int WaitEnd(pid_t pid) {
  for (int i = 0; i < kEndPolls; ++i, Pause()) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

// A private Xvfb: it picks a free display itself and writes its number once
// it is ready.
class XServer {
 public:
  ~XServer() { Stop(); }

  bool Start() {
    const std::string number = folder_.Path("display").string();
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 3, number.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {"Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0", "1024x768x24", nullptr};
    const bool started = posix_spawnp(&pid_, "Xvfb", &files, nullptr, const_cast<char**>(argv), environ) == 0;
    posix_spawn_file_actions_destroy(&files);
    if (!started) return false;
    for (int i = 0; i < kReadyPolls; ++i, Pause()) {
      const std::string text = folder_.File("display").value_or("");
      if (!text.empty() && text.back() == '\n') {
        display_ = ":" + text.substr(0, text.size() - 1);
        return true;
      }
    }
    return false;
  }
  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }
  const std::string& Display() const { return display_; }

  // A command on this display; its standard output.
  std::string Run(const std::string& command) const {
    std::string out;
    FILE* pipe = popen(("DISPLAY=" + display_ + " " + command + " 2>/dev/null").c_str(), "r");
    if (!pipe) return out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    pclose(pipe);
    return out;
  }

  // The visible window of a process, focused; empty when none came.
  std::string WindowOf(pid_t pid) const {
    std::string window;
    const std::string search = "xdotool search --onlyvisible --pid " + std::to_string(pid);
    for (int i = 0; i < kReadyPolls && window.empty(); ++i, Pause()) window = Run(search);
    if (window.empty()) return window;
    window = window.substr(0, window.find('\n'));
    // The application's caption replaces SDL's once its first screen is shown.
    for (int i = 0; i < kReadyPolls && Run("xdotool getwindowname " + window) == "Velmo\n"; ++i) Pause();
    Run("xdotool windowfocus --sync " + window);
    return window;
  }

 private:
  HeadlessFolder folder_;
  std::string display_;
  pid_t pid_ = 0;
};

}  // namespace velmo_test
