// Data files named as the game names them: CP932 bytes such as "dat\\story.dat",
// found below a data folder (the working folder for the game itself), and
// native paths for the tools. The whole-file reads and writes by UTF-8 names
// are platform/NativeFiles.h, included here; CannotOpenMessage is declared
// beside Platform::ReadFile (platform/Platform.h).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/NativeFiles.h"
#include "platform/Platform.h"

namespace platform {

// The rules of the game-file lookup, in the order they are tried.
enum class FoundBy {
  kExact,           // the name as written, converted to UTF-8
  kFoldedCase,      // letters folded as Windows folds them (ASCII, full-width Latin)
  kRawCp932,        // the name's CP932 bytes as the name on disk
  kRawCp932Folded,  // the CP932 bytes with letters folded
};

// Where a game file name was found.
struct GameFile {
  std::string path;      // the native path: the data folder joined with `spelling`
  std::string spelling;  // the name below the data folder as stored on disk, '/' between parts
  FoundBy rule = FoundBy::kExact;
  bool regular = false;  // a plain file (not a folder or a device)
};

// The one game-file lookup, used by the game and by the tools. The name is
// split at '\\' and '/' (a CP932 second byte 0x5C, as in "ソ", is no
// separator) and empty parts are skipped, so the name always lies below the
// data folder ("" is the working folder). The rules of FoundBy are tried in order and the first
// that finds an entry wins; within a folding rule each part is taken as written when it exists,
// otherwise the first folder entry in byte order that matches.
std::optional<GameFile> FindGameFile(const std::string& dataFolder, const std::string& gameName);

// Reads the whole game file below the data folder. Returns false when nothing
// is found under that name; throws std::runtime_error(CannotOpenMessage)
// when something is found but is no readable file (a folder, say).
bool ReadGameFile(const std::string& dataFolder, const std::string& gameName, std::string& bytes);

// The native path of a UTF-8 name: the UTF-16 name on Windows (bytes that
// are no UTF-8 become U+FFFD, so such a name names no file), the same bytes
// on Linux. Every file the programs open by a name they hold goes through it.
std::filesystem::path NativePath(const std::string& utf8);

// The UTF-8 name of a native path (on Linux its bytes as they are).
std::string Utf8Path(const std::filesystem::path& path);

// Letters folded as Windows folds them when it compares names: ASCII and
// full-width Latin capitals become small letters. The first takes UTF-8, the
// second CP932 bytes; every other byte stays as it is.
std::string FoldUtf8Name(std::string_view utf8);
std::string FoldCp932Name(std::string_view cp932);

}  // namespace platform
