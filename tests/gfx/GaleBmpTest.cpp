#include "gfx/GaleBmp.h"

#include <gtest/gtest.h>

namespace {

TPixel At(const TGaleBitmap& s, int x, int y) {
  const std::uint8_t* p = s.Rows[y] + 3 * x;
  return TPixel{p[0], p[1], p[2]};
}
void Put(TGaleBitmap& s, int x, int y, TPixel c) {
  std::uint8_t* p = s.Rows[y] + 3 * x;
  p[0] = c.b;
  p[1] = c.g;
  p[2] = c.r;
}
constexpr TPixel kRed{0, 0, 255};
constexpr TPixel kGreen{0, 255, 0};
constexpr TPixel kBlack{0, 0, 0};

TEST(GaleBmp, CreationDefaultsAndResizeFill) {
  TGaleBitmap s;
  EXPECT_EQ(s.Width(), 0);
  EXPECT_EQ(s.Height(), 0);
  EXPECT_TRUE(s.Rows.empty());
  EXPECT_FALSE(s.Mask);
  EXPECT_EQ(s.FontHeight(), 20);

  s.Resize(600, 400);
  ASSERT_EQ(s.Rows.size(), 400u);
  for (int y = 0; y < 400; ++y) {
    EXPECT_EQ(s.Rows[y], s.Rows[0] + y * 1800);  // contiguous, stride 3 * width
    for (int i = 0; i < 1800; ++i) ASSERT_EQ(s.Rows[y][i], 255) << y << "," << i;
  }
  s.Fill(TPixel{1, 2, 3});
  EXPECT_TRUE(SameColor(At(s, 599, 399), TPixel{1, 2, 3}));
  EXPECT_EQ(s.Rows[399][1797], 1);
  EXPECT_EQ(s.Rows[399][1799], 3);

  s.Resize(3, 2, kRed);
  ASSERT_EQ(s.Rows.size(), 2u);
  EXPECT_TRUE(SameColor(At(s, 2, 1), kRed));
  s.Resize(0, 0);
  EXPECT_TRUE(s.Rows.empty());
  s.Fill(kRed);  // nothing to fill, no fault
  EXPECT_THROW(s.Resize(-1, 5), std::runtime_error);
}

TEST(GaleBmp, SameColorHasNoTolerance) {
  EXPECT_FALSE(SameColor(TPixel{0, 0, 1}, TPixel{0, 0, 0}));
  EXPECT_FALSE(SameColor(TPixel{1, 0, 0}, TPixel{0, 0, 0}));
  EXPECT_TRUE(SameColor(TPixel{7, 8, 9}, TPixel{7, 8, 9}));
}

TEST(GaleBmp, MaskFromTopLeftColourAnywhereInPicture) {
  TGaleBitmap sprite;
  sprite.Resize(6, 4, kGreen);  // green is the key
  Put(sprite, 1, 1, kRed);
  Put(sprite, 4, 2, TPixel{10, 20, 30});
  Put(sprite, 5, 3, TPixel{0, 255, 1});  // one off the key: opaque
  sprite.MakeTransparentAt(0, 0);
  ASSERT_TRUE(sprite.Mask);
  EXPECT_EQ(sprite.Mask->Width(), 6);
  EXPECT_EQ(sprite.Mask->Height(), 4);
  EXPECT_TRUE(SameColor(At(*sprite.Mask, 3, 3), kWhitePixel));
  EXPECT_TRUE(SameColor(At(*sprite.Mask, 1, 1), kBlack));
  EXPECT_TRUE(SameColor(At(sprite, 3, 3), kBlack));  // key pixels blackened
  EXPECT_TRUE(SameColor(At(sprite, 1, 1), kRed));

  TGaleBitmap target;
  target.Resize(8, 6);
  sprite.DrawOnto(target, 1, 1);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 8; ++x) {
      TPixel want = kWhitePixel;
      if (x == 2 && y == 2) want = kRed;
      if (x == 5 && y == 3) want = TPixel{10, 20, 30};
      if (x == 6 && y == 4) want = TPixel{0, 255, 1};
      EXPECT_TRUE(SameColor(At(target, x, y), want)) << x << "," << y;
    }
  }
}

TEST(GaleBmp, BlackKeyLeavesPictureAndShowsTargetThroughBlack) {
  TGaleBitmap sprite;
  sprite.Resize(4, 4, kBlack);
  Put(sprite, 2, 2, kRed);
  sprite.MakeTransparent(0);
  EXPECT_TRUE(SameColor(At(sprite, 2, 2), kRed));
  EXPECT_TRUE(SameColor(At(sprite, 0, 0), kBlack));
  TGaleBitmap target;
  target.Resize(4, 4, kGreen);
  sprite.DrawOnto(target, 0, 0);
  EXPECT_TRUE(SameColor(At(target, 0, 0), kGreen));
  EXPECT_TRUE(SameColor(At(target, 2, 2), kRed));
}

TEST(GaleBmp, MaskCombinesByAndThenOr) {
  // A surface whose pixels changed after MakeTransparent: the bitwise rule
  // still holds exactly, also across the 8-byte steps of a wide row.
  TGaleBitmap sprite;
  sprite.Resize(37, 2, TPixel{0x0F, 0x0F, 0x0F});
  sprite.MakeTransparent(0x0F0F0F);  // everything transparent, now black
  sprite.Fill(TPixel{0x30, 0x03, 0x81});
  TGaleBitmap target;
  target.Resize(37, 2, TPixel{0x44, 0x42, 0x18});
  sprite.DrawOnto(target, 0, 0);
  for (int x = 0; x < 37; ++x) {
    EXPECT_TRUE(SameColor(At(target, x, 1), TPixel{0x74, 0x43, 0x99})) << x;
  }
}

TEST(GaleBmp, OutOfPictureKeyMatchesNothing) {
  TGaleBitmap s;
  s.Resize(2, 2, kBlack);
  s.MakeTransparentAt(5, 5);
  ASSERT_TRUE(s.Mask);
  EXPECT_TRUE(SameColor(At(*s.Mask, 0, 0), kBlack));
  TGaleBitmap empty;
  empty.MakeTransparentAt(0, 0);
  ASSERT_TRUE(empty.Mask);
  EXPECT_EQ(empty.Mask->Width(), 0);
}

TEST(GaleBmp, DrawOntoClipsNegativeAndLargerSources) {
  TGaleBitmap big;
  big.Resize(10, 10, kRed);
  Put(big, 3, 4, kGreen);
  TGaleBitmap small;
  small.Resize(4, 4);
  big.DrawOnto(small, -3, -4);  // plain copy, pixel (3,4) lands at (0,0)
  EXPECT_TRUE(SameColor(At(small, 0, 0), kGreen));
  EXPECT_TRUE(SameColor(At(small, 3, 3), kRed));

  big.MakeTransparent(0x0000FF);  // red is the key; only the green pixel remains
  small.Fill(kWhitePixel);
  big.DrawOnto(small, -2, -3);
  EXPECT_TRUE(SameColor(At(small, 1, 1), kGreen));
  EXPECT_TRUE(SameColor(At(small, 0, 0), kWhitePixel));
  EXPECT_TRUE(SameColor(At(small, 3, 3), kWhitePixel));

  // Entirely outside, huge offsets, empty surfaces: nothing happens.
  big.DrawOnto(small, 4, 0);
  big.DrawOnto(small, -10, 0);
  big.DrawOnto(small, 2147483000, -2147483000);
  TGaleBitmap empty;
  empty.DrawOnto(small, 0, 0);
  big.DrawOnto(empty, 0, 0);
  EXPECT_TRUE(SameColor(At(small, 1, 1), kGreen));
}

TEST(GaleBmp, StaleSmallMaskIsNeverReadBeyondItsSize) {
  TGaleBitmap sprite;
  sprite.Resize(2, 2, kGreen);
  sprite.MakeTransparentAt(0, 0);
  sprite.Resize(5, 3, kRed);  // bigger picture, old 2x2 mask kept
  ASSERT_EQ(sprite.Mask->Width(), 2);
  TGaleBitmap target;
  target.Resize(5, 3, kGreen);
  sprite.DrawOnto(target, 0, 0);
  // Inside the old mask: (green AND white) OR red; outside it: plain red.
  EXPECT_TRUE(SameColor(At(target, 1, 1), TPixel{0, 255, 255}));
  EXPECT_TRUE(SameColor(At(target, 2, 1), kRed));
  EXPECT_TRUE(SameColor(At(target, 0, 2), kRed));
}

TEST(GaleBmp, CopyBlockClipsBothSurfaces) {
  TGaleBitmap strip;
  strip.Resize(75, 40, kWhitePixel);
  for (int y = 0; y < 40; ++y)
    for (int x = 25; x < 50; ++x) Put(strip, x, y, TPixel{0, 0, static_cast<std::uint8_t>(x)});
  TGaleBitmap glyph;
  glyph.Resize(25, 40);
  strip.CopyBlock(glyph, 0, 0, 25, 40, 25, 0);
  EXPECT_EQ(At(glyph, 0, 0).r, 25);
  EXPECT_EQ(At(glyph, 24, 39).r, 49);
  // Rectangles reaching outside the source or the target.
  glyph.Fill(kBlack);
  strip.CopyBlock(glyph, -5, -5, 100, 100, 40, 30);
  EXPECT_EQ(At(glyph, 0, 0).r, 45);
  EXPECT_TRUE(SameColor(At(glyph, 5, 4), kWhitePixel));
  EXPECT_TRUE(SameColor(At(glyph, 5, 5), kBlack));
  EXPECT_TRUE(SameColor(At(glyph, 24, 39), kBlack));  // beyond the source: untouched
  strip.CopyBlock(glyph, 0, 0, 10, 10, -20, -20);
  strip.CopyBlock(glyph, 0, 0, -3, 10, 0, 0);
  EXPECT_EQ(At(glyph, 0, 0).r, 45);
}

TEST(GaleBmp, CopyWithinOneSurfaceOverlapping) {
  TGaleBitmap s;
  s.Resize(1, 4);
  for (int y = 0; y < 4; ++y) Put(s, 0, y, TPixel{static_cast<std::uint8_t>(y), 0, 0});
  s.CopyBlock(s, 0, 1, 1, 3, 0, 0);
  for (int y = 1; y < 4; ++y) EXPECT_EQ(At(s, 0, y).b, y - 1);
  s.DrawOnto(s, 0, 1);
  EXPECT_EQ(At(s, 0, 3).b, 1);
}

}  // namespace
