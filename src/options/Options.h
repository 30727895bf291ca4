// The one reader of every program's command line: each program and each
// velmo-cli command names its options as a const table of rows and switches
// on the row ids the reader hands back, one word at a time.
//
//   OptionReader reader{argc, argv};
//   OptionItem item;
//   while (Options_Next(reader, kRows, item)) switch (item.id) { ... }
//   if (reader.status != OPTIONS_END) return Options_Fail(...);
#pragma once

#include <cstdio>
#include <span>

// Ids every table shares; a table's own ids are positive.
inline constexpr int OPTION_OPERAND = 0;  // a word that is no option (value: the word)
inline constexpr int OPTION_HELP = -1;    // --help, known to every table

struct OptionRow {
  int id;
  const char* name;   // "--json", or a short "-i"
  const char* value;  // the value's placeholder ("N"); null: the option takes none
  const char* help;   // one line for the help text
};

enum OptionsStatus {
  OPTIONS_MORE,           // reading
  OPTIONS_END,            // every word read
  OPTIONS_UNKNOWN,        // word begins with '-' and is in no row
  OPTIONS_MISSING_VALUE,  // an option that takes a value ended the line
  OPTIONS_UNWANTED_VALUE, // --flag=value for an option that takes none
};

struct OptionReader {
  int argc;
  char** argv;
  int next = 0;
  bool operandsOnly = false;  // after "--"
  OptionsStatus status = OPTIONS_MORE;
  const char* word = nullptr;  // the word read last (named by Options_Fail)
};

struct OptionItem {
  int id = OPTION_OPERAND;
  char* value = nullptr;  // the option's value, or the operand
  const OptionRow* row = nullptr;
};

// The next option or operand of the line; false at the end or at a fault
// (reader.status tells which). A value is the next word ("--days 7") or
// follows '=' ("--days=7"); after "--" every word is an operand.
bool Options_Next(OptionReader& reader, std::span<const OptionRow> rows, OptionItem& item);

// "PROGRAM: unknown option --x" (or its missing value) on standard error;
// returns status.
int Options_Fail(const char* program, const OptionReader& reader, int status);
// "PROGRAM: why" on standard error; returns status.
int Options_Refuse(const char* program, const char* why, int status);

// The usage line, then the rows, one an indented line, then the tail (may be null).
void Options_PrintHelp(std::FILE* out, const char* usage, std::span<const OptionRow> rows, const char* tail);
