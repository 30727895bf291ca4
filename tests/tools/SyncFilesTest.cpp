// The files the sync keeps beside the record file: the sync state and
// sync.conf, read back as written, with the record file's permission bits,
// never mistaken for "never synced" when damaged; and where the password
// comes from, in its order.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "SyncConf.h"
#include "SyncState.h"
#include "files/SaveFolder.h"

namespace {

using savefolder::Read;
using savefolder::Write;

mode_t Bits(const char* path) {
  struct stat st {};
  return stat(path, &st) == 0 ? (st.st_mode & 0777) : 0;
}

TEST(SyncFilesTest, StateRoundTripBitsAndDamage) {
  savefolder::Folder folder;
  std::string why;
  SyncState state;
  // No file yet: never synced.
  ASSERT_TRUE(SyncState_Load("record.sync", state, why));
  EXPECT_TRUE(state.collection.empty());
  state.url = "http://127.0.0.1:5232/alice/";
  state.collection = "http://127.0.0.1:5232/alice/cal/";
  state.token = "http://radicale.org/ns/sync/abc";
  // Fields holding the separators of the file itself come back whole.
  state.items["a\tb%c@x"] = SyncItem{"/alice/cal/a%40b.ics", "\"e1\"", "0123abcd", true};
  state.items["plain"] = SyncItem{"/alice/cal/plain.ics", "W/\"e\nx\"", "", false};
  Write("record", "");
  chmod("record", 0600);
  ASSERT_TRUE(SyncState_Save("record.sync", "record", state));
  EXPECT_EQ(Bits("record.sync"), 0600u);
  EXPECT_FALSE(savefolder::Exists("record.sync.tmp"));
  SyncState back;
  ASSERT_TRUE(SyncState_Load("record.sync", back, why)) << why;
  EXPECT_EQ(back, state);
  // Cut short, a foreign file, a UID twice, a bad escape: refused, not taken as empty.
  const std::string whole = Read("record.sync");
  const std::string damaged[] = {
      whole.substr(0, whole.size() - 4), "", "not a state\n", whole + "item\tx\n",
      "velmo-sync-state 1\nitem\tu\th\te\tf\t0\nitem\tu\th\te\tf\t0\nend\n",
      "velmo-sync-state 1\nitem\tu%4\th\te\tf\t0\nend\n", "velmo-sync-state 1\nitem\tu\th\te\tf\t2\nend\n"};
  for (const std::string& bytes : damaged) {
    Write("record.sync", bytes);
    EXPECT_FALSE(SyncState_Load("record.sync", back, why)) << bytes;
    EXPECT_FALSE(why.empty());
    EXPECT_TRUE(back.items.empty());
  }
  // A state that cannot be written leaves the old one in place.
  Write("record.sync", whole);
  ASSERT_EQ(mkdir("record.sync.tmp", 0700), 0);
  ASSERT_EQ(mkdir("record.sync.tmp/x", 0700), 0);
  EXPECT_FALSE(SyncState_Save("record.sync", "record", SyncState{}));
  EXPECT_EQ(Read("record.sync"), whole);
}

TEST(SyncFilesTest, ConfKeepsItsLinesAndThePasswordComesInOrder) {
  savefolder::Folder folder;
  std::string why;
  Write("record", "");
  chmod("record", 0640);
  Write("sync.conf", "# mine\nurl = http://old/\n\n  user=alice  \n");
  SyncConf conf;
  ASSERT_TRUE(SyncConf_Load("sync.conf", conf, why)) << why;
  EXPECT_EQ(SyncConf_Get(conf, "url"), "http://old/");
  EXPECT_EQ(SyncConf_Get(conf, "user"), "alice");
  EXPECT_TRUE(SyncConf_Set(conf, "url", "http://127.0.0.1:5232/alice/"));
  EXPECT_TRUE(SyncConf_Set(conf, "password_command", "printf 'se cret\\n\\n'"));
  EXPECT_FALSE(SyncConf_Set(conf, "user", "bob\npassword_command = evil"));  // no line of its own
  ASSERT_TRUE(SyncConf_Save("sync.conf", "record", conf));
  EXPECT_EQ(Read("sync.conf"),
            "# mine\nurl = http://127.0.0.1:5232/alice/\n\n  user=alice  \npassword_command = printf 'se cret\\n\\n'\n");
  EXPECT_EQ(Bits("sync.conf"), 0640u);
  Write("bad.conf", "url = x\njust words\n");
  EXPECT_FALSE(SyncConf_Load("bad.conf", conf, why));
  EXPECT_NE(why.find("bad.conf:2"), std::string::npos) << why;

  // netrc first, then the command (one line feed stripped, no more), then the environment.
  ASSERT_TRUE(SyncConf_Load("sync.conf", conf, why));
  Write("netrc", "machine other login alice password nope\nmachine 127.0.0.1\n login alice\n password fromnetrc\n");
  setenv("NETRC", "netrc", 1);
  setenv("VELMO_SYNC_PASSWORD", "fromenv", 1);
  std::string password;
  ASSERT_TRUE(SyncConf_Password(conf, "127.0.0.1", "alice", password, why));
  EXPECT_EQ(password, "fromnetrc");
  ASSERT_TRUE(SyncConf_Password(conf, "127.0.0.1", "bob", password, why));
  EXPECT_EQ(password, "se cret\n");
  SyncConf_Set(conf, "password_command", "exit 3");
  EXPECT_FALSE(SyncConf_Password(conf, "127.0.0.1", "bob", password, why));
  EXPECT_NE(why.find("password_command"), std::string::npos);
  SyncConf_Set(conf, "password_command", "");
  ASSERT_TRUE(SyncConf_Password(conf, "127.0.0.1", "bob", password, why));
  EXPECT_EQ(password, "fromenv");
  unsetenv("VELMO_SYNC_PASSWORD");
  EXPECT_FALSE(SyncConf_Password(conf, "127.0.0.1", "bob", password, why));
  EXPECT_NE(why.find("VELMO_SYNC_PASSWORD"), std::string::npos);
  Write("netrc", "default login bob password any\n");
  ASSERT_TRUE(SyncConf_Password(conf, "127.0.0.1", "bob", password, why));
  EXPECT_EQ(password, "any");
  unsetenv("NETRC");
}

}  // namespace
