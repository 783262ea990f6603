// Shared set-up for the drawing tests: a fresh game state with a white
// 600 x 400 frame, helpers to read pixels and to make solid test surfaces.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/headless/HeadlessPlatform.h"
#include "tests/support/ScratchFolder.h"
#include "tools/imagewrite/ImageWrite.h"

#include "game/UnitBmp.h"
#include "game/UnitCommon.h"
#include "gfx/GaleBmp.h"

inline bool operator==(TPixel a, TPixel b) {
  return SameColor(a, b);
}

inline void PrintTo(TPixel p, std::ostream* os) {
  *os << "(b " << int(p.b) << ", g " << int(p.g) << ", r " << int(p.r) << ")";
}

inline TPixel Px(std::uint8_t b, std::uint8_t g, std::uint8_t r) {
  return TPixel{b, g, r};
}

inline TPixel At(const TGaleBitmap& s, int x, int y) {
  const std::uint8_t* p = s.Rows.at(y) + 3 * x;
  return TPixel{p[0], p[1], p[2]};
}

inline void Put(TGaleBitmap& s, int x, int y, TPixel c) {
  std::uint8_t* p = s.Rows.at(y) + 3 * x;
  p[0] = c.b;
  p[1] = c.g;
  p[2] = c.r;
}

// Rows of the frame that hold pixels of a colour at column `fromX` or right of it.
inline std::vector<int> RowsWith(const TGaleBitmap& frame, TPixel color, int fromX = 0) {
  std::vector<int> rows;
  for (int y = 0; y < frame.Height(); ++y) {
    for (int x = fromX; x < frame.Width(); ++x) {
      if (At(frame, x, y) == color) {
        rows.push_back(y);
        break;
      }
    }
  }
  return rows;
}

// A solid surface whose top-left pixel alone has the key colour (magenta),
// made transparent by that pixel as the game does with its glyphs.
inline std::unique_ptr<TGaleBitmap> SolidSurface(int w, int h, TPixel color) {
  auto s = std::make_unique<TGaleBitmap>();
  s->Resize(w, h, color);
  Put(*s, 0, 0, Px(255, 0, 255));
  s->MakeTransparentAt(0, 0);
  return s;
}

// The distinct solid colour of glyph i in the tests.
inline TPixel GlyphColor(int i) {
  return Px(static_cast<std::uint8_t>(10 + i), 200, 30);
}

// The glyph index whose test colour a pixel has, or -1.
inline int GlyphAt(const TGaleBitmap& s, int x, int y) {
  for (int i = 0; i < 12; ++i) {
    if (At(s, x, y) == GlyphColor(i)) return i;
  }
  return -1;
}

// The next n values of random(bound) after seeding with `seed`.
inline std::vector<int> Draws(std::uint64_t seed, int n, int bound) {
  Game.Random.Seed(seed);
  std::vector<int> v;
  for (int i = 0; i < n; ++i) v.push_back(random(bound));
  return v;
}

// A scratch data folder with a "dat" folder in it, for the routines that
// load "dat\\..." pictures through the machine.
class ScopedDataFolder {
 public:
  explicit ScopedDataFolder(platform::HeadlessPlatform& machine) {
    std::filesystem::create_directories(root_ / "dat");
    machine.SetDataFolder(root_.path().string());
  }

  void WriteBmp(const std::string& name, const TGaleBitmap& s) {
    const int stride = s.Height() > 1 ? static_cast<int>(s.Rows[1] - s.Rows[0]) : 3 * s.Width();
    imagewrite::WriteBmp(platform::Utf8Path(root_ / "dat" / testsupport::FromUtf8(name)),
                         s.Rows.at(0), s.Width(), s.Height(), stride);
  }
  // Writes dat/<name> as it is.
  void Write(const std::string& name, const std::string& bytes) {
    root_.Write(std::filesystem::path("dat") / testsupport::FromUtf8(name), bytes);
  }
  std::filesystem::path Path(const std::string& name) const {
    return root_ / "dat" / testsupport::FromUtf8(name);
  }

 private:
  testsupport::ScratchFolder root_;
};

class DrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGameState();
    Game.Machine = &machine;
    Game.FrameSurface = std::make_unique<TGaleBitmap>();
    Game.FrameSurface->UseText(machine.Text());
    Game.FrameSurface->Resize(600, 400);
    Game.Random.Seed(12345);
  }
  void TearDown() override { ResetGameState(); }

  TGaleBitmap& Frame() { return *Game.FrameSurface; }

  platform::HeadlessPlatform machine;

  void MakeGlyphs() {
    for (int i = 0; i < 12; ++i) Game.DigitGlyphs[i] = SolidSurface(25, 40, GlyphColor(i));
  }
};
