// Test helpers shared by every test program: a scratch folder that is gone
// when the test ends, and whole-file reads and writes through the seam.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/Files.h"

namespace testsupport {

// A path from UTF-8 bytes (on Linux any bytes), made without the code under
// test: on Windows its UTF-16 name.
inline std::filesystem::path FromUtf8(const std::string& bytes) {
  return std::filesystem::path(std::u8string(bytes.begin(), bytes.end()));
}

// A fresh folder in the system's temporary folder, removed with everything
// in it with the object.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty() && !ec; ++attempt) {
      const std::filesystem::path candidate =
          base / ("marigold-test-" + std::to_string(random()) + std::to_string(attempt));
      if (std::filesystem::create_directory(candidate, ec)) path_ = candidate;
    }
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
