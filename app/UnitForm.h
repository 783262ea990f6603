// The game's main form: a 600 x 400 window whose paint box shows the picture
// the game composes and passes its mouse events to the game.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/GaleForm.h"
#include "game/Frame.h"

namespace platform {
class Platform;
}

// The paint box on the panel: only its place matters.
struct TPaintBox {
  std::int32_t Left = 40;
  std::int32_t Top = 72;
  std::int32_t Width = 153;
  std::int32_t Height = 81;
};

class TFormMain : public TGaleForm {
 public:
  // Sizes and centres the window, runs the whole game bootstrap (seeded with
  // `seed` when given), then stretches the panel and the paint box.
  explicit TFormMain(TApplication& owner, std::optional<std::uint32_t> seed = std::nullopt);
  // Shuts the game down first.
  ~TFormMain() override;

  void MouseDown(platform::MouseButton button, int x, int y) override;
  void MouseMove(int x, int y) override;
  void MouseUp(platform::MouseButton button, int x, int y) override;
  void Key(int key, bool keyUp) override;

  // Told each key pressed (its virtual-key code) that the form lets through.
  std::function<void(int)> KeyPressed;

  TPanel PageMain{24, 24, kFrameWidth, kFrameHeight, false};
  TPaintBox PntMain;
};

// The main form while it exists.
extern TFormMain* FormMain;

// The application's title, "焔の庭" (UTF-8).
extern const char* const kApplicationTitle;
// The title of the box for an error that ends the start-up.
extern const char* const kStartupErrorTitle;

// The text of that box: the kind of error, the module, the address, the
// message and a "." unless the message already ends in one.
std::string StartupErrorText(const std::exception* error, const std::string& module);

// The whole program on a machine: the application titled "焔の庭", the main
// form, the run; exit status 0. An error while the form is made is shown in
// the start-up error box and gives exit status 1 without showing the window.
// Tools hook in through `hooks`.
struct TRunHooks {
  std::function<void()> Started;   // the form exists; before the run
  std::function<void()> Finished;  // the run has ended; before the form is released
  std::function<void()> Failed;    // after the start-up error box
};
int RunMarigold(platform::Platform& machine, std::optional<std::uint32_t> seed = std::nullopt,
                const TRunHooks& hooks = {});

// The same program for a host that calls one pass of the loop per frame
// itself (the browser) instead of running it: Start makes the application
// and the main form as RunMarigold does, each Frame is one pass.
class TMarigoldFrames {
 public:
  explicit TMarigoldFrames(platform::Platform& machine);
  ~TMarigoldFrames();
  TMarigoldFrames(const TMarigoldFrames&) = delete;
  TMarigoldFrames& operator=(const TMarigoldFrames&) = delete;

  // False after the start-up error box (what the bootstrap made is released).
  bool Start(std::optional<std::uint32_t> seed = std::nullopt);
  // One pass of the loop; false once the game has ended (the form is then
  // released) or never started.
  bool Frame();

 private:
  TApplication app_;
  std::unique_ptr<TFormMain> form_;
};
