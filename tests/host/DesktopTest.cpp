// The window program on a real X server (Xvfb), driven by xdotool as a user
// would: every way of ending it while boxes are open runs the shutdown and
// never hangs, losing the display too, and typed text keeps every character.
// Skipped where Xvfb or xdotool is missing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host/XDesktop.h"

// Last: Xlib's macros (None, Bool) would clash with the headers above.
#include <X11/Xlib.h>

namespace {

using namespace velmo_test;

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
    ASSERT_TRUE(server_.Start());
  }
  void TearDown() override {
    if (velmo_ > 0) WaitEnd(velmo_);
    server_.Stop();
  }

  // Starts velmo in the folder and waits for its window.
  bool StartVelmo() {
    const std::string velmo = (BuildDir() / "velmo").string();
    velmo_ = Spawn({velmo}, folder_.Path("").string(),
                   "VELMO_DIR=. XDG_STATE_HOME=" + Quote(folder_.Path(".state").string()) + " DISPLAY=" + server_.Display());
    window_ = server_.WindowOf(velmo_);
    if (window_.empty()) ADD_FAILURE() << "no window: " << folder_.File(".stderr").value_or("");
    return !window_.empty();
  }
  void Keys(const std::string& keys) { server_.Run("xdotool key --delay 30 " + keys); }

  // Alt+E opens Velmo's own confirmation, Alt+A the desktop's About box over it.
  pid_t OpenBoxes() {
    for (int i = 0; i < kReadyPolls; ++i, Pause()) {
      if (pid_t box = ChildOf(velmo_)) return box;
      if (i % 25 == 0) Keys("alt+e alt+a");  // again, should the first keys beat the focus
    }
    return 0;
  }

  void SendCloseRequest() {
    Display* d = XOpenDisplay(server_.Display().c_str());
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

  XServer server_;
  HeadlessFolder folder_;
  std::string window_;
  pid_t velmo_ = 0;
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
  server_.Stop();
  EXPECT_EQ(End(), 1);
  EXPECT_TRUE(folder_.Exists("continue"));
  EXPECT_NE(folder_.File(".stderr").value_or("").find("lost the connection to the display"), std::string::npos);
}

// The window's close over typed text asks inside Velmo's screen first; RETURN
// keeps the text as an entry, and then Velmo ends.
TEST_F(Desktop, ClosingTheWindowOverTypedTextAsksAndReturnKeepsIt) {
  ASSERT_TRUE(StartVelmo());
  Keys("s");
  for (int i = 0; i < 25; ++i) Pause();  // let the dialog open first
  server_.Run("xdotool type --delay 30 'abc'");
  SendCloseRequest();
  for (int i = 0; i < 50; ++i) Pause();
  int raw = 0;
  EXPECT_EQ(waitpid(velmo_, &raw, WNOHANG), 0) << "Velmo ended without asking";
  Keys("Return");
  ASSERT_EQ(End(), 0) << folder_.File(".stderr").value_or("");
  EXPECT_NE(folder_.File("record").value_or("").find("abc"), std::string::npos);
}

TEST_F(Desktop, TypedTextKeepsCharactersShiftJisLacksAsGetaMarks) {
  ASSERT_TRUE(StartVelmo());
  Keys("s");  // the schedule dialog opens the input method
  for (int i = 0; i < 25; ++i) Pause();  // xdotool does not wait for the dialog: let it open first
  server_.Run("xdotool type --delay 30 'a\xc3\xa9'");
  Keys("Return");
  // A signal overtakes keys still queued, so wait for the save the Return makes.
  const auto saved = [&] { return folder_.File("record").value_or("").find("a\x81\xac") != std::string::npos; };
  for (int i = 0; i < kReadyPolls && !saved(); ++i) Pause();
  kill(velmo_, SIGTERM);
  ASSERT_EQ(End(), 0) << folder_.File(".stderr").value_or("");
  EXPECT_TRUE(saved()) << "\"a\" and a geta mark for \"\xc3\xa9\"";
}

}  // namespace
