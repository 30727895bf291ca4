#include "IcsOwn.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "CliData.h"
#include "IcsRules.h"
#include "IcsText.h"
#include "IcsWrite.h"
#include "Sjis.h"
#include "files/Record.h"
#include "store/Find.h"

namespace {

constexpr const char* kKind = "X-VELMO-KIND";
constexpr const char* kPart = "X-VELMO-KIND-PART";
constexpr const char* kLabel = "X-VELMO-LABEL";
constexpr const char* kRule = "X-VELMO-RULE";
constexpr const char* kText = "X-VELMO-TEXT";
constexpr const char* kLink = "X-VELMO-LINK";
constexpr const char* kDone = "X-VELMO-DONE";
constexpr int kHighestPriority = 9;
constexpr const char* kHolidayCategory = "\xe4\xbc\x91\xe6\x97\xa5";  // 休日 (UTF-8)

IcsLine Line(const char* name, std::string value) {
  IcsLine l;
  l.name = name;
  l.value = std::move(value);
  return l;
}

std::string Hex(std::string_view bytes) {
  std::string out;
  Sjis_AppendHex(out, bytes);
  return out;
}

int Nibble(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Unhex(std::string_view hex, std::string& out) {
  if (hex.size() % 2 != 0) return false;
  out.clear();
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int hi = Nibble(hex[i]), lo = Nibble(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out += static_cast<char>(hi * 16 + lo);
  }
  return true;
}

// Whole numbers separated by commas, each at most high.
bool Numbers(std::string_view text, std::span<long> out, long high) {
  for (std::size_t i = 0; i < out.size(); ++i) {
    const std::size_t comma = text.find(',');
    const std::string_view n = text.substr(0, comma);
    if (n.empty() || n.size() > 8 || n.find_first_not_of("0123456789") != std::string_view::npos) return false;
    out[i] = std::stol(std::string(n));
    if (out[i] > high || (comma == std::string_view::npos) != (i + 1 == out.size())) return false;
    text.remove_prefix(comma == std::string_view::npos ? text.size() : comma + 1);
  }
  return true;
}

// Whether the label comes back from its name among the categories.
bool NamedLabel(std::uint16_t label) {
  const std::string name = Sjis_ToUtf8(CliData_LabelName(label));
  return label != 0 && !name.empty() && (name[0] < '0' || name[0] > '9') && name != kHolidayCategory &&
         name.find(',') == std::string::npos && CliData_FindLabel(name) == label;
}

// Whether the ordinary properties bring the kind part back as it is.
bool PartCarried(const Entry& e) {
  const int from = e.startHour * 60 + e.startMinute, to = e.endHour * 60 + e.endMinute;
  switch (e.kind) {
    case KIND_HOLIDAY: return true;
    case KIND_SCHEDULE:
      if (!CliData_HasTimes(e)) return e.startHour == 0 && e.startMinute == 0;
      return to >= from && e.startHour < 24 && e.startMinute < 60 && e.endMinute < 60 &&
             (e.endHour < 24 || (e.endHour == 24 && e.endMinute == 0));
    case KIND_TASK: return e.taskWord == 0 && e.rank <= kHighestPriority;
    default: return false;
  }
}

// YYYYMMDD as a day Velmo holds; DAY_NONE when it is none.
DayNo DayOf(std::string_view text) {
  long n[1];
  if (text.size() != 8 || !Numbers(text, n, 99999999)) return DAY_NONE;
  const long y = n[0] / 10000, m = n[0] / 100 % 100, d = n[0] % 100;
  if (y < DATE_FIRST_YEAR || y > DATE_LAST_YEAR || m < 1 || m > 12 || d < 1 ||
      d > Date_MonthLength(static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(m))) {
    return DAY_NONE;
  }
  return Date_ToDayNo(static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(m), static_cast<std::uint16_t>(d));
}

bool HasRuleBytes(const Entry& e) { return e.repeat != 0 || e.interval != 0 || e.weekMask != 0 || e.weekdayMask != 0; }

// The days a rule falls on within a range: a rule of every day is the range itself.
EntryRule CanonOf(const Entry& e) {
  const EntryRule rule = Entry_Rule(e);
  return rule.repeat == REPEAT_DAYS && rule.interval == 1 ? EntryRule{REPEAT_NONE, 0, 0, 0} : rule;
}

void SetRule(IcsItem& item, const Entry& rule) {
  item.repeat = rule.repeat;
  item.interval = rule.interval;
  item.weekMask = rule.weekMask;
  item.weekdayMask = rule.weekdayMask;
  item.start = rule.startDay;
}

// The rule bytes as written, where they fall on the days the ordinary RRULE
// gave this one entry (tasks have no RRULE: their own day must agree).
void ApplyRule(const IcsOwn& own, IcsItem& item) {
  // Any other repeat type stops the month expansion.
  if (own.rule.repeat > REPEAT_YEAR_WEEKDAY) return;
  if (item.kind == KIND_TASK) {
    if (own.rule.startDay == item.start) SetRule(item, own.rule);
    return;
  }
  Entry read{};
  IcsImport_Fill(read, item);
  Entry kept = read;
  kept.repeat = own.rule.repeat;
  kept.interval = own.rule.interval;
  kept.weekMask = own.rule.weekMask;
  kept.weekdayMask = own.rule.weekdayMask;
  kept.startDay = own.rule.startDay;
  if (kept.startDay == DAY_NONE || kept.startDay > read.startDay) return;
  IcsRules_Derive(kept);
  if (!(CanonOf(kept) == CanonOf(read)) || Entry_FirstDay(kept) != read.startDay) return;
  SetRule(item, own.rule);
}

// The kind-part bytes as written, where the ordinary times and rank agree.
void ApplyPart(const IcsOwn& own, bool timed, IcsItem& item) {
  const std::uint8_t* p = own.part;
  // Clock times stay clock times, whatever a file says.
  const bool clock = p[0] <= 24 && p[1] <= 59 && p[2] <= 24 && p[3] <= 59;
  bool agrees = false;
  if (own.kind == KIND_OPAQUE) {
    agrees = !timed && item.kind == KIND_SCHEDULE;
  } else if (own.kind == KIND_TIMED) {
    agrees = clock && timed && item.kind == KIND_SCHEDULE && item.startHour == p[0] && item.startMinute == p[1];
  } else if (own.kind != 0) {
    return;
  } else if (item.kind == KIND_SCHEDULE) {
    agrees = clock && (timed ? item.startHour == p[0] && item.startMinute == p[1] : p[2] == 0 && p[3] == 0);
  } else if (item.kind == KIND_TASK) {
    agrees = std::min<int>(p[2], kHighestPriority) == item.rank;
  }
  if (!agrees) return;
  if (own.kind != 0) item.kind = own.kind;
  std::copy(p, p + 4, item.part);
  item.ownPart = true;
}

}  // namespace

std::string IcsOwn_Utf8Text(std::string_view sjis) {
  std::string out = Sjis_ToUtf8(sjis);
  std::erase(out, '\r');
  return out;
}

std::string IcsOwn_SjisText(std::string_view utf8, unsigned& missing) {
  std::string plain;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
    plain += utf8[i] == '\r' ? '\n' : utf8[i];
  }
  return IcsText_ToSjis(plain, missing);
}

std::string IcsOwn_LinkValue(std::string_view sjis) {
  std::string out = Sjis_ToUtf8(sjis);
  std::erase_if(out, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
  return out;
}

void IcsOwn_Put(IcsComponent& c, const Entry& e) {
  if (e.kind == KIND_TIMED || e.kind == KIND_OPAQUE) c.lines.push_back(Line(kKind, std::to_string(e.kind)));
  if (!PartCarried(e)) {
    std::uint8_t part[4];
    Record_KindPart(e, part);
    c.lines.push_back(Line(kPart, Hex(std::string_view(reinterpret_cast<const char*>(part), 4))));
  }
  if (e.label != 0 && !NamedLabel(e.label)) c.lines.push_back(Line(kLabel, std::to_string(e.label)));
  if (HasRuleBytes(e)) {
    char text[24];
    std::snprintf(text, sizeof text, "%u,%u,%u,%u,", unsigned{e.repeat}, unsigned{e.interval},
                  unsigned{e.weekMask}, unsigned{e.weekdayMask});
    c.lines.push_back(Line(kRule, text + IcsWrite_Date(e.startDay)));
  }
  // COMPLETED is a moment: read in another zone it may fall on another day.
  if (e.kind == KIND_TASK && e.doneLen >= 2 && e.done != nullptr) {
    c.lines.push_back(Line(kDone, IcsWrite_Date(e.done[0])));
  }
  const std::string_view text = e.textLen != 0 ? std::string_view(e.text, e.textLen) : "";
  unsigned missing = 0;
  if (IcsOwn_SjisText(IcsOwn_Utf8Text(text), missing) != text) c.lines.push_back(Line(kText, Hex(text)));
  const std::string_view link = e.linkLen != 0 ? std::string_view(e.link, e.linkLen) : "";
  if (IcsText_ToSjis(IcsOwn_LinkValue(link), missing) != link) c.lines.push_back(Line(kLink, Hex(link)));
}

IcsOwn IcsOwn_Read(const IcsComponent& c) {
  IcsOwn own;
  long n[5];
  if (const IcsLine* l = c.First(kKind); l != nullptr && Numbers(l->value, std::span(n, 1), KIND_TASK)) {
    if (n[0] == KIND_TIMED || n[0] == KIND_OPAQUE) own.kind = static_cast<EntryKind>(n[0]);
  }
  std::string bytes;
  if (const IcsLine* l = c.First(kPart);
      l != nullptr && l->value.size() == 8 && Unhex(l->value, bytes) && bytes.size() == sizeof own.part) {
    std::memcpy(own.part, bytes.data(), sizeof own.part);
    own.hasPart = true;
  }
  if (const IcsLine* l = c.First(kLabel); l != nullptr && Numbers(l->value, std::span(n, 1), 0xFFFF)) {
    own.label = static_cast<int>(n[0]);
  }
  if (const IcsLine* l = c.First(kRule); l != nullptr && l->value.size() > 9 &&
                                          Numbers(std::string_view(l->value).substr(0, l->value.size() - 9),
                                                  std::span(n, 4), 0xFF)) {
    own.rule.repeat = static_cast<RepeatType>(n[0]);
    own.rule.interval = static_cast<std::uint8_t>(n[1]);
    own.rule.weekMask = static_cast<std::uint8_t>(n[2]);
    own.rule.weekdayMask = static_cast<std::uint8_t>(n[3]);
    own.rule.startDay = DayOf(std::string_view(l->value).substr(l->value.size() - 8));
    own.hasRule = own.rule.startDay != DAY_NONE && l->value[l->value.size() - 9] == ',';
  }
  if (const IcsLine* l = c.First(kDone)) own.done = DayOf(l->value);
  if (const IcsLine* l = c.First(kText)) own.hasText = Unhex(l->value, own.text);
  if (const IcsLine* l = c.First(kLink)) own.hasLink = Unhex(l->value, own.link);
  return own;
}

void IcsOwn_Apply(const IcsOwn& own, bool timed, std::span<IcsItem> items) {
  for (IcsItem& item : items) {
    if (own.hasPart) ApplyPart(own, timed, item);
    if (own.label >= 0) item.label = static_cast<std::uint16_t>(own.label);
  }
  if (own.hasRule && items.size() == 1) ApplyRule(own, items.front());
  // The done day as Velmo wrote it, while COMPLETED still names that day
  // in some zone (a day either side).
  for (IcsItem& item : items) {
    const int by = static_cast<int>(item.done) - static_cast<int>(own.done);
    if (own.done != DAY_NONE && item.done != DAY_NONE && by >= -1 && by <= 1) item.done = own.done;
  }
}

void IcsOwn_SetKindPart(Entry& e, const std::uint8_t part[4]) {
  switch (e.kind) {
    case KIND_TIMED:
    case KIND_SCHEDULE:
      e.startHour = part[0];
      e.startMinute = part[1];
      e.endHour = e.kind == KIND_SCHEDULE ? part[2] : 0;
      e.endMinute = e.kind == KIND_SCHEDULE ? part[3] : 0;
      break;
    case KIND_OPAQUE:
    case KIND_TASK:
      e.taskWord = static_cast<std::uint16_t>(part[0] | part[1] << 8);
      e.rank = part[2];
      e.kindByte3 = e.kind == KIND_OPAQUE ? part[3] : 0;
      break;
    default: break;
  }
}
