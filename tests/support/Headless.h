// Runs velmo-headless in a fresh temporary folder with given files and a
// script, and reads back its screenshots and files. Header-only; for test
// binaries that have VELMO_BINARY_DIR (the build folder).
//
//   velmo_test::HeadlessFolder folder;
//   folder.Write("continue", "PowerOnToday: 1\n");
//   auto run = folder.Run("F7\nshot a.png\n", {.now = "2024-03-05T10:20"});
//   EXPECT_EQ(run.status, 0);
//   velmo_test::Picture a = folder.Shot("a.png");
//   EXPECT_EQ(a.Level(0, 20), 3);
#pragma once

#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace velmo_test {

// A screenshot: 8-bit greys as the hosts show them (255 - 85 x level).
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> grey;

  bool Valid() const { return width > 0 && height > 0; }
  int Grey(int x, int y) const { return grey[static_cast<std::size_t>(y) * width + x]; }
  // Grey level 0 (white) .. 3 (black).
  int Level(int x, int y) const { return (255 - Grey(x, y) + 42) / 85; }
  // Pixels of level `level` in the rectangle.
  int Count(int x, int y, int w, int h, int level) const {
    int n = 0;
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i) n += Level(i, j) == level ? 1 : 0;
    return n;
  }
  // Whether the two pictures agree in the rectangle.
  bool SameIn(const Picture& other, int x, int y, int w, int h) const {
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i)
        if (Grey(i, j) != other.Grey(i, j)) return false;
    return true;
  }
  // Whether the two agree everywhere but in the title line's clock (576, 0,
  // 36 x 20), which shows the real time in a window.
  bool SameButClock(const Picture& other) const {
    constexpr int kClockX = 576, kClockW = 36, kTitleH = 20;
    if (!Valid() || width != other.width || height != other.height || width < kClockX + kClockW) return false;
    return SameIn(other, 0, 0, kClockX, height) && SameIn(other, kClockX, kTitleH, kClockW, height - kTitleH) &&
           SameIn(other, kClockX + kClockW, 0, width - kClockX - kClockW, height);
  }
  bool operator==(const Picture& other) const = default;
};

inline Picture ReadPng(const std::filesystem::path& path) {
  Picture picture;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
  image.format = PNG_FORMAT_GRAY;
  std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return picture;
  }
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  picture.grey = std::move(pixels);
  return picture;
}

inline std::string Quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

inline std::optional<std::string> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline std::filesystem::path BuildDir() { return VELMO_BINARY_DIR; }

// How often `part` stands in `text` (overlaps counted).
inline int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// What follows `key` on its line of a settings file; "<missing>" when no line has it.
inline std::string Value(const std::string& file, const std::string& key) {
  const std::size_t at = file.find("\n" + key);
  if (at == std::string::npos) return "<missing>";
  const std::size_t start = file.find_first_not_of(' ', at + 1 + key.size());
  return file.substr(start, file.find('\n', start) - start);
}

struct Output {
  int status = -1;  // exit status, or -1 when it did not exit normally
  std::string out;  // what it wrote on standard output
};

// A shell command line; what it printed on standard output.
inline Output Capture(const std::string& command) {
  Output result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) result.out += buffer;
  const int raw = pclose(pipe);
  if (raw != -1 && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
  return result;
}

struct RunOptions {
  std::string now = "2024-03-05T10:20:30";  // empty: the real time
  std::vector<std::string> args;             // after "--", to the application
  std::string program = "velmo-headless";    // executable in the build folder
  std::string extra;                         // further options, verbatim
  std::string environment;                   // "NAME=value ..." before the command
};

struct RunResult {
  int status = -1;      // exit status, or -1 when it did not exit normally
  std::string errors;   // what it wrote on stderr
};

// A temporary folder that lives as long as the object.
class HeadlessFolder {
 public:
  HeadlessFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velmo-test-XXXXXX").string();
    if (mkdtemp(pattern.data())) dir_ = pattern;
  }
  ~HeadlessFolder() {
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
  }
  HeadlessFolder(const HeadlessFolder&) = delete;
  HeadlessFolder& operator=(const HeadlessFolder&) = delete;

  const std::filesystem::path& Dir() const { return dir_; }
  // $XDG_STATE_HOME of the programs run here (made when they need it).
  std::filesystem::path StateDir() const { return dir_ / ".state"; }
  std::filesystem::path Path(const std::string& name) const { return dir_ / name; }

  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(Path(name), std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  std::optional<std::string> File(const std::string& name) const { return ReadFile(Path(name)); }
  bool Exists(const std::string& name) const { return std::filesystem::exists(Path(name)); }
  Picture Shot(const std::string& name) const { return ReadPng(Path(name)); }

  // Writes the script and runs the program in the folder.
  RunResult Run(const std::string& script, const RunOptions& options = {}) const {
    Write(".script", script);
    // The folder is the data folder whether or not it holds a record file yet;
    // recovery copies go to the folder's own state folder, never the user's.
    std::string command = "cd " + Quote(dir_.string()) + " && export VELMO_DIR=. XDG_STATE_HOME=" +
                          Quote(StateDir().string()) + " && " + options.environment + " " +
                          Quote((BuildDir() / options.program).string());
    if (options.program == "velmo-headless") {
      if (!options.now.empty()) command += " --now " + options.now;
      command += " --script .script";
    }
    if (!options.extra.empty()) command += " " + options.extra;
    if (!options.args.empty()) {
      command += " --";
      for (const std::string& a : options.args) command += " " + Quote(a);
    }
    command += " 2> .stderr";
    RunResult result;
    const int raw = std::system(command.c_str());
    if (raw != -1 && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
    result.errors = File(".stderr").value_or("");
    return result;
  }

 private:
  std::filesystem::path dir_;
};

// What the headless runner shows after keys on a folder holding only record
// (none when empty), at the real time: what a window should have shown.
inline Picture HeadlessShot(const std::string& keys, const std::string& record = "") {
  HeadlessFolder folder;
  if (!record.empty()) folder.Write("record", record);
  if (folder.Run(keys + "shot s.png\n", {.now = ""}).status != 0) return {};
  return folder.Shot("s.png");
}

}  // namespace velmo_test
