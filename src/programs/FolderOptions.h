// The options of the programs that keep Velmo's files in the data folder
// (velmo, velmo-headless): their rows and their help's closing rule.
#pragma once
#include <cstdio>
#include <span>

#include "files/DataFolder.h"
#include "options/Options.h"

// A program's own ids follow FOLDER_OPTIONS_NEXT.
enum FolderOption { FOLDER_OPT_FOLDER = 1, FOLDER_OPT_WHERE, FOLDER_OPTIONS_NEXT };
inline constexpr OptionRow FolderOptions_kFolder{FOLDER_OPT_FOLDER, "--folder", "DIR",
                                                 "keep the files in DIR (the rule below)"};
inline constexpr OptionRow FolderOptions_kWhere{FOLDER_OPT_WHERE, "--where", nullptr, "print the data folder and end"};

inline void FolderOptions_Help(const char* usage, std::span<const OptionRow> rows, const char* tail) {
  Options_PrintHelp(stdout, usage, rows, tail);
  std::fputs(DATA_FOLDER_RULE, stdout);
}
