// A fresh working folder per test: Velmo keeps its files in the working
// directory, so the tests of the files it keeps run inside one.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

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
    char pattern[] = "/tmp/velmo-save-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) std::abort();
    path_ = made;
    std::filesystem::current_path(path_);
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
