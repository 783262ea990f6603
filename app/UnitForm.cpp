#include "app/UnitForm.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <typeinfo>

#include "engine/GaleTimer.h"
#include "game/UnitCommon.h"
#include "platform/Platform.h"

TFormMain* FormMain = nullptr;

const char* const kApplicationTitle = "焔の庭";
const char* const kStartupErrorTitle = "アプリケーション エラー";

TFormMain::TFormMain(TApplication& owner, std::optional<std::uint32_t> seed)
    // The size goes in with the base construction so that the window is made
    // and centred with it.
    : TGaleForm(owner, kApplicationTitle, kFrameWidth, kFrameHeight) {
  FormMain = this;
  InitGame(*this, seed);
  FitPanel(PageMain, true);
  PntMain = TPaintBox{0, 0, kFrameWidth, kFrameHeight};
}

TFormMain::~TFormMain() {
  DoneGame();
  if (FormMain == this) FormMain = nullptr;
}

void TFormMain::MouseDown(platform::MouseButton button, int x, int y) {
  PntMainMouseDown(button, x, y);
}

void TFormMain::MouseMove(int x, int y) {
  PntMainMouseMove(x, y);
}

void TFormMain::MouseUp(platform::MouseButton button, int, int) {
  PntMainMouseUp(button);
}

void TFormMain::Key(int key, bool keyUp) {
  if (!keyUp && KeyPressed) KeyPressed(key);
}

namespace {

std::string KindOf(const std::exception* error) {
  if (!error) return "例外";
  const char* mangled = typeid(*error).name();
  int status = 0;
  char* plain = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
  std::string name = (status == 0 && plain) ? plain : mangled;
  std::free(plain);
  return "例外 " + name;
}

}  // namespace

std::string StartupErrorText(const std::exception* error, const std::string& module) {
  const std::string message = error ? error->what() : "不明なエラーです";
  const std::string stop = (!message.empty() && message.back() == '.') ? "" : ".";
  return KindOf(error) + "がモジュール " + module + " の 00000000 で発生しました。\n" + message +
         stop;
}

namespace {

// Makes the main form of the application; on an error, shows the start-up
// error box and returns null.
std::unique_ptr<TFormMain> StartGame(TApplication& app, std::optional<std::uint32_t> seed) {
  std::unique_ptr<TFormMain> form;
  std::string text;
  try {
    // The loop dispatches through `Application`; it must be this one.
    if (Application != &app) throw std::logic_error("another application object is alive");
    form = std::make_unique<TFormMain>(app, seed);
  } catch (const std::exception& error) {
    text = StartupErrorText(&error, "marigold");
  } catch (...) {
    text = StartupErrorText(nullptr, "marigold");
  }
  if (!form) app.Platform().ErrorBox(kStartupErrorTitle, text, "");
  return form;
}

// What the bootstrap made before it failed, released.
void ReleaseFailedStart() {
  DoneGame();
  FormMain = nullptr;
}

}  // namespace

int RunMarigold(platform::Platform& machine, std::optional<std::uint32_t> seed,
                const TRunHooks& hooks) {
  TApplication app(machine);
  app.Title = kApplicationTitle;
  std::unique_ptr<TFormMain> form = StartGame(app, seed);
  if (!form) {
    if (hooks.Failed) hooks.Failed();
    ReleaseFailedStart();
    return 1;
  }
  if (hooks.Started) hooks.Started();
  app.Run();
  if (hooks.Finished) hooks.Finished();
  form.reset();
  return 0;
}

TMarigoldFrames::TMarigoldFrames(platform::Platform& machine) : app_(machine) {
  app_.Title = kApplicationTitle;
  app_.HostDrivesLoop = true;
}

TMarigoldFrames::~TMarigoldFrames() = default;

bool TMarigoldFrames::Start(std::optional<std::uint32_t> seed) {
  form_ = StartGame(app_, seed);
  if (!form_) ReleaseFailedStart();
  return form_ != nullptr;
}

bool TMarigoldFrames::Frame() {
  if (!form_) return false;
  if (RunHostFrame()) return true;
  form_.reset();
  return false;
}
