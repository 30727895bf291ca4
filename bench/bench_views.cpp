// A key press in the three-month calendar that scrolls all three months,
// with a full store and a cold month cache: from the key to the dirty region
// being ready for the host.
#include <benchmark/benchmark.h>

#include "calendar/Date.h"
#include "graphics/Zeb.h"
#include "graphics/ZebKey.h"
#include "host/common/ZebGlyph.h"
#include "host/headless/Headless.h"
#include "shell/Browse.h"
#include "shell/Shell.h"
#include "store/MonthRec.h"
#include "store/Store.h"
#include "toolkit/nw.h"
#include "views/ThreeMonths.h"
#include "views/View.h"

namespace {

constexpr int kEntries = 6000;

// Schedules, tasks and holidays over three years around 2024, one in ten
// repeating weekly, so each month has its share of every kind.
void FillStore() {
  Store_Init();
  const DayNo base = Date_ToDayNo(2023, 1, 1);
  for (int i = 0; i < kEntries; ++i) {
    Entry* e = Store_AllocEntries(1);
    *e = Entry{};
    e->size = ENTRY_NEW_SIZE;
    const int kind = i % 20;
    e->kind = kind == 0 ? KIND_HOLIDAY : kind < 14 ? KIND_SCHEDULE : KIND_TASK;
    e->label = static_cast<std::uint16_t>(i % 5);
    e->startDay = static_cast<DayNo>(base + (i * 7) % (3 * 365));
    e->endDay = e->kind == KIND_TASK ? static_cast<DayNo>(e->startDay + 20) : static_cast<DayNo>(e->startDay + i % 3);
    if (e->kind == KIND_SCHEDULE) {
      e->startHour = static_cast<std::uint8_t>(i % 24);
      e->endHour = static_cast<std::uint8_t>(i % 24);
      if (i % 10 == 1) {
        e->repeat = REPEAT_WEEKS;
        e->interval = 1;
        e->weekMask = WeekdayBit(static_cast<std::uint16_t>(i % 7));
        e->endDay = static_cast<DayNo>(e->startDay + 200);
      }
    }
    if (e->kind == KIND_TASK) e->rank = static_cast<std::uint8_t>(i % 5);
    Store_Register(e);
  }
}

void Setup() {
  Headless_Install();
  ZebGlyph_Open(nullptr);
  Zeb_SetScreenSize(640, 240);
  Zeb_OpenScreen(nwContext);
  nwEvent_Reset();
  FillStore();
  BrowseState_Reset();
  BrowseState_SetView(VIEW_THREE_MONTHS);
  BrowseState_SetToday(Date_ToDayNo(2024, 1, 10), 2024, 1, 10);
  BrowseState_SetCursorDate(Date_ToDayNo(2024, 6, 15));
  View_CreateCurrent();
  View_RedrawAll();
}

void BM_ThreeMonthsPageColdCache(benchmark::State& state) {
  Setup();
  bool forward = true;
  ZebRect dirty{};
  for (auto _ : state) {
    state.PauseTiming();
    Store_Invalidate();
    Zeb_ClearDirty();
    state.ResumeTiming();
    Browse_Key(forward ? KEY_PAGEDOWN : KEY_PAGEUP, KEY_MOD_NONE);
    benchmark::DoNotOptimize(Zeb_GetDirty(dirty));
    forward = !forward;
  }
  state.counters["dirty_w"] = dirty.w;
  Store_Shutdown();
}
BENCHMARK(BM_ThreeMonthsPageColdCache)->Unit(benchmark::kMicrosecond);

}  // namespace
