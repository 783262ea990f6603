// Any bytes as a JPEG file.
#include <exception>
#include <string_view>

#include "platform/ImageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const platform::Picture p =
        platform::DecodeJpeg(std::string_view(reinterpret_cast<const char*>(data), size));
    if (p.bgr.size() != static_cast<std::size_t>(p.width) * 3 * p.height) __builtin_trap();
  } catch (const std::exception&) {
  }
  return 0;
}
