// The real machine through SDL2: one fixed-size window showing the picture
// at a whole scale (or fullscreen), SDL's event queue, SDL's millisecond clock, the system's wall
// clock, message boxes, SDL audio, data files below the working folder and a text rasteriser of its
// own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Platform.h"

namespace platform {

// How the window shows the picture; nothing of it is kept between runs.
struct WindowOptions {
  int scale = 0;            // pixels of the window per picture pixel; 0: the largest that fits
  bool fullscreen = false;  // start fullscreen
};

class SdlPlatform : public Platform {
 public:
  // Initialises SDL's video subsystem, then opens the audio. Throws
  // std::runtime_error when there is no video device at all.
  explicit SdlPlatform(const WindowOptions& options = {});
  ~SdlPlatform() override;
  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  std::int32_t Milliseconds() override;
  std::uint32_t MillisecondsSinceMidnightUtc() override;
  bool ReadFile(const std::string& gameName, std::string& bytes) override;
  TextRaster& Text() override;

  // The window is not resizable and has no maximise button. It opens at the
  // largest whole scale at which it takes at most 85 % of the usable desktop
  // of its display (1 where even that is too big), or at the scale asked
  // for, as far as the whole display holds it; sizes are in real pixels on
  // desktops that scale their windows. F11 and Alt+Enter switch between it
  // and fullscreen at the desktop's own resolution, the picture at the
  // largest whole scale that fits, centred on black. Creating it a second
  // time does nothing.
  void CreateWindow(const std::string& caption, int clientWidth, int clientHeight) override;
  void SetCaption(const std::string& caption) override;
  bool WindowCreated() const override;
  // Before the window has been mapped some window managers report no border;
  // the outer size is then the client size, and ShowWindow moves the window so
  // that its frame keeps the centre it was given.
  void OuterSize(int& width, int& height) override;
  void ScreenSize(int& width, int& height) override;
  void MoveWindow(int left, int top) override;
  void ShowWindow() override;
  bool WindowShown() const override;

  void Present(const std::uint8_t* pixels, int width, int height, int stride) override;

  // Mouse positions arrive in picture pixels, (X - left) div scale; a press
  // beside the picture (in fullscreen's black margins) is dropped with its
  // release. A left press captures the mouse until its release, so moves and
  // the release outside the picture arrive with coordinates outside it. F11
  // and Alt+Enter belong to the window, not the game. Keys arrive with Windows virtual-key codes
  // (Alt 18, F10 121).
  void PostUserMessage(int message) override;
  void PostQuit() override;
  bool PollEvent(Event& event) override;
  void WaitEvent(int timeoutMs) override;

  void Beep() override;
  // The box's title (or the place of a story error) and text also go to the
  // error stream at once, one line "marigold: TITLE: TEXT". The box is shown
  // at the picture's scale.
  void ErrorBox(const std::string& title, const std::string& text,
                const std::string& where) override;

  MusicOut& Music() override;
  SoundOut& Sound() override;

  // The name of SDL's video driver ("x11", "wayland", "dummy", ...).
  std::string VideoDriver() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
