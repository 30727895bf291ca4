#include "files/RecordLock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "files/SaveFolder.h"
#include "platform/Platform.h"

namespace {

// A lock belongs to an open file: a second lock of the file in this process
// stands for another program.
TEST(RecordLock, OneHolderAtATimeNeverWaitingAndNothingWithoutAFolder) {
  savefolder::Folder folder;
  savefolder::Write("record", "x");
#ifndef _WIN32  // Windows files carry no permission bits
  ASSERT_EQ(chmod("record", 0600), 0);
#endif
  EXPECT_EQ(RecordLock_Acquire("record"), RECORD_LOCK_HELD);
  EXPECT_EQ(RecordLock_Acquire("record"), RECORD_LOCK_HELD);  // already ours
#ifndef _WIN32
  struct stat st{};
  ASSERT_EQ(stat("record.lock", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);  // as private as the record file
#endif
  PlatformLock other;
  EXPECT_EQ(Platform_Lock("record.lock", "record", other), PLATFORM_LOCK_BUSY);
  RecordLock_Release();
  ASSERT_EQ(Platform_Lock("record.lock", "record", other), PLATFORM_LOCKED);
  EXPECT_EQ(RecordLock_Acquire("record"), RECORD_LOCK_BUSY);
  Platform_Unlock(other);  // as the system does for a killed holder
  EXPECT_EQ(RecordLock_Acquire("record"), RECORD_LOCK_HELD);
  EXPECT_EQ(RecordLock_Acquire("missing/record"), RECORD_LOCK_UNAVAILABLE);
  RecordLock_Release();
  char path[16];
  EXPECT_FALSE(RecordLock_Path("a-long-record-name", path, sizeof path));
}

}  // namespace
