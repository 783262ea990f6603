#include "app/CommandLine.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>  // _wopen: files by their UTF-16 names
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "platform/Console.h"
#include "platform/Files.h"

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

// Opens a file by its native name: UTF-16 and in binary mode on Windows.
int OpenNative(const std::filesystem::path& path, int flags) {
#ifdef _WIN32
  return _wopen(path.c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
#else
  return open(path.c_str(), flags | O_CLOEXEC, 0666);
#endif
}

// A descriptor that closes itself.
struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) close(fd);
  }
};

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
  // Plain UTF-8 bytes out, on Windows too.
  platform::PrepareConsole();
#ifdef SIGPIPE
  // A reader that goes away (`| head`) makes writes fail instead of killing us.
  signal(SIGPIPE, SIG_IGN);
#endif
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

std::string ReadFile(const std::filesystem::path& path) {
  std::string bytes;
  int error = 0;
  const bool read = path == "-" ? platform::ReadStandardInput(bytes, &error)
                                : platform::ReadNativeFile(path.string(), bytes, &error);
  if (!read) throw PathError(path.string(), Reason(error));
  return bytes;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  Fd out;
  if (path == "-") {
    std::cout.flush();
    out.fd = dup(STDOUT_FILENO);
  } else {
    out.fd = OpenNative(path, O_WRONLY | O_CREAT | O_TRUNC);
  }
  if (out.fd < 0) throw PathError(path.string(), Reason(errno));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(out.fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw PathError(path.string(), Reason(errno));
    }
    done += static_cast<std::size_t>(n);
  }
  const int fd = out.fd;
  out.fd = -1;
  if (close(fd) != 0) throw PathError(path.string(), Reason(errno));
}

#ifdef _WIN32
// Windows has no execute right on folders and its C library no UTF-16 stat
// of every form of name: the file system library asks the system instead.
void RequireFolder(const std::filesystem::path& path) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(status)) throw PathError(path.string(), Reason(ENOENT));
  if (!std::filesystem::is_directory(status)) throw PathError(path.string(), Reason(ENOTDIR));
}

void RequireFile(const std::filesystem::path& path) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(status)) throw PathError(path.string(), Reason(ENOENT));
  if (std::filesystem::is_directory(status)) throw PathError(path.string(), Reason(EISDIR));
  Fd in;
  in.fd = OpenNative(path, O_RDONLY);
  if (in.fd < 0) throw PathError(path.string(), Reason(errno));
}
#else
void RequireFolder(const std::filesystem::path& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) throw PathError(path.string(), Reason(errno));
  if (!S_ISDIR(info.st_mode)) throw PathError(path.string(), Reason(ENOTDIR));
  if (access(path.c_str(), R_OK | X_OK) != 0) throw PathError(path.string(), Reason(errno));
}

void RequireFile(const std::filesystem::path& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) throw PathError(path.string(), Reason(errno));
  if (S_ISDIR(info.st_mode)) throw PathError(path.string(), Reason(EISDIR));
  if (access(path.c_str(), R_OK) != 0) throw PathError(path.string(), Reason(errno));
}
#endif

}  // namespace cli
