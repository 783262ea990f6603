// Writers for pictures held as 24-bit pixels in surface order (blue, green,
// red), rows top to bottom, `stride` bytes apart. Paths are native (UTF-8)
// file paths. Every writer throws std::runtime_error with a message naming
// the file when it cannot write it; a failed write leaves no partial file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace imagewrite {

// Uncompressed 24-bit Windows bitmap (bottom-up rows, each padded to 4 bytes).
void WriteBmp(const std::string& path, const std::uint8_t* bgr, int width, int height, int stride);

// The same bitmap file as bytes, for callers that keep it in memory.
std::vector<std::uint8_t> EncodeBmp(const std::uint8_t* bgr, int width, int height, int stride);

// Baseline JPEG through libjpeg; quality 1..100, 4:4:4 colour sampling when
// quality is 90 or more, 4:2:0 below.
void WriteJpeg(const std::string& path, const std::uint8_t* bgr, int width, int height, int stride,
               int quality = 90);

// 8-bit RGB PNG through libpng, no interlacing, fixed compression settings
// (the same pixels always give the same bytes).
void WritePng(const std::string& path, const std::uint8_t* bgr, int width, int height, int stride);

}  // namespace imagewrite
