// The standard streams on Linux: already plain bytes. Implements
// platform/Console.h; the Windows version is windows/Console.cpp.
#include "platform/Console.h"

namespace platform {

void PrepareConsole() {}

}  // namespace platform
