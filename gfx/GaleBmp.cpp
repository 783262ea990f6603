#include "gfx/GaleBmp.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "gfx/Painter.h"
#include "platform/ImageFile.h"
#include "platform/Platform.h"
#include "platform/TextRaster.h"

namespace {

// The colour GDI reports for a pixel outside the picture; it matches no pixel.
constexpr TColorRef kInvalidColor = 0xFFFFFFFF;

// A rectangle of `width` x `height` pixels copied from (sx, sy) of a source of
// sw x sh pixels to (tx, ty) of a target of tw x th pixels, cut down to the
// part that lies inside both. Returns false when nothing is left.
bool Clip(int& tx, int& ty, int& sx, int& sy, int& width, int& height, int sw, int sh, int tw,
          int th) {
  const TRect to = ClipCopy(TRect::Sized(sx, sy, width, height), TRect{0, 0, sw, sh}, tx, ty,
                            TRect{0, 0, tw, th});
  if (to.Empty()) return false;
  sx = static_cast<int>(sx + (to.Left - tx));
  sy = static_cast<int>(sy + (to.Top - ty));
  tx = static_cast<int>(to.Left);
  ty = static_cast<int>(to.Top);
  width = static_cast<int>(to.Width());
  height = static_cast<int>(to.Height());
  return true;
}

// target = (target AND mask) OR source over n bytes, eight at a time.
void MaskRow(std::uint8_t* target, const std::uint8_t* mask, const std::uint8_t* source,
             std::size_t n) {
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t t, m, s;
    std::memcpy(&t, target + i, 8);
    std::memcpy(&m, mask + i, 8);
    std::memcpy(&s, source + i, 8);
    t = (t & m) | s;
    std::memcpy(target + i, &t, 8);
  }
  for (; i < n; ++i) target[i] = static_cast<std::uint8_t>((target[i] & mask[i]) | source[i]);
}

}  // namespace

struct TGaleBitmap::Impl {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // height rows of 3 * width bytes
  platform::TextFont font{20, fsBold, 0};
  platform::TextRaster* text = nullptr;

  platform::TextRaster& Text() const {
    if (!text) throw std::logic_error("text drawn on a surface without a rasteriser");
    return *text;
  }

  std::size_t Stride() const { return static_cast<std::size_t>(width) * 3; }
};

TGaleBitmap::TGaleBitmap() : impl_(std::make_unique<Impl>()) {}

TGaleBitmap::~TGaleBitmap() = default;

int TGaleBitmap::Width() const {
  return impl_->width;
}
int TGaleBitmap::Height() const {
  return impl_->height;
}

void TGaleBitmap::LoadImage(platform::Platform& machine, const std::string& name) {
  std::string bytes;
  if (!machine.ReadFile(name, bytes)) throw std::runtime_error(platform::CannotOpenMessage(name));
  DecodeImage(name, bytes);
}

void TGaleBitmap::DecodeImage(const std::string& name, std::string_view bytes) {
  const std::size_t n = name.size();
  const bool jpeg = (n >= 4 && name.compare(n - 4, 4, ".jpg") == 0) ||
                    (n >= 5 && name.compare(n - 5, 5, ".jpeg") == 0);
  platform::Picture picture = jpeg ? platform::DecodeJpeg(bytes) : platform::DecodeBitmap(bytes);
  impl_->width = picture.width;
  impl_->height = picture.height;
  impl_->pixels = std::move(picture.bgr);
  RebuildRows();
}

void TGaleBitmap::Resize(int width, int height, TPixel color) {
  if (width < 0 || height < 0 || width > platform::kMaxPictureSide ||
      height > platform::kMaxPictureSide ||
      static_cast<long long>(width) * height > platform::kMaxPicturePixels) {
    throw std::runtime_error("画像の大きさが不正です (" + std::to_string(width) + " x " +
                             std::to_string(height) + ")");
  }
  impl_->width = width;
  impl_->height = height;
  impl_->pixels.assign(impl_->Stride() * height, 0);
  impl_->pixels.shrink_to_fit();
  RebuildRows();
  Fill(color);
}

void TGaleBitmap::Fill(TPixel color) {
  const std::size_t stride = impl_->Stride();
  if (stride == 0 || impl_->height == 0) return;
  // Build the first row, then copy it down.
  std::uint8_t* first = impl_->pixels.data();
  for (std::size_t i = 0; i < stride; i += 3) {
    first[i] = color.b;
    first[i + 1] = color.g;
    first[i + 2] = color.r;
  }
  for (int y = 1; y < impl_->height; ++y) std::memcpy(first + y * stride, first, stride);
}

void TGaleBitmap::GrowTo(int width, int height, TPixel color) {
  if (impl_->width >= width && impl_->height >= height) return;
  TGaleBitmap grown;
  grown.Resize(std::max(impl_->width, width), std::max(impl_->height, height), color);
  CopyBlock(grown, 0, 0, impl_->width, impl_->height, 0, 0);
  grown.impl_->font = impl_->font;
  std::swap(impl_, grown.impl_);
  RebuildRows();
}

void TGaleBitmap::RebuildRows() {
  // The store is always 24 bits per pixel; only the addresses need renewing.
  const std::size_t stride = impl_->Stride();
  Rows.assign(static_cast<std::size_t>(impl_->height), nullptr);
  for (int y = 0; y < impl_->height; ++y) Rows[y] = impl_->pixels.data() + y * stride;
}

void TGaleBitmap::MakeTransparentAt(int x, int y) {
  TColorRef key = kInvalidColor;
  if (TRect::Of(*this).Contains(x, y)) {
    key = ToColorRef(TPainter(*this).At(x, y));
  }
  MakeTransparent(key);
}

void TGaleBitmap::MakeTransparent(TColorRef key) {
  auto mask = std::make_unique<TGaleBitmap>();
  mask->Resize(impl_->width, impl_->height, TPixel{0, 0, 0});
  if (key <= 0xFFFFFF) {
    const TPixel k = ToPixel(key);
    std::uint8_t* p = impl_->pixels.data();
    std::uint8_t* m = mask->impl_->pixels.data();
    const std::size_t n = impl_->pixels.size();
    for (std::size_t i = 0; i < n; i += 3) {
      if (p[i] == k.b && p[i + 1] == k.g && p[i + 2] == k.r) {
        m[i] = m[i + 1] = m[i + 2] = 255;
        p[i] = p[i + 1] = p[i + 2] = 0;  // this AND NOT mask
      }
    }
  }
  Mask = std::move(mask);
}

void TGaleBitmap::DrawOnto(TGaleBitmap& target, int x, int y) const {
  const Impl& src = *impl_;
  // Drawing onto itself or its own mask: work from a snapshot of this picture.
  if (&target == this || (Mask && &target == Mask.get())) {
    TGaleBitmap copy;
    copy.impl_->width = src.width;
    copy.impl_->height = src.height;
    copy.impl_->pixels = src.pixels;
    if (Mask) {
      copy.Mask = std::make_unique<TGaleBitmap>();
      copy.Mask->impl_->width = Mask->impl_->width;
      copy.Mask->impl_->height = Mask->impl_->height;
      copy.Mask->impl_->pixels = Mask->impl_->pixels;
    }
    copy.DrawOnto(target, x, y);
    return;
  }
  if (!Mask) {
    CopyBlock(target, x, y, src.width, src.height, 0, 0);
    return;
  }
  int tx = x, ty = y, sx = 0, sy = 0, w = src.width, h = src.height;
  Impl& dst = *target.impl_;
  if (!Clip(tx, ty, sx, sy, w, h, src.width, src.height, dst.width, dst.height)) return;
  // The mask may be smaller than the picture when a new picture was loaded
  // without a new MakeTransparent; where it does not reach, the picture is
  // drawn as it is (opaque).
  const Impl& mask = *Mask->impl_;
  const std::size_t srcStride = src.Stride(), dstStride = dst.Stride(), maskStride = mask.Stride();
  for (int row = 0; row < h; ++row) {
    const int syRow = sy + row;
    std::uint8_t* t = dst.pixels.data() + (ty + row) * dstStride + 3 * static_cast<std::size_t>(tx);
    const std::uint8_t* s =
        src.pixels.data() + syRow * srcStride + 3 * static_cast<std::size_t>(sx);
    int masked = 0;  // columns of this row the mask covers
    if (syRow < mask.height && sx < mask.width) masked = std::min(w, mask.width - sx);
    if (masked > 0) {
      const std::uint8_t* m =
          mask.pixels.data() + syRow * maskStride + 3 * static_cast<std::size_t>(sx);
      MaskRow(t, m, s, 3 * static_cast<std::size_t>(masked));
    }
    if (masked < w) {
      std::memcpy(t + 3 * static_cast<std::size_t>(masked),
                  s + 3 * static_cast<std::size_t>(masked),
                  3 * static_cast<std::size_t>(w - masked));
    }
  }
}

void TGaleBitmap::PresentTo(platform::Platform& paintBox) const {
  static const std::uint8_t kNothing[3] = {0, 0, 0};
  const std::uint8_t* pixels = impl_->pixels.empty() ? kNothing : impl_->pixels.data();
  paintBox.Present(pixels, impl_->width, impl_->height, static_cast<int>(impl_->Stride()));
}

void TGaleBitmap::CopyBlock(TGaleBitmap& target, int x, int y, int width, int height, int sourceX,
                            int sourceY) const {
  const Impl& src = *impl_;
  Impl& dst = *target.impl_;
  if (!Clip(x, y, sourceX, sourceY, width, height, src.width, src.height, dst.width, dst.height)) {
    return;
  }
  const std::size_t srcStride = src.Stride(), dstStride = dst.Stride();
  const std::size_t bytes = 3 * static_cast<std::size_t>(width);
  auto copyRow = [&](int row) {
    std::memmove(
        dst.pixels.data() + (y + row) * dstStride + 3 * static_cast<std::size_t>(x),
        src.pixels.data() + (sourceY + row) * srcStride + 3 * static_cast<std::size_t>(sourceX),
        bytes);
  };
  // Within one surface, copy downward moves bottom rows first so no source
  // row is overwritten before it is read.
  if (&target == this && y > sourceY) {
    for (int row = height - 1; row >= 0; --row) copyRow(row);
  } else {
    for (int row = 0; row < height; ++row) copyRow(row);
  }
}

void TGaleBitmap::UseText(platform::TextRaster& text) {
  impl_->text = &text;
}

void TGaleBitmap::SetFont(int height, std::uint8_t style, TColorRef color) {
  impl_->font = platform::TextFont{height, style, color};
}

void TGaleBitmap::DrawText(int x, int y, const std::string& text) {
  impl_->Text().Draw(impl_->pixels.data(), impl_->width, impl_->height,
                     static_cast<int>(impl_->Stride()), x, y, text, impl_->font);
}

int TGaleBitmap::FontHeight() const {
  return impl_->font.height;
}

int TGaleBitmap::TextWidth(const std::string& text) const {
  return impl_->Text().Width(text, impl_->font);
}

bool SameColor(TPixel a, TPixel b) {
  return a.b == b.b && a.g == b.g && a.r == b.r;
}
