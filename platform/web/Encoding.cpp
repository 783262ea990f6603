// The encodings in the web build, whose C library has no CP932: tables made
// at build time from the build machine's GNU C library (cp932-table.py), so
// that every conversion gives the bytes the Linux build's iconv gives.
// Implements everything declared in platform/Encoding.h, driven as the
// iconv version drives iconv: bytes that do not decode are skipped (or
// replaced) one at a time; a character CP932 cannot hold stops the
// conversion to CP932 where it starts.
#include "platform/Encoding.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace platform {
namespace {

#include "Cp932Table.inc"

// Whether a byte starts a two-byte character.
bool IsLead(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The code point of a two-byte character, or 0 when the pair is none.
char32_t DecodePair(unsigned char lead, unsigned char trail) {
  const auto* at = std::lower_bound(std::begin(kCp932Leads), std::end(kCp932Leads), lead);
  if (at == std::end(kCp932Leads) || *at != lead) return 0;
  return kCp932Double[static_cast<std::size_t>(at - std::begin(kCp932Leads)) * 256 + trail];
}

// Walks CP932 text; each character goes to onChar, each byte that starts no
// character to onBad, and is skipped.
template <typename OnChar, typename OnBad>
void Decode(std::string_view text, OnChar onChar, OnBad onBad) {
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (IsLead(b)) {
      const char32_t c =
          i + 1 < text.size() ? DecodePair(b, static_cast<unsigned char>(text[i + 1])) : 0;
      if (c != 0) {
        onChar(c);
        i += 2;
        continue;
      }
    } else if (kCp932Single[b] != 0xFFFF) {
      onChar(static_cast<char32_t>(kCp932Single[b]));
      i += 1;
      continue;
    }
    onBad();
    i += 1;
  }
}

// One UTF-8 character starting at text[i], strictly (no overlong forms, no
// surrogates, nothing above U+10FFFF); returns its length, 0 when malformed.
std::size_t NextUtf8(std::string_view text, std::size_t i, char32_t& c) {
  const unsigned char b = static_cast<unsigned char>(text[i]);
  std::size_t length;
  char32_t min;
  if (b < 0x80) {
    c = b;
    return 1;
  } else if (b >= 0xC2 && b <= 0xDF) {
    length = 2, min = 0x80, c = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3, min = 0x800, c = b & 0x0F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4, min = 0x10000, c = b & 0x07;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const unsigned char t = static_cast<unsigned char>(text[i + k]);
    if ((t & 0xC0) != 0x80) return 0;
    c = (c << 6) | (t & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return length;
}

// One code point to CP932 as the table has it; false when CP932 cannot hold it.
bool EncodeOne(char32_t c, std::string& out) {
  const auto* at =
      std::lower_bound(std::begin(kCp932Encode), std::end(kCp932Encode), c,
                       [](const Cp932Encoding& e, char32_t code) { return e.code < code; });
  if (at == std::end(kCp932Encode) || at->code != c) return false;
  if (at->bytes == 0xFFFF) return true;  // written as nothing
  if (at->bytes >= 0x100) out += static_cast<char>(at->bytes >> 8);
  out += static_cast<char>(at->bytes & 0xFF);
  return true;
}

}  // namespace

std::u32string Cp932ToUtf32(std::string_view text) {
  std::u32string result;
  Decode(
      text, [&](char32_t c) { result += c; }, [] {});
  return result;
}

std::string Cp932ToUtf8(std::string_view text) {
  std::string result;
  Decode(
      text, [&](char32_t c) { AppendUtf8(result, c); }, [&] { result += "\xEF\xBF\xBD"; });
  return result;
}

bool Utf8ToCp932(std::string_view text, std::string& out, std::size_t& badOffset) {
  out.clear();
  std::size_t i = 0;
  while (i < text.size()) {
    char32_t c = 0;
    const std::size_t length = NextUtf8(text, i, c);
    if (length == 0 || !EncodeOne(c, out)) {
      badOffset = i;
      return false;
    }
    i += length;
  }
  return true;
}

}  // namespace platform
