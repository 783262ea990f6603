// Helpers of the proof tests: running a program and collecting its output.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "script/GaleScript.h"
#include "testing/FakeHost.h"
#include "tests/support/ScratchFolder.h"

namespace proof {

using testsupport::ReadAll;

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
