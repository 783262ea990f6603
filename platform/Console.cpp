// The standard streams on Linux: already plain bytes. Implements
// platform/Console.h; the Windows version is windows/Console.cpp.
#include "platform/Console.h"

#include <csignal>

namespace platform {

void PrepareConsole() {
  // A reader that goes away (`| head`) makes writes fail instead of killing us.
  std::signal(SIGPIPE, SIG_IGN);
}

std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace platform
