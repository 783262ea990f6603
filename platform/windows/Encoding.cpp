// The encodings on Windows: CP932 through the system's code-page conversion
// (MultiByteToWideChar / WideCharToMultiByte). Implements everything declared
// in platform/Encoding.h, with the results the iconv version gives on Linux:
// bytes that do not decode are skipped (or replaced) one at a time, byte 0x80
// does not decode, and the handful of extra characters iconv's CP932 accepts
// (the yen sign, the wave dash, ...) are written as iconv writes them.
#include "platform/Encoding.h"

#include <windows.h>

#include <cstdint>

namespace platform {
namespace {

constexpr UINT kCp932 = 932;

// Whether a byte starts a two-byte character.
bool IsLead(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Decodes one character of one or two bytes strictly; false when it does not
// decode. Windows maps 0x80 to U+0080; iconv rejects it, and so do we.
bool DecodeOne(const char* bytes, int length, std::u16string& out) {
  if (length == 1 && static_cast<unsigned char>(bytes[0]) == 0x80) return false;
  wchar_t units[2];
  int n = MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, bytes, length, units, 2);
  if (n <= 0) return false;
  out.append(reinterpret_cast<const char16_t*>(units), static_cast<std::size_t>(n));
  return true;
}

// CP932 to UTF-16; each byte that starts no valid character calls onBad and
// is skipped. Whole text in one call when it is clean (the usual case).
template <typename OnBad>
std::u16string Decode(std::string_view text, OnBad onBad) {
  std::u16string result;
  if (text.empty()) return result;
  if (text.find('\x80') == std::string_view::npos && text.size() < 0x7FFFFFFF) {
    const int size = static_cast<int>(text.size());
    int n = MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (n > 0) {
      result.resize(static_cast<std::size_t>(n));
      MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, text.data(), size,
                          reinterpret_cast<wchar_t*>(result.data()), n);
      return result;
    }
  }
  // Some byte is bad: one character at a time, as iconv is driven on Linux.
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (IsLead(b) && i + 1 < text.size() && DecodeOne(text.data() + i, 2, result)) {
      i += 2;
    } else if (!IsLead(b) && DecodeOne(text.data() + i, 1, result)) {
      i += 1;
    } else {
      onBad(result);
      i += 1;
    }
  }
  return result;
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

// Characters outside the CP932 table that iconv's CP932 still writes, as the
// code of the look-alike they stand for.
bool ExtraCp932(char32_t c, std::string& out) {
  struct Extra {
    char32_t code;
    const char* bytes;
  };
  static constexpr Extra kExtras[] = {
      {U'\u00A2', "\x81\x91"}, {U'\u00A3', "\x81\x92"}, {U'\u00A5', "\x5C"},
      {U'\u00AC', "\x81\xCA"}, {U'\u2014', "\x81\x5C"}, {U'\u2016', "\x81\x61"},
      {U'\u203E', "\x7E"},     {U'\u2212', "\x81\x7C"}, {U'\u301C', "\x81\x60"},
  };
  for (const Extra& e : kExtras) {
    if (e.code == c) {
      out += e.bytes;
      return true;
    }
  }
  return false;
}

// One code point to CP932, exactly (no best-fit look-alikes): converted and
// converted back, it must be the same character.
bool EncodeOne(char32_t c, std::string& out) {
  if (c == 0) {
    out += '\0';
    return true;
  }
  if (c >= 0xE0000 && c <= 0xE007F) return true;  // language tags: written as nothing
  if (ExtraCp932(c, out)) return true;
  if (c > 0xFFFF) return false;  // CP932 holds nothing outside the BMP
  if (c == 0x80) return false;   // Windows writes byte 0x80, which is no CP932 character
  const wchar_t unit = static_cast<wchar_t>(c);
  char bytes[4];
  BOOL usedDefault = FALSE;
  int n = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, &unit, 1, bytes, sizeof bytes, nullptr,
                              &usedDefault);
  if (n <= 0 || usedDefault) return false;
  wchar_t back[2];
  if (MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, bytes, n, back, 2) != 1 ||
      back[0] != unit) {
    return false;
  }
  out.append(bytes, static_cast<std::size_t>(n));
  return true;
}

// Walks UTF-16 into code points.
template <typename Visit>
void ForEachCodePoint(const std::u16string& units, Visit visit) {
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    }
    visit(c);
  }
}

}  // namespace

std::u32string Cp932ToUtf32(std::string_view text) {
  std::u32string result;
  ForEachCodePoint(Decode(text, [](std::u16string&) {}), [&](char32_t c) { result += c; });
  return result;
}

std::string Cp932ToUtf8(std::string_view text) {
  constexpr char16_t kReplacement = u'\uFFFD';
  std::string result;
  ForEachCodePoint(Decode(text, [](std::u16string& out) { out += kReplacement; }),
                   [&](char32_t c) { AppendUtf8(result, c); });
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
