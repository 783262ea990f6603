// marigold-dat: the story authors' tool for the game's scrambled line files.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/StoryText.h"
#include "game/StoryCommands.h"
#include "platform/Console.h"
#include "platform/Encoding.h"
#include "platform/Files.h"
#include "tools/marigold-dat/DatFile.h"
#include "tools/marigold-dat/Graph.h"
#include "tools/marigold-dat/Lint.h"
#include "tools/marigold-dat/New.h"

namespace {

// One subcommand: its command line and what it does with it.
struct Subcommand {
  cli::Command command;
  int (*run)(const cli::Command& command, const cli::Parsed& parsed);
};

int Convert(const cli::Parsed& parsed, bool pack) {
  const std::string& in = parsed.operands[0];
  const std::string& out = parsed.operands[1];
  const std::string input = cli::ReadFile(platform::NativePath(in));
  std::string output;
  try {
    output = pack ? storytext::PackText(input) : storytext::UnpackText(input);
  } catch (const std::exception& e) {
    // Nothing is written: OUT keeps what it held.
    throw cli::PathError(in, e.what());
  }
  cli::WriteFile(platform::NativePath(out), output);
  return 0;
}

int Pack(const cli::Command&, const cli::Parsed& parsed) {
  return Convert(parsed, true);
}

int Unpack(const cli::Command&, const cli::Parsed& parsed) {
  return Convert(parsed, false);
}

// The buttons --choose picks, "B1,B2,...", each counted from 1.
std::vector<int> Picks(const cli::Command& command, const std::string& list) {
  std::vector<int> picks;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    const long long pick =
        cli::Count(command, "--choose", list.substr(start, comma - start), story::kMaxButtons);
    if (pick < 1) throw cli::UsageError("--choose: buttons count from 1", command.usage);
    picks.push_back(static_cast<int>(pick));
    start = comma + 1;
  }
  return picks;
}

int TraceCommand(const cli::Command& command, const cli::Parsed& parsed) {
  mgdat::TraceOptions options;
  options.plain = parsed.Has("--plain");
  if (auto max = parsed.Value("--max")) options.maxDeliveries = cli::Count(command, "--max", *max);
  const std::string& file = parsed.operands[0];
  const std::string label = parsed.Value("--label").value_or(std::string(story::kStartLabel));
  options.labelMustExist = parsed.Value("--label").has_value();
  if (auto heat = parsed.Value("--heat")) {
    options.heat = static_cast<std::int32_t>(cli::Count(command, "--heat", *heat, 2147483647LL));
  }
  if (auto choose = parsed.Value("--choose")) options.choices = Picks(command, *choose);
  cli::RequireFile(platform::NativePath(file));

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
    if (!result.badChoice.empty())
      throw cli::UsageError("--choose: " + result.badChoice, command.usage);
  } catch (const cli::PathError&) {
    throw;
  } catch (const cli::UsageError&) {
    throw;
  } catch (const std::exception& e) {
    // An unreadable or overlong story, or a label it does not hold.
    throw cli::PathError(file, e.what());
  }
  return 0;
}

int LintCommand(const cli::Command&, const cli::Parsed& parsed) {
  cli::RequireFile(parsed.operands[0]);
  std::optional<std::filesystem::path> game;
  if (auto data = parsed.Value("--data")) game = *data;
  return lint::RunLint(parsed.operands[0], parsed.Has("--plain"), game, std::cout);
}

int NewCommand(const cli::Command&, const cli::Parsed& parsed) {
  return mgdat::RunNew(parsed.operands[0], std::cout);
}

int GraphCommand(const cli::Command&, const cli::Parsed& parsed) {
  cli::RequireFile(parsed.operands[0]);
  return graph::RunGraph(parsed.operands[0], parsed.Has("--plain"), parsed.Value("--svg"),
                         std::cout);
}

const std::vector<Subcommand>& Subcommands() {
  // The labels the game jumps to by itself, as the help texts name them.
  const std::string start(story::kStartLabel);
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
        "usage: marigold-dat trace FILE [--plain] [--label L] [--max N] [--heat N]\n"
        "                          [--choose B1,B2,...]\n",
        "Follows a story as the game would: loads FILE as the game loads its story\n"
        "(scrambled, or the author's UTF-8 text with --plain), jumps to L (default\n" +
            start +
            ") and prints one JSON object per delivery (its commands, its lines, the\n"
            "buttons it shows) until the script ends or N deliveries (default 1000) were\n"
            "made. A label the story does not hold is an error.\n"
            "  --heat N     every #heatyJump chooses as the game would with heat N (default 0)\n"
            "  --choose B1,B2,...  at each choice in turn, click button Bk (1-based, in the\n"
            "               order listed); at a choice with no pick left the game waits, and\n"
            "               the trace ends with {\"stopped\":\"choice\"}\n",
        {"--plain"},
        {"--label", "--max", "--heat", "--choose"},
        1,
        1},
       TraceCommand},
      {{"marigold-dat lint",
        "usage: marigold-dat lint PATH [--plain] [--data GAMEDIR]\n",
        "Checks a story for the traps the game leaves for authors. PATH is a scrambled\n"
        "story .dat whose pictures, music and sounds lie in its folder; with --plain it\n"
        "is plain UTF-8 text, checked against the dat/ folder beside it when there is\n"
        "one. --data names the game folder whose dat/ holds them. The base files the\n"
        "game loads by name are checked there too. Prints file:line: error|warning|info:\n"
        "message and one summary line; exit status 1 when there is an error, 0 otherwise.\n",
        {"--plain"},
        {"--data"},
        1,
        1},
       LintCommand},
      {{"marigold-dat new",
        "usage: marigold-dat new DIR\n",
        "Writes a small playable game to start from: DIR/story.txt and DIR/saying.txt\n"
        "(UTF-8, commented) and DIR/dat/ with every picture, piece of music and sound\n"
        "the game needs and the packed story and sayings. Play it with\n"
        "'marigold --author DIR'. When DIR already holds dat/, story.txt or saying.txt,\n"
        "nothing is changed and the exit status is 1.\n",
        {},
        {},
        1,
        1},
       NewCommand},
      {{"marigold-dat graph",
        "usage: marigold-dat graph STORY [--plain] [--svg OUT]\n",
        "Prints the story as a Graphviz graph: a node per label, an edge for each #goto,\n"
        "each button (its caption), each #heatyJump branch (its threshold), reading on\n"
        "into the next label (dashed) and the game's own jumps (dotted: the title to\n" +
            start + ", the clock to " + std::string(story::kGameOverLabel) +
            ", the end of the sayings to " + std::string(story::kSayEndLabel) +
            "). STORY is a\n"
            "scrambled .dat, or UTF-8 text with --plain. --svg OUT renders it with\n"
            "Graphviz's dot (Debian package graphviz) into OUT instead.\n",
        {"--plain"},
        {"--svg"},
        1,
        1},
       GraphCommand},
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
    const std::vector<std::string> words = platform::Arguments(argc, argv);
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
