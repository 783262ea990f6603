// The standard streams on Linux: already plain bytes. Implements
// platform/Console.h; the Windows version is windows/Console.cpp.
#include "platform/Console.h"

namespace platform {

void PrepareConsole() {}

std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace platform
