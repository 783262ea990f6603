// The machine in a web page, through SDL2's emscripten drivers.
// Implements: the canvas as the one window (its pixel size the client size;
//   the page scales it with CSS and SDL maps input back to canvas pixels),
//   each frame converted into the canvas's framebuffer, SDL's event queue as
//   the game's messages (mouse, touch as the left button, keys as Windows
//   virtual-key codes), the browser's millisecond clock and wall clock, the
//   error box drawn over the last frame as a mode of the browser's passes,
//   the audio of WebAudio, and the browser's frame callback as the loop.
// Not here: files, encodings, pictures and text (the shared services in
//   platform/, over the page's packaged file system), the page around the
//   canvas and its synthesiser (the page's script).
#include "platform/web/WebPlatform.h"

#include <SDL.h>
#include <emscripten.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "platform/Encoding.h"
#include "platform/EventOrder.h"
#include "platform/Files.h"
#include "platform/TextRaster.h"
#include "platform/sdl/ErrorBoxPicture.h"
#include "platform/sdl/SdlKeys.h"
#include "platform/web/WebAudio.h"

namespace platform {

namespace {

// The box's title bar, drawn above its picture in the canvas.
constexpr int kTitleBarHeight = 26;
constexpr int kBoxBorder = 1;

// Tells the page that the game has ended (Module.marigoldEnded).
EM_JS(void, mg_page_game_ended, (), {
  if (Module["marigoldEnded"]) Module["marigoldEnded"]();
});

// Whether a mouse event is one of SDL's from a touch.
bool FromTouch(Uint32 which) {
  return which == SDL_TOUCH_MOUSEID;
}

}  // namespace

struct WebPlatform::Impl {
  SDL_Window* window = nullptr;
  int clientWidth = 0;
  int clientHeight = 0;
  bool shown = false;
  EventOrder order;
  bool leftDown = false;        // the left button (or a finger) is down on the canvas
  bool releasePending = false;  // its release, lost to a box, is still to be delivered
  int lastX = 0;
  int lastY = 0;
  std::vector<std::uint8_t> frame;  // the last picture, 24-bit, clientWidth * 3 a row
  std::unique_ptr<WebAudio> audio;
  TextRaster text;

  // The open error box.
  bool boxOpen = false;
  std::string boxTitle;
  BoxLayout box;
  int boxLeft = 0;  // the top-left corner of the box's picture on the canvas
  int boxTop = 0;
  bool boxPressed = false;  // the left button went down on OK and is still held
  bool boxOver = false;     // ... and the pointer is on OK

  std::function<bool()> pass;
  std::function<void()> finished;

  // Copies a 24-bit picture into the canvas's framebuffer and shows it.
  void Show(const std::uint8_t* pixels, int width, int height, int stride) {
    SDL_Surface* surface = window ? SDL_GetWindowSurface(window) : nullptr;
    if (!surface) return;
    const int w = std::min({width, clientWidth, surface->w});
    const int h = std::min({height, clientHeight, surface->h});
    if (w <= 0 || h <= 0) return;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
    const SDL_PixelFormat& f = *surface->format;
    if (f.BytesPerPixel == 4) {
      // The canvas's layout is the browser's RGBA: by the format's shifts,
      // never a fixed byte order.
      const Uint32 opaque = f.Amask;
      for (int y = 0; y < h; ++y) {
        const std::uint8_t* src = pixels + static_cast<std::ptrdiff_t>(y) * stride;
        auto* dst = reinterpret_cast<Uint32*>(static_cast<std::uint8_t*>(surface->pixels) +
                                              static_cast<std::ptrdiff_t>(y) * surface->pitch);
        for (int x = 0; x < w; ++x, src += 3) {
          dst[x] = (Uint32{src[2]} << f.Rshift) | (Uint32{src[1]} << f.Gshift) |
                   (Uint32{src[0]} << f.Bshift) | opaque;
        }
      }
    } else {
      SDL_ConvertPixels(w, h, SDL_PIXELFORMAT_BGR24, pixels, stride, f.format, surface->pixels,
                        surface->pitch);
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    SDL_UpdateWindowSurface(window);
  }

  // The last frame with the open box over it: a border, a title bar with the
  // title, and the box's own picture.
  void DrawBox() {
    if (frame.empty()) frame.assign(std::size_t(clientWidth) * clientHeight * 3, 0xFF);
    std::vector<std::uint8_t> picture = frame;
    const std::vector<std::uint8_t> inner = DrawErrorBox(text, box, boxPressed && boxOver);
    const int stride = clientWidth * 3;
    auto fill = [&](int left, int top, int right, int bottom, std::uint8_t b, std::uint8_t g,
                    std::uint8_t r) {
      for (int y = std::max(top, 0); y < std::min(bottom, clientHeight); ++y) {
        for (int x = std::max(left, 0); x < std::min(right, clientWidth); ++x) {
          std::uint8_t* p = &picture[std::size_t(y) * stride + std::size_t(x) * 3];
          p[0] = b;
          p[1] = g;
          p[2] = r;
        }
      }
    };
    const int outerLeft = boxLeft - kBoxBorder;
    const int outerTop = boxTop - kTitleBarHeight - kBoxBorder;
    fill(outerLeft, outerTop, boxLeft + box.width + kBoxBorder, boxTop + box.height + kBoxBorder,
         0x50, 0x50, 0x50);
    fill(boxLeft, boxTop - kTitleBarHeight, boxLeft + box.width, boxTop, 0xFF, 0xFF, 0xFF);
    // The title, in the box's font, on its bar (what of it CP932 holds).
    std::string title;
    std::size_t bad = 0;
    if (!Utf8ToCp932(boxTitle, title, bad)) {
      title.clear();
      Utf8ToCp932(std::string_view(boxTitle).substr(0, bad), title, bad);
    }
    text.Draw(picture.data(), clientWidth, clientHeight, stride, boxLeft + 8,
              boxTop - kTitleBarHeight + (kTitleBarHeight - kBoxFont.height) / 2, title, kBoxFont);
    for (int y = 0; y < box.height; ++y) {
      const int py = boxTop + y;
      if (py < 0 || py >= clientHeight) continue;
      for (int x = 0; x < box.width; ++x) {
        const int px = boxLeft + x;
        if (px < 0 || px >= clientWidth) continue;
        const std::uint8_t* s = &inner[(std::size_t(y) * box.width + x) * 3];
        std::uint8_t* p = &picture[std::size_t(py) * stride + std::size_t(px) * 3];
        p[0] = s[0];
        p[1] = s[1];
        p[2] = s[2];
      }
    }
    Show(picture.data(), clientWidth, clientHeight, stride);
  }

  // One frame of the open box: its input, and the box drawn again when it
  // changed. The game's own input is dropped meanwhile, as a modal box does.
  void BoxPass() {
    bool changed = false;
    SDL_Event e;
    while (boxOpen && SDL_PollEvent(&e)) {
      switch (e.type) {
        case SDL_KEYDOWN:
          switch (e.key.keysym.sym) {
            case SDLK_RETURN:
            case SDLK_KP_ENTER:
            case SDLK_SPACE:
            case SDLK_ESCAPE:
              boxOpen = false;
              break;
            default:
              break;
          }
          break;
        case SDL_MOUSEBUTTONDOWN:
          if (e.button.button == SDL_BUTTON_LEFT && OnButton(e.button.x, e.button.y)) {
            boxPressed = boxOver = true;
            changed = true;
          }
          break;
        case SDL_MOUSEMOTION:
          if (boxPressed && boxOver != OnButton(e.motion.x, e.motion.y)) {
            boxOver = !boxOver;
            changed = true;
          }
          break;
        case SDL_MOUSEBUTTONUP:
          if (boxPressed && e.button.button == SDL_BUTTON_LEFT) {
            boxOpen = !OnButton(e.button.x, e.button.y);
            boxPressed = boxOver = false;
            changed = true;
          }
          break;
        default:
          break;
      }
    }
    if (!boxOpen) {
      // The game's picture again, as it was under the box.
      if (!frame.empty()) Show(frame.data(), clientWidth, clientHeight, clientWidth * 3);
    } else if (changed) {
      DrawBox();
    }
  }

  bool OnButton(int x, int y) const { return box.button.Contains(x - boxLeft, y - boxTop); }

  // Takes the canvas's next input from SDL's queue; false when there is none.
  bool NextInput(Event& event);

  static void Frame(void* self);
};

bool WebPlatform::Impl::NextInput(Event& event) {
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    event = Event{};
    switch (e.type) {
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        if (e.button.button == SDL_BUTTON_LEFT || FromTouch(e.button.which)) {
          event.button = MouseButton::Left;
        } else if (e.button.button == SDL_BUTTON_RIGHT) {
          event.button = MouseButton::Right;
        } else if (e.button.button == SDL_BUTTON_MIDDLE) {
          event.button = MouseButton::Middle;
        } else {
          continue;
        }
        const bool down = e.type == SDL_MOUSEBUTTONDOWN;
        if (event.button == MouseButton::Left) leftDown = down;
        lastX = e.button.x;
        lastY = e.button.y;
        event.kind = down ? Event::Kind::MouseDown : Event::Kind::MouseUp;
        event.x = e.button.x;
        event.y = e.button.y;
        return true;
      }
      case SDL_MOUSEMOTION:
        lastX = e.motion.x;
        lastY = e.motion.y;
        event.kind = Event::Kind::MouseMove;
        event.x = e.motion.x;
        event.y = e.motion.y;
        return true;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        event.kind = Event::Kind::Key;
        event.key = VirtualKey(e.key.keysym.sym);
        event.keyUp = e.type == SDL_KEYUP;
        return true;
      default:
        continue;  // a page is not closed by the game: no Close
    }
  }
  return false;
}

void WebPlatform::Impl::Frame(void* self) {
  auto& m = *static_cast<Impl*>(self);
  if (m.boxOpen) m.BoxPass();
  if (m.pass && m.pass()) return;
  emscripten_cancel_main_loop();
  m.pass = nullptr;
  if (m.finished) {
    auto finished = std::move(m.finished);
    m.finished = nullptr;
    finished();
  }
  mg_page_game_ended();
}

WebPlatform::WebPlatform() : impl_(std::make_unique<Impl>()) {
  // The page, not the game, owns the keys the browser needs (reload, tabs).
  SDL_SetHint(SDL_HINT_EMSCRIPTEN_KEYBOARD_ELEMENT, "#canvas");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    throw std::runtime_error(std::string("cannot open a window: ") + SDL_GetError());
  }
  SDL_StopTextInput();
  impl_->audio = std::make_unique<WebAudio>();
}

WebPlatform::~WebPlatform() {
  impl_->audio.reset();
  if (impl_->window) SDL_DestroyWindow(impl_->window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
  SDL_Quit();
}

std::int32_t WebPlatform::Milliseconds() {
  return static_cast<std::int32_t>(SDL_GetTicks64() & 0x7FFFFFFFu);
}

std::uint32_t WebPlatform::MillisecondsSinceMidnightUtc() {
  using namespace std::chrono;
  const auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  return static_cast<std::uint32_t>(ms % 86400000);
}

bool WebPlatform::ReadFile(const std::string& gameName, std::string& bytes) {
  return ReadGameFile(".", gameName, bytes);
}

TextRaster& WebPlatform::Text() {
  return impl_->text;
}

void WebPlatform::CreateWindow(const std::string& caption, int clientWidth, int clientHeight) {
  Impl& m = *impl_;
  if (m.window) return;
  m.clientWidth = std::max(clientWidth, 1);
  m.clientHeight = std::max(clientHeight, 1);
  m.window = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                              m.clientWidth, m.clientHeight, 0);
  if (!m.window) throw std::runtime_error(std::string("SDL window: ") + SDL_GetError());
}

void WebPlatform::SetCaption(const std::string& caption) {
  if (impl_->window) SDL_SetWindowTitle(impl_->window, caption.c_str());
}

bool WebPlatform::WindowCreated() const {
  return impl_->window != nullptr;
}

void WebPlatform::OuterSize(int& width, int& height) {
  width = impl_->clientWidth;
  height = impl_->clientHeight;
}

void WebPlatform::ScreenSize(int& width, int& height) {
  width = impl_->clientWidth;
  height = impl_->clientHeight;
}

void WebPlatform::MoveWindow(int, int) {}

void WebPlatform::ShowWindow() {
  impl_->shown = true;
}

bool WebPlatform::WindowShown() const {
  return impl_->shown;
}

void WebPlatform::Present(const std::uint8_t* pixels, int width, int height, int stride) {
  Impl& m = *impl_;
  if (!m.window || !pixels) return;
  // Kept for the box to be drawn over and for the picture after it.
  const int w = std::min(width, m.clientWidth);
  const int h = std::min(height, m.clientHeight);
  m.frame.assign(std::size_t(m.clientWidth) * m.clientHeight * 3, 0xFF);
  for (int y = 0; y < h; ++y) {
    std::copy_n(pixels + static_cast<std::ptrdiff_t>(y) * stride, std::size_t(w) * 3,
                m.frame.begin() + std::ptrdiff_t(y) * m.clientWidth * 3);
  }
  if (m.boxOpen) {
    m.DrawBox();
  } else {
    m.Show(pixels, width, height, stride);
  }
}

void WebPlatform::PostUserMessage(int message) {
  impl_->order.Post(message);
}

void WebPlatform::PostQuit() {
  impl_->order.PostQuit();
}

bool WebPlatform::PollEvent(Event& event) {
  Impl& m = *impl_;
  if (m.boxOpen) return false;  // the box has the input
  if (m.releasePending) {
    m.releasePending = false;
    event = Event{};
    event.kind = Event::Kind::MouseUp;
    event.x = m.lastX;
    event.y = m.lastY;
    return true;
  }
  return m.order.Take(event, [&m](Event& input) { return m.NextInput(input); });
}

void WebPlatform::WaitEvent(int) {}

void WebPlatform::Beep() {
  impl_->audio->Beep();
}

void WebPlatform::ErrorBox(const std::string& title, const std::string& text,
                           const std::string& where) {
  Impl& m = *impl_;
  std::string line = text;
  std::replace(line.begin(), line.end(), '\n', ' ');
  std::fprintf(stderr, "marigold: %s: %s\n", (where.empty() ? title : where).c_str(), line.c_str());
  std::fflush(stderr);
  if (m.boxOpen || !m.window) return;  // one box at a time; the line says the rest
  try {
    m.box = LayOutErrorBox(m.text, text);
  } catch (const std::exception&) {
    return;  // no font to draw with: the console line is all there is
  }
  if (m.leftDown) {
    // The click that led here is the box's now; the game gets the release
    // once the box is gone.
    m.leftDown = false;
    m.releasePending = true;
  }
  m.boxTitle = title;
  m.boxLeft = (m.clientWidth - m.box.width) / 2;
  m.boxTop = (m.clientHeight - m.box.height + kTitleBarHeight) / 2;
  m.boxPressed = m.boxOver = false;
  m.boxOpen = true;
  m.DrawBox();
}

bool WebPlatform::ErrorBoxOpen() const {
  return impl_->boxOpen;
}

MusicOut& WebPlatform::Music() {
  return impl_->audio->Music();
}

SoundOut& WebPlatform::Sound() {
  return impl_->audio->Sound();
}

void WebPlatform::RunFrames(std::function<bool()> pass, std::function<void()> finished) {
  impl_->pass = std::move(pass);
  impl_->finished = std::move(finished);
  // The browser's frame callback; nothing simulates a loop in main.
  emscripten_set_main_loop_arg(&Impl::Frame, impl_.get(), 0, 0);
}

}  // namespace platform
