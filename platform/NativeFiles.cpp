// Whole native files and folders: implements platform/NativeFiles.h on Linux
// and Windows, all but ProgramFolder (sdl/SdlShared.cpp, from SDL).
#include "platform/NativeFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>  // _wopen: files by their UTF-16 names
#endif

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/Files.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// Keeps errno for the caller and reports the failure.
bool Failed(int* error) {
  if (error != nullptr) *error = errno != 0 ? errno : EIO;
  return false;
}

// Reports a failure for the reason `code`, an errno value.
bool FailedWith(int code, int* error) {
  if (error != nullptr) *error = code;
  return false;
}

// Reports a failure of the file system library as an errno value.
bool Failed(const std::error_code& ec, int* error) {
  if (error != nullptr) *error = ec.default_error_condition().value();
  return false;
}

// Reads an open file to its end. Reading a folder fails here (EISDIR)
// although opening it succeeded.
bool ReadToEnd(std::FILE* file, std::string& bytes, int* error) {
  std::string read;
  char buffer[1 << 16];
  for (;;) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, file);
    read.append(buffer, n);
    if (n < sizeof buffer) break;
  }
  if (std::ferror(file)) return Failed(error);
  bytes = std::move(read);
  return true;
}

// Opens a file for reading by its UTF-8 name.
std::FILE* OpenForReading(const std::string& path) {
#ifdef _WIN32
  // The C library's fopen takes the ANSI code page: the UTF-16 name instead.
  return _wfopen(NativePath(path).c_str(), L"rb");
#else
  return std::fopen(path.c_str(), "rb");
#endif
}

// Opens a file by its UTF-8 name: UTF-16 and in binary mode on Windows.
int OpenDescriptor(const std::string& path, int flags) {
#ifdef _WIN32
  return _wopen(NativePath(path).c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
#else
  return open(path.c_str(), flags | O_CLOEXEC, 0666);
#endif
}

// Writes all of `bytes` to the descriptor, then closes it.
bool WriteAndClose(int fd, const std::string& bytes, int* error) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int failure = errno;
      close(fd);
      errno = failure;
      return Failed(error);
    }
    done += static_cast<std::size_t>(n);
  }
  if (close(fd) != 0) return Failed(error);
  return true;
}

}  // namespace

bool ReadNativeFile(const std::string& path, std::string& bytes, int* error) {
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file(OpenForReading(path));
  if (!file) return Failed(error);
  return ReadToEnd(file.get(), bytes, error);
}

bool ReadStandardInput(std::string& bytes, int* error) {
  return ReadToEnd(stdin, bytes, error);
}

bool WriteNativeFile(const std::string& path, const std::string& bytes, int* error) {
  const int fd = OpenDescriptor(path, O_WRONLY | O_CREAT | O_TRUNC);
  if (fd < 0) return Failed(error);
  return WriteAndClose(fd, bytes, error);
}

bool WriteStandardOutput(const std::string& bytes, int* error) {
  const int fd = dup(STDOUT_FILENO);
  if (fd < 0) return Failed(error);
  return WriteAndClose(fd, bytes, error);
}

bool ReplaceNativeFile(const std::string& path, const std::string& bytes, int* error) {
  const std::string temporary = path + ".new";
  std::error_code ec;
  if (!WriteNativeFile(temporary, bytes, error)) {
    fs::remove(NativePath(temporary), ec);
    return false;
  }
  fs::rename(NativePath(temporary), NativePath(path), ec);
  if (ec) {
    fs::remove(NativePath(temporary), ec);
    return Failed(ec, error);
  }
  return true;
}

std::optional<std::int64_t> ModifiedTime(const std::string& path) {
  std::error_code ec;
  const fs::file_time_type written = fs::last_write_time(NativePath(path), ec);
  if (ec) return std::nullopt;
  return static_cast<std::int64_t>(written.time_since_epoch().count());
}

bool SetModifiedTime(const std::string& path, std::int64_t ticks, int* error) {
  std::error_code ec;
  fs::last_write_time(NativePath(path), fs::file_time_type(fs::file_time_type::duration(ticks)),
                      ec);
  return ec ? Failed(ec, error) : true;
}

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(NativePath(path), ec);
}

#ifdef _WIN32
// Windows has no execute right on folders and its C library no UTF-16 stat
// of every form of name: the file system library asks the system instead.
bool CheckFolder(const std::string& path, int* error) {
  std::error_code ec;
  const fs::file_status status = fs::status(NativePath(path), ec);
  if (!fs::exists(status)) return FailedWith(ENOENT, error);
  if (!fs::is_directory(status)) return FailedWith(ENOTDIR, error);
  return true;
}

bool CheckReadableFile(const std::string& path, int* error) {
  std::error_code ec;
  const fs::file_status status = fs::status(NativePath(path), ec);
  if (!fs::exists(status)) return FailedWith(ENOENT, error);
  if (fs::is_directory(status)) return FailedWith(EISDIR, error);
  const int fd = OpenDescriptor(path, O_RDONLY);
  if (fd < 0) return Failed(error);
  close(fd);
  return true;
}
#else
bool CheckFolder(const std::string& path, int* error) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return Failed(error);
  if (!S_ISDIR(info.st_mode)) return FailedWith(ENOTDIR, error);
  if (access(path.c_str(), R_OK | X_OK) != 0) return Failed(error);
  return true;
}

bool CheckReadableFile(const std::string& path, int* error) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return Failed(error);
  if (S_ISDIR(info.st_mode)) return FailedWith(EISDIR, error);
  if (access(path.c_str(), R_OK) != 0) return Failed(error);
  return true;
}
#endif

bool ChangeFolder(const std::string& path, int* error) {
  std::error_code ec;
  fs::current_path(NativePath(path), ec);
  return ec ? Failed(ec, error) : true;
}

}  // namespace platform
