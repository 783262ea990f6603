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
  // Becomes `Application` while it lives (unless one is set already).
  explicit TApplication(platform::Platform& platform);
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  platform::Platform& Platform() { return platform_; }

  std::string Title;  // UTF-8; titles error boxes
  TGaleForm* MainForm = nullptr;
  // Set when the host calls one pass of the loop per frame (RunHostFrame in
  // app/GaleTimer.h) instead of Run.
  bool HostDrivesLoop = false;

  // Dispatches every pending message to the main form, each inside the error
  // guard (which catches std::exception; a close asks the main form to close). A quit message marks
  // the application as terminating; dispatching goes on with the rest of the queue.
  void ProcessMessages();
  bool Terminated() const { return terminated_; }
  // Posts the quit message.
  void Terminate();
  // Shows the main form, then dispatches messages until terminating.
  void Run();
  // The error box for an error caught by the guard: the application title,
  // the message with "." appended when its last character is above ".", and
  // for an error of a story line its place ("dat/story.dat:12").
  void ShowException(const std::exception& error);

 private:
  void Dispatch(const platform::Event& event);

  platform::Platform& platform_;
  bool terminated_ = false;
};

// The one application object; set by the program entry (or a test) for the
// lifetime of its TApplication.
extern TApplication* Application;

// A panel on a form: only its place and visibility matter here.
struct TPanel {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  bool Visible = false;
};

class TGaleForm {
 public:
  // Creates the window hidden with the client size InitClientWidth x
  // InitClientHeight (0 x 0 unless set), captioned with the application
  // title, then centres it on the screen: first the left edge, then the top.
  // The first form made becomes the application's main form.
  explicit TGaleForm(TApplication& owner);
  // The same with a caption and with the client size applied first, as a
  // SetClientSize call before the base construction would (C++ cannot call a
  // member before its base is built, so a subclass passes its size here).
  TGaleForm(TApplication& owner, const std::string& caption, std::int32_t clientWidth,
            std::int32_t clientHeight);
  virtual ~TGaleForm();
  TGaleForm(const TGaleForm&) = delete;
  TGaleForm& operator=(const TGaleForm&) = delete;

  TApplication& Owner() { return app_; }
  // Integer centring: (screen - outer) div 2, truncating toward zero.
  static std::int32_t CentreOffset(std::int32_t screen, std::int32_t outer);
  // Puts the panel at (0, 0) over the whole client area and shows or hides it.
  void FitPanel(TPanel& panel, bool visible) const;

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
  // Keyboard messages that pass the filter.
  virtual void Key(int /*key*/, bool /*keyUp*/) {}
  // The user closed the window: closing the main form terminates the
  // application.
  virtual void Close();

  std::int32_t InitClientWidth = 0;
  std::int32_t InitClientHeight = 0;
  std::function<void()> LoopRoutine;

 protected:
  TApplication& app_;

 private:
  void Create();

  std::string caption_;
};
