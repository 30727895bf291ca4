// velmo-cli export-ics [FILE]: every entry, in table order, as one iCalendar
// object (standard output without FILE). Entries that other calendars cannot
// show as Velmo does are reported on standard error, one line each.
#include <libical/ical.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "CliData.h"
#include "Cli.h"
#include "IcsShared.h"
#include "Sjis.h"
#include "platform/Options.h"
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

struct Exporter {
  icalcomponent* calendar;
  icaltimetype stamp;
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

void AddCommon(Exporter& x, icalcomponent* c, const Entry& e, const std::string& uid) {
  icalcomponent_add_property(c, icalproperty_new_uid(uid.c_str()));
  icalcomponent_add_property(c, icalproperty_new_dtstamp(x.stamp));
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
  r.until = timed ? LocalTime(e.endDay, 23, 59, 59) : DateOf(e.endDay);
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

void AddEvent(Exporter& x, const Entry& e, const std::string& uid) {
  const DayNo first = Entry_FirstDay(e);
  if (first == DAY_NONE) {
    Report(x, uid, "its repeat rule matches no day of its range; not exported");
    return;
  }
  icalcomponent* c = icalcomponent_new_vevent();
  AddCommon(x, c, e, uid);
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
    icalrecurrencetype r = RuleOf(e, timed);
    r.until = Written(r.until);
    icalcomponent_add_property(c, icalproperty_new_rrule(r));
  }
  icalcomponent_add_component(x.calendar, c);
}

void AddTask(Exporter& x, const Entry& e, const std::string& uid) {
  icalcomponent* c = icalcomponent_new_vtodo();
  AddCommon(x, c, e, uid);
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

bool WriteOut(const char* file, const char* text) {
  if (file == nullptr) return std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0;
  const std::string temp = std::string(file) + ".tmp";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = std::fputs(text, f) >= 0;
  if (std::fclose(f) == 0 && written && std::rename(temp.c_str(), file) == 0) return true;
  std::remove(temp.c_str());
  return false;
}

}  // namespace

int Cli_ExportIcs(int argc, char** argv) {
  if (!CliData_TakeNow(argc, argv, kCommand)) return 2;
  OptionReader reader{argc, argv};
  OptionItem item;
  std::string file;
  while (Options_Next(reader, {}, item)) {
    if (item.id == OPTION_HELP) {
      std::fputs("usage: velmo-cli export-ics [FILE]   (standard output without FILE)\n", stdout);
      return CliData_Written();
    }
    if (!file.empty()) return Options_Refuse("velmo-cli export-ics", "one FILE only", 2);
    file = CliData_UserPath(item.value);
  }
  if (reader.status != OPTIONS_END) return Options_Fail("velmo-cli export-ics", reader, 2);
  if (const int status = CliData_Read(kCommand); status != 0) return status;
  const std::size_t count = Store_Count();
  std::vector<std::string> uid(count);
  IcsUids uids;
  IcsShared_LoadUids(uids, uid.data(), count);
  DateClock now;
  Date_ReadClock(now);
  Exporter x{icalcomponent_new_vcalendar(),
             icaltime_from_timet_with_zone(static_cast<time_t>(now.seconds), 0,
                                           icaltimezone_get_utc_timezone())};
  icalcomponent_add_property(x.calendar, icalproperty_new_version("2.0"));
  icalcomponent_add_property(x.calendar, icalproperty_new_prodid("-//Velmo//velmo-cli//EN"));
  AddTimeZone(x);
  std::uint16_t pos = Store_First();
  for (std::size_t i = 0; const Entry* e = Store_Next(pos); ++i) {
    switch (e->kind) {
      case KIND_DELETED: break;
      case KIND_TASK: AddTask(x, *e, uid[i]); break;
      case KIND_HOLIDAY:
      case KIND_TIMED:
      case KIND_SCHEDULE: AddEvent(x, *e, uid[i]); break;
      default: Report(x, uid[i], "an entry of a kind Velmo keeps only as read; not exported");
    }
  }
  char* text = icalcomponent_as_ical_string_r(x.calendar);
  const bool written = text != nullptr && WriteOut(file.empty() ? nullptr : file.c_str(), text);
  std::free(text);
  icalcomponent_free(x.calendar);
  Store_Shutdown();
  if (written) return 0;
  std::fprintf(stderr, "velmo-cli %s: %s: could not be written\n", kCommand,
               file.empty() ? "standard output" : file.c_str());
  return CLI_EXIT_NOT_WRITTEN;
}
