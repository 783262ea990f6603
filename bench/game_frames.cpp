// Whole frames as the tick composes them: the busiest story frame and the
// title frame, beside a plain copy of a 600 x 400 frame for scale.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "game/UnitBmp.h"
#include "game/UnitCommon.h"
#include "gfx/GaleBmp.h"
#include "platform/TextRaster.h"

namespace {

// The rasteriser the frames draw their text with, as the machine would own it.
platform::TextRaster& Raster() {
  static platform::TextRaster raster;
  return raster;
}

std::unique_ptr<TGaleBitmap> Solid(int w, int h, TPixel color) {
  auto s = std::make_unique<TGaleBitmap>();
  s->Resize(w, h, color);
  return s;
}

// A background of colour bands with black patches on a third of it (a harsh
// case for the black handling), or
// without black when blackPatches is false.
void PaintBackground(TGaleBitmap& s, bool blackPatches = true) {
  for (int y = 0; y < s.Height(); ++y) {
    std::uint8_t* p = s.Rows[y];
    for (int x = 0; x < s.Width(); ++x, p += 3) {
      const bool black = blackPatches && ((x / 40) + (y / 30)) % 3 == 0;
      p[0] = black ? 0 : static_cast<std::uint8_t>(x);
      p[1] = black ? 0 : static_cast<std::uint8_t>(y);
      p[2] = black ? 0 : static_cast<std::uint8_t>(x + y) | 1;
    }
  }
}

void MakeGlyphsAndSandClock() {
  for (int i = 0; i < 12; ++i) {
    Game.DigitGlyphs[i] = Solid(25, 40, TPixel{255, 0, 255});
    for (int y = 5; y < 35; ++y)
      for (int x = 5; x < 20; ++x) {
        std::uint8_t* p = Game.DigitGlyphs[i]->Rows[y] + 3 * x;
        p[0] = p[1] = 0;
        p[2] = static_cast<std::uint8_t>(20 * i);
      }
    Game.DigitGlyphs[i]->MakeTransparentAt(0, 0);
  }
  Game.SandClockSurface = Solid(50, 50, TPixel{255, 0, 255});
  for (int y = 10; y < 40; ++y)
    for (int x = 10; x < 40; ++x) Game.SandClockSurface->Rows[y][3 * x] = 90;
  Game.SandClockSurface->MakeTransparentAt(0, 0);
}

// Full-width CP932 text of n characters.
std::string Kana(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) {
    s += '\x82';
    s += static_cast<char>(0xA0 + i % 40);
  }
  return s;
}

void SetUpStoryFrame(bool sayings) {
  ResetGameState();
  Game.Random.Seed(1);
  Game.FrameSurface = Solid(600, 400, FillColor);
  Game.FrameSurface->UseText(Raster());
  Game.BackgroundSurface = Solid(600, 400, FillColor);
  PaintBackground(*Game.BackgroundSurface);
  MakeGlyphsAndSandClock();
  for (int i = 0; i < kMaxSubImages; ++i) {
    TSubImage& sub = Game.SubImages[i];
    sub.Surface = Solid(120, 90, TPixel{0, 255, 0});
    PaintBackground(*sub.Surface);
    sub.Surface->Rows[0][0] = 1;  // a key colour of its own
    sub.Surface->MakeTransparentAt(0, 0);
    sub.X = 40 * i;
    sub.Y = 25 * i;
  }
  Game.SubImageCount = kMaxSubImages;
  Game.FontSize = 20;
  Game.TextOriginX = 20;
  Game.TextOriginY = 20;
  for (int i = 0; i < kMaxStoryLines; ++i) Game.StoryLines[i] = Kana(26);
  Game.StoryLineCount = kMaxStoryLines;
  for (int i = 0; i < kMaxButtons; ++i) {
    TMarigoldButton& b = Game.Buttons[i];
    b.Caption = Kana(4);
    b.CaptionSize = 20;
    b.Left = 10 + 55 * (i % 5) * 2;
    b.Top = 250 + 70 * (i / 5);
    b.Right = b.Left + 100;
    b.Bottom = b.Top + 40;
  }
  Game.ButtonCount = kMaxButtons;
  Game.HoverButton = 3;
  Game.ClockRunning = true;
  Game.GaugeActive = true;
  Game.Heat = 123;
  Game.HeatLimit = 456;
  Game.TimeLeft = 123450;
  Game.FramePainter = MainPainter;
  if (sayings) {
    // Four full rows, the last in the middle of a long saying.
    for (int j = 0; j < kSayingRows; ++j) Game.SayingRows[j] = Kana(25);
    Game.SayingRow = 3;
    Game.SayingList = {Kana(100000)};
    Game.SayingActive = true;
  }
}

// How the frame benchmarks report: microseconds, the aggregates of fifteen runs.
void Measured(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMicrosecond)->Repetitions(15)->ReportAggregatesOnly(true);
}

// Times `compose` building Game.FrameSurface once per iteration, then clears
// the game state the benchmark set up.
template <typename Compose>
void TimeFrames(benchmark::State& state, Compose compose) {
  for (auto _ : state) {
    compose();
    benchmark::DoNotOptimize(Game.FrameSurface->Rows[399][0]);
  }
  ResetGameState();
}

// The frames are composed with no machine to show them on: ComposeFrame
// draws them and leaves the game state as it was.
void BM_StoryFrameBusiest(benchmark::State& state) {
  SetUpStoryFrame(state.range(0) != 0);
  TimeFrames(state, ComposeFrame);
}
BENCHMARK(BM_StoryFrameBusiest)->Arg(0)->Arg(1)->Apply(Measured);

void BM_TitleFrame(benchmark::State& state) {
  ResetGameState();
  Game.Random.Seed(2);
  Game.FrameSurface = Solid(600, 400, FillColor);
  Game.FrameSurface->UseText(Raster());
  Game.BackgroundSurface = Solid(600, 400, FillColor);
  PaintBackground(*Game.BackgroundSurface, state.range(0) != 0);
  MakeGlyphsAndSandClock();
  Game.FramePainter = TitlePainter;
  TimeFrames(state, ComposeFrame);
}
BENCHMARK(BM_TitleFrame)->Arg(0)->Arg(1)->Apply(Measured);

void BM_TitleShimmerOnly(benchmark::State& state) {
  ResetGameState();
  Game.Random.Seed(3);
  auto frame = Solid(600, 400, FillColor);
  PaintBackground(*frame);
  for (auto _ : state) {
    RisingShimmer(*frame);
    benchmark::DoNotOptimize(frame->Rows[1][0]);
  }
}
BENCHMARK(BM_TitleShimmerOnly)->Apply(Measured);

void BM_RandomCalls(benchmark::State& state) {
  Game.Random.Seed(4);
  std::int32_t sum = 0;
  for (auto _ : state) {
    sum += random(2);
    sum += random(3);
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(BM_RandomCalls)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_FrameMemcpy(benchmark::State& state) {
  std::vector<std::uint8_t> from(600 * 400 * 3, 7);
  std::vector<std::uint8_t> to(600 * 400 * 3);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), to.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 720000);
}
BENCHMARK(BM_FrameMemcpy)->Apply(Measured);

}  // namespace
