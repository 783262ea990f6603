// The picture of the error box, drawn with the game's own text renderer so
// that Japanese shows wherever the game's font does: the error icon, the
// message wrapped to the box, and an OK button. No window here; the SDL
// machine shows the picture and handles the input.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TextRaster.h"

namespace platform {

// The font of the box's message and button.
constexpr TextFont kBoxFont{18, 0, 0};

// A rectangle, right and bottom exclusive.
struct BoxRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// Where everything of one box lies.
struct BoxLayout {
  int width = 0;
  int height = 0;
  std::vector<std::string> lines;  // CP932, each at most kBoxTextWidth wide
  int textLeft = 0;
  int textTop = 0;
  int lineHeight = 0;
  BoxRect text;  // the area the message is drawn in
  BoxRect icon;
  BoxRect button;  // the OK button
};

// The widest a line of the message may be, in pixels.
constexpr int kBoxTextWidth = 440;

// Each function measures and draws with the machine's text rasteriser.

// Breaks CP932 text into lines no wider than `maxWidth` in `font`: at line
// breaks, after a space where a line of words must break, otherwise between
// characters. Spaces where a line was broken are dropped.
std::vector<std::string> WrapText(TextRaster& raster, std::string_view cp932, const TextFont& font,
                                  int maxWidth);

// Lays out a box for a UTF-8 message. Throws std::runtime_error when there is
// no font to measure with.
BoxLayout LayOutErrorBox(TextRaster& raster, const std::string& utf8);

// The box drawn as 24-bit pixels (blue, green, red), width * 3 bytes a row;
// `pressed` draws the OK button held down.
std::vector<std::uint8_t> DrawErrorBox(TextRaster& raster, const BoxLayout& layout, bool pressed);

}  // namespace platform
