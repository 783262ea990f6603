// The heat gauge and the countdown clock.
#include <array>
#include <string>

#include "platform/Encoding.h"
#include "tests/game/DrawFixture.h"

namespace {

TEST(DrawHeatLabel, BoundariesOfTheTable) {
  struct Case {
    int heat;
    const char* utf8;
  };
  const Case cases[] = {
      {0, " 熱 ："},   {9, " 熱 ："},   {10, "高熱："},  {19, "高熱："}, {20, "爆熱："},
      {29, "爆熱："},  {30, "極熱："},  {74, "極熱："},  {75, "紅蓮："}, {149, "紅蓮："},
      {150, "白熱："}, {254, "白熱："}, {255, "灼熱："},
  };
  for (const Case& c : cases) {
    const std::string label = HeatLabel(c.heat);
    EXPECT_EQ(label.size(), 6u) << c.heat;
    EXPECT_EQ(platform::Cp932ToUtf8(label), c.utf8) << c.heat;
  }
  EXPECT_EQ(HeatLabel(256), "");
  EXPECT_EQ(HeatLabel(999), "");
  EXPECT_EQ(HeatLabel(-1), "");
  // The first label: single-byte spaces around the character.
  EXPECT_EQ(HeatLabel(0), std::string("\x20\x94\x4D\x20\x81\x46"));
}

class DrawGaugeTest : public DrawTest {};

// Which glyph shows at each of N places 25 pixels apart, the first from
// `left`, on row `y` (-1: none).
template <std::size_t N>
std::array<int, N> GlyphPlaces(const TGaleBitmap& frame, int left, int y) {
  std::array<int, N> out{};
  for (std::size_t j = 0; j < N; ++j) out[j] = GlyphAt(frame, left + 25 * int(j) + 12, y);
  return out;
}

// The gauge's three digit places.
std::array<int, 3> DigitPlaces(const TGaleBitmap& frame) {
  return GlyphPlaces<3>(frame, 465, 20);
}

TEST_F(DrawGaugeTest, DigitsLeaveOutLeadingZerosOnly) {
  MakeGlyphs();
  struct Case {
    int heat;
    std::array<int, 3> places;
  };
  const Case cases[] = {
      {0, {-1, -1, 0}}, {7, {-1, -1, 7}}, {40, {-1, 4, 0}}, {100, {1, 0, 0}}, {105, {1, 0, 5}},
  };
  for (const Case& c : cases) {
    Frame().Fill(FillColor);
    Game.Heat = c.heat;
    DrawHeatGauge();
    EXPECT_EQ(DigitPlaces(Frame()), c.places) << "heat " << c.heat;
  }
}

TEST_F(DrawGaugeTest, DigitsShakeUpAndLeftByAtMostTwo) {
  MakeGlyphs();
  Game.Heat = 5;
  for (int k = 0; k < 30; ++k) {
    Frame().Fill(FillColor);
    DrawHeatGauge();
    // The units glyph lies within columns 513..539 and rows 3..44.
    for (int y = 0; y < 50; ++y) {
      for (int x = 350; x < 600; ++x) {
        if (At(Frame(), x, y) == GlyphColor(5)) {
          ASSERT_GE(x, 513);
          ASSERT_LE(x, 539);
          ASSERT_GE(y, 3);
          ASSERT_LE(y, 44);
        }
      }
    }
    // Columns 515..537 and rows 5..42 are covered by every placement (the
    // transparent corner aside).
    EXPECT_EQ(At(Frame(), 516, 6), GlyphColor(5));
    EXPECT_EQ(At(Frame(), 537, 42), GlyphColor(5));
  }
}

// The streak of each column from the generator: true when reddened.
std::array<bool, 250> ExpectedStreaks(std::uint64_t seed, int heat) {
  const auto draws = Draws(seed, 250, 255);
  std::array<bool, 250> red{};
  for (int i = 0; i < 250; ++i) red[i] = draws[i] + heat / 3 + 38 >= 255;
  return red;
}

TEST_F(DrawGaugeTest, StreaksTreatWholeColumnsWithOneDrawEach) {
  const TPixel grey = Px(100, 100, 100);
  const TPixel whitened = Px(177, 177, 177);
  const TPixel reddened = Px(50, 50, 177);
  for (int heat : {0, 90, 650, 651}) {
    const auto expected = ExpectedStreaks(777, heat);
    Frame().Fill(grey);
    Game.Heat = heat;
    Game.Random.Seed(777);
    DrawHeatGauge();
    int reds = 0;
    for (int x = 350; x < 600; ++x) {
      const bool red = expected[x - 350];
      reds += red;
      // Rows 0..4 and 47..49 hold no writing.
      for (int y : {0, 1, 2, 3, 4, 47, 48, 49}) {
        ASSERT_EQ(At(Frame(), x, y), red ? reddened : whitened) << heat << " " << x << "," << y;
      }
    }
    if (heat == 0) {
      EXPECT_GT(reds, 0);
      EXPECT_LT(reds, 125);
    }
    if (heat == 651) {
      EXPECT_EQ(reds, 250);
    }
    // Outside the corner nothing changes.
    EXPECT_EQ(At(Frame(), 349, 10), grey);
    EXPECT_EQ(At(Frame(), 400, 50), grey);
  }
}

TEST_F(DrawGaugeTest, BlackWritingTakesTheHeatAsRed) {
  for (int heat : {0, 77, 255, 300}) {
    Frame().Fill(FillColor);
    Put(Frame(), 349, 10, KeyColor);
    Put(Frame(), 400, 50, KeyColor);
    Game.Heat = heat;
    Game.HeatLimit = 123;
    DrawHeatGauge();
    const std::uint8_t red = heat > 255 ? 255 : heat;
    int writing = 0;
    for (int y = 0; y < 50; ++y) {
      for (int x = 350; x < 600; ++x) {
        const TPixel p = At(Frame(), x, y);
        if (p.b == 0 && p.g == 0) {
          ASSERT_EQ(p.r, red) << heat << " at " << x << "," << y;
          ++writing;
        }
      }
    }
    // The label (when there is one) and the ceiling text were written.
    EXPECT_GT(writing, 20) << heat;
    EXPECT_EQ(At(Frame(), 349, 10), KeyColor);
    EXPECT_EQ(At(Frame(), 400, 50), KeyColor);
  }
}

class DrawClockTest : public DrawTest {};

// The clock's seven places.
std::array<int, 7> ClockPlaces(const TGaleBitmap& frame) {
  return GlyphPlaces<7>(frame, 425, 385);
}

TEST_F(DrawClockTest, GlyphSequenceOfTheCountdown) {
  MakeGlyphs();
  struct Case {
    int time;
    std::array<int, 7> places;
  };
  const Case cases[] = {
      {180000, {3, 10, 0, 0, 11, 0, 0}},
      {65450, {1, 10, 0, 5, 11, 4, 5}},
      {0, {0, 10, 0, 0, 11, 0, 0}},
      {59950, {0, 10, 5, 9, 11, 9, 5}},
  };
  for (const Case& c : cases) {
    Frame().Fill(FillColor);
    Game.TimeLeft = c.time;
    DrawClock();
    EXPECT_EQ(ClockPlaces(Frame()), c.places) << c.time;
  }
}

TEST_F(DrawClockTest, LightensItsCornerAndDrawsTheSandClockOnTop) {
  MakeGlyphs();
  const TPixel sand = Px(1, 2, 3);
  Game.SandClockSurface = SolidSurface(30, 20, sand);
  Frame().Fill(KeyColor);
  Game.Random.Seed(5);
  DrawClock();
  const TPixel half = Px(127, 127, 127);
  EXPECT_EQ(At(Frame(), 375, 399), half);  // below the sand clock, left of the glyphs
  EXPECT_EQ(At(Frame(), 424, 355), half);
  EXPECT_EQ(At(Frame(), 599, 350), half);
  EXPECT_EQ(At(Frame(), 374, 399), KeyColor);
  EXPECT_EQ(At(Frame(), 599, 349), KeyColor);
  EXPECT_EQ(At(Frame(), 390, 360), sand);
  // The sand clock is shaken up and left by at most two pixels.
  for (int y = 340; y < 400; ++y) {
    for (int x = 360; x < 420; ++x) {
      if (At(Frame(), x, y) == sand) {
        ASSERT_GE(x, 373);
        ASSERT_LE(x, 404);
        ASSERT_GE(y, 348);
        ASSERT_LE(y, 369);
      }
    }
  }
}

TEST_F(DrawClockTest, CutGlyphsComeFromTheStripInOrder) {
  ScopedDataFolder folder{machine};
  // Without the font picture the cut reports the load error.
  EXPECT_THROW(CutDigitGlyphs(), std::runtime_error);

  TGaleBitmap strip;
  strip.Resize(310, 40);
  for (int i = 0; i < 12; ++i) {
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 25 && 25 * i + x < 310; ++x) Put(strip, 25 * i + x, y, GlyphColor(i));
    }
    if (25 * i < 310) Put(strip, 25 * i, 0, Px(255, 0, 255));
  }
  // Blocks 12 and beyond are not read: the strip is 310 wide, glyph 11 ends at 299.
  folder.WriteBmp("font.bmp", strip);
  CutDigitGlyphs();
  for (int i = 0; i < 12; ++i) {
    const TGaleBitmap& g = *Game.DigitGlyphs[i];
    ASSERT_EQ(g.Width(), 25);
    ASSERT_EQ(g.Height(), 40);
    EXPECT_EQ(At(g, 1, 0), GlyphColor(i)) << i;
    EXPECT_EQ(At(g, 24, 39), GlyphColor(i)) << i;
    ASSERT_NE(g.Mask, nullptr);
    // Drawn onto white, the key-coloured corner leaves the target white.
    TGaleBitmap target;
    target.Resize(25, 40);
    g.DrawOnto(target, 0, 0);
    EXPECT_EQ(At(target, 0, 0), FillColor) << i;
    EXPECT_EQ(At(target, 12, 20), GlyphColor(i)) << i;
  }
}

}  // namespace
