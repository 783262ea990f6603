#include "app/StoryText.h"

#include <cstdio>
#include <string>

#include "platform/Encoding.h"
#include "script/MyCrypt.h"

namespace storytext {
namespace {

// Scrambles each line between LF bytes; the breaks stay as they are.
std::string ScrambleLines(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    out += ScrambleLine(std::string(text.substr(start, end - start)));
    if (end == text.size()) break;
    out += '\n';
    start = end + 1;
  }
  return out;
}

// The code point of the UTF-8 sequence at `pos`, or -1 when it is not UTF-8.
long DecodeAt(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  int extra = 0;
  long cp = 0;
  if (lead < 0x80) return lead;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    cp = lead & 0x07;
  } else {
    return -1;
  }
  if (pos + extra >= text.size()) return -1;
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(text[pos + k]);
    if ((b & 0xC0) != 0x80) return -1;
    cp = (cp << 6) | (b & 0x3F);
  }
  return cp;
}

// Length of the UTF-8 character that starts at `pos`, or 1 when the bytes
// there are no well-formed character.
std::size_t Utf8Length(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  std::size_t length = lead < 0x80                   ? 1
                       : lead >= 0xF0 && lead < 0xF5 ? 4
                       : lead >= 0xE0                ? 3
                       : lead >= 0xC2                ? 2
                                                     : 0;
  if (length == 0 || pos + length > text.size()) return 1;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) return 1;
  }
  return length;
}

}  // namespace

std::string PackText(std::string_view utf8) {
  std::string cp932;
  std::size_t bad = 0;
  if (!platform::Utf8ToCp932(utf8, cp932, bad)) {
    int line = 1;
    int column = 1;
    for (std::size_t i = 0; i < bad && i < utf8.size(); ++i) {
      const auto b = static_cast<unsigned char>(utf8[i]);
      if (b == '\n') {
        ++line;
        column = 1;
      } else if ((b & 0xC0) != 0x80) {
        ++column;
      }
    }
    std::string what;
    const long cp = bad < utf8.size() ? DecodeAt(utf8, bad) : -1;
    if (cp < 0) {
      what = "bytes that are not UTF-8";
    } else {
      char code[24];
      std::snprintf(code, sizeof code, "U+%04lX", cp);
      what = std::string(code) + " '" +
             std::string(utf8.substr(bad, cp < 0x80      ? 1
                                          : cp < 0x800   ? 2
                                          : cp < 0x10000 ? 3
                                                         : 4)) +
             "' cannot be written in CP932";
      if (cp == 0xFEFF) what += " (save the file as UTF-8 without a byte order mark)";
    }
    throw PackError(
        "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + what, line,
        column);
  }
  return ScrambleLines(cp932);
}

std::string UnpackText(std::string_view scrambled) {
  return platform::Cp932ToUtf8(ScrambleLines(scrambled));
}

Cp932Line LineToCp932(std::string_view utf8) {
  Cp932Line line;
  std::string rest(utf8);
  while (true) {
    std::string out;
    std::size_t bad = 0;
    if (platform::Utf8ToCp932(rest, out, bad)) {
      line.text += out;
      return line;
    }
    std::string good;
    platform::Utf8ToCp932(rest.substr(0, bad), good, bad);
    line.text += good;
    const std::size_t length = Utf8Length(rest, bad);
    if (line.firstBad.empty()) line.firstBad = rest.substr(bad, length);
    rest.erase(0, bad + length);
  }
}

}  // namespace storytext
