// Arbitrary CP932 bytes drawn at arbitrary positions, heights and styles on
// a small surface.
#include <exception>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "gfx/GaleBmp.h"
#include "platform/TextRaster.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const int x = in.Int16();
  const int y = in.Int16();
  const int height = in.Int16() % 301;  // -300..300 keeps a run fast
  const std::uint8_t style = in.Byte();
  const TColorRef color = in.Byte() * 0x010101u;
  std::string text = in.Rest();
  if (text.size() > 256) text.resize(256);
  static platform::TextRaster raster;
  static TGaleBitmap surface;
  surface.UseText(raster);
  try {
    surface.Resize(48, 32);
    surface.SetFont(height, style & 15, color);
    surface.DrawText(x, y, text);
    (void)surface.TextWidth(text);
  } catch (const std::exception&) {
  }
  return 0;
}
