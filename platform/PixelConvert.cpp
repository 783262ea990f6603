#include "platform/PixelConvert.h"

#include <cstddef>
#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define MG_PIXELS_SSSE3 1
#include <immintrin.h>  // SSSE3 byte shuffles
#endif

namespace platform {
namespace {

void PlainRow(const std::uint8_t* src, std::uint8_t* dst, int width) {
  for (int x = 0; x < width; ++x, src += 3, dst += 4) {
    dst[0] = src[0];
    dst[1] = src[1];
    dst[2] = src[2];
    dst[3] = 0xFF;
  }
}

#ifdef MG_PIXELS_SSSE3
// Four pixels from the twelve bytes at p, each widened by an 0xFF byte. A
// load reads sixteen bytes, so the last four of a row's pixels are left to
// the plain loop unless the row has room after them.
__attribute__((target("ssse3"))) void Ssse3Row(const std::uint8_t* src, std::uint8_t* dst,
                                               int width) {
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  int x = 0;
  // Sixteen pixels a round: 48 bytes read as four 16-byte loads, the last
  // ending at byte 52, so 18 pixels must be left at the round's start.
  for (; x + 18 <= width; x += 16, src += 48, dst += 64) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 12));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 24));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 36));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst),
                     _mm_or_si128(_mm_shuffle_epi8(a, spread), opaque));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 16),
                     _mm_or_si128(_mm_shuffle_epi8(b, spread), opaque));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 32),
                     _mm_or_si128(_mm_shuffle_epi8(c, spread), opaque));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 48),
                     _mm_or_si128(_mm_shuffle_epi8(d, spread), opaque));
  }
  for (; x + 6 <= width; x += 4, src += 12, dst += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst),
                     _mm_or_si128(_mm_shuffle_epi8(a, spread), opaque));
  }
  PlainRow(src, dst, width - x);
}
#endif

}  // namespace

void BgrToXrgbPlain(const std::uint8_t* src, int srcStride, std::uint8_t* dst, int dstPitch,
                    int width, int height) {
  for (int y = 0; y < height; ++y) {
    PlainRow(src + static_cast<std::ptrdiff_t>(y) * srcStride,
             dst + static_cast<std::ptrdiff_t>(y) * dstPitch, width);
  }
}

void BgrToXrgb(const std::uint8_t* src, int srcStride, std::uint8_t* dst, int dstPitch, int width,
               int height) {
#ifdef MG_PIXELS_SSSE3
  static const bool shuffles = __builtin_cpu_supports("ssse3");
  if (shuffles) {
    for (int y = 0; y < height; ++y) {
      Ssse3Row(src + static_cast<std::ptrdiff_t>(y) * srcStride,
               dst + static_cast<std::ptrdiff_t>(y) * dstPitch, width);
    }
    return;
  }
#endif
  BgrToXrgbPlain(src, srcStride, dst, dstPitch, width, height);
}

}  // namespace platform
