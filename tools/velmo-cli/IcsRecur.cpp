#include "IcsRecur.h"

#include <cstdio>

namespace {

constexpr const char* kFreqNames[] = {"", "SECONDLY", "MINUTELY", "HOURLY", "DAILY", "WEEKLY", "MONTHLY", "YEARLY"};
constexpr const char* kWeekdays[7] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
constexpr std::size_t kMaxValues = 400;  // more than any BY part can name without repeating itself

// One BY list: its name, its field and the values it may hold.
struct ByPart {
  const char* name;
  std::vector<int> IcsRecur::*field;
  int low, high;
  bool signedToo;  // -high..-low as well
};
constexpr ByPart kByParts[] = {
    {"BYSECOND", &IcsRecur::bySecond, 0, 60, false},    {"BYMINUTE", &IcsRecur::byMinute, 0, 59, false},
    {"BYHOUR", &IcsRecur::byHour, 0, 23, false},        {"BYMONTHDAY", &IcsRecur::byMonthDay, 1, 31, true},
    {"BYYEARDAY", &IcsRecur::byYearDay, 1, 366, true},  {"BYWEEKNO", &IcsRecur::byWeekNo, 1, 53, true},
    {"BYMONTH", &IcsRecur::byMonth, 1, 13, false},      {"BYSETPOS", &IcsRecur::bySetPos, 1, 366, true},
};

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  return out;
}

// A whole number with an optional sign; false for anything else.
bool Number(std::string_view s, int& out, bool sign) {
  bool negative = false;
  if (sign && !s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  if (s.empty() || s.size() > 9) return false;
  out = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    out = out * 10 + (c - '0');
  }
  if (negative) out = -out;
  return true;
}

int Weekday(std::string_view s) {
  for (int w = 0; w < 7; ++w) {
    if (s == kWeekdays[w]) return w;
  }
  return -1;
}

bool Digits(std::string_view s, std::size_t at, std::size_t n, int& out) {
  return at + n <= s.size() && Number(s.substr(at, n), out, false);
}

bool Until(std::string_view v, IcsUntil& u) {
  u.isDate = v.size() == 8;
  u.utc = v.size() == 16 && v[15] == 'Z';
  if (!u.isDate && v.size() != 15 && !u.utc) return false;
  if (!Digits(v, 0, 4, u.year) || !Digits(v, 4, 2, u.month) || !Digits(v, 6, 2, u.day)) return false;
  if (!u.isDate && (v[8] != 'T' || !Digits(v, 9, 2, u.hour) || !Digits(v, 11, 2, u.minute) ||
                    !Digits(v, 13, 2, u.second))) {
    return false;
  }
  u.set = true;
  return true;
}

bool ByDay(std::string_view item, IcsByDay& out) {
  if (item.size() < 2) return false;
  out.weekday = Weekday(item.substr(item.size() - 2));
  const std::string_view pos = item.substr(0, item.size() - 2);
  out.position = 0;
  if (out.weekday < 0 || (!pos.empty() && !Number(pos, out.position, true))) return false;
  return pos.empty() || (out.position != 0 && out.position >= -53 && out.position <= 53);
}

template <typename Fn>
bool EachItem(std::string_view v, Fn take) {
  std::size_t n = 0;
  for (;;) {
    const std::size_t comma = v.find(',');
    if (++n > kMaxValues || !take(v.substr(0, comma))) return false;
    if (comma == std::string_view::npos) return true;
    v.remove_prefix(comma + 1);
  }
}

bool Part(const std::string& name, std::string_view v, IcsRecur& r) {
  if (name == "FREQ") {
    for (int f = ICS_SECONDLY; f <= ICS_YEARLY; ++f) {
      if (v == kFreqNames[f]) return r.freq = static_cast<IcsFreq>(f), true;
    }
    return false;
  }
  if (name == "UNTIL") return Until(v, r.until);
  if (name == "COUNT") return Number(v, r.count, false) && r.count > 0;
  if (name == "INTERVAL") return Number(v, r.interval, false) && r.interval > 0;
  if (name == "WKST") return (r.weekStart = Weekday(v)) >= 0;
  if (name == "RSCALE") return true;  // the Gregorian calendar is the only one Velmo knows
  if (name == "BYDAY") {
    return EachItem(v, [&r](std::string_view item) {
      IcsByDay d;
      return ByDay(item, d) && (r.byDay.push_back(d), true);
    });
  }
  for (const ByPart& p : kByParts) {
    if (name != p.name) continue;
    std::vector<int>& list = r.*p.field;
    return EachItem(v, [&p, &list](std::string_view item) {
      int n = 0;
      if (!Number(item, n, p.signedToo)) return false;
      const int size = n < 0 ? -n : n;
      if (size < p.low || size > p.high || (n < 0 && !p.signedToo)) return false;
      list.push_back(n);
      return true;
    });
  }
  return false;
}

void PutList(std::string& out, const char* name, const std::vector<int>& list) {
  if (list.empty()) return;
  out.append(";").append(name).append("=");
  for (std::size_t i = 0; i < list.size(); ++i) out.append(i ? "," : "").append(std::to_string(list[i]));
}

}  // namespace

bool IcsRecur_Read(std::string_view text, IcsRecur& out) {
  out = IcsRecur{};
  const std::string upper = Upper(text);
  std::vector<std::string> seen;
  std::string_view rest = upper;
  while (!rest.empty()) {
    const std::size_t semi = rest.find(';');
    const std::string_view part = rest.substr(0, semi);
    rest = semi == std::string_view::npos ? std::string_view() : rest.substr(semi + 1);
    if (part.empty()) continue;
    const std::size_t eq = part.find('=');
    if (eq == std::string_view::npos) return false;
    const std::string name(part.substr(0, eq));
    for (const std::string& s : seen) {
      if (s == name) return false;
    }
    seen.push_back(name);
    if (!Part(name, part.substr(eq + 1), out)) return false;
  }
  return out.freq != ICS_FREQ_NONE && !(out.count > 0 && out.until.set);
}

std::string IcsRecur_Write(const IcsRecur& r) {
  std::string out = std::string("FREQ=") + IcsRecur_FreqName(r.freq);
  if (r.until.set) {
    char text[24];
    const IcsUntil& u = r.until;
    if (u.isDate) {
      std::snprintf(text, sizeof text, "%04d%02d%02d", u.year % 10000, u.month % 100, u.day % 100);
    } else {
      std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d%s", u.year % 10000, u.month % 100, u.day % 100,
                    u.hour % 100, u.minute % 100, u.second % 100, u.utc ? "Z" : "");
    }
    out.append(";UNTIL=").append(text);
  }
  if (r.count > 0) out.append(";COUNT=").append(std::to_string(r.count));
  if (r.interval != 1) out.append(";INTERVAL=").append(std::to_string(r.interval));
  PutList(out, "BYSECOND", r.bySecond);
  PutList(out, "BYMINUTE", r.byMinute);
  PutList(out, "BYHOUR", r.byHour);
  if (!r.byDay.empty()) {
    out.append(";BYDAY=");
    for (std::size_t i = 0; i < r.byDay.size(); ++i) {
      const IcsByDay& d = r.byDay[i];
      out.append(i ? "," : "").append(d.position != 0 ? std::to_string(d.position) : "").append(kWeekdays[d.weekday % 7]);
    }
  }
  PutList(out, "BYMONTHDAY", r.byMonthDay);
  PutList(out, "BYYEARDAY", r.byYearDay);
  PutList(out, "BYWEEKNO", r.byWeekNo);
  PutList(out, "BYMONTH", r.byMonth);
  PutList(out, "BYSETPOS", r.bySetPos);
  if (r.weekStart != ICS_MONDAY) out.append(";WKST=").append(kWeekdays[r.weekStart % 7]);
  return out;
}

const char* IcsRecur_FreqName(IcsFreq freq) { return kFreqNames[freq]; }
