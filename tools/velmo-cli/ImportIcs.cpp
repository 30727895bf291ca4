// velmo-cli import-ics FILE [--dry-run] [--skip-inexact]: adds the file's
// VEVENTs and VTODOs to the working folder's record file. A repeat rule
// Velmo cannot express exactly is reported and left off (with
// --skip-inexact the item is left out); items whose UID the record already
// holds are passed over, so a second import adds nothing.
#include <libical/ical.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "CliData.h"
#include "Cli.h"
#include "IcsShared.h"
#include "Sjis.h"
#include "calendar/Date.h"
#include "platform/Options.h"
#include "store/MonthRec.h"

namespace {

constexpr const char* kCommand = "import-ics";
constexpr const char* kUsage = "usage: velmo-cli import-ics FILE [--dry-run] [--skip-inexact]\n";
constexpr std::size_t kMaxFileBytes = 8u << 20;
constexpr std::size_t kTextCapacity = cap::kEntryDialogText;
constexpr std::size_t kLinkCapacity = cap::kFileName - 1;
constexpr std::uint8_t kDefaultRank = 3;
constexpr int kMaxInterval = 255;
constexpr std::uint8_t kEveryWeek = 0x1F;  // weeks 1..4 and the last: every such weekday
constexpr const char* kHolidayCategory = "\xe4\xbc\x91\xe6\x97\xa5";  // 休日 (UTF-8)
constexpr const char* kKnownComponents[] = {"VCALENDAR", "VEVENT", "VTODO", "VJOURNAL", "VFREEBUSY",
                                            "VTIMEZONE", "STANDARD", "DAYLIGHT", "VALARM",
                                            "VAVAILABILITY", "AVAILABLE"};

struct ImportArgs {
  const char* file = nullptr;
  bool dryRun = false;
  bool skipInexact = false;
};

// One item as it will be registered.
struct Item {
  std::string uid;
  EntryKind kind = KIND_SCHEDULE;
  std::uint16_t label = 0;
  DayNo start = DAY_NONE, end = DAY_NONE;
  int startHour = 0, startMinute = 0, endHour = 0, endMinute = 0;
  RepeatType repeat = REPEAT_NONE;
  int interval = 0;
  std::uint8_t weekMask = 0, weekdayMask = 0;
  std::uint8_t rank = kDefaultRank;
  DayNo done = DAY_NONE;
  std::string text, link;  // Shift-JIS
};

struct Import {
  ImportArgs args;
  icalcomponent* root = nullptr;
  std::vector<Item> items;
  IcsUids uids;
  unsigned already = 0, skipped = 0;
  bool nothingToWrite = false;  // read and checked, but nothing new
};

// ---------------------------------------------------------------------------
// Reading the file

bool Fail(const std::string& what) {
  std::fprintf(stderr, "velmo-cli %s: %s; nothing written\n", kCommand, what.c_str());
  return false;
}

bool ReadFile(const char* name, std::string& out) {
  struct stat st{};
  if (stat(name, &st) != 0) return Fail(std::string(name) + ": " + std::strerror(errno));
  if (!S_ISREG(st.st_mode)) return Fail(std::string(name) + ": not a regular file");
  if (static_cast<std::size_t>(st.st_size) > kMaxFileBytes) {
    return Fail(std::string(name) + ": larger than " + std::to_string(kMaxFileBytes >> 20) + " MB");
  }
  std::ifstream in(name, std::ios::binary);
  if (!in) return Fail(std::string(name) + ": cannot be read");
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool KnownComponent(const std::string& name) {
  if (name.rfind("X-", 0) == 0) return true;
  for (const char* known : kKnownComponents) {
    if (name == known) return true;
  }
  return false;
}

std::string Upper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

bool NameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

// The content lines' outline, before libical reads them: every line a
// property ("NAME[;params]:value") or a folded continuation, components
// nested and closed, none unknown. libical accepts much of this silently.
bool CheckOutline(const std::string& text) {
  std::vector<std::string> open;
  std::size_t lineNo = 0, at = 0;
  bool seenCalendar = false;
  while (at < text.size()) {
    std::size_t stop = text.find('\n', at);
    if (stop == std::string::npos) stop = text.size();
    std::string line = text.substr(at, stop - at);
    at = stop + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string where = "line " + std::to_string(lineNo) + ": ";
    if (line.empty()) continue;
    if (line[0] == ' ' || line[0] == '\t') {
      if (lineNo == 1 || open.empty()) return Fail(where + "a folded line outside any component");
      continue;
    }
    std::size_t n = 0;
    while (n < line.size() && NameChar(line[n])) ++n;
    if (n == 0 || n == line.size() || (line[n] != ':' && line[n] != ';')) {
      if (stop == text.size()) return Fail("the file ends in the middle of a line (truncated?)");
      return Fail(where + "neither a property nor a folded continuation (wrong line folding?)");
    }
    const std::string name = Upper(line.substr(0, n));
    const std::string value = Upper(line.substr(n + 1));
    if (name == "BEGIN") {
      if (open.empty() && value != "VCALENDAR") return Fail(where + "BEGIN:" + value + " outside VCALENDAR");
      if (!KnownComponent(value)) return Fail(where + "unknown component " + value);
      if (value == "VCALENDAR") seenCalendar = true;
      open.push_back(value);
    } else if (name == "END") {
      if (open.empty() || open.back() != value) {
        return Fail(where + "END:" + value + " does not close " + (open.empty() ? "anything" : open.back()));
      }
      open.pop_back();
    } else if (open.empty()) {
      return Fail(where + "a property outside VCALENDAR");
    }
  }
  if (!open.empty()) return Fail("the file ends inside " + open.back() + " (truncated?)");
  if (!seenCalendar) return Fail("no VCALENDAR in the file");
  return true;
}

// libical marks what it could not read with X-LIC-ERROR properties.
bool CheckParsed(icalcomponent* c) {
  for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_XLICERROR_PROPERTY); p != nullptr;
       p = icalcomponent_get_next_property(c, ICAL_XLICERROR_PROPERTY)) {
    const char* what = icalproperty_get_xlicerror(p);
    return Fail(std::string("libical: ") + (what != nullptr ? what : "unreadable content"));
  }
  for (icalcomponent* k = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); k != nullptr;
       k = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT)) {
    if (!CheckParsed(k)) return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// Times and dates

struct LocalTime {
  DayNo day = DAY_NONE;
  bool isDate = false;
  int hour = 0, minute = 0;
};

// t in the local zone; floating times are local already.
bool ToLocal(icaltimetype t, LocalTime& out) {
  if (icaltime_is_null_time(t) || !icaltime_is_valid_time(t)) return false;
  if (!t.is_date && t.zone != nullptr) t = icaltime_convert_to_zone(t, IcsShared_Zone());
  if (t.year < DATE_FIRST_YEAR || t.year > DATE_LAST_YEAR) return false;
  char date[16];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", t.year, t.month, t.day);
  if (!CliData_ParseDate(date, out.day)) return false;
  out.isDate = t.is_date != 0;
  out.hour = t.is_date ? 0 : t.hour;
  out.minute = t.is_date ? 0 : t.minute;
  return true;
}

int Minutes(const LocalTime& t) { return t.hour * 60 + t.minute; }

// ---------------------------------------------------------------------------
// Repeat rules

struct RuleResult {
  std::string notKept;  // what Velmo cannot express; empty when kept
  bool daily = false;   // FREQ=DAILY, interval 1, nothing else: kept as a range when timed
};

void Note(RuleResult& r, const std::string& what) {
  if (!r.notKept.empty()) r.notKept += ", ";
  r.notKept += what;
}

int Count(const short* values, int size) {
  int n = 0;
  while (n < size && values[n] != ICAL_RECURRENCE_ARRAY_MAX) ++n;
  return n;
}

// Sunday 0 .. Saturday 6 from libical's weekday (Sunday 1).
int Weekday(short code) { return static_cast<int>(icalrecurrencetype_day_day_of_week(code)) - 1; }

// BYDAY as Velmo's weeks and weekdays; false when it is not their product.
bool WeeksAndDays(const icalrecurrencetype& r, std::uint8_t& weeks, std::uint8_t& days, RuleResult& out) {
  weeks = days = 0;
  const int n = Count(r.by_day, ICAL_BY_DAY_SIZE);
  bool plain = false, numbered = false;
  for (int i = 0; i < n; ++i) {
    const int pos = icalrecurrencetype_day_position(r.by_day[i]);
    const int w = Weekday(r.by_day[i]);
    if (w < 0 || w > 6) return Note(out, "BYDAY"), false;
    days |= WeekdayBit(static_cast<std::uint16_t>(w));
    if (pos == 0) {
      plain = true;
    } else if (pos >= 1 && pos <= 4) {
      numbered = true;
      weeks |= WeekBit(static_cast<std::uint16_t>(pos));
    } else if (pos == -1) {
      numbered = true;
      weeks |= WEEK_LAST;
    } else {
      return Note(out, "BYDAY=" + std::to_string(pos) + "..."), false;
    }
  }
  if (plain && numbered) return Note(out, "BYDAY mixing numbered and plain weekdays"), false;
  if (plain) weeks = kEveryWeek;
  int expected = 0;
  for (int b = 0; b < 8; ++b) expected += ((weeks >> b) & 1) * __builtin_popcount(days);
  if (numbered && expected != n) return Note(out, "BYDAY that is not every listed week times every listed weekday"), false;
  return true;
}

// Weeks of interval > 1 group days as the week start says; Velmo's weeks
// start on Sunday. The same days come out when all of them lie on one side
// of the week start.
bool SameWeeks(const icalrecurrencetype& r, std::uint8_t days) {
  if (r.interval <= 1) return true;
  const int start = static_cast<int>(r.week_start) - 1;  // Sunday 0
  if (start <= 0 || start > 6) return true;
  const std::uint8_t before = static_cast<std::uint8_t>((1u << start) - 1);
  return (days & before) == 0 || (days & ~before & 0x7F) == 0;
}

RuleResult MapRule(const icalrecurrencetype& r, const LocalTime& start, Item& item) {
  RuleResult out;
  std::uint16_t year, month, mday;
  DayNo_ToDate(start.day, year, month, mday);
  const std::uint16_t weekday = DayNo_Weekday(start.day);
  if (r.count != 0) Note(out, "COUNT");
  if (Count(r.by_second, ICAL_BY_SECOND_SIZE)) Note(out, "BYSECOND");
  if (Count(r.by_minute, ICAL_BY_MINUTE_SIZE)) Note(out, "BYMINUTE");
  if (Count(r.by_hour, ICAL_BY_HOUR_SIZE)) Note(out, "BYHOUR");
  if (Count(r.by_year_day, ICAL_BY_YEARDAY_SIZE)) Note(out, "BYYEARDAY");
  if (Count(r.by_week_no, ICAL_BY_WEEKNO_SIZE)) Note(out, "BYWEEKNO");
  if (Count(r.by_set_pos, ICAL_BY_SETPOS_SIZE)) Note(out, "BYSETPOS");
  if (r.interval > kMaxInterval) Note(out, "INTERVAL above 255");
  const int months = Count(r.by_month, ICAL_BY_MONTH_SIZE);
  const int monthDays = Count(r.by_month_day, ICAL_BY_MONTHDAY_SIZE);
  const int byDays = Count(r.by_day, ICAL_BY_DAY_SIZE);
  item.interval = r.interval < 1 ? 1 : r.interval;
  switch (r.freq) {
    case ICAL_DAILY_RECURRENCE:
      if (months || monthDays || byDays) Note(out, "BYMONTH, BYMONTHDAY or BYDAY on a daily rule");
      item.repeat = REPEAT_DAYS;
      out.daily = item.interval == 1;
      break;
    case ICAL_WEEKLY_RECURRENCE: {
      if (months || monthDays) Note(out, "BYMONTH or BYMONTHDAY on a weekly rule");
      std::uint8_t weeks = 0, days = WeekdayBit(weekday);
      if (byDays && (!WeeksAndDays(r, weeks, days, out) || weeks != kEveryWeek)) {
        Note(out, "numbered BYDAY on a weekly rule");
      }
      if ((days & WeekdayBit(weekday)) == 0) Note(out, "DTSTART on a day its BYDAY skips");
      if (!SameWeeks(r, days)) Note(out, "WKST other than SU with INTERVAL above 1");
      item.repeat = REPEAT_WEEKS;
      item.weekMask = days;
      break;
    }
    case ICAL_MONTHLY_RECURRENCE:
    case ICAL_YEARLY_RECURRENCE: {
      const bool yearly = r.freq == ICAL_YEARLY_RECURRENCE;
      if (months > 1 || (months == 1 && r.by_month[0] != month)) Note(out, "BYMONTH other than DTSTART's month");
      if (months && !yearly) Note(out, "BYMONTH on a monthly rule");
      if (monthDays > 1) Note(out, "several BYMONTHDAY");
      if (monthDays == 1 && r.by_month_day[0] != mday) Note(out, "BYMONTHDAY other than DTSTART's day");
      if (monthDays && byDays) Note(out, "BYMONTHDAY with BYDAY");
      if (byDays && yearly && months == 0) Note(out, "BYDAY on a yearly rule without BYMONTH");
      if (byDays == 0) {
        item.repeat = yearly ? REPEAT_YEAR_DAY : REPEAT_MONTH_DAY;
        break;
      }
      std::uint8_t weeks = 0, days = 0;
      if (WeeksAndDays(r, weeks, days, out)) {
        const std::uint8_t set = Date_WeekSet(mday, Date_MonthLength(year, month));
        if ((weeks & set) == 0 || (days & WeekdayBit(weekday)) == 0) Note(out, "DTSTART on a day its BYDAY skips");
      }
      item.repeat = yearly ? REPEAT_YEAR_WEEKDAY : REPEAT_MONTH_WEEKDAY;
      item.weekMask = weeks;
      item.weekdayMask = days;
      break;
    }
    default:
      Note(out, std::string("FREQ=") + icalrecur_freq_to_string(r.freq));
  }
  return out;
}

// The last day of the rule: UNTIL's local date, one earlier when UNTIL's time
// falls before the start time that day.
DayNo RuleEnd(const icalrecurrencetype& r, const LocalTime& start) {
  LocalTime until;
  if (icaltime_is_null_time(r.until)) return DAY_OPEN_END;
  if (!ToLocal(r.until, until)) return r.until.year > DATE_LAST_YEAR ? DAY_OPEN_END : DAY_NONE;
  if (!until.isDate && !start.isDate && Minutes(until) < Minutes(start)) return static_cast<DayNo>(until.day - 1);
  return until.day;
}

// ---------------------------------------------------------------------------
// Items

void Report(const std::string& uid, const std::string& what) {
  std::fprintf(stderr, "velmo-cli %s: %s: %s\n", kCommand, uid.c_str(), what.c_str());
}

std::string Utf8Value(const char* text) { return text != nullptr ? text : ""; }

void SetText(Item& item, icalcomponent* c) {
  std::string text = Utf8Value(icalcomponent_get_summary(c));
  const std::string description = Utf8Value(icalcomponent_get_description(c));
  if (!description.empty()) text += "\n" + description;
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    plain += text[i] == '\r' ? '\n' : text[i];
  }
  unsigned missing = 0;
  std::string sjis = Sjis_FromUtf8(plain, missing);
  if (missing != 0) Report(item.uid, std::to_string(missing) + " character(s) Shift-JIS lacks written as \xe3\x80\x93");
  const std::size_t cut = Sjis_CutLength(sjis, kTextCapacity);
  if (cut < sjis.size()) {
    Report(item.uid, "text cut from " + std::to_string(sjis.size()) + " to " + std::to_string(cut) + " bytes");
    sjis.resize(cut);
  }
  item.text = sjis;
}

void SetLink(Item& item, icalcomponent* c) {
  icalproperty* p = icalcomponent_get_first_property(c, ICAL_ATTACH_PROPERTY);
  if (p == nullptr) return;
  icalattach* a = icalproperty_get_attach(p);
  if (a == nullptr || !icalattach_get_is_url(a)) return Report(item.uid, "an attachment that is no link left out");
  unsigned missing = 0;
  std::string link = Sjis_FromUtf8(Utf8Value(icalattach_get_url(a)), missing);
  const std::size_t cut = Sjis_CutLength(link, kLinkCapacity);
  if (cut < link.size()) Report(item.uid, "link cut to " + std::to_string(cut) + " bytes");
  link.resize(cut);
  item.link = link;
  if (icalcomponent_get_next_property(c, ICAL_ATTACH_PROPERTY) != nullptr) {
    Report(item.uid, "only the first ATTACH kept");
  }
}

// The label named by a category, and whether "休日" is among them.
bool SetCategories(Item& item, icalcomponent* c) {
  bool holiday = false, labelled = false;
  for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_CATEGORIES_PROPERTY); p != nullptr;
       p = icalcomponent_get_next_property(c, ICAL_CATEGORIES_PROPERTY)) {
    std::string all = Utf8Value(icalproperty_get_categories(p));
    for (std::size_t from = 0; from <= all.size();) {
      std::size_t comma = all.find(',', from);
      if (comma == std::string::npos) comma = all.size();
      const std::string name = all.substr(from, comma - from);
      from = comma + 1;
      if (name == kHolidayCategory) {
        holiday = true;
        continue;
      }
      const int label = CliData_FindLabel(name);
      if (label >= 0 && !labelled && !name.empty() && (name[0] < '0' || name[0] > '9')) {
        item.label = static_cast<std::uint16_t>(label);
        labelled = true;
      }
    }
  }
  return holiday;
}

bool HasProperty(icalcomponent* c, icalproperty_kind kind) {
  return icalcomponent_get_first_property(c, kind) != nullptr;
}

// A timed item over several days shows its times on each of them in Velmo.
void ReportSpan(const Item& item, bool timed) {
  if (!timed || item.end <= item.start) return;
  Report(item.uid, "spans several days; Velmo shows " + CliData_TimeText(item.startHour, item.startMinute) + "-" +
                       CliData_TimeText(item.endHour, item.endMinute) + " on each of them");
}

// The rule of an event; false when the item is to be left out.
bool SetRule(Import& im, Item& item, icalcomponent* c, const LocalTime& start, bool timed) {
  icalproperty* p = icalcomponent_get_first_property(c, ICAL_RRULE_PROPERTY);
  std::string notKept;
  for (auto kind : {ICAL_EXDATE_PROPERTY, ICAL_RDATE_PROPERTY, ICAL_EXRULE_PROPERTY}) {
    if (!HasProperty(c, kind)) continue;
    if (!notKept.empty()) notKept += ", ";
    notKept += kind == ICAL_EXDATE_PROPERTY ? "EXDATE" : kind == ICAL_RDATE_PROPERTY ? "RDATE" : "EXRULE";
  }
  if (p == nullptr && notKept.empty()) return ReportSpan(item, timed), true;
  RuleResult rule;
  DayNo end = item.end;
  if (p != nullptr) {
    const icalrecurrencetype r = icalproperty_get_rrule(p);
    rule = MapRule(r, start, item);
    end = RuleEnd(r, start);
    if (icalcomponent_get_next_property(c, ICAL_RRULE_PROPERTY) != nullptr) Note(rule, "a second RRULE");
  }
  if (!notKept.empty()) Note(rule, notKept);
  if (!rule.notKept.empty()) {
    item.repeat = REPEAT_NONE;
    item.weekMask = item.weekdayMask = 0;
    item.interval = 0;
    const bool skip = im.args.skipInexact;
    Report(item.uid, "not kept: " + rule.notKept + (skip ? "; left out" : "; added without its repeat rule"));
    if (!skip) ReportSpan(item, timed);
    return !skip;
  }
  if (end == DAY_NONE || end < start.day) {
    Report(item.uid, "its repeat rule ends before it starts; left out");
    return false;
  }
  // Each occurrence of a repeating entry is one day long.
  if (item.end > item.start && timed) {
    item.endHour = 24;
    item.endMinute = 0;
    Report(item.uid, "each occurrence cut at midnight");
  } else if (item.end > item.start) {
    Report(item.uid, "each occurrence shortened to its first day");
  }
  item.end = end;
  // Velmo shows a timed schedule's times on every day of its range: the
  // form a multi-day timed schedule is exported in.
  if (timed && rule.daily) {
    item.repeat = REPEAT_NONE;
    item.interval = 0;
  }
  return true;
}

void SetTimes(Item& item, const LocalTime& start, const LocalTime& end) {
  item.startHour = start.hour;
  item.startMinute = start.minute;
  if (end.day == DAY_NONE || end.day < start.day || (end.day == start.day && Minutes(end) <= Minutes(start))) {
    item.endHour = start.hour;
    item.endMinute = start.minute;
    item.end = start.day;
    return;
  }
  // An end at midnight is 24:00 of the day before.
  const bool midnight = end.hour == 0 && end.minute == 0;
  item.end = midnight ? static_cast<DayNo>(end.day - 1) : end.day;
  item.endHour = midnight ? 24 : end.hour;
  item.endMinute = midnight ? 0 : end.minute;
  // Over several days Velmo shows one pair of times on each day; an end
  // before the start would be no time span at all.
  if (item.end > item.start && item.endHour * 60 + item.endMinute < Minutes(start)) {
    item.endHour = 24;
    item.endMinute = 0;
  }
}

bool EventItem(Import& im, Item& item, icalcomponent* c) {
  LocalTime start, end;
  if (!ToLocal(icalcomponent_get_dtstart(c), start)) {
    Report(item.uid, "no DTSTART between 1900 and 5 June 2079; left out");
    return false;
  }
  const icaltimetype rawEnd = icalcomponent_get_dtend(c);
  const bool hasEnd = !icaltime_is_null_time(rawEnd) && ToLocal(rawEnd, end);
  const bool holiday = SetCategories(item, c);
  item.start = item.end = start.day;
  if (start.isDate) {
    item.kind = holiday ? KIND_HOLIDAY : KIND_SCHEDULE;
    if (hasEnd && end.day > start.day) item.end = static_cast<DayNo>(end.day - 1);
  } else {
    item.kind = KIND_SCHEDULE;
    SetTimes(item, start, hasEnd ? end : start);
    // Without an end time a timed item would show as untimed.
    if (item.endHour == 0 && item.endMinute == 0 && item.startHour == 0 && item.startMinute == 0) {
      item.endHour = 24;
      Report(item.uid, "starts at midnight without an end; kept as 00:00-24:00");
    }
  }
  return SetRule(im, item, c, start, !start.isDate);
}

bool TaskItem(Item& item, icalcomponent* c) {
  LocalTime day;
  icaltimetype due = icalcomponent_get_due(c);
  if (icaltime_is_null_time(due)) due = icalcomponent_get_dtstart(c);
  if (icaltime_is_null_time(due)) {
    std::uint16_t y, m, d;
    std::uint8_t hour, minute;
    day.day = Date_Now(y, m, d, hour, minute);
    Report(item.uid, "a to-do without a due or start day; it starts today");
  } else if (!ToLocal(due, day)) {
    Report(item.uid, "a to-do whose day is not between 1900 and 5 June 2079; left out");
    return false;
  }
  SetCategories(item, c);
  item.kind = KIND_TASK;
  item.start = day.day;
  item.end = DAY_OPEN_END;
  if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_PRIORITY_PROPERTY)) {
    const int priority = icalproperty_get_priority(p);
    item.rank = static_cast<std::uint8_t>(priority < 0 ? 0 : priority > 9 ? 9 : priority);
  }
  if (icalcomponent_get_status(c) == ICAL_STATUS_COMPLETED ||
      HasProperty(c, ICAL_COMPLETED_PROPERTY)) {
    LocalTime done;
    icalproperty* p = icalcomponent_get_first_property(c, ICAL_COMPLETED_PROPERTY);
    item.done = p != nullptr && ToLocal(icalproperty_get_completed(p), done) ? done.day : day.day;
  }
  if (HasProperty(c, ICAL_RRULE_PROPERTY)) Report(item.uid, "not kept: RRULE (tasks do not repeat)");
  return true;
}

std::string UidOf(icalcomponent* c) {
  const char* uid = icalcomponent_get_uid(c);
  std::string out;
  for (const char* p = uid != nullptr ? uid : ""; *p != '\0'; ++p) {
    out += static_cast<unsigned char>(*p) < 0x20 ? '?' : *p;
  }
  if (!out.empty()) return out;
  // A UID is required; one made of the item's content keeps re-imports out.
  char* text = icalcomponent_as_ical_string_r(c);
  std::uint64_t h = 1469598103934665603ull;
  for (const char* p = text; p != nullptr && *p != '\0'; ++p) {
    h = (h ^ static_cast<unsigned char>(*p)) * 1099511628211ull;
  }
  free(text);
  char made[40];
  std::snprintf(made, sizeof made, "nouid-%016llx", static_cast<unsigned long long>(h));
  return made;
}

void TakeComponent(Import& im, icalcomponent* c) {
  const icalcomponent_kind kind = icalcomponent_isa(c);
  if (kind == ICAL_VJOURNAL_COMPONENT || kind == ICAL_VFREEBUSY_COMPONENT) {
    Report(UidOf(c), std::string("a ") + icalcomponent_kind_to_string(kind) + " is no event or to-do; left out");
    ++im.skipped;
    return;
  }
  if (kind != ICAL_VEVENT_COMPONENT && kind != ICAL_VTODO_COMPONENT) return;
  Item item;
  item.uid = UidOf(c);
  if (icalcomponent_get_first_component(c, ICAL_VALARM_COMPONENT) != nullptr) {
    Report(item.uid, "not kept: VALARM (velmo-cli upcoming reminds)");
  }
  if (HasProperty(c, ICAL_RECURRENCEID_PROPERTY)) {
    Report(item.uid, "not kept: a changed single occurrence (RECURRENCE-ID)");
    ++im.skipped;
    return;
  }
  if (im.uids.known.count(item.uid) != 0) {
    ++im.already;
    return;
  }
  SetText(item, c);
  SetLink(item, c);
  const bool taken = kind == ICAL_VEVENT_COMPONENT ? EventItem(im, item, c) : TaskItem(item, c);
  if (!taken) {
    ++im.skipped;
    return;
  }
  im.uids.known.insert(item.uid);
  im.items.push_back(item);
}

void TakeCalendar(Import& im, icalcomponent* calendar) {
  for (icalcomponent* c = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT); c != nullptr;
       c = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
    TakeComponent(im, c);
  }
}

// ---------------------------------------------------------------------------
// Adding

void FillEntry(Entry& e, const Item& item) {
  e.kind = item.kind;
  e.label = item.label;
  e.startDay = item.start;
  e.endDay = item.end;
  e.repeat = item.repeat;
  e.interval = static_cast<std::uint8_t>(item.repeat != REPEAT_NONE ? item.interval : 0);
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
  if (e.repeat != REPEAT_NONE) {
    out.append(" repeat ").append(std::to_string(e.repeat)).append("/").append(std::to_string(e.interval));
  }
  if (e.kind == KIND_TASK) out.append(" rank ").append(std::to_string(e.rank)).append(e.doneLen != 0 ? " done" : "");
  return out.append(" ").append(CliData_Text(e));
}

bool Register(Import& im) {
  for (const Item& item : im.items) {
    Entry* e = CliData_NewEntry(item.text, item.link);
    std::uint16_t* done = e != nullptr && item.done != DAY_NONE ? Store_AllocWords(1) : nullptr;
    if (e == nullptr || (item.done != DAY_NONE && done == nullptr)) {
      return Fail("the entry store is full");
    }
    FillEntry(*e, item);
    if (done != nullptr) {
      done[0] = item.done;
      e->done = done;
      e->doneLen = 2;
    }
    if (!Store_Register(e)) return Fail("the entry table is full (" + std::to_string(cap::kEntries) + " entries)");
    im.uids.remembered[item.uid] = IcsShared_Fingerprint(*e);
    std::printf("%s %s\n", im.args.dryRun ? "would add" : "added", Describe(*e).c_str());
  }
  Store_Invalidate();
  return true;
}

bool AddAll(void* context) {
  auto& im = *static_cast<Import*>(context);
  IcsShared_LoadUids(im.uids);
  if (im.root == nullptr) return false;
  if (icalcomponent_isa(im.root) == ICAL_VCALENDAR_COMPONENT) {
    TakeCalendar(im, im.root);
  } else {
    for (icalcomponent* c = icalcomponent_get_first_component(im.root, ICAL_VCALENDAR_COMPONENT); c != nullptr;
         c = icalcomponent_get_next_component(im.root, ICAL_VCALENDAR_COMPONENT)) {
      TakeCalendar(im, c);
    }
  }
  if (!Register(im)) return false;
  im.nothingToWrite = im.items.empty();
  std::printf("%zu %s, %u already in the record, %u left out\n", im.items.size(),
              im.args.dryRun ? "to add" : "added", im.already, im.skipped);
  return !im.items.empty() && !im.args.dryRun;
}

bool SaveUids(void* context) {
  if (IcsShared_SaveUids(static_cast<Import*>(context)->uids)) return true;
  std::fprintf(stderr, "velmo-cli %s: %s: could not be written; importing again would add the items twice\n",
               kCommand, IcsShared_UidsPath().c_str());
  return false;
}

enum ImportOption { OPT_DRY_RUN = 1, OPT_SKIP_INEXACT };
constexpr OptionRow kOptions[] = {
    {OPT_DRY_RUN, "--dry-run", nullptr, "tell what would be added; write nothing"},
    {OPT_SKIP_INEXACT, "--skip-inexact", nullptr, "leave out items Velmo cannot show exactly"},
};

// False when the command ends here (--help, or a fault told) with status.
bool ParseArgs(int argc, char** argv, ImportArgs& args, int& status) {
  OptionReader reader{argc, argv};
  OptionItem item;
  while (Options_Next(reader, kOptions, item)) {
    switch (item.id) {
      case OPTION_HELP: Options_PrintHelp(stdout, kUsage, kOptions, nullptr); return status = CliData_Written(), false;
      case OPT_DRY_RUN: args.dryRun = true; break;
      case OPT_SKIP_INEXACT: args.skipInexact = true; break;
      default:
        if (args.file != nullptr) return status = Options_Refuse("velmo-cli import-ics", "one FILE only", 2), false;
        args.file = item.value;
    }
  }
  if (reader.status != OPTIONS_END) {
    status = Options_Fail("velmo-cli import-ics", reader, 2);
  } else if (args.file == nullptr) {
    status = Options_Refuse("velmo-cli import-ics", "no FILE", 2);
  } else {
    return true;
  }
  std::fputs(kUsage, stderr);
  return false;
}

bool ReadCalendar(Import& im) {
  std::string text;
  if (!ReadFile(im.args.file, text)) return false;
  if (text.rfind("\xef\xbb\xbf", 0) == 0) text.erase(0, 3);  // a byte order mark some calendars write
  if (!Sjis_ValidUtf8(text)) return Fail(std::string(im.args.file) + ": not UTF-8 text");
  if (!CheckOutline(text)) return false;
  im.root = icalparser_parse_string(text.c_str());
  if (im.root == nullptr) return Fail(std::string(im.args.file) + ": no iCalendar object could be read");
  return CheckParsed(im.root);
}

}  // namespace

int Cli_ImportIcs(int argc, char** argv) {
  if (!CliData_TakeNow(argc, argv, kCommand)) return 2;
  Import im;
  if (int status = 0; !ParseArgs(argc, argv, im.args, status)) return status;
  int status = 1;
  if (ReadCalendar(im)) {
    if (im.args.dryRun) {
      status = CliData_Load(kCommand) ? 0 : 1;
      if (status == 0) AddAll(&im);
    } else {
      status = CliData_Write(kCommand, AddAll, &im, SaveUids);
      // Nothing new is no failure.
      if (status == 1 && im.nothingToWrite) status = 0;
    }
  }
  if (im.root != nullptr) icalcomponent_free(im.root);
  Store_Shutdown();
  return status;
}
