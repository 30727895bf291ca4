// The file's VEVENTs and VTODOs as Velmo entries: times in local days, text
// in Shift-JIS, rules in Velmo's terms; one item becomes several entries
// where that keeps it exact (left-out or moved occurrences, COUNT, summer
// time). What is not kept is reported per item, named by line and UID.
#include <map>

#include "CliData.h"
#include "IcsEvents.h"
#include "IcsOwn.h"
#include "IcsText.h"
#include "IcsTimes.h"
#include "Sjis.h"
#include "files/Identity.h"

namespace {

constexpr std::size_t kTextCapacity = cap::kEntryDialogText;
constexpr std::size_t kLinkCapacity = cap::kFileName - 1;
// Velmo's own export holds what a record file held: a block of the store.
constexpr std::size_t kOwnCapacity = cap::kPoolBlockBytes;
constexpr int kHighestRank = 9;
constexpr const char* kHolidayCategory = "\xe4\xbc\x91\xe6\x97\xa5";  // 休日 (UTF-8)

using Report = IcsWhere;

void Tell(const Report& w, const std::string& what) { IcsImport_Report(w, what); }

void SetText(const Report& w, IcsItem& item, const IcsComponent& c, bool own, const IcsOwn& kept) {
  const IcsLine* summary = c.First("SUMMARY");
  const IcsLine* description = c.First("DESCRIPTION");
  std::string text = summary != nullptr ? IcsLines_Unescape(summary->value) : "";
  // An empty DESCRIPTION is how most calendars write none; Velmo's own
  // export writes one exactly when the text has a second line.
  if (description != nullptr && (!description->value.empty() || own)) {
    text.append("\n").append(IcsLines_Unescape(description->value));
  }
  // The bytes Velmo wrote beside the text, while the text is still theirs.
  if (kept.hasText && kept.text.size() <= kOwnCapacity && IcsOwn_Utf8Text(kept.text) == text) {
    item.text = kept.text;
    return;
  }
  unsigned missing = 0;
  std::string sjis = IcsOwn_SjisText(text, missing);
  if (missing != 0) Tell(w, std::to_string(missing) + " character(s) Shift-JIS lacks written as \xe3\x80\x93");
  const std::size_t cut = Sjis_CutLength(sjis, own ? kOwnCapacity : kTextCapacity);
  if (cut < sjis.size()) {
    Tell(w, "text cut from " + std::to_string(sjis.size()) + " to " + std::to_string(cut) + " bytes");
    sjis.resize(cut);
  }
  item.text = sjis;
}

void SetLink(const Report& w, IcsItem& item, const IcsComponent& c, bool own, const IcsOwn& kept) {
  const IcsLine* attach = c.First("ATTACH");
  if (attach == nullptr) return;
  const std::string* type = attach->Param("VALUE");
  if ((type != nullptr && *type == "BINARY") || attach->Param("ENCODING") != nullptr) {
    return Tell(w, "an attachment that is no link left out");
  }
  if (kept.hasLink && kept.link.size() <= kOwnCapacity && IcsOwn_LinkValue(kept.link) == attach->value) {
    item.link = kept.link;
    return;
  }
  unsigned missing = 0;
  std::string link = IcsText_ToSjis(attach->value, missing);
  if (missing != 0) Tell(w, std::to_string(missing) + " character(s) of the link Shift-JIS lacks written as \xe3\x80\x93");
  const std::size_t cut = Sjis_CutLength(link, own ? kOwnCapacity : kLinkCapacity);
  if (cut < link.size()) Tell(w, "link cut to " + std::to_string(cut) + " bytes");
  link.resize(cut);
  item.link = link;
  if (c.CountOf("ATTACH") > 1) Tell(w, "only the first ATTACH kept");
}

// The label named by a category, and whether "休日" is among them.
bool SetCategories(IcsItem& item, const IcsComponent& c) {
  bool holiday = false, labelled = false;
  for (const IcsLine& l : c.lines) {
    if (l.name != "CATEGORIES") continue;
    for (const std::string& raw : IcsLines_Split(l.value)) {
      const std::string name = IcsLines_Unescape(raw);
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

int Minutes(int second) { return second / 60; }

// A timed one-off: start and end in local days.
void SetTimes(IcsItem& item, const IcsWhen& start, const IcsWhen& end, bool hasEnd) {
  item.startHour = start.second / 3600;
  item.startMinute = start.second / 60 % 60;
  item.start = item.end = start.day;
  if (!hasEnd || end.day < start.day || (end.day == start.day && Minutes(end.second) <= Minutes(start.second))) {
    item.endHour = item.startHour;
    item.endMinute = item.startMinute;
    return;
  }
  // An end at midnight is 24:00 of the day before.
  const bool midnight = Minutes(end.second) == 0;
  item.end = midnight ? static_cast<DayNo>(end.day - 1) : end.day;
  item.endHour = midnight ? 24 : end.second / 3600;
  item.endMinute = midnight ? 0 : end.second / 60 % 60;
  // Over several days Velmo shows one pair of times on each day; an end
  // before the start would be no time span at all.
  if (item.end > item.start && item.endHour * 60 + item.endMinute < Minutes(start.second)) {
    item.endHour = 24;
    item.endMinute = 0;
  }
}

bool ReadEvent(const IcsComponent& c, IcsEvent& ev, std::string& why) {
  const IcsLine* dtstart = c.First("DTSTART");
  if (dtstart == nullptr) return why = "no DTSTART", false;
  if (!IcsTimes_Read(*dtstart, ev.start, why)) return false;
  if (const IcsLine* dtend = c.First("DTEND")) {
    if (!IcsTimes_Read(*dtend, ev.end, why)) return false;
    ev.hasEnd = true;
  } else if (const IcsLine* duration = c.First("DURATION")) {
    IcsSeconds seconds = 0;
    if (!IcsTimes_Duration(duration->value, seconds)) return why = "DURATION \"" + duration->value + "\" is no duration", false;
    ev.end = ev.start;
    if (ev.start.isDate) {
      ev.end.day = static_cast<DayNo>(ev.start.day + seconds / 86400);
    } else {
      ev.length = seconds;
    }
    ev.hasEnd = true;
  }
  if (ev.hasEnd && !ev.start.isDate && c.First("DTEND") != nullptr) {
    const IcsWhen a = IcsTimes_In(ev.start, &IcsZones_Utc()), b = IcsTimes_In(ev.end, &IcsZones_Utc());
    ev.length = (IcsSeconds{b.day} - a.day) * 86400 + b.second - a.second;
  }
  return true;
}

bool OutOfRange(const Report& w, const char* what, DayNo day) {
  if (IcsTimes_InRange(day)) return false;
  Tell(w, std::string(what) + " " + CliData_DateText(day) + ", outside " + IcsTimes_RangeText() + "; left out");
  return true;
}

// A VEVENT (with the components that move its occurrences) as entries.
bool TakeEvent(const IcsImport& im, const Report& w, const IcsComponent& c,
               const std::vector<const IcsComponent*>& moved, std::vector<IcsItem>& out) {
  IcsEvent ev;
  std::string why;
  if (!ReadEvent(c, ev, why)) return Tell(w, why + "; left out"), false;
  IcsItem item;
  item.uid = w.uid;
  item.lineNo = w.lineNo;
  const IcsWhen start = IcsTimes_In(ev.start, nullptr);
  if (OutOfRange(w, "starts", start.day)) return false;
  const bool holiday = SetCategories(item, c);
  const IcsOwn kept = im.ownExport ? IcsOwn_Read(c) : IcsOwn{};
  SetText(w, item, c, im.ownExport, kept);
  SetLink(w, item, c, im.ownExport, kept);
  if (ev.start.isDate) {
    item.kind = holiday ? KIND_HOLIDAY : KIND_SCHEDULE;
    item.start = item.end = start.day;
    if (ev.hasEnd && ev.end.day > ev.start.day) item.end = static_cast<DayNo>(ev.end.day - 1);
  } else {
    item.kind = KIND_SCHEDULE;
    SetTimes(item, start, IcsEvents_LocalEnd(ev), ev.hasEnd);
    // Without an end time a timed item would show as untimed (an entry
    // with a start time only shows as timed).
    if (item.endHour == 0 && item.endMinute == 0 && item.startHour == 0 && item.startMinute == 0 &&
        kept.kind != KIND_TIMED) {
      item.endHour = 24;
      Tell(w, "starts at midnight without an end; kept as 00:00-24:00");
    }
  }
  if (OutOfRange(w, "ends", item.end)) return false;
  const std::size_t first = out.size();
  if (!IcsEvents_Rule(im, w, c, ev, moved, item, out)) return false;
  IcsOwn_Apply(kept, !ev.start.isDate, std::span(out).subspan(first));
  return true;
}

bool TakeTask(const IcsImport& im, const Report& w, const IcsComponent& c, std::vector<IcsItem>& out) {
  IcsItem item;
  item.uid = w.uid;
  item.lineNo = w.lineNo;
  const IcsLine* due = c.First("DUE");
  if (due == nullptr) due = c.First("DTSTART");
  IcsWhen day;
  std::string why;
  if (due == nullptr) {
    std::uint16_t y, m, d;
    std::uint8_t hour, minute;
    day.day = Date_Now(y, m, d, hour, minute);
    Tell(w, "a to-do without a due or start day; it starts today");
  } else if (!IcsTimes_Read(*due, day, why)) {
    return Tell(w, why + "; left out"), false;
  }
  day = IcsTimes_In(day, nullptr);
  if (OutOfRange(w, "due", day.day)) return false;
  const IcsOwn kept = im.ownExport ? IcsOwn_Read(c) : IcsOwn{};
  SetText(w, item, c, im.ownExport, kept);
  SetLink(w, item, c, im.ownExport, kept);
  SetCategories(item, c);
  item.kind = KIND_TASK;
  item.start = day.day;
  item.end = DAY_OPEN_END;
  if (const IcsLine* p = c.First("PRIORITY")) {
    const int priority = std::atoi(p->value.c_str());
    item.rank = static_cast<std::uint8_t>(priority < 0 ? 0 : priority > kHighestRank ? kHighestRank : priority);
  }
  const IcsLine* status = c.First("STATUS");
  const IcsLine* completed = c.First("COMPLETED");
  if ((status != nullptr && status->value == "COMPLETED") || completed != nullptr) {
    IcsWhen done;
    item.done = completed != nullptr && IcsTimes_Read(*completed, done, why) ? IcsTimes_In(done, nullptr).day : day.day;
  }
  if (c.First("RRULE") != nullptr) Tell(w, "not kept: RRULE (tasks do not repeat)");
  IcsOwn_Apply(kept, false, std::span(&item, 1));
  out.push_back(item);
  return true;
}

std::string UidOf(const IcsComponent& c) {
  const IcsLine* line = c.First("UID");
  std::string out;
  for (const char ch : line != nullptr ? line->value : std::string()) {
    out += static_cast<unsigned char>(ch) < 0x20 ? '?' : ch;
  }
  if (!out.empty()) return out;
  // A UID is required; one made of the item's content keeps re-imports out.
  const std::string text = IcsLines_Write(c);
  std::uint64_t h = 1469598103934665603ull;
  for (const char ch : text) h = (h ^ static_cast<unsigned char>(ch)) * 1099511628211ull;
  char made[40];
  std::snprintf(made, sizeof made, "nouid-%016llx", static_cast<unsigned long long>(h));
  return made;
}

// Whether the record holds the item: live entries with its UID (in
// holders), or those a piece "UID/n" of an item export wrote one by one
// stands for.
bool Held(const std::string& uid, std::vector<const Entry*>& holders) {
  holders.resize(Identity_Holders(uid, {}));
  if (!holders.empty()) return Identity_Holders(uid, holders), true;
  const std::size_t slash = uid.rfind('/');
  if (slash == std::string::npos || slash == 0 || slash + 1 == uid.size() || uid.size() - slash > 6) return false;
  if (uid.find_first_not_of("0123456789", slash + 1) != std::string::npos) return false;
  const unsigned long n = std::stoul(uid.substr(slash + 1));
  return n >= 2 && Identity_Holders(std::string_view(uid).substr(0, slash), {}) >= n;
}

// The item's entries against the record's under its UID.
void Known(IcsImport& im, const Report& w, const std::vector<IcsItem>& entries, const std::vector<const Entry*>& holders) {
  ++im.already;
  if (entries.empty() || holders.empty()) return;
  std::multiset<std::string> record;
  for (const Entry* e : holders) {
    char print[17];
    Identity_Fingerprint(*e, print);
    record.insert(print);
  }
  if (IcsImport_Prints(entries) != record) {
    Tell(w, "the record's entries of this UID differ (changed in Velmo or in the file since it was imported); the "
            "record keeps its own");
  }
}

struct Series {
  const IcsComponent* master = nullptr;
  std::vector<const IcsComponent*> moved;
};

}  // namespace

void IcsItems_Take(IcsImport& im) {
  std::vector<std::string> order;
  std::map<std::string, Series> byUid;
  for (const IcsComponent& cal : im.calendars) {
    if (!cal.fault.empty()) IcsImport_Report(IcsWhere{cal.faultLine, ""}, cal.fault + "; that line ignored");
    for (const IcsComponent& c : cal.children) {
      const Report w{c.lineNo, UidOf(c)};
      const bool event = c.name == "VEVENT", task = c.name == "VTODO";
      if (c.name == "VTIMEZONE") continue;
      if (!event && !task) {
        Tell(w, "a " + c.name + " is no event or to-do; left out");
        ++im.skipped;
      } else if (!c.fault.empty()) {
        Tell(Report{c.faultLine, w.uid}, c.fault + "; left out");
        ++im.skipped;
      } else if (c.First("RECURRENCE-ID") != nullptr && event) {
        if (byUid.count(w.uid) == 0) order.push_back(w.uid);
        byUid[w.uid].moved.push_back(&c);
      } else if (byUid.count(w.uid) != 0 && byUid[w.uid].master != nullptr) {
        Tell(w, "its UID is given twice in the file; this one left out");
        ++im.skipped;
      } else {
        if (byUid.count(w.uid) == 0) order.push_back(w.uid);
        byUid[w.uid].master = &c;
      }
    }
  }
  for (const std::string& uid : order) {
    // Past the entry table's end the import fails whatever follows.
    if (im.items.size() + Store_Count() > cap::kEntries) {
      im.overflow = true;
      return;
    }
    const Series& s = byUid[uid];
    std::vector<IcsItem> entries;
    bool taken = true;
    if (s.master != nullptr) {
      const Report w{s.master->lineNo, uid};
      std::set<std::string> inside;
      for (const IcsComponent& k : s.master->children) inside.insert(k.name);
      for (const std::string& name : inside) {
        Tell(w, "not kept: " + name + (name == "VALARM" ? " (velmo-cli upcoming reminds)" : " inside it"));
      }
      taken = s.master->name == "VEVENT" ? TakeEvent(im, w, *s.master, s.moved, entries) : TakeTask(im, w, *s.master, entries);
    }
    // A moved occurrence is a one-off entry of its own.
    for (const IcsComponent* m : s.moved) {
      if (!taken) break;
      std::vector<IcsItem> one;
      const Report w{m->lineNo, uid};
      if (!TakeEvent(im, w, *m, {}, one)) continue;
      for (IcsItem& e : one) {
        e.repeat = REPEAT_NONE;
        e.interval = 0;
        e.weekMask = e.weekdayMask = 0;
      }
      entries.insert(entries.end(), one.begin(), one.end());
    }
    if (std::vector<const Entry*> holders; im.checkRecord && Held(uid, holders)) {
      Known(im, Report{s.master != nullptr ? s.master->lineNo : 0, uid}, entries, holders);
      continue;
    }
    if (entries.empty()) {
      ++im.skipped;
      continue;
    }
    im.items.insert(im.items.end(), entries.begin(), entries.end());
  }
}
