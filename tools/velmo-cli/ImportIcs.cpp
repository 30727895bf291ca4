// velmo-cli import-ics FILE [--dry-run] [--skip-inexact]: adds the file's
// VEVENTs and VTODOs to the working folder's record file. A repeat rule
// Velmo cannot express exactly is reported and left off (with
// --skip-inexact the item is left out); items whose UID the record already
// holds are passed over, so a second import adds nothing. A fault inside a
// component costs that component; a file that is no iCalendar at all is
// refused whole, nothing written.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "CliData.h"
#include "Cli.h"
#include "IcsImport.h"
#include "IcsOwn.h"
#include "IcsRules.h"
#include "IcsZones.h"
#include "files/Identity.h"
#include "options/Options.h"
#include "store/MonthRec.h"

namespace {

constexpr const char* kCommand = "import-ics";
constexpr const char* kProgram = "velmo-cli import-ics";
constexpr const char* kUsage = "usage: velmo-cli import-ics FILE [--dry-run] [--skip-inexact]\n";
constexpr std::size_t kMaxFileBytes = 8u << 20;

const char* fileName = "";
const char* reportCommand = kCommand;
unsigned reported = 0;

bool Fail(const std::string& what) {
  std::fprintf(stderr, "velmo-cli %s: %s: %s; nothing written\n", kCommand, fileName, what.c_str());
  return false;
}

bool ReadFile(const char* name, std::string& out) {
  struct stat st{};
  if (stat(name, &st) != 0) return Fail(std::strerror(errno));
  if (!S_ISREG(st.st_mode)) return Fail("not a regular file");
  if (static_cast<std::size_t>(st.st_size) > kMaxFileBytes) {
    return Fail("larger than " + std::to_string(kMaxFileBytes >> 20) + " MB");
  }
  return IcsLines_ReadFile(name, out) || Fail("cannot be read");
}

// Fills e as the item's entry, text, link and done day pointing into the item.
void AsEntry(Entry& e, const IcsItem& item) {
  e = Entry{};
  IcsImport_Fill(e, item);
  e.text = const_cast<char*>(item.text.data());
  e.textLen = static_cast<std::uint16_t>(item.text.size());
  e.link = const_cast<char*>(item.link.data());
  e.linkLen = static_cast<std::uint16_t>(item.link.size());
  if (item.done != DAY_NONE) {
    e.done = const_cast<DayNo*>(&item.done);
    e.doneLen = 2;
  }
}

std::string Print(const Entry& e) {
  char print[17];
  Identity_Fingerprint(e, print);
  return print;
}

// gcc 12 warns falsely (-Wrestrict) about "literal" + std::string at -O3: appends only.
std::string Describe(const Entry& e) {
  std::string out = CliData_KindWord(e.kind);
  out.append(" ").append(CliData_DateText(e.startDay));
  if (e.kind != KIND_TASK && e.endDay != e.startDay) {
    out.append("..").append(e.endDay == DAY_OPEN_END ? std::string("open") : CliData_DateText(e.endDay));
  }
  if (CliData_HasTimes(e)) {
    out.append(" ").append(CliData_TimeText(e.startHour, e.startMinute));
    out.append("-").append(CliData_TimeText(e.endHour, e.endMinute));
  }
  if (e.repeat != REPEAT_NONE) out.append(" repeat ").append(IcsRules_Words(e));
  if (e.kind == KIND_TASK) out.append(" rank ").append(std::to_string(e.rank)).append(e.doneLen != 0 ? " done" : "");
  return out.append(" ").append(CliData_Text(e));
}

bool Register(IcsImport& im) {
  if (im.overflow) {
    return Fail("its items need more entries than the " + std::to_string(cap::kEntries) +
                " the record holds (" + std::to_string(Store_Count()) + " in use)");
  }
  for (const IcsItem& item : im.items) {
    Entry* e = IcsImport_NewEntry(item);
    if (e == nullptr) return Fail("the entry store is full");
    if (!Store_Register(e)) {
      return Fail("its " + std::to_string(im.items.size()) + " entries do not fit: the entry table is full (" +
                  std::to_string(cap::kEntries) + " entries)");
    }
    // A UID Velmo cannot keep costs the item its identity, not its entry.
    if (!Identity_Set(e, item.uid)) {
      IcsImport_Report(IcsWhere{item.lineNo, item.uid}, "its UID cannot be kept (longer than " +
                                                            std::to_string(cap::kUidBytes) + " bytes); a new one is made");
    }
    im.added.push_back(Describe(*e));
  }
  Store_Invalidate();
  return true;
}

bool AddAll(void* context) {
  auto& im = *static_cast<IcsImport*>(context);
  IcsItems_Take(im);
  if (!Register(im)) return false;
  im.nothingToWrite = im.items.empty();
  return !im.items.empty() && !im.args.dryRun;
}

// "added" lines only for what was written.
void TellAdded(const IcsImport& im, bool written) {
  const char* verb = im.args.dryRun ? "would add" : "added";
  if (written) {
    for (const std::string& line : im.added) std::printf("%s %s\n", verb, line.c_str());
  }
  std::printf("%zu %s, %u already in the record, %u left out\n", written ? im.items.size() : 0,
              im.args.dryRun ? "to add" : "added", im.already, im.skipped);
}

enum ImportOption { OPT_DRY_RUN = 1, OPT_SKIP_INEXACT };
constexpr OptionRow kOptions[] = {
    {OPT_DRY_RUN, "--dry-run", nullptr, "tell what would be added; write nothing"},
    {OPT_SKIP_INEXACT, "--skip-inexact", nullptr, "leave out items Velmo cannot show exactly"},
};

// False when the command ends here (--help, or a fault told) with status.
bool ParseArgs(int argc, char** argv, IcsArgs& args, int& status) {
  OptionReader reader{argc, argv};
  OptionItem item;
  while (Options_Next(reader, kOptions, item)) {
    switch (item.id) {
      case OPTION_HELP: Options_PrintHelp(stdout, kUsage, kOptions, nullptr); return status = CliData_Written(), false;
      case OPT_DRY_RUN: args.dryRun = true; break;
      case OPT_SKIP_INEXACT: args.skipInexact = true; break;
      default:
        if (args.file != nullptr) return status = Options_Refuse(kProgram, "one FILE only", CLI_EXIT_USAGE), false;
        args.file = item.value;
    }
  }
  if (reader.status != OPTIONS_END) {
    status = Options_Fail(kProgram, reader, CLI_EXIT_USAGE);
  } else if (args.file == nullptr) {
    status = Options_Refuse(kProgram, "no FILE", CLI_EXIT_USAGE);
  } else {
    return true;
  }
  std::fputs(kUsage, stderr);
  return false;
}

bool ReadCalendars(IcsImport& im) {
  std::string text, why;
  if (!ReadFile(im.args.file, text)) return false;
  std::vector<std::string> ignored;
  if (!IcsLines_Read(text, im.calendars, why, ignored)) return Fail(why);
  for (const std::string& line : ignored) std::fprintf(stderr, "velmo-cli %s: %s: %s\n", kCommand, fileName, line.c_str());
  IcsZones_Take(im.calendars);
  const IcsLine* prodid = im.calendars.front().First("PRODID");
  im.ownExport = prodid != nullptr && prodid->value == ICS_PRODID;
  return true;
}

}  // namespace

void IcsImport_SetSource(const char* command, const char* file) {
  reportCommand = command;
  fileName = file;
}

unsigned IcsImport_Reported() { return reported; }

void IcsImport_Report(const IcsWhere& w, const std::string& what) {
  ++reported;
  std::fprintf(stderr, "velmo-cli %s: %s, line %zu%s%s: %s\n", reportCommand, fileName, w.lineNo,
               w.uid.empty() ? "" : ", UID ", w.uid.c_str(), what.c_str());
}

void IcsImport_Fill(Entry& e, const IcsItem& item) {
  e.kind = item.kind;
  e.label = item.label;
  e.startDay = item.start;
  e.endDay = item.end;
  e.repeat = item.repeat;
  e.interval = static_cast<std::uint8_t>(item.interval);
  e.weekMask = item.weekMask;
  e.weekdayMask = item.weekdayMask;
  if (item.kind == KIND_TASK) {
    e.rank = item.rank;
  } else if (item.kind == KIND_SCHEDULE) {
    e.startHour = static_cast<std::uint8_t>(item.startHour);
    e.startMinute = static_cast<std::uint8_t>(item.startMinute);
    e.endHour = static_cast<std::uint8_t>(item.endHour);
    e.endMinute = static_cast<std::uint8_t>(item.endMinute);
  }
  if (item.ownPart) IcsOwn_SetKindPart(e, item.part);
}

Entry* IcsImport_NewEntry(const IcsItem& item) {
  Entry* e = CliData_NewEntry(item.text, item.link);
  std::uint16_t* done = e != nullptr && item.done != DAY_NONE ? Store_AllocWords(1) : nullptr;
  if (e == nullptr || (item.done != DAY_NONE && done == nullptr)) return nullptr;
  IcsImport_Fill(*e, item);
  if (done != nullptr) {
    done[0] = item.done;
    e->done = done;
    e->doneLen = 2;
  }
  return e;
}

std::multiset<std::string> IcsImport_Prints(const std::vector<IcsItem>& entries) {
  std::multiset<std::string> out;
  for (const IcsItem& item : entries) {
    Entry e;
    AsEntry(e, item);
    out.insert(Print(e));
  }
  return out;
}

int Cli_ImportIcs(int argc, char** argv) {
  if (!CliData_TakeNow(argc, argv, kCommand)) return CLI_EXIT_USAGE;
  IcsImport im;
  if (int status = CLI_EXIT_OK; !ParseArgs(argc, argv, im.args, status)) return status;
  fileName = im.args.file;
  int status = CLI_EXIT_NO_MATCH;
  if (ReadCalendars(im)) {
    if (im.args.dryRun) {
      // The same work as the import, up to the writing.
      status = CliData_Load(kCommand);
      if (status == CLI_EXIT_OK) {
        AddAll(&im);
        status = im.added.size() == im.items.size() ? CLI_EXIT_OK : CLI_EXIT_NO_MATCH;
        TellAdded(im, status == CLI_EXIT_OK);
      }
    } else {
      status = CliData_Write(kCommand, AddAll, &im);
      // Nothing new is no failure.
      if (status == CLI_EXIT_NO_MATCH && im.nothingToWrite) status = CLI_EXIT_OK;
      if (status == CLI_EXIT_OK) TellAdded(im, true);
    }
  }
  Store_Shutdown();
  return status == CLI_EXIT_OK ? CliData_Written() : status;
}
