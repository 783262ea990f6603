// The frame every scene is composed in, the colours that mean something in
// it, and where story text stands: one home for each, read by the game, the
// window, the story checker and the fuzz targets.
#pragma once

#include <cstdint>

#include "gfx/GaleBmp.h"
#include "script/GaleUtility.h"

// The frame (and the window's paint box) in pixels.
inline constexpr int kFrameWidth = 600;
inline constexpr int kFrameHeight = 400;

// Colours as surfaces store them (blue, green, red).
inline constexpr TPixel KeyColor{0, 0, 0};         // transparent in overlays; flickers
inline constexpr TPixel FillColor{255, 255, 255};  // padding of small pictures
inline constexpr TPixel HoverColor{0, 0, 255};     // red: the button under the mouse
inline constexpr TPixel TextMarkColor{255, 0, 0};  // blue: the marker placing story text

// Story text: each copy of a line is shaken 0 .. kTextShake - 1 pixels right
// and down, and lines stand the font height + kLineGap apart.
inline constexpr std::int32_t kTextShake = 3;
inline constexpr std::int32_t kLineGap = 5;

// The heat gauge's corner: a click at x >= kGaugeLeft and y < kGaugeBottom
// goes to the gauge while it shows.
inline constexpr std::int32_t kGaugeLeft = 350;
inline constexpr std::int32_t kGaugeBottom = 50;
// The clock's corner: the sand clock and the time are drawn over everything
// at x >= kClockLeft and y >= kClockTop.
inline constexpr std::int32_t kClockLeft = 375;
inline constexpr std::int32_t kClockTop = 350;

// A #button's box as the game lays it out (right and bottom inclusive), from
// its caption's length in bytes, its text size and its top-left corner. The
// arithmetic is checked: a box past the 32-bit range raises the game's error.
struct ButtonBox {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};
inline ButtonBox LayOutButton(std::int32_t captionBytes, std::int32_t size, std::int32_t x,
                              std::int32_t y) {
  return {x, y, CheckedAdd(CheckedAdd(CheckedMul(captionBytes, size) / 2, x), 20),
          CheckedAdd(CheckedAdd(y, size), 20)};
}
