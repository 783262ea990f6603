// The game's frame (24-bit, blue green red in memory) into the usual 32-bit
// window layout (blue green red unused in memory: SDL's RGB888 and ARGB8888
// on a little-endian machine), the one conversion every shown frame needs;
// and that layout enlarged by a whole scale with sharp pixels, where no GPU
// scales it.
#pragma once

#include <cstdint>

namespace platform {

// Converts a width x height picture of 3-byte pixels (rows `srcStride` bytes
// apart) into 4-byte pixels (rows `dstPitch` bytes apart), the fourth byte
// 0xFF. x86 processors with SSSE3 shuffle four pixels at a time; elsewhere a
// plain loop converts them one by one; both give the same bytes.
void BgrToXrgb(const std::uint8_t* src, int srcStride, std::uint8_t* dst, int dstPitch, int width,
               int height);

// The plain loop alone, for comparison.
void BgrToXrgbPlain(const std::uint8_t* src, int srcStride, std::uint8_t* dst, int dstPitch,
                    int width, int height);

// Enlarges a width x height picture of 4-byte pixels (rows `srcPitch` bytes
// apart) `scale` times: each pixel becomes a scale x scale block of the
// (width * scale) x (height * scale) destination (rows `dstPitch` bytes
// apart).
void ScaleXrgb(const std::uint8_t* src, int srcPitch, std::uint8_t* dst, int dstPitch, int width,
               int height, int scale);

}  // namespace platform
