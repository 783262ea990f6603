// The frame every scene is composed in, the colours that mean something in
// it, and where story text stands: one home for each, read by the game, the
// window, the story checker and the fuzz targets.
#pragma once

#include <cstdint>

#include "gfx/GaleBmp.h"

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
