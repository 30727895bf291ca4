// Full-screen text, fill and inversion on the 2-bit frame buffer.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "graphics/Zeb.h"
#include "host/common/Host.h"
#include "host/common/ZebGlyph.h"

namespace {

ZebContext ctx;

// One line of mixed single- and double-byte text, long enough to cross the
// 640-pixel screen in font 1: "12:30 会議 Meeting ｶｲｷﾞ 予定表の確認と資料作成 ".
const std::string& Line() {
  static const std::string line = [] {
    const std::string piece =
        "12:30 \x89\xef\x8b\x63 Meeting \xb6\xb2\xb7\xde "
        "\x97\x5c\x92\xe8\x95\x5c\x82\xcc\x8a\x6d\x94\x46\x82\xc6\x8e\x91\x97\xbf\x8d\xec\x90\xac ";
    std::string text;
    while (text.size() < 110) text += piece;
    return text;
  }();
  return line;
}

void OpenOnce() {
  static bool open = false;
  if (open) return;
  Zeb_SetScreenSize(640, 240);
  Zeb_OpenScreen(ctx);
  const char* failure = nullptr;
  Host_Install({});  // the glyph source
  if (!ZebGlyph_Open(&failure)) std::fprintf(stderr, "%s\n", failure);
  open = true;
}

// 40 lines (the screen over twice in font 1) of the mixed line.
void DrawScreenOfText(int font, int style) {
  Zeb_SetFont(ctx, font);
  Zeb_SetTextStyle(ctx, style);
  const std::string& line = Line();
  const int lines = 240 / ctx.cellHeight;
  for (int i = 0; i < 40; ++i) {
    Zeb_DrawText(ctx, 0, (i % lines) * ctx.cellHeight, line.c_str(), static_cast<int>(line.size()));
  }
}

void TextBench(benchmark::State& state, int font, int style) {
  OpenOnce();
  DrawScreenOfText(font, style);  // glyphs cached before timing
  for (auto _ : state) {
    DrawScreenOfText(font, style);
    benchmark::DoNotOptimize(Zeb_Screen().pixels[0]);
  }
  state.SetItemsProcessed(state.iterations() * 40);
  Zeb_SetTextStyle(ctx, ZEB_STYLE_PLAIN);
}

void BM_TextScreenFont1(benchmark::State& state) { TextBench(state, ZEB_FONT_12, ZEB_STYLE_PLAIN); }
void BM_TextScreenFont2(benchmark::State& state) { TextBench(state, ZEB_FONT_16, ZEB_STYLE_PLAIN); }
void BM_TextScreenFont2Bold(benchmark::State& state) { TextBench(state, ZEB_FONT_16, ZEB_STYLE_BOLD); }
void BM_TextScreenFont1Slanted(benchmark::State& state) { TextBench(state, ZEB_FONT_12, ZEB_STYLE_SLANTED); }

// A fresh glyph source up to the glyphs of the first frame: the 12 and 16
// pixel faces, narrow and wide, opened on first use.
void BM_GlyphSourceToFirstFrameFaces(benchmark::State& state) {
  OpenOnce();
  for (auto _ : state) {
    ZebGlyph_Close();
    ZebGlyph_Open(nullptr);
    ZebGlyph glyph;
    for (int size : {12, 16}) {
      benchmark::DoNotOptimize(Zeb_RenderGlyph('A', size, glyph));
      benchmark::DoNotOptimize(Zeb_RenderGlyph(0x93FA, size, glyph));  // a kanji
    }
  }
}

void BM_FillScreen(benchmark::State& state) {
  OpenOnce();
  int level = 0;
  for (auto _ : state) {
    Zeb_SetColor(ctx, level);
    Zeb_FillBox(ctx, {0, 0, 640, 240});
    level = (level + 1) & 3;
    benchmark::DoNotOptimize(Zeb_Screen().pixels[0]);
  }
}

void BM_FillUnalignedBox(benchmark::State& state) {
  OpenOnce();
  for (auto _ : state) {
    Zeb_FillBox(ctx, {3, 1, 633, 238});
    benchmark::DoNotOptimize(Zeb_Screen().pixels[0]);
  }
}

void BM_InvertScreen(benchmark::State& state) {
  OpenOnce();
  for (auto _ : state) {
    Zeb_InvertBox(ctx, {0, 0, 640, 240});
    benchmark::DoNotOptimize(Zeb_Screen().pixels[0]);
  }
}

void BM_ScrollMainArea(benchmark::State& state) {
  OpenOnce();
  for (auto _ : state) {
    Zeb_ScrollBox(ctx, {0, 32, 640, 188}, 0, -12);
    benchmark::DoNotOptimize(Zeb_Screen().pixels[0]);
  }
}

BENCHMARK(BM_TextScreenFont1);
BENCHMARK(BM_TextScreenFont2);
BENCHMARK(BM_TextScreenFont2Bold);
BENCHMARK(BM_TextScreenFont1Slanted);
BENCHMARK(BM_GlyphSourceToFirstFrameFaces)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillScreen);
BENCHMARK(BM_FillUnalignedBox);
BENCHMARK(BM_InvertScreen);
BENCHMARK(BM_ScrollMainArea);

}  // namespace
