// Load and save of a full record file: 6000 entries of mixed kinds, texts of
// 10 to 60 bytes, some done tasks and links.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Capacity.h"
#include "files/Record.h"
#include "store/Store.h"

namespace {

std::string folder;

char* CopyText(const std::string& s) {
  char* p = Store_AllocBytes(s.size());
  std::memcpy(p, s.data(), s.size());
  return p;
}

void FillStore() {
  Store_Init();
  std::uint32_t seed = 12345;
  const auto next = [&seed](std::uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  static constexpr EntryKind kKinds[] = {KIND_TASK, KIND_SCHEDULE, KIND_HOLIDAY, KIND_TASK,
                                         KIND_SCHEDULE, KIND_TIMED, KIND_OPAQUE};
  for (std::size_t i = 0; i < cap::kEntries; ++i) {
    Entry* e = Store_AllocEntries(1);
    *e = Entry{};
    e->kind = kKinds[i % std::size(kKinds)];
    e->startDay = static_cast<DayNo>(40000 + next(2000));
    e->endDay = e->kind == KIND_TASK ? DAY_OPEN_END : static_cast<DayNo>(e->startDay + next(5));
    e->startHour = static_cast<std::uint8_t>(next(24));
    e->rank = static_cast<std::uint8_t>(next(10));
    std::string text(10 + next(51), 'a');
    for (char& c : text) c = static_cast<char>('a' + next(26));
    e->textLen = static_cast<std::uint16_t>(text.size());
    e->text = CopyText(text);
    if (e->kind == KIND_TASK && next(3) == 0) {
      e->doneLen = 2;
      e->done = Store_AllocWords(1);
      e->done[0] = static_cast<DayNo>(e->startDay + 1);
    }
    if (next(10) == 0) {
      const std::string link = "file" + std::to_string(i) + ".txt";
      e->linkLen = static_cast<std::uint16_t>(link.size());
      e->link = CopyText(link);
    }
    Store_Register(e);
  }
}

void Setup() {
  if (!folder.empty()) return;
  // Freed pools and read buffers stay in the process for the next load, so
  // the figures are the loader's own work. A process's first load also pays
  // for touching fresh memory, which a virtual machine can make costly;
  // BM_FreshMemory shows that cost for the same amount on its own.
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  char pattern[] = "/tmp/velmo-bench-XXXXXX";
  folder = mkdtemp(pattern);
  Record_SetPath((folder + "/record").c_str());
  FillStore();
  Record_Save();
}

void BM_RecordLoad(benchmark::State& state) {
  Setup();
  for (auto _ : state) {
    Store_Init();
    if (!Record_Load() || Store_Count() != cap::kEntries) state.SkipWithError("load failed");
  }
}
BENCHMARK(BM_RecordLoad)->Unit(benchmark::kMicrosecond);

void BM_RecordSave(benchmark::State& state) {
  Setup();
  Store_Init();
  Record_Load();
  for (auto _ : state) {
    if (!Record_Save()) state.SkipWithError("save failed");
  }
}
BENCHMARK(BM_RecordSave)->Unit(benchmark::kMicrosecond);

void BM_RecordBuildImage(benchmark::State& state) {
  Setup();
  Store_Init();
  Record_Load();
  for (auto _ : state) benchmark::DoNotOptimize(Record_BuildImage().data());
}
BENCHMARK(BM_RecordBuildImage)->Unit(benchmark::kMicrosecond);

// What touching the memory of one load costs when it is fresh: the file's
// bytes and the pools they are copied into, about 1 MB.
void BM_FreshMemory(benchmark::State& state) {
  constexpr std::size_t kBytes = 1 << 20;
  for (auto _ : state) {
    void* p = mmap(nullptr, kBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) {
      state.SkipWithError("mmap failed");
      break;
    }
    for (std::size_t i = 0; i < kBytes; i += 4096) static_cast<volatile char*>(p)[i] = 1;
    munmap(p, kBytes);
  }
}
BENCHMARK(BM_FreshMemory)->Unit(benchmark::kMicrosecond);

}  // namespace
