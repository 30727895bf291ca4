// What a desktop user meets before the first screen: --help and --version,
// a clear refusal where there is no display (make run included), what make
// install lays out and make uninstall removes, the README's crontab recipe
// run as cron runs it, and the README's pictures, which must still be what
// the program draws.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/Headless.h"

namespace {

using velmo_test::BuildDir;
using velmo_test::Capture;
using velmo_test::HeadlessFolder;
using velmo_test::Output;
using velmo_test::Quote;

// The alpha of every pixel of a PNG, row by row; empty when it cannot be read.
std::vector<int> Alpha(const std::filesystem::path& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_GA;
  std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return {};
  }
  std::vector<int> alpha;
  for (std::size_t i = 1; i < pixels.size(); i += 2) alpha.push_back(pixels[i]);
  return alpha;
}

TEST(DesktopProgram, EveryProgramPrintsItsUsageAndVersionOnStandardOutput) {
  for (const char* program : {"velmo", "velmo-headless", "velmo-cli"}) {
    const std::string path = Quote((BuildDir() / program).string());
    const Output help = Capture(path + " --help 2>/dev/null");
    EXPECT_EQ(help.status, 0) << program;
    EXPECT_EQ(help.out.rfind("usage: " + std::string(program), 0), 0u) << help.out;
    const Output version = Capture(path + " --version 2>/dev/null");
    EXPECT_EQ(version.status, 0) << program;
    EXPECT_NE(version.out.find("1.4.2\n"), std::string::npos) << version.out;    // A fault names the word at fault, on standard error.
    const Output unknown = Capture(path + " --frob 2>&1 >/dev/null");
    EXPECT_EQ(unknown.status, 2) << program;
    EXPECT_NE(unknown.out.find(std::string(program) + ": unknown option --frob"), std::string::npos) << unknown.out;
  }
}

TEST(DesktopProgram, WithoutADisplayVelmoEndsAtOnceNamingTheCause) {
  HeadlessFolder folder;
  for (const char* environment : {"env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 20",
                                  "env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=:4711 timeout 20"}) {
    const auto run = folder.Run("", {.program = "velmo", .environment = environment});
    EXPECT_EQ(run.status, 1) << environment;  // never the time-out's 124
    EXPECT_NE(run.errors.find("velmo: no display"), std::string::npos) << run.errors;
  }
  // Unset, the cause is known before SDL starts: one line and nothing else.
  const auto run = folder.Run("", {.program = "velmo", .environment = "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER"});
  EXPECT_EQ(run.errors.find('\n'), run.errors.size() - 1) << run.errors;
  EXPECT_FALSE(folder.Exists("continue"));
}

TEST(DesktopProgram, InstallLaysOutProgramsDesktopEntryIconsAndManuals) {
  HeadlessFolder prefix;
  const std::string install = "cmake --install " + Quote(BuildDir().string()) + " --prefix " +
                              Quote(prefix.Path("").string()) + " >/dev/null";
  ASSERT_EQ(std::system(install.c_str()), 0);
  for (const char* file : {"bin/velmo", "bin/velmo-headless", "bin/velmo-cli", "share/man/man1/velmo.1",
                           "share/man/man1/velmo-cli.1", "share/man/man1/velmo-headless.1"})
    EXPECT_TRUE(prefix.Exists(file)) << file;
  EXPECT_NE(prefix.File("share/applications/velmo.desktop").value_or("").find("Categories=Office;Calendar;\n"),
            std::string::npos);
  // Sharp: every pixel of an icon n times the 16-pixel one is one of its pixels.
  const velmo_test::Picture small = prefix.Shot("share/icons/hicolor/16x16/apps/velmo.png");
  ASSERT_EQ(small.width, 16);
  for (int size : {32, 48, 128}) {
    const std::string name = std::to_string(size);
    const velmo_test::Picture icon = prefix.Shot("share/icons/hicolor/" + name + "x" + name + "/apps/velmo.png");
    ASSERT_EQ(icon.width, size);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) ASSERT_EQ(icon.Grey(x, y), small.Grey(x * 16 / size, y * 16 / size)) << size;
  }
  // Transparent around the icon's own shape (its light grey margin), opaque on it.
  for (int size : {16, 128}) {
    const std::string name = std::to_string(size);
    const std::vector<int> alpha = Alpha(prefix.Path("share/icons/hicolor/" + name + "x" + name + "/apps/velmo.png"));
    ASSERT_EQ(alpha.size(), static_cast<std::size_t>(size * size));
    const int unit = size / 16;
    EXPECT_EQ(alpha[0], 0) << size;                                        // corner
    EXPECT_EQ(alpha[static_cast<std::size_t>(8 * unit * size)], 0) << size;  // left margin
    EXPECT_EQ(alpha[static_cast<std::size_t>(8 * unit * size + unit)], 255) << size;  // the frame
    EXPECT_EQ(alpha[static_cast<std::size_t>(8 * unit * size + 8 * unit)], 255) << size;  // inside, white
  }
  // The catalogue entry: one file, named by its id, valid where appstreamcli is installed.
  std::vector<std::filesystem::path> metainfo;
  for (const auto& entry : std::filesystem::directory_iterator(prefix.Path("share/metainfo"))) {
    metainfo.push_back(entry.path());
  }
  ASSERT_EQ(metainfo.size(), 1u);
  if (std::system("command -v appstreamcli >/dev/null 2>&1") == 0) {
    const Output valid = Capture("appstreamcli validate --no-net " + Quote(metainfo[0].string()) + " 2>&1");
    EXPECT_EQ(valid.status, 0) << valid.out;
    const Output tree = Capture("appstreamcli validate-tree --no-net " + Quote(prefix.Path("").string()) + " 2>&1");
    EXPECT_EQ(tree.status, 0) << tree.out;  // the file name is the id, the desktop entry is there
  } else {
    std::fprintf(stderr, "appstreamcli is not installed: the catalogue entry is not validated\n");
  }
  const std::string catalogue = prefix.File("share/metainfo/" + metainfo[0].filename().string()).value_or("");
  for (const char* screen : {"calendar", "weeks", "week", "day", "entry", "help"}) {
    EXPECT_NE(catalogue.find(std::string("/screens/") + screen + ".png</image>"), std::string::npos) << screen;
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(VELMO_SOURCE_DIR) / "docs/screens" /
                                        (std::string(screen) + ".png")))
        << screen;
  }

  // make uninstall with the same PREFIX leaves no file behind.
  const std::string uninstall = "make -s -C " + Quote(VELMO_SOURCE_DIR) + " uninstall BUILD=" +
                                Quote(BuildDir().string()) + " PREFIX=" +
                                Quote(prefix.Path("").string()) + " >/dev/null";
  ASSERT_EQ(std::system(uninstall.c_str()), 0);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(prefix.Dir()))
    EXPECT_TRUE(entry.is_directory() || entry.path().filename().string()[0] == '.') << entry.path();
}

// The crontab line of the README, as cron runs it: sh with only HOME, LOGNAME,
// SHELL and PATH=/usr/bin:/bin, started in the home folder, Velmo installed
// by make install into ~/.local. notify-send is a stand-in that keeps its
// words and the D-Bus address it was given (only it is put before PATH).
TEST(DesktopProgram, TheReadmeCrontabLineWorksFromCron) {
  const std::string readme = velmo_test::ReadFile(std::filesystem::path(VELMO_SOURCE_DIR) / "README.md").value_or("");
  std::istringstream lines(readme);
  std::string recipe;
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("    */5 * * * * ", 0) == 0) recipe = line.substr(16);
  ASSERT_NE(recipe, "") << "no crontab line in the README";
  const std::string manual =
      velmo_test::ReadFile(std::filesystem::path(VELMO_SOURCE_DIR) / "share/velmo-cli.1").value_or("");
  EXPECT_NE(manual.find("*/5 * * * * " + recipe + "\n"), std::string::npos) << "velmo-cli(1) gives another line";
  const std::size_t upcoming = recipe.find(" upcoming ");
  ASSERT_NE(upcoming, std::string::npos) << recipe;
  // The test clock, so that the schedule below is due.
  const std::string job = recipe.substr(0, upcoming) + " upcoming --now 2026-12-07T08:55" + recipe.substr(upcoming + 9);

  HeadlessFolder home;
  const std::string install = "cmake --install " + Quote(BuildDir().string()) + " --prefix " +
                              Quote(home.Path(".local").string()) + " >/dev/null";
  ASSERT_EQ(std::system(install.c_str()), 0);
  std::filesystem::create_directories(home.Path("fake"));
  home.Write("fake/notify-send",
             "#!/bin/sh\nprintf '%s|%s|%s\\n' \"$DBUS_SESSION_BUS_ADDRESS\" \"$1\" \"$2\" >>\"$HOME/told\"\n");
  std::filesystem::permissions(home.Path("fake/notify-send"), std::filesystem::perms::owner_all);
  const std::string cron = "cd " + Quote(home.Dir().string()) + " && env -i HOME=" + Quote(home.Dir().string()) +
                           " LOGNAME=velmo SHELL=/bin/sh PATH=" + Quote(home.Path("fake").string()) +
                           ":/usr/bin:/bin /bin/sh -c " + Quote(job) + " 2>" + Quote(home.Path("mail").string());
  const auto status = [&] {
    const int raw = std::system(cron.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  };
  // No record file yet: the job fails with velmo-cli's status and says why.
  EXPECT_EQ(status(), 5);
  EXPECT_NE(home.File("mail").value_or("").find("no record file in " + home.Path(".local/share/velmo").string()),
            std::string::npos) << home.File("mail").value_or("");
  EXPECT_FALSE(home.Exists("told"));
  const std::string add = "cd " + Quote(home.Dir().string()) + " && env -u XDG_DATA_HOME -u VELMO_DIR HOME=" +
                          Quote(home.Dir().string()) +
                          " .local/bin/velmo-cli add schedule 2026-12-07 --time 09:00-09:30 standup >/dev/null";
  ASSERT_EQ(std::system(add.c_str()), 0);
  EXPECT_EQ(status(), 0) << home.File("mail").value_or("");
  EXPECT_EQ(home.File("told").value_or(""),
            "unix:path=/run/user/" + std::to_string(getuid()) + "/bus|Velmo|09:00-09:30 standup\n");
  EXPECT_EQ(home.File("mail").value_or(""), "");
}

TEST(DesktopProgram, MakeRunWithoutADisplayStopsAfterTheHintDeletingNothing) {
  HeadlessFolder folder;
  std::filesystem::create_directories(folder.Path("demo"));
  folder.Write("demo/mine", "kept");
  for (const char* target : {"run", "run-demo"}) {
    const Output run = Capture("env -u DISPLAY -u WAYLAND_DISPLAY HOME=" + Quote(folder.Dir().string()) +
                               " make -s -C " + Quote(VELMO_SOURCE_DIR) + " " + target + " BUILD=" +
                               Quote(folder.Path("build").string()) + " DEMO_DIR=" +
                               Quote(folder.Path("demo").string()) + " 2>&1");
    EXPECT_EQ(run.status, 0) << target;
    EXPECT_EQ(run.out.rfind("velmo: no display here", 0), 0u) << run.out;
    EXPECT_EQ(folder.File("demo/mine").value_or(""), "kept") << target;
    EXPECT_FALSE(folder.Exists("build")) << target;
    EXPECT_FALSE(folder.Exists(".local")) << target;
  }
}

TEST(DesktopProgram, TheReadmePicturesAreWhatTheProgramDrawsFromTheSample) {
  const std::filesystem::path source = VELMO_SOURCE_DIR;
  HeadlessFolder folder;
  folder.Write("record", velmo_test::ReadFile(source / "share/demo/record").value_or(""));
  const std::string script = velmo_test::ReadFile(source / "share/demo/screens.script").value_or("");
  ASSERT_EQ(folder.Run(script, {.now = "2026-12-07T09:00"}).status, 0);
  int pictures = 0;
  for (const auto& entry : std::filesystem::directory_iterator(source / "docs/screens")) {
    const std::string name = entry.path().filename().string();
    ++pictures;
    EXPECT_EQ(velmo_test::ReadPng(entry.path()), folder.Shot(name)) << name << ": run make screenshots";
  }
  EXPECT_EQ(pictures, 6);
}

}  // namespace
