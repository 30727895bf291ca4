// velmo-peers: the side-by-side benchmark's helper.
//
//   velmo-peers generate DIR N   the same N events as DIR/velmo/record,
//                                DIR/calcurse/{apts,todo} and DIR/remind/reminders
//   velmo-peers time RUNS [-C DIR] -- COMMAND [ARG...]
//                                runs COMMAND (output to /dev/null) once to warm
//                                up and RUNS times counted (fewer, at least 5,
//                                when RUNS would take over 20 s); prints the
//                                median, minimum and maximum wall time in
//                                milliseconds and the runs counted
//
// The events fall around the year 2027 (the year the benchmark shows): one-off
// appointments and all-day events, weekly, monthly on a day, monthly on the
// nth weekday, yearly, and tasks (Velmo and calcurse only). calcurse 4.7 has
// no nth-weekday rule, so those events are written to it as the one-off
// occurrences of 2027.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "calendar/Date.h"
#include "files/Record.h"
#include "store/Store.h"
#include "text/Cp932.h"

extern char** environ;

namespace {

constexpr std::uint16_t kYear = 2027;
constexpr const char* kWords[] = {"会議", "歯医者", "打ち合わせ", "誕生日", "買い物", "電話",
                                  "Review", "Lunch", "Gym", "定例"};
constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

enum Shape { ONE_OFF, WEEKLY, MONTH_DAY, MONTH_NTH, YEARLY, TASK };

// Out of every 40 events: mostly one-off, as a kept record is.
Shape ShapeOf(int i) {
  const int k = i % 40;
  if (k < 28) return ONE_OFF;
  if (k < 30) return WEEKLY;
  if (k < 32) return MONTH_DAY;
  if (k < 34) return MONTH_NTH;
  if (k < 38) return YEARLY;
  return TASK;
}

std::uint32_t seed = 20270101;
int Next(int n) {
  seed = seed * 1103515245u + 12345u;
  return static_cast<int>((seed >> 16) % static_cast<std::uint32_t>(n));
}

struct Event {
  Shape shape;
  DayNo start;       // first day (the task's start)
  bool timed;
  int startMinute;   // minutes after midnight
  int endMinute;
  int nth;           // MONTH_NTH: 1..4
  int weekday;       // MONTH_NTH: 0..6
  int rank;          // TASK
  DayNo done;        // TASK: DAY_NONE while open
  std::string text;  // UTF-8
};

DayNo Day(int year, int month, int mday) {
  return Date_ToDayNo(static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month),
                      static_cast<std::uint16_t>(mday));
}

Event MakeEvent(int i) {
  Event e{};
  e.shape = ShapeOf(i);
  e.text = std::string(kWords[Next(std::size(kWords))]) + " " + std::to_string(i);
  e.timed = Next(3) != 0;
  e.startMinute = (8 + Next(11)) * 60 + 15 * Next(4);
  e.endMinute = e.startMinute + 30 * (1 + Next(4));
  const DayNo y2026 = Day(kYear - 1, 1, 1);
  switch (e.shape) {
    case ONE_OFF:  // mid 2026 to mid 2028
      e.start = static_cast<DayNo>(Day(kYear - 1, 7, 1) + Next(731));
      break;
    case WEEKLY:
      e.start = static_cast<DayNo>(y2026 + Next(365));
      break;
    case MONTH_DAY:
      e.start = Day(kYear - 1, 1 + Next(12), 1 + Next(28));
      break;
    case MONTH_NTH:
      e.start = y2026;
      e.nth = 1 + Next(4);
      e.weekday = Next(7);
      break;
    case YEARLY:
      e.start = Day(kYear - 2, 1 + Next(12), 1 + Next(28));
      break;
    case TASK:
      e.start = static_cast<DayNo>(y2026 + Next(730));
      e.rank = 1 + Next(5);
      e.done = Next(10) == 0 ? DAY_NONE : static_cast<DayNo>(e.start + Next(60));
      e.timed = false;
      break;
  }
  return e;
}

// ---- Velmo ------------------------------------------------------------------

std::string ToSjis(const std::string& utf8) {
  std::string out(utf8.size() * 2 + 4, '\0');
  unsigned missing = 0;
  const long n = Cp932_FromUtf8(utf8, out.data(), out.size(), &missing);
  if (n < 0 || missing != 0) std::abort();  // the texts here are all Shift-JIS
  out.resize(static_cast<std::size_t>(n));
  return out;
}

template <typename T>
T* Keep(T* p) {
  if (p == nullptr) {
    std::fprintf(stderr, "velmo-peers: the store is full\n");
    std::exit(1);
  }
  return p;
}

void AddVelmo(const Event& ev) {
  Entry* e = Keep(Store_AllocEntries(1));
  *e = Entry{};
  e->kind = ev.shape == TASK ? KIND_TASK : KIND_SCHEDULE;
  e->startDay = ev.start;
  e->endDay = ev.shape == ONE_OFF ? ev.start : ev.shape == TASK ? DAY_OPEN_END : Day(2029, 12, 31);
  e->interval = 1;
  const std::uint16_t weekday = DayNo_Weekday(ev.start);
  switch (ev.shape) {
    case ONE_OFF: e->repeat = REPEAT_NONE; break;
    case WEEKLY:
      e->repeat = REPEAT_WEEKS;
      e->weekMask = WeekdayBit(weekday);
      break;
    case MONTH_DAY: e->repeat = REPEAT_MONTH_DAY; break;
    case MONTH_NTH:
      e->repeat = REPEAT_MONTH_WEEKDAY;
      e->weekMask = WeekBit(static_cast<std::uint16_t>(ev.nth));
      e->weekdayMask = WeekdayBit(static_cast<std::uint16_t>(ev.weekday));
      break;
    case YEARLY: e->repeat = REPEAT_YEAR_DAY; break;
    case TASK: break;
  }
  if (ev.shape == TASK) {
    e->rank = static_cast<std::uint8_t>(ev.rank);
    if (ev.done != DAY_NONE) {
      e->doneLen = 2;
      e->done = Keep(Store_AllocWords(1));
      e->done[0] = ev.done;
    }
  } else if (ev.timed) {
    e->startHour = static_cast<std::uint8_t>(ev.startMinute / 60);
    e->startMinute = static_cast<std::uint8_t>(ev.startMinute % 60);
    e->endHour = static_cast<std::uint8_t>(ev.endMinute / 60);
    e->endMinute = static_cast<std::uint8_t>(ev.endMinute % 60);
  }
  const std::string text = ToSjis(ev.text);
  e->textLen = static_cast<std::uint16_t>(text.size());
  e->text = Keep(Store_AllocBytes(text.size()));
  std::memcpy(e->text, text.data(), text.size());
  if (!Store_Register(e)) std::exit(1);
}

// ---- calcurse ---------------------------------------------------------------

std::string UsDate(DayNo day) {
  std::uint16_t y, m, d;
  DayNo_ToDate(day, y, m, d);
  char text[32];
  std::snprintf(text, sizeof text, "%02u/%02u/%04u", unsigned{m}, unsigned{d}, unsigned{y});
  return text;
}

std::string Clock(int minutes) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60 % 100, minutes % 60);
  return text;
}

// The calcurse line of one occurrence-pattern starting at day; rule is "" or "{1W}" etc.
std::string CalcurseLine(const Event& ev, DayNo day, const char* rule) {
  std::string line = UsDate(day);
  if (ev.timed) {
    line += " @ " + Clock(ev.startMinute) + " -> " + UsDate(day) + " @ " + Clock(ev.endMinute);
  } else {
    line += " [1]";
  }
  if (*rule != '\0') line += std::string(" ") + rule;
  return line + " |" + ev.text + "\n";
}

bool IsNth(DayNo day, const Event& ev) {
  return DayNo_Weekday(day) == ev.weekday && (DayNo_Mday(day) + 6) / 7 == ev.nth;
}

std::string CalcurseApts(const Event& ev) {
  switch (ev.shape) {
    case ONE_OFF: return CalcurseLine(ev, ev.start, "");
    case WEEKLY: return CalcurseLine(ev, ev.start, "{1W}");
    case MONTH_DAY: return CalcurseLine(ev, ev.start, "{1M}");
    case YEARLY: return CalcurseLine(ev, ev.start, "{1Y}");
    case MONTH_NTH: {
      std::string out;
      for (DayNo d = Day(kYear, 1, 1); d <= Day(kYear, 12, 31); ++d) {
        if (IsNth(d, ev)) out += CalcurseLine(ev, d, "");
      }
      return out;
    }
    case TASK: break;
  }
  return "";
}

// ---- remind -----------------------------------------------------------------

std::string RemindLine(const Event& ev) {
  std::uint16_t y, m, d;
  DayNo_ToDate(ev.start, y, m, d);
  std::string line = "REM ";
  switch (ev.shape) {
    case ONE_OFF:
      line += std::to_string(d) + " " + kMonths[m - 1] + " " + std::to_string(y);
      break;
    case WEEKLY: line += kWeekdays[DayNo_Weekday(ev.start)]; break;
    case MONTH_DAY: line += std::to_string(d); break;
    case MONTH_NTH:
      line += std::string(kWeekdays[ev.weekday]) + " " + std::to_string(1 + 7 * (ev.nth - 1));
      break;
    case YEARLY: line += std::to_string(d) + " " + kMonths[m - 1]; break;
    case TASK: return "";
  }
  if (ev.timed) {
    const int length = ev.endMinute - ev.startMinute;
    line += " AT " + Clock(ev.startMinute) + " DURATION " + std::to_string(length / 60) + ":" +
            (length % 60 < 10 ? "0" : "") + std::to_string(length % 60);
  }
  return line + " MSG " + ev.text + "\n";
}

// ---- files ------------------------------------------------------------------

void WriteText(const std::string& path, const std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr || std::fwrite(text.data(), 1, text.size(), f) != text.size() ||
      std::fclose(f) != 0) {
    std::fprintf(stderr, "velmo-peers: cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

void MakeFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "velmo-peers: cannot make %s\n", path.c_str());
    std::exit(1);
  }
}

int Generate(const std::string& dir, int count) {
  for (const char* sub : {"", "/velmo", "/calcurse", "/remind"}) MakeFolder(dir + sub);
  Store_Init();
  std::string apts, todo, reminders;
  for (int i = 0; i < count; ++i) {
    const Event ev = MakeEvent(i);
    AddVelmo(ev);
    if (ev.shape == TASK) {
      if (ev.done == DAY_NONE) todo += "[" + std::to_string(ev.rank) + "] " + ev.text + "\n";
      continue;
    }
    apts += CalcurseApts(ev);
    reminders += RemindLine(ev);
  }
  const std::string record = dir + "/velmo/record";
  if (!Record_SetPath(record.c_str()) || !Record_Save()) {
    std::fprintf(stderr, "velmo-peers: cannot write %s\n", record.c_str());
    return 1;
  }
  Store_Shutdown();
  WriteText(dir + "/calcurse/apts", apts);
  WriteText(dir + "/calcurse/todo", todo);
  WriteText(dir + "/remind/reminders", reminders);
  return 0;
}

// ---- timing -----------------------------------------------------------------

double Now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// One run with stdout and stderr on /dev/null; its wall time in ms, or -1.
double RunOnce(char** argv, const char* dir) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  const double start = Now();
  pid_t pid = 0;
  const int cwd = dir != nullptr ? open(".", O_RDONLY | O_DIRECTORY) : -1;
  if (dir != nullptr && chdir(dir) != 0) return -1;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv, environ);
  if (cwd >= 0) {
    if (fchdir(cwd) != 0) return -1;
    close(cwd);
  }
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return Now() - start;
}

constexpr double kBudgetMs = 20000;  // per command
constexpr int kFewestRuns = 5;

int Time(int argc, char** argv) {
  if (argc < 3) return 2;
  const int runs = std::atoi(argv[0]);
  int at = 1;
  const char* dir = nullptr;
  if (std::strcmp(argv[at], "-C") == 0 && at + 1 < argc) {
    dir = argv[at + 1];
    at += 2;
  }
  if (at >= argc || std::strcmp(argv[at], "--") != 0 || at + 1 >= argc || runs < 1) return 2;
  char** command = argv + at + 1;
  const double warmUp = RunOnce(command, dir);
  if (warmUp < 0) {
    std::fprintf(stderr, "velmo-peers: cannot run %s\n", command[0]);
    return 1;
  }
  // A slow command gets fewer runs, never fewer than kFewestRuns.
  const int affordable = static_cast<int>(kBudgetMs / std::max(warmUp, 0.001));
  const int counted = std::max(std::min(runs, affordable), std::min(runs, kFewestRuns));
  std::vector<double> times;
  for (int i = 0; i < counted; ++i) times.push_back(RunOnce(command, dir));
  std::sort(times.begin(), times.end());
  std::printf("%.2f %.2f %.2f %d\n", times[times.size() / 2], times.front(), times.back(), counted);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "generate") == 0) {
    const int count = std::atoi(argv[3]);
    if (count < 1 || count > static_cast<int>(cap::kEntries)) return 2;
    return Generate(argv[2], count);
  }
  if (argc >= 2 && std::strcmp(argv[1], "time") == 0) return Time(argc - 2, argv + 2);
  std::fprintf(stderr,
               "usage: velmo-peers generate DIR N\n"
               "       velmo-peers time RUNS [-C DIR] -- COMMAND [ARG...]\n");
  return 2;
}
