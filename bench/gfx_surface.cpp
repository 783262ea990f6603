#include <benchmark/benchmark.h>

#include "gfx/GaleBmp.h"
#include "platform/TextRaster.h"

namespace {

void BM_DrawOntoMasked(benchmark::State& state) {
  TGaleBitmap sprite, frame;
  sprite.Resize(600, 400, TPixel{0, 0, 0});
  for (int y = 0; y < 400; ++y)
    for (int x = (y % 7); x < 600; x += 3) sprite.Rows[y][3 * x + 2] = 200;
  sprite.MakeTransparentAt(0, 0);
  frame.Resize(600, 400);
  for (auto _ : state) {
    sprite.DrawOnto(frame, 0, 0);
    benchmark::DoNotOptimize(frame.Rows[399][0]);
  }
}
BENCHMARK(BM_DrawOntoMasked)->Repetitions(15)->ReportAggregatesOnly(true);

void BM_Fill(benchmark::State& state) {
  TGaleBitmap frame;
  frame.Resize(600, 400);
  for (auto _ : state) {
    frame.Fill(TPixel{1, 2, 3});
    benchmark::DoNotOptimize(frame.Rows[399][0]);
  }
}
BENCHMARK(BM_Fill)->Repetitions(15)->ReportAggregatesOnly(true);

// A 20-character Japanese story line drawn three times, as the story painter does.
void BM_DrawTextLineThrice(benchmark::State& state) {
  platform::TextRaster raster;
  TGaleBitmap frame;
  frame.UseText(raster);
  frame.Resize(600, 400);
  frame.SetFont(20, fsBold, 0);
  // 焔の庭に立つ少女は、静かに空を見上げていた。 (20 characters)
  const std::string line =
      "\x89\x8B\x82\xCC\x92\xEB\x82\xC9\x97\xA7\x82\xC2\x8F\xAD\x8F\x97\x82\xCD\x81\x41"
      "\x90\xC3\x82\xA9\x82\xC9\x8B\xF3\x82\xF0\x8C\xA9\x8F\xE3\x82\xB0\x82\xC4\x82\xA2";
  frame.DrawText(0, 0, line);  // first use finds the face and fills the caches
  for (auto _ : state) {
    frame.DrawText(10, 100, line);
    frame.DrawText(11, 101, line);
    frame.DrawText(12, 100, line);
    benchmark::DoNotOptimize(frame.Rows[100][30]);
  }
}
BENCHMARK(BM_DrawTextLineThrice)->Repetitions(15)->ReportAggregatesOnly(true);

}  // namespace
