// The window program on a real X server (Xvfb), driven by xdotool as a user
// would: every way of ending it while boxes are open runs the shutdown and
// never hangs, losing the display too, and typed text keeps every character.
// Skipped where Xvfb or xdotool is missing.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/Headless.h"

// Last: Xlib's macros (None, Bool) would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

namespace {

using velmo_test::HeadlessFolder;

constexpr int kPollMs = 20;
constexpr int kReadyPolls = 1500;  // 30 s for a server, a window or a box to appear (a busy machine)
constexpr int kEndPolls = 1000;    // 20 s for Velmo to end: longer is a hang
// A pixel of the title line in the window at its first size (twice the screen).
constexpr int kTitleX = 600, kTitleY = 20, kTitleGrey = 170;

bool Installed(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

void Pause() { usleep(kPollMs * 1000); }

// Runs args in folder, its standard error in errors there. The leak check is
// off: the desktop's libraries (D-Bus, the GL driver SDL loads and unloads)
// keep memory for the life of the process; the other tests check Velmo's own.
pid_t Spawn(const std::vector<std::string>& args, const std::string& folder, const std::string& display,
            const std::string& errors = ".stderr") {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const std::string command = "cd " + velmo_test::Quote(folder) + " && DISPLAY=" + display +
                              " LSAN_OPTIONS=detect_leaks=0" +
                              " exec \"$@\" 2>" + errors;
  std::vector<char*> shell{const_cast<char*>("sh"), const_cast<char*>("-c"), const_cast<char*>(command.c_str()),
                           const_cast<char*>("sh")};
  shell.insert(shell.end(), argv.begin(), argv.end());
  pid_t pid = 0;
  return posix_spawn(&pid, "/bin/sh", nullptr, nullptr, shell.data(), environ) == 0 ? pid : -1;
}

// The exit status, or -1 when the process did not end in time (it is killed).
int WaitEnd(pid_t pid) {
  for (int i = 0; i < kEndPolls; ++i, Pause()) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

// The process has ended (gone, or a zombie nobody reaped yet).
bool Ended(pid_t pid) {
  for (int i = 0; i < kReadyPolls; ++i, Pause()) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return true;
    const auto close = line.rfind(')');
    if (close != std::string::npos && line.compare(close, 3, ") Z") == 0) return true;
  }
  return false;
}

// A child of pid (a desktop box), or 0.
pid_t ChildOf(pid_t pid) {
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    const auto close = line.rfind(')');
    if (close == std::string::npos) continue;
    char state = 0;
    int parent = 0;
    if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &parent) == 2 && parent == pid && state != 'Z')
      return static_cast<pid_t>(std::stoi(entry.path().filename().string()));
  }
  return 0;
}

class Desktop : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Installed("Xvfb") || !Installed("xdotool")) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    ASSERT_TRUE(StartServer());
  }
  void TearDown() override {
    if (velmo_ > 0) WaitEnd(velmo_);
    StopServer();
  }

  // Xvfb picks a free display itself and writes its number once it is ready.
  bool StartServer() {
    const std::string number = serverFolder_.Path("display").string();
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 3, number.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {"Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0", "2000x1000x24", nullptr};
    const bool started =
        posix_spawnp(&server_, "Xvfb", &files, nullptr, const_cast<char**>(argv), environ) == 0;
    posix_spawn_file_actions_destroy(&files);
    if (!started) return false;
    for (int i = 0; i < kReadyPolls; ++i, Pause()) {
      const std::string text = serverFolder_.File("display").value_or("");
      if (!text.empty() && text.back() == '\n') {
        display_ = ":" + text.substr(0, text.size() - 1);
        return true;
      }
    }
    return false;
  }
  void StopServer() {
    if (server_ <= 0) return;
    kill(server_, SIGTERM);
    waitpid(server_, nullptr, 0);
    server_ = 0;
  }

  std::string Run(const std::string& command) {
    std::string out;
    FILE* pipe = popen(("DISPLAY=" + display_ + " " + command + " 2>/dev/null").c_str(), "r");
    if (!pipe) return out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    pclose(pipe);
    return out;
  }

  // Starts velmo in the folder and waits for its window.
  bool StartVelmo(const std::vector<std::string>& options = {}) {
    std::vector<std::string> args{(velmo_test::BuildDir() / "velmo").string()};
    args.insert(args.end(), options.begin(), options.end());
    velmo_ = Spawn(args, folder_.Path("").string(), display_);
    window_.clear();
    const std::string search = "xdotool search --onlyvisible --pid " + std::to_string(velmo_);
    for (int i = 0; i < kReadyPolls && window_.empty(); ++i, Pause()) window_ = Run(search);
    if (window_.empty()) {
      ADD_FAILURE() << "no window: " << folder_.File(".stderr").value_or("");
      return false;
    }
    window_ = window_.substr(0, window_.find('\n'));
    // The title line's light grey shows once the first screen is painted.
    for (int i = 0; i < kReadyPolls && Grey(kTitleX, kTitleY) != kTitleGrey; ++i) Pause();
    Run("xdotool windowfocus --sync " + window_);
    return true;
  }
  void Keys(const std::string& keys) { Run("xdotool key --delay 30 " + keys); }

  // "WxH" of the window, waiting up to a while for it to become `wanted`.
  std::string Size(const std::string& wanted = "") {
    std::string size;
    for (int i = 0; i < kReadyPolls && (size.empty() || (!wanted.empty() && size != wanted)); ++i, Pause()) {
      const std::string text = Run("xdotool getwindowgeometry " + window_);
      const auto at = text.find("Geometry: ");
      if (at != std::string::npos) size = text.substr(at + 10, text.find('\n', at) - at - 10);
      if (wanted.empty()) break;
    }
    return size;
  }
  // Waits for a pixel to show a grey.
  bool Shows(int x, int y, int grey) {
    for (int i = 0; i < kReadyPolls; ++i, Pause()) {
      if (Grey(x, y) == grey) return true;
    }
    return false;
  }

  // The grey of a pixel of the window (-1 when it cannot be read).
  int Grey(int x, int y) {
    Display* d = XOpenDisplay(display_.c_str());
    if (d == nullptr) return -1;
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    int grey = -1;
    if (XImage* image = XGetImage(d, std::stoul(window_), x, y, 1, 1, AllPlanes, ZPixmap)) {
      grey = static_cast<int>(XGetPixel(image, 0, 0) & 0xFF);
      XDestroyImage(image);
    }
    XCloseDisplay(d);
    return grey;
  }

  // Alt+E opens Velmo's own confirmation, Alt+A the desktop's About box over it.
  pid_t OpenBoxes() {
    for (int i = 0; i < kReadyPolls; ++i, Pause()) {
      if (pid_t box = ChildOf(velmo_)) return box;
      if (i % 25 == 0) Keys("alt+e alt+a");  // again, should the first keys beat the focus
    }
    return 0;
  }

  void SendCloseRequest() {
    Display* d = XOpenDisplay(display_.c_str());
    ASSERT_NE(d, nullptr);
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });  // a failure shows as a time-out, not an exit
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = std::stoul(window_);
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, e.xclient.window, False, NoEventMask, &e);
    XCloseDisplay(d);
  }

  // A close request is sent again each second, as a user would click again
  // on a busy desktop; never ending is still a hang.
  int End(const std::string& route = "") {
    int status = -1;
    for (int tries = 0; tries < kEndPolls / 50 && status < 0; ++tries) {
      if (route == "close") SendCloseRequest();
      for (int i = 0; i < 50 && status < 0; ++i, Pause()) {
        int raw = 0;
        if (waitpid(velmo_, &raw, WNOHANG) == velmo_) status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128;
      }
    }
    if (status < 0) status = WaitEnd(velmo_);  // kills it
    velmo_ = 0;
    return status;
  }

  HeadlessFolder folder_, serverFolder_;
  std::string display_, window_;
  pid_t server_ = 0, velmo_ = 0;
};

TEST_F(Desktop, EndingWithBoxesOpenAnswersThemAndRunsTheShutdownByEveryRoute) {
  for (const char* route : {"TERM", "HUP", "close"}) {
    SCOPED_TRACE(route);
    std::filesystem::remove(folder_.Path("continue"));
    ASSERT_TRUE(StartVelmo());
    const pid_t box = OpenBoxes();
    ASSERT_NE(box, 0);
    if (std::string(route) != "close") kill(velmo_, std::string(route) == "TERM" ? SIGTERM : SIGHUP);
    EXPECT_EQ(End(route), 0) << folder_.File(".stderr").value_or("");
    EXPECT_TRUE(folder_.Exists("continue"));
    EXPECT_FALSE(folder_.Exists("task.csv"));  // the export's question was declined
    EXPECT_TRUE(Ended(box));                    // the desktop box ended too
  }
}

TEST_F(Desktop, LosingTheDisplayWithABoxOpenSavesAndFails) {
  ASSERT_TRUE(StartVelmo());
  ASSERT_NE(OpenBoxes(), 0);
  StopServer();
  EXPECT_EQ(End(), 1);
  EXPECT_TRUE(folder_.Exists("continue"));
  EXPECT_NE(folder_.File(".stderr").value_or("").find("lost the connection to the display"), std::string::npos);
}

TEST_F(Desktop, TypedTextKeepsCharactersShiftJisLacksAsGetaMarks) {
  ASSERT_TRUE(StartVelmo());
  Keys("s");  // the schedule dialog opens the input method
  for (int i = 0; i < 25; ++i) Pause();  // xdotool does not wait for the dialog: let it open first
  Run("xdotool type --delay 30 'a\xc3\xa9'");
  Keys("Return");
  // A signal overtakes keys still queued, so wait for the save the Return makes.
  const auto saved = [&] { return folder_.File("record").value_or("").find("a\x81\xac") != std::string::npos; };
  for (int i = 0; i < kReadyPolls && !saved(); ++i) Pause();
  kill(velmo_, SIGTERM);
  ASSERT_EQ(End(), 0) << folder_.File(".stderr").value_or("");
  EXPECT_TRUE(saved()) << "\"a\" and a geta mark for \"\xc3\xa9\"";
}

// The Linux window is "Velmo"; a size the desktop gives it (maximized, full
// screen) shows the picture at the largest whole factor that fits, centred on
// grey; CTRL+minus and CTRL+plus change the factor within what the display
// holds, and the next run opens at the factor kept; a --scale too large for
// the display is reduced with one line on stderr.
TEST_F(Desktop, TheWindowIsVelmoAndScalesByWholeFactorsThatFitTheDisplay) {
  constexpr int kBackground = 85;  // dark grey around the picture
  ASSERT_TRUE(StartVelmo());
  EXPECT_EQ(Run("xdotool getwindowname " + window_), "Velmo\n");
  EXPECT_EQ(Size(), "1280x480");
  Run("xdotool windowmove --sync " + window_ + " 0 0");  // all of it on the screen, where it can be read
  Run("xdotool windowsize " + window_ + " 1400 900");       // factor 2 at (60, 210)
  EXPECT_TRUE(Shows(30, 800, kBackground));  // below the window as it was
  EXPECT_EQ(Grey(59, 300), kBackground);
  EXPECT_EQ(Grey(60 + kTitleX, 210 + kTitleY), kTitleGrey);
  Run("xdotool windowsize " + window_ + " 1950 990");  // factor 3 at (15, 135)
  EXPECT_TRUE(Shows(15 + 900, 135 + 30, kTitleGrey));
  EXPECT_EQ(Grey(14, 300), kBackground);

  Run("xdotool windowfocus --sync " + window_);
  Keys("ctrl+minus");
  EXPECT_EQ(Size("1280x480"), "1280x480");
  Keys("ctrl+minus ctrl+minus");
  EXPECT_EQ(Size("640x240"), "640x240");  // never below the screen itself
  Keys("ctrl+KP_Add ctrl+KP_Add ctrl+KP_Add ctrl+KP_Add");
  EXPECT_EQ(Size("1920x720"), "1920x720");  // 2000 x 1000 holds three times, not four
  SendCloseRequest();
  ASSERT_EQ(End("close"), 0) << folder_.File(".stderr").value_or("");
  EXPECT_NE(folder_.File("continue").value_or("").find("\nWindowScale:            3\n"), std::string::npos);

  ASSERT_TRUE(StartVelmo());
  EXPECT_EQ(Size("1920x720"), "1920x720");
  ASSERT_EQ(End("close"), 0);

  ASSERT_TRUE(StartVelmo({"--scale", "8"}));
  EXPECT_EQ(Size("1920x720"), "1920x720");
  ASSERT_EQ(End("close"), 0);
  EXPECT_EQ(folder_.File(".stderr").value_or(""),
            "velmo: --scale 8 does not fit the screen; the window is 3 times the picture instead\n");
}

}  // namespace
