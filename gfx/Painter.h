// Drawing helpers over a surface's rows: a rectangle that is clipped once per
// operation, fills, per-byte and per-pixel maps, checked pixel access and the
// colour conversions between surface pixels and window-system colours.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstdint>

#include "gfx/GaleBmp.h"

// A rectangle of pixels, half-open: columns Left .. Right - 1, rows
// Top .. Bottom - 1. 64-bit so that corners a script computes never wrap.
struct TRect {
  std::int64_t Left = 0;
  std::int64_t Top = 0;
  std::int64_t Right = 0;
  std::int64_t Bottom = 0;

  // The rectangle whose first and last columns and rows are given (inclusive).
  static constexpr TRect Corners(std::int64_t left, std::int64_t top, std::int64_t right,
                                 std::int64_t bottom) {
    return {left, top, right + 1, bottom + 1};
  }
  // The rectangle of `width` x `height` pixels from (x, y).
  static constexpr TRect Sized(std::int64_t x, std::int64_t y, std::int64_t width,
                               std::int64_t height) {
    return {x, y, x + width, y + height};
  }
  // The whole of a surface.
  static TRect Of(const TGaleBitmap& surface) { return {0, 0, surface.Width(), surface.Height()}; }

  constexpr bool Empty() const { return Left >= Right || Top >= Bottom; }
  constexpr std::int64_t Width() const { return Empty() ? 0 : Right - Left; }
  constexpr std::int64_t Height() const { return Empty() ? 0 : Bottom - Top; }
  constexpr bool Contains(std::int64_t x, std::int64_t y) const {
    return x >= Left && x < Right && y >= Top && y < Bottom;
  }
  // The same rectangle moved by (dx, dy).
  constexpr TRect Moved(std::int64_t dx, std::int64_t dy) const {
    return {Left + dx, Top + dy, Right + dx, Bottom + dy};
  }
  constexpr bool operator==(const TRect&) const = default;
};

// The pixels two rectangles share; Empty() when they share none.
constexpr TRect Intersect(const TRect& a, const TRect& b) {
  return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
}

// A window-system colour (red + 256 * green + 65536 * blue) as a pixel.
constexpr TPixel ToPixel(TColorRef color) {
  return TPixel{static_cast<std::uint8_t>((color >> 16) & 0xFF),
                static_cast<std::uint8_t>((color >> 8) & 0xFF),
                static_cast<std::uint8_t>(color & 0xFF)};
}

// A pixel as a window-system colour.
constexpr TColorRef ToColorRef(TPixel pixel) {
  return pixel.r | (static_cast<TColorRef>(pixel.g) << 8) | (static_cast<TColorRef>(pixel.b) << 16);
}

// The pixel with every channel inverted (255 - value).
constexpr TPixel Inverted(TPixel pixel) {
  return TPixel{static_cast<std::uint8_t>(255 - pixel.b), static_cast<std::uint8_t>(255 - pixel.g),
                static_cast<std::uint8_t>(255 - pixel.r)};
}

// Draws into one surface, every operation clipped to the surface once and
// then worked row by row through its row table.
class TPainter {
 public:
  explicit TPainter(TGaleBitmap& surface) : surface_(surface), clip_(TRect::Of(surface)) {}

  // The part of a rectangle this painter may touch.
  TRect Clip(const TRect& rect) const { return Intersect(rect, clip_); }

  // Sets every pixel of the rectangle to one colour.
  void Fill(const TRect& rect, TPixel color) {
    ForEachPixel(rect, [color](std::uint8_t* p) {
      p[0] = color.b;
      p[1] = color.g;
      p[2] = color.r;
    });
  }

  // Replaces each colour byte b (all three of every pixel) by op(b).
  template <typename Op>
  void MapBytes(const TRect& rect, Op op) {
    ForEachRow(rect, [&op](std::uint8_t* p, std::uint8_t* end) {
      for (; p != end; ++p) *p = op(*p);
    });
  }

  // Calls op(p) for each pixel, p pointing at its blue, green and red bytes.
  template <typename Op>
  void ForEachPixel(const TRect& rect, Op op) {
    ForEachRow(rect, [&op](std::uint8_t* p, std::uint8_t* end) {
      for (; p != end; p += 3) op(p);
    });
  }

  // Calls op(first, end) with the bytes of each row's part of the clipped
  // rectangle, top row first.
  template <typename Op>
  void ForEachRow(const TRect& rect, Op op) {
    const TRect r = Clip(rect);
    if (r.Empty()) return;
    for (auto y = r.Top; y < r.Bottom; ++y) {
      std::uint8_t* first = surface_.Rows[static_cast<std::size_t>(y)] + 3 * r.Left;
      op(first, first + 3 * r.Width());
    }
  }

  // One pixel; (x, y) must lie inside the surface (checked in debug builds).
  TPixel At(int x, int y) const {
    const std::uint8_t* p = Address(x, y);
    return TPixel{p[0], p[1], p[2]};
  }
  void Put(int x, int y, TPixel color) {
    std::uint8_t* p = Address(x, y);
    p[0] = color.b;
    p[1] = color.g;
    p[2] = color.r;
  }

 private:
  std::uint8_t* Address(int x, int y) const {
    assert(clip_.Contains(x, y) && "pixel outside the surface");
    return surface_.Rows[static_cast<std::size_t>(y)] + 3 * static_cast<std::size_t>(x);
  }

  TGaleBitmap& surface_;
  TRect clip_;
};

// Where a copy of the `source` rectangle to (x, y) lands once cut to what
// lies inside both surfaces (given by their bounds). The source pixel for
// the result's top left is (result.Left - x + source.Left, result.Top - y +
// source.Top); Empty() when nothing is copied.
constexpr TRect ClipCopy(const TRect& source, const TRect& sourceBounds, std::int64_t x,
                         std::int64_t y, const TRect& targetBounds) {
  return Intersect(Intersect(source, sourceBounds).Moved(x - source.Left, y - source.Top),
                   targetBounds);
}
