// velmo-cli export-ics [FILE]: every entry, in table order, as one iCalendar
// object (standard output without FILE). Entries that other calendars cannot
// show as Velmo does are reported on standard error, one line each.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "CliData.h"
#include "Cli.h"
#include "IcsExport.h"
#include "IcsGroup.h"
#include "IcsOwn.h"
#include "IcsRecur.h"
#include "IcsShared.h"
#include "IcsWrite.h"
#include "IcsZoneSource.h"
#include "IcsZones.h"
#include "Sjis.h"
#include "files/Files.h"
#include "files/Identity.h"
#include "options/Options.h"
#include "store/Find.h"
#include "store/Label.h"

namespace {

constexpr const char* kCommand = "export-ics";
constexpr const char* kHolidayCategory = "\xe4\xbc\x91\xe6\x97\xa5";  // 休日 (UTF-8)
constexpr int kHighestPriority = 9;
constexpr int kDaySeconds = 86400;
// Week bits of a month rule and the BYDAY position each stands for.
constexpr struct {
  std::uint8_t bit;
  int position;
} kWeekPositions[] = {{0x01, 1}, {0x02, 2}, {0x04, 3}, {0x08, 4}, {WEEK_LAST, -1}};

// A DATE or DATE-TIME value as it is written.
struct Time {
  DayNo day = DAY_NONE;
  int second = 0;  // of the day
  bool isDate = true, utc = false;
};

Time DateOf(DayNo day) { return Time{day, 0, true, false}; }

// Local time of day on day; 24:00 is the next day's 00:00.
Time LocalTime(DayNo day, int hour, int minute, int second = 0) {
  const IcsSeconds wall = IcsSeconds{day} * kDaySeconds + hour * 3600 + minute * 60 + second;
  return Time{static_cast<DayNo>(wall / kDaySeconds), static_cast<int>(wall % kDaySeconds), false, false};
}

// A local time in UTC, as UNTIL beside a DTSTART with a TZID and DTSTAMP must be.
Time InUtc(DayNo day, int hour, int minute, int second) {
  const IcsSeconds wall = IcsSeconds{day} * kDaySeconds + hour * 3600 + minute * 60 + second;
  const IcsSeconds utc = IcsZones_Utc(IcsZones_Local(), wall);
  return Time{static_cast<DayNo>(utc / kDaySeconds), static_cast<int>(utc % kDaySeconds), false, true};
}

// A local time is written with the zone's TZID, or in UTC when the zone is UTC.
Time Written(Time t) {
  if (!t.isDate && IcsZoneSource_LocalName() == nullptr) t.utc = true;
  return t;
}

std::string Text(const Time& t) {
  if (t.isDate) return IcsWrite_Date(t.day);
  char text[32];
  std::snprintf(text, sizeof text, "T%02d%02d%02d%s", t.second / 3600, t.second / 60 % 60, t.second % 60,
                t.utc ? "Z" : "");
  return IcsWrite_Date(t.day) + text;
}

// The entry's change stamp (local), so that an unchanged entry is written
// byte for byte the same; an entry never stamped takes its first day.
Time Stamp(const Entry& e) {
  return e.stampDay != DAY_NONE ? InUtc(e.stampDay, e.stampHour % 24, e.stampMinute % 60, 0) : InUtc(e.startDay, 0, 0, 0);
}

IcsLine Line(const char* name, std::string value) {
  IcsLine l;
  l.name = name;
  l.value = std::move(value);
  return l;
}

// A date or time property: a date says VALUE=DATE, a local time names its zone.
IcsLine TimeLine(const char* name, const Time& t) {
  IcsLine l = Line(name, Text(t));
  if (t.isDate) {
    l.params.push_back(IcsParam{"VALUE", "DATE"});
  } else if (!t.utc && IcsZoneSource_LocalName() != nullptr) {
    l.params.push_back(IcsParam{"TZID", IcsZoneSource_LocalName()});
  }
  return l;
}

struct Exporter {
  IcsComponent calendar;
  unsigned reported = 0;
};

void Report(Exporter& x, const std::string& uid, const char* what) {
  ++x.reported;
  std::fprintf(stderr, "velmo-cli %s: %s: %s\n", kCommand, uid.c_str(), what);
}

void AddText(IcsComponent& c, const Entry& e) {
  const std::string text = IcsOwn_Utf8Text(e.textLen != 0 ? std::string_view(e.text, e.textLen) : "");
  const std::size_t feed = text.find('\n');
  c.lines.push_back(Line("SUMMARY", IcsWrite_Text(text.substr(0, feed))));
  if (feed != std::string::npos) c.lines.push_back(Line("DESCRIPTION", IcsWrite_Text(text.substr(feed + 1))));
}

void AddCommon(IcsComponent& c, const Entry& e, const std::string& uid) {
  c.lines.push_back(Line("UID", IcsWrite_Text(uid)));
  c.lines.push_back(TimeLine("DTSTAMP", Stamp(e)));
  AddText(c, e);
  if (e.kind == KIND_HOLIDAY) c.lines.push_back(Line("CATEGORIES", kHolidayCategory));
  const std::string label = Sjis_ToUtf8(CliData_LabelName(e.label));
  if (!label.empty()) c.lines.push_back(Line("CATEGORIES", IcsWrite_List(label)));
  if (e.linkLen != 0) c.lines.push_back(Line("ATTACH", IcsOwn_LinkValue(std::string_view(e.link, e.linkLen))));
  IcsOwn_Put(c, e);
}

void AddByDays(IcsRecur& r, const Entry& e, bool withWeeks) {
  for (const auto& week : kWeekPositions) {
    if (withWeeks && (e.weekMask & week.bit) == 0) continue;
    for (int w = 0; w < 7; ++w) {
      const std::uint8_t days = withWeeks ? e.weekdayMask : e.weekMask;
      if (days & WeekdayBit(static_cast<std::uint16_t>(w))) r.byDay.push_back(IcsByDay{withWeeks ? week.position : 0, w});
    }
    if (!withWeeks) break;
  }
}

IcsUntil UntilOf(const Time& t) {
  std::uint16_t y, m, d;
  DayNo_ToDate(t.day, y, m, d);
  return IcsUntil{true, y, m, d, t.second / 3600, t.second / 60 % 60, t.second % 60, t.isDate, t.utc};
}

// The rule of e, or of a timed schedule over several days (daily over them).
IcsRecur RuleOf(const Entry& e, bool timed) {
  IcsRecur r;
  r.interval = e.interval == 0 ? 1 : e.interval;
  r.until = UntilOf(!timed ? DateOf(e.endDay)
                    : IcsZoneSource_LocalName() != nullptr ? InUtc(e.endDay, 23, 59, 59)
                                                           : Written(LocalTime(e.endDay, 23, 59, 59)));
  switch (e.repeat) {
    case REPEAT_NONE:
      r.freq = ICS_DAILY;
      r.interval = 1;
      break;
    case REPEAT_DAYS: r.freq = ICS_DAILY; break;
    case REPEAT_WEEKS:
      r.freq = ICS_WEEKLY;
      r.weekStart = ICS_SUNDAY;
      AddByDays(r, e, false);
      break;
    case REPEAT_MONTH_DAY:
      r.freq = ICS_MONTHLY;
      r.byMonthDay.push_back(e.startMday);
      break;
    case REPEAT_MONTH_WEEKDAY:
      r.freq = ICS_MONTHLY;
      AddByDays(r, e, true);
      break;
    case REPEAT_YEAR_DAY:
      r.freq = ICS_YEARLY;
      r.byMonthDay.push_back(e.startMday);
      r.byMonth.push_back(e.startMonth);
      break;
    default:
      r.freq = ICS_YEARLY;
      r.byMonth.push_back(e.startMonth);
      AddByDays(r, e, true);
      break;
  }
  return r;
}

bool Event(Exporter& x, const Entry& e, const std::string& uid, IcsComponent& c) {
  const DayNo first = Entry_FirstDay(e);
  if (first == DAY_NONE) {
    Report(x, uid, "its repeat rule matches no day of its range; not exported");
    return false;
  }
  c.name = "VEVENT";
  AddCommon(c, e, uid);
  const bool timed = e.kind != KIND_HOLIDAY && CliData_HasTimes(e);
  if (!timed) {
    c.lines.push_back(TimeLine("DTSTART", DateOf(first)));
    c.lines.push_back(TimeLine("DTEND", DateOf(static_cast<DayNo>((e.repeat == REPEAT_NONE ? e.endDay : first) + 1))));
  } else {
    c.lines.push_back(TimeLine("DTSTART", Written(LocalTime(first, e.startHour, e.startMinute))));
    const int from = e.startHour * 60 + e.startMinute, to = e.endHour * 60 + e.endMinute;
    if (e.kind == KIND_SCHEDULE && to > from) {
      c.lines.push_back(TimeLine("DTEND", Written(LocalTime(first, e.endHour, e.endMinute))));
    } else if (e.kind == KIND_SCHEDULE && to < from) {
      Report(x, uid, "its end time is before its start time; written without an end");
    }
  }
  if (e.kind == KIND_HOLIDAY) c.lines.push_back(Line("TRANSP", "TRANSPARENT"));
  if (e.repeat != REPEAT_NONE || (timed && e.endDay > first)) {
    c.lines.push_back(Line("RRULE", IcsRecur_Write(RuleOf(e, timed))));
  }
  return true;
}

// The occurrence on day at e's start time, as RECURRENCE-ID and EXDATE name it.
IcsLine Occurrence(const char* name, const Entry& e, DayNo day, bool timed) {
  return TimeLine(name, timed ? Written(LocalTime(day, e.startHour, e.startMinute)) : DateOf(day));
}

void AddEvent(Exporter& x, const Entry& e, const std::string& uid) {
  IcsComponent c;
  if (Event(x, e, uid, c)) x.calendar.children.push_back(std::move(c));
}

// The entries of one item as that item: the rule with its left-out days,
// then each moved occurrence under the same UID.
void AddGroup(Exporter& x, const IcsGroup& g, const std::string& uid) {
  IcsComponent c;
  if (!Event(x, g.rule, uid, c)) return;
  const bool timed = g.rule.kind != KIND_HOLIDAY && CliData_HasTimes(g.rule);
  for (const DayNo day : g.exdates) c.lines.push_back(Occurrence("EXDATE", g.rule, day, timed));
  x.calendar.children.push_back(std::move(c));
  for (const auto& [day, entry] : g.moved) {
    IcsComponent m;
    if (!Event(x, *entry, uid, m)) continue;
    m.lines.push_back(Occurrence("RECURRENCE-ID", g.rule, day, timed));
    x.calendar.children.push_back(std::move(m));
  }
}

void AddTask(Exporter& x, const Entry& e, const std::string& uid) {
  IcsComponent c;
  c.name = "VTODO";
  AddCommon(c, e, uid);
  c.lines.push_back(TimeLine("DUE", DateOf(e.startDay)));
  int priority = e.rank;
  if (priority > kHighestPriority) {
    Report(x, uid, "its rank is above 9; written as priority 9");
    priority = kHighestPriority;
  }
  c.lines.push_back(Line("PRIORITY", std::to_string(priority)));
  if (e.doneLen != 0 && e.done != nullptr && e.doneLen >= 2) {
    c.lines.push_back(Line("STATUS", "COMPLETED"));
    c.lines.push_back(TimeLine("COMPLETED", InUtc(e.done[0], 0, 0, 0)));
  } else {
    c.lines.push_back(Line("STATUS", "NEEDS-ACTION"));
  }
  x.calendar.children.push_back(std::move(c));
}

// A calendar with Velmo's header and its time zone, for the items to go in.
Exporter NewCalendar() {
  Exporter x;
  x.calendar.name = "VCALENDAR";
  x.calendar.lines.push_back(Line("VERSION", "2.0"));
  x.calendar.lines.push_back(Line("PRODID", ICS_PRODID));
  IcsComponent zone;
  if (IcsZoneSource_LocalComponent(zone)) x.calendar.children.push_back(std::move(zone));
  return x;
}

void AddEntry(Exporter& x, const Entry& e, const std::string& name) {
  if (!IcsExport_Carries(e)) return Report(x, name, "an entry of a kind Velmo keeps only as read; not exported");
  if (e.kind == KIND_TASK) return AddTask(x, e, name);
  AddEvent(x, e, name);
}

bool WriteOut(const char* file, const char* text) {
  if (file == nullptr) return std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0;
  return Files_ReplaceWhole(file, nullptr, [text](std::FILE* f) { return std::fputs(text, f) >= 0; });
}

}  // namespace

bool IcsExport_Carries(const Entry& e) { return Entry_HasKindPart(e.kind); }

bool IcsExport_Item(const std::vector<const Entry*>& entries, const std::string& uid, std::string& ics) {
  IcsGroup joined;
  const bool one = entries.size() == 1;
  if (!one && !IcsGroup_Join(entries, joined)) return false;
  Exporter x = NewCalendar();
  const std::size_t before = x.calendar.children.size();  // the time zone
  if (one) {
    AddEntry(x, *entries.front(), uid);
  } else {
    AddGroup(x, joined, uid);
  }
  const bool written = x.calendar.children.size() > before;
  if (written) ics = IcsWrite_Component(x.calendar);
  return written;
}

std::string IcsExport_Text() {
  const std::size_t count = Store_Count();
  std::vector<std::string> uid(count);
  std::uint16_t at = Store_First();
  for (std::size_t i = 0; const Entry* e = Store_Next(at); ++i) {
    if (e->kind != KIND_DELETED) uid[i] = Identity_Of(e);
  }
  Exporter x = NewCalendar();
  std::map<std::string, std::vector<const Entry*>> byUid;  // the entries of each item
  std::uint16_t pos = Store_First();
  for (std::size_t i = 0; const Entry* e = Store_Next(pos); ++i) {
    if (e->kind != KIND_DELETED) byUid[uid[i]].push_back(e);
  }
  std::map<std::string, unsigned> written;  // entries of the item written one by one
  pos = Store_First();
  for (std::size_t i = 0; const Entry* e = Store_Next(pos); ++i) {
    if (e->kind == KIND_DELETED) continue;
    const std::vector<const Entry*>& group = byUid[uid[i]];
    IcsGroup joined;
    const unsigned n = ++written[uid[i]];
    if (group.size() > 1 && n == 1 && IcsGroup_Join(group, joined)) {
      AddGroup(x, joined, uid[i]);
      written[uid[i]] = static_cast<unsigned>(group.size() + 1);  // the rest are in it
      continue;
    }
    if (n > group.size()) continue;
    AddEntry(x, *e, n > 1 ? uid[i] + "/" + std::to_string(n) : uid[i]);
  }
  return IcsWrite_Component(x.calendar);
}

int Cli_ExportIcs(int argc, char** argv) {
  if (!CliData_TakeNow(argc, argv, kCommand)) return CLI_EXIT_USAGE;
  OptionReader reader{argc, argv};
  OptionItem item;
  std::string file;
  while (Options_Next(reader, {}, item)) {
    if (item.id == OPTION_HELP) {
      std::fputs("usage: velmo-cli export-ics [FILE]   (standard output without FILE)\n", stdout);
      return CliData_Written();
    }
    if (!file.empty()) return Options_Refuse("velmo-cli export-ics", "one FILE only", CLI_EXIT_USAGE);
    file = CliData_UserPath(item.value);
  }
  if (reader.status != OPTIONS_END) return Options_Fail("velmo-cli export-ics", reader, CLI_EXIT_USAGE);
  if (const int status = CliData_Read(kCommand); status != CLI_EXIT_OK) return status;
  const std::string text = IcsExport_Text();
  const bool done = WriteOut(file.empty() ? nullptr : file.c_str(), text.c_str());
  Store_Shutdown();
  if (done) return CLI_EXIT_OK;
  std::fprintf(stderr, "velmo-cli %s: %s: could not be written\n", kCommand,
               file.empty() ? "standard output" : file.c_str());
  return CLI_EXIT_NOT_WRITTEN;
}
