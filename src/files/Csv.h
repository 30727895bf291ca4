// The CSV export: every task, schedule and holiday as one line of "task.csv"
// for other programs. The caller asks for confirmation and shows the outcome.
#pragma once

#include <cstdio>

#include "store/Store.h"

inline constexpr const char* CSV_FILE_NAME = "task.csv";

// Writes every entry (table order, whatever the label filter) to path through
// a temporary file renamed over it, so a failed export leaves the previous
// file as it was. True only when every byte was written and the file replaced.
bool Csv_ExportTo(const char* path);
// The export command's work: Csv_ExportTo(CSV_FILE_NAME).
bool Csv_Export();

// Writes the entry's line (nothing for kinds other than task, schedule and
// holiday). False when a write failed.
bool Csv_WriteEntry(std::FILE* file, const Entry& entry);
