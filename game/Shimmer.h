// The title's rising shimmer worked over a whole frame, a row at a time with
// the pixels of a row side by side.
#pragma once

#include <cstdint>

// The widest frame the shimmer works: columns 1 .. kShimmerMaxColumn.
constexpr int kShimmerMaxColumn = 598;

// Which code works the pixels: the widest the processor has, or the plain
// one-pixel loop (the same frame for the same seed; for tests).
enum class ShimmerLanes { Widest, Plain };

// Whether this processor works the shimmer eight pixels at a time.
bool ShimmerHasWideLanes();

// Works rows lastRow down to 1, columns 1 .. lastCol of rows (each 3 bytes a
// pixel: blue, green, red), reading row lastRow + 1 and columns 0 and
// lastCol + 1 but never writing them. Every pixel takes a copy of one of the
// six below-or-beside it (in its own row: the left one as already worked,
// itself, the right one; in the worked row below: left, straight, right),
// each with chance 1/6, and a black result glows in a red 0..255. The random
// numbers come from `seed` alone. lastCol must be 1 .. kShimmerMaxColumn.
void ShimmerFrame(std::uint8_t* const* rows, int lastRow, int lastCol, std::uint64_t seed,
                  ShimmerLanes lanes = ShimmerLanes::Widest);
