// The real machine through SDL2: one fixed-size window showing the picture,
// SDL's event queue, SDL's millisecond clock, the system's wall clock,
// message boxes, SDL audio, data files below the working folder and a text
// rasteriser of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Platform.h"

namespace platform {

class SdlPlatform : public Platform {
 public:
  // Initialises SDL's video subsystem, then opens the audio. Throws
  // std::runtime_error when there is no video device at all.
  SdlPlatform();
  ~SdlPlatform() override;
  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  std::int32_t Milliseconds() override;
  std::uint32_t MillisecondsSinceMidnightUtc() override;
  bool ReadFile(const std::string& gameName, std::string& bytes) override;
  TextRaster& Text() override;

  // The window is not resizable and has no maximise button. Creating it a
  // second time does nothing.
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

  // A left press captures the mouse until its release, so moves and the
  // release outside the window arrive with coordinates outside the client
  // area. Keys arrive with Windows virtual-key codes (Alt 18, F10 121).
  void PostUserMessage(int message) override;
  void PostQuit() override;
  bool PollEvent(Event& event) override;
  void WaitEvent(int timeoutMs) override;

  void Beep() override;
  // The box's title (or the place of a story error) and text also go to the
  // error stream at once, one line "marigold: TITLE: TEXT".
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
