// The game's pictures, painted procedurally: the title, the backgrounds with
// their text markers, the overlays and the sand clock. Pixels are held in
// surface order (blue, green, red), rows top to bottom.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace mkdata {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgr;  // width * 3 bytes per row, no padding

  Picture() = default;
  Picture(int w, int h);
  std::uint8_t* At(int x, int y) {
    return bgr.data() + (static_cast<std::size_t>(y) * width + x) * 3;
  }
  const std::uint8_t* At(int x, int y) const {
    return bgr.data() + (static_cast<std::size_t>(y) * width + x) * 3;
  }
  int Stride() const { return width * 3; }
};

enum class PictureFormat { Bmp, Jpeg };

// Where a background places its story text: the marker pixel (pure blue)
// and the colour beside it on its left, whose inverse is the text colour.
struct TextMarker {
  int x = -1;  // -1: the picture carries no marker
  int y = -1;
  std::uint8_t r = 0, g = 0, b = 0;  // the left neighbour
};

struct PictureFile {
  std::string fileName;  // as the game and the script name it
  PictureFormat format;
  Picture picture;
  TextMarker marker;   // backgrounds only
  bool keyed = false;  // transparent by the colour of its pixel (0, 0)
};

// Every picture except font.bmp (which is drawn with the game's own text
// code, see Font.h); with names given, only those.
std::vector<PictureFile> PaintPictures(const std::set<std::string>& only = {});

// The program's icon as a size x size picture (size 16 or more).
Picture PaintIcon(int size);

// The key colour of the overlays and the sand clock: magenta.
constexpr std::uint8_t kKeyR = 255, kKeyG = 0, kKeyB = 255;

}  // namespace mkdata
