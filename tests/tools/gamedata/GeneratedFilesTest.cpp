// The generated demo data: every file is well formed and what the game
// expects of it, and the generator gives the same bytes on every run.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "gfx/GaleBmp.h"
#include "platform/Encoding.h"
#include "platform/MidiCheck.h"
#include "platform/headless/HeadlessPlatform.h"
#include "script/MyCrypt.h"
#include "tests/support/ScratchFolder.h"
#include "tools/gamedata/MakeData.h"
#include "tools/gamedata/Music.h"
#include "tools/gamedata/Pictures.h"

namespace fs = std::filesystem;

namespace {

using testsupport::ReadAll;

std::uint32_t Le(const std::string& b, std::size_t at, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v * 256 + static_cast<unsigned char>(b.at(at + i));
  return v;
}

struct Bmp {
  int width = 0, height = 0, bits = 0;
  std::string bytes;
  // Pixel (x, y) from the top, as red, green, blue.
  void Rgb(int x, int y, int& r, int& g, int& b) const {
    const std::size_t row = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    const std::size_t at =
        Le(bytes, 10, 4) + row * static_cast<std::size_t>(height - 1 - y) + 3u * x;
    b = static_cast<unsigned char>(bytes.at(at));
    g = static_cast<unsigned char>(bytes.at(at + 1));
    r = static_cast<unsigned char>(bytes.at(at + 2));
  }
};

Bmp ParseBmp(const std::string& bytes) {
  Bmp bmp;
  bmp.bytes = bytes;
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(Le(bytes, 2, 4), bytes.size());
  EXPECT_EQ(Le(bytes, 14, 4), 40u);
  bmp.width = static_cast<int>(Le(bytes, 18, 4));
  bmp.height = static_cast<int>(Le(bytes, 22, 4));
  bmp.bits = static_cast<int>(Le(bytes, 28, 2));
  EXPECT_EQ(Le(bytes, 30, 4), 0u) << "uncompressed";
  const std::size_t row = (static_cast<std::size_t>(bmp.width) * 3 + 3) & ~std::size_t{3};
  EXPECT_EQ(bytes.size(), Le(bytes, 10, 4) + row * bmp.height);
  return bmp;
}

class GeneratedData : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new testsupport::ScratchFolder;
    mkdata::MakeData((*dir_ / "a").string(), MARIGOLD_SOURCE_DIR "/demo");
  }
  static void TearDownTestSuite() { delete dir_; }
  static fs::path Dat(const std::string& name) { return *dir_ / "a" / "dat" / name; }
  static testsupport::ScratchFolder* dir_;
};
testsupport::ScratchFolder* GeneratedData::dir_ = nullptr;

TEST_F(GeneratedData, SecondRunGivesIdenticalBytes) {
  const auto names = mkdata::MakeData((*dir_ / "b").string(), MARIGOLD_SOURCE_DIR "/demo");
  ASSERT_GE(names.size(), 18u);
  for (const std::string& name : names) {
    EXPECT_EQ(ReadAll(Dat(name)), ReadAll(*dir_ / "b" / "dat" / name)) << name;
  }
}

TEST_F(GeneratedData, EveryFileTheGameLoadsAtStartExists) {
  for (const char* name : {"story.dat", "saying.dat", "title.bmp", "font.bmp", "sandclock.bmp",
                           "flaremorning.mid", "ash.wav", "dun.wav"}) {
    EXPECT_TRUE(fs::is_regular_file(Dat(name))) << name;
  }
}

TEST_F(GeneratedData, BackgroundsAre600x400WithExactlyTheirMarker) {
  int light = 0, dark = 0;
  for (const mkdata::PictureFile& f : mkdata::PaintPictures()) {
    if (f.format != mkdata::PictureFormat::Bmp || f.keyed) continue;
    Bmp bmp = ParseBmp(ReadAll(Dat(f.fileName)));
    EXPECT_EQ(bmp.width, 600) << f.fileName;
    EXPECT_EQ(bmp.height, 400) << f.fileName;
    EXPECT_EQ(bmp.bits, 24);
    if (f.fileName == "title.bmp") continue;
    int markers = 0, mx = -1, my = -1;
    for (int y = 0; y < 400; ++y)
      for (int x = 0; x < 600; ++x) {
        int r, g, b;
        bmp.Rgb(x, y, r, g, b);
        if (r == 0 && g == 0 && b == 255) {
          ++markers;
          mx = x;
          my = y;
        }
      }
    ASSERT_EQ(markers, 1) << f.fileName;
    EXPECT_EQ(mx, f.marker.x);
    EXPECT_EQ(my, f.marker.y);
    // Text from the marker on must stay clear of the heat gauge rows.
    EXPECT_GE(my, 50) << f.fileName;
    int r, g, b;
    bmp.Rgb(mx - 1, my, r, g, b);
    EXPECT_EQ(r, f.marker.r);
    EXPECT_EQ(g, f.marker.g);
    EXPECT_EQ(b, f.marker.b);
    if (r + g + b > 600) ++light;
    if (r + g + b < 150) ++dark;
  }
  EXPECT_GE(light, 1) << "a light background with black text";
  EXPECT_GE(dark, 1) << "a dark background with white text";
}

TEST_F(GeneratedData, TitleIsLightWhereTheGameWritesInBlack) {
  Bmp bmp = ParseBmp(ReadAll(Dat("title.bmp")));
  ASSERT_EQ(bmp.width, 600);
  ASSERT_EQ(bmp.height, 400);
  // The heading at (150,30) size 100 and the prompt at (160,200) size 30.
  for (auto [x0, y0, x1, y1] : {std::array{150, 30, 450, 130}, std::array{160, 200, 440, 232}}) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        int r, g, b;
        bmp.Rgb(x, y, r, g, b);
        ASSERT_GT(r + g + b, 450) << x << "," << y;
      }
  }
}

TEST_F(GeneratedData, FontStripHasTwelveKeyedGlyphs) {
  Bmp bmp = ParseBmp(ReadAll(Dat("font.bmp")));
  ASSERT_EQ(bmp.width, 300);
  ASSERT_EQ(bmp.height, 40);
  for (int i = 0; i < 12; ++i) {
    int r, g, b;
    bmp.Rgb(25 * i, 0, r, g, b);
    EXPECT_TRUE(r == 255 && g == 255 && b == 255) << "glyph " << i;
    int ink = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 25 * i; x < 25 * i + 25; ++x) {
        bmp.Rgb(x, y, r, g, b);
        if (r < 64 && g < 64 && b < 64) ++ink;
      }
    EXPECT_GT(ink, 15) << "glyph " << i << " has no ink";
  }
}

TEST_F(GeneratedData, OverlaysAndSandClockAreKeyedMagenta) {
  for (const mkdata::PictureFile& f : mkdata::PaintPictures()) {
    if (!f.keyed) continue;
    Bmp bmp = ParseBmp(ReadAll(Dat(f.fileName)));
    int r, g, b, keyed = 0;
    bmp.Rgb(0, 0, r, g, b);
    EXPECT_TRUE(r == 255 && g == 0 && b == 255) << f.fileName;
    for (int y = 0; y < bmp.height; ++y)
      for (int x = 0; x < bmp.width; ++x) {
        bmp.Rgb(x, y, r, g, b);
        keyed += r == 255 && g == 0 && b == 255;
      }
    EXPECT_GT(keyed, 0);
    EXPECT_LT(keyed, bmp.width * bmp.height) << f.fileName << " is all key colour";
  }
  Bmp clock = ParseBmp(ReadAll(Dat("sandclock.bmp")));
  EXPECT_EQ(clock.width, 50);
  EXPECT_EQ(clock.height, 50);
}

TEST_F(GeneratedData, GameLoaderReadsPicturesAndTheJpegHasNoStrayMarker) {
  platform::HeadlessPlatform machine;
  machine.SetDataFolder((*dir_ / "a").string());
  TGaleBitmap pond, dusk;
  EXPECT_NO_THROW(pond.LoadImage(machine, "dat\\pond.jpg"));
  EXPECT_NO_THROW(dusk.LoadImage(machine, "dat\\garden_dusk.bmp"));
  ASSERT_EQ(pond.Width(), 600);
  ASSERT_EQ(pond.Height(), 400);
  int blue = 0;
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 600; ++x) {
      const std::uint8_t* p = pond.Rows[y] + 3 * x;
      blue += p[0] == 255 && p[1] == 0 && p[2] == 0;
    }
  EXPECT_EQ(blue, 0) << "a decoded blue pixel would move the story text";
  EXPECT_EQ(dusk.Width(), 600);
}

TEST_F(GeneratedData, MusicIsValidLoopingMidiOfTheRightLength) {
  for (const mkdata::MusicPiece& m : mkdata::ComposeMusic()) {
    const std::string bytes = ReadAll(Dat(m.fileName));
    ASSERT_EQ(bytes, std::string(m.bytes.begin(), m.bytes.end()));
    platform::MidiCheckResult r = platform::CheckMidi(bytes);
    EXPECT_TRUE(r.ok) << m.fileName << ": " << r.reason;
    EXPECT_EQ(r.format, 1);
    EXPECT_GE(r.tracks, 3);
    EXPECT_GT(r.notes, 50);
    // Ends on a 4/4 bar line, so the loop restarts in time.
    EXPECT_EQ(r.lengthTicks % (r.division * 4), 0) << m.fileName;
    EXPECT_GE(m.seconds, 20.0);
    EXPECT_LE(m.seconds, 60.0);
  }
  EXPECT_TRUE(fs::is_regular_file(Dat("flaremorning.mid")));
}

struct Wav {
  int channels, rate, bits;
  std::size_t frames;
  std::string data;
  int Sample(std::size_t i) const { return static_cast<std::int16_t>(Le(data, 2 * i, 2)); }
};

Wav ParseWav(const std::string& b) {
  EXPECT_EQ(b.substr(0, 4), "RIFF");
  EXPECT_EQ(Le(b, 4, 4) + 8, b.size());
  EXPECT_EQ(b.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(Le(b, 20, 2), 1u) << "PCM";
  Wav w{static_cast<int>(Le(b, 22, 2)),
        static_cast<int>(Le(b, 24, 4)),
        static_cast<int>(Le(b, 34, 2)),
        0,
        {}};
  EXPECT_EQ(Le(b, 28, 4), static_cast<std::uint32_t>(w.rate * w.channels * w.bits / 8));
  EXPECT_EQ(b.substr(36, 4), "data");
  w.data = b.substr(44, Le(b, 40, 4));
  EXPECT_EQ(w.data.size(), b.size() - 44);
  w.frames = w.data.size() / 2;
  return w;
}

TEST_F(GeneratedData, SoundsAreShortPcmAndTheAmbienceLoopsWithoutAClick) {
  const std::map<std::string, std::pair<double, double>> lengths{
      {"ash.wav", {0.10, 0.20}}, {"dun.wav", {0.15, 0.30}}, {"fire.wav", {1.5, 3.0}}};
  for (const auto& [name, range] : lengths) {
    Wav w = ParseWav(ReadAll(Dat(name)));
    EXPECT_EQ(w.channels, 1);
    EXPECT_EQ(w.bits, 16);
    EXPECT_TRUE(w.rate == 22050 || w.rate == 44100);
    const double seconds = double(w.frames) / w.rate;
    EXPECT_GE(seconds, range.first) << name;
    EXPECT_LE(seconds, range.second) << name;
    int peak = 0;
    for (std::size_t i = 0; i < w.frames; ++i) peak = std::max(peak, std::abs(w.Sample(i)));
    EXPECT_GT(peak, 8000) << name << " is nearly silent";
    if (name == "fire.wav") {
      // The jump from the last sample back to the first is no larger than
      // the steps inside the loop.
      int biggestStep = 0;
      for (std::size_t i = 1; i < w.frames; ++i)
        biggestStep = std::max(biggestStep, std::abs(w.Sample(i) - w.Sample(i - 1)));
      EXPECT_LE(std::abs(w.Sample(0) - w.Sample(w.frames - 1)), biggestStep / 2);
    } else {
      EXPECT_LT(std::abs(w.Sample(w.frames - 1)), 200) << name << " ends with a click";
    }
  }
}

// The stored line files read back, line by line, as their UTF-8 sources.
TEST_F(GeneratedData, StoryAndSayingsUnscrambleToTheirSources) {
  for (const char* name : {"story", "saying"}) {
    std::istringstream packed(ReadAll(Dat(std::string(name) + ".dat")));
    std::istringstream source(
        ReadAll(fs::path(MARIGOLD_SOURCE_DIR "/demo") / (std::string(name) + ".txt")));
    std::string a, b;
    int lines = 0;
    while (std::getline(source, b)) {
      ASSERT_TRUE(std::getline(packed, a)) << name << " ends early at line " << lines + 1;
      if (!a.empty() && a.back() == '\r') a.pop_back();
      const std::string plain = ScrambleLine(a);
      EXPECT_NE(a, plain.empty() ? "x" : plain) << "line " << lines + 1 << " is not scrambled";
      EXPECT_EQ(platform::Cp932ToUtf8(plain), b) << name << " line " << lines + 1;
      ++lines;
    }
    EXPECT_FALSE(std::getline(packed, a)) << name << " has extra lines";
    EXPECT_GT(lines, 10);
  }
}

}  // namespace

// The icon is one picture at every size: the flame stands in the middle of a
// dark sky however small it is painted, and the PNG files come out the same
// on every run (the package is reproducible).
TEST(Icon, EverySizeShowsTheFlameAndRepeatsItsBytes) {
  const fs::path dir = fs::temp_directory_path() / ("icon-test-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  const auto first = mkdata::MakeIcons((dir / "a").string());
  const auto second = mkdata::MakeIcons((dir / "b").string());
  ASSERT_EQ(first.size(), std::size(mkdata::kIconSizes));
  ASSERT_EQ(second.size(), first.size());
  for (std::size_t i = 0; i < first.size(); ++i) {
    const int size = mkdata::kIconSizes[i];
    SCOPED_TRACE(size);
    const std::string bytes = ReadAll(first[i]);
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    EXPECT_EQ(bytes, ReadAll(second[i]));

    const mkdata::Picture icon = mkdata::PaintIcon(size);
    ASSERT_EQ(icon.width, size);
    ASSERT_EQ(icon.height, size);
    const std::uint8_t* heart = icon.At(size / 2, size * 140 / 256);  // blue, green, red
    EXPECT_GT(heart[2], 200);
    EXPECT_GE(heart[2], heart[0]);  // warm: red at least blue
    const std::uint8_t* corner = icon.At(1, 1);
    EXPECT_LT(corner[0] + corner[1] + corner[2], 150);
  }
  fs::remove_all(dir);
}
