#include "platform/ImageFile.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <cstdio>

#include <jpeglib.h>
// The library's message codes (JERR_IMAGE_TOO_BIG).
#include <jerror.h>

#include <csetjmp>
#include <memory>
#include <optional>
#include <stdexcept>

#include "platform/sdl/SdlShared.h"

namespace platform {
namespace {

const char* const kBadBitmap = "ビットマップイメージが不正です";

[[noreturn]] void BadBitmap() {
  throw std::runtime_error(kBadBitmap);
}

bool SizeAcceptable(long long width, long long height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

std::uint32_t Le32(std::string_view b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
std::uint16_t Le16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    static_cast<unsigned char>(b[at + 1]) << 8);
}

// Checks the declared size before the reader allocates anything for it.
void CheckBitmapHeader(std::string_view bytes) {
  if (bytes.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M') BadBitmap();
  long long width = 0;
  long long height = 0;
  std::uint32_t headerSize = Le32(bytes, 14);
  if (headerSize == 12) {  // OS/2 1.x core header: unsigned 16-bit sides
    width = Le16(bytes, 18);
    height = Le16(bytes, 20);
  } else {
    width = static_cast<std::int32_t>(Le32(bytes, 18));
    height = static_cast<std::int32_t>(Le32(bytes, 22));
    if (height < 0) height = -height;  // rows stored top to bottom
  }
  if (!SizeAcceptable(width, height)) BadBitmap();
}

// A 16- or 32-bit bitmap whose pixels are split by bit masks (BI_BITFIELDS,
// BI_ALPHABITFIELDS, or masks in a V2 header and later). SDL reads only the
// layouts its own pixel formats know; Windows reads every layout whose masks
// are runs of contiguous bits. Returns false when the file is of another
// kind (SDL reads it then); throws BadBitmap for a broken one.
bool DecodeBitFields(std::string_view bytes, Picture& picture) {
  if (bytes.size() < 54) return false;
  const std::uint32_t headerSize = Le32(bytes, 14);
  if (headerSize < 40) return false;
  const std::uint16_t bits = Le16(bytes, 28);
  const std::uint32_t compression = Le32(bytes, 30);
  constexpr std::uint32_t kBitFields = 3;
  constexpr std::uint32_t kAlphaBitFields = 6;
  if ((bits != 16 && bits != 32) || (compression != kBitFields && compression != kAlphaBitFields)) {
    return false;
  }
  // The masks follow a 40-byte header, or lie inside a longer one.
  const std::size_t masksAt = 14 + 40;
  if (bytes.size() < masksAt + 12) BadBitmap();
  std::uint32_t masks[3] = {Le32(bytes, masksAt), Le32(bytes, masksAt + 4),
                            Le32(bytes, masksAt + 8)};
  const long long width = static_cast<std::int32_t>(Le32(bytes, 18));
  const long long signedHeight = static_cast<std::int32_t>(Le32(bytes, 22));
  const bool topDown = signedHeight < 0;
  const long long height = topDown ? -signedHeight : signedHeight;
  if (!SizeAcceptable(width, height)) BadBitmap();

  struct Channel {
    int shift = 0;
    std::uint64_t max = 0;  // the largest value of the channel; 0: no bits
  } channels[3];
  const std::uint64_t limit = bits == 16 ? 0xFFFFu : 0xFFFFFFFFu;
  for (int c = 0; c < 3; ++c) {
    std::uint32_t m = masks[c];
    if (m == 0) continue;
    if (m > limit) BadBitmap();
    int shift = 0;
    while (!(m & 1u)) {
      m >>= 1;
      ++shift;
    }
    if ((static_cast<std::uint64_t>(m) + 1) & m) BadBitmap();  // bits not contiguous
    channels[c].shift = shift;
    channels[c].max = m;
  }
  for (int a = 0; a < 3; ++a) {
    for (int b = a + 1; b < 3; ++b) {
      if (masks[a] & masks[b]) BadBitmap();  // channels sharing bits
    }
  }

  const std::uint32_t offset = Le32(bytes, 10);
  const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  if (offset > bytes.size() ||
      (bytes.size() - offset) / stride < static_cast<std::size_t>(height)) {
    BadBitmap();
  }
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  picture.bgr.assign(static_cast<std::size_t>(width) * height * 3, 0);
  // Each channel scaled from its bits to 8 with rounding: 0 stays 0, the
  // largest value becomes 255.
  auto scale = [](std::uint32_t pixel, const Channel& ch) -> std::uint8_t {
    if (ch.max == 0) return 0;
    const std::uint64_t v = (pixel >> ch.shift) & ch.max;
    return static_cast<std::uint8_t>((v * 255 + ch.max / 2) / ch.max);
  };
  for (long long y = 0; y < height; ++y) {
    const std::size_t stored = static_cast<std::size_t>(topDown ? y : height - 1 - y);
    const std::string_view row = bytes.substr(offset + stored * stride, stride);
    std::uint8_t* out = picture.bgr.data() + static_cast<std::size_t>(y) * width * 3;
    for (long long x = 0; x < width; ++x, out += 3) {
      const std::uint32_t pixel = bits == 16 ? Le16(row, static_cast<std::size_t>(x) * 2)
                                             : Le32(row, static_cast<std::size_t>(x) * 4);
      out[0] = scale(pixel, channels[2]);
      out[1] = scale(pixel, channels[1]);
      out[2] = scale(pixel, channels[0]);
    }
  }
  return true;
}

// The JPEG library reports errors through error_exit, which must not return;
// it jumps back into DecodeJpegInto. Only plain data lives in the frames the
// jump leaves, so nothing is skipped that needed cleaning up.
struct JpegError {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  int code;
};

extern "C" void JpegErrorExit(j_common_ptr info) {
  auto* error = reinterpret_cast<JpegError*>(info->err);
  error->code = info->err->msg_code;
  std::longjmp(error->jump, 1);
}
extern "C" void JpegEmitMessage(j_common_ptr, int) {}  // warnings and traces ignored
extern "C" void JpegOutputMessage(j_common_ptr) {}

struct JpegJob {
  jpeg_decompress_struct info;
  JpegError error;
  Picture picture;
  std::vector<std::uint8_t> cmykRow;
  bool tooLarge = false;
};

// Returns 0 on success, else the library's message code (or -1 for a
// picture of an unacceptable size). The picture is left in job->picture.
int DecodeJpegInto(JpegJob* job, const unsigned char* data, unsigned long size) {
  job->info.err = jpeg_std_error(&job->error.base);
  job->error.base.error_exit = JpegErrorExit;
  job->error.base.emit_message = JpegEmitMessage;
  job->error.base.output_message = JpegOutputMessage;
  job->error.code = 0;
  if (setjmp(job->error.jump)) {
    jpeg_destroy_decompress(&job->info);
    return job->error.code;
  }
  jpeg_create_decompress(&job->info);
  jpeg_mem_src(&job->info, data, size);
  jpeg_read_header(&job->info, TRUE);
  if (!SizeAcceptable(job->info.image_width, job->info.image_height)) {
    jpeg_destroy_decompress(&job->info);
    job->tooLarge = true;
    return -1;
  }
  const bool cmyk =
      job->info.jpeg_color_space == JCS_CMYK || job->info.jpeg_color_space == JCS_YCCK;
  job->info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  job->info.scale_num = 1;
  job->info.scale_denom = 1;
  jpeg_start_decompress(&job->info);
  const int width = static_cast<int>(job->info.output_width);
  const int height = static_cast<int>(job->info.output_height);
  job->picture.width = width;
  job->picture.height = height;
  // Rows are added as they are decoded: a file that fails early costs the
  // rows it reached, not a cleared picture of the size it declares.
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  job->picture.bgr.reserve(stride * height);
  if (cmyk) job->cmykRow.assign(static_cast<std::size_t>(width) * 4, 0);
  while (job->info.output_scanline < job->info.output_height) {
    const std::size_t at = static_cast<std::size_t>(job->info.output_scanline) * stride;
    job->picture.bgr.resize(at + stride);
    std::uint8_t* row = job->picture.bgr.data() + at;
    JSAMPROW target = cmyk ? job->cmykRow.data() : row;
    if (jpeg_read_scanlines(&job->info, &target, 1) != 1) break;
    if (cmyk) {
      // Adobe writes CMYK inverted: each byte is 255 - ink, so the colour
      // channel is the product of the colour and key bytes.
      const std::uint8_t* s = job->cmykRow.data();
      for (int x = 0; x < width; ++x, s += 4, row += 3) {
        row[0] = static_cast<std::uint8_t>(s[2] * s[3] / 255);
        row[1] = static_cast<std::uint8_t>(s[1] * s[3] / 255);
        row[2] = static_cast<std::uint8_t>(s[0] * s[3] / 255);
      }
    }
  }
  job->picture.bgr.resize(stride * height);  // rows the library never gave stay black
  jpeg_finish_decompress(&job->info);
  jpeg_destroy_decompress(&job->info);
  return 0;
}

}  // namespace

Picture DecodeBitmap(std::string_view bytes) {
  CheckBitmapHeader(bytes);
  Picture own;
  if (DecodeBitFields(bytes, own)) return own;
  std::optional<Picture> read = DecodeBitmapWithSdl(bytes);
  if (!read || !SizeAcceptable(read->width, read->height)) BadBitmap();
  return std::move(*read);
}

Picture DecodeJpeg(std::string_view bytes) {
  auto job = std::make_unique<JpegJob>();
  int code = DecodeJpegInto(job.get(), reinterpret_cast<const unsigned char*>(bytes.data()),
                            static_cast<unsigned long>(bytes.size()));
  // A size past the limits is reported as the library reports a picture too
  // big for it.
  if (job->tooLarge) code = JERR_IMAGE_TOO_BIG;
  if (code != 0) throw std::runtime_error("JPEG エラー #" + std::to_string(code));
  return std::move(job->picture);
}

}  // namespace platform
