#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "gfx/GaleBmp.h"
#include "platform/TextRaster.h"

namespace {

// One rasteriser for the whole program, as one machine would own it.
platform::TextRaster& Raster() {
  static platform::TextRaster raster;
  return raster;
}

struct Ink {
  int count = 0, left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
  bool foreign = false;  // a pixel neither background nor text colour
};

Ink Scan(const TGaleBitmap& s, TPixel background, TPixel text) {
  Ink ink;
  for (int y = 0; y < s.Height(); ++y) {
    for (int x = 0; x < s.Width(); ++x) {
      const std::uint8_t* p = s.Rows[y] + 3 * x;
      TPixel c{p[0], p[1], p[2]};
      if (SameColor(c, background)) continue;
      if (!SameColor(c, text)) ink.foreign = true;
      ++ink.count;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y);
    }
  }
  return ink;
}

constexpr TPixel kBlue{200, 10, 10};

TEST(GaleBmpText, InkStaysInsideTheCellForEveryHeight) {
  // "|", "g" and a full-height kanji reach the top and bottom of the cell.
  const std::string text = "|g\x89\x8B\x81\x79";  // |g焔【
  for (int h : {12, 20, 30, 40, 100}) {
    TGaleBitmap s;
    s.UseText(Raster());
    s.Resize(400, 300, kBlue);
    s.SetFont(h, fsBold, 0);
    EXPECT_EQ(s.FontHeight(), h);
    s.DrawText(10, 50, text);
    Ink ink = Scan(s, kBlue, TPixel{0, 0, 0});
    ASSERT_GT(ink.count, 0) << h;
    EXPECT_FALSE(ink.foreign) << "only pure black may appear, height " << h;
    EXPECT_GE(ink.top, 50) << h;
    EXPECT_LT(ink.bottom, 50 + h) << h;
    EXPECT_GE(ink.bottom - ink.top + 1, h * 3 / 4) << "glyphs scaled to the cell, height " << h;
    EXPECT_GE(ink.left, 10);
  }
}

TEST(GaleBmpText, ExactColourAndClearBackground) {
  TGaleBitmap s;
  s.UseText(Raster());
  s.Resize(200, 40, kBlue);
  s.SetFont(20, 0, 0x00FF8040);                  // RGB(0x40, 0x80, 0xFF)
  s.DrawText(0, 0, "\x89\x8B\x82\xCC\x92\xEB");  // 焔の庭
  Ink ink = Scan(s, kBlue, TPixel{0xFF, 0x80, 0x40});
  EXPECT_GT(ink.count, 50);
  EXPECT_FALSE(ink.foreign);
  // Background pixels stay between and around the glyphs.
  int background = 0;
  for (int x = 0; x < 60; ++x)
    background +=
        SameColor(TPixel{s.Rows[10][3 * x], s.Rows[10][3 * x + 1], s.Rows[10][3 * x + 2]}, kBlue);
  EXPECT_GT(background, 10);
}

TEST(GaleBmpText, BoldIsWiderAndHeavier) {
  TGaleBitmap s;
  s.UseText(Raster());
  s.Resize(300, 40);
  s.SetFont(20, 0, 0);
  const std::string text = "ABC \x89\x8B\x82\xCC";
  int plainWidth = s.TextWidth(text);
  s.DrawText(0, 0, text);
  int plainInk = Scan(s, kWhitePixel, TPixel{}).count;
  s.Fill(kWhitePixel);
  s.SetFont(20, fsBold, 0);
  int boldWidth = s.TextWidth(text);
  s.DrawText(0, 0, text);
  int boldInk = Scan(s, kWhitePixel, TPixel{}).count;
  EXPECT_GE(boldWidth, plainWidth + 6);  // at least a pixel per character
  EXPECT_GT(boldInk, plainInk * 11 / 10);
  EXPECT_GT(plainWidth, 40);
}

TEST(GaleBmpText, ClipsAtEdgesAndSurvivesBadBytes) {
  TGaleBitmap s;
  s.UseText(Raster());
  s.Resize(30, 10, kBlue);
  s.SetFont(40, fsBold, 0);
  s.DrawText(-15, -20, "\x89\x8B\x89\x8B\x89\x8B");
  s.DrawText(20, 5, "WWWW");
  s.DrawText(2147483000, 0, "W");
  s.DrawText(0, -2147483000, "W");
  EXPECT_GT(Scan(s, kBlue, TPixel{}).count, 0);
  // Cut pieces of double-byte characters, lone lead bytes, controls.
  TGaleBitmap t;
  t.UseText(Raster());
  t.Resize(100, 30, kBlue);
  t.SetFont(20, fsBold, 0);
  t.DrawText(0, 0, "\x81");
  t.DrawText(0, 0, "\xFF\xFE\xA0\x80\x85");
  t.DrawText(0, 0, std::string("\r\n\t\0", 4));
  EXPECT_EQ(Scan(t, kBlue, TPixel{}).count, 0);
  EXPECT_EQ(t.TextWidth("\xFF\x81"), 0);
  t.DrawText(0, 0,
             "\x8A"
             "A");  // a lead byte with an ASCII trail: no fault
  TGaleBitmap empty;
  empty.UseText(Raster());
  empty.DrawText(0, 0, "ABC");
}

}  // namespace

TEST(GaleBmpText, GlyphCacheStaysBoundedAndDrawsTheSameAfterForgetting) {
  const std::string reference = "\x89\x8B\x82\xCC\x92\xEB g|";
  TGaleBitmap before;
  before.UseText(Raster());
  before.Resize(200, 40, kBlue);
  before.SetFont(20, fsBold, 0);
  before.DrawText(3, 5, reference);

  // Large kanji in many sizes: far more ink than the cache may keep.
  TGaleBitmap scratch;
  scratch.UseText(Raster());
  scratch.Resize(40, 40, kBlue);
  std::size_t highest = 0;
  int forgotten = 0;
  std::size_t last = Raster().CacheRuns();
  for (int h = 150; h < 400 && forgotten < 1; h += 7) {
    scratch.SetFont(h, fsBold, 0);
    for (int lead = 0x89; lead <= 0x8A; ++lead) {
      for (int trail = 0x40; trail <= 0xFC; trail += 3) {
        if (trail == 0x7F) continue;
        scratch.DrawText(0, 0, std::string{char(lead), char(trail)});
        const std::size_t now = Raster().CacheRuns();
        if (now < last) ++forgotten;
        highest = std::max(highest, now);
        last = now;
      }
    }
  }
  EXPECT_GE(forgotten, 1) << "the cache never let go";
  EXPECT_LE(highest, platform::kTextCacheRunLimit + 20000);

  TGaleBitmap after;

  after.UseText(Raster());
  after.Resize(200, 40, kBlue);
  after.SetFont(20, fsBold, 0);
  after.DrawText(3, 5, reference);
  ASSERT_EQ(before.Height(), after.Height());
  for (int y = 0; y < before.Height(); ++y) {
    ASSERT_EQ(0, std::memcmp(before.Rows[y], after.Rows[y], 3 * before.Width())) << "row " << y;
  }
}
