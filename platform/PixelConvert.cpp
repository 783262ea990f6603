#include "platform/PixelConvert.h"

#include <cstddef>
#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define MG_PIXELS_SSSE3 1
#include <immintrin.h>  // SSSE3 byte shuffles, SSE2 unpacking
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

// One row widened: every pixel `Scale` times over. A fixed scale lets the
// compiler unroll the copies.
template <int Scale>
void WidenRow(const std::uint32_t* src, std::uint32_t* dst, int width) {
  for (int x = 0; x < width; ++x, dst += Scale) {
    const std::uint32_t pixel = src[x];
    for (int i = 0; i < Scale; ++i) dst[i] = pixel;
  }
}

#ifdef __SSE2__
// Scale 2, the usual one: each pixel twice over, written straight into both
// rows of its block. Where the rows allow, the stores bypass the cache: the
// enlarged picture is four times the frame, and it is only copied on.
void WidenTwice(const std::uint32_t* src, std::uint8_t* row0, std::uint8_t* row1, int width) {
  int x = 0;
  const auto aligned = [](const std::uint8_t* p) {
    return (reinterpret_cast<std::uintptr_t>(p) & 15) == 0;
  };
  if (!aligned(row0) && aligned(row0 + 8) && aligned(row1 + 8) && width > 0) {
    WidenRow<2>(src, reinterpret_cast<std::uint32_t*>(row0), 1);
    WidenRow<2>(src, reinterpret_cast<std::uint32_t*>(row1), 1);
    x = 1;
  }
  if (aligned(row0 + 8 * x) && aligned(row1 + 8 * x)) {
    for (; x + 4 <= width; x += 4) {
      const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
      const __m128i lo = _mm_unpacklo_epi32(p, p);
      const __m128i hi = _mm_unpackhi_epi32(p, p);
      _mm_stream_si128(reinterpret_cast<__m128i*>(row0 + 8 * x), lo);
      _mm_stream_si128(reinterpret_cast<__m128i*>(row0 + 8 * x + 16), hi);
      _mm_stream_si128(reinterpret_cast<__m128i*>(row1 + 8 * x), lo);
      _mm_stream_si128(reinterpret_cast<__m128i*>(row1 + 8 * x + 16), hi);
    }
  }
  for (; x + 4 <= width; x += 4) {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
    const __m128i lo = _mm_unpacklo_epi32(p, p);
    const __m128i hi = _mm_unpackhi_epi32(p, p);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row0 + 8 * x), lo);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row0 + 8 * x + 16), hi);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row1 + 8 * x), lo);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row1 + 8 * x + 16), hi);
  }
  WidenRow<2>(src + x, reinterpret_cast<std::uint32_t*>(row0 + 8 * x), width - x);
  WidenRow<2>(src + x, reinterpret_cast<std::uint32_t*>(row1 + 8 * x), width - x);
}
#endif

void WidenRowAny(const std::uint32_t* src, std::uint32_t* dst, int width, int scale) {
  for (int x = 0; x < width; ++x) {
    for (int i = 0; i < scale; ++i) *dst++ = src[x];
  }
}

}  // namespace

void ScaleXrgb(const std::uint8_t* src, int srcPitch, std::uint8_t* dst, int dstPitch, int width,
               int height, int scale) {
  if (width <= 0 || height <= 0 || scale <= 0) return;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * scale * 4;
  for (int y = 0; y < height; ++y) {
    const auto* in = reinterpret_cast<const std::uint32_t*>(src + std::ptrdiff_t{y} * srcPitch);
    std::uint8_t* first = dst + std::ptrdiff_t{y} * scale * dstPitch;
    auto* out = reinterpret_cast<std::uint32_t*>(first);
#ifdef __SSE2__
    if (scale == 2) {
      WidenTwice(in, first, first + dstPitch, width);
      continue;
    }
#endif
    switch (scale) {
      case 1:
        std::memcpy(out, in, rowBytes);
        break;
      case 2:
        WidenRow<2>(in, out, width);
        break;
      case 3:
        WidenRow<3>(in, out, width);
        break;
      case 4:
        WidenRow<4>(in, out, width);
        break;
      default:
        WidenRowAny(in, out, width, scale);
        break;
    }
    // The block's other rows are copies of its first.
    for (int i = 1; i < scale; ++i)
      std::memcpy(first + std::ptrdiff_t{i} * dstPitch, first, rowBytes);
  }
}

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
