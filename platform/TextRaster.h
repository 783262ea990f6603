// Text drawn the way the Windows GDI draws it with a clear background:
// monochrome glyphs (no smoothing) in exactly the requested colour, the
// pixels between and around the glyphs left untouched.
//
// The face is the first usable one of platform/FontFaces.h: on Linux through
// fontconfig, IPAPGothic first, then any face that covers Japanese, then any
// face at all; on Windows the fonts folder's MS PGothic, else the IPA font
// shipped beside the program. A machine with no usable face makes the first
// use throw std::runtime_error.
//
// Font heights follow the GDI: a positive height is the character cell
// height (the font's Windows ascent plus descent scale to it), a negative
// height is the em height, 0 takes the default cell height of 16 pixels.
// Heights are limited to 2000 pixels. The cell's top-left corner is at (x, y)
// and the baseline lies the scaled Windows ascent below it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Style flags, as the game passes them.
constexpr std::uint8_t kTextBold = 1;
constexpr std::uint8_t kTextItalic = 2;
constexpr std::uint8_t kTextUnderline = 4;
constexpr std::uint8_t kTextStrikeOut = 8;

struct TextFont {
  int height = 20;
  std::uint8_t style = kTextBold;
  std::uint32_t rgb = 0;  // red + 256 * green + 65536 * blue
};

// Draws CP932 text onto a picture of 24-bit pixels (blue, green, red), rows
// `stride` bytes apart, clipped at the picture's edges. Bytes that do not
// decode draw nothing.
void DrawText(std::uint8_t* pixels, int width, int height, int stride, int x, int y,
              std::string_view cp932, const TextFont& font);

// The advance width in pixels of the text in that font (colour ignored).
int TextWidth(std::string_view cp932, const TextFont& font);

// True when the face in use has a glyph of its own for the character (not
// the face's placeholder). Throws like TextWidth when there is no face.
bool HasGlyph(char32_t c);

// The glyph cache forgets everything once it holds more than this many ink
// runs (about 12 bytes each), which a handful of sizes never reaches.
constexpr std::size_t kTextCacheRunLimit = 1 << 21;

// How many runs the glyph cache holds now, one extra counted per glyph.
std::size_t TextCacheRuns();

// Draws with the IPA P gothic font file shipped beside the programs (the
// Windows package's fonts/ipagp.ttf; on Linux, without one beside the
// program, the Debian file the package ships) before any face the system
// offers, so that frames come out the same on every system. Call before the
// first text is drawn or measured.
void UseShippedFont();

// The file of the face in use; finds and opens it if that has not happened
// yet (throws std::runtime_error when there is none).
const std::string& TextFacePath();

}  // namespace platform
