// "marigold-dat lint": a checker for story scripts. It reads a story the way
// the game loads it and reports, line by line, every place where the game
// would fail, silently do nothing, or do something the author hardly meant.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
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
// `plain`, from plain UTF-8 text. Problems with the bytes themselves (not
// CP932, not UTF-8, no CP932 form) are added to `diagnostics`. Throws
// cli::PathError when the file cannot be read.
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

// "file:line: error: message".
std::string FormatDiagnostic(const std::string& file, const Diagnostic& diagnostic);

// The "lint" subcommand: prints the findings for one story to `out`, one
// FormatDiagnostic line each. Returns the exit status: 1 when an error was
// found, 0 otherwise. Throws cli::PathError when the file cannot be read.
int RunLint(const std::string& path, bool plain, std::ostream& out);

}  // namespace lint
