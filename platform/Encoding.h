// Conversions between the game's CP932 (Windows Shift-JIS) bytes and the
// encodings of the machine. Game text stays CP932 everywhere else.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// CP932 to UTF-32 for drawing. Bytes that do not decode are skipped.
std::u32string Cp932ToUtf32(std::string_view text);

// CP932 to UTF-8 for messages and file names. Bytes that do not decode become
// U+FFFD.
std::string Cp932ToUtf8(std::string_view text);

// UTF-8 to CP932. On a character CP932 cannot hold, or on bytes that are not
// UTF-8, returns false and sets badOffset to the byte offset in `text` where
// the failing character starts.
bool Utf8ToCp932(std::string_view text, std::string& out, std::size_t& badOffset);

// Appends the UTF-8 bytes of one code point (up to U+10FFFF).
inline void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// An ASCII capital as its small letter; every other byte as it is.
constexpr char FoldAsciiLetter(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace platform
