#include "store/Find.h"

#include <cstring>

#include "store/MonthRec.h"
#include "text/ShiftJis.h"

namespace {

constexpr unsigned char kFullWidthLatin = 0x82;
constexpr unsigned char kFullWidthUpperA = 0x60, kFullWidthUpperZ = 0x79;
constexpr unsigned char kFullWidthCase = 0x81 - 0x60;  // ａ - Ａ in the trail byte

// The character's length at at (1 or 2 bytes of the n left) and its bytes
// with upper-case Latin letters made lower case.
int Folded(const unsigned char* at, int n, unsigned char out[2]) {
  if (ShiftJis_IsLead(at[0]) && n >= 2) {
    out[0] = at[0];
    out[1] = at[1];
    if (at[0] == kFullWidthLatin && at[1] >= kFullWidthUpperA && at[1] <= kFullWidthUpperZ)
      out[1] = static_cast<unsigned char>(at[1] + kFullWidthCase);
    return 2;
  }
  out[0] = at[0] >= 'A' && at[0] <= 'Z' ? static_cast<unsigned char>(at[0] - 'A' + 'a') : at[0];
  return 1;
}

// Whether the needle's characters begin hay (both at character boundaries).
bool FoldedPrefix(const unsigned char* hay, int hayLength, const unsigned char* needle, int length) {
  int h = 0;
  for (int n = 0; n < length;) {
    if (h >= hayLength) return false;
    unsigned char a[2], b[2];
    const int an = Folded(hay + h, hayLength - h, a);
    const int bn = Folded(needle + n, length - n, b);
    if (an != bn || a[0] != b[0] || (an == 2 && a[1] != b[1])) return false;
    h += an;
    n += bn;
  }
  return true;
}

}  // namespace

bool Find_TextContains(const Entry& e, const char* text, int length, FindCase match) {
  if (length <= 0) return true;
  if (e.text == nullptr || e.textLen < length) return false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(e.text);
  const auto* needle = reinterpret_cast<const unsigned char*>(text);
  const int last = e.textLen - length;
  for (int i = 0; i <= last;) {
    if (match == FIND_IGNORE_CASE ? FoldedPrefix(bytes + i, e.textLen - i, needle, length)
                                  : std::memcmp(bytes + i, text, static_cast<std::size_t>(length)) == 0)
      return true;
    i += ShiftJis_IsLead(bytes[i]) && i + 1 < e.textLen ? 2 : 1;
  }
  return false;
}

EntryRule Entry_Rule(const Entry& e) {
  const std::uint8_t every = e.interval == 0 ? 1 : e.interval;
  switch (e.repeat) {
    case REPEAT_NONE: return EntryRule{REPEAT_NONE, 0, 0, 0};
    case REPEAT_WEEKS: return EntryRule{e.repeat, every, static_cast<std::uint8_t>(e.weekMask & 0x7F), 0};
    case REPEAT_MONTH_WEEKDAY:
    case REPEAT_YEAR_WEEKDAY:
      return EntryRule{e.repeat, every, static_cast<std::uint8_t>(e.weekMask & 0x1F),
                       static_cast<std::uint8_t>(e.weekdayMask & 0x7F)};
    default: return EntryRule{e.repeat, every, 0, 0};
  }
}

DayNo Entry_FirstDay(const Entry& e) {
  if (e.kind == KIND_TASK && e.doneLen != 0) {
    // A done block too short to hold the day never shows.
    return e.done != nullptr && e.doneLen >= 2 ? e.done[0] : DAY_NONE;
  }
  if (e.kind == KIND_TASK || e.repeat == REPEAT_NONE) return e.startDay;
  for (std::uint32_t n = e.startDay; n <= e.endDay; ++n) {
    if (MonthRec_RuleMatches(e, static_cast<DayNo>(n))) return static_cast<DayNo>(n);
  }
  return DAY_NONE;
}
