// The files the sync keeps beside the record file are written one way: whole,
// into a temporary file with the record file's permission bits, flushed to
// disk, then put in place of the old one in one step.
#pragma once

#include <string_view>

// False when any step failed; the old file is then untouched.
bool SyncFile_Replace(const char* path, const char* likePath, std::string_view bytes);
bool SyncFile_Exists(const char* path);
