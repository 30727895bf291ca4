#include "options/Options.h"

#include <cstring>

namespace {

constexpr OptionRow kHelpRow{OPTION_HELP, "--help", nullptr, "this help"};

const OptionRow* Find(std::span<const OptionRow> rows, const char* word, std::size_t length) {
  for (const OptionRow& row : rows)
    if (std::strlen(row.name) == length && std::strncmp(row.name, word, length) == 0) return &row;
  if (length == 6 && std::strncmp(word, kHelpRow.name, length) == 0) return &kHelpRow;
  return nullptr;
}

bool Stop(OptionReader& reader, OptionsStatus status) {
  reader.status = status;
  return false;
}

}  // namespace

bool Options_Next(OptionReader& reader, std::span<const OptionRow> rows, OptionItem& item) {
  if (reader.status != OPTIONS_MORE) return false;
  if (reader.next >= reader.argc) return Stop(reader, OPTIONS_END);
  char* word = reader.argv[reader.next++];
  reader.word = word;
  item = OptionItem{};
  if (!reader.operandsOnly && std::strcmp(word, "--") == 0) {
    reader.operandsOnly = true;
    return Options_Next(reader, rows, item);
  }
  // "-" alone is an operand (standard input, by custom).
  if (reader.operandsOnly || word[0] != '-' || word[1] == '\0') {
    item.value = word;
    return true;
  }
  char* equals = word[1] == '-' ? std::strchr(word, '=') : nullptr;
  const std::size_t length = equals ? static_cast<std::size_t>(equals - word) : std::strlen(word);
  item.row = Find(rows, word, length);
  if (item.row == nullptr) return Stop(reader, OPTIONS_UNKNOWN);
  item.id = item.row->id;
  if (item.row->value == nullptr) return equals ? Stop(reader, OPTIONS_UNWANTED_VALUE) : true;
  if (equals) {
    item.value = equals + 1;
  } else if (reader.next < reader.argc) {
    item.value = reader.argv[reader.next++];
  } else {
    return Stop(reader, OPTIONS_MISSING_VALUE);
  }
  return true;
}

int Options_Refuse(const char* program, const char* why, int status) {
  std::fprintf(stderr, "%s: %s\n", program, why);
  return status;
}

int Options_Fail(const char* program, const OptionReader& reader, int status) {
  const char* word = reader.word ? reader.word : "";
  switch (reader.status) {
    case OPTIONS_UNKNOWN: std::fprintf(stderr, "%s: unknown option %s (see --help)\n", program, word); break;
    case OPTIONS_MISSING_VALUE: std::fprintf(stderr, "%s: %s wants a value\n", program, word); break;
    case OPTIONS_UNWANTED_VALUE:
      std::fprintf(stderr, "%s: %.*s takes no value\n", program, static_cast<int>(std::strcspn(word, "=")), word);
      break;
    default: break;
  }
  return status;
}

void Options_PrintHelp(std::FILE* out, const char* usage, std::span<const OptionRow> rows, const char* tail) {
  std::fputs(usage, out);
  for (const OptionRow& row : rows) {
    char left[40];
    std::snprintf(left, sizeof left, "%s%s%s", row.name, row.value ? " " : "", row.value ? row.value : "");
    std::fprintf(out, "  %-22s %s\n", left, row.help);
  }
  std::fprintf(out, "  %-22s %s\n", kHelpRow.name, kHelpRow.help);
  if (tail != nullptr) std::fputs(tail, out);
}
