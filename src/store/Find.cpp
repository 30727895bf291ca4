#include "store/Find.h"

#include <cstring>

#include "store/MonthRec.h"
#include "text/ShiftJis.h"

bool Find_TextContains(const Entry& e, const char* text, int length) {
  if (length <= 0) return true;
  if (e.text == nullptr || e.textLen < length) return false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(e.text);
  const int last = e.textLen - length;
  for (int i = 0; i <= last;) {
    if (std::memcmp(bytes + i, text, static_cast<std::size_t>(length)) == 0) return true;
    i += ShiftJis_IsLead(bytes[i]) && i + 1 < e.textLen ? 2 : 1;
  }
  return false;
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
