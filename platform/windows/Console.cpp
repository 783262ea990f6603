// The standard streams and the command line on Windows. Implements
// platform/Console.h: binary mode for the standard streams, the UTF-8
// output code page for a console window, and the words of the UTF-16
// command line in UTF-8.
#include "platform/Console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
// CommandLineToArgvW: the command line split as the C library splits argv.
#include <shellapi.h>

#include <cstdio>
#include <memory>

namespace platform {

void PrepareConsole() {
  std::fflush(stdout);
  std::fflush(stderr);
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
}

std::vector<std::string> Arguments(int argc, char** argv) {
  int count = 0;
  const std::unique_ptr<LPWSTR, decltype(&LocalFree)> words(
      CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
  if (!words) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::vector<std::string> result;
  for (int i = 1; i < count; ++i) {
    const wchar_t* word = words.get()[i];
    const int length = static_cast<int>(wcslen(word));
    const int n = WideCharToMultiByte(CP_UTF8, 0, word, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, word, length, utf8.data(), n, nullptr, nullptr);
    result.push_back(std::move(utf8));
  }
  return result;
}

}  // namespace platform
