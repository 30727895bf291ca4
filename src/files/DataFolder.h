// The one folder that velmo, velmo-headless and velmo-cli keep their files
// in: --folder DIR, else $VELMO_DIR, else the working directory when it
// already holds a record file, else the per-user data folder
// ($XDG_DATA_HOME/velmo, default ~/.local/share/velmo; created on entry).
#pragma once

#include <cstddef>
#include <cstdio>

#include "Capacity.h"

// The rule in words, for the programs' help.
inline constexpr const char* DATA_FOLDER_RULE =
    "The data folder: --folder DIR, else $VELMO_DIR, else the working directory when\n"
    "it holds a record file, else $XDG_DATA_HOME/velmo (default ~/.local/share/velmo).\n";

enum DataFolderSource {
  DATA_FOLDER_OPTION,    // --folder DIR
  DATA_FOLDER_VARIABLE,  // $VELMO_DIR
  DATA_FOLDER_HERE,      // the working directory, which holds a record file
  DATA_FOLDER_HOME,      // the per-user data folder
};

struct DataFolder {
  char path[cap::kFileName];
  DataFolderSource source;
};

// Chooses by the rule above; option is --folder's value or null. Reads the
// working directory's continuation file for the record file's name. False
// (message on standard error, beginning with program) when no folder can be
// named.
bool DataFolder_Choose(const char* program, const char* option, DataFolder& out);
// Creates the per-user folder when it was chosen, then makes the folder the
// working directory. False with a message naming it.
bool DataFolder_Enter(const char* program, const DataFolder& folder);
// Choose and enter.
bool DataFolder_Use(const char* program, const char* option);
// path ("." the working directory, or a file or folder named from it) as an
// absolute path, for telling the user; false when too long or the working
// directory cannot be named.
bool DataFolder_AbsolutePath(const char* path, char* out, std::size_t size);
// Prints the folder the rule chooses as an absolute path, one line on out;
// false (message printed) when there is none.
bool DataFolder_Print(const char* program, const char* option, std::FILE* out);
// "--folder", "$VELMO_DIR", "the working directory holds a record file", ...
const char* DataFolder_SourceText(DataFolderSource source);
