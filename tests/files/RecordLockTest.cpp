#include "files/RecordLock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/SaveFolder.h"

namespace {

// flock locks belong to an open file: a second open in this process stands
// for another program.
TEST(RecordLock, OneHolderAtATimeNeverWaitingAndNothingWithoutAFolder) {
  savefolder::Folder folder;
  savefolder::Write("record", "x");
  ASSERT_EQ(chmod("record", 0600), 0);
  EXPECT_EQ(RecordLock_Acquire("record"), RECORD_LOCK_HELD);
  EXPECT_EQ(RecordLock_Acquire("record"), RECORD_LOCK_HELD);  // already ours
  struct stat st{};
  ASSERT_EQ(stat("record.lock", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);  // as private as the record file
  const int other = open("record.lock", O_RDWR);
  ASSERT_GE(other, 0);
  EXPECT_NE(flock(other, LOCK_EX | LOCK_NB), 0);
  RecordLock_Release();
  ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(RecordLock_Acquire("record"), RECORD_LOCK_BUSY);
  close(other);  // as the kernel does for a killed holder
  EXPECT_EQ(RecordLock_Acquire("record"), RECORD_LOCK_HELD);
  EXPECT_EQ(RecordLock_Acquire("missing/record"), RECORD_LOCK_UNAVAILABLE);
  RecordLock_Release();
  char path[16];
  EXPECT_FALSE(RecordLock_Path("a-long-record-name", path, sizeof path));
}

}  // namespace
