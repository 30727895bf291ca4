#include "IcsGroup.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "store/MonthRec.h"

namespace {

bool SameText(const Entry& a, const Entry& b) {
  return a.textLen == b.textLen && a.linkLen == b.linkLen &&
         (a.textLen == 0 || std::memcmp(a.text, b.text, a.textLen) == 0) &&
         (a.linkLen == 0 || std::memcmp(a.link, b.link, a.linkLen) == 0);
}

// The same rule and times, differing only in range.
bool SameRule(const Entry& a, const Entry& b) {
  return a.kind == b.kind && a.label == b.label && a.repeat == b.repeat && a.interval == b.interval &&
         a.weekMask == b.weekMask && a.weekdayMask == b.weekdayMask && a.startHour == b.startHour &&
         a.startMinute == b.startMinute && a.endHour == b.endHour && a.endMinute == b.endMinute &&
         SameText(a, b);
}

}  // namespace

bool IcsGroup_Join(std::vector<const Entry*> entries, IcsGroup& out) {
  std::vector<const Entry*> ruled, once;
  for (const Entry* e : entries) {
    if (e->kind == KIND_TASK) return false;
    (e->repeat != REPEAT_NONE ? ruled : once).push_back(e);
  }
  if (ruled.empty()) return false;
  const auto byStart = [](const Entry* a, const Entry* b) { return a->startDay < b->startDay; };
  std::sort(ruled.begin(), ruled.end(), byStart);
  std::sort(once.begin(), once.end(), byStart);
  out.rule = *ruled.front();
  for (const Entry* e : ruled) {
    if (!SameRule(*e, out.rule)) return false;
    out.rule.endDay = std::max(out.rule.endDay, e->endDay);
  }
  // Every piece falls on the first one's days: the same rule in the same phase.
  for (const Entry* e : ruled) {
    if (!MonthRec_RuleMatches(out.rule, e->startDay)) return false;
  }
  std::vector<DayNo> gaps;
  std::size_t next = 0;
  const DayNo last = out.rule.endDay == DAY_OPEN_END ? DAY_OPEN_END - 1 : out.rule.endDay;
  for (std::uint32_t d = out.rule.startDay; d <= last; ++d) {
    while (next < ruled.size() && ruled[next]->endDay < d) ++next;
    if (!MonthRec_RuleMatches(out.rule, static_cast<DayNo>(d))) continue;
    bool covered = false;
    for (std::size_t k = next; k < ruled.size() && ruled[k]->startDay <= d && !covered; ++k) {
      covered = ruled[k]->endDay >= d;
    }
    if (!covered) gaps.push_back(static_cast<DayNo>(d));
  }
  // Each one-off takes the place of the nearest day left open.
  std::vector<bool> taken(gaps.size(), false);
  for (const Entry* e : once) {
    std::size_t best = gaps.size();
    for (std::size_t g = 0; g < gaps.size(); ++g) {
      const auto distance = [&](std::size_t k) { return std::abs(static_cast<int>(gaps[k]) - e->startDay); };
      if (!taken[g] && (best == gaps.size() || distance(g) < distance(best))) best = g;
    }
    if (best == gaps.size()) return false;
    taken[best] = true;
    out.moved.emplace_back(gaps[best], e);
  }
  for (std::size_t g = 0; g < gaps.size(); ++g) {
    if (!taken[g]) out.exdates.push_back(gaps[g]);
  }
  return !gaps.empty();
}
