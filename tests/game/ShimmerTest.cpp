// The title's rising shimmer: where each pixel may come from, how it moves
// pixels compared with the plain one-pixel-at-a-time model, black pixels
// glowing, and the same frame from both ways of working it.
#include <array>
#include <vector>

#include "game/Shimmer.h"
#include "tests/game/DrawFixture.h"

namespace {

using Pixels = std::vector<TPixel>;  // 600 x 400, row by row

Pixels Copy(const TGaleBitmap& s) {
  Pixels px(600 * 400);
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 600; ++x) px[y * 600 + x] = At(s, x, y);
  return px;
}

// The shimmer as first written: one pixel after another, source row, then
// source column, then a red for a black result, all from the game generator.
Pixels ModelShimmer(const TGaleBitmap& frame, std::uint64_t seed) {
  Pixels px = Copy(frame);
  Game.Random.Seed(seed);
  for (int r = 398; r >= 1; --r) {
    for (int c = 1; c <= 598; ++c) {
      const int sr = r + random(2);
      const int sc = c - 1 + random(3);
      TPixel p = px[sr * 600 + sc];
      if (SameColor(p, KeyColor)) p.r = static_cast<std::uint8_t>(random(256));
      px[r * 600 + c] = p;
    }
  }
  return px;
}

// Every pixel a colour of its own (never black) that tells where it was;
// every `blackEvery`-th pixel black instead when it is not 0.
void PaintOrigins(TGaleBitmap& s, int blackEvery = 0) {
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 600; ++x) {
      const int id = y * 600 + x + 1;
      const bool black = blackEvery > 0 && id % blackEvery == 0;
      Put(s, x, y, black ? KeyColor : Px(id & 255, (id >> 8) & 255, id >> 16));
    }
}

// The (column, row) a colour painted by PaintOrigins came from.
std::array<int, 2> Origin(TPixel p) {
  const int id = p.b | p.g << 8 | p.r << 16;
  return {(id - 1) % 600, (id - 1) / 600};
}

// Shares of worked pixels by how far their colour rose (0..3, 4 for more)
// and drifted sideways (-2..2, clamped), over the colours of PaintOrigins.
std::array<double, 10> Movement(const Pixels& px) {
  std::array<double, 10> share{};
  int n = 0;
  for (int r = 1; r <= 398; ++r)
    for (int c = 1; c <= 598; ++c) {
      const auto [x, y] = Origin(px[r * 600 + c]);
      share[std::min(y - r, 4)] += 1;
      share[5 + std::clamp(x - c, -2, 2) + 2] += 1;
      ++n;
    }
  for (double& s : share) s /= n;
  return share;
}

class ShimmerTest : public DrawTest {};

TEST_F(ShimmerTest, EveryPixelComesFromBelowOrBesideAndEdgesStay) {
  PaintOrigins(Frame(), 7);
  const Pixels before = Copy(Frame());
  RisingShimmer(Frame());
  const Pixels after = Copy(Frame());
  auto out = [&](int x, int y) { return y == 399 ? before[y * 600 + x] : after[y * 600 + x]; };
  std::array<int, 6> taken{};
  for (int r = 1; r <= 398; ++r)
    for (int c = 1; c <= 598; ++c) {
      const TPixel p = after[r * 600 + c];
      const std::array<TPixel, 6> sources = {out(c - 1, r),           before[r * 600 + c],
                                             before[r * 600 + c + 1], out(c - 1, r + 1),
                                             out(c, r + 1),           out(c + 1, r + 1)};
      bool found = false;
      bool blackSource = false;
      for (int i = 0; i < 6; ++i) {
        blackSource |= SameColor(sources[i], KeyColor);
        if (!found && SameColor(sources[i], p)) {
          found = true;
          ++taken[i];
        }
      }
      const bool glow = blackSource && p.b == 0 && p.g == 0;
      ASSERT_TRUE(found || glow) << c << "," << r;
    }
  for (int i = 0; i < 6; ++i) EXPECT_GT(taken[i], 15000) << "source " << i << " never taken";
  for (int x = 0; x < 600; ++x) {
    ASSERT_EQ(after[x], before[x]) << x;
    ASSERT_EQ(after[399 * 600 + x], before[399 * 600 + x]) << x;
  }
  for (int y = 0; y < 400; ++y) {
    ASSERT_EQ(after[y * 600], before[y * 600]) << y;
    ASSERT_EQ(after[y * 600 + 599], before[y * 600 + 599]) << y;
  }
}

TEST_F(ShimmerTest, MovesPixelsAsFarAsTheOneByOneModel) {
  PaintOrigins(Frame());
  const auto model = Movement(ModelShimmer(Frame(), 99));
  Game.Random.Seed(99);
  RisingShimmer(Frame());
  const auto moved = Movement(Copy(Frame()));
  for (std::size_t i = 0; i < model.size(); ++i) {
    EXPECT_NEAR(moved[i], model[i], 0.01) << "bucket " << i;
  }
  EXPECT_GT(model[2], 0.05);  // colours climb several rows in one pass
}

TEST_F(ShimmerTest, BlackGlowsInRedsSpreadLikeTheModel) {
  Frame().Fill(KeyColor);
  const Pixels model = ModelShimmer(Frame(), 5);
  Game.Random.Seed(5);
  RisingShimmer(Frame());
  const Pixels drawn = Copy(Frame());
  auto reds = [](const Pixels& px) {
    std::array<double, 8> share{};
    for (int r = 1; r <= 398; ++r)
      for (int c = 1; c <= 598; ++c) {
        const TPixel p = px[r * 600 + c];
        EXPECT_TRUE(p.b == 0 && p.g == 0);
        share[p.r / 32] += 1.0 / (398 * 598);
      }
    return share;
  };
  const auto expected = reds(model);
  const auto got = reds(drawn);
  for (int i = 0; i < 8; ++i) EXPECT_NEAR(got[i], expected[i], 0.02) << "reds " << 32 * i;
}

TEST_F(ShimmerTest, OneDrawOfTheGameGeneratorAFrameAndTheSameFrameForTheSameSeed) {
  PaintOrigins(Frame(), 11);
  const Pixels start = Copy(Frame());
  Game.Random.Seed(77);
  RisingShimmer(Frame());
  const Pixels first = Copy(Frame());
  const int next = random(1000);
  Game.Random.Seed(77);
  Game.Random.NextWord();
  EXPECT_EQ(random(1000), next);

  PaintOrigins(Frame(), 11);
  Game.Random.Seed(77);
  RisingShimmer(Frame());
  EXPECT_TRUE(Copy(Frame()) == first);
  PaintOrigins(Frame(), 11);
  Game.Random.Seed(78);
  RisingShimmer(Frame());
  EXPECT_FALSE(Copy(Frame()) == first);
  EXPECT_FALSE(first == start);
}

TEST_F(ShimmerTest, WideLanesDrawTheSameFrameAsThePlainLoop) {
  if (!ShimmerHasWideLanes()) GTEST_SKIP() << "this processor has no wide lanes";
  struct Case {
    int lastCol;
    int blackEvery;  // 1: all black, so runs start at reds of 0
  };
  for (const Case& k :
       {Case{598, 0}, Case{598, 1}, Case{597, 3}, Case{590, 7}, Case{9, 2}, Case{1, 0}}) {
    TGaleBitmap wide, plain;
    wide.Resize(600, 400);
    plain.Resize(600, 400);
    PaintOrigins(wide, k.blackEvery);
    PaintOrigins(plain, k.blackEvery);
    const TPixel edge = At(plain, k.lastCol + 1, 200);
    ShimmerFrame(wide.Rows.data(), 398, k.lastCol, 1234 + k.lastCol, ShimmerLanes::Widest);
    ShimmerFrame(plain.Rows.data(), 398, k.lastCol, 1234 + k.lastCol, ShimmerLanes::Plain);
    ASSERT_TRUE(Copy(wide) == Copy(plain)) << "last column " << k.lastCol;
    EXPECT_EQ(At(wide, k.lastCol + 1, 200), edge) << "last column " << k.lastCol;
  }
}

}  // namespace
