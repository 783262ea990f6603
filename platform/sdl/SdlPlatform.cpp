// The real machine through SDL2.
// Implements: the one fixed-size window (hidden until shown, placed by the
//   caller), each frame converted straight into the window's own surface,
//   SDL's event queue as the game's messages (mouse with capture while the
//   left button is down, double clicks as presses, keys as Windows
//   virtual-key codes, the close box and SIGTERM as Close), SDL's millisecond
//   clock, the error box (a modal window of its own showing ErrorBoxPicture,
//   the text on the error stream too), and the audio of SdlAudio.
// Not here: files, encodings, pictures and text (the shared services in
//   platform/), and anything of the game's own drawing.
#include "platform/sdl/SdlPlatform.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "platform/EventOrder.h"
#include "platform/Files.h"
#include "platform/PixelConvert.h"
#include "platform/TextRaster.h"
#include "platform/sdl/ErrorBoxPicture.h"
#include "platform/sdl/SdlAudio.h"

namespace platform {

namespace {

// SDL key symbols to the Windows virtual-key codes the game knows.
int VirtualKey(SDL_Keycode sym) {
  if (sym >= SDLK_a && sym <= SDLK_z) return 'A' + (sym - SDLK_a);
  if (sym >= SDLK_0 && sym <= SDLK_9) return '0' + (sym - SDLK_0);
  if (sym >= SDLK_F1 && sym <= SDLK_F12) return 112 + (sym - SDLK_F1);
  switch (sym) {
    case SDLK_LALT:
    case SDLK_RALT:
      return 18;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return 16;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return 17;
    case SDLK_BACKSPACE:
      return 8;
    case SDLK_TAB:
      return 9;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return 13;
    case SDLK_ESCAPE:
      return 27;
    case SDLK_SPACE:
      return 32;
    case SDLK_PAGEUP:
      return 33;
    case SDLK_PAGEDOWN:
      return 34;
    case SDLK_END:
      return 35;
    case SDLK_HOME:
      return 36;
    case SDLK_LEFT:
      return 37;
    case SDLK_UP:
      return 38;
    case SDLK_RIGHT:
      return 39;
    case SDLK_DOWN:
      return 40;
    case SDLK_INSERT:
      return 45;
    case SDLK_DELETE:
      return 46;
    default:
      return 0;
  }
}

// True for an environment value that is set and not empty.
bool Set(const char* value) {
  return value != nullptr && *value != '\0';
}

}  // namespace

struct SdlPlatform::Impl {
  SDL_Window* window = nullptr;
  int clientWidth = 0;
  int clientHeight = 0;
  SDL_Surface* drawn = nullptr;  // the window surface that holds the last picture
  bool shown = false;
  bool moved = false;
  int outerLeft = 0;
  int outerTop = 0;
  int reportedBorderX = 0;  // border widths when the outer size was last asked for
  int reportedBorderY = 0;
  EventOrder order;  // posted messages and the quit request around the window's input
  bool boxes = true;
  bool terminating = false;     // the terminate signal came while a box was open
  bool closePending = false;    // ... and the window's close is still to be delivered
  bool leftDown = false;        // the left button is down on the window (and captured)
  bool releasePending = false;  // its release, lost to a box, is still to be delivered
  int lastX = 0;                // where the mouse was last seen on the window
  int lastY = 0;
  std::unique_ptr<SdlAudio> audio;
  TextRaster text;

  void Borders(int& top, int& left, int& bottom, int& right) {
    top = left = bottom = right = 0;
    if (SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) != 0) {
      top = left = bottom = right = 0;
    }
  }

  void PlaceWindow() {
    int top, left, bottom, right;
    Borders(top, left, bottom, right);
    SDL_SetWindowPosition(window, outerLeft + left, outerTop + top);
  }

  // Converts a picture straight into the window's own surface (shared
  // memory with the X server where it has it) and shows it. The surface keeps
  // it, so a repaint needs no copy of its own.
  void Draw(const std::uint8_t* pixels, int width, int height, int stride) {
    if (!window) return;
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (!surface) return;
    int w = std::min({width, clientWidth, surface->w});
    int h = std::min({height, clientHeight, surface->h});
    if (w <= 0 || h <= 0) return;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
    const Uint32 format = surface->format->format;
    if (format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888) {
      // The usual X11 and Wayland layout: a byte shuffle beats SDL's generic
      // 24-bit conversion many times over.
      BgrToXrgb(pixels, stride, static_cast<std::uint8_t*>(surface->pixels), surface->pitch, w, h);
    } else {
      SDL_ConvertPixels(w, h, SDL_PIXELFORMAT_BGR24, pixels, stride, format, surface->pixels,
                        surface->pitch);
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    drawn = surface;
    SDL_UpdateWindowSurface(window);
  }

  // The error box: a small window of its own, modal for the game's window,
  // until Return, Space, Escape, a click on OK or its close box. The game's
  // window takes no input meanwhile; the terminate signal closes the box and
  // then the game's window.
  void RunBox(const std::string& title, const BoxLayout& layout) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (leftDown) {
      // The click that led here holds the mouse; the box needs it, and the
      // game gets the release once the box is gone.
      SDL_CaptureMouse(SDL_FALSE);
      leftDown = false;
      releasePending = true;
    }
    int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
    if (shown && window) {
      int left = 0, top = 0, w = 0, h = 0;
      SDL_GetWindowPosition(window, &left, &top);
      SDL_GetWindowSize(window, &w, &h);
      x = left + (w - layout.width) / 2;
      y = top + (h - layout.height) / 2;
    }
    SDL_Window* box = SDL_CreateWindow(title.c_str(), x, y, layout.width, layout.height,
                                       SDL_WINDOW_HIDDEN | SDL_WINDOW_SKIP_TASKBAR);
    if (!box) return;
    if (shown && window) SDL_SetWindowModalFor(box, window);
    SDL_ShowWindow(box);
    SDL_RaiseWindow(box);
    SDL_SetWindowInputFocus(box);
    const Uint32 id = SDL_GetWindowID(box);
    const Uint32 gameId = window ? SDL_GetWindowID(window) : 0;
    bool pressed = false;  // the left button went down on OK and is still held
    bool over = false;     // ... and the mouse is on OK
    auto paint = [&] {
      const std::vector<std::uint8_t> picture = DrawErrorBox(text, layout, pressed && over);
      SDL_Surface* surface = SDL_GetWindowSurface(box);
      if (!surface) return;
      if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
      SDL_ConvertPixels(std::min(layout.width, surface->w), std::min(layout.height, surface->h),
                        SDL_PIXELFORMAT_BGR24, picture.data(), layout.width * 3,
                        surface->format->format, surface->pixels, surface->pitch);
      if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
      SDL_UpdateWindowSurface(box);
    };
    paint();
    for (bool open = true; open;) {
      SDL_Event e;
      // A bounded wait: the terminate signal is noticed within it.
      if (!SDL_WaitEventTimeout(&e, 200)) continue;
      switch (e.type) {
        case SDL_QUIT:
          terminating = closePending = true;
          open = false;
          break;
        case SDL_KEYDOWN:
          // Keys belong to the box wherever the focus lies.
          switch (e.key.keysym.sym) {
            case SDLK_RETURN:
            case SDLK_KP_ENTER:
            case SDLK_SPACE:
            case SDLK_ESCAPE:
              open = false;
              break;
            default:
              break;
          }
          break;
        case SDL_MOUSEBUTTONDOWN:
          if (e.button.windowID == id && e.button.button == SDL_BUTTON_LEFT &&
              layout.button.Contains(e.button.x, e.button.y)) {
            pressed = over = true;
            paint();
          }
          break;
        case SDL_MOUSEMOTION:
          if (pressed && e.motion.windowID == id &&
              over != layout.button.Contains(e.motion.x, e.motion.y)) {
            over = !over;
            paint();
          }
          break;
        case SDL_MOUSEBUTTONUP:
          if (pressed && e.button.button == SDL_BUTTON_LEFT) {
            open = !(e.button.windowID == id && layout.button.Contains(e.button.x, e.button.y));
            pressed = over = false;
            if (open) paint();
          }
          break;
        case SDL_WINDOWEVENT:
          if (e.window.windowID == id) {
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) open = false;
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED ||
                e.window.event == SDL_WINDOWEVENT_SHOWN) {
              paint();
            }
          } else if (e.window.windowID == gameId && e.window.event == SDL_WINDOWEVENT_EXPOSED) {
            Redraw();
          }
          break;
        default:
          break;  // the game's window takes no input while the box is open
      }
    }
    SDL_DestroyWindow(box);
    if (shown && window) SDL_RaiseWindow(window);
  }

  // Shows the last picture again; white until there is one, like the empty
  // panel behind it.
  void Redraw() {
    if (!window) return;
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (!surface) return;
    if (surface != drawn) {
      SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 255, 255, 255));
      drawn = surface;
    }
    SDL_UpdateWindowSurface(window);
  }

  // Takes the window's next input from SDL's queue; false when there is none.
  bool NextInput(Event& event);
};

SdlPlatform::SdlPlatform() : impl_(std::make_unique<Impl>()) {
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  // Left to itself, SDL falls back to a driver without any screen and the
  // game would run unseen for ever; a driver asked for by name is honoured.
  const bool chosen = Set(std::getenv("SDL_VIDEODRIVER"));
  if (!chosen && !Set(std::getenv("DISPLAY")) && !Set(std::getenv("WAYLAND_DISPLAY"))) {
    throw std::runtime_error(
        "cannot open a window: no display (DISPLAY and WAYLAND_DISPLAY are unset)");
  }
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    throw std::runtime_error(std::string("cannot open a window: ") + SDL_GetError());
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  const bool screenless =
      !driver || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0;
  if (screenless && !chosen) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    throw std::runtime_error(std::string("cannot open a window: no display (only the '") +
                             (driver ? driver : "") + "' driver works)");
  }
  impl_->boxes = !screenless;
  SDL_StopTextInput();
  impl_->audio = std::make_unique<SdlAudio>();
}

SdlPlatform::~SdlPlatform() {
  impl_->audio.reset();
  if (impl_->window) SDL_DestroyWindow(impl_->window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
  SDL_Quit();
}

std::uint32_t SdlPlatform::MillisecondsSinceMidnightUtc() {
  using namespace std::chrono;
  const auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  return static_cast<std::uint32_t>(ms % 86400000);
}

bool SdlPlatform::ReadFile(const std::string& gameName, std::string& bytes) {
  return ReadGameFile(".", gameName, bytes);
}

TextRaster& SdlPlatform::Text() {
  return impl_->text;
}

std::int32_t SdlPlatform::Milliseconds() {
  return static_cast<std::int32_t>(SDL_GetTicks64() & 0x7FFFFFFFu);
}

void SdlPlatform::CreateWindow(const std::string& caption, int clientWidth, int clientHeight) {
  Impl& m = *impl_;
  if (m.window) return;
  m.clientWidth = std::max(clientWidth, 0);
  m.clientHeight = std::max(clientHeight, 0);
  // The picture is shown 1:1 and changes 20 times a second, so it goes
  // straight into the window's own surface; SDL must not back that surface
  // with a GL texture (on machines without a GPU, GL is itself emulated in
  // software at many times the cost).
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  m.window =
      SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                       std::max(m.clientWidth, 1), std::max(m.clientHeight, 1), SDL_WINDOW_HIDDEN);
  if (!m.window) throw std::runtime_error(std::string("SDL window: ") + SDL_GetError());
}

void SdlPlatform::SetCaption(const std::string& caption) {
  if (impl_->window) SDL_SetWindowTitle(impl_->window, caption.c_str());
}

bool SdlPlatform::WindowCreated() const {
  return impl_->window != nullptr;
}

void SdlPlatform::OuterSize(int& width, int& height) {
  Impl& m = *impl_;
  int top = 0, left = 0, bottom = 0, right = 0;
  if (m.window) m.Borders(top, left, bottom, right);
  m.reportedBorderX = left + right;
  m.reportedBorderY = top + bottom;
  width = m.clientWidth + left + right;
  height = m.clientHeight + top + bottom;
}

void SdlPlatform::ScreenSize(int& width, int& height) {
  SDL_Rect r{0, 0, 0, 0};
  if (SDL_GetDisplayBounds(0, &r) != 0) r.w = r.h = 0;
  width = r.w;
  height = r.h;
}

void SdlPlatform::MoveWindow(int left, int top) {
  Impl& m = *impl_;
  if (!m.window) return;
  m.outerLeft = left;
  m.outerTop = top;
  m.moved = true;
  m.PlaceWindow();
}

void SdlPlatform::ShowWindow() {
  Impl& m = *impl_;
  if (!m.window) return;
  SDL_ShowWindow(m.window);
  m.shown = true;
  if (m.moved) {
    // The frame may only now be known: keep the centre the window was given.
    int top, left, bottom, right;
    m.Borders(top, left, bottom, right);
    int dx = left + right - m.reportedBorderX;
    int dy = top + bottom - m.reportedBorderY;
    if (dx != 0 || dy != 0) {
      m.outerLeft -= dx / 2;
      m.outerTop -= dy / 2;
      m.reportedBorderX += dx;
      m.reportedBorderY += dy;
      m.PlaceWindow();
    }
  }
  m.Redraw();
}

bool SdlPlatform::WindowShown() const {
  return impl_->shown;
}

void SdlPlatform::Present(const std::uint8_t* pixels, int width, int height, int stride) {
  Impl& m = *impl_;
  if (!m.window || !pixels) return;
  m.Draw(pixels, width, height, stride);
}

void SdlPlatform::PostUserMessage(int message) {
  impl_->order.Post(message);
}

void SdlPlatform::PostQuit() {
  impl_->order.PostQuit();
}

bool SdlPlatform::Impl::NextInput(Event& event) {
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    event = Event{};
    switch (e.type) {
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        if (e.button.button == SDL_BUTTON_LEFT) {
          event.button = MouseButton::Left;
        } else if (e.button.button == SDL_BUTTON_RIGHT) {
          event.button = MouseButton::Right;
        } else if (e.button.button == SDL_BUTTON_MIDDLE) {
          event.button = MouseButton::Middle;
        } else {
          continue;
        }
        bool down = e.type == SDL_MOUSEBUTTONDOWN;
        if (event.button == MouseButton::Left) {
          SDL_CaptureMouse(down ? SDL_TRUE : SDL_FALSE);
          leftDown = down;
        }
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
      case SDL_QUIT:
        event.kind = Event::Kind::Close;
        return true;
      case SDL_WINDOWEVENT:
        switch (e.window.event) {
          case SDL_WINDOWEVENT_CLOSE:
            event.kind = Event::Kind::Close;
            return true;
          case SDL_WINDOWEVENT_EXPOSED:
          case SDL_WINDOWEVENT_SHOWN:
          case SDL_WINDOWEVENT_RESTORED:
          case SDL_WINDOWEVENT_SIZE_CHANGED:
            Redraw();
            break;
          default:
            break;
        }
        continue;
      default:
        continue;
    }
  }
  return false;
}

bool SdlPlatform::PollEvent(Event& event) {
  Impl& m = *impl_;
  if (m.closePending) {
    // The terminate signal the box took: the window closes as it would have.
    m.closePending = false;
    event = Event{};
    event.kind = Event::Kind::Close;
    return true;
  }
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

void SdlPlatform::WaitEvent(int timeoutMs) {
  Impl& m = *impl_;
  if (m.order.Pending() || m.closePending || m.releasePending || timeoutMs == 0) {
    return;
  }
  if (timeoutMs < 0) {
    SDL_WaitEvent(nullptr);
  } else {
    SDL_WaitEventTimeout(nullptr, timeoutMs);
  }
}

void SdlPlatform::Beep() {
  impl_->audio->Beep();
}

void SdlPlatform::ErrorBox(const std::string& title, const std::string& text,
                           const std::string& where) {
  Impl& m = *impl_;
  // At once on the error stream, one line, whether or not a box can show.
  std::string line = text;
  std::replace(line.begin(), line.end(), '\n', ' ');
  std::fprintf(stderr, "marigold: %s: %s\n", (where.empty() ? title : where).c_str(), line.c_str());
  std::fflush(stderr);
  // Once the program is asked to end, further boxes only go to the stream.
  if (!m.boxes || m.terminating) return;
  BoxLayout layout;
  try {
    layout = LayOutErrorBox(m.text, text);
  } catch (const std::exception&) {
    // No font to draw with: SDL's own box, whatever it can show.
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), text.c_str(),
                             m.shown ? m.window : nullptr);
    return;
  }
  m.RunBox(title, layout);
}

MusicOut& SdlPlatform::Music() {
  return impl_->audio->Music();
}

SoundOut& SdlPlatform::Sound() {
  return impl_->audio->Sound();
}

std::string SdlPlatform::VideoDriver() const {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver ? driver : "";
}

}  // namespace platform
