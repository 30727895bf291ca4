// Cold month expansion over a full store: 6000 entries of every kind and
// repeat rule spread over three years, expanded right after an invalidation.
#include <benchmark/benchmark.h>

#include <random>

#include "store/MonthRec.h"
#include "store/MonthRecEntry.h"
#include "store/Store.h"

namespace {

void Fill() {
  Store_Init();
  std::mt19937 rng(42);
  const int from = Date_ToDayNo(2023, 1, 1);
  for (const monthref::Ref& r : monthref::RandomEntries(rng, static_cast<int>(cap::kEntries), from, 3 * 365)) {
    monthref::AddToStore(r);
  }
}

const MonthNo kMonth = 12 * (2024 - 1900) + 5;  // June 2024, mid-range

void BM_ColdMonth(benchmark::State& state) {
  Fill();
  std::size_t occurrences = 0;
  for (auto _ : state) {
    Store_Invalidate();
    const MonthRec& rec = MonthRec_GetByMonthNo(kMonth);
    benchmark::DoNotOptimize(&rec);
    occurrences = 0;
    for (int d = 1; d <= rec.days; ++d) occurrences += rec.count[d];
  }
  state.counters["occurrences"] = static_cast<double>(occurrences);
  Store_Shutdown();
}
BENCHMARK(BM_ColdMonth)->Unit(benchmark::kMicrosecond);

void BM_ColdThreeMonths(benchmark::State& state) {
  Fill();
  for (auto _ : state) {
    Store_Invalidate();
    for (MonthNo m = kMonth - 1; m <= kMonth + 1; ++m) benchmark::DoNotOptimize(&MonthRec_GetByMonthNo(m));
  }
  Store_Shutdown();
}
BENCHMARK(BM_ColdThreeMonths)->Unit(benchmark::kMicrosecond);

// What a year of agenda asks: twelve months, each expanded once.
void BM_ColdYear(benchmark::State& state) {
  Fill();
  for (auto _ : state) {
    Store_Invalidate();
    for (MonthNo m = kMonth; m < kMonth + 12; ++m) benchmark::DoNotOptimize(&MonthRec_GetByMonthNo(m));
  }
  Store_Shutdown();
}
BENCHMARK(BM_ColdYear)->Unit(benchmark::kMicrosecond);

void BM_CachedMonth(benchmark::State& state) {
  Fill();
  MonthRec_GetByMonthNo(kMonth);
  for (auto _ : state) benchmark::DoNotOptimize(&MonthRec_GetByMonthNo(kMonth));
  Store_Shutdown();
}
BENCHMARK(BM_CachedMonth);

}  // namespace
