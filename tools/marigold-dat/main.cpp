// marigold-dat: the story authors' tool for the game's scrambled line files.
#include <algorithm>
#include <cerrno>
#include <iostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "platform/Encoding.h"
#include "platform/Files.h"
#include "tools/marigold-dat/DatFile.h"
#include "tools/marigold-dat/Lint.h"

namespace {

// One subcommand: its command line and what it does with it.
struct Subcommand {
  cli::Command command;
  int (*run)(const cli::Command& command, const cli::Parsed& parsed);
};

int Convert(const cli::Parsed& parsed, bool pack) {
  const std::string& in = parsed.operands[0];
  const std::string& out = parsed.operands[1];
  const std::string input = cli::ReadFile(in);
  std::string output;
  try {
    output = pack ? mgdat::PackText(input) : mgdat::UnpackText(input);
  } catch (const std::exception& e) {
    // Nothing is written: OUT keeps what it held.
    throw cli::PathError(in, e.what());
  }
  cli::WriteFile(out, output);
  return 0;
}

int Pack(const cli::Command&, const cli::Parsed& parsed) {
  return Convert(parsed, true);
}

int Unpack(const cli::Command&, const cli::Parsed& parsed) {
  return Convert(parsed, false);
}

int TraceCommand(const cli::Command& command, const cli::Parsed& parsed) {
  mgdat::TraceOptions options;
  options.plain = parsed.Has("--plain");
  if (auto max = parsed.Value("--max")) options.maxDeliveries = cli::Count(command, "--max", *max);
  const std::string& file = parsed.operands[0];
  const std::string label = parsed.Value("--label").value_or("@start");
  options.labelMustExist = parsed.Value("--label").has_value();
  cli::RequireFile(file);

  // The story is named to the engine as the game names files: in CP932.
  std::string gameName;
  std::size_t bad = 0;
  if (!platform::Utf8ToCp932(file, gameName, bad)) {
    throw cli::PathError(file, "the name cannot be written in CP932");
  }
  if (!platform::Utf8ToCp932(label, options.label, bad)) {
    throw cli::UsageError("the label '" + label + "' cannot be written in CP932", command.usage);
  }
  try {
    const mgdat::TraceResult result =
        mgdat::Trace(gameName, options, std::cout, [](const std::string& name, std::string& bytes) {
          return platform::ReadGameFile(name.starts_with('/') ? "/" : ".", name, bytes);
        });
    std::cout.flush();
    if (!result.loaded) throw cli::PathError(file, cli::Reason(ENOENT));
  } catch (const cli::PathError&) {
    throw;
  } catch (const std::exception& e) {
    // An unreadable or overlong story, or a label it does not hold.
    throw cli::PathError(file, e.what());
  }
  return 0;
}

int LintCommand(const cli::Command&, const cli::Parsed& parsed) {
  cli::RequireFile(parsed.operands[0]);
  return lint::RunLint(parsed.operands[0], parsed.Has("--plain"), std::cout);
}

const std::vector<Subcommand>& Subcommands() {
  static const std::vector<Subcommand> list = {
      {{"marigold-dat pack",
        "usage: marigold-dat pack IN OUT\n",
        "UTF-8 text to a scrambled CP932 line file, as the game reads it back.\n"
        "Line breaks are kept as written. A character CP932 cannot hold is reported with\n"
        "its line and column, and OUT is left untouched. '-' means standard input or\n"
        "output.\n",
        {},
        {},
        2,
        2},
       Pack},
      {{"marigold-dat unpack",
        "usage: marigold-dat unpack IN OUT\n",
        "A scrambled CP932 line file to UTF-8 text. '-' means standard input or output.\n",
        {},
        {},
        2,
        2},
       Unpack},
      {{"marigold-dat trace",
        "usage: marigold-dat trace FILE [--plain] [--label L] [--max N]\n",
        "Runs a story as the game would: loads FILE as the game loads its story\n"
        "(scrambled unless --plain), jumps to L (default @start) and delivers batches\n"
        "until the script ends or N deliveries (default 1000) were made. Prints one JSON\n"
        "object per delivery. A label the story does not hold is an error.\n",
        {"--plain"},
        {"--label", "--max"},
        1,
        1},
       TraceCommand},
      {{"marigold-dat lint",
        "usage: marigold-dat lint PATH [--plain]\n",
        "Checks a story for the traps the game leaves for authors. PATH is a scrambled\n"
        "story .dat whose pictures, music and sounds lie in its folder; with --plain it\n"
        "is plain UTF-8 text. Prints file:line: error|warning|info: message; exit status\n"
        "1 when there is an error, 0 otherwise.\n",
        {"--plain"},
        {},
        1,
        1},
       LintCommand},
  };
  return list;
}

// The whole tool: the first word picks the subcommand.
cli::Command Tool() {
  cli::Command tool{"marigold-dat", "usage: marigold-dat COMMAND ...\n", "", {}, {}, 1, 1};
  for (const Subcommand& sub : Subcommands()) {
    tool.usage += "       " + sub.command.usage.substr(7);
  }
  tool.help =
      "The story authors' tool for the game's scrambled line files. IN and OUT may be\n"
      "'-' for standard input and output. 'marigold-dat COMMAND --help' tells more.\n"
      "Exit status: 0 done, 1 a problem with a file or the story, 2 bad usage.\n";
  return tool;
}

}  // namespace

int main(int argc, char** argv) {
  return cli::Run("marigold-dat", [&] {
    const std::vector<std::string> words(argv + 1, argv + argc);
    const cli::Command tool = Tool();
    // Options before the subcommand are the tool's own (--help, --version).
    std::size_t first = 0;
    while (first < words.size() && !words[first].empty() && words[first][0] == '-') ++first;
    cli::Parse(tool, {words.begin(), words.begin() + static_cast<std::ptrdiff_t>(
                                                         std::min(first + 1, words.size()))});
    for (const Subcommand& sub : Subcommands()) {
      if (sub.command.name == "marigold-dat " + words[first]) {
        const cli::Parsed parsed = cli::Parse(
            sub.command, {words.begin() + static_cast<std::ptrdiff_t>(first) + 1, words.end()});
        return sub.run(sub.command, parsed);
      }
    }
    throw cli::UsageError("unknown command '" + words[first] + "'", tool.usage);
  });
}
