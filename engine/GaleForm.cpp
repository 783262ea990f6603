#include "engine/GaleForm.h"

#include <algorithm>

#include "platform/Encoding.h"
#include "script/GaleScript.h"

namespace {

constexpr int kStartMessage = 1034;  // the first message free for a program (1024) + 10
constexpr int kKeyAlt = 18;
constexpr int kKeyF10 = 121;

}  // namespace

TApplication* Application = nullptr;

TApplication::TApplication(platform::Platform& platform) : platform_(platform) {
  if (!Application) Application = this;
}

TApplication::~TApplication() {
  if (Application == this) Application = nullptr;
}

void TApplication::ProcessMessages() {
  platform::Event event;
  while (platform_.PollEvent(event)) Dispatch(event);
}

void TApplication::Dispatch(const platform::Event& event) {
  if (event.kind == platform::Event::Kind::Quit) {
    terminated_ = true;
    return;
  }
  try {
    if (!MainForm) return;
    if (event.kind == platform::Event::Kind::Close) {
      MainForm->Close();
    } else {
      MainForm->HandleEvent(event);
    }
  } catch (const std::exception& error) {
    ShowException(error);
  }
}

void TApplication::Terminate() {
  platform_.PostQuit();
}

void TApplication::Run() {
  if (!MainForm) return;
  platform_.ShowWindow();
  while (!terminated_) {
    ProcessMessages();
    if (terminated_) break;
    platform_.WaitEvent(-1);
  }
}

void TApplication::ShowException(const std::exception& error) {
  std::string text = error.what();
  // The last byte decides; in UTF-8 any non-ASCII last character ends in a
  // byte above '.', so it gets the full stop too.
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  std::string where;
  if (const auto* story = dynamic_cast<const TScriptError*>(&error)) {
    where = platform::Cp932ToUtf8(story->File);
    std::replace(where.begin(), where.end(), '\\', '/');
    where += ":" + std::to_string(story->Line);
  }
  platform_.ErrorBox(Title, text, where);
}

TGaleForm::TGaleForm(TApplication& owner) : app_(owner), caption_(owner.Title) {
  Create();
}

TGaleForm::TGaleForm(TApplication& owner, const std::string& caption, std::int32_t clientWidth,
                     std::int32_t clientHeight)
    : app_(owner), caption_(caption) {
  SetClientSize(clientWidth, clientHeight);
  Create();
}

void TGaleForm::Create() {
  platform::Platform& p = app_.Platform();
  p.CreateWindow(caption_, InitClientWidth, InitClientHeight);
  int screenWidth = 0, screenHeight = 0, outerWidth = 0, outerHeight = 0;
  p.ScreenSize(screenWidth, screenHeight);
  p.OuterSize(outerWidth, outerHeight);
  std::int32_t left = CentreOffset(screenWidth, outerWidth);
  std::int32_t top = CentreOffset(screenHeight, outerHeight);
  p.MoveWindow(left, top);
  if (!app_.MainForm) app_.MainForm = this;
}

TGaleForm::~TGaleForm() {
  if (app_.MainForm == this) app_.MainForm = nullptr;
}

std::int32_t TGaleForm::CentreOffset(std::int32_t screen, std::int32_t outer) {
  // C++ division truncates toward zero; the difference is taken in 64 bits.
  return static_cast<std::int32_t>((static_cast<std::int64_t>(screen) - outer) / 2);
}

void TGaleForm::FitPanel(TPanel& panel, bool visible) const {
  panel.Left = 0;
  panel.Top = 0;
  panel.Width = InitClientWidth;
  panel.Height = InitClientHeight;
  panel.Visible = visible;
}

void TGaleForm::SetClientSize(std::int32_t width, std::int32_t height) {
  InitClientWidth = width;
  InitClientHeight = height;
}

void TGaleForm::StartLoop(std::function<void()> routine) {
  LoopRoutine = std::move(routine);
  platform::Platform& p = app_.Platform();
  if (!p.WindowCreated()) p.CreateWindow(caption_, InitClientWidth, InitClientHeight);
  p.PostUserMessage(kStartMessage);
}

bool TGaleForm::FilterKey(const platform::Event& event) {
  return event.kind == platform::Event::Kind::Key && (event.key == kKeyAlt || event.key == kKeyF10);
}

void TGaleForm::Close() {
  if (app_.MainForm == this) app_.Terminate();
}

void TGaleForm::HandleEvent(const platform::Event& event) {
  using Kind = platform::Event::Kind;
  switch (event.kind) {
    case Kind::User:
      if (event.message == kStartMessage && LoopRoutine) LoopRoutine();
      break;
    case Kind::Key:
      if (!FilterKey(event)) Key(event.key, event.keyUp);
      break;
    case Kind::MouseDown:
      MouseDown(event.button, event.x, event.y);
      break;
    case Kind::MouseMove:
      MouseMove(event.x, event.y);
      break;
    case Kind::MouseUp:
      MouseUp(event.button, event.x, event.y);
      break;
    case Kind::Close:
      Close();
      break;
    case Kind::Quit:
      break;
  }
}
