#include "platform/Files.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "platform/Encoding.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// Walks the path part by part, taking each part as written when it exists and
// otherwise the first entry of its folder that matches without regard to case.
std::string FoldCase(const std::string& path) {
  std::string result;
  std::size_t start = 0;
  if (!path.empty() && path[0] == '/') {
    result = "/";
    start = 1;
  }
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(start, end - start);
    if (!part.empty()) {
      std::string candidate = result + part;
      std::error_code ec;
      if (!fs::exists(fs::path(candidate), ec)) {
        fs::path folder = result.empty() ? fs::path(".") : fs::path(result);
        for (fs::directory_iterator it(folder, ec), stop; !ec && it != stop; it.increment(ec)) {
          std::string name = it->path().filename().string();
          if (SameIgnoringCase(name, part)) {
            candidate = result + name;
            break;
          }
        }
      }
      result = candidate;
      if (end < path.size()) result += '/';
    }
    start = end + 1;
  }
  return result;
}

}  // namespace

std::string NativePath(const std::string& gameName) {
  std::string path = Cp932ToUtf8(gameName);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  std::error_code ec;
  if (path.empty() || fs::exists(fs::path(path), ec)) return path;
  std::string folded = FoldCase(path);
  return fs::exists(fs::path(folded), ec) ? folded : path;
}

bool FileExists(const std::string& gameName) {
  std::error_code ec;
  return fs::is_regular_file(fs::path(NativePath(gameName)), ec);
}

bool ReadWholeFile(const std::string& gameName, std::string& bytes) {
  std::string path = NativePath(gameName);
  std::error_code ec;
  if (!fs::exists(fs::path(path), ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("ファイル " + Cp932ToUtf8(gameName) + " は開けません");
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) throw std::runtime_error("ファイル " + Cp932ToUtf8(gameName) + " を読めません");
  return true;
}

}  // namespace platform
