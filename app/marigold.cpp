// The program entry: the game on the real machine.
#include <iostream>

#include "app/Author.h"
#include "app/CommandLine.h"
#include "app/UnitForm.h"
#include "platform/NativeFiles.h"
#include "platform/sdl/SdlPlatform.h"

int main(int argc, char** argv) {
  const cli::Command command{
      "marigold",
      "usage: marigold [--author] [GAMEDIR]\n",
      "Plays the story game held in GAMEDIR, the folder that holds dat/ (default: the\n"
      "working folder; without dat/ there, the program's own folder, then the demo\n"
      "installed with the program).\n"
      "  --author  author mode: each passage shown prints its story line on the error\n"
      "            stream and the caption names its label; F5 packs story.txt and\n"
      "            saying.txt where newer than their packed files, reloads the story\n"
      "            and the sayings and goes back to the passage's label, keeping heat\n"
      "            and clock\n"
      "Exit status: 0 when the game ends, 1 when it cannot start, 2 on bad usage.\n",
      {"--author"},
      {},
      0,
      1};
  return cli::Main(command, argc, argv, [&](const cli::Parsed& parsed) {
    if (!parsed.operands.empty()) {
      const std::string& folder = parsed.operands[0];
      cli::RequireFolder(folder);
      int error = 0;
      if (!platform::ChangeFolder(folder, &error)) throw cli::PathError(folder, cli::Reason(error));
    } else {
      // A game started from a file manager, a shortcut or a terminal may find
      // itself in any folder: the game beside the program is the one meant
      // then, else the demo installed with it.
      const std::string beside = platform::ProgramFolder();
      if (!platform::IsFolder("dat") && !beside.empty()) {
        for (const std::string& game : {beside, beside + MARIGOLD_INSTALLED_DEMO}) {
          if (platform::IsFolder(game + "dat")) {
            platform::ChangeFolder(game);
            break;
          }
        }
      }
    }
    // Without a machine to show a box on, the error ends up on the error
    // stream, one line.
    platform::SdlPlatform machine;
    TAuthorMode author(std::cerr, "");  // the game folder is the working folder now
    TRunHooks hooks;
    if (parsed.Has("--author")) {
      hooks.Started = [&] { author.Attach(*Application, *FormMain); };
    }
    return RunMarigold(machine, std::nullopt, hooks);
  });
}
