// Any bytes as a JPEG file. Files whose frame header asks for more than
// kPixels pixels are passed over: every path of the decoder (baseline,
// progressive and arithmetic scans, restarts, subsampling, CMYK) is reached
// by pictures of a few dozen blocks, a larger picture only adds rows, and a
// few hundred bytes can ask for millions of pixels whose output buffer (its
// pages mapped fresh each time) would take most of the fuzzer's time.
#include "fuzz/FuzzSupport.h"
#include "platform/ImageFile.h"

namespace {

// 32768 pixels: the picture's buffer stays within the sanitizer allocator's
// reused size classes.
constexpr long long kPixels = 1 << 15;

// Whether a start-of-frame marker (0xFFC0..0xFFCF but for C4, C8 and CC)
// anywhere in the bytes declares more than kPixels.
bool AsksForManyPixels(const std::uint8_t* data, std::size_t size) {
  for (std::size_t i = 0; i + 9 <= size; ++i) {
    if (data[i] != 0xFF || (data[i + 1] & 0xF0) != 0xC0) continue;
    const std::uint8_t kind = data[i + 1];
    if (kind == 0xC4 || kind == 0xC8 || kind == 0xCC) continue;
    const long long height = data[i + 5] << 8 | data[i + 6];
    const long long width = data[i + 7] << 8 | data[i + 8];
    if (height * width > kPixels) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (AsksForManyPixels(data, size)) return 0;
  return fuzz::DecodePicture(platform::DecodeJpeg, data, size);
}
