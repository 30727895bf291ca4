// velmo-web: Velmo on a web page (velmo.js and velmo.wasm, loaded by
// index.html and page.js); the browser host handed the application's entry
// point and velmo-cli's iCalendar commands. The page mounts the working
// folder, kept in the browser's storage, before main runs.
//
//   arguments (from the page's address): [--now YYYY-MM-DDTHH:MM]
#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Cli.h"
#include "CliData.h"
#include "IcsExport.h"
#include "host/web/WebHost.h"
#include "shell/Velmo.h"

namespace {

constexpr const char* kFolder = "/velmo";
// The calendar files the page's "open" put here before it reloaded (page.js).
constexpr const char* kImports = "/velmo/import";
constexpr const char* kImportTitle = "iCalendar import";

// Each waiting calendar file into the record as velmo-cli import-ics does,
// before Velmo starts on it; what the import tells is shown on the page.
void ImportWaiting() {
  DIR* dir = opendir(kImports);
  if (dir == nullptr) return;
  std::vector<std::string> names;
  while (const dirent* d = readdir(dir)) {
    if (d->d_name[0] != '.') names.emplace_back(d->d_name);
  }
  closedir(dir);
  CliData_SetFolderOption(kFolder);
  for (std::string& name : names) {
    // From the calendars' folder, so that what is told names the file as the user chose it.
    if (chdir(kImports) != 0) break;
    WebHost_BeginOutput(kImportTitle);
    char* args[] = {name.data(), nullptr};
    Cli_ImportIcs(1, args);
    WebHost_ShowOutput();
    std::remove((std::string(kImports) + "/" + name).c_str());
  }
  rmdir(kImports);
  WebHost_Flush();
}

// The record in the store as the iCalendar file velmo-cli export-ics writes.
bool ExportIcs(const char* path) {
  const std::string text = IcsExport_Text();
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && written;
}

// YYYY-MM-DDTHH:MM, the browser's local time.
bool SetNow(const char* text) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, used = 0;
  if (std::sscanf(text, "%4d-%2d-%2dT%2d:%2d%n", &y, &mo, &d, &h, &mi, &used) != 5 || text[used] != '\0') return false;
  return WebHost_SetNow(y, mo, d, h, mi);
}

}  // namespace

int main(int argc, char** argv) {
  const char* failure = nullptr;
  if (!WebHost_Install(&failure)) std::fprintf(stderr, "velmo: %s\n", failure);
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--now") == 0 && !SetNow(argv[i + 1])) {
      std::fprintf(stderr, "velmo: --now wants YYYY-MM-DDTHH:MM; the clock is the browser's\n");
    }
  }
  ImportWaiting();
  if (chdir(kFolder) != 0) std::fprintf(stderr, "velmo: no working folder %s\n", kFolder);
  WebHost_SetExportHook(ExportIcs);
  static char program[] = "velmo";
  char* appArgs[] = {program, nullptr};
  const int status = Velmo_Main(1, appArgs);
  WebHost_Flush();
  WebHost_Ended(status);
  return status;
}
