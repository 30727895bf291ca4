// sync.conf beside the record file: UTF-8 "key = value" lines (url, user,
// password_command), comments and blank lines kept as they are when it is
// rewritten, with the record file's permission bits. No password is ever
// written to it; the password comes from ~/.netrc (or $NETRC), else the
// output of password_command, else $VELMO_SYNC_PASSWORD.
#pragma once

#include <string>
#include <vector>

struct SyncConf {
  std::vector<std::string> lines;  // the file as read, each line without its line feed
};

// Reads path; a missing file is an empty conf (true). False with why when
// it cannot be read or a line is neither a comment, blank, nor key = value.
bool SyncConf_Load(const char* path, SyncConf& conf, std::string& why);
// The value of key, or empty.
std::string SyncConf_Get(const SyncConf& conf, const char* key);
// Sets key to value, in its line when there is one, else in a new line.
// False (nothing set) for a value with a line break, which would make a line of its own.
bool SyncConf_Set(SyncConf& conf, const char* key, const std::string& value);
// Writes conf to path as a whole (SyncFile_Replace). False when not written.
bool SyncConf_Save(const char* path, const char* likePath, const SyncConf& conf);

// The password for user at host. false with why when there is none.
bool SyncConf_Password(const SyncConf& conf, const std::string& host, const std::string& user,
                       std::string& password, std::string& why);
