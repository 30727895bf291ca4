#include "files/Files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "files/SaveFolder.h"

namespace {

using savefolder::Exists;
using savefolder::Read;
using savefolder::Write;

bool Puts(std::FILE* f, const char* text) { return std::fputs(text, f) >= 0; }

// Every writer of the data layer replaces its file this one way: a written,
// synced temporary renamed into place, the older file kept whole on failure.
TEST(Files, AFileIsReplacedWholeOrNotAtAll) {
  savefolder::Folder folder;
  Write("out", "old");
  Write("out.tmp", "left by a kill");
  EXPECT_TRUE(Files_ReplaceWhole("out", nullptr, [](std::FILE* f) { return Puts(f, "new"); }));
  EXPECT_EQ(Read("out"), "new");
  EXPECT_FALSE(Exists("out.tmp"));

  // A writer that fails: the older file stays, no temporary is left.
  EXPECT_FALSE(Files_ReplaceWhole("out", nullptr, [](std::FILE* f) { return Puts(f, "half") && false; }));
  EXPECT_EQ(Read("out"), "new");
  EXPECT_FALSE(Exists("out.tmp"));

  // Placing never goes over another file.
  errno = 0;
  EXPECT_FALSE(Files_PlaceWhole("out", nullptr, [](std::FILE* f) { return Puts(f, "other"); }));
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(Read("out"), "new");
  EXPECT_FALSE(Exists("out.tmp"));
  EXPECT_TRUE(Files_PlaceWhole("free", nullptr, [](std::FILE* f) { return Puts(f, "placed"); }));
  EXPECT_EQ(Read("free"), "placed");

  EXPECT_FALSE(Files_ReplaceWhole(nullptr, nullptr, [](std::FILE*) { return true; }));
  EXPECT_FALSE(Files_ReplaceWhole(std::string(300, 'n').c_str(), nullptr, [](std::FILE*) { return true; }));
}

#ifndef _WIN32
TEST(Files, TheNewFileHasThePermissionBitsOfTheFileItIsLike) {
  savefolder::Folder folder;
  Write("private", "x");
  ASSERT_EQ(chmod("private", 0600), 0);
  ASSERT_TRUE(Files_ReplaceWhole("copy", "private", [](std::FILE* f) { return Puts(f, "y"); }));
  struct stat st{};
  ASSERT_EQ(stat("copy", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}
#endif

}  // namespace
