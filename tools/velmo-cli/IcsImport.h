// What the parts of velmo-cli import-ics share: the items as they will be
// registered and the reporting of what is not kept.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "IcsLines.h"
#include "IcsShared.h"
#include "calendar/Date.h"
#include "store/Store.h"

struct IcsArgs {
  const char* file = nullptr;
  bool dryRun = false;
  bool skipInexact = false;
};

inline constexpr std::uint8_t ICS_DEFAULT_RANK = 3;

// One entry as it will be registered; the entries of one item share its UID.
struct IcsItem {
  std::string uid;
  std::size_t lineNo = 0;
  EntryKind kind = KIND_SCHEDULE;
  std::uint16_t label = 0;
  DayNo start = DAY_NONE, end = DAY_NONE;
  int startHour = 0, startMinute = 0, endHour = 0, endMinute = 0;
  RepeatType repeat = REPEAT_NONE;
  int interval = 0;
  std::uint8_t weekMask = 0, weekdayMask = 0;
  std::uint8_t rank = ICS_DEFAULT_RANK;
  DayNo done = DAY_NONE;
  std::string text, link;  // Shift-JIS
  std::uint8_t part[4] = {0, 0, 0, 0};  // the kind part as Velmo wrote it, when ownPart
  bool ownPart = false;
};

struct IcsImport {
  IcsArgs args;
  std::vector<IcsComponent> calendars;
  std::vector<IcsItem> items;
  unsigned already = 0, skipped = 0;
  std::vector<std::string> added;  // told once they are written
  bool nothingToWrite = false;     // read and checked, but nothing new
  bool overflow = false;           // more entries than the entry table holds; the rest not read
  bool ownExport = false;          // written by velmo-cli export-ics (its PRODID)
  bool checkRecord = true;         // false: every item read, whatever the record holds (a sync)
};

// Where a report points: the component's first line and its UID.
struct IcsWhere {
  std::size_t lineNo = 0;
  std::string uid;
};
void IcsImport_Report(const IcsWhere& where, const std::string& what);
// Whose reports they are (the command, the file or server item), and how
// many were made: an item read with none is one Velmo holds exactly.
void IcsImport_SetSource(const char* command, const char* file);
unsigned IcsImport_Reported();

// The entry's own fields from an item (not its text, link or done mark).
void IcsImport_Fill(Entry& e, const IcsItem& item);
// A new entry of the store for an item, done mark included, not yet
// registered; null when the pools are full.
Entry* IcsImport_NewEntry(const IcsItem& item);
// The fingerprints an item's entries will have, to compare with the record's.
std::multiset<std::string> IcsImport_Prints(const std::vector<IcsItem>& entries);

// Every VEVENT and VTODO of the calendars into im.items.
void IcsItems_Take(IcsImport& im);
