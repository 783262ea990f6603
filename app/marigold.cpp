// The program entry: the game on the real machine.
#include <cstdio>
#include <exception>

#include "app/UnitForm.h"
#include "platform/sdl/SdlPlatform.h"

int main() {
  try {
    platform::SdlPlatform machine;
    return RunMarigold(machine);
  } catch (const std::exception& error) {
    // Without a machine to show a box on, the text goes to the error stream.
    std::fprintf(stderr, "%s\n%s\n", kStartupErrorTitle,
                 StartupErrorText(&error, "marigold").c_str());
    return 1;
  }
}
