// Helpers of the proof tests: scratch folders, running a program and
// collecting its output.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "script/GaleScript.h"
#include "tests/script/FakeHost.h"

namespace proof {

// A fresh folder under /tmp, removed with the object.
class ScratchDir {
 public:
  ScratchDir() {
    char pattern[] = "/tmp/marigold-proof-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made) path_ = made;
  }
  ~ScratchDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteAll(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary);
  out << bytes;
}

// Runs a shell command; returns its exit status, or -1 when it ended by a
// signal.
inline int Run(const std::string& command) {
  const int status = std::system(command.c_str());
  if (status == -1 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// The script tests' host: files from memory, beeps counted.
using MemoryHost = ::FakeHost;

}  // namespace proof
