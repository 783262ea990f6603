// The machine in a web page, through SDL2's emscripten drivers: the page's
// canvas as the window, mouse and touch input, the browser's clock, the
// game's files packaged with the page, the page's audio and a text
// rasteriser of its own. The browser calls the loop one pass a frame; the
// error box is drawn in the canvas and is a mode of those passes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Platform.h"

namespace platform {

class WebPlatform : public Platform {
 public:
  // Initialises SDL's video (the canvas "#canvas") and opens the audio.
  // Throws std::runtime_error when there is no canvas to draw on.
  WebPlatform();
  ~WebPlatform() override;
  WebPlatform(const WebPlatform&) = delete;
  WebPlatform& operator=(const WebPlatform&) = delete;

  // The browser's clocks: the page's monotonic one and the wall clock.
  std::int32_t Milliseconds() override;
  std::uint32_t MillisecondsSinceMidnightUtc() override;
  // Below the page's file system's root, where the game's dat/ is packaged.
  bool ReadFile(const std::string& gameName, std::string& bytes) override;
  // The machine's own rasteriser, drawing with the packaged font.
  TextRaster& Text() override;

  // The canvas takes the client size as its own pixel size; the page scales
  // it. The caption becomes the page's title.
  void CreateWindow(const std::string& caption, int clientWidth, int clientHeight) override;
  void SetCaption(const std::string& caption) override;
  // Whether CreateWindow made the canvas the window.
  bool WindowCreated() const override;
  // The canvas has no frame and its place is the page's: the outer size is
  // the client size, the screen is as large, moving does nothing.
  void OuterSize(int& width, int& height) override;
  void ScreenSize(int& width, int& height) override;
  void MoveWindow(int left, int top) override;
  // The canvas is always on the page; showing only marks it shown.
  void ShowWindow() override;
  bool WindowShown() const override;

  // Converts the picture into the canvas's pixels and keeps a copy for the
  // error box to be drawn over.
  void Present(const std::uint8_t* pixels, int width, int height, int stride) override;

  // Mouse events arrive in canvas pixels whatever the page's scale; a touch
  // is the left button (pressed, moved and released with the finger). Keys
  // arrive with Windows virtual-key codes.
  void PostUserMessage(int message) override;
  void PostQuit() override;
  // Nothing while the error box is open: it has the input.
  bool PollEvent(Event& event) override;
  // Returns at once: the browser calls the next pass when the frame is due.
  void WaitEvent(int timeoutMs) override;

  // A short tone, mixed over the game's sound.
  void Beep() override;
  // Writes "marigold: TITLE: TEXT" to the error stream (the browser's
  // console) and opens the box over the canvas's picture; returns at once.
  // The box takes the input of the passes that follow until Return, Space,
  // Escape or a click on OK dismisses it.
  void ErrorBox(const std::string& title, const std::string& text,
                const std::string& where) override;
  bool ErrorBoxOpen() const override;

  // The page's synthesiser and SDL's sound (WebAudio).
  MusicOut& Music() override;
  SoundOut& Sound() override;

  // Hands the loop to the browser: `pass` is called once a frame, after the
  // open error box (if any) has had its input, until it returns false; then
  // `finished` runs once. Returns at once; the objects the passes use must
  // outlive main.
  void RunFrames(std::function<bool()> pass, std::function<void()> finished);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
