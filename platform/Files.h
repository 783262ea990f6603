// Data files named as the game names them: CP932 bytes such as "dat\\story.dat",
// relative to the working folder.
#pragma once

#include <string>

namespace platform {

// The native path of a game file name: the whole name converted to UTF-8
// first, then backslashes turned into slashes (so the second byte 0x5C of a
// character such as "ソ" survives). When no file exists under that path, each
// part of it is looked up in its folder without regard to letter case, so
// data made on Windows works unchanged; the first match wins. When nothing
// matches, the converted path is returned as it is.
std::string NativePath(const std::string& gameName);

// True when a file (not a folder) exists for the game file name.
bool FileExists(const std::string& gameName);

// Reads the whole file. Returns false when no such file exists; throws
// std::runtime_error when it exists but cannot be read.
bool ReadWholeFile(const std::string& gameName, std::string& bytes);

}  // namespace platform
