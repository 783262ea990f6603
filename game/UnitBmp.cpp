// Everything the game draws into FrameSurface. Per-pixel work goes through
// the surfaces' row table, one row address per row and plain byte access
// within it; every random number is drawn in a fixed order so that a seeded
// generator reproduces a frame exactly.
#include "game/UnitBmp.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "game/GameState.h"
#include "game/Shimmer.h"
#include "gfx/GaleBmp.h"
#include "gfx/Painter.h"
#include "platform/Platform.h"
#include "script/GaleUtility.h"

#if defined(__SSE2__)
#define MG_BLACK_SSE2 1
#include <emmintrin.h>  // SSE2 byte compares for the black flicker
#endif

namespace {

// "焔の庭" in CP932.
const std::string kTitleHeading = "\x89\x8B\x82\xCC\x92\xEB";
const std::string kTitlePrompt = "- CLICK TO START -";

// Draws a surface that may not exist yet (a glyph or picture missing in a
// test set-up): nothing is drawn, but the caller has already drawn its
// random offsets, so the sequence of random numbers does not depend on it.
void DrawIfPresent(const std::unique_ptr<TGaleBitmap>& surface, TGaleBitmap& target, int x, int y) {
  if (surface) surface->DrawOnto(target, x, y);
}

bool IsKey(const std::uint8_t* p) {
  return (p[0] | p[1] | p[2]) == 0;
}

}  // namespace

// The rising shimmer of the title screen, in place: every pixel of rows
// 1..398 and columns 1..598 takes the pixel below-or-beside it, bottom rows
// first, and black results glow in a random red. The row below has already
// been treated when a row is worked, and so has the pixel to the left. Its
// numbers come from a generator of its own, seeded from the game's one
// generator once a frame, so a seeded game still draws the same frames.
void RisingShimmer(TGaleBitmap& s) {
  const int lastRow = std::min(kFrameHeight - 2, s.Height() - 2);
  const int lastCol = std::min(kFrameWidth - 2, s.Width() - 2);
  if (lastRow < 1 || lastCol < 1) return;
  ShimmerFrame(s.Rows.data(), lastRow, lastCol, Game.Random.NextWord());
}

namespace {

// The black flicker of the story scene: each row draws one red level 64..191
// and every black pixel of columns 1..599 takes it. Column 0 stays as it is.
// Sets the red of every black pixel in the bytes [p, end) to level. Most
// pixels are not black: sixteen at a time are tested by comparing their 48
// bytes with zero at once, and only the black ones are written.
void LightBlack(std::uint8_t* p, std::uint8_t* end, std::uint8_t level) {
#ifdef MG_BLACK_SSE2
  const __m128i zero = _mm_setzero_si128();
  for (; end - p >= 48; p += 48) {
    auto zeros = [&](int at) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
      return static_cast<std::uint64_t>(
          static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, zero))));
    };
    // Bit i: byte i is zero; a pixel is black when its three bits are set.
    const std::uint64_t z = zeros(0) | zeros(16) << 16 | zeros(32) << 32;
    std::uint64_t black = z & (z >> 1) & (z >> 2) & 0x249249249249ull;  // every third bit
    for (; black != 0; black &= black - 1) p[__builtin_ctzll(black) + 2] = level;
  }
#endif
  for (; p != end; p += 3) {
    if (IsKey(p)) p[2] = level;
  }
}

void FlickerBlack(TGaleBitmap& s) {
  TPainter painter(s);
  for (int y = 0; y < kFrameHeight; ++y) {
    const auto level = static_cast<std::uint8_t>(64 + random(128));
    painter.ForEachRow(TRect::Corners(1, y, kFrameWidth - 1, y),
                       [level](std::uint8_t* p, std::uint8_t* end) { LightBlack(p, end, level); });
  }
}

// Horizontal and vertical one-pixel lines in KeyColor, clipped.
void HLine(TPainter& painter, std::int64_t left, std::int64_t right, std::int64_t y) {
  painter.Fill(TRect::Corners(left, y, right, y), KeyColor);
}

void VLine(TPainter& painter, std::int64_t top, std::int64_t bottom, std::int64_t x) {
  painter.Fill(TRect::Corners(x, top, x, bottom), KeyColor);
}

}  // namespace

// ---------------------------------------------------------------------------
// The whole frame.

void ComposeFrame() {
  if (!Game.FrameSurface) return;
  TGaleBitmap& frame = *Game.FrameSurface;
  if (Game.BackgroundSurface) Game.BackgroundSurface->DrawOnto(frame, 0, 0);
  if (Game.FramePainter) Game.FramePainter();
  if (Game.GaugeActive) DrawHeatGauge();
  DrawButtons();
  if (Game.Machine) frame.PresentTo(*Game.Machine);
}

// ---------------------------------------------------------------------------
// Title screen.

void TitlePainter() {
  if (!Game.FrameSurface) return;
  TGaleBitmap& frame = *Game.FrameSurface;
  frame.SetFont(100, 0, 0);
  frame.DrawText(150, 30, kTitleHeading);
  frame.SetFont(30, fsBold, 0);
  frame.DrawText(160, 200, kTitlePrompt);
  DrawClock();
  RisingShimmer(frame);
}

// ---------------------------------------------------------------------------
// Story scene.

void MainPainter() {
  if (!Game.FrameSurface) return;
  TGaleBitmap& frame = *Game.FrameSurface;

  // Overlays, each shifted right and down by 0..4 pixels (y drawn first).
  for (std::int32_t i = 0; i < Game.SubImageCount; ++i) {
    const TSubImage& sub = Game.SubImages.at(static_cast<std::size_t>(i));
    const std::int32_t dy = random(5);
    const std::int32_t dx = random(5);
    DrawIfPresent(sub.Surface, frame, CheckedAdd(sub.X, dx), CheckedAdd(sub.Y, dy));
  }

  FlickerBlack(frame);

  frame.SetFont(Game.FontSize, fsBold, Game.TextColor);
  const std::int32_t pitch = CheckedAdd(frame.FontHeight(), kLineGap);
  for (std::int32_t i = 0; i < Game.StoryLineCount; ++i) {
    const std::string& line = Game.StoryLines.at(static_cast<std::size_t>(i));
    const std::int32_t baseY = CheckedAdd(Game.TextOriginY, CheckedMul(i, pitch));
    for (int copy = 0; copy < 3; ++copy) {
      const std::int32_t y = CheckedAdd(baseY, random(kTextShake));
      const std::int32_t x = CheckedAdd(Game.TextOriginX, random(kTextShake));
      frame.DrawText(x, y, line);
    }
  }

  if (Game.ClockRunning) DrawClock();
  if (Game.SayingActive) DrawSayings();
}

// ---------------------------------------------------------------------------
// Heat gauge and countdown clock.

void DrawClock() {
  if (!Game.FrameSurface) return;
  TGaleBitmap& frame = *Game.FrameSurface;

  TPainter(frame).MapBytes(TRect::Corners(kClockLeft, kClockTop, kFrameWidth - 1, kFrameHeight - 1),
                           [](std::uint8_t c) { return static_cast<std::uint8_t>((c + 255) / 2); });

  std::int32_t rest = Game.TimeLeft;
  const std::int32_t minutes = rest / 60000;
  rest %= 60000;
  const std::int32_t tensOfSeconds = rest / 10000;
  rest %= 10000;
  const std::int32_t seconds = rest / 1000;
  rest %= 1000;
  const std::int32_t tenths = rest / 100;
  rest %= 100;
  const std::int32_t hundredths = rest / 10;
  const std::array<std::int32_t, 7> sequence = {minutes, 10,     tensOfSeconds, seconds,
                                                11,      tenths, hundredths};

  for (int j = 0; j < 7; ++j) {
    const auto& glyph = Game.DigitGlyphs.at(static_cast<std::size_t>(sequence[j]));
    for (int copy = 0; copy < 2; ++copy) {
      const int y = kClockTop + 10 - random(3);
      const int x = kClockLeft + 50 + 25 * j - random(3);
      DrawIfPresent(glyph, frame, x, y);
    }
  }

  for (int copy = 0; copy < 2; ++copy) {
    const int y = kClockTop - random(3);
    const int x = kClockLeft - random(3);
    DrawIfPresent(Game.SandClockSurface, frame, x, y);
  }
}

std::string HeatLabel(std::int32_t heat) {
  // Each label is six CP932 bytes.
  if (heat < 0) return {};
  if (heat <= 9) return "\x20\x94\x4D\x20\x81\x46";    // " 熱 ："
  if (heat <= 19) return "\x8D\x82\x94\x4D\x81\x46";   // "高熱："
  if (heat <= 29) return "\x94\x9A\x94\x4D\x81\x46";   // "爆熱："
  if (heat <= 74) return "\x8B\xC9\x94\x4D\x81\x46";   // "極熱："
  if (heat <= 149) return "\x8D\x67\x98\x40\x81\x46";  // "紅蓮："
  if (heat <= 254) return "\x94\x92\x94\x4D\x81\x46";  // "白熱："
  if (heat == 255) return "\x8E\xDC\x94\x4D\x81\x46";  // "灼熱："
  return {};
}

void DrawHeatGauge() {
  if (!Game.FrameSurface) return;
  TGaleBitmap& frame = *Game.FrameSurface;
  const std::int32_t heat = Game.Heat;

  // Streaks: one draw per column, left to right, decides whether the whole
  // column is whitened or reddened; the band is then worked a row at a time.
  constexpr int kFirstColumn = kGaugeLeft;
  constexpr int kLastColumn = kFrameWidth - 1;
  std::array<bool, kLastColumn - kFirstColumn + 1> reddened{};
  for (int x = kFirstColumn; x <= kLastColumn; ++x) {
    const std::int64_t t = static_cast<std::int64_t>(random(255)) + heat / 3 + 38;
    reddened[static_cast<std::size_t>(x - kFirstColumn)] = t >= 255;
  }
  TPainter painter(frame);
  const TRect band = TRect::Corners(kFirstColumn, 0, kLastColumn, kGaugeBottom - 1);
  painter.ForEachRow(band, [&](std::uint8_t* p, std::uint8_t* end) {
    for (std::size_t i = 0; p != end; p += 3, ++i) {
      if (reddened[i]) {
        p[0] = static_cast<std::uint8_t>(p[0] / 2);
        p[1] = static_cast<std::uint8_t>(p[1] / 2);
      } else {
        p[0] = static_cast<std::uint8_t>((p[0] + 255) / 2);
        p[1] = static_cast<std::uint8_t>((p[1] + 255) / 2);
      }
      p[2] = static_cast<std::uint8_t>((p[2] + 255) / 2);
    }
  });

  // The heat-level word, twice with a small shake.
  const std::string label = HeatLabel(heat);
  frame.SetFont(40, 0, 0);
  frame.DrawText(kGaugeLeft + 5 + random(3), 5, label);
  frame.DrawText(kGaugeLeft + 5, 5 + random(3), label);

  // The heat in glyph digits, leading zeros left out (the units always shown).
  const std::array<std::int32_t, 3> digits = {heat / 100, (heat % 100) / 10, heat % 10};
  bool leading = true;
  for (int j = 0; j < 3; ++j) {
    if (j < 2 && leading && digits[j] == 0) continue;
    leading = false;
    const auto& glyph = Game.DigitGlyphs.at(static_cast<std::size_t>(digits[j]));
    for (int copy = 0; copy < 2; ++copy) {
      const int y = 5 - random(3);
      const int x = kGaugeLeft + 115 + 25 * j - random(3);
      DrawIfPresent(glyph, frame, x, y);
    }
  }

  // The ceiling.
  frame.SetFont(20, fsBold, 0);
  frame.DrawText(kGaugeLeft + 195, 20, "/" + std::to_string(Game.HeatLimit));

  // The gauge's black writing turns red with heat; a byte holds 0..255, so
  // higher heat paints full red.
  const auto red = static_cast<std::uint8_t>(std::clamp<std::int32_t>(heat, 0, 255));
  painter.ForEachPixel(band, [red](std::uint8_t* p) {
    if (IsKey(p)) p[2] = red;
  });
}

// ---------------------------------------------------------------------------
// Sayings scroller.

void DrawDoubleText(std::int32_t x, std::int32_t y, const std::string& text) {
  if (!Game.FrameSurface) return;
  TGaleBitmap& frame = *Game.FrameSurface;
  const std::int64_t n = static_cast<std::int64_t>(text.size()) / 2;
  const std::int32_t below = CheckedAdd(y, 1);
  for (std::int64_t i = 0; i < n; ++i) {
    const std::string piece = text.substr(static_cast<std::size_t>(2 * i), 2);
    const std::int32_t px = CheckedAdd(x, CheckedMul(20, static_cast<std::int32_t>(i)));
    frame.DrawText(px, y, piece);
    frame.DrawText(px, below, piece);
  }
}

void DrawSayings() {
  if (!Game.FrameSurface) return;
  TGaleBitmap& frame = *Game.FrameSurface;

  // The pale band; its ten edge rows at the top and bottom flicker.
  TPainter painter(frame);
  for (int y = 230; y <= 344; ++y) {
    const bool edge = y < 240 || y > 334;
    if (edge && random(2) != 1) continue;
    painter.MapBytes(TRect::Corners(0, y, kFrameWidth - 1, y),
                     [](std::uint8_t c) { return static_cast<std::uint8_t>((c + 765) / 4); });
  }

  frame.SetFont(20, fsBold, 0);
  for (std::int32_t j = 0; j <= Game.SayingRow; ++j) {
    const std::int32_t y = CheckedAdd(240 + 25 * j, Game.SayingScroll);
    DrawDoubleText(50, y, Game.SayingRows.at(static_cast<std::size_t>(j)));
  }
}

// ---------------------------------------------------------------------------
// Buttons.

void DrawButtons() {
  if (!Game.FrameSurface) return;
  TGaleBitmap& frame = *Game.FrameSurface;

  TPainter painter(frame);
  for (std::int32_t i = 0; i < Game.ButtonCount; ++i) {
    const TMarigoldButton& b = Game.Buttons.at(static_cast<std::size_t>(i));
    const std::int64_t left = b.Left;
    const std::int64_t top = b.Top;
    const std::int64_t right = b.Right;
    const std::int64_t bottom = b.Bottom;
    const TRect face = TRect::Corners(left, top, right, bottom);

    if (i == Game.HoverButton) {
      painter.Fill(face, HoverColor);
    } else {
      // Halfway toward (red 255, green 128, blue 128).
      painter.ForEachPixel(face, [](std::uint8_t* p) {
        p[0] = static_cast<std::uint8_t>((p[0] + 128) / 2);
        p[1] = static_cast<std::uint8_t>((p[1] + 128) / 2);
        p[2] = static_cast<std::uint8_t>((p[2] + 255) / 2);
      });
    }

    // A rough frame: four passes of four lines, each at a fresh depth 0..3.
    for (int pass = 0; pass < 4; ++pass) {
      HLine(painter, left, right, top + random(4));
      HLine(painter, left, right, bottom - random(4));
      VLine(painter, top, bottom, left + random(4));
      VLine(painter, top, bottom, right - random(4));
    }

    frame.SetFont(b.CaptionSize, fsBold, 0);
    for (int copy = 0; copy < 3; ++copy) {
      const std::int32_t ry = random(3);
      const std::int32_t rx = random(3);
      frame.DrawText(CheckedAdd(b.Left, 9 + rx), CheckedAdd(b.Top, 9 + ry), b.Caption);
    }
  }
}
