#include "files/Recovery.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "Capacity.h"
#include "calendar/Date.h"
#include "files/Record.h"
#include "platform/Platform.h"

namespace {

constexpr const char* kList = "recovered";
constexpr int kNameTries = 100;

bool Fits(int n, std::size_t size) { return n > 0 && static_cast<std::size_t>(n) < size; }

// Only an absolute name is a place of its own; a relative one would follow
// the working folder, which is the record file's.
bool Absolute(const char* path) { return path != nullptr && Platform_IsAbsolute(path); }

bool Join(char* out, std::size_t size, const char* folder, const char* name) {
  return Fits(std::snprintf(out, size, "%s/%s", folder, name), size);
}

// The first free name of this minute.
bool FreeName(const char* folder, char* out, std::size_t size) {
  std::uint16_t year = 0, month = 0, mday = 0;
  std::uint8_t hour = 0, minute = 0;
  Date_Now(year, month, mday, hour, minute);
  char stem[40];
  std::snprintf(stem, sizeof stem, "record-%04u%02u%02u-%02u%02u", unsigned{year}, unsigned{month},
                unsigned{mday}, unsigned{hour}, unsigned{minute});
  for (int i = 1; i <= kNameTries; ++i) {
    char name[48];
    std::snprintf(name, sizeof name, i == 1 ? "%s" : "%s-%d", stem, i);
    if (!Join(out, size, folder, name)) return false;
    if (!Platform_Exists(out)) return true;
  }
  return false;
}

// The record file it stands for, by an absolute name when there is one.
void OriginOf(char* out, std::size_t size) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(Record_Path(), error);
  std::snprintf(out, size, "%s", error ? Record_Path() : full.string().c_str());
}

void List(const char* folder, const char* copy) {
  char list[cap::kFileName];
  if (!Join(list, sizeof list, folder, kList)) return;
  char from[cap::kFileName];
  OriginOf(from, sizeof from);
  std::FILE* f = std::fopen(list, "a");
  if (f == nullptr) return;
  std::fprintf(f, "%s\t%s\n", copy, from);
  std::fclose(f);
}

}  // namespace

bool Recovery_Folder(char* out, std::size_t size) {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (Absolute(state)) return Fits(std::snprintf(out, size, "%s/velmo", state), size);
  const char* home = std::getenv("HOME");
#ifdef _WIN32
  if (!Absolute(home)) home = std::getenv("LOCALAPPDATA");
  if (Absolute(home)) return Fits(std::snprintf(out, size, "%s/velmo/state", home), size);
#else
  if (Absolute(home)) return Fits(std::snprintf(out, size, "%s/.local/state/velmo", home), size);
#endif
  return false;
}

bool Recovery_Write(char* out, std::size_t size) {
  if (size > 0) out[0] = '\0';
  char folder[cap::kFileName];
  char path[cap::kFileName];
  if (!Recovery_Folder(folder, sizeof folder) || !Platform_MakeFolders(folder)) return false;
  if (!FreeName(folder, path, sizeof path) || !Record_WriteWhole(path, Record_BuildImage())) return false;
  List(folder, path);
  return Fits(std::snprintf(out, size, "%s", path), size);
}

int Recovery_TakeListed(RecoveryFn each, void* context) {
  char folder[cap::kFileName];
  char list[cap::kFileName];
  if (!Recovery_Folder(folder, sizeof folder) || !Join(list, sizeof list, folder, kList)) return 0;
  std::FILE* f = std::fopen(list, "r");
  if (f == nullptr) return 0;
  int count = 0;
  char line[2 * cap::kFileName];
  while (std::fgets(line, sizeof line, f) != nullptr) {
    line[std::strcspn(line, "\n")] = '\0';
    char* tab = std::strchr(line, '\t');
    if (line[0] == '\0') continue;
    RecoveryCopy copy{};
    if (tab != nullptr) *tab = '\0';
    constexpr int kMost = static_cast<int>(cap::kFileName) - 1;
    std::snprintf(copy.path, sizeof copy.path, "%.*s", kMost, line);
    std::snprintf(copy.from, sizeof copy.from, "%.*s", kMost, tab != nullptr ? tab + 1 : "");
    if (each != nullptr) each(copy, context);
    ++count;
  }
  std::fclose(f);
  std::remove(list);
  return count;
}
