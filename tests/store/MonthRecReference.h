// A deliberately naive model of which entries show on a day and in what
// order: per day, per entry, straight from the rules, with its own calendar
// (std::chrono) instead of the program's date arithmetic.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace monthref {

struct Ref {
  int kind = 6;
  int label = 0;
  int start = 0, end = 0;  // DayNo
  int repeat = 0, interval = 1, weekMask = 0, weekdayMask = 0;
  int startHour = 0, startMinute = 0, endHour = 0, endMinute = 0;
  int rank = 0;
  int doneDay = -1;  // -1 open; a task done on that day otherwise
  std::string text;  // Shift-JIS
};

struct Filter {
  bool visible[8] = {true, true, true, true, true, true, true, true};
  bool saturday = false;
};

struct Civil {
  int year, month, mday;
};

inline std::chrono::sys_days Epoch() {
  return std::chrono::sys_days{std::chrono::year{1899} / 12 / 31};
}

inline Civil CivilOf(int dayNo) {
  const std::chrono::year_month_day ymd{Epoch() + std::chrono::days{dayNo}};
  return {int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day()))};
}

inline int DayNoOf(int y, int m, int d) {
  const std::chrono::sys_days day{std::chrono::year{y} / m / d};
  return int((day - Epoch()).count());
}

inline int MonthLength(int y, int m) {
  const std::chrono::year_month_day_last last{std::chrono::year{y} / m / std::chrono::last};
  return int(unsigned(last.day()));
}

inline int MonthNoOf(const Civil& c) { return 12 * (c.year - 1900) + c.month - 1; }

inline int WeekSet(int mday, int length) {
  int bits = 1 << ((mday + 6) / 7 - 1);
  if (length - mday <= 6) bits |= 0x10;
  return bits;
}

inline bool RuleSaysYes(const Ref& e, int n) {
  const Civil c = CivilOf(n);
  const Civil s = CivilOf(e.start);
  const int interval = e.interval == 0 ? 1 : e.interval;
  const int weekday = n % 7;
  const int ws = WeekSet(c.mday, MonthLength(c.year, c.month));
  const int months = MonthNoOf(c) - MonthNoOf(s);
  const int years = MonthNoOf(c) / 12 - MonthNoOf(s) / 12;
  const bool weekdayOk = (e.weekdayMask & (1 << weekday)) != 0;
  switch (e.repeat) {
    case 0: return true;
    case 1: return (n - e.start) % interval == 0;
    case 2: return (n / 7 - e.start / 7) % interval == 0 && (e.weekMask & (1 << weekday)) != 0;
    case 3: return months % interval == 0 && c.mday == s.mday;
    case 4: return months % interval == 0 && (e.weekMask & ws) != 0 && weekdayOk;
    case 5: return years % interval == 0 && c.month == s.month && c.mday == s.mday;
    case 6: return years % interval == 0 && c.month == s.month && (e.weekMask & ws) != 0 && weekdayOk;
  }
  return false;
}

inline bool Shows(const Ref& e, int n, const Filter& f) {
  if (e.kind == 3) return false;
  if (e.label <= 7 && !f.visible[e.label]) return false;
  if (n < e.start || n > e.end) return false;
  if (!RuleSaysYes(e, n)) return false;
  if (e.kind == 8 && e.doneDay >= 0 && e.doneDay != n) return false;
  return true;
}

// a before b, given their file positions ia and ib.
inline bool Before(const Ref& a, int ia, const Ref& b, int ib) {
  if (a.kind != b.kind) return a.kind < b.kind;
  if (a.kind == 4) {
    if (a.start != b.start) return a.start < b.start;
    if (a.end != b.end) return a.end > b.end;
  } else if (a.kind == 5) {
    if (a.startHour != b.startHour) return a.startHour < b.startHour;
    if (a.startMinute != b.startMinute) return a.startMinute < b.startMinute;
  } else if (a.kind == 6) {
    if (a.startHour != b.startHour) return a.startHour < b.startHour;
    if (a.startMinute != b.startMinute) return a.startMinute < b.startMinute;
    if (a.endHour != b.endHour) return a.endHour < b.endHour;
    if (a.endMinute != b.endMinute) return a.endMinute < b.endMinute;
    if (a.start != b.start) return a.start < b.start;
    if (a.end != b.end) return a.end > b.end;
  } else if (a.kind == 8) {
    const bool da = a.doneDay >= 0, db = b.doneDay >= 0;
    if (da != db) return !da;
    if (a.rank != b.rank) return a.rank < b.rank;
  }
  return ia < ib;
}

struct Day {
  bool holiday = false;
  std::vector<int> items;  // positions in the entry list, in display order
};

inline Day Expect(const std::vector<Ref>& all, int n, const Filter& f) {
  Day day;
  const int weekday = n % 7;
  day.holiday = weekday == 0 || (weekday == 6 && f.saturday);
  for (int i = 0; i < int(all.size()); ++i) {
    if (!Shows(all[i], n, f)) continue;
    if (all[i].kind == 4) day.holiday = true;
    // Insertion by hand: walk until the first item that i comes before.
    auto at = day.items.begin();
    while (at != day.items.end() && !Before(all[i], i, all[*at], *at)) ++at;
    day.items.insert(at, i);
  }
  return day;
}

// The label filter of a selection: 0 all, 1..4 that label and label 0, 5 custom.
inline Filter FilterFor(int selection, const int custom[5], bool saturday) {
  Filter f;
  f.saturday = saturday;
  if (selection >= 1 && selection <= 4) {
    for (bool& v : f.visible) v = false;
    f.visible[0] = f.visible[selection] = true;
  } else if (selection == 5) {
    for (int i = 0; i < 5; ++i) f.visible[i] = custom[i] != 0;
  }
  return f;
}

// Entries of every kind and rule around the days [from, from + span), with
// few distinct keys so that ties and the last tie-break matter.
inline std::vector<Ref> RandomEntries(std::mt19937& rng, int count, int from, int span) {
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  std::vector<Ref> out;
  for (int i = 0; i < count; ++i) {
    Ref e;
    const int roll = pick(0, 99);
    e.kind = roll < 12 ? 4 : roll < 16 ? 5 : roll < 60 ? 6 : roll < 63 ? 7 : roll < 66 ? 3 : 8;
    e.label = pick(0, 12) < 11 ? pick(0, 4) : pick(5, 9);
    e.start = from - 40 + pick(0, span + 40);
    e.end = e.start + (pick(0, 3) == 0 ? pick(0, 3) : pick(0, span));
    e.startHour = pick(8, 10);
    e.startMinute = pick(0, 1) * 30;
    e.endHour = pick(10, 11);
    e.endMinute = pick(0, 1) * 15;
    if (e.kind != 8 && pick(0, 2) != 0) {
      e.repeat = pick(1, 6);
      e.interval = pick(0, 3);
      const int weekday = e.start % 7;
      if (e.repeat == 2) e.weekMask = (1 << weekday) | (pick(0, 3) == 0 ? 1 << pick(0, 6) : 0);
      if (e.repeat == 4 || e.repeat == 6) {
        e.weekMask = 1 << pick(0, 4);
        e.weekdayMask = 1 << weekday;
      }
      if (e.repeat >= 5) e.end = e.start + pick(365, 3000);
    }
    if (e.kind == 8) {
      e.end = 65535;
      e.rank = pick(0, 3);
      if (pick(0, 2) == 0) e.doneDay = e.start + pick(0, span);
    }
    e.text = "item" + std::to_string(i);
    out.push_back(e);
  }
  return out;
}

}  // namespace monthref
