#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>

// jpeglib.h before jerror.h: the library's message codes.
#include <jerror.h>
#include <jpeglib.h>

#include "gfx/GaleBmp.h"
#include "platform/headless/HeadlessPlatform.h"
#include "tests/gfx/JpegTestData.h"
#include "tests/support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;

// Each test reads from a fresh data folder with a dat/ inside, as the game
// sees it through the machine.
class GaleBmpFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "dat");
    machine_.SetDataFolder(dir_.path().string());
  }
  void Write(const std::string& name, const void* data, std::size_t size) {
    dir_.Write(name, std::string(static_cast<const char*>(data), size));
  }
  std::string Message(TGaleBitmap& s, const std::string& name) {
    try {
      s.LoadImage(machine_, name);
    } catch (const std::runtime_error& e) {
      return e.what();
    }
    return "(loaded)";
  }
  testsupport::ScratchFolder dir_;
  platform::HeadlessPlatform machine_;
};

void Le(std::string& b, std::uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// An 8-bit palette bitmap of 3x2 pixels stored bottom-up: the bottom row
// holds palette entries 0, 1, 2 and the top row 2, 2, 0.
std::string PaletteBmp() {
  std::string b = "BM";
  const int rowBytes = 4;  // 3 bytes padded to 4
  const std::uint32_t offset = 14 + 40 + 4 * 3;
  Le(b, offset + rowBytes * 2, 4);
  Le(b, 0, 4);
  Le(b, offset, 4);
  Le(b, 40, 4);
  Le(b, 3, 4);
  Le(b, 2, 4);
  Le(b, 1, 2);
  Le(b, 8, 2);
  Le(b, 0, 4);
  Le(b, rowBytes * 2, 4);
  Le(b, 2835, 4);
  Le(b, 2835, 4);
  Le(b, 3, 4);
  Le(b, 0, 4);
  const unsigned char palette[] = {255, 0, 0, 0, 0, 0, 255, 0, 10, 20, 30, 0};  // B, G, R, 0
  b.append(reinterpret_cast<const char*>(palette), sizeof palette);
  const unsigned char rows[] = {0, 1, 2, 0, 2, 2, 0, 0};
  b.append(reinterpret_cast<const char*>(rows), sizeof rows);
  return b;
}

TEST_F(GaleBmpFiles, PaletteBitmapReadAs24BitRows) {
  std::string bmp = PaletteBmp();
  Write("dat/sandclock.bmp", bmp.data(), bmp.size());
  TGaleBitmap s;
  s.LoadImage(machine_, "dat\\sandclock.bmp");
  ASSERT_EQ(s.Width(), 3);
  ASSERT_EQ(s.Height(), 2);
  ASSERT_EQ(s.Rows.size(), 2u);
  const std::uint8_t top[] = {10, 20, 30, 10, 20, 30, 255, 0, 0};
  const std::uint8_t bottom[] = {255, 0, 0, 0, 0, 255, 10, 20, 30};
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(s.Rows[0][i], top[i]) << i;
    EXPECT_EQ(s.Rows[1][i], bottom[i]) << i;
  }
  // Letter case of the name is folded when the exact name does not exist.
  TGaleBitmap t;
  t.LoadImage(machine_, "DAT\\SandClock.BMP");
  EXPECT_EQ(t.Rows[1][2], 0);
  EXPECT_EQ(t.Rows[1][5], 255);
}

TEST_F(GaleBmpFiles, TopDown24BitBitmapWithRowPadding) {
  // 3x2, 24 bits, negative height (first stored row is the top row), rows
  // padded from 9 to 12 bytes.
  std::string b = "BM";
  Le(b, 14 + 40 + 24, 4);
  Le(b, 0, 4);
  Le(b, 54, 4);
  Le(b, 40, 4);
  Le(b, 3, 4);
  Le(b, static_cast<std::uint32_t>(-2), 4);
  Le(b, 1, 2);
  Le(b, 24, 2);
  for (int i = 0; i < 6; ++i) Le(b, 0, 4);
  const unsigned char rows[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0,
                                9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0, 0};
  b.append(reinterpret_cast<const char*>(rows), sizeof rows);
  Write("dat/top.bmp", b.data(), b.size());
  TGaleBitmap s;
  s.LoadImage(machine_, "dat\\top.bmp");
  ASSERT_EQ(s.Width(), 3);
  ASSERT_EQ(s.Height(), 2);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(s.Rows[0][i], i + 1);
    EXPECT_EQ(s.Rows[1][i], 9 - i);
  }
}

TEST_F(GaleBmpFiles, JpegDecodedOnlyForLowerCaseExtensions) {
  Write("dat/pic.jpg", kColourJpeg, sizeof kColourJpeg);
  Write("dat/pic.jpeg", kColourJpeg, sizeof kColourJpeg);
  Write("dat/pic.JPG", kColourJpeg, sizeof kColourJpeg);
  for (const char* name : {"dat\\pic.jpg", "dat\\pic.jpeg"}) {
    TGaleBitmap s;
    s.LoadImage(machine_, name);
    ASSERT_EQ(s.Width(), 16) << name;
    ASSERT_EQ(s.Height(), 8);
    const std::uint8_t* left = s.Rows[3] + 3 * 2;
    const std::uint8_t* right = s.Rows[3] + 3 * 12;
    EXPECT_NEAR(left[2], 220, 4);  // red
    EXPECT_NEAR(left[1], 30, 4);
    EXPECT_NEAR(left[0], 40, 4);
    EXPECT_NEAR(right[0], 210, 4);  // blue
    EXPECT_NEAR(right[2], 20, 4);
  }
  TGaleBitmap s;
  EXPECT_EQ(Message(s, "dat\\pic.JPG"), "ビットマップイメージが不正です");
}

TEST_F(GaleBmpFiles, GreyJpegBecomesGreyPixels) {
  Write("dat/grey.jpg", kGreyJpeg, sizeof kGreyJpeg);
  TGaleBitmap s;
  s.LoadImage(machine_, "dat\\grey.jpg");
  ASSERT_EQ(s.Width(), 8);
  for (int i = 0; i < 24; ++i) EXPECT_NEAR(s.Rows[7][i], 100, 2);
}

TEST_F(GaleBmpFiles, ErrorTexts) {
  TGaleBitmap s;
  EXPECT_EQ(Message(s, "dat\\none.bmp"), "ファイル dat\\none.bmp は開けません");
  EXPECT_EQ(Message(s, "dat\\none.jpg"), "ファイル dat\\none.jpg は開けません");
  // The name is shown as passed, converted from CP932.
  EXPECT_EQ(Message(s, "dat\\\x83\x5C.bmp"), "ファイル dat\\ソ.bmp は開けません");
  fs::create_directories(dir_ / "dat/folder.bmp");
  EXPECT_EQ(Message(s, "dat\\folder.bmp"), "ファイル dat\\folder.bmp は開けません");

  Write("dat/text.bmp", "hello, not a picture", 20);
  EXPECT_EQ(Message(s, "dat\\text.bmp"), "ビットマップイメージが不正です");
  std::string bmp = PaletteBmp();
  Write("dat/cut.bmp", bmp.data(), bmp.size() - 6);  // pixel rows cut short
  EXPECT_EQ(Message(s, "dat\\cut.bmp"), "ビットマップイメージが不正です");
  // A header claiming a gigantic picture is refused before anything is allocated.
  std::string huge = bmp;
  huge[18] = huge[19] = huge[20] = 0;
  huge[21] = 0x10;  // width 0x10000000
  Write("dat/huge.bmp", huge.data(), huge.size());
  EXPECT_EQ(Message(s, "dat\\huge.bmp"), "ビットマップイメージが不正です");
  std::string empty = bmp;
  empty[18] = 0;  // width 0
  Write("dat/empty.bmp", empty.data(), empty.size());
  EXPECT_EQ(Message(s, "dat\\empty.bmp"), "ビットマップイメージが不正です");

  // libjpeg's own codes: not a JPEG at all (JERR_NO_SOI), and a JPEG cut in
  // its header (JERR_INPUT_EMPTY or a premature end).
  Write("dat/bad.jpg", bmp.data(), bmp.size());
  EXPECT_EQ(Message(s, "dat\\bad.jpg"), "JPEG エラー #53");
  Write("dat/short.jpg", kColourJpeg, 40);
  std::string cut = Message(s, "dat\\short.jpg");
  EXPECT_EQ(cut.rfind("JPEG エラー #", 0), 0u) << cut;
  // A failed load leaves the surface as it was and usable.
  EXPECT_EQ(s.Width(), 0);
  s.Resize(2, 2);
  EXPECT_EQ(Message(s, "dat\\cut.bmp"), "ビットマップイメージが不正です");
  EXPECT_EQ(s.Width(), 2);
}

}  // namespace

namespace {

// A 2x1 bit-field bitmap (40-byte header, the three masks after it) holding
// the two given pixel values.
std::string BitFieldBmp(int bits, std::uint32_t r, std::uint32_t g, std::uint32_t b,
                        std::uint32_t first, std::uint32_t second) {
  std::string s = "BM";
  const std::uint32_t offset = 14 + 40 + 12;
  Le(s, offset + 8, 4);
  Le(s, 0, 4);
  Le(s, offset, 4);
  for (std::uint32_t v : {40u, 2u, 1u}) Le(s, v, 4);
  Le(s, 1, 2);
  Le(s, static_cast<std::uint32_t>(bits), 2);
  Le(s, 3, 4);  // BI_BITFIELDS
  for (int i = 0; i < 5; ++i) Le(s, 0, 4);
  for (std::uint32_t m : {r, g, b}) Le(s, m, 4);
  Le(s, first, bits / 8);
  Le(s, second, bits / 8);
  while (s.size() < offset + 8) s += '\0';
  return s;
}

TEST_F(GaleBmpFiles, EveryContiguousBitFieldLayoutScaledToEightBits) {
  struct Case {
    const char* what;
    int bits;
    std::uint32_t r, g, b, first, second;
    std::uint8_t expect[6];  // blue, green, red of both pixels
  } cases[] = {
      {"red in the top byte",
       32,
       0xFF000000,
       0x00FF0000,
       0x0000FF00,
       0x10203000,
       0xFFFFFF00,
       {0x30, 0x20, 0x10, 255, 255, 255}},
      {"5-6-5", 16, 0xF800, 0x07E0, 0x001F, 0xF800, 0x0400, {0, 0, 255, 0, 130, 0}},
      {"4-4-4 low bits", 16, 0x0F00, 0x00F0, 0x000F, 0x0F08, 0x0001, {136, 0, 255, 17, 0, 0}},
      {"10-10-10",
       32,
       0x3FF00000,
       0x000FFC00,
       0x000003FF,
       0x3FF80000,
       0x00000001,
       {0, 128, 255, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    const std::string bmp = BitFieldBmp(c.bits, c.r, c.g, c.b, c.first, c.second);
    Write("dat/f.bmp", bmp.data(), bmp.size());
    TGaleBitmap s;
    ASSERT_EQ(Message(s, "dat\\f.bmp"), "(loaded)") << c.what;
    ASSERT_EQ(s.Width(), 2) << c.what;
    for (int i = 0; i < 6; ++i) EXPECT_EQ(s.Rows[0][i], c.expect[i]) << c.what << " byte " << i;
  }
  // Masks with a gap, or two channels sharing bits, are broken files.
  for (const auto& masks : {std::array<std::uint32_t, 3>{0xF0F0, 0x0F00, 0x000F},
                            std::array<std::uint32_t, 3>{0xFF00, 0x0FF0, 0x000F}}) {
    const std::string bmp = BitFieldBmp(16, masks[0], masks[1], masks[2], 1, 2);
    Write("dat/f.bmp", bmp.data(), bmp.size());
    TGaleBitmap s;
    EXPECT_EQ(Message(s, "dat\\f.bmp"), "ビットマップイメージが不正です") << masks[0];
  }
}

TEST_F(GaleBmpFiles, JpegClaimingAHugeSizeIsAJpegError) {
  std::string jpeg(reinterpret_cast<const char*>(kColourJpeg), sizeof kColourJpeg);
  const std::size_t sof = jpeg.find("\xFF\xC0", 0, 2);
  ASSERT_NE(sof, std::string::npos);
  jpeg[sof + 5] = jpeg[sof + 7] = '\x7F';  // 32 000 pixels a side
  Write("dat/huge.jpg", jpeg.data(), jpeg.size());
  TGaleBitmap s;
  EXPECT_EQ(Message(s, "dat\\huge.jpg"), "JPEG エラー #" + std::to_string(JERR_IMAGE_TOO_BIG));
}

}  // namespace
