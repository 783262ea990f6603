#include "app/UnitForm.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <typeinfo>

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

int RunMarigold(platform::Platform& machine, std::optional<std::uint32_t> seed,
                const TRunHooks& hooks) {
  TApplication app(machine);
  app.Title = kApplicationTitle;
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
  if (!form) {
    machine.ErrorBox(kStartupErrorTitle, text, "");
    if (hooks.Failed) hooks.Failed();
    // What the bootstrap made before it failed is released before the end.
    DoneGame();
    FormMain = nullptr;
    return 1;
  }
  if (hooks.Started) hooks.Started();
  app.Run();
  if (hooks.Finished) hooks.Finished();
  form.reset();
  return 0;
}
