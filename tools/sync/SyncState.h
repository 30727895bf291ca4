// What the last sync agreed with the server, kept beside the record file:
// the collection, its sync token, and per UID the href, the ETag and the
// fingerprint of the version both sides held, and whether Velmo could not
// hold the server's item exactly. Rewritten whole and put in place in one
// step, so a kill leaves the old state or the new one.
#pragma once

#include <map>
#include <string>

struct SyncItem {
  std::string href;
  std::string etag;
  std::string fingerprint;  // of the agreed version, in Velmo's terms
  bool inexact = false;     // the server's item holds more than Velmo keeps
  bool operator==(const SyncItem&) const = default;
};

struct SyncState {
  std::string url;         // where discovery started, as the user named it
  std::string collection;  // the calendar it found; empty: never synced
  std::string token;       // empty: no sync report yet
  std::map<std::string, SyncItem> items;  // by UID
  bool operator==(const SyncState&) const = default;
};

// Reads path into state. A missing file is an empty state (true); a file
// that is not a sync state, or is cut short, is false with why, so that a
// damaged state is never taken for "never synced".
bool SyncState_Load(const char* path, SyncState& state, std::string& why);
// Writes state to path through a temporary file beside it, with likePath's
// permission bits (the record file's), flushed to disk before it replaces
// the old state. False when it could not be written (the old one stays).
bool SyncState_Save(const char* path, const char* likePath, const SyncState& state);
