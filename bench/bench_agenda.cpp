// The agenda's text conversion: Shift-JIS entry texts to UTF-8 through the
// table, against the C library's converter called once per text as the
// agenda did before.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <string>
#include <vector>

#include "Sjis.h"

namespace {

// 6000 texts of 10 to 40 characters, kanji, kana and ASCII mixed.
const std::vector<std::string>& Texts() {
  static const std::vector<std::string> texts = [] {
    const std::string pieces[] = {"\x89\xef\x8b\x63", "Lunch ", "\x93\x64\x98\x62",
                                  "\xb6\xb2\xb7\xde", "12:30 ", "\x8e\x64\x8e\x96"};
    std::vector<std::string> out;
    std::uint32_t seed = 1;
    for (int i = 0; i < 6000; ++i) {
      std::string text;
      const int n = 3 + static_cast<int>((seed = seed * 1103515245u + 12345u) >> 16) % 8;
      for (int k = 0; k < n; ++k) text += pieces[(seed >> (k + 8)) % std::size(pieces)];
      out.push_back(text);
    }
    return out;
  }();
  return texts;
}

void BM_SjisTable(benchmark::State& state) {
  std::string out(1 << 16, '\0');
  std::size_t bytes = 0;
  for (auto _ : state) {
    for (const std::string& text : Texts()) {
      benchmark::DoNotOptimize(Sjis_PutUtf8(out.data(), text));
      bytes += text.size();
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_SjisTable)->Unit(benchmark::kMicrosecond);

void BM_SjisIconv(benchmark::State& state) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  char out[1 << 12];
  std::size_t bytes = 0;
  for (auto _ : state) {
    for (const std::string& text : Texts()) {
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      char* in = const_cast<char*>(text.data());
      std::size_t inLeft = text.size(), outLeft = sizeof out;
      char* to = out;
      benchmark::DoNotOptimize(iconv(cd, &in, &inLeft, &to, &outLeft));
      bytes += text.size();
    }
  }
  iconv_close(cd);
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_SjisIconv)->Unit(benchmark::kMicrosecond);

}  // namespace
