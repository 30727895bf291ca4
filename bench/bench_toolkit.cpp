// Message throughput of the toolkit: a key through the host queue, the filter
// and a three-deep focus chain, and a post/take/dispatch round trip.
#include <benchmark/benchmark.h>

#include "host/headless/Headless.h"
#include "toolkit/nw.h"

namespace {

nwObject top, middle, leaf;
long taken = 0;

bool Taker(nwObject* object, nwMessage* message) {
  if (message->code == NW_KEY_DOWN || message->code == NW_COMMAND) {
    ++taken;
    return object == &top;
  }
  return nwObject_DefaultHandler(object, message);
}

void Setup() {
  Headless_Install();
  nwEvent_Reset();
  nwTimer_Reset();
  nwObject_Create(&top, Taker, nullptr, nullptr);
  nwObject_Create(&middle, Taker, &top, nullptr);
  nwObject_Create(&leaf, Taker, &middle, nullptr);
  nwFocus_Set(&leaf);
}

void BM_KeyThroughFocusChain(benchmark::State& state) {
  Setup();
  for (auto _ : state) {
    Headless_PushKey(14);  // CTRL+N
    nwMessage* message = nwEvent_Next(true);
    if (!nwEvent_Filter(message)) nwEvent_Dispatch(message);
  }
  benchmark::DoNotOptimize(taken);
}
BENCHMARK(BM_KeyThroughFocusChain);

void BM_PostAndDispatch(benchmark::State& state) {
  Setup();
  for (auto _ : state) {
    nwEvent_PostTo(&leaf, NW_COMMAND, 3001);
    nwEvent_Dispatch(nwEvent_Next(false));
  }
  benchmark::DoNotOptimize(taken);
}
BENCHMARK(BM_PostAndDispatch);

void BM_TimerCheckFiveTimers(benchmark::State& state) {
  Setup();
  for (int slot = 0; slot < 5; ++slot) nwTimer_Set(slot, &top, 1000000);
  for (auto _ : state) benchmark::DoNotOptimize(nwTimer_Check());
}
BENCHMARK(BM_TimerCheckFiveTimers);

}  // namespace
