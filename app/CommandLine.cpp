#include "app/CommandLine.h"

#include <algorithm>
#include <cstring>
#include <iostream>

#include "platform/Console.h"
#include "platform/NativeFiles.h"

namespace cli {

#ifdef MARIGOLD_VERSION
const char* const kVersion = MARIGOLD_VERSION;
#else
const char* const kVersion = "unknown";
#endif

namespace {

bool Contains(const std::vector<std::string>& list, const std::string& word) {
  return std::find(list.begin(), list.end(), word) != list.end();
}

[[noreturn]] void Fail(const Command& command, const std::string& message) {
  throw UsageError(message, command.usage);
}

}  // namespace

bool Parsed::Has(const std::string& flag) const {
  return Contains(flags, flag);
}

std::optional<std::string> Parsed::Value(const std::string& option) const {
  auto it = values.find(option);
  if (it == values.end()) return std::nullopt;
  return it->second;
}

Parsed Parse(const Command& command, const std::vector<std::string>& words) {
  Parsed parsed;
  bool onlyOperands = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (onlyOperands || word == "-" || word.empty() || word[0] != '-') {
      if (parsed.operands.size() == command.maxOperands) {
        Fail(command, "unexpected argument '" + word + "'");
      }
      parsed.operands.push_back(word);
      continue;
    }
    if (word == "--") {
      onlyOperands = true;
    } else if (word == "--help" || word == "-h") {
      std::cout << command.usage << command.help;
      std::cout.flush();
      throw Finished{0};
    } else if (word == "--version") {
      std::cout << command.name.substr(0, command.name.find(' ')) << " " << kVersion << "\n";
      std::cout.flush();
      throw Finished{0};
    } else if (Contains(command.flags, word)) {
      parsed.flags.push_back(word);
    } else {
      const std::size_t equals = word.find('=');
      const std::string option = word.substr(0, equals);
      if (!Contains(command.valued, option)) {
        Fail(command, "unknown option '" + option + "'");
      }
      if (equals != std::string::npos) {
        parsed.values[option] = word.substr(equals + 1);
      } else if (i + 1 < words.size()) {
        parsed.values[option] = words[++i];
      } else {
        Fail(command, "option '" + option + "' needs a value");
      }
    }
  }
  if (parsed.operands.size() < command.minOperands) {
    Fail(command, parsed.operands.empty() ? "missing arguments" : "missing an argument");
  }
  return parsed;
}

long long Count(const Command& command, const std::string& option, const std::string& word,
                long long limit) {
  const bool digits = !word.empty() && word.size() <= 18 &&
                      word.find_first_not_of("0123456789") == std::string::npos;
  if (!digits || std::stoll(word) > limit) {
    Fail(command, "bad value '" + word + "' for " + option + " (a count up to " +
                      std::to_string(limit) + ")");
  }
  return std::stoll(word);
}

int Run(const std::string& program, const std::function<int()>& body) {
  // Plain UTF-8 bytes out, on Windows too; a closed pipe is a failed write.
  platform::PrepareConsole();
  try {
    return body();
  } catch (const Finished& finished) {
    return finished.status;
  } catch (const UsageError& error) {
    std::cout.flush();
    std::cerr << program << ": " << error.what() << "\n" << error.usage();
    return 2;
  } catch (const PathError& error) {
    std::cout.flush();
    std::cerr << program << ": " << error.path() << ": " << error.what() << "\n";
    return 1;
  } catch (const std::exception& error) {
    std::cout.flush();
    std::cerr << program << ": " << error.what() << "\n";
    return 1;
  } catch (...) {
    std::cerr << program << ": unexpected failure\n";
    return 1;
  }
}

int Main(const Command& command, int argc, char** argv,
         const std::function<int(const Parsed&)>& body) {
  return Run(command.name, [&] { return body(Parse(command, platform::Arguments(argc, argv))); });
}

std::string Reason(int error) {
  return std::strerror(error);
}

std::string ReadFile(const std::string& path) {
  std::string bytes;
  int error = 0;
  const bool read = path == "-" ? platform::ReadStandardInput(bytes, &error)
                                : platform::ReadNativeFile(path, bytes, &error);
  if (!read) throw PathError(path, Reason(error));
  return bytes;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  int error = 0;
  bool written = false;
  if (path == "-") {
    std::cout.flush();
    written = platform::WriteStandardOutput(bytes, &error);
  } else {
    written = platform::WriteNativeFile(path, bytes, &error);
  }
  if (!written) throw PathError(path, Reason(error));
}

void RequireFolder(const std::string& path) {
  int error = 0;
  if (!platform::CheckFolder(path, &error)) throw PathError(path, Reason(error));
}

void RequireFile(const std::string& path) {
  int error = 0;
  if (!platform::CheckReadableFile(path, &error)) throw PathError(path, Reason(error));
}

}  // namespace cli
