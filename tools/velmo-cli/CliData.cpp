#include "CliData.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <span>

#include "Sjis.h"
#include "files/DataFolder.h"
#include "files/Identity.h"
#include "files/Record.h"
#include "files/RecordLock.h"
#include "files/Save.h"
#include "files/Settings.h"
#include "store/Label.h"
#include "store/MonthRec.h"

namespace {

DateClock fixedClock;
const char* folderOption = nullptr;
bool folderEntered = false;

void FixedClock(DateClock& out) { out = fixedClock; }

bool Digits(std::string_view text, long& out) {
  out = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    out = out * 10 + (c - '0');
  }
  return !text.empty();
}

// Copies bytes into the byte pool; null for an empty text.
char* PoolCopy(std::string_view bytes, bool& ok) {
  if (bytes.empty()) return nullptr;
  char* at = Store_AllocBytes(bytes.size());
  ok = at != nullptr;
  if (at != nullptr) std::memcpy(at, bytes.data(), bytes.size());
  return at;
}

// CLI_EXIT_OK (a missing file loads as empty), or CLI_EXIT_DAMAGED.
int LoadRecord(const char* command) {
  if (Record_Load() || Record_LastLoad().stop == RECORD_MISSING) return CLI_EXIT_OK;
  const RecordLoadInfo& info = Record_LastLoad();
  std::fprintf(stderr, "velmo-cli %s: %s: stopped at byte %u (%s)\n", command, Record_Path(),
               unsigned{info.stopOffset}, Record_StopText(info.stop));
  return CLI_EXIT_DAMAGED;
}

void LoadSettings() {
  Store_Init();
  Store_SetDropDeleted(true);
  Store_SetStampValue(0);
  Settings_Load();
  Label_InitNames();
  Label_LoadFile(Settings_LabelPath());
  Store_SelectLabel(LABEL_COMMON);
}

int WriteLocked(const char* command, CliAddFn add, void* context, CliAddFn saved) {
  if (const int status = LoadRecord(command); status != CLI_EXIT_OK) {
    std::fprintf(stderr, "velmo-cli %s: nothing written; open the record in Velmo first\n", command);
    return status;
  }
  Data_StartRun();
  if (!add(context)) return CLI_EXIT_NO_MATCH;
  Data_SetModified(true);
  if (!Data_SaveIfModified()) {
    char side[2 * cap::kFileName];  // the record's name and a suffix
    if (Record_SavedWithoutSide() && Identity_SidePath(side, sizeof side)) {
      std::fprintf(stderr, "velmo-cli %s: %s: written, but its UIDs could not be kept: %s could not be written\n",
                   command, Record_Path(), side);
    } else {
      std::fprintf(stderr, "velmo-cli %s: %s: could not be saved; it is unchanged\n", command, Record_Path());
    }
    return CLI_EXIT_NOT_WRITTEN;
  }
  return saved == nullptr || saved(context) ? CLI_EXIT_OK : CLI_EXIT_NOT_WRITTEN;
}

}  // namespace

void CliData_SetFolderOption(const char* folder) { folderOption = folder; }

bool CliData_PrintFolder() { return DataFolder_Print("velmo-cli", folderOption, stdout); }

bool CliData_EnterFolder(const char* command) {
  if (folderEntered) return true;
  char program[64];
  std::snprintf(program, sizeof program, "velmo-cli %s", command);
  folderEntered = DataFolder_Use(program, folderOption);
  return folderEntered;
}

std::string CliData_UserPath(const char* file) {
  // Room for the working directory and the whole name, however long.
  std::string path(cap::kFileName + std::strlen(file) + 1, '\0');
  if (folderEntered || !DataFolder_AbsolutePath(file, path.data(), path.size())) return file;
  path.resize(std::strlen(path.c_str()));
  return path;
}

int CliData_Written() {
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return CLI_EXIT_OK;
  std::fprintf(stderr, "velmo-cli: standard output: %s\n", std::strerror(errno != 0 ? errno : EIO));
  return CLI_EXIT_NOT_WRITTEN;
}

bool CliData_TakeNow(int& argc, char** argv, const char* command) {
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--now") != 0) continue;
    const std::string_view v = i + 1 < argc ? argv[i + 1] : "";
    DayNo day;
    int hour = 0, minute = 0;
    if (v.size() != 16 || v[10] != 'T' || !CliData_ParseDate(v.substr(0, 10), day) ||
        !CliData_ParseTime(v.substr(11), hour, minute) || hour > 23) {
      std::fprintf(stderr, "velmo-cli %s: --now takes YYYY-MM-DDTHH:MM\n", command);
      return false;
    }
    std::uint16_t y, m, d;
    DayNo_ToDate(day, y, m, d);
    fixedClock = DateClock{};
    fixedClock.year = y;
    fixedClock.month = static_cast<std::uint8_t>(m);
    fixedClock.mday = static_cast<std::uint8_t>(d);
    fixedClock.hour = static_cast<std::uint8_t>(hour);
    fixedClock.minute = static_cast<std::uint8_t>(minute);
    // Seconds since the epoch as if local time were UTC; only stamps use them.
    fixedClock.seconds = (std::int64_t{day} - DAY_UNIX_EPOCH) * DATE_SECONDS_PER_DAY + hour * 3600 + minute * 60;
    Date_SetClock(FixedClock);
    for (int j = i; j + 2 < argc; ++j) argv[j] = argv[j + 2];
    argc -= 2;
    return true;
  }
  return true;
}

bool CliData_ParseDate(std::string_view s, DayNo& out, std::string* why) {
  long y, m, d;
  const std::string text(s);
  const auto refuse = [&](const std::string& reason) {
    if (why != nullptr) *why = text + ": " + reason;
    return false;
  };
  if (s.size() != 10 || s[4] != '-' || s[7] != '-' || !Digits(s.substr(0, 4), y) ||
      !Digits(s.substr(5, 2), m) || !Digits(s.substr(8, 2), d)) {
    return refuse("a date is YYYY-MM-DD");
  }
  if (m < 1 || m > 12) return refuse("there is no month " + std::to_string(m));
  // Day numbers end on 5 June 2079; later days would wrap to 1900.
  if (y < DATE_FIRST_YEAR || y > DATE_LAST_YEAR || (y == DATE_LAST_YEAR && (m > 6 || (m == 6 && d > 5))))
    return refuse("Velmo's days run from 1900-01-01 to 2079-06-05");
  const auto year = static_cast<std::uint16_t>(y), month = static_cast<std::uint16_t>(m);
  if (d < 1 || d > Date_MonthLength(year, month))
    return refuse(text.substr(0, 7) + " has " + std::to_string(Date_MonthLength(year, month)) + " days");
  out = Date_ToDayNo(year, month, static_cast<std::uint16_t>(d));
  return true;
}

bool CliData_DialogDate(DayNo day, std::string* why) {
  std::uint16_t y, m, d;
  DayNo_ToDate(day, y, m, d);
  if (y >= DATE_DIALOG_FIRST_YEAR && y <= DATE_DIALOG_LAST_YEAR) return true;
  if (why != nullptr)
    *why = CliData_DateText(day) + ": Velmo's dialogs take the years " + std::to_string(DATE_DIALOG_FIRST_YEAR) +
           " to " + std::to_string(DATE_DIALOG_LAST_YEAR) + ", so the entry could not be changed there";
  return false;
}

bool CliData_ParseTime(std::string_view s, int& hour, int& minute) {
  long h, m;
  const std::size_t colon = s.find(':');
  if (colon == std::string_view::npos || colon == 0 || colon > 2 || s.size() - colon != 3) return false;
  if (!Digits(s.substr(0, colon), h) || !Digits(s.substr(colon + 1), m)) return false;
  if (h > 24 || m > 59 || (h == 24 && m != 0)) return false;
  hour = static_cast<int>(h);
  minute = static_cast<int>(m);
  return true;
}

std::string CliData_DateText(DayNo day) {
  std::uint16_t y, m, d;
  DayNo_ToDate(day, y, m, d);
  char text[24];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u", unsigned{y}, unsigned{m}, unsigned{d});
  return text;
}

std::string CliData_TimeText(int hour, int minute) {
  char text[24];
  std::snprintf(text, sizeof text, "%02d:%02d", hour % 100, minute % 100);
  return text;
}

std::string CliData_Text(const Entry& e) {
  const std::string text = Sjis_ToUtf8(e.textLen != 0 && e.text != nullptr
                                           ? std::string_view(e.text, e.textLen)
                                           : std::string_view());
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += " / ";
    } else if (c != '\r') {
      out += c;
    }
  }
  return out;
}

std::string CliData_LabelName(std::uint16_t label) {
  std::string_view name = Label_Name(label);
  while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  return std::string(name);
}

int CliData_FindLabel(std::string_view text) {
  long n;
  if (Digits(text, n)) return n <= LABEL_USER_LAST ? static_cast<int>(n) : -1;
  for (std::uint16_t label = 0; label <= LABEL_USER_LAST; ++label) {
    if (Sjis_ToUtf8(CliData_LabelName(label)) == text) return label;
  }
  return -1;
}

const char* CliData_KindWord(EntryKind kind) {
  switch (kind) {
    case KIND_HOLIDAY: return "holiday";
    case KIND_TIMED: return "timed";
    case KIND_SCHEDULE: return "schedule";
    case KIND_TASK: return "task";
    default: return "other";
  }
}

bool CliData_HasTimes(const Entry& e) {
  if (e.kind == KIND_TIMED) return true;
  return e.kind == KIND_SCHEDULE && (e.endHour != 0 || e.endMinute != 0);
}

int CliData_Load(const char* command) {
  if (!CliData_EnterFolder(command)) return CLI_EXIT_NO_FOLDER;
  LoadSettings();
  return LoadRecord(command);
}

int CliData_Read(const char* command) {
  const int status = CliData_Load(command);
  return status != CLI_EXIT_OK || Record_LastLoad().stop != RECORD_MISSING ? status : CliData_NoRecord(command);
}

int CliData_NoRecord(const char* command) {
  char here[cap::kFileName];
  std::fprintf(stderr, "velmo-cli %s: no record file in %s (%s)\n", command,
               DataFolder_AbsolutePath(".", here, sizeof here) ? here : ".", Record_Path());
  return CLI_EXIT_NO_RECORD;
}

int CliData_Write(const char* command, CliAddFn add, void* context, CliAddFn saved) {
  if (!CliData_EnterFolder(command)) return CLI_EXIT_NO_FOLDER;
  LoadSettings();
  // Velmo, or another writer, would save over what this command adds.
  if (RecordLock_Acquire(Record_Path()) == RECORD_LOCK_BUSY) {
    std::fprintf(stderr, "velmo-cli %s: Velmo is running on the record file %s; nothing written\n", command,
                 Record_Path());
    return CLI_EXIT_LOCKED;
  }
  const int status = WriteLocked(command, add, context, saved);
  RecordLock_Release();
  return status;
}

Entry* CliData_NewEntry(std::string_view sjisText, std::string_view link) {
  Entry* e = Store_AllocEntries(1);
  if (e == nullptr) return nullptr;
  std::memset(e, 0, sizeof(Entry));
  e->size = ENTRY_NEW_SIZE;
  bool ok = true;
  e->text = PoolCopy(sjisText, ok);
  e->textLen = static_cast<std::uint16_t>(e->text ? sjisText.size() : 0);
  e->link = PoolCopy(link, ok);
  e->linkLen = static_cast<std::uint16_t>(e->link ? link.size() : 0);
  return ok ? e : nullptr;
}
