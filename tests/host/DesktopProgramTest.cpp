// What a desktop user meets before the first screen: --help and --version,
// a clear refusal where there is no display, what make install lays out, and
// the README's pictures, which must still be what the program draws.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/Headless.h"

namespace {

using velmo_test::BuildDir;
using velmo_test::HeadlessFolder;
using velmo_test::Quote;

struct Output {
  int status = -1;
  std::string out;
};

Output Capture(const std::string& command) {
  Output result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) result.out += buffer;
  const int raw = pclose(pipe);
  if (raw != -1 && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
  return result;
}

TEST(DesktopProgram, EveryProgramPrintsItsUsageAndVersionOnStandardOutput) {
  for (const char* program : {"velmo", "velmo-headless", "velmo-cli"}) {
    const std::string path = Quote((BuildDir() / program).string());
    const Output help = Capture(path + " --help 2>/dev/null");
    EXPECT_EQ(help.status, 0) << program;
    EXPECT_EQ(help.out.rfind("usage: " + std::string(program), 0), 0u) << help.out;
    const Output version = Capture(path + " --version 2>/dev/null");
    EXPECT_EQ(version.status, 0) << program;
    EXPECT_NE(version.out.find("1.4.2\n"), std::string::npos) << version.out;
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
                           "share/man/man1/velmo-cli.1"})
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
