// The window program on a real X server (Xvfb), driven by xdotool as a user
// would: every way of ending it while boxes are open runs the shutdown and
// never hangs, losing the display too, and typed text keeps every character.
// Skipped where Xvfb or xdotool is missing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host/XDesktop.h"  // last: it brings Xlib

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
  bool StartVelmo(const std::vector<std::string>& options = {}) {
    std::vector<std::string> args{(BuildDir() / "velmo").string()};
    args.insert(args.end(), options.begin(), options.end());
    velmo_ = Spawn(args, folder_.Path("").string(),
                   "VELMO_DIR=. XDG_STATE_HOME=" + Quote(folder_.Path(".state").string()) + " DISPLAY=" + server_.Display());
    window_ = server_.WindowOf(velmo_);
    if (window_.empty()) ADD_FAILURE() << "no window: " << folder_.File(".stderr").value_or("");
    return !window_.empty();
  }
  void Keys(const std::string& keys) { server_.Run("xdotool key --delay 30 " + keys); }
  std::string Size(const std::string& wanted = "") { return server_.Size(window_, wanted); }
  int Grey(int x, int y) { return server_.Grey(window_, x, y); }
  bool Shows(int x, int y, int grey) { return server_.Shows(window_, x, y, grey); }

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

// The Linux window is "Velmo"; a size the desktop gives it (maximized, full
// screen) shows the picture at the largest whole factor that fits, centred on
// grey; CTRL+minus and CTRL+plus change the factor within what the display
// holds (typing nothing in a text field), and the next run opens at the
// factor kept; a --scale too large for the display is reduced with one line
// on stderr.
TEST_F(Desktop, TheWindowIsVelmoAndScalesByWholeFactorsThatFitTheDisplay) {
  constexpr int kBackground = 85;  // dark grey around the picture
  ASSERT_TRUE(StartVelmo());
  EXPECT_EQ(server_.Run("xdotool getwindowname " + window_), "Velmo\n");
  EXPECT_EQ(Size(), "1280x480");
  server_.Run("xdotool windowmove --sync " + window_ + " 0 0");  // all of it on the screen, where it can be read
  server_.Run("xdotool windowsize " + window_ + " 1400 900");       // factor 2 at (60, 210)
  EXPECT_TRUE(Shows(30, 800, kBackground));  // below the window as it was
  EXPECT_EQ(Grey(59, 300), kBackground);
  EXPECT_EQ(Grey(60 + 2 * kTitleX, 210 + 2 * kTitleY), kTitleGrey);
  server_.Run("xdotool windowsize " + window_ + " 1950 990");  // factor 3 at (15, 135)
  EXPECT_TRUE(Shows(15 + 3 * kTitleX, 135 + 3 * kTitleY, kTitleGrey));
  EXPECT_EQ(Grey(14, 300), kBackground);

  server_.Run("xdotool windowfocus --sync " + window_);
  Keys("ctrl+minus");
  EXPECT_EQ(Size("1280x480"), "1280x480");
  Keys("ctrl+minus ctrl+minus");
  EXPECT_EQ(Size("640x240"), "640x240");  // never below the screen itself
  Keys("ctrl+KP_Add ctrl+KP_Add ctrl+KP_Add ctrl+KP_Add");
  EXPECT_EQ(Size("1920x720"), "1920x720");  // 2000 x 1000 holds three times, not four
  // In a text field the zoom keys type nothing.
  Keys("s");
  for (int i = 0; i < 25; ++i) Pause();  // let the dialog open first
  Keys("ctrl+minus ctrl+plus a b Return");
  EXPECT_EQ(Size("1920x720"), "1920x720");
  const auto saved = [&] { return folder_.File("record").value_or("").find("ab") != std::string::npos; };
  for (int i = 0; i < kReadyPolls && !saved(); ++i) Pause();
  SendCloseRequest();
  ASSERT_EQ(End("close"), 0) << folder_.File(".stderr").value_or("");
  EXPECT_NE(folder_.File("continue").value_or("").find("\nWindowScale:            3\n"), std::string::npos);
  folder_.Run("", {.program = "velmo-cli", .extra = "dump > dump.jsonl"});
  EXPECT_NE(folder_.File("dump.jsonl").value_or("").find("\"text\":\"ab\""), std::string::npos)
      << folder_.File("dump.jsonl").value_or("");

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
