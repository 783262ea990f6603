#include "platform/Files.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "platform/Encoding.h"

#ifdef _WIN32
// MultiByteToWideChar: UTF-8 names to the system's UTF-16 ones.
#include <windows.h>
#endif

namespace platform {
namespace {

namespace fs = std::filesystem;

bool IsCp932Lead(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The parts of a CP932 name between separators, empty ones dropped.
std::vector<std::string> SplitGameName(const std::string& name) {
  std::vector<std::string> parts;
  std::string part;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto b = static_cast<unsigned char>(name[i]);
    if (IsCp932Lead(b) && i + 1 < name.size()) {
      part += name[i];
      part += name[++i];
    } else if (b == '\\' || b == '/') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += name[i];
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(NativePath(path), ec);
}

// The names in a folder in byte order, so that the first match is the same
// on every machine whatever order the file system lists them in.
std::vector<std::string> SortedEntries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(NativePath(folder.empty() ? "." : folder), ec), stop;
       !ec && it != stop; it.increment(ec)) {
    try {
      names.push_back(Utf8Path(it->path().filename()));
    } catch (const std::exception&) {
      // A Windows name that is no valid UTF-16 has no UTF-8 name to match.
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string Join(const std::string& folder, const std::string& part) {
  if (folder.empty()) return part;
  return folder.back() == '/' ? folder + part : folder + "/" + part;
}

// Whether the folder holds an entry spelled exactly `part`. Windows finds
// names in any letter case by itself: the entry's own spelling must match
// too, so that lookups report the same spelling and rule on every system.
bool ExistsAsWritten(const std::string& folder, const std::string& part) {
  if (!Exists(Join(folder, part))) return false;
#ifdef _WIN32
  const std::vector<std::string> entries = SortedEntries(folder);
  return std::binary_search(entries.begin(), entries.end(), part);
#else
  return true;
#endif
}

using Fold = std::string (*)(std::string_view);

// One rule: the parts joined below the root, each folded when `fold` is set
// and it does not exist as written. Returns the spelling found, if any.
std::optional<std::string> Walk(const std::string& root, const std::vector<std::string>& parts,
                                Fold fold) {
  std::string spelling;
  std::string current = root;
  for (const std::string& part : parts) {
    std::string match;
    if (ExistsAsWritten(current, part)) {
      match = part;
    } else if (fold) {
      const std::string wanted = fold(part);
      for (const std::string& entry : SortedEntries(current)) {
        if (fold(entry) == wanted) {
          match = entry;
          break;
        }
      }
    }
    if (match.empty()) return std::nullopt;
    current = Join(current, match);
    spelling = spelling.empty() ? match : spelling + "/" + match;
  }
  return spelling;
}

}  // namespace

fs::path NativePath(const std::string& utf8) {
#ifdef _WIN32
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), n);
  return fs::path(std::move(wide));
#else
  return fs::path(utf8);
#endif
}

std::string Utf8Path(const fs::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

std::string FoldUtf8Name(std::string_view utf8) {
  std::string out(utf8);
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = FoldAsciiLetter(out[i]);
    // U+FF21..U+FF3A (EF BC A1..BA) to U+FF41..U+FF5A (EF BD 81..9A).
    if (static_cast<unsigned char>(out[i]) == 0xEF && i + 2 < out.size() &&
        static_cast<unsigned char>(out[i + 1]) == 0xBC) {
      const auto third = static_cast<unsigned char>(out[i + 2]);
      if (third >= 0xA1 && third <= 0xBA) {
        out[i + 1] = static_cast<char>(0xBD);
        out[i + 2] = static_cast<char>(third - 0xA1 + 0x81);
      }
      i += 2;
    }
  }
  return out;
}

std::string FoldCp932Name(std::string_view cp932) {
  std::string out(cp932);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto b = static_cast<unsigned char>(out[i]);
    if (IsCp932Lead(b) && i + 1 < out.size()) {
      // Full-width capitals are 82 60..79, their small letters 82 81..9A.
      const auto second = static_cast<unsigned char>(out[i + 1]);
      if (b == 0x82 && second >= 0x60 && second <= 0x79) {
        out[i + 1] = static_cast<char>(second - 0x60 + 0x81);
      }
      ++i;
    } else {
      out[i] = FoldAsciiLetter(out[i]);
    }
  }
  return out;
}

std::optional<GameFile> FindGameFile(const std::string& dataFolder, const std::string& gameName) {
  const std::vector<std::string> raw = SplitGameName(gameName);
  if (raw.empty()) return std::nullopt;
  const std::string& root = dataFolder;
  std::vector<std::string> utf8;
  for (const std::string& part : raw) utf8.push_back(Cp932ToUtf8(part));

  struct Rule {
    FoundBy rule;
    const std::vector<std::string>* parts;
    Fold fold;
  };
  const Rule rules[] = {
      {FoundBy::kExact, &utf8, nullptr},
      {FoundBy::kFoldedCase, &utf8, FoldUtf8Name},
      {FoundBy::kRawCp932, &raw, nullptr},
      {FoundBy::kRawCp932Folded, &raw, FoldCp932Name},
  };
  auto at = [&](const std::string& spelling, FoundBy rule) {
    GameFile found;
    found.spelling = spelling;
    found.path = Join(root, spelling);
    found.rule = rule;
    std::error_code ec;
    found.regular = fs::is_regular_file(NativePath(found.path), ec);
    return found;
  };
  for (const Rule& r : rules) {
    // A name whose bytes read the same in both encodings needs no second try.
    if ((r.rule == FoundBy::kRawCp932 || r.rule == FoundBy::kRawCp932Folded) && raw == utf8) break;
    if (std::optional<std::string> spelling = Walk(root, *r.parts, r.fold)) {
      return at(*spelling, r.rule);
    }
  }
#ifdef _WIN32
  // A name Windows finds in a way no rule does (another letter case outside
  // ASCII and full-width Latin, a short 8.3 name): as written.
  std::string spelling;
  for (const std::string& part : utf8) spelling = spelling.empty() ? part : spelling + "/" + part;
  if (Exists(Join(root, spelling))) return at(spelling, FoundBy::kExact);
#endif
  return std::nullopt;
}

std::string CannotOpenMessage(const std::string& gameName) {
  return "ファイル " + Cp932ToUtf8(gameName) + " は開けません";
}

bool ReadGameFile(const std::string& dataFolder, const std::string& gameName, std::string& bytes) {
  const std::optional<GameFile> found = FindGameFile(dataFolder, gameName);
  if (!found) return false;
  if (!found->regular || !ReadNativeFile(found->path, bytes)) {
    throw std::runtime_error(CannotOpenMessage(gameName));
  }
  return true;
}

}  // namespace platform
