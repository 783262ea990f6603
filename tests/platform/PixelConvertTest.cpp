// The frame's conversion into the window's 32-bit layout: every width, so
// the shuffled rounds and the plain tail both meet every pixel.
#include <gtest/gtest.h>

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

}  // namespace
