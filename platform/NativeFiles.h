// Whole native files and folders by their UTF-8 names (on Linux any bytes;
// on Windows converted to the system's UTF-16 names): what the shell and the
// command line need of the file system beyond the game's data files, which
// come through platform::Platform::ReadFile. Every function that can fail
// returns false and, when `error` is given, sets it to the errno value saying
// why (cli::Reason turns it into words). This header names no std::filesystem
// type, so that the layers under platform/SeamGuard.h may include it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// Reads the whole file at a native path. Fails when it cannot be opened or
// read (a folder included).
bool ReadNativeFile(const std::string& path, std::string& bytes, int* error = nullptr);

// Reads standard input to its end.
bool ReadStandardInput(std::string& bytes, int* error = nullptr);

// Creates or truncates the file and writes `bytes` into it.
bool WriteNativeFile(const std::string& path, const std::string& bytes, int* error = nullptr);

// Writes `bytes` to standard output, unbuffered (flush the C++ streams first).
bool WriteStandardOutput(const std::string& bytes, int* error = nullptr);

// Writes `bytes` beside the file (its name and ".new") and renames that over
// it: a failed write leaves the old file as it was and no ".new" behind.
bool ReplaceNativeFile(const std::string& path, const std::string& bytes, int* error = nullptr);

// When the file was last written, in the file system's own ticks: only for
// comparing with another such reading or for SetModifiedTime. Nothing when
// there is no such file.
std::optional<std::int64_t> ModifiedTime(const std::string& path);

// Sets when the file was last written, a reading of ModifiedTime.
bool SetModifiedTime(const std::string& path, std::int64_t ticks, int* error = nullptr);

// Whether the path names a folder.
bool IsFolder(const std::string& path);

// Whether the path is a folder the program may list and enter (as `ls` and
// `cd` would need): ENOTDIR when it is something else.
bool CheckFolder(const std::string& path, int* error = nullptr);

// Whether the path is a file the program may read: EISDIR for a folder.
bool CheckReadableFile(const std::string& path, int* error = nullptr);

// Makes the folder the working folder.
bool ChangeFolder(const std::string& path, int* error = nullptr);

// The folder of the running program, ending in a separator, in UTF-8; empty
// when the system cannot tell.
std::string ProgramFolder();

}  // namespace platform
