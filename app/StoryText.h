// Story texts as authors write them: UTF-8 text to the game's scrambled CP932
// line files and back. Author mode packs with it, and so do the tools.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace storytext {

// A character that cannot go into a CP932 file; line and column are 1-based,
// the column counted in characters.
class PackError : public std::runtime_error {
 public:
  PackError(const std::string& message, int line, int column)
      : std::runtime_error(message), line_(line), column_(column) {}
  int line() const { return line_; }
  int column() const { return column_; }

 private:
  int line_;
  int column_;
};

// UTF-8 text to CP932, scrambled line by line as the game reads it back;
// line breaks and control bytes stay as written. Throws PackError.
std::string PackText(std::string_view utf8);

// The reverse: unscrambled and converted to UTF-8.
std::string UnpackText(std::string_view scrambled);

// One line of the author's text in CP932, unscrambled.
struct Cp932Line {
  std::string text;      // the CP932 bytes of all that converts
  std::string firstBad;  // the first piece left out (as written), "" when none
};

// One line of UTF-8 text converted as PackText converts it, but going on
// past what CP932 cannot hold: each such piece (a character with no CP932
// form, or a byte that starts no well-formed UTF-8 character) is left out.
// For the tools that report every such line rather than stop at the first.
Cp932Line LineToCp932(std::string_view utf8);

}  // namespace storytext
