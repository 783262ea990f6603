// Shared pieces of the fuzz targets: a script host over bytes in memory and
// a reader of the input bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>

#include "script/GaleScript.h"
#include "testing/FakeHost.h"

namespace fuzz {

// The script host the tests share (testing/): files from memory, beeps and
// terminate requests counted.
using MemoryHost = ::FakeHost;

// Runs a picture decoder over the whole input. Errors are expected outcomes;
// a picture whose pixels do not fill its size stops the run.
template <typename Decode>
int DecodePicture(Decode decode, const std::uint8_t* data, std::size_t size) {
  try {
    const auto picture = decode(std::string_view(reinterpret_cast<const char*>(data), size));
    if (picture.bgr.size() != static_cast<std::size_t>(picture.width) * 3 * picture.height) {
      __builtin_trap();
    }
  } catch (const std::exception&) {
  }
  return 0;
}

// Splits the input into a few control bytes and the rest.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size)
      : p_(reinterpret_cast<const char*>(data)), n_(size) {}
  std::uint8_t Byte() {
    if (n_ == 0) return 0;
    --n_;
    return static_cast<std::uint8_t>(*p_++);
  }
  std::int16_t Int16() {
    const std::uint16_t lo = Byte();
    const std::uint16_t hi = Byte();
    return static_cast<std::int16_t>(lo | (hi << 8));
  }
  std::string Rest() const { return std::string(p_, n_); }

 private:
  const char* p_;
  std::size_t n_;
};

}  // namespace fuzz
