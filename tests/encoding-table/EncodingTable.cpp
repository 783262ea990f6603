// encoding-table: prints how this machine's encoding functions treat every
// one- and two-byte CP932 sequence, every Unicode code point and a set of
// malformed UTF-8 texts, one line each. The Windows build's output must equal
// the Linux build's byte for byte; the test scripts compare the two.
#include <cstdio>
#include <string>

#include "platform/Console.h"
#include "platform/Encoding.h"

namespace {

void PrintHex(const std::string& bytes) {
  for (unsigned char b : bytes) std::printf("%02X", b);
}

// One CP932 byte sequence: the code points it decodes to, then its UTF-8.
void Decoded(const std::string& bytes) {
  PrintHex(bytes);
  std::printf(":");
  for (char32_t c : platform::Cp932ToUtf32(bytes)) std::printf(" %X", static_cast<unsigned>(c));
  std::printf(" |");
  PrintHex(platform::Cp932ToUtf8(bytes));
  std::printf("\n");
}

std::string Utf8(char32_t c) {
  std::string s;
  platform::AppendUtf8(s, c);
  return s;
}

// A UTF-8 text: its CP932 bytes, or where conversion stopped.
void Encoded(const std::string& label, const std::string& utf8) {
  std::string out;
  std::size_t bad = 0;
  if (platform::Utf8ToCp932(utf8, out, bad)) {
    std::printf("%s = ", label.c_str());
    PrintHex(out);
    std::printf("\n");
  } else {
    std::printf("%s bad at %zu\n", label.c_str(), bad);
  }
}

}  // namespace

int main() {
  platform::PrepareConsole();
  for (int b = 0; b < 256; ++b) Decoded(std::string(1, static_cast<char>(b)));
  for (int lead = 0x80; lead < 0x100; ++lead) {
    for (int trail = 0; trail < 0x100; ++trail) {
      Decoded(std::string{static_cast<char>(lead), static_cast<char>(trail)});
    }
  }
  // Every code point: the ones CP932 holds one a line, the others counted.
  unsigned failed = 0;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::string out;
    std::size_t bad = 0;
    if (platform::Utf8ToCp932("a" + Utf8(c), out, bad)) {
      std::printf("U+%04X = ", static_cast<unsigned>(c));
      PrintHex(out);
      std::printf("\n");
    } else if (bad != 1) {
      std::printf("U+%04X bad at %zu\n", static_cast<unsigned>(c), bad);
    } else {
      ++failed;
    }
  }
  std::printf("code points CP932 cannot hold: %u\n", failed);
  const char* const malformed[] = {
      "\x80",
      "\xC0\xAF",
      "\xC1\xBF",
      "\xE0\x80\xAF",
      "\xED\xA0\x80",
      "\xF0\x80\x80\xAF",
      "\xF4\x90\x80\x80",
      "\xF5\x80\x80\x80",
      "\xFE",
      "\xFF",
      "x\xE3\x81",
      "x\xE3",
      "\xE3\x81\x82\xE3",
      "ab\xC3\x28",
      "\xEF\xBF\xBE",
  };
  int n = 0;
  for (const char* m : malformed) Encoded("malformed " + std::to_string(n++), m);
  return 0;
}
