#include "platform/sdl/ErrorBoxPicture.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "platform/Encoding.h"

namespace platform {
namespace {

constexpr int kMargin = 24;  // around the icon and the message
constexpr int kIconSize = 32;
constexpr int kIconGap = 14;  // between the icon and the message
constexpr int kLineGap = 4;   // between lines of the message
constexpr int kMinWidth = 300;
constexpr int kStripHeight = 48;  // the grey strip that holds the button
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 26;

struct Rgb {
  std::uint8_t r, g, b;
};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kStrip{240, 240, 240};
constexpr Rgb kButtonFace{225, 225, 225};
constexpr Rgb kButtonPressed{204, 228, 247};
constexpr Rgb kDefaultBorder{0, 120, 215};
constexpr Rgb kIconRed{232, 17, 35};

bool IsLead(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The length of the CP932 character at `at`.
std::size_t CharLength(std::string_view text, std::size_t at) {
  return IsLead(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

// UTF-8 to CP932; a character CP932 cannot hold shows as "?".
std::string ToCp932(std::string_view utf8) {
  std::string out;
  while (!utf8.empty()) {
    std::string part;
    std::size_t bad = 0;
    if (Utf8ToCp932(utf8, part, bad)) return out + part;
    std::string good;
    Utf8ToCp932(utf8.substr(0, bad), good, bad);
    out += good + "?";
    std::size_t skip = bad + 1;
    while (skip < utf8.size() && (static_cast<unsigned char>(utf8[skip]) & 0xC0) == 0x80) ++skip;
    utf8.remove_prefix(skip);
  }
  return out;
}

class Canvas {
 public:
  Canvas(TextRaster& raster, int width, int height)
      : raster_(raster),
        width_(width),
        height_(height),
        pixels_(static_cast<std::size_t>(width) * height * 3) {}

  void Fill(const BoxRect& r, Rgb c) {
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, height_); ++y) {
      for (int x = std::max(r.left, 0); x < std::min(r.right, width_); ++x) Put(x, y, c);
    }
  }
  void Frame(const BoxRect& r, Rgb c) {
    Fill({r.left, r.top, r.right, r.top + 1}, c);
    Fill({r.left, r.bottom - 1, r.right, r.bottom}, c);
    Fill({r.left, r.top, r.left + 1, r.bottom}, c);
    Fill({r.right - 1, r.top, r.right, r.bottom}, c);
  }
  void Put(int x, int y, Rgb c) {
    std::uint8_t* p = &pixels_[(static_cast<std::size_t>(y) * width_ + x) * 3];
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
  }
  void Text(int x, int y, std::string_view cp932) {
    raster_.Draw(pixels_.data(), width_, height_, width_ * 3, x, y, cp932, kBoxFont);
  }
  std::vector<std::uint8_t> Take() { return std::move(pixels_); }

 private:
  TextRaster& raster_;
  int width_, height_;
  std::vector<std::uint8_t> pixels_;
};

// The error icon: a red disc with a white cross.
void DrawIcon(Canvas& canvas, const BoxRect& r) {
  const double centre = (kIconSize - 1) / 2.0;
  for (int y = 0; y < kIconSize; ++y) {
    for (int x = 0; x < kIconSize; ++x) {
      const double dx = x - centre, dy = y - centre;
      if (dx * dx + dy * dy > centre * centre + centre) continue;
      const bool cross =
          (dx > -8 && dx < 8) && (std::abs(dx - dy) < 1.6 || std::abs(dx + dy) < 1.6);
      canvas.Put(r.left + x, r.top + y, cross ? kWhite : kIconRed);
    }
  }
}

}  // namespace

std::vector<std::string> WrapText(TextRaster& raster, std::string_view cp932, const TextFont& font,
                                  int maxWidth) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= cp932.size()) {
    std::size_t end = cp932.find('\n', start);
    if (end == std::string_view::npos) end = cp932.size();
    std::string_view paragraph = cp932.substr(start, end - start);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.remove_suffix(1);
    std::string line;
    std::size_t lastSpace = std::string::npos;  // in `line`, where a break may go
    bool wrapped = false;                       // the paragraph has been broken
    for (std::size_t at = 0; at < paragraph.size();) {
      const std::size_t n = CharLength(paragraph, at);
      const std::string_view c = paragraph.substr(at, n);
      at += n;
      if (line.empty() && wrapped && c == " ") continue;
      if (!line.empty() && raster.Width(line + std::string(c), font) > maxWidth) {
        wrapped = true;
        if (c == " ") {
          lines.push_back(line);
          line.clear();
          lastSpace = std::string::npos;
          continue;
        }
        // A word of single-byte letters moves to the next line whole.
        const bool inWord = n == 1 && static_cast<unsigned char>(line.back()) > ' ' &&
                            static_cast<unsigned char>(line.back()) < 0x80;
        if (inWord && lastSpace != std::string::npos && lastSpace > 0) {
          lines.push_back(line.substr(0, lastSpace));
          line.erase(0, lastSpace + 1);
        } else {
          // Spaces where the line breaks are not shown.
          while (line.size() > 1 && line.back() == ' ') line.pop_back();
          lines.push_back(line);
          line.clear();
        }
        lastSpace = std::string::npos;
      }
      if (c == " ") lastSpace = line.size();
      line += c;
    }
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

BoxLayout LayOutErrorBox(TextRaster& raster, const std::string& utf8) {
  BoxLayout box;
  box.lines = WrapText(raster, ToCp932(utf8), kBoxFont, kBoxTextWidth);
  int widest = 0;
  for (const std::string& line : box.lines) widest = std::max(widest, raster.Width(line, kBoxFont));
  box.lineHeight = kBoxFont.height + kLineGap;
  const int textHeight = static_cast<int>(box.lines.size()) * box.lineHeight - kLineGap;
  box.textLeft = kMargin + kIconSize + kIconGap;
  box.width = std::max(kMinWidth, box.textLeft + widest + kMargin);
  const int content = std::max(kIconSize, textHeight);
  // A short message sits level with the middle of the icon.
  box.textTop = kMargin + (content - textHeight) / 2;
  box.icon = {kMargin, kMargin + (content - kIconSize) / 2, kMargin + kIconSize,
              kMargin + (content - kIconSize) / 2 + kIconSize};
  box.text = {box.textLeft, box.textTop, box.textLeft + widest, box.textTop + textHeight};
  const int strip = kMargin + content + kMargin;
  box.height = strip + kStripHeight;
  box.button = {box.width - 12 - kButtonWidth, strip + (kStripHeight - kButtonHeight) / 2,
                box.width - 12, strip + (kStripHeight + kButtonHeight) / 2};
  return box;
}

std::vector<std::uint8_t> DrawErrorBox(TextRaster& raster, const BoxLayout& box, bool pressed) {
  Canvas canvas(raster, box.width, box.height);
  const int strip = box.button.top - (kStripHeight - kButtonHeight) / 2;
  canvas.Fill({0, 0, box.width, strip}, kWhite);
  canvas.Fill({0, strip, box.width, box.height}, kStrip);
  DrawIcon(canvas, box.icon);
  for (std::size_t i = 0; i < box.lines.size(); ++i) {
    canvas.Text(box.textLeft, box.textTop + static_cast<int>(i) * box.lineHeight, box.lines[i]);
  }
  const BoxRect& b = box.button;
  canvas.Fill(b, pressed ? kButtonPressed : kButtonFace);
  // The default button: a blue border, and inside it a second one.
  canvas.Frame(b, kDefaultBorder);
  canvas.Frame({b.left + 1, b.top + 1, b.right - 1, b.bottom - 1}, kDefaultBorder);
  const std::string ok = "OK";
  const int shift = pressed ? 1 : 0;
  canvas.Text((b.left + b.right - raster.Width(ok, kBoxFont)) / 2 + shift,
              (b.top + b.bottom - kBoxFont.height) / 2 + shift, ok);
  return canvas.Take();
}

}  // namespace platform
