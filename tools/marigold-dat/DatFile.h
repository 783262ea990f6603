// The story authors' file work: UTF-8 text to scrambled CP932 line files and
// back, and a trace of a story as the game would run it.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace mgdat {

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

// A JSON string literal (quotes included) of UTF-8 text.
std::string JsonString(std::string_view utf8);

struct TraceOptions {
  bool plain = false;            // read the file unscrambled
  std::string label = "@start";  // CP932 label to jump to first
  bool labelMustExist = false;   // a label the story lacks throws instead of starting at the top
  std::int64_t maxDeliveries = 1000;
};

// Reads a file by its game name; false when missing, throws when unreadable.
using FileReader = std::function<bool(const std::string& gameName, std::string& bytes)>;

struct TraceResult {
  bool loaded = false;  // false: the file was missing (nothing traced)
  int beeps = 0;
  bool ended = false;
  std::int64_t deliveries = 0;
};

// Loads the story at `gameName` as the game does (batch limit 10, batch mode,
// the game's fourteen commands as recorders), jumps to the label and prints
// one JSON object per delivery to `out`. Throws std::runtime_error for an
// unreadable or overlong story, or a label it lacks (see labelMustExist).
TraceResult Trace(const std::string& gameName, const TraceOptions& options, std::ostream& out,
                  const FileReader& reader);

}  // namespace mgdat
