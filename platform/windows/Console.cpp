// The standard streams on Windows. Implements platform/Console.h: binary
// mode for standard output and error, and the UTF-8 output code page for a
// console window.
#include "platform/Console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

namespace platform {

void PrepareConsole() {
  std::fflush(stdout);
  std::fflush(stderr);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
}

}  // namespace platform
