// The application object and the engine's form base class.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

#include "platform/Platform.h"

class TGaleForm;

// The application: its title, its main form, the message dispatch and the
// terminating flag. One per program, reached through `Application`.
class TApplication {
 public:
  explicit TApplication(platform::Platform& platform);
  ~TApplication();

  platform::Platform& Platform() { return platform_; }

  std::string Title;  // UTF-8; titles error boxes
  TGaleForm* MainForm = nullptr;

  // Dispatches every pending message to the main form, each inside the error
  // guard. A quit message marks the application as terminating; dispatching
  // goes on with the rest of the queue.
  void ProcessMessages();
  bool Terminated() const { return terminated_; }
  // Posts the quit message.
  void Terminate();
  // Shows the main form, then dispatches messages until terminating.
  void Run();
  // The error box for an error caught by the guard: the application title,
  // the message with "." appended when its last character is above ".".
  void ShowException(const std::exception& error);

 private:
  void Dispatch(const platform::Event& event);

  platform::Platform& platform_;
  bool terminated_ = false;
};

// The one application object; set by the program entry (or a test) for the
// lifetime of its TApplication.
extern TApplication* Application;

class TGaleForm {
 public:
  // Creates the window hidden with the client size set by SetClientSize
  // before, then centres it on the screen.
  explicit TGaleForm(TApplication& owner);
  virtual ~TGaleForm();

  void SetClientSize(std::int32_t width, std::int32_t height);
  // Stores the routine and posts message 1034; the routine runs when the
  // message is dispatched.
  void StartLoop(std::function<void()> routine);

  // Message handling: 1034 runs the stored routine; keyboard messages for Alt
  // (18) and F10 (121) are swallowed; the rest goes to the form's handlers.
  virtual void HandleEvent(const platform::Event& event);
  // True when the key message is swallowed.
  static bool FilterKey(const platform::Event& event);

  // Mouse handlers of the form's paint box; a subclass fills them in.
  virtual void MouseDown(platform::MouseButton, int, int) {}
  virtual void MouseMove(int, int) {}
  virtual void MouseUp(platform::MouseButton, int, int) {}

  std::int32_t InitClientWidth = 0;
  std::int32_t InitClientHeight = 0;
  std::function<void()> LoopRoutine;

 protected:
  TApplication& app_;
};
