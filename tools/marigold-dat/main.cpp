// marigold-dat: the story authors' tool for the game's scrambled line files.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Console.h"
#include "platform/Encoding.h"
#include "platform/Files.h"
#include "tools/marigold-dat/DatFile.h"
#include "tools/marigold-dat/Lint.h"

namespace {

const char kUsage[] =
    "usage: marigold-dat pack IN OUT      UTF-8 text to a scrambled CP932 line file\n"
    "       marigold-dat unpack IN OUT    a scrambled CP932 line file to UTF-8 text\n"
    "       marigold-dat trace FILE [--plain] [--label L] [--max N]\n"
    "                                     run a story as the game would, one JSON line\n"
    "                                     per delivery\n"
    "       marigold-dat lint PATH [--plain]  check a story for the traps the game\n"
    "                                     leaves for authors\n"
    "IN and OUT may be '-' for standard input and output.\n";

const char kPackUsage[] =
    "usage: marigold-dat pack IN OUT\n"
    "Converts UTF-8 text to CP932 and scrambles it line by line as the game reads it.\n"
    "Line breaks are kept as written. A character CP932 cannot hold is reported with its\n"
    "line and column, and OUT is left untouched. '-' means standard input or output.\n";

const char kUnpackUsage[] =
    "usage: marigold-dat unpack IN OUT\n"
    "Unscrambles a line file and converts it from CP932 to UTF-8. '-' means standard\n"
    "input or output.\n";

const char kTraceUsage[] =
    "usage: marigold-dat trace FILE [--plain] [--label L] [--max N]\n"
    "Loads FILE as the game loads its story (scrambled unless --plain), jumps to L\n"
    "(default @start) and delivers batches until the script ends or N deliveries\n"
    "(default 1000) were made. Prints one JSON object per delivery.\n";

int Usage(const char* text) {
  std::fputs(text, stderr);
  return 2;
}

bool IsHelp(const std::string& arg) {
  return arg == "--help" || arg == "-h";
}

bool ReadInput(const std::string& name, std::string& bytes) {
  if (name == "-") {
    bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    return !std::cin.bad();
  }
  std::ifstream in(name, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteOutput(const std::string& name, const std::string& bytes) {
  if (name == "-") {
    std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::cout.flush();
    return static_cast<bool>(std::cout);
  }
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

int Convert(const std::vector<std::string>& args, bool pack) {
  const char* usage = pack ? kPackUsage : kUnpackUsage;
  if (args.size() == 1 && IsHelp(args[0])) {
    std::fputs(usage, stdout);
    return 0;
  }
  if (args.size() != 2) return Usage(usage);
  std::string input;
  if (!ReadInput(args[0], input)) {
    std::fprintf(stderr, "marigold-dat: cannot read %s\n", args[0].c_str());
    return 1;
  }
  std::string output;
  try {
    output = pack ? mgdat::PackText(input) : mgdat::UnpackText(input);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "marigold-dat: %s: %s\n", args[0].c_str(), e.what());
    return 1;
  }
  if (!WriteOutput(args[1], output)) {
    std::fprintf(stderr, "marigold-dat: cannot write %s\n", args[1].c_str());
    return 1;
  }
  return 0;
}

int TraceCommand(const std::vector<std::string>& args) {
  if (args.size() == 1 && IsHelp(args[0])) {
    std::fputs(kTraceUsage, stdout);
    return 0;
  }
  mgdat::TraceOptions options;
  std::string file;
  std::string label = "@start";
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (IsHelp(arg)) {
      std::fputs(kTraceUsage, stdout);
      return 0;
    } else if (arg == "--plain") {
      options.plain = true;
    } else if (arg == "--label" && i + 1 < args.size()) {
      label = args[++i];
    } else if (arg == "--max" && i + 1 < args.size()) {
      const std::string& n = args[++i];
      if (n.empty() || n.find_first_not_of("0123456789") != std::string::npos || n.size() > 12) {
        return Usage(kTraceUsage);
      }
      options.maxDeliveries = std::stoll(n);
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      return Usage(kTraceUsage);
    } else if (file.empty()) {
      file = arg;
    } else {
      return Usage(kTraceUsage);
    }
  }
  if (file.empty()) return Usage(kTraceUsage);

  // The story is named to the engine as the game names files: in CP932.
  std::string gameName;
  std::size_t bad = 0;
  if (!platform::Utf8ToCp932(file, gameName, bad) ||
      !platform::Utf8ToCp932(label, options.label, bad)) {
    std::fprintf(stderr, "marigold-dat: %s: the name cannot be written in CP932\n", file.c_str());
    return 1;
  }
  try {
    const mgdat::TraceResult result =
        mgdat::Trace(gameName, options, std::cout, [](const std::string& name, std::string& bytes) {
          return platform::ReadWholeFile(name, bytes);
        });
    std::cout.flush();
    if (!result.loaded) {
      std::fprintf(stderr, "marigold-dat: %s: no such file\n", file.c_str());
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "marigold-dat: %s: %s\n", file.c_str(), e.what());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  platform::PrepareConsole();
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage(kUsage);
  const std::string command = args[0];
  args.erase(args.begin());
  if (IsHelp(command)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (command == "pack") return Convert(args, true);
  if (command == "unpack") return Convert(args, false);
  if (command == "trace") return TraceCommand(args);
  if (command == "lint") return lint::RunLint(args, std::cout, std::cerr);
  return Usage(kUsage);
}
