#include "script/MyCrypt.h"

static_assert(kScrambleMask != 0 && kScrambleMask < 0x20, "the mask must keep control bytes apart");

std::string ScrambleLine(const std::string& line) {
  std::string result = line;
  for (char& c : result) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20) c = static_cast<char>(byte ^ kScrambleMask);
  }
  return result;
}
