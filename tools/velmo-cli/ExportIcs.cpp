// velmo-cli export-ics [FILE]: every entry, in table order, as one iCalendar
// object (standard output without FILE). Entries that other calendars cannot
// show as Velmo does are reported on standard error, one line each.
#include <libical/ical.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "CliData.h"
#include "Cli.h"
#include "IcsExport.h"
#include "IcsGroup.h"
#include "IcsShared.h"
#include "IcsWrite.h"
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
constexpr icalrecurrencetype_weekday kWeekdays[7] = {
    ICAL_SUNDAY_WEEKDAY,   ICAL_MONDAY_WEEKDAY, ICAL_TUESDAY_WEEKDAY, ICAL_WEDNESDAY_WEEKDAY,
    ICAL_THURSDAY_WEEKDAY, ICAL_FRIDAY_WEEKDAY, ICAL_SATURDAY_WEEKDAY};
// Week bits of a month rule and the BYDAY position each stands for.
constexpr struct {
  std::uint8_t bit;
  int position;
} kWeekPositions[] = {{0x01, 1}, {0x02, 2}, {0x04, 3}, {0x08, 4}, {WEEK_LAST, -1}};

// libical's BYDAY value: (|position| * 8 + weekday), negative for counting from the end.
short EncodeDay(icalrecurrencetype_weekday day, int position) {
  const int code = (position < 0 ? -position : position) * 8 + static_cast<int>(day);
  return static_cast<short>(position < 0 ? -code : code);
}

icaltimetype DateOf(DayNo day) {
  std::uint16_t y, m, d;
  DayNo_ToDate(day, y, m, d);
  icaltimetype t = icaltime_null_date();
  t.year = y;
  t.month = m;
  t.day = d;
  t.is_date = 1;
  return t;
}

// Local time of day on day; 24:00 is the next day's 00:00.
icaltimetype LocalTime(DayNo day, int hour, int minute, int second = 0) {
  icaltimetype t = DateOf(day);
  t.is_date = 0;
  t.hour = 0;
  t.minute = minute;
  t.second = second;
  icaltime_adjust(&t, 0, hour, 0, 0);
  return t;
}

// A local time as written: with the zone's TZID, or in UTC when the zone is UTC.
icalproperty* WithZone(icalproperty* p, icaltimetype t) {
  if (t.is_date) return p;
  if (IcsShared_ZoneName() != nullptr) {
    icalproperty_add_parameter(p, icalparameter_new_tzid(IcsShared_ZoneName()));
  }
  return p;
}

icaltimetype Written(icaltimetype t) {
  if (!t.is_date && IcsShared_ZoneName() == nullptr) t.zone = icaltimezone_get_utc_timezone();
  return t;
}

// A local time in UTC, as UNTIL beside a DTSTART with a TZID and DTSTAMP must be.
icaltimetype InUtc(DayNo day, int hour, int minute, int second) {
  constexpr int kDaySeconds = 86400;
  const IcsSeconds wall = IcsSeconds{day} * kDaySeconds + hour * 3600 + minute * 60 + second;
  const IcsSeconds utc = IcsZones_Utc(IcsZones_Local(), wall);
  icaltimetype t = DateOf(static_cast<DayNo>(utc / kDaySeconds));
  t.is_date = 0;
  const int rest = static_cast<int>(utc % kDaySeconds);
  t.hour = rest / 3600;
  t.minute = rest / 60 % 60;
  t.second = rest % 60;
  t.zone = icaltimezone_get_utc_timezone();
  return t;
}

// The entry's change stamp (local), so that an unchanged entry is written
// byte for byte the same; an entry never stamped takes its first day.
icaltimetype Stamp(const Entry& e) {
  return e.stampDay != DAY_NONE ? InUtc(e.stampDay, e.stampHour % 24, e.stampMinute % 60, 0) : InUtc(e.startDay, 0, 0, 0);
}

struct Exporter {
  icalcomponent* calendar;
  unsigned reported = 0;
};

void Report(Exporter& x, const std::string& uid, const char* what) {
  ++x.reported;
  std::fprintf(stderr, "velmo-cli %s: %s: %s\n", kCommand, uid.c_str(), what);
}

void AddText(icalcomponent* c, const Entry& e) {
  const std::string text = Sjis_ToUtf8(e.textLen != 0 ? std::string_view(e.text, e.textLen) : "");
  const std::size_t feed = text.find('\n');
  icalcomponent_add_property(c, icalproperty_new_summary(text.substr(0, feed).c_str()));
  if (feed != std::string::npos) {
    icalcomponent_add_property(c, icalproperty_new_description(text.substr(feed + 1).c_str()));
  }
}

void AddCommon(icalcomponent* c, const Entry& e, const std::string& uid) {
  icalcomponent_add_property(c, icalproperty_new_uid(uid.c_str()));
  icalcomponent_add_property(c, icalproperty_new_dtstamp(Stamp(e)));
  AddText(c, e);
  if (e.kind == KIND_HOLIDAY) icalcomponent_add_property(c, icalproperty_new_categories(kHolidayCategory));
  const std::string label = Sjis_ToUtf8(CliData_LabelName(e.label));
  if (!label.empty()) icalcomponent_add_property(c, icalproperty_new_categories(label.c_str()));
  if (e.linkLen != 0) {
    const std::string link = Sjis_ToUtf8(std::string_view(e.link, e.linkLen));
    icalattach* attach = icalattach_new_from_url(link.c_str());
    icalcomponent_add_property(c, icalproperty_new_attach(attach));
    icalattach_unref(attach);
  }
}

void AddByDays(icalrecurrencetype& r, const Entry& e, bool withWeeks) {
  int n = 0;
  for (const auto& week : kWeekPositions) {
    if (withWeeks && (e.weekMask & week.bit) == 0) continue;
    for (std::uint16_t w = 0; w < 7; ++w) {
      const std::uint8_t days = withWeeks ? e.weekdayMask : e.weekMask;
      if (days & WeekdayBit(w)) {
        r.by_day[n++] = EncodeDay(kWeekdays[w], withWeeks ? week.position : 0);
      }
    }
    if (!withWeeks) break;
  }
  r.by_day[n] = ICAL_RECURRENCE_ARRAY_MAX;
}

// The rule of e, or of a timed schedule over several days (daily over them).
icalrecurrencetype RuleOf(const Entry& e, bool timed) {
  icalrecurrencetype r;
  icalrecurrencetype_clear(&r);
  r.interval = static_cast<short>(e.interval == 0 ? 1 : e.interval);
  r.until = !timed ? DateOf(e.endDay)
            : IcsShared_ZoneName() != nullptr ? InUtc(e.endDay, 23, 59, 59)
                                              : Written(LocalTime(e.endDay, 23, 59, 59));
  switch (e.repeat) {
    case REPEAT_NONE:
      r.freq = ICAL_DAILY_RECURRENCE;
      r.interval = 1;
      break;
    case REPEAT_DAYS:
      r.freq = ICAL_DAILY_RECURRENCE;
      break;
    case REPEAT_WEEKS:
      r.freq = ICAL_WEEKLY_RECURRENCE;
      r.week_start = ICAL_SUNDAY_WEEKDAY;
      AddByDays(r, e, false);
      break;
    case REPEAT_MONTH_DAY:
      r.freq = ICAL_MONTHLY_RECURRENCE;
      r.by_month_day[0] = static_cast<short>(e.startMday);
      break;
    case REPEAT_MONTH_WEEKDAY:
      r.freq = ICAL_MONTHLY_RECURRENCE;
      AddByDays(r, e, true);
      break;
    case REPEAT_YEAR_DAY:
      r.freq = ICAL_YEARLY_RECURRENCE;
      r.by_month[0] = static_cast<short>(e.startMonth);
      r.by_month_day[0] = static_cast<short>(e.startMday);
      break;
    default:
      r.freq = ICAL_YEARLY_RECURRENCE;
      r.by_month[0] = static_cast<short>(e.startMonth);
      AddByDays(r, e, true);
      break;
  }
  return r;
}

icalcomponent* Event(Exporter& x, const Entry& e, const std::string& uid) {
  const DayNo first = Entry_FirstDay(e);
  if (first == DAY_NONE) {
    Report(x, uid, "its repeat rule matches no day of its range; not exported");
    return nullptr;
  }
  icalcomponent* c = icalcomponent_new_vevent();
  AddCommon(c, e, uid);
  const bool timed = e.kind != KIND_HOLIDAY && CliData_HasTimes(e);
  if (!timed) {
    icalcomponent_add_property(c, icalproperty_new_dtstart(DateOf(first)));
    icaltimetype end = DateOf(e.repeat == REPEAT_NONE ? e.endDay : first);
    icaltime_adjust(&end, 1, 0, 0, 0);
    icalcomponent_add_property(c, icalproperty_new_dtend(end));
  } else {
    const icaltimetype start = LocalTime(first, e.startHour, e.startMinute);
    icalcomponent_add_property(c, WithZone(icalproperty_new_dtstart(Written(start)), start));
    const int from = e.startHour * 60 + e.startMinute, to = e.endHour * 60 + e.endMinute;
    if (e.kind == KIND_SCHEDULE && to > from) {
      const icaltimetype end = LocalTime(first, e.endHour, e.endMinute);
      icalcomponent_add_property(c, WithZone(icalproperty_new_dtend(Written(end)), end));
    } else if (e.kind == KIND_SCHEDULE && to < from) {
      Report(x, uid, "its end time is before its start time; written without an end");
    }
  }
  if (e.kind == KIND_HOLIDAY) icalcomponent_add_property(c, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
  if (e.repeat != REPEAT_NONE || (timed && e.endDay > first)) {
    icalcomponent_add_property(c, icalproperty_new_rrule(RuleOf(e, timed)));
  }
  return c;
}

// The occurrence on day at e's start time, as RECURRENCE-ID and EXDATE name it.
icalproperty* Occurrence(icalproperty* p, const Entry& e, DayNo day, bool timed) {
  if (!timed) return p;
  const icaltimetype t = LocalTime(day, e.startHour, e.startMinute);
  icalproperty_set_value(p, icalvalue_new_datetime(Written(t)));
  return WithZone(p, t);
}

void AddEvent(Exporter& x, const Entry& e, const std::string& uid) {
  if (icalcomponent* c = Event(x, e, uid)) icalcomponent_add_component(x.calendar, c);
}

// The entries of one item as that item: the rule with its left-out days,
// then each moved occurrence under the same UID.
void AddGroup(Exporter& x, const IcsGroup& g, const std::string& uid) {
  icalcomponent* c = Event(x, g.rule, uid);
  if (c == nullptr) return;
  const bool timed = g.rule.kind != KIND_HOLIDAY && CliData_HasTimes(g.rule);
  for (const DayNo day : g.exdates) {
    icalcomponent_add_property(c, Occurrence(icalproperty_new_exdate(DateOf(day)), g.rule, day, timed));
  }
  icalcomponent_add_component(x.calendar, c);
  for (const auto& [day, entry] : g.moved) {
    icalcomponent* m = Event(x, *entry, uid);
    if (m == nullptr) continue;
    icalcomponent_add_property(m, Occurrence(icalproperty_new_recurrenceid(DateOf(day)), g.rule, day, timed));
    icalcomponent_add_component(x.calendar, m);
  }
}

void AddTask(Exporter& x, const Entry& e, const std::string& uid) {
  icalcomponent* c = icalcomponent_new_vtodo();
  AddCommon(c, e, uid);
  icalcomponent_add_property(c, icalproperty_new_due(DateOf(e.startDay)));
  int priority = e.rank;
  if (priority > kHighestPriority) {
    Report(x, uid, "its rank is above 9; written as priority 9");
    priority = kHighestPriority;
  }
  icalcomponent_add_property(c, icalproperty_new_priority(priority));
  if (e.doneLen != 0 && e.done != nullptr && e.doneLen >= 2) {
    icalcomponent_add_property(c, icalproperty_new_status(ICAL_STATUS_COMPLETED));
    icaltimetype done = LocalTime(e.done[0], 0, 0);
    done.zone = IcsShared_Zone();
    done = icaltime_convert_to_zone(done, icaltimezone_get_utc_timezone());
    icalcomponent_add_property(c, icalproperty_new_completed(done));
  } else {
    icalcomponent_add_property(c, icalproperty_new_status(ICAL_STATUS_NEEDSACTION));
  }
  icalcomponent_add_component(x.calendar, c);
}

void AddTimeZone(Exporter& x) {
  if (IcsShared_ZoneName() == nullptr) return;
  icalcomponent* zone = icaltimezone_get_component(IcsShared_Zone());
  if (zone == nullptr) return;
  zone = icalcomponent_new_clone(zone);
  // libical names its zones with a prefix; the events name the zone plainly.
  icalproperty* tzid = icalcomponent_get_first_property(zone, ICAL_TZID_PROPERTY);
  if (tzid != nullptr) icalproperty_set_tzid(tzid, IcsShared_ZoneName());
  icalcomponent_add_component(x.calendar, zone);
}

// A calendar with Velmo's header and its time zone, for the items to go in.
Exporter NewCalendar() {
  Exporter x{icalcomponent_new_vcalendar()};
  icalcomponent_add_property(x.calendar, icalproperty_new_version("2.0"));
  icalcomponent_add_property(x.calendar, icalproperty_new_prodid(ICS_PRODID));
  AddTimeZone(x);
  return x;
}

void AddEntry(Exporter& x, const Entry& e, const std::string& name) {
  switch (e.kind) {
    case KIND_TASK: AddTask(x, e, name); break;
    case KIND_HOLIDAY:
    case KIND_TIMED:
    case KIND_SCHEDULE: AddEvent(x, e, name); break;
    default: Report(x, name, "an entry of a kind Velmo keeps only as read; not exported");
  }
}

bool WriteOut(const char* file, const char* text) {
  if (file == nullptr) return std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0;
  return Files_ReplaceWhole(file, nullptr, [text](std::FILE* f) { return std::fputs(text, f) >= 0; });
}

}  // namespace

bool IcsExport_Item(const std::vector<const Entry*>& entries, const std::string& uid, std::string& ics) {
  IcsGroup joined;
  const bool one = entries.size() == 1;
  if (!one && !IcsGroup_Join(entries, joined)) return false;
  Exporter x = NewCalendar();
  if (one) {
    AddEntry(x, *entries.front(), uid);
  } else {
    AddGroup(x, joined, uid);
  }
  const bool written = icalcomponent_get_first_real_component(x.calendar) != nullptr;
  if (written) ics = IcsWrite_Component(x.calendar);
  icalcomponent_free(x.calendar);
  return written;
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
  const std::string text = IcsWrite_Component(x.calendar);
  const bool done = WriteOut(file.empty() ? nullptr : file.c_str(), text.c_str());
  icalcomponent_free(x.calendar);
  Store_Shutdown();
  if (done) return CLI_EXIT_OK;
  std::fprintf(stderr, "velmo-cli %s: %s: could not be written\n", kCommand,
               file.empty() ? "standard output" : file.c_str());
  return CLI_EXIT_NOT_WRITTEN;
}
