// Any bytes as a .bmp file.
#include "fuzz/FuzzSupport.h"
#include "platform/ImageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return fuzz::DecodePicture(platform::DecodeBitmap, data, size);
}
