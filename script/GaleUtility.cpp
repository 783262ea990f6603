#include "script/GaleUtility.h"

#include <cstring>
#include <limits>

namespace {

// An ASCII capital as its small letter; every other byte as it is, whatever
// the locale.
constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::size_t FindText(const std::string& text, const std::string& pattern, std::size_t from) {
  if (from > text.size()) return std::string::npos;
  if (pattern.empty()) return from;
  const std::size_t n = pattern.size();
  const char head = pattern[0];
  for (std::size_t i = from; i + n <= text.size(); i += CharLength(text, i)) {
    // The first byte alone rules out almost every position, without a call.
    if (text[i] != head || text.compare(i, n, pattern) != 0) continue;
    // The match must not end inside a character either (a pattern that ends
    // in a lead byte would otherwise take the next byte's first half).
    std::size_t j = i;
    while (j < i + n) j += CharLength(text, j);
    if (j == i + n) return i;
  }
  return std::string::npos;
}

std::string ReplaceText(const std::string& text, const std::string& pattern,
                        const std::string& replacement) {
  if (pattern.empty()) return text;
  std::string result;
  result.reserve(text.size());
  std::size_t start = 0;
  for (;;) {
    const std::size_t hit = FindText(text, pattern, start);
    if (hit == std::string::npos) break;
    result.append(text, start, hit - start);
    result += replacement;
    start = hit + pattern.size();
  }
  result.append(text, start, std::string::npos);
  return result;
}

void SplitBy(const std::string& text, const std::string& separator,
             std::vector<std::string>& parts) {
  if (separator.empty()) return;
  parts.clear();
  // Searching text + separator: the appended separator closes the last piece.
  const std::string work = text + separator;
  std::size_t start = 0;
  for (;;) {
    const std::size_t hit = FindText(work, separator, start);
    if (hit == std::string::npos) break;
    parts.emplace_back(work, start, hit - start);
    start = hit + separator.size();
  }
}

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  std::size_t i = 0;
  while (i < a.size()) {
    const std::size_t len = CharLength(a, i);
    if (CharLength(b, i) != len) return false;
    if (len == 2) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
    } else {
      if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    i += len;
  }
  return true;
}

std::vector<std::string> ReadLines(const std::string& bytes) {
  // Whole lines at a time (memchr), not byte by byte: story files are read
  // at every start and every load of the script.
  std::vector<std::string> lines;
  const char* const data = bytes.data();
  const void* eof = std::memchr(data, '\x1A', bytes.size());
  const std::size_t end =
      eof ? static_cast<std::size_t>(static_cast<const char*>(eof) - data) : bytes.size();
  for (std::size_t start = 0; start < end;) {
    const void* lf = std::memchr(data + start, '\n', end - start);
    const std::size_t stop =
        lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) : end;
    std::string& line = lines.emplace_back(bytes, start, stop - start);
    // A CR before LF belongs to the break; a lone CR is dropped. Either way
    // it is not part of the line.
    if (std::memchr(line.data(), '\r', line.size()) != nullptr) std::erase(line, '\r');
    start = stop + 1;
  }
  return lines;
}

std::string QuoteForMessage(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = CharLength(text, i);
    const auto byte = static_cast<unsigned char>(text[i]);
    if (len == 1 && byte >= 0x20 && byte < 0x7F) {
      out += text[i];
    } else {
      // Both bytes of a two-byte character: its second byte may look like
      // ASCII ("\" in ソ) but is not.
      for (std::size_t k = i; k < i + len; ++k) {
        const auto b = static_cast<unsigned char>(text[k]);
        out += "\\x";
        out += kHex[b >> 4];
        out += kHex[b & 0x0F];
      }
    }
    i += len;
  }
  return out;
}

std::int32_t StrToInt(const std::string& word) {
  std::size_t i = 0;
  bool negative = false;
  if (i < word.size() && (word[i] == '+' || word[i] == '-')) {
    negative = word[i] == '-';
    ++i;
  }
  if (i == word.size()) {
    throw std::runtime_error("'" + QuoteForMessage(word) + "' は整数ではありません");
  }
  // Accumulated as a magnitude in 64 bits; stops as soon as it leaves the
  // 32-bit range, so long digit strings cannot overflow.
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  bool outOfRange = false;
  for (; i < word.size(); ++i) {
    const char c = word[i];
    if (c < '0' || c > '9') {
      throw std::runtime_error("'" + QuoteForMessage(word) + "' は整数ではありません");
    }
    if (!outOfRange) {
      magnitude = magnitude * 10 + (c - '0');
      if (magnitude > kLimit) outOfRange = true;
    }
  }
  if (outOfRange || (!negative && magnitude == kLimit)) {
    throw std::runtime_error("'" + QuoteForMessage(word) +
                             "' は 32 ビット整数の範囲を超えています");
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

namespace {

[[noreturn]] void Overflow(std::int32_t a, const char* op, std::int32_t b) {
  throw std::overflow_error("整数のオーバーフロー: " + std::to_string(a) + op + std::to_string(b));
}

}  // namespace

std::int32_t CheckedAdd(std::int32_t a, std::int32_t b) {
  std::int32_t result = 0;
  if (__builtin_add_overflow(a, b, &result)) Overflow(a, " + ", b);
  return result;
}

std::int32_t CheckedMul(std::int32_t a, std::int32_t b) {
  std::int32_t result = 0;
  if (__builtin_mul_overflow(a, b, &result)) Overflow(a, " × ", b);
  return result;
}
