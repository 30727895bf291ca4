// What the tests on a real X server share: a private Xvfb, programs started
// in a folder on its display, their end awaited with a limit, and xdotool.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/Headless.h"

// Last: Xlib's macros (None, Bool) would clash with the headers above; a test
// includes this header after its others.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

namespace velmo_test {

inline constexpr int kDesktopPollMs = 20;
inline constexpr int kReadyPolls = 1500;  // 30 s for a server, a window or a box to appear (a busy machine)
inline constexpr int kEndPolls = 1000;    // 20 s for a program to end: longer is a hang
// A pixel of the title line, in screen pixels, and its light grey: it shows
// once the first screen is painted (the caption is "Velmo" from the start).
inline constexpr int kTitleX = 300, kTitleY = 10, kTitleGrey = 170;

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
// it is ready. Its screen holds the window at three times the picture.
class XServer {
 public:
  ~XServer() { Stop(); }

  bool Start() {
    const std::string number = folder_.Path("display").string();
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 3, number.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {"Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0", "2000x1000x24", nullptr};
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
    return Capture("DISPLAY=" + display_ + " " + command + " 2>/dev/null").out;
  }

  // The visible window of a process, focused once its first screen is
  // painted; empty when none came.
  std::string WindowOf(pid_t pid) const {
    std::string window;
    const std::string search = "xdotool search --onlyvisible --pid " + std::to_string(pid);
    for (int i = 0; i < kReadyPolls && window.empty(); ++i, Pause()) window = Run(search);
    if (window.empty()) return window;
    window = window.substr(0, window.find('\n'));
    const std::string size = Size(window);
    const int factor = size.empty() ? 1 : std::max(1, std::stoi(size) / 640);
    Shows(window, kTitleX * factor, kTitleY * factor, kTitleGrey);
    Run("xdotool windowfocus --sync " + window);
    return window;
  }

  // "WxH" of the window, waiting up to a while for it to become `wanted`.
  std::string Size(const std::string& window, const std::string& wanted = "") const {
    std::string size;
    for (int i = 0; i < kReadyPolls && (size.empty() || (!wanted.empty() && size != wanted)); ++i, Pause()) {
      const std::string text = Run("xdotool getwindowgeometry " + window);
      const auto at = text.find("Geometry: ");
      if (at != std::string::npos) size = text.substr(at + 10, text.find('\n', at) - at - 10);
      if (wanted.empty() && !size.empty()) break;
    }
    return size;
  }

  // The grey of a pixel of the window (-1 when it cannot be read).
  int Grey(const std::string& window, int x, int y) const {
    ::Display* d = XOpenDisplay(display_.c_str());
    if (d == nullptr) return -1;
    XSetErrorHandler([](::Display*, XErrorEvent*) { return 0; });
    int grey = -1;
    if (XImage* image = XGetImage(d, std::stoul(window), x, y, 1, 1, AllPlanes, ZPixmap)) {
      grey = static_cast<int>(XGetPixel(image, 0, 0) & 0xFF);
      XDestroyImage(image);
    }
    XCloseDisplay(d);
    return grey;
  }
  // Waits for a pixel of the window to show a grey.
  bool Shows(const std::string& window, int x, int y, int grey) const {
    for (int i = 0; i < kReadyPolls; ++i, Pause()) {
      if (Grey(window, x, y) == grey) return true;
    }
    return false;
  }

 private:
  HeadlessFolder folder_;
  std::string display_;
  pid_t pid_ = 0;
};

}  // namespace velmo_test
