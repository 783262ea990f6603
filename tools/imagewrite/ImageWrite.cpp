#include "tools/imagewrite/ImageWrite.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include <jpeglib.h>
#include <png.h>

#include "platform/Files.h"

namespace imagewrite {
namespace {

void CheckPicture(const std::string& what, const std::uint8_t* bgr, int width, int height,
                  int stride) {
  if (bgr == nullptr || width <= 0 || height <= 0 || stride < width * 3) {
    throw std::runtime_error(what + ": no picture to write (" + std::to_string(width) + "x" +
                             std::to_string(height) + ", stride " + std::to_string(stride) + ")");
  }
}

// Writes the bytes to the file in one go; on any failure the file is removed
// so that a half-written picture never stays behind.
void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  {
    std::ofstream out(platform::NativePath(path), std::ios::binary | std::ios::trunc);
    if (out) {
      out.write(reinterpret_cast<const char*>(bytes.data()),
                static_cast<std::streamsize>(bytes.size()));
      out.close();
      if (out) return;
    }
  }
  std::error_code ec;
  std::filesystem::remove(platform::NativePath(path), ec);
  throw std::runtime_error("cannot write " + path);
}

void PutLe16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  out[at] = static_cast<std::uint8_t>(v);
  out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void PutLe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  PutLe16(out, at, v & 0xFFFF);
  PutLe16(out, at + 2, v >> 16);
}

struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

void JpegSilence(j_common_ptr, int) {}

void PngWriteBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void PngFlush(png_structp) {}

void PngError(png_structp png, png_const_charp message) {
  auto* text = static_cast<std::string*>(png_get_error_ptr(png));
  if (text != nullptr) *text = message;
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

}  // namespace

std::vector<std::uint8_t> EncodeBmp(const std::uint8_t* bgr, int width, int height, int stride) {
  CheckPicture("bitmap", bgr, width, height, stride);
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  const std::size_t imageBytes = rowBytes * static_cast<std::size_t>(height);
  if (imageBytes > 0x7FFF0000u) throw std::runtime_error("bitmap: picture too large");
  std::vector<std::uint8_t> out(54 + imageBytes, 0);
  out[0] = 'B';
  out[1] = 'M';
  PutLe32(out, 2, static_cast<std::uint32_t>(out.size()));
  PutLe32(out, 10, 54);  // offset of the pixels
  PutLe32(out, 14, 40);  // BITMAPINFOHEADER
  PutLe32(out, 18, static_cast<std::uint32_t>(width));
  PutLe32(out, 22, static_cast<std::uint32_t>(height));  // positive: bottom-up
  PutLe16(out, 26, 1);                                   // planes
  PutLe16(out, 28, 24);                                  // bits per pixel
  PutLe32(out, 30, 0);                                   // BI_RGB
  PutLe32(out, 34, static_cast<std::uint32_t>(imageBytes));
  PutLe32(out, 38, 2835);  // 72 dpi
  PutLe32(out, 42, 2835);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* src = bgr + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
    std::uint8_t* dst = out.data() + 54 + rowBytes * static_cast<std::size_t>(height - 1 - y);
    std::memcpy(dst, src, static_cast<std::size_t>(width) * 3);
  }
  return out;
}

void WriteBmp(const std::string& path, const std::uint8_t* bgr, int width, int height, int stride) {
  WriteFileBytes(path, EncodeBmp(bgr, width, height, stride));
}

void WriteJpeg(const std::string& path, const std::uint8_t* bgr, int width, int height, int stride,
               int quality) {
  CheckPicture(path, bgr, width, height, stride);
  if (quality < 1 || quality > 100) throw std::runtime_error(path + ": JPEG quality out of range");

  // Everything that must survive a longjmp lives outside the guarded part and
  // has no destructor work pending across it.
  std::vector<std::uint8_t> bytes;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_compress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = JpegErrorExit;
  err.mgr.emit_message = JpegSilence;
  err.message[0] = '\0';
  if (setjmp(err.jump) != 0) {
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    throw std::runtime_error(path + ": JPEG error: " + err.message);
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  const int sampling = quality >= 90 ? 1 : 2;
  cinfo.comp_info[0].h_samp_factor = sampling;
  cinfo.comp_info[0].v_samp_factor = sampling;
  cinfo.dct_method = JDCT_ISLOW;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(bgr + static_cast<std::size_t>(cinfo.next_scanline) *
                                                  static_cast<std::size_t>(stride));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  bytes.assign(buffer, buffer + size);
  std::free(buffer);
  WriteFileBytes(path, bytes);
}

void WritePng(const std::string& path, const std::uint8_t* bgr, int width, int height, int stride) {
  CheckPicture(path, bgr, width, height, stride);
  std::vector<std::uint8_t> bytes;
  std::string message = "unknown error";
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &message, PngError, PngWarning);
  if (png == nullptr) throw std::runtime_error(path + ": PNG writer cannot start");
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    throw std::runtime_error(path + ": PNG writer cannot start");
  }
  if (setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error(path + ": PNG error: " + message);
  }
  png_set_write_fn(png, &bytes, PngWriteBytes, PngFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 6);
  png_write_info(png, info);
  png_set_bgr(png);
  for (int y = 0; y < height; ++y) {
    png_write_row(png, const_cast<png_bytep>(bgr + static_cast<std::size_t>(y) *
                                                       static_cast<std::size_t>(stride)));
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  WriteFileBytes(path, bytes);
}

}  // namespace imagewrite
