// The title shimmer, a row at a time. Rows depend on the row below, but
// within a row only the "left" choice reads a pixel worked before it; every
// other choice reads the worked row below or the row's own old pixels. So a
// row is worked in three steps: the old row is widened to one 32-bit word a
// pixel (0x00RRGGBB), all pixels are worked from the old row and the worked
// row below, the "left" pixels then taking the pixel before their run, and
// the row is narrowed back into the frame.
//
// The random numbers come from eight xoshiro128+ generators side by side,
// one 32-bit number a pixel, pixel c of a row from generator (c - 1) mod 8:
// its top 16 bits choose among the six sources, its bits 8..15 are the red
// of a black result. x86 processors with AVX2 work eight pixels at a time;
// elsewhere a plain loop works them one by one. Both draw the same numbers
// for the same pixels, so a seed gives the same frame on every machine.
#include "game/Shimmer.h"

#include <array>
#include <cstring>
#include <utility>

#if defined(__GNUC__) && defined(__x86_64__)
#define MG_SHIMMER_AVX2 1
#include <immintrin.h>  // AVX2 intrinsics for the eight-lane path
#endif

namespace {

constexpr int kLanes = 8;
constexpr int kBuffer = kShimmerMaxColumn + 2 * kLanes + 2;  // a row of words and a margin

// Upper bounds of the six choices on the number's top 16 bits: choice j for
// kBound[j - 1] <= x < kBound[j]; each has 10922 or 10923 of the 65536.
//   0 left (already worked)  1 itself  2 right
//   3 below-left  4 below  5 below-right
constexpr std::int32_t kBound[6] = {10923, 21846, 32768, 43691, 54614, 65536};

int Choice(std::uint32_t u) {
  const std::int32_t x = static_cast<std::int32_t>(u >> 16);
  int k = 0;
  while (x >= kBound[k]) ++k;
  return k;
}

std::uint32_t RedOf(std::uint32_t u) {
  return (u << 8) & 0xFF0000u;
}

std::uint64_t SplitMix(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

// Eight generators' states, word by word: s[word][lane].
struct Generators {
  alignas(32) std::uint32_t s[4][kLanes];

  explicit Generators(std::uint64_t seed) {
    for (int lane = 0; lane < kLanes; ++lane) {
      for (int w = 0; w < 4; w += 2) {
        const std::uint64_t z = SplitMix(seed);
        s[w][lane] = static_cast<std::uint32_t>(z);
        s[w + 1][lane] = static_cast<std::uint32_t>(z >> 32);
      }
      if ((s[0][lane] | s[1][lane] | s[2][lane] | s[3][lane]) == 0) s[0][lane] = 1;
    }
  }

  std::uint32_t Next(int lane) {
    std::uint32_t* const w[4] = {&s[0][lane], &s[1][lane], &s[2][lane], &s[3][lane]};
    const std::uint32_t result = *w[0] + *w[3];
    const std::uint32_t t = *w[1] << 9;
    *w[2] ^= *w[0];
    *w[3] ^= *w[1];
    *w[1] ^= *w[2];
    *w[0] ^= *w[3];
    *w[2] ^= t;
    *w[3] = (*w[3] << 11) | (*w[3] >> 21);
    return result;
  }
};

void Widen(const std::uint8_t* p, std::uint32_t* out, int count) {
  for (int c = 0; c < count; ++c, p += 3) {
    out[c] = p[0] | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
  }
}

void Narrow(const std::uint32_t* in, std::uint8_t* p, int count) {
  for (int c = 0; c < count; ++c, p += 3) {
    p[0] = static_cast<std::uint8_t>(in[c]);
    p[1] = static_cast<std::uint8_t>(in[c] >> 8);
    p[2] = static_cast<std::uint8_t>(in[c] >> 16);
  }
}

// One pixel: its worked word from the old row, the worked row below and the
// worked pixel to its left.
std::uint32_t WorkPixel(std::uint32_t u, const std::uint32_t* old, const std::uint32_t* below,
                        int c, std::uint32_t left) {
  std::uint32_t v = 0;
  switch (Choice(u)) {
    case 0:
      v = left;
      break;
    case 1:
      v = old[c];
      break;
    case 2:
      v = old[c + 1];
      break;
    case 3:
      v = below[c - 1];
      break;
    case 4:
      v = below[c];
      break;
    default:
      v = below[c + 1];
      break;
  }
  return v == 0 ? RedOf(u) : v;
}

// Rows of words: the worked row below, the row as it was, the row worked.
struct RowWords {
  alignas(32) std::uint32_t buffers[3][kBuffer] = {};
  std::uint32_t* below = buffers[0];
  std::uint32_t* old = buffers[1];
  std::uint32_t* out = buffers[2];

  // The row's edge columns are never worked.
  void Finish(std::uint8_t* row, int lastCol) {
    out[0] = old[0];
    out[lastCol + 1] = old[lastCol + 1];
    Narrow(out + 1, row + 3, lastCol);
    std::swap(below, out);
  }
};

void FramePlain(std::uint8_t* const* rows, int lastRow, int lastCol, std::uint64_t seed) {
  Generators generators(seed);
  RowWords w;
  const int steps = (lastCol + kLanes - 1) / kLanes;
  Widen(rows[lastRow + 1], w.below, lastCol + 2);
  for (int r = lastRow; r >= 1; --r) {
    Widen(rows[r], w.old, lastCol + 2);
    std::uint32_t left = w.old[0];
    for (int c = 1; c <= kLanes * steps; ++c) {
      const std::uint32_t u = generators.Next((c - 1) % kLanes);
      if (c <= lastCol) left = w.out[c] = WorkPixel(u, w.old, w.below, c, left);
    }
    w.Finish(rows[r], lastCol);
  }
}

#ifdef MG_SHIMMER_AVX2

// For each mask of "left" lanes, the lane each lane takes its word from:
// itself, the last lane before its run, or -1 (sign bit set) for the worked
// pixel before the eight.
constexpr std::array<std::array<std::int32_t, kLanes>, 256> MakeRunSources() {
  std::array<std::array<std::int32_t, kLanes>, 256> table{};
  for (int mask = 0; mask < 256; ++mask) {
    for (int lane = 0; lane < kLanes; ++lane) {
      int from = lane;
      while (from >= 0 && (mask >> from & 1)) --from;
      table[mask][lane] = from;
    }
  }
  return table;
}
alignas(32) constexpr auto kRunSources = MakeRunSources();

// Four pixels of 3 bytes to four words, and back (the last four bytes of
// the narrowed vector are spare).
__attribute__((target("avx2"))) inline __m128i WidenFour(const std::uint8_t* p) {
  const __m128i order = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), order);
}

__attribute__((target("avx2"))) inline __m128i NarrowFour(__m128i words) {
  const __m128i order = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  return _mm_shuffle_epi8(words, order);
}

__attribute__((target("avx2"))) inline __m256i Load(const std::uint32_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// a, or b in the lanes where mask is set.
__attribute__((target("avx2"))) inline __m256i Blend(__m256i a, __m256i b, __m256i mask) {
  return _mm256_blendv_epi8(a, b, mask);
}

__attribute__((target("avx2"))) void WidenAvx2(const std::uint8_t* p, std::uint32_t* out,
                                               int count) {
  int c = 0;
  for (; 3 * c + 16 <= 3 * count; c += 4) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + c), WidenFour(p + 3 * c));
  }
  Widen(p + 3 * c, out + c, count - c);
}

__attribute__((target("avx2"))) void NarrowAvx2(const std::uint32_t* in, std::uint8_t* p,
                                                int count) {
  // Each store writes four spare bytes past its pixels; the next store, or
  // the plain loop, writes them again.
  int c = 0;
  for (; 3 * c + 16 <= 3 * count; c += 4) {
    const __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + c));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 3 * c), NarrowFour(words));
  }
  Narrow(in + c, p + 3 * c, count - c);
}

__attribute__((target("avx2"))) void FrameAvx2(std::uint8_t* const* rows, int lastRow, int lastCol,
                                               std::uint64_t seed) {
  Generators generators(seed);
  __m256i s0 = _mm256_load_si256(reinterpret_cast<const __m256i*>(generators.s[0]));
  __m256i s1 = _mm256_load_si256(reinterpret_cast<const __m256i*>(generators.s[1]));
  __m256i s2 = _mm256_load_si256(reinterpret_cast<const __m256i*>(generators.s[2]));
  __m256i s3 = _mm256_load_si256(reinterpret_cast<const __m256i*>(generators.s[3]));
  const __m256i bound1 = _mm256_set1_epi32(kBound[0]);
  const __m256i bound2 = _mm256_set1_epi32(kBound[1]);
  const __m256i bound3 = _mm256_set1_epi32(kBound[2]);
  const __m256i bound4 = _mm256_set1_epi32(kBound[3]);
  const __m256i bound5 = _mm256_set1_epi32(kBound[4]);
  const __m256i redBits = _mm256_set1_epi32(0xFF0000);
  const __m256i zero = _mm256_setzero_si256();
  const __m256i lastLane = _mm256_set1_epi32(kLanes - 1);

  RowWords w;
  const int steps = (lastCol + kLanes - 1) / kLanes;
  WidenAvx2(rows[lastRow + 1], w.below, lastCol + 2);
  for (int r = lastRow; r >= 1; --r) {
    WidenAvx2(rows[r], w.old, lastCol + 2);
    __m256i carry = _mm256_set1_epi32(static_cast<int>(w.old[0]));
    for (int step = 0, c = 1; step < steps; ++step, c += kLanes) {
      const __m256i u = _mm256_add_epi32(s0, s3);
      const __m256i t = _mm256_slli_epi32(s1, 9);
      s2 = _mm256_xor_si256(s2, s0);
      s3 = _mm256_xor_si256(s3, s1);
      s1 = _mm256_xor_si256(s1, s2);
      s0 = _mm256_xor_si256(s0, s3);
      s2 = _mm256_xor_si256(s2, t);
      s3 = _mm256_or_si256(_mm256_slli_epi32(s3, 11), _mm256_srli_epi32(s3, 21));

      const __m256i x = _mm256_srli_epi32(u, 16);
      __m256i v = Load(w.below + c + 1);
      v = Blend(v, Load(w.below + c), _mm256_cmpgt_epi32(bound5, x));
      v = Blend(v, Load(w.below + c - 1), _mm256_cmpgt_epi32(bound4, x));
      v = Blend(v, Load(w.old + c + 1), _mm256_cmpgt_epi32(bound3, x));
      v = Blend(v, Load(w.old + c), _mm256_cmpgt_epi32(bound2, x));
      const __m256i source = v;
      const __m256i red = _mm256_and_si256(_mm256_slli_epi32(u, 8), redBits);
      v = Blend(v, red, _mm256_cmpeq_epi32(v, zero));
      // "Left" lanes take the lane before their run, or the carry.
      const int left = _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpgt_epi32(bound1, x)));
      const __m256i from =
          _mm256_load_si256(reinterpret_cast<const __m256i*>(kRunSources[left].data()));
      v = _mm256_permutevar8x32_epi32(v, from);
      v = Blend(v, carry, _mm256_srai_epi32(from, 31));
      if (left & _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(v, zero)))) {
        // A run starts at a black pixel whose red came out 0: its first
        // pixel glows in a red of its own. Worked one by one.
        alignas(32) std::uint32_t us[kLanes], sources[kLanes];
        _mm256_store_si256(reinterpret_cast<__m256i*>(us), u);
        _mm256_store_si256(reinterpret_cast<__m256i*>(sources), source);
        std::uint32_t before = static_cast<std::uint32_t>(_mm256_cvtsi256_si32(carry));
        for (int lane = 0; lane < kLanes; ++lane) {
          std::uint32_t word = (left >> lane & 1) ? before : sources[lane];
          if (word == 0) word = RedOf(us[lane]);
          w.out[c + lane] = before = word;
        }
        v = Load(w.out + c);
      }
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(w.out + c), v);
      carry = _mm256_permutevar8x32_epi32(v, lastLane);
    }
    w.out[0] = w.old[0];
    w.out[lastCol + 1] = w.old[lastCol + 1];
    NarrowAvx2(w.out + 1, rows[r] + 3, lastCol);
    std::swap(w.below, w.out);
  }
}

#endif

}  // namespace

bool ShimmerHasWideLanes() {
#ifdef MG_SHIMMER_AVX2
  static const bool wide = __builtin_cpu_supports("avx2");
  return wide;
#else
  return false;
#endif
}

void ShimmerFrame(std::uint8_t* const* rows, int lastRow, int lastCol, std::uint64_t seed,
                  ShimmerLanes lanes) {
  if (lastRow < 1 || lastCol < 1 || lastCol > kShimmerMaxColumn) return;
#ifdef MG_SHIMMER_AVX2
  if (lanes == ShimmerLanes::Widest && ShimmerHasWideLanes()) {
    FrameAvx2(rows, lastRow, lastCol, seed);
    return;
  }
#endif
  (void)lanes;
  FramePlain(rows, lastRow, lastCol, seed);
}
