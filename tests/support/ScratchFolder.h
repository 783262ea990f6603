// Test helpers shared by every test program: a scratch folder that is gone
// when the test ends, and whole-file reads and writes through the seam.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Files.h"

namespace testsupport {

// A fresh folder under /tmp, removed with everything in it with the object.
class ScratchFolder {
 public:
  ScratchFolder() {
    char pattern[] = "/tmp/marigold-test-XXXXXX";
    if (const char* made = mkdtemp(pattern)) path_ = made;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& relative) const {
    return path_ / relative;
  }

  // Writes a file below the folder, making the folders on the way.
  void Write(const std::filesystem::path& relative, const std::string& bytes) const {
    const std::filesystem::path file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
  }

 private:
  std::filesystem::path path_;
};

// The whole file, or an empty string when it cannot be read.
inline std::string ReadAll(const std::filesystem::path& file) {
  std::string bytes;
  platform::ReadNativeFile(file.string(), bytes);
  return bytes;
}

}  // namespace testsupport
