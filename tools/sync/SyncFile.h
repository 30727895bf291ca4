// The files the sync keeps beside the record file are replaced whole, as
// every file of the data layer is, with the record file's permission bits.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// False when any step failed; the old file is then untouched.
bool SyncFile_Replace(const char* path, const char* likePath, std::string_view bytes);
// The lines of path, without their line feeds. A missing file has none
// (true); one that is there but cannot be read is false with why.
bool SyncFile_ReadLines(const char* path, std::vector<std::string>& lines, std::string& why);
bool SyncFile_Exists(const char* path);
