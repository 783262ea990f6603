// The program entry of the page: the game on the web machine, its loop
// driven by the browser one pass a frame. The page calls main once the
// player's tap has let it start the audio.
#include <cstdio>
#include <exception>

#include "app/UnitForm.h"
#include "platform/web/WebPlatform.h"

int main() {
  // Both live as long as the page: the browser runs the passes after main
  // has returned.
  platform::WebPlatform* machine = nullptr;
  try {
    machine = new platform::WebPlatform();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "marigold: %s\n", error.what());
    return 1;
  }
  auto* game = new TMarigoldFrames(*machine);
  const bool started = game->Start();
  // After a failed start only the start-up error box is left to dismiss.
  machine->RunFrames([=] { return started ? game->Frame() : machine->ErrorBoxOpen(); }, [] {});
  return started ? 0 : 1;
}
