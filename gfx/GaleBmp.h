// The game's drawing surface: a 24-bit picture (blue, green, red bytes) with
// direct row access, an optional transparency mask, block copies and text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class Platform;
class TextRaster;
}  // namespace platform

// One pixel as surfaces store it.
struct TPixel {
  std::uint8_t b = 0;
  std::uint8_t g = 0;
  std::uint8_t r = 0;
};
static_assert(sizeof(TPixel) == 3);

// Row addresses: element y points at the first byte of row y.
using TPixelTable = std::vector<std::uint8_t*>;

// A colour as the window system takes it: red + 256 * green + 65536 * blue.
using TColorRef = std::uint32_t;

// Font style flags.
constexpr std::uint8_t fsBold = 1;
constexpr std::uint8_t fsItalic = 2;
constexpr std::uint8_t fsUnderline = 4;
constexpr std::uint8_t fsStrikeOut = 8;

constexpr TPixel kWhitePixel{255, 255, 255};

class TGaleBitmap {
 public:
  TGaleBitmap();
  ~TGaleBitmap();
  TGaleBitmap(const TGaleBitmap&) = delete;
  TGaleBitmap& operator=(const TGaleBitmap&) = delete;

  TPixelTable Rows;
  std::unique_ptr<TGaleBitmap> Mask;

  int Width() const;
  int Height() const;

  // Errors (std::runtime_error, UTF-8 messages): "ファイル %s は開けません",
  // "ビットマップイメージが不正です", "JPEG エラー #%d".
  // Reads the picture file through the machine, then decodes it.
  void LoadImage(platform::Platform& machine, const std::string& name);  // name: CP932
  // Decodes a picture file's bytes: JPEG when the name ends in ".jpg" or
  // ".jpeg" (small letters only), a bitmap otherwise.
  void DecodeImage(const std::string& name, std::string_view bytes);
  void Resize(int width, int height, TPixel color = kWhitePixel);
  void Fill(TPixel color);
  // Grows the picture to at least width x height, keeping its pixels at the
  // top left and filling what is new with `color`; a larger picture stays.
  void GrowTo(int width, int height, TPixel color);
  void RebuildRows();
  void MakeTransparentAt(int x, int y);
  void MakeTransparent(TColorRef key);
  void DrawOnto(TGaleBitmap& target, int x, int y) const;
  void PresentTo(platform::Platform& paintBox) const;
  void CopyBlock(TGaleBitmap& target, int x, int y, int width, int height, int sourceX,
                 int sourceY) const;
  // The rasteriser DrawText and TextWidth use; text on a surface without one
  // throws std::logic_error.
  void UseText(platform::TextRaster& text);
  void SetFont(int height, std::uint8_t style, TColorRef color);
  void DrawText(int x, int y, const std::string& text);  // text: CP932
  int FontHeight() const;
  // Advance width in pixels of a text in the current font (for tools).
  int TextWidth(const std::string& text) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

bool SameColor(TPixel a, TPixel b);
