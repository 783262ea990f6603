#include "platform/TextRaster.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/Encoding.h"
#include "platform/FontFaces.h"

namespace platform {
namespace {

constexpr int kDefaultCellHeight = 16;
constexpr int kMaxHeight = 2000;
// Slant of the simulated italic, as a 16.16 shear factor (about 12 degrees).
constexpr FT_Fixed kItalicShear = 0x3800;
constexpr std::size_t kMaxCachedStrings = 512;

// One glyph as horizontal runs of ink, relative to the pen position on the
// top edge of the cell.
struct Run {
  int dy;
  int dx;
  int length;
};
struct Glyph {
  int advance = 0;
  std::vector<Run> runs;
};

// Everything that depends on height and the glyph-changing styles.
struct SizedFace {
  double ppem = 0;   // pixels per em
  double scale = 0;  // pixels per font unit
  int cellHeight = 0;
  int ascent = 0;
  int boldWiden = 0;  // 26.6 strength of the simulated bold
  std::uint8_t style = 0;
  std::unordered_map<char32_t, Glyph> glyphs;
};

// Set by UseShippedFont: the shipped font before anything the system offers.
std::atomic<bool> shippedFontFirst{false};

// The candidates: the system is asked once in the life of the program.
std::vector<FaceFile> Candidates() {
  static const std::vector<FaceFile> system = FaceCandidates();
  std::vector<FaceFile> all;
  if (shippedFontFirst) all.push_back({ShippedFontPath(), 0});
  all.insert(all.end(), system.begin(), system.end());
  return all;
}

}  // namespace

class TextRaster::Impl {
 public:
  Impl() {
    if (FT_Init_FreeType(&library_) != 0) throw std::runtime_error("FreeType を初期化できません");
    for (const FaceFile& candidate : Candidates()) {
      FT_Face face = nullptr;
      if (OpenFace(library_, candidate, &face) != 0) continue;
      if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
        FT_Done_Face(face);
        continue;
      }
      face_ = face;
      path_ = candidate.path;
      break;
    }
    if (!face_) {
      FT_Done_FreeType(library_);
      throw std::runtime_error("文字を描くフォントが見つかりません (no usable font face found)");
    }
    FT_Select_Charmap(face_, FT_ENCODING_UNICODE);
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
      winAscent_ = os2->usWinAscent;
      winDescent_ = os2->usWinDescent;
      strikePosition_ = os2->yStrikeoutPosition;
      strikeSize_ = os2->yStrikeoutSize;
    } else {
      winAscent_ = face_->ascender;
      winDescent_ = -face_->descender;
      if (winAscent_ + winDescent_ <= 0) {
        winAscent_ = face_->units_per_EM * 4 / 5;
        winDescent_ = face_->units_per_EM - winAscent_;
      }
    }
    if (strikeSize_ <= 0) {
      strikeSize_ = face_->units_per_EM / 20;
      strikePosition_ = static_cast<int>(winAscent_ * 3 / 10);
    }
  }
  ~Impl() {
    FT_Done_Face(face_);
    FT_Done_FreeType(library_);
  }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  const std::string& Path() const { return path_; }
  bool Has(char32_t c) const { return FT_Get_Char_Index(face_, c) != 0; }

  void Draw(std::uint8_t* pixels, int width, int height, int stride, int x, int y,
            std::string_view cp932, const TextFont& font) {
    if (!pixels || width <= 0 || height <= 0) return;
    const std::u32string& text = Decode(cp932);
    if (text.empty()) return;
    SizedFace& sized = Sized(font.height, font.style);
    const std::uint8_t red = font.rgb & 0xFF;
    const std::uint8_t green = (font.rgb >> 8) & 0xFF;
    const std::uint8_t blue = (font.rgb >> 16) & 0xFF;
    auto span = [&](long long row, long long from, long long to) {
      if (row < 0 || row >= height) return;
      from = std::max<long long>(from, 0);
      to = std::min<long long>(to, width);
      if (from >= to) return;
      std::uint8_t* p = pixels + row * stride + from * 3;
      for (long long i = from; i < to; ++i, p += 3) {
        p[0] = blue;
        p[1] = green;
        p[2] = red;
      }
    };
    long long pen = x;
    const long long stop = static_cast<long long>(width) + 4LL * sized.cellHeight;
    for (char32_t c : text) {
      if (pen > stop) break;
      const Glyph& glyph = GlyphOf(sized, c);
      for (const Run& run : glyph.runs) {
        span(static_cast<long long>(y) + run.dy, pen + run.dx, pen + run.dx + run.length);
      }
      pen += glyph.advance;
    }
    // Underline and strike-out run across the whole advance of the text.
    if (font.style & (kTextUnderline | kTextStrikeOut)) {
      const long long baseline = static_cast<long long>(y) + sized.ascent;
      if (font.style & kTextUnderline) {
        int thickness =
            std::max(1, static_cast<int>(std::lround(face_->underline_thickness * sized.scale)));
        long long top = baseline - std::lround(face_->underline_position * sized.scale);
        for (int i = 0; i < thickness; ++i) span(top + i, x, pen);
      }
      if (font.style & kTextStrikeOut) {
        int thickness = std::max(1, static_cast<int>(std::lround(strikeSize_ * sized.scale)));
        long long top = baseline - std::lround(strikePosition_ * sized.scale);
        for (int i = 0; i < thickness; ++i) span(top + i, x, pen);
      }
    }
  }

  int Width(std::string_view cp932, const TextFont& font) {
    const std::u32string& text = Decode(cp932);
    SizedFace& sized = Sized(font.height, font.style);
    long long total = 0;
    for (char32_t c : text) total += GlyphOf(sized, c).advance;
    return static_cast<int>(std::min<long long>(total, 0x7FFFFFFF));
  }

 private:
  // Recent strings, so the text drawn every frame is converted only once.
  const std::u32string& Decode(std::string_view cp932) {
    auto it = decoded_.find(std::string(cp932));
    if (it != decoded_.end()) return it->second;
    if (decoded_.size() >= kMaxCachedStrings) decoded_.clear();
    return decoded_.emplace(std::string(cp932), Cp932ToUtf32(cp932)).first->second;
  }

  SizedFace& Sized(int height, std::uint8_t style) {
    height = std::clamp(height, -kMaxHeight, kMaxHeight);
    if (height == 0) height = kDefaultCellHeight;
    const std::uint8_t glyphStyle = style & (kTextBold | kTextItalic);
    auto key = std::make_pair(height, glyphStyle);
    auto it = sizes_.find(key);
    if (it != sizes_.end()) return it->second;
    SizedFace& sized = sizes_[key];
    const double cellUnits = static_cast<double>(winAscent_) + winDescent_;
    if (height > 0) {
      sized.cellHeight = height;
      sized.scale = height / cellUnits;
    } else {
      sized.scale = static_cast<double>(-height) / face_->units_per_EM;
      sized.cellHeight = static_cast<int>(std::lround(cellUnits * sized.scale));
    }
    sized.ppem = sized.scale * face_->units_per_EM;
    sized.ascent = static_cast<int>(std::lround(winAscent_ * sized.scale));
    sized.style = glyphStyle;
    // The simulated bold thickens the strokes by about a 24th of the em,
    // to the right, and widens every advance by that much, rounded up to
    // whole pixels: at the game's sizes one pixel.
    if (glyphStyle & kTextBold) {
      sized.boldWiden = std::max(32, static_cast<int>(std::lround(sized.ppem * 64 / 24)));
    }
    return sized;
  }

  // The cached glyph, rendered on first use. Once the cache holds more than
  // kTextCacheRunLimit runs, every size forgets its glyphs first, so a story
  // that uses many sizes cannot grow it without bound.
  const Glyph& GlyphOf(SizedFace& sized, char32_t c) {
    auto it = sized.glyphs.find(c);
    if (it != sized.glyphs.end()) return it->second;
    if (cachedRuns_ > kTextCacheRunLimit) {
      for (auto& entry : sizes_) entry.second.glyphs.clear();
      cachedRuns_ = 0;
    }
    Glyph& glyph = sized.glyphs[c];
    Render(sized, c, glyph);
    cachedRuns_ += glyph.runs.size() + 1;
    return glyph;
  }

 public:
  std::size_t CachedRuns() const { return cachedRuns_; }

 private:
  void Render(SizedFace& sized, char32_t c, Glyph& glyph) {
    if (c < 0x20 || c == 0x7F) return;  // control characters draw nothing
    if (current_ != &sized) {
      if (FT_Set_Char_Size(face_, 0, static_cast<FT_F26Dot6>(std::lround(sized.ppem * 64)), 72,
                           72) != 0) {
        return;
      }
      current_ = &sized;
    }
    FT_UInt index = FT_Get_Char_Index(face_, c);
    if (FT_Load_Glyph(face_, index, FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP) != 0) return;
    FT_GlyphSlot slot = face_->glyph;
    int widenPixels = 0;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      if (sized.style & kTextItalic) {
        FT_Matrix shear{0x10000, kItalicShear, 0, 0x10000};
        FT_Outline_Transform(&slot->outline, &shear);
      }
      if (sized.style & kTextBold) {
        FT_Outline_EmboldenXY(&slot->outline, sized.boldWiden, 0);
        // The outline grew by half the strength on each side; keep the left
        // edge where it was, as the GDI does.
        FT_Outline_Translate(&slot->outline, sized.boldWiden / 2, 0);
        widenPixels = (sized.boldWiden + 63) / 64;
      }
    }
    glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6) + widenPixels;
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO) return;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      const unsigned char* bits = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
      if (bitmap.pitch < 0) {
        bits = bitmap.buffer + static_cast<long>(bitmap.rows - 1 - row) * -bitmap.pitch;
      }
      int dy = sized.ascent - slot->bitmap_top + static_cast<int>(row);
      unsigned col = 0;
      while (col < bitmap.width) {
        if (!(bits[col >> 3] & (0x80 >> (col & 7)))) {
          ++col;
          continue;
        }
        unsigned start = col;
        while (col < bitmap.width && (bits[col >> 3] & (0x80 >> (col & 7)))) ++col;
        glyph.runs.push_back(
            {dy, slot->bitmap_left + static_cast<int>(start), static_cast<int>(col - start)});
      }
    }
    return;
  }

  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  std::string path_;
  long winAscent_ = 0;
  long winDescent_ = 0;
  long strikePosition_ = 0;
  long strikeSize_ = 0;
  const SizedFace* current_ = nullptr;  // the size FreeType is set to
  std::size_t cachedRuns_ = 0;          // runs (plus one per glyph) in the cache
  std::map<std::pair<int, std::uint8_t>, SizedFace> sizes_;
  std::unordered_map<std::string, std::u32string> decoded_;
};

TextRaster::TextRaster() = default;
TextRaster::~TextRaster() = default;

TextRaster::Impl& TextRaster::Face() {
  if (!impl_) impl_ = std::make_unique<Impl>();
  return *impl_;
}

void TextRaster::Draw(std::uint8_t* pixels, int width, int height, int stride, int x, int y,
                      std::string_view cp932, const TextFont& font) {
  Face().Draw(pixels, width, height, stride, x, y, cp932, font);
}

int TextRaster::Width(std::string_view cp932, const TextFont& font) {
  return Face().Width(cp932, font);
}

bool TextRaster::HasGlyph(char32_t c) {
  return Face().Has(c);
}

std::size_t TextRaster::CacheRuns() const {
  return impl_ ? impl_->CachedRuns() : 0;
}

const std::string& TextRaster::FacePath() {
  return Face().Path();
}

void UseShippedFont() {
  shippedFontFirst = true;
}

}  // namespace platform
