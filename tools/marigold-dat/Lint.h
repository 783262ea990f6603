// "marigold-dat lint": a checker for story scripts. It reads a story the way
// the game loads it and reports, line by line, every place where the game
// would fail, silently do nothing, or do something the author hardly meant.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace lint {

enum class Severity { kError, kWarning, kInfo };

struct Diagnostic {
  int line = 0;  // 1-based line of the story file
  Severity severity = Severity::kError;
  std::string message;  // UTF-8
};

struct Options {
  // Answers whether the story font can draw a character. Without it the
  // check for undrawable characters is skipped.
  std::function<bool(char32_t)> hasGlyph;
};

// The story's lines as CP932 bytes, read from a scrambled story file or, when
// `plain`, from the author's UTF-8 text as author mode packs it
// (storytext::LineToCp932). Problems with the bytes themselves (not CP932,
// not UTF-8, no CP932 form) are added to `diagnostics`. Throws
// cli::PathError when the file cannot be read. "graph --plain" reads
// through it too.
std::vector<std::string> ReadStoryLines(const std::filesystem::path& path, bool plain,
                                        std::vector<Diagnostic>& diagnostics);

// Checks the lines of a story whose pictures, music and sounds lie in
// `datFolder`. The result is sorted by line.
std::vector<Diagnostic> CheckStory(const std::vector<std::string>& lines,
                                   const std::filesystem::path& datFolder,
                                   const Options& options = {});

// The checks that ask this machine: glyphs of the story font. A machine
// without a usable face skips the glyph check.
Options MachineOptions();

// ReadStoryLines and CheckStory for one file, its folder being the data folder.
std::vector<Diagnostic> LintFile(const std::filesystem::path& path, bool plain,
                                 const Options& options = {});

// What one run of the checker found, and what it looked at.
struct Result {
  std::vector<Diagnostic> diagnostics;  // sorted by line
  std::filesystem::path dataFolder;     // where the pictures, music and sounds were looked for
  int lines = 0;                        // lines of the story file
  int labels = 0;                       // distinct labels
  int pictures = 0;                     // distinct pictures named by #image and #imagesub
};

// The base files the game loads by name, each missing one an error on line 1.
// A draft (plain text) is packed later: story.dat and saying.dat are not
// asked of it; a packed story is itself the file named `storyName`.
std::vector<Diagnostic> CheckBaseFiles(const std::filesystem::path& dataFolder, bool draft,
                                       const std::string& storyName);

// The whole check of one story file, as "marigold-dat lint" runs it: the
// story against its data folder (gameFolder/dat when given, else the
// story's folder, or for a plain draft the dat/ beside it when there is one)
// and the base files there. Throws std::runtime_error for an unreadable file.
Result LintStory(const std::filesystem::path& path, bool plain,
                 const std::optional<std::filesystem::path>& gameFolder,
                 const Options& options = {});

// The one-line summary: "FILE: 0 errors, 1 warning; 123 lines, 14 labels,
// 9 pictures; data folder DIR".
std::string Summary(const std::string& file, const Result& result);

// "file:line: error: message".
std::string FormatDiagnostic(const std::string& file, const Diagnostic& diagnostic);

// The "lint" subcommand: prints the findings for one story to `out`, one
// FormatDiagnostic line each, then the Summary line; `gameFolder` is --data.
// Returns the exit status: 1 when an error was found, 0 otherwise. Throws
// cli::PathError when the file or the game folder cannot be used.
int RunLint(const std::string& path, bool plain,
            const std::optional<std::filesystem::path>& gameFolder, std::ostream& out);

}  // namespace lint
