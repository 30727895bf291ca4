#include "files/DataFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/Record.h"
#include "files/Settings.h"
#include "platform/Platform.h"

namespace {

constexpr const char* kVariable = "VELMO_DIR";
constexpr const char* kHomeFolder = "velmo";

bool Copy(char* out, std::size_t size, const char* text) {
  return std::snprintf(out, size, "%s", text) < static_cast<int>(size);
}

// The record file the working directory's continuation file names (by
// default "record"), as Velmo would open it there.
bool HoldsRecord() {
  Settings_Load();
  const bool holds = Platform_Exists(Record_Path());
  Settings_ApplyDefaults();
  return holds;
}

}  // namespace

bool DataFolder_Choose(const char* program, const char* option, DataFolder& out) {
  const char* variable = std::getenv(kVariable);
  bool fits = true;
  if (option != nullptr) {
    out.source = DATA_FOLDER_OPTION;
    fits = Copy(out.path, sizeof out.path, option);
  } else if (variable != nullptr && *variable != '\0') {
    out.source = DATA_FOLDER_VARIABLE;
    fits = Copy(out.path, sizeof out.path, variable);
  } else if (HoldsRecord()) {
    out.source = DATA_FOLDER_HERE;
    fits = Copy(out.path, sizeof out.path, ".");
  } else {
    out.source = DATA_FOLDER_HOME;
    char base[cap::kFileName];
    if (!Platform_DataHome(base, sizeof base)) {
      std::fprintf(stderr, "%s: no home folder to keep the data in; name one with --folder DIR or $%s\n", program,
                   kVariable);
      return false;
    }
    fits = std::snprintf(out.path, sizeof out.path, "%s/%s", base, kHomeFolder) < static_cast<int>(sizeof out.path);
  }
  if (!fits) std::fprintf(stderr, "%s: the folder's name is longer than %zu bytes\n", program, cap::kFileName - 1);
  return fits;
}

bool DataFolder_Enter(const char* program, const DataFolder& folder) {
  if (folder.source == DATA_FOLDER_HOME && !Platform_MakeFolders(folder.path)) {
    std::fprintf(stderr, "%s: cannot make the folder %s: %s\n", program, folder.path, std::strerror(errno));
    return false;
  }
  if (Platform_EnterFolder(folder.path)) return true;
  std::fprintf(stderr, "%s: cannot work in %s (%s): %s\n", program, folder.path,
               DataFolder_SourceText(folder.source), std::strerror(errno));
  return false;
}

bool DataFolder_Use(const char* program, const char* option) {
  DataFolder folder;
  return DataFolder_Choose(program, option, folder) && DataFolder_Enter(program, folder);
}

bool DataFolder_AbsolutePath(const char* given, char* out, std::size_t size) {
  if (Platform_IsAbsolute(given)) return Copy(out, size, given);
  char here[cap::kFileName];
  if (!Platform_CurrentFolder(here, sizeof here)) return false;
  if (std::strcmp(given, ".") == 0) return Copy(out, size, here);
  const char* path = std::strncmp(given, "./", 2) == 0 ? given + 2 : given;
  const bool slash = here[0] != '\0' && (here[std::strlen(here) - 1] == '/' || here[std::strlen(here) - 1] == '\\');
  return std::snprintf(out, size, "%s%s%s", here, slash ? "" : "/", path) < static_cast<int>(size);
}

bool DataFolder_Print(const char* program, const char* option, std::FILE* out) {
  DataFolder folder;
  char path[cap::kFileName];
  if (!DataFolder_Choose(program, option, folder)) return false;
  if (!DataFolder_AbsolutePath(folder.path, path, sizeof path)) {
    std::fprintf(stderr, "%s: the working directory cannot be named\n", program);
    return false;
  }
  std::fprintf(out, "%s\n", path);
  return true;
}

const char* DataFolder_SourceText(DataFolderSource source) {
  switch (source) {
    case DATA_FOLDER_OPTION: return "--folder";
    case DATA_FOLDER_VARIABLE: return "$VELMO_DIR";
    case DATA_FOLDER_HERE: return "the working directory holds a record file";
    case DATA_FOLDER_HOME: return "the per-user data folder";
  }
  return "";
}
