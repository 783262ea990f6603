#include "platform/ImageFile.h"

#include <SDL.h>
// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>
#include <cstdio>

#include <csetjmp>
#include <cstring>
#include <memory>
#include <stdexcept>

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

struct SurfaceFree {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceFree>;

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
  job->picture.bgr.assign(static_cast<std::size_t>(width) * height * 3, 0);
  if (cmyk) job->cmykRow.assign(static_cast<std::size_t>(width) * 4, 0);
  while (job->info.output_scanline < job->info.output_height) {
    std::uint8_t* row =
        job->picture.bgr.data() + static_cast<std::size_t>(job->info.output_scanline) * width * 3;
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
  jpeg_finish_decompress(&job->info);
  jpeg_destroy_decompress(&job->info);
  return 0;
}

}  // namespace

Picture DecodeBitmap(std::string_view bytes) {
  CheckBitmapHeader(bytes);
  SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (!stream) BadBitmap();
  SurfacePtr loaded(SDL_LoadBMP_RW(stream, 1));
  if (!loaded) BadBitmap();
  SurfacePtr bgr(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_BGR24, 0));
  if (!bgr || !SizeAcceptable(bgr->w, bgr->h)) BadBitmap();
  Picture picture;
  picture.width = bgr->w;
  picture.height = bgr->h;
  const std::size_t rowBytes = static_cast<std::size_t>(bgr->w) * 3;
  picture.bgr.resize(rowBytes * bgr->h);
  if (SDL_LockSurface(bgr.get()) != 0) BadBitmap();
  for (int y = 0; y < bgr->h; ++y) {
    std::memcpy(
        picture.bgr.data() + y * rowBytes,
        static_cast<const std::uint8_t*>(bgr->pixels) + static_cast<std::size_t>(y) * bgr->pitch,
        rowBytes);
  }
  SDL_UnlockSurface(bgr.get());
  return picture;
}

Picture DecodeJpeg(std::string_view bytes) {
  auto job = std::make_unique<JpegJob>();
  int code = DecodeJpegInto(job.get(), reinterpret_cast<const unsigned char*>(bytes.data()),
                            static_cast<unsigned long>(bytes.size()));
  if (job->tooLarge) BadBitmap();
  if (code != 0) throw std::runtime_error("JPEG エラー #" + std::to_string(code));
  return std::move(job->picture);
}

}  // namespace platform
