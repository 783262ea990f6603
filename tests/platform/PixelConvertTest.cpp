// The frame's conversion into the window's 32-bit layout: every width, so
// the shuffled rounds and the plain tail both meet every pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/PixelConvert.h"

namespace {

using Convert = void (*)(const std::uint8_t*, int, std::uint8_t*, int, int, int);

TEST(PixelConvert, EveryPixelWidenedAndNothingPastTheRow) {
  constexpr std::uint8_t kUntouched = 0x5A;
  for (Convert convert : {&platform::BgrToXrgb, &platform::BgrToXrgbPlain}) {
    for (int width : {0, 1, 3, 5, 6, 7, 16, 17, 18, 19, 33, 34, 35, 600}) {
      SCOPED_TRACE(testing::Message() << "width " << width);
      const int height = 3;
      const int stride = width * 3 + 5;  // rows with slack after them, as a bitmap's
      const int pitch = width * 4 + 8;
      std::vector<std::uint8_t> src(static_cast<std::size_t>(stride) * height);
      for (std::size_t i = 0; i < src.size(); ++i) src[i] = static_cast<std::uint8_t>(i * 7 + 1);
      std::vector<std::uint8_t> dst(static_cast<std::size_t>(pitch) * height, kUntouched);
      convert(src.data(), stride, dst.data(), pitch, width, height);
      for (int y = 0; y < height; ++y) {
        const std::uint8_t* s = &src[static_cast<std::size_t>(y * stride)];
        const std::uint8_t* d = &dst[static_cast<std::size_t>(y * pitch)];
        for (int x = 0; x < width; ++x) {
          ASSERT_EQ(d[4 * x], s[3 * x]) << "blue of pixel " << x << " row " << y;
          ASSERT_EQ(d[4 * x + 1], s[3 * x + 1]) << "green of pixel " << x << " row " << y;
          ASSERT_EQ(d[4 * x + 2], s[3 * x + 2]) << "red of pixel " << x << " row " << y;
          ASSERT_EQ(d[4 * x + 3], 0xFF) << "fourth byte of pixel " << x << " row " << y;
        }
        for (int i = width * 4; i < pitch; ++i) ASSERT_EQ(d[i], kUntouched) << "row " << y;
      }
    }
  }
}

// Every scale the window may take: each picture pixel becomes a whole block,
// odd widths through the wide path's plain tail, and nothing is written past
// the enlarged rows.
TEST(PixelConvert, ScaledPixelsFillWholeBlocksAndNothingBeyond) {
  constexpr std::uint8_t kUntouched = 0x5A;
  for (int scale : {1, 2, 3, 4, 5}) {
    for (int width : {1, 3, 4, 7, 600}) {
      SCOPED_TRACE(testing::Message() << "scale " << scale << " width " << width);
      const int height = 3;
      const int srcPitch = width * 4 + 4;
      const int dstPitch = width * scale * 4 + 12;
      std::vector<std::uint8_t> src(static_cast<std::size_t>(srcPitch) * height);
      for (std::size_t i = 0; i < src.size(); ++i) src[i] = static_cast<std::uint8_t>(i * 13 + 7);
      std::vector<std::uint8_t> dst(static_cast<std::size_t>(dstPitch) * height * scale + 64,
                                    kUntouched);
      platform::ScaleXrgb(src.data(), srcPitch, dst.data(), dstPitch, width, height, scale);
      for (int y = 0; y < height * scale; ++y) {
        const std::uint8_t* d = &dst[static_cast<std::size_t>(y) * dstPitch];
        for (int x = 0; x < width * scale; ++x) {
          const std::uint8_t* s =
              &src[static_cast<std::size_t>(y / scale) * srcPitch + x / scale * 4];
          ASSERT_TRUE(std::equal(s, s + 4, d + 4 * x)) << "pixel " << x << " row " << y;
        }
        for (int i = width * scale * 4; i < dstPitch; ++i)
          ASSERT_EQ(d[i], kUntouched) << "row " << y;
      }
      for (std::size_t i = static_cast<std::size_t>(dstPitch) * height * scale; i < dst.size();
           ++i) {
        ASSERT_EQ(dst[i], kUntouched) << "below the picture";
      }
    }
  }
}

}  // namespace
