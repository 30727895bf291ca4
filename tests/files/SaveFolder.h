// A fresh working folder per test: Velmo keeps its files in the working
// directory, so the tests of the files it keeps run inside one.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace savefolder {

class Folder {
 public:
  Folder() {
    old_ = std::filesystem::current_path();
    path_ = MakeTemporary("velmo-save");
    std::filesystem::current_path(path_);
  }
  // A new folder in the system's temporary folder, on Linux and Windows.
  static std::filesystem::path MakeTemporary(const char* prefix) {
    static std::atomic<unsigned> serial{0};
    const auto base = std::filesystem::temp_directory_path();
    const auto seed = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (unsigned tries = 0; tries < 1000; ++tries) {
      const auto path = base / (std::string(prefix) + "-" + std::to_string(seed % 1000000) + "-" +
                                std::to_string(serial++));
      std::error_code error;
      if (std::filesystem::create_directory(path, error)) return path;
    }
    std::abort();
  }
  ~Folder() {
    std::filesystem::current_path(old_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

 private:
  std::filesystem::path old_;
  std::filesystem::path path_;
};

inline std::string Read(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void Write(const std::string& name, const std::string& bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out << bytes;
}

inline bool Exists(const std::string& name) { return std::filesystem::exists(name); }

}  // namespace savefolder
