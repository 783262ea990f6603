// The number-taking story commands driven through the interpreter with the game's own handlers on a
// fresh game state. The story is the input as plain text.
#include <exception>
#include <memory>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "game/BaseFiles.h"
#include "game/StoryCommands.h"
#include "game/UnitCommon.h"
#include "gfx/GaleBmp.h"
#include "platform/headless/HeadlessPlatform.h"
#include "tools/imagewrite/ImageWrite.h"

// The file as the game names it.
static const std::string kPath = "dat\\" + std::string(basefiles::kStory);

namespace {

// The machine the commands load their pictures through, with one small
// picture in memory.
platform::HeadlessPlatform& Machine() {
  static platform::HeadlessPlatform machine;
  static const bool made = [] {
    const std::uint8_t red[4 * 3 * 3] = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255,
                                         0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255,
                                         0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255};
    const auto bmp = imagewrite::EncodeBmp(red, 4, 3, 12);
    machine.AddFile("dat\\a.bmp", std::string(bmp.begin(), bmp.end()));
    return true;
  }();
  (void)made;
  return machine;
}

// The commands that read a number: the ones whose arithmetic the input drives.
bool TakesNumber(const story::Command& command) {
  for (const story::Param& param : command.params) {
    if (param.kind == story::Arg::Number && !param.name.empty()) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ResetGameState();
  Game.Machine = &Machine();
  fuzz::MemoryHost host;
  host.files[kPath] = std::string(reinterpret_cast<const char*>(data), size);
  try {
    Game.StoryScript = std::make_unique<TGaleScript>(host, kPath, false);
    TGaleScript& script = *Game.StoryScript;
    for (const story::Command& command : story::kCommands) {
      if (TakesNumber(command)) {
        script.RegisterCommand(std::string(command.word), HandlerFor(command.id));
      }
    }
    script.SetBatchHandler([](const TWordList&) {});
    script.SetBatchLimit(3);
    for (int i = 0; i < 32 && !script.Ended; ++i) {
      Game.Heat += 7;
      script.DeliverNext();
    }
  } catch (const std::exception&) {
  }
  ResetGameState();
  return 0;
}
