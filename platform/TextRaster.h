// Text drawn the way the Windows GDI draws it with a clear background:
// monochrome glyphs (no smoothing) in exactly the requested colour, the
// pixels between and around the glyphs left untouched.
//
// The face is the first usable one of platform/FontFaces.h: on Linux through
// fontconfig, IPAPGothic first, then any face that covers Japanese, then any
// face at all; on Windows the fonts folder's MS PGothic, else the IPA font
// shipped beside the program. A machine with no usable face makes the first
// use throw std::runtime_error. The system is asked once per program; every
// rasteriser opens the face on its own.
//
// Font heights follow the GDI: a positive height is the character cell
// height (the font's Windows ascent plus descent scale to it), a negative
// height is the em height, 0 takes the default cell height of 16 pixels.
// Heights are limited to 2000 pixels. The cell's top-left corner is at (x, y)
// and the baseline lies the scaled Windows ascent below it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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

// The glyph cache forgets everything once it holds more than this many ink
// runs (about 12 bytes each), which a handful of sizes never reaches.
constexpr std::size_t kTextCacheRunLimit = 1 << 21;

// One face and its glyph caches. Each machine owns one (Platform::Text());
// a tool without a machine makes its own. Used from one thread at a time.
class TextRaster {
 public:
  // Cheap: the face is found and opened on first use; a failure throws
  // there and is tried again on the next use.
  TextRaster();
  ~TextRaster();
  TextRaster(const TextRaster&) = delete;
  TextRaster& operator=(const TextRaster&) = delete;

  // Draws CP932 text onto a picture of 24-bit pixels (blue, green, red), rows
  // `stride` bytes apart, clipped at the picture's edges. Bytes that do not
  // decode draw nothing.
  void Draw(std::uint8_t* pixels, int width, int height, int stride, int x, int y,
            std::string_view cp932, const TextFont& font);

  // The advance width in pixels of the text in that font (colour ignored).
  int Width(std::string_view cp932, const TextFont& font);

  // True when the face has a glyph of its own for the character (not the
  // face's placeholder).
  bool HasGlyph(char32_t c);

  // How many runs the glyph cache holds now, one extra counted per glyph.
  std::size_t CacheRuns() const;

  // The file of the face in use.
  const std::string& FacePath();

 private:
  class Impl;
  Impl& Face();
  std::unique_ptr<Impl> impl_;
};

// Draws with the IPA P gothic font file shipped beside the programs (the
// Windows package's fonts/ipagp.ttf; on Linux, without one beside the
// program, the Debian file the package ships) before any face the system
// offers, so that frames come out the same on every system. Call before the
// first text is drawn or measured.
void UseShippedFont();

}  // namespace platform
