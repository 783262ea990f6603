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

}  // namespace storytext
