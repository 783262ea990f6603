// The program entry: the game on the real machine.
#include <unistd.h>

#include <cerrno>

#include "app/CommandLine.h"
#include "app/UnitForm.h"
#include "platform/sdl/SdlPlatform.h"

int main(int argc, char** argv) {
  const cli::Command command{
      "marigold",
      "usage: marigold [GAMEDIR]\n",
      "Plays the story game held in GAMEDIR, the folder that holds dat/ (default: the\n"
      "working folder).\n"
      "Exit status: 0 when the game ends, 1 when it cannot start, 2 on bad usage.\n",
      {},
      {},
      0,
      1};
  return cli::Run("marigold", [&] {
    const cli::Parsed parsed = cli::Parse(command, {argv + 1, argv + argc});
    if (!parsed.operands.empty()) {
      const std::string& folder = parsed.operands[0];
      cli::RequireFolder(folder);
      if (chdir(folder.c_str()) != 0) throw cli::PathError(folder, cli::Reason(errno));
    }
    // Without a machine to show a box on, the error ends up on the error
    // stream, one line.
    platform::SdlPlatform machine;
    return RunMarigold(machine);
  });
}
