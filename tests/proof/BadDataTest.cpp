// Bad data handed to the loaders: every case ends in the loader's error
// message or its documented result, never in a signal or a hang.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "gfx/GaleBmp.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/sdl/SdlAudio.h"
#include "script/GaleScript.h"
#include "sound/GaleMidi.h"
#include "sound/GaleWave.h"
#include "tests/proof/ProofSupport.h"
#include "tests/support/ScratchFolder.h"
#include "tools/imagewrite/ImageWrite.h"

namespace {

// A scratch data folder holding dat/, read through a headless machine.
class InDataFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_ / "dat");
    machine_.SetDataFolder(dir_.path().string());
  }
  void Write(const std::string& name, const std::string& bytes) {
    dir_.Write(std::filesystem::path("dat") / name, bytes);
  }
  std::filesystem::path Path(const std::string& name) const { return dir_ / "dat" / name; }

  testsupport::ScratchFolder dir_;
  platform::HeadlessPlatform machine_;
};

std::string ValidBmp(int width, int height) {
  std::vector<std::uint8_t> bgr(static_cast<std::size_t>(width) * height * 3, 0x40);
  const auto bytes = imagewrite::EncodeBmp(bgr.data(), width, height, width * 3);
  return std::string(bytes.begin(), bytes.end());
}

void Put32(std::string& s, std::size_t at, std::int32_t v) {
  std::memcpy(&s[at], &v, 4);
}

// A 24-bit bitmap header (file header + BITMAPINFOHEADER) claiming a size.
std::string BmpHeader(std::int32_t width, std::int32_t height) {
  std::string s = ValidBmp(1, 1).substr(0, 54);
  Put32(s, 18, width);
  Put32(s, 22, height);
  return s;
}

const char kCannotOpen[] = "は開けません";
const char kInvalid[] = "ビットマップイメージが不正です";

class BadPictures : public InDataFolder {
 public:
  using InDataFolder::Path;
  using InDataFolder::Write;
};

struct PictureCase {
  const char* what;
  std::function<void(BadPictures&)> make;  // writes dat/p.bmp (or not)
  const char* error;                       // part of the message; null: loads
  int width = 0, height = 0;               // the size when it loads
};

TEST_F(BadPictures, EachCaseEndsInItsError) {
  const std::string good = ValidBmp(7, 5);
  // The good picture with other sides written in its header.
  auto withSides = [&good](int width, int height) {
    return [&good, width, height](BadPictures& f) {
      std::string s = good;
      Put32(s, 18, width);
      Put32(s, 22, height);
      f.Write("p.bmp", s);
    };
  };
  const std::vector<PictureCase> cases = {
      {"missing", [](BadPictures&) {}, kCannotOpen},
      {"truncated", [&](BadPictures& f) { f.Write("p.bmp", good.substr(0, 60)); }, kInvalid},
      {"empty", [](BadPictures& f) { f.Write("p.bmp", ""); }, kInvalid},
      {"wrong format", [](BadPictures& f) { f.Write("p.bmp", "GIF89a not a bitmap at all"); },
       kInvalid},
      {"0x0", [](BadPictures& f) { f.Write("p.bmp", BmpHeader(0, 0)); }, kInvalid},
      {"huge claimed sides", [](BadPictures& f) { f.Write("p.bmp", BmpHeader(1 << 30, 1 << 30)); },
       kInvalid},
      {"huge claimed area", [](BadPictures& f) { f.Write("p.bmp", BmpHeader(16000, 16000)); },
       kInvalid},
      {"negative width", [](BadPictures& f) { f.Write("p.bmp", BmpHeader(-5, 5)); }, kInvalid},
      {"pixels short of the size", withSides(100, 100), kInvalid},
      {"size smaller than the pixels", withSides(2, 2), nullptr, 2, 2},
  };
  for (const PictureCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(Path("p.bmp"));
    c.make(*this);
    TGaleBitmap surface;
    if (c.error == nullptr) {
      ASSERT_NO_THROW(surface.LoadImage(machine_, "dat\\p.bmp"));
      EXPECT_EQ(surface.Width(), c.width);
      EXPECT_EQ(surface.Height(), c.height);
      continue;
    }
    try {
      surface.LoadImage(machine_, "dat\\p.bmp");
      ADD_FAILURE() << "loaded";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
    }
  }
}

// A 100 MB picture (a sparse file: header and zero pixels) loads at its
// full size; nothing in the loader limits the file size below the pixel
// limit.
TEST_F(BadPictures, HundredMegabytePictureLoads) {
  const int width = 6000, height = 5600;  // 3 * 6000 * 5600 bytes = 100.8 MB
  Write("big.bmp", BmpHeader(width, height));
  std::filesystem::resize_file(Path("big.bmp"), 54 + 3ull * width * height);
  TGaleBitmap surface;
  surface.LoadImage(machine_, "dat\\big.bmp");
  EXPECT_EQ(surface.Width(), width);
  EXPECT_EQ(surface.Height(), height);
}

using Host = proof::MemoryHost;

std::string Lines(int n, const std::string& line) {
  std::string s;
  for (int i = 0; i < n; ++i) s += line + "\r\n";
  return s;
}

TEST(BadScripts, LongFilesAndLongLines) {
  Host host;
  // A page holds 10 000 entries, the last line stored twice: 9 999 lines fit.
  host.files["fits"] = Lines(9999, "x");
  TGaleScript fits(host, "fits", false);
  ASSERT_EQ(fits.Pages.size(), 1u);
  EXPECT_EQ(fits.Pages[0]->Count, TScriptUnit::kCapacity);

  host.files["dat\\long.dat"] = Lines(10000, "x");
  try {
    TGaleScript script(host, "dat\\long.dat", false);
    ADD_FAILURE() << "a 10 000-line script loaded";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("long.dat"), std::string::npos) << e.what();
  }

  // A line of 1 MB is handed over whole.
  const std::string big(1 << 20, 'a');
  host.files["big"] = "\r\n" + big + "\r\n\r\n// end\r\n";
  TGaleScript script(host, "big", false);
  TWordList got;
  script.SetBatchHandler([&](const TWordList& lines) { got = lines; });
  script.SetBatchLimit(10);
  script.DeliverNext();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], big);
}

TEST(BadScripts, HundredThousandSayings) {
  Host host;
  host.files["dat\\saying.dat"] = Lines(100000, "saying");
  std::vector<std::string> list;
  ASSERT_TRUE(LoadSayings(host, "dat\\saying.dat", list, false));
  EXPECT_EQ(list.size(), 100000u);
  EXPECT_EQ(list.back(), "saying");
}

// The headless machine with the real audio outputs on SDL's dummy driver.
class AudioMachine : public platform::HeadlessPlatform {
 public:
  explicit AudioMachine(const std::string& dataFolder) : audio(dataFolder) {
    SetDataFolder(dataFolder);
  }
  platform::MusicOut& Music() override { return audio.Music(); }
  platform::SoundOut& Sound() override { return audio.Sound(); }
  platform::SdlAudio audio;
};

TEST_F(InDataFolder, GarbageSoundFilesPlaySilence) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919) & 0xFF);
  Write("bad.mid", garbage);
  Write("bad.wav", garbage);
  Write("fake.mid", "MThd\0\0\0\6\0\1\0\1\1\xe0MTrk\xff\xff\xff\xff");
  Write("fake.wav", "RIFF\xff\xff\xff\xffWAVEfmt \x10\0\0\0\1\0\2\0");
  Write("empty.wav", "");
  AudioMachine machine(dir_.path().string());
  TGaleMidi music(machine);
  TGaleWave sound(machine);
  for (const char* name : {"dat\\bad.mid", "dat\\fake.mid", "dat\\none.mid"}) {
    SCOPED_TRACE(name);
    EXPECT_NO_THROW(music.Play(name, 1));
    EXPECT_NO_THROW(music.Stop());
  }
  for (const char* name : {"dat\\bad.wav", "dat\\fake.wav", "dat\\empty.wav", "dat\\none.wav"}) {
    SCOPED_TRACE(name);
    EXPECT_NO_THROW(sound.Play(name, 1));
    EXPECT_NO_THROW(sound.Stop());
  }
}

}  // namespace
