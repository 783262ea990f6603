// Picture files decoded into 24-bit pixels (blue, green, red), rows top to
// bottom, 3 * width bytes each.
//
// Errors are std::runtime_error with these texts (UTF-8):
//   "ビットマップイメージが不正です" not a valid bitmap, including one with
//                                  no pixels (a side of 0) or one larger than
//                                  kMaxPictureSide on a side or
//                                  kMaxPicturePixels in all;
//   "JPEG エラー #%d"             a JPEG decoding error, with the library's
//                                  message code; a JPEG past those limits
//                                  gives the code of JERR_IMAGE_TOO_BIG.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

constexpr int kMaxPictureSide = 16384;
constexpr long long kMaxPicturePixels = 100'000'000;

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgr;  // height rows of 3 * width bytes
};

// The bytes of a Windows bitmap file (any bit depth, RLE, OS/2 and newer
// headers) decoded.
Picture DecodeBitmap(std::string_view bytes);
// The bytes of a JPEG file decoded at full size, colour or greyscale.
Picture DecodeJpeg(std::string_view bytes);

}  // namespace platform
