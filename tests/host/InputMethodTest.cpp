// The window program with the input methods Japanese users run, IBus + Mozc
// and Fcitx5 + Mozc, each on a private Xvfb and session bus with a fresh
// profile, typed into by xdotool as a user would: romaji converted and
// committed in Hiragana mode, and in direct input a burst that opens the entry
// dialog and fills it before it is up, which keeps every key in every run.
// Mozc does nothing for root, so under root the session runs as "nobody".
// Skipped where a stack is not installed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "host/XDesktop.h"

// Last: Xlib's macros (None, Bool) would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

using namespace velmo_test;

constexpr uid_t kNobody = 65534;
// Typed ahead of the dialog: four runs of the burst, then one with Alt+0,
// a shortcut that does nothing and types nothing.
constexpr std::array<const char*, 5> kBursts{"F2 k a i g i Return", "F2 k a i g i Return", "F2 k a i g i Return",
                                             "F2 k a i g i Return", "F2 k a i alt+0 g i Return"};
constexpr int kTitleRows = 21;  // the title line, whose clock changes by itself
constexpr int kStillPolls = 10;  // a picture that holds this long is drawn

struct Stack {
  const char* name;
  const char* daemon;       // the program that must be installed
  const char* engine;       // a file the Mozc engine installs
  const char* module;       // the *_IM_MODULE value
  const char* start;        // shell lines: start the daemon, wait until it answers
  const char* japaneseConfig;  // files (path, then "<<" and text) that make Mozc start in Hiragana
  const char* warm;            // shell line, Japanese mode: Mozc loaded before Velmo asks for it
};

const Stack kIBus{
    "IBus", "ibus-daemon", "/usr/share/ibus/component/mozc.xml", "ibus",
    // IBus ends when the shell that started it does: this one lives as long as Velmo.
    "ibus-daemon -r -x -v >\"$XDG_RUNTIME_DIR/im.log\" 2>&1 &\n"
    "for i in $(seq 150); do ibus engine >/dev/null 2>&1 && break; sleep 0.2; done\n"
    "ibus engine mozc-jp\n",
    "mozc/ibus_config.textproto<<engines {\n  name : \"mozc-jp\"\n  longname : \"Mozc\"\n  layout : \"default\"\n"
    "  layout_variant : \"\"\n  layout_option : \"\"\n  rank : 80\n}\nactive_on_launch: True\n",
    ""};

const Stack kFcitx5{
    "Fcitx5", "fcitx5", "/usr/share/fcitx5/inputmethod/mozc.conf", "fcitx",
    // Until Fcitx5 answers on the portal name SDL talks to: a window that
    // asks while Fcitx5 is still busy was seen to get no input method.
    "fcitx5 >\"$XDG_RUNTIME_DIR/im.log\" 2>&1 &\n"
    "for i in $(seq 150); do fcitx5-remote >/dev/null 2>&1 && break; sleep 0.2; done\n"
    "for i in $(seq 150); do dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus "
    "org.freedesktop.DBus.NameHasOwner string:org.freedesktop.portal.Fcitx 2>/dev/null | grep -q true && break; "
    "sleep 0.2; done\n",
    "fcitx5/config<<[Behavior]\nActiveByDefault=True\n"
    "|fcitx5/conf/mozc.conf<<InitialMode=Hiragana\n",
    // Else loaded while SDL waits for its input context, which may be too long.
    "fcitx5-remote -s mozc\n"};

// The stack's name in the test's name.
void PrintTo(const Stack* stack, std::ostream* out) { *out << stack->name; }

// Mozc as the group's input method, for both modes.
constexpr const char* kFcitx5Profile =
    "[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=mozc\n\n"
    "[Groups/0/Items/0]\nName=keyboard-us\nLayout=\n\n"
    "[Groups/0/Items/1]\nName=mozc\nLayout=\n\n[GroupOrder]\n0=Default\n";

// Runs the session: its bus, the input method, then Velmo until it ends.
// The session bus starts no service by itself: a name asked for before the
// daemon holds it would start a second input-method daemon, and the two fight
// over the bus (seen with Fcitx5 on a busy machine).
constexpr const char* kSession =
    "cat >\"$XDG_RUNTIME_DIR/bus.conf\" <<'END'\n"
    "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
    " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
    "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>\n"
    "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
    "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n"
    "END\n"
    "dbus-daemon --config-file=\"$XDG_RUNTIME_DIR/bus.conf\" --fork --address=\"unix:path=$XDG_RUNTIME_DIR/bus\" "
    ">/dev/null\n"
    "export DBUS_SESSION_BUS_ADDRESS=\"unix:path=$XDG_RUNTIME_DIR/bus\"\n"
    "%START%%WARM%"
    // Mozc's server is up before the first key, however busy the machine.
    "/usr/lib/mozc/mozc_server &\n"
    "cd \"$DATA\" || exit 1\n"
    "\"$VELMO\" --folder . --scale 1 2>.stderr &\n"  // all of it on the screen, where its picture is read
    "echo $! >\"$XDG_RUNTIME_DIR/velmo.pid\"\n"
    "wait $!\n";

std::string Replace(std::string text, const std::string& what, const std::string& with) {
  return text.replace(text.find(what), what.size(), with);
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// The texts of the record as velmo-cli dump gives them, in hex, one a line.
std::string StoredTexts(const std::filesystem::path& data) {
  const std::string command = "cd " + Quote(data.string()) + " && " +
                              Quote((BuildDir() / "velmo-cli").string()) + " dump 2>/dev/null";
  std::istringstream dump(Capture(command).out);
  std::string texts;
  for (std::string line; std::getline(dump, line);) {
    const auto at = line.find("\"textHex\":\"");
    if (at != std::string::npos) texts += line.substr(at + 11, line.find('"', at + 11) - at - 11) + "\n";
  }
  return texts;
}

class InputMethod : public ::testing::TestWithParam<const Stack*> {
 protected:
  void SetUp() override {
    const Stack& stack = *GetParam();
    for (const char* program : {"Xvfb", "xdotool", "dbus-daemon", "dbus-send", "setpriv", stack.daemon})
      if (!Installed(program)) GTEST_SKIP() << program << " is not installed (setup/packages.txt)";
    if (!std::filesystem::exists(stack.engine)) GTEST_SKIP() << stack.engine << " is missing: Mozc is not installed";
    ASSERT_TRUE(server_.Start());
  }
  void TearDown() override {
    if (session_ > 0) {
      const std::string pid = Field("run/velmo.pid");
      if (!pid.empty()) kill(std::stoi(pid), SIGTERM);
      WaitEnd(session_);
    }
    EndSessionProcesses();
    server_.Stop();
  }

  std::filesystem::path Path(const std::string& name) const { return folder_.Path(name); }
  std::string Field(const std::string& name) const {
    std::string text = folder_.File(name).value_or("");
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }

  // A fresh profile (Mozc learns from every conversion), the session started
  // as an ordinary user, and Velmo's window focused.
  bool StartSession(bool japanese) {
    const Stack& stack = *GetParam();
    const std::filesystem::path config = Path("home/.config");
    if (japanese)
      for (std::istringstream files(stack.japaneseConfig); !files.eof();) {
        std::string file;
        std::getline(files, file, '|');
        const auto at = file.find("<<");
        WriteFile(config / file.substr(0, at), file.substr(at + 2));
      }
    if (stack.module == std::string("fcitx")) WriteFile(config / "fcitx5/profile", kFcitx5Profile);
    for (const char* folder : {"home/.config", "data", "run"}) std::filesystem::create_directories(Path(folder));
    WriteFile(Path("session.sh"), Replace(Replace(kSession, "%START%", stack.start), "%WARM%", japanese ? stack.warm : ""));
    // The user of the session may not reach the build folder: Velmo goes with it.
    std::filesystem::copy_file(BuildDir() / "velmo", Path("velmo"));
    chmod(Path("velmo").c_str(), 0755);
    chmod(folder_.Dir().c_str(), 0755);
    chmod(Path("run").c_str(), 0700);
    std::vector<std::string> command;
    if (geteuid() == 0) {
      for (const char* mine : {"home", "run", "data"}) {
        bool owned = chown(Path(mine).c_str(), kNobody, kNobody) == 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(Path(mine)))
          owned = owned && chown(entry.path().c_str(), kNobody, kNobody) == 0;
        if (!owned) {
          ADD_FAILURE() << "cannot give " << mine << " to the unprivileged user";
          return false;
        }
      }
      command = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    }
    const std::string module = stack.module;
    for (const std::string& word :
         {std::string("env"), std::string("-i"), std::string("PATH=/usr/bin:/bin"), "HOME=" + Path("home").string(),
          "XDG_CONFIG_HOME=" + config.string(), "XDG_RUNTIME_DIR=" + Path("run").string(),
          "DISPLAY=" + server_.Display(), "XMODIFIERS=@im=" + module, "GTK_IM_MODULE=" + module,
          "QT_IM_MODULE=" + module, "SDL_IM_MODULE=" + module, std::string("NO_AT_BRIDGE=1"),
          std::string("LSAN_OPTIONS=detect_leaks=0"), "DATA=" + Path("data").string(),
          "VELMO=" + Path("velmo").string(), std::string("/bin/sh"), Path("session.sh").string()})
      command.push_back(word);
    session_ = Spawn(command, folder_.Dir().string(), "");
    for (int i = 0; i < kReadyPolls && Field("run/velmo.pid").empty(); ++i) Pause();
    const std::string pid = Field("run/velmo.pid");
    if (!pid.empty()) window_ = server_.WindowOf(std::stoi(pid));
    if (window_.empty()) ADD_FAILURE() << "no window: " << Log();
    return !window_.empty();
  }

  // What Velmo and the input method said.
  std::string Log() const {
    return folder_.File(".stderr").value_or("") + folder_.File("run/im.log").value_or("") +
           folder_.File("data/.stderr").value_or("");
  }

  // The daemons of the session (the bus, the input method and what they
  // started, Mozc's server) carry its private XDG_RUNTIME_DIR.
  void EndSessionProcesses() {
    const std::string mark = "XDG_RUNTIME_DIR=" + Path("run").string();
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
      std::ifstream environment(entry.path() / "environ", std::ios::binary);
      std::ostringstream bytes;
      bytes << environment.rdbuf();
      std::string text = bytes.str();
      std::replace(text.begin(), text.end(), '\0', '\n');
      if (text.find(mark + "\n") == std::string::npos) continue;
      const std::string name = entry.path().filename().string();
      if (name.find_first_not_of("0123456789") == std::string::npos) kill(std::stoi(name), SIGKILL);
    }
  }

  void Keys(const std::string& keys, int delayMs) {
    server_.Run("xdotool key --delay " + std::to_string(delayMs) + " " + keys);
  }

  // The window's picture below the title line (whose clock changes by itself).
  std::string Shown() {
    std::string pixels;
    Display* d = XOpenDisplay(server_.Display().c_str());
    if (d == nullptr) return pixels;
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });  // no picture, not an exit
    const Window w = std::stoul(window_);
    XWindowAttributes a{};
    if (XGetWindowAttributes(d, w, &a) && a.height > kTitleRows * 4) {
      const int top = a.height * kTitleRows / 240;
      if (XImage* image = XGetImage(d, w, 0, top, a.width, a.height - top, AllPlanes, ZPixmap)) {
        pixels.assign(image->data, static_cast<std::size_t>(image->bytes_per_line) * image->height);
        XDestroyImage(image);
      }
    }
    XCloseDisplay(d);
    return pixels;
  }

  // The window's picture once it differs from before and holds still; empty
  // when it never changed.
  std::string ShownAfter(const std::string& before) {
    std::string now = Shown();
    for (int i = 0; i < kReadyPolls && now == before; ++i, Pause()) now = Shown();
    if (now == before) return {};
    for (int still = 0, i = 0; still < kStillPolls && i < kReadyPolls; ++i, Pause()) {
      const std::string next = Shown();
      still = next == now ? still + 1 : 0;
      now = next;
    }
    return now;
  }

  // The stored texts once there are n, or what there is after the wait.
  std::string TextsWhen(int n) {
    std::string texts = StoredTexts(Path("data"));
    for (int i = 0; i < kReadyPolls / 5 && Count(texts, "\n") < n; ++i, Pause()) texts = StoredTexts(Path("data"));
    return texts;
  }

  XServer server_;
  HeadlessFolder folder_;
  pid_t session_ = 0;
  std::string window_;
};

// The browse screen's "s" opens the second dialog: browse keys are never composed.
TEST_P(InputMethod, RomajiIsConvertedAndCommittedIntoTheEntry) {
  ASSERT_TRUE(StartSession(true));
  std::string all;
  for (const char* open : {"F2", "s"}) {
    SCOPED_TRACE(open);
    const std::string browse = ShownAfter("");
    ASSERT_FALSE(browse.empty()) << "no picture in the window";
    Keys(open, 0);
    // Composing starts once the dialog has turned text input on, which it
    // does before its first picture reaches the window.
    ASSERT_FALSE(ShownAfter(browse).empty()) << "no dialog: " << Log();
    Keys("k a i g i space", 30);  // the reading, converted
    const std::string converting = ShownAfter("");  // as the input method left it
    Keys("Return", 0);  // commits; what follows waits until the editor shows it
    ASSERT_FALSE(ShownAfter(converting).empty()) << "nothing committed: " << Log();
    Keys("Return", 0);  // accepts the dialog
    all += "89ef8b63\n";
    ASSERT_EQ(TextsWhen(Count(all, "\n")), all) << "\xe4\xbc\x9a\xe8\xad\xb0 in Shift-JIS; " << Log();
  }
}

TEST_P(InputMethod, ABurstInDirectInputKeepsEveryKeyInEveryRun) {
  ASSERT_TRUE(StartSession(false));
  std::string all;
  for (const char* burst : kBursts) {
    SCOPED_TRACE(burst);
    Keys(burst, 0);
    all += "6b61696769\n";
    const std::string texts = TextsWhen(Count(all, "\n"));
    ASSERT_EQ(texts, all) << "each run stores \"kaigi\"";
  }
}

INSTANTIATE_TEST_SUITE_P(Mozc, InputMethod, ::testing::Values(&kIBus, &kFcitx5),
                         [](const auto& info) { return std::string(info.param->name); });

}  // namespace
