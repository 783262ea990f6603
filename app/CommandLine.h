// The command-line convention shared by the game and every tool:
//   - `--help` (or `-h`) prints the help of the command to standard output, status 0;
//   - `--version` prints "TOOL VERSION", status 0;
//   - a usage error names the offending word and prints the short usage of the
//     command concerned to standard error, status 2;
//   - a path that is missing, a folder, unreadable or unwritable is one line
//     "TOOL: PATH: REASON", status 1;
//   - any other error is one line "TOOL: MESSAGE", status 1; no exception ever
//     leaves `main`.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

// The version every program reports.
extern const char* const kVersion;

// A bad command line: `what()` names the offending word, `usage()` is the
// short usage of the command it was given to.
class UsageError : public std::runtime_error {
 public:
  UsageError(const std::string& message, std::string usage)
      : std::runtime_error(message), usage_(std::move(usage)) {}
  const std::string& usage() const { return usage_; }

 private:
  std::string usage_;
};

// A path the program cannot use, and why ("No such file or directory", ...).
class PathError : public std::runtime_error {
 public:
  PathError(std::string path, const std::string& reason)
      : std::runtime_error(reason), path_(std::move(path)) {}
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// One command (the whole program, or one subcommand of it).
struct Command {
  std::string name;                 // "marigold-dat pack": the prefix of its messages
  std::string usage;                // the short usage, "usage: ..." lines
  std::string help;                 // what follows the usage in --help
  std::vector<std::string> flags;   // options without a value ("--plain")
  std::vector<std::string> valued;  // options with a value ("--label"); "--x V" or "--x=V"
  std::size_t minOperands = 0;      // the words that are not options
  std::size_t maxOperands = 0;
};

// A command line taken apart. "-" is an operand; after "--" every word is.
struct Parsed {
  std::vector<std::string> operands;
  std::vector<std::string> flags;             // as given, in order
  std::map<std::string, std::string> values;  // the last value given wins
  bool Has(const std::string& flag) const;
  std::optional<std::string> Value(const std::string& option) const;
};

// Ends the command with a status once its text is printed (help, version).
struct Finished {
  int status = 0;
};

// Takes `words` apart for `command`. Prints the help or the version and throws
// Finished for --help and --version; throws UsageError for an unknown option,
// an option without its value, or too few or too many operands.
Parsed Parse(const Command& command, const std::vector<std::string>& words);

// A count given to `option` of `command`: decimal digits only, at most
// `limit`; a UsageError naming the word otherwise.
long long Count(const Command& command, const std::string& option, const std::string& word,
                long long limit = 1'000'000'000'000LL);

// Runs a program's body with the convention above; `program` ("marigold-dat")
// starts every message.
int Run(const std::string& program, const std::function<int()>& body);

// A program's whole main: Run, named after `command`, of `body` on the words
// after the program's own name parsed by `command`.
int Main(const Command& command, int argc, char** argv,
         const std::function<int(const Parsed&)>& body);

// Paths, UTF-8 names (platform/NativeFiles.h). Each throws PathError with the
// system's reason.
std::string ReadFile(const std::string& path);                      // "-": standard input
void WriteFile(const std::string& path, const std::string& bytes);  // "-": stdout
void RequireFolder(const std::string& path);                        // exists, a folder
void RequireFile(const std::string& path);  // exists, readable, not a folder

// A path object of the tools (the standard library's file system path),
// which this header does not name: any type with a UTF-8 form.
template <typename Path>
concept NativePathObject = requires(const Path& path) {
  path.u8string();
};

// The UTF-8 name of such a path.
template <NativePathObject Path>
std::string Utf8Name(const Path& path) {
  const auto name = path.u8string();
  return std::string(name.begin(), name.end());
}

// The path functions above for a path object, by its UTF-8 name.
template <NativePathObject Path>
std::string ReadFile(const Path& path) {
  return ReadFile(Utf8Name(path));
}
template <NativePathObject Path>
void WriteFile(const Path& path, const std::string& bytes) {
  WriteFile(Utf8Name(path), bytes);
}
template <NativePathObject Path>
void RequireFolder(const Path& path) {
  RequireFolder(Utf8Name(path));
}
template <NativePathObject Path>
void RequireFile(const Path& path) {
  RequireFile(Utf8Name(path));
}

// The system's reason for `error` (an errno value), as "No such file or directory".
std::string Reason(int error);

}  // namespace cli
