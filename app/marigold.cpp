// The program entry: the game on the real machine.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>

#include "app/Author.h"
#include "app/UnitForm.h"
#include "platform/sdl/SdlPlatform.h"

namespace {

const char kUsage[] =
    "usage: marigold [--author] [GAMEDIR]\n"
    "Plays the game held in GAMEDIR (the folder holding dat/; default: here).\n"
    "  --author  author mode: each passage prints its story line on the error\n"
    "            stream, the caption names its label, and F5 packs story.txt and\n"
    "            saying.txt where changed and reloads them\n";

}  // namespace

int main(int argc, char** argv) {
  bool author = false;
  std::string folder;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--author") {
      author = true;
    } else if (folder.empty() && !arg.empty() && arg[0] != '-') {
      folder = arg;
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  if (!folder.empty() && chdir(folder.c_str()) != 0) {
    std::fprintf(stderr, "marigold: %s: %s\n", folder.c_str(), std::strerror(errno));
    return 1;
  }
  try {
    platform::SdlPlatform machine;
    TAuthorMode mode(std::cerr);
    TRunHooks hooks;
    if (author) hooks.Started = [&] { mode.Attach(*Application, *FormMain); };
    return RunMarigold(machine, std::nullopt, hooks);
  } catch (const std::exception& error) {
    // Without a machine to show a box on, the text goes to the error stream.
    std::fprintf(stderr, "%s\n%s\n", kStartupErrorTitle,
                 StartupErrorText(&error, "marigold").c_str());
    return 1;
  }
}
