// The drawing helpers' clipping: every operation touches exactly the pixels
// its rectangle shares with the surface, whatever the rectangle's corners.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "gfx/GaleBmp.h"
#include "gfx/Painter.h"

namespace {

constexpr std::int64_t kHuge = std::numeric_limits<std::int64_t>::max() / 4;

struct RectCase {
  const char* name;
  std::int64_t left, top, right, bottom;  // inclusive corners
};

// A 7 x 5 surface, a rectangle given by inclusive corners, and which pixels
// of the surface it covers.
const RectCase kRects[] = {
    {"inside", 1, 1, 3, 2},
    {"one pixel", 6, 4, 6, 4},
    {"over the top left", -3, -2, 1, 1},
    {"over the bottom right", 5, 3, 40, 90},
    {"wider than the surface", -10, 2, 10, 2},
    {"whole and more", -kHuge, -kHuge, kHuge, kHuge},
    {"left of it", -5, 0, -1, 4},
    {"below it", 0, 5, 6, 9},
    {"inverted", 4, 3, 2, 1},
};

bool Covers(const RectCase& c, int x, int y) {
  return x >= c.left && x <= c.right && y >= c.top && y <= c.bottom;
}

// Pixel x of row y holds (x, y, 9) before a test draws.
void Number(TGaleBitmap& s) {
  for (int y = 0; y < s.Height(); ++y) {
    for (int x = 0; x < s.Width(); ++x) {
      s.Rows[y][3 * x] = static_cast<std::uint8_t>(x);
      s.Rows[y][3 * x + 1] = static_cast<std::uint8_t>(y);
      s.Rows[y][3 * x + 2] = 9;
    }
  }
}

TEST(Painter, EveryOperationTouchesExactlyTheCoveredPixels) {
  const TPixel paint{200, 100, 50};
  for (const RectCase& c : kRects) {
    const TRect rect = TRect::Corners(c.left, c.top, c.right, c.bottom);
    TGaleBitmap filled, mapped, visited;
    for (TGaleBitmap* s : {&filled, &mapped, &visited}) {
      s->Resize(7, 5);
      Number(*s);
    }
    TPainter(filled).Fill(rect, paint);
    TPainter(mapped).MapBytes(rect,
                              [](std::uint8_t b) { return static_cast<std::uint8_t>(b + 1); });
    int visits = 0;
    TPainter(visited).ForEachPixel(rect, [&](std::uint8_t* p) {
      ++visits;
      p[2] = 0;
    });
    int covered = 0;
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 7; ++x) {
        const bool in = Covers(c, x, y);
        covered += in;
        const std::string where =
            std::string(c.name) + " at " + std::to_string(x) + "," + std::to_string(y);
        const TPixel before{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 9};
        const TPixel bumped{static_cast<std::uint8_t>(x + 1), static_cast<std::uint8_t>(y + 1), 10};
        const TPixel zeroed{before.b, before.g, 0};
        EXPECT_TRUE(SameColor(TPainter(filled).At(x, y), in ? paint : before)) << where;
        EXPECT_TRUE(SameColor(TPainter(mapped).At(x, y), in ? bumped : before)) << where;
        EXPECT_TRUE(SameColor(TPainter(visited).At(x, y), in ? zeroed : before)) << where;
      }
    }
    EXPECT_EQ(visits, covered) << c.name;
  }
}

TEST(Painter, CopiesAreCutToBothSurfaces) {
  struct Case {
    const char* name;
    TRect source;
    std::int64_t x, y;
    TRect expected;  // where it lands in the target
  };
  const TRect sourceBounds{0, 0, 10, 8};
  const TRect targetBounds{0, 0, 6, 5};
  const Case cases[] = {
      {"fits", TRect::Sized(1, 1, 3, 2), 2, 2, TRect{2, 2, 5, 4}},
      {"past the target's edge", TRect::Sized(0, 0, 10, 8), 3, 1, TRect{3, 1, 6, 5}},
      {"to a negative place", TRect::Sized(2, 2, 4, 4), -1, -3, TRect{0, 0, 3, 1}},
      {"from outside the source", TRect::Sized(-2, 6, 5, 5), 0, 0, TRect{2, 0, 5, 2}},
      {"nothing left", TRect::Sized(0, 0, 3, 3), 6, 0, TRect{6, 0, 6, 3}},
      {"negative size", TRect::Sized(0, 0, -3, 2), 0, 0, TRect{0, 0, -3, 2}},
  };
  for (const Case& c : cases) {
    const TRect got = ClipCopy(c.source, sourceBounds, c.x, c.y, targetBounds);
    EXPECT_EQ(got.Empty(), c.expected.Empty()) << c.name;
    if (!c.expected.Empty()) {
      EXPECT_EQ(got, c.expected) << c.name;
    }
    // The source pixel for the landing's top left lies inside the source.
    if (!got.Empty()) {
      EXPECT_TRUE(
          sourceBounds.Contains(got.Left - c.x + c.source.Left, got.Top - c.y + c.source.Top))
          << c.name;
    }
  }
}

}  // namespace
