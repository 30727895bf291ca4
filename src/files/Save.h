// Saving and backup: every change of the entries is written at once; the
// record file as it stood at the start of the run is kept once per run as
// "<record>.bak" (a copy, so a complete record file always exists).
#pragma once

// Start of a run, after Record_Load: modified and backupMade off; if the load
// stopped at a damaged record (or the file is there but could not be read),
// the next save first keeps the whole file as "<record>.damaged" (".damaged.N"
// when that exists; an unreadable file is moved there) and the user is told now.
void Data_StartRun();

// After every change of the entries: with immediateSave on, saves at once (a
// failed save leaves modified on, the next change, the save command or
// shutdown tries again, and is told once); then Store_Invalidate. The store
// reaches it through Store_SetChangeHook.
void Data_Changed();

// The save command: saves when modified, then tells the outcome
// ("ファイルに保存しました" or "保存に失敗しました"). Returns the outcome.
bool Data_SaveCommand();

// Shutdown: saves when modified. True when nothing is left unsaved.
bool Data_SaveIfModified();

// Copies the record file to its backup once per run, before this run first
// replaces it. True when the backup of this run exists (or there was no record
// file to keep); false, and never tried again, once a save went ahead without it.
bool Data_Backup();

// The backup's name ("%s.bak" of the record file); false when it does not fit.
bool Data_BackupPath(char* out, unsigned size);

// Flags (BrowseState reads them through these).
bool Data_Modified();
void Data_SetModified(bool on);
bool Data_BackupMade();
void Data_SetBackupMade(bool on);
void Data_SetImmediateSave(bool on);

// Name of the damaged-file copy made in this run (empty when none).
const char* Data_DamagedCopyPath();
