// Shared pieces of the fuzz targets: a script host over bytes in memory and
// a reader of the input bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "script/GaleScript.h"

namespace fuzz {

// A host whose files live in a map; beeps and terminate requests are counted.
class MemoryHost : public TScriptHost {
 public:
  std::map<std::string, std::string> files;
  int beeps = 0;
  int terminations = 0;

  void Beep() override { ++beeps; }
  void Terminate() override { ++terminations; }
  bool ReadFile(const std::string& path, std::string& bytes) override {
    auto it = files.find(path);
    if (it == files.end()) return false;
    bytes = it->second;
    return true;
  }
};

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
