#include <stdexcept>

#include "gfx/GaleBmp.h"
#include "platform/TextRaster.h"
#include "tools/gamedata/MakeData.h"
#include "tools/imagewrite/ImageWrite.h"

namespace mkdata {

std::vector<unsigned char> DrawFontStrip() {
  constexpr int kCell = 25, kHeight = 40, kGlyphs = 12;
  const char* glyphs[kGlyphs] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ":", "."};
  platform::TextRaster text;
  TGaleBitmap strip;
  strip.UseText(text);
  strip.Resize(kCell * kGlyphs, kHeight, kWhitePixel);
  strip.SetFont(38, fsBold, 0x000000);
  for (int i = 0; i < kGlyphs; ++i) {
    const int w = strip.TextWidth(glyphs[i]);
    strip.DrawText(kCell * i + (kCell - w) / 2, 1, glyphs[i]);
  }
  // The clock cuts each glyph with the colour of its top-left pixel as the
  // transparent one: keep that pixel the white of the strip.
  for (int i = 0; i < kGlyphs; ++i) {
    std::uint8_t* px = strip.Rows[0] + 3 * (kCell * i);
    px[0] = px[1] = px[2] = 255;
  }
  std::vector<std::uint8_t> packed(static_cast<std::size_t>(strip.Width()) * kHeight * 3);
  for (int y = 0; y < kHeight; ++y) {
    std::copy(strip.Rows[y], strip.Rows[y] + strip.Width() * 3,
              packed.data() + y * strip.Width() * 3);
  }
  return imagewrite::EncodeBmp(packed.data(), strip.Width(), kHeight, strip.Width() * 3);
}

}  // namespace mkdata
