// Arbitrary bytes through the record reader, then through everything a
// loaded file reaches: the month expansion of every entry's months, its CSV
// line and the save. Whatever loads must save to an image that loads again
// and saves to the same image.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "files/Csv.h"
#include "files/Record.h"
#include "store/MonthRec.h"
#include "store/Store.h"

namespace {

// Entries whose months are expanded per input: enough to meet every rule,
// few enough to keep an input fast.
constexpr std::uint16_t kExpanded = 64;

void Expand(DayNo day, int monthsAfter) {
  if (day == DAY_NONE) return;
  MonthNo m = 0;
  std::uint16_t mday = 0;
  DayNo_ToMonthNo(day, m, mday);
  for (int i = 0; i <= monthsAfter && m + i <= 0xFFFF; ++i) {
    const MonthRec& rec = MonthRec_GetByMonthNo(static_cast<MonthNo>(m + i));
    if (rec.days > 31) std::abort();
  }
}

void ThroughEverything() {
  static std::FILE* sink = std::fopen("/dev/null", "w");
  std::uint16_t pos = Store_First();
  std::uint16_t n = 0;
  for (const Entry* e = Store_Next(pos); e != nullptr; e = Store_Next(pos), ++n) {
    if (sink != nullptr) Csv_WriteEntry(sink, *e);
    if (n >= kExpanded) continue;
    Expand(e->startDay, 2);
    if (e->endDay != DAY_OPEN_END) Expand(e->endDay, 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Store_Init();
  Store_SetDropDeleted((size & 1) != 0);
  Record_LoadSpan(std::span<const std::uint8_t>(data, size));
  ThroughEverything();
  const auto first = Record_BuildImage();
  const std::vector<std::uint8_t> image(first.begin(), first.end());
  if (image.size() < 4) std::abort();
  Store_Init();
  if (!Record_LoadSpan(image)) std::abort();
  const auto second = Record_BuildImage();
  if (second.size() != image.size() || std::memcmp(second.data(), image.data(), image.size()) != 0)
    std::abort();
  Store_Shutdown();
  return 0;
}
