// The run lock: one program at a time may change a record file. It is an
// advisory lock (flock; LockFileEx on Windows) on "<record>.lock" beside the
// record file, held from start-up to exit; the system drops it when the
// process ends, however it ends, so a killed run never blocks the next one. The lock file stays.
// Readers (velmo-cli dump, agenda) do not take it; whatever writes the record
// file does, at start, and never waits for it.
#pragma once

enum RecordLockResult {
  RECORD_LOCK_HELD,         // this process holds the lock now
  RECORD_LOCK_BUSY,         // another process holds it: do not write the record file
  RECORD_LOCK_UNAVAILABLE,  // no lock file can be made (e.g. a read-only folder): nobody can lock
};

// Takes the lock for recordPath without waiting. Taking it again for the
// same path while held gives RECORD_LOCK_HELD; a lock held for another path
// is released first.
RecordLockResult RecordLock_Acquire(const char* recordPath);
// Gives the lock up (nothing when none is held).
void RecordLock_Release();
// The lock file's name for recordPath ("%s.lock"); false when it does not fit.
bool RecordLock_Path(const char* recordPath, char* out, unsigned size);
