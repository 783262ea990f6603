// The real machine through SDL2.
// Implements: the one fixed-size window (hidden until shown, placed by the
//   caller) at a whole scale chosen from the desktop or asked for, sized in
//   real pixels; fullscreen on F11 and Alt+Enter; each frame converted once,
//   where there is a GPU into a streaming texture that SDL's renderer scales
//   with sharp pixels, else (rather than an emulated GL) only its changed
//   rows, converted and enlarged straight into the window's own surface and
//   sent to the screen alone; SDL's event queue as the game's messages
//   (mouse positions mapped back to picture pixels, presses beside the
//   picture dropped, capture while the left button is down, double clicks as
//   presses, keys as Windows virtual-key codes, the close box and SIGTERM as
//   Close), SDL's millisecond clock, the error box (a modal window of its own showing
//   ErrorBoxPicture at the picture's scale, the text on the error stream
//   too), and the audio of SdlAudio.
//
// Sections: keys, scales and renderers; the machine's state; showing the
// picture; start, end, clocks and files; the window; input; the error box
// and the audio.
//
// Not here: files, encodings, pictures and text (the shared services in
//   platform/), anything of the game's own drawing, resizing the window by
//   hand, and settings kept between runs.
#include "platform/sdl/SdlPlatform.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "platform/EventOrder.h"
#include "platform/Files.h"
#include "platform/PixelConvert.h"
#include "platform/TextRaster.h"
#include "platform/sdl/ErrorBoxPicture.h"
#include "platform/sdl/SdlAudio.h"
#include "platform/sdl/SdlKeys.h"

namespace platform {

namespace {

// ---------------------------------------------------------------------------
// Keys, scales and renderers.

// True for an environment value that is set and not empty.
bool Set(const char* value) {
  return value != nullptr && *value != '\0';
}

// The share of the usable desktop a window may take when it opens, in percent.
constexpr int kDesktopShare = 85;

// The largest whole scale at which a picture fits `share` percent of an
// area; 1 when even scale 1 does not.
int FittingScale(int areaWidth, int areaHeight, int pictureWidth, int pictureHeight, int share) {
  if (pictureWidth <= 0 || pictureHeight <= 0) return 1;
  int scale = 1;
  while (std::int64_t{pictureWidth} * (scale + 1) * 100 <= std::int64_t{areaWidth} * share &&
         std::int64_t{pictureHeight} * (scale + 1) * 100 <= std::int64_t{areaHeight} * share) {
    ++scale;
  }
  return scale;
}

// Division rounding toward minus infinity: a point left of the picture maps
// to a negative picture pixel, never to 0.
int FloorDiv(int a, int b) {
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// True for a GL renderer that the processor emulates (no GPU): it would
// cost many times what SDL's own software renderer does.
bool EmulatedGl(SDL_Renderer* renderer) {
  SDL_RendererInfo info{};
  if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name ||
      std::strncmp(info.name, "opengl", 6) != 0) {
    return false;
  }
  using GetString = const unsigned char* (*)(unsigned);
  auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  const unsigned kGlRenderer = 0x1F01;
  const char* name = getString ? reinterpret_cast<const char*>(getString(kGlRenderer)) : nullptr;
  if (!name) return false;
  for (const char* emulated : {"llvmpipe", "softpipe", "Software Rasterizer", "SWR"}) {
    if (std::strstr(name, emulated)) return true;
  }
  return false;
}

// False where the machine surely has no GPU: a Linux without DRM devices.
// Trying GL there would only load an emulating driver (tens of megabytes).
bool MayHaveGpu() {
#ifdef __linux__
  std::error_code ec;
  return std::filesystem::exists("/dev/dri", ec);
#else
  return true;
#endif
}

// A renderer for `window` where it is worth having: SDL's choice (a GPU's),
// or the one named in SDL_RENDER_DRIVER as named. Null where no GPU draws
// (none, or GL emulated by the processor) and none is named: the window's
// own surface does better then.
SDL_Renderer* GpuRenderer(SDL_Window* window) {
  const bool named = Set(std::getenv("SDL_RENDER_DRIVER"));
  SDL_Renderer* renderer = named || MayHaveGpu() ? SDL_CreateRenderer(window, -1, 0) : nullptr;
  if (renderer && !named && EmulatedGl(renderer)) {
    SDL_DestroyRenderer(renderer);
    renderer = nullptr;
  }
  return renderer;
}

// True for the 32-bit layouts the fast conversion writes.
bool XrgbLayout(Uint32 format) {
  return format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888;
}

// The texture format for the picture: the window's own where the renderer
// takes it (its software blits then only copy), else a 32-bit layout the
// fast conversion writes, else the renderer's first.
Uint32 PictureFormat(SDL_Renderer* renderer, SDL_Window* window) {
  SDL_RendererInfo info{};
  if (SDL_GetRendererInfo(renderer, &info) != 0 || info.num_texture_formats == 0) {
    return SDL_PIXELFORMAT_RGB888;
  }
  auto takes = [&info](Uint32 format) {
    return std::find(info.texture_formats, info.texture_formats + info.num_texture_formats,
                     format) != info.texture_formats + info.num_texture_formats;
  };
  const Uint32 own = SDL_GetWindowPixelFormat(window);
  for (Uint32 format : {own, Uint32{SDL_PIXELFORMAT_RGB888}, Uint32{SDL_PIXELFORMAT_ARGB8888}}) {
    if (XrgbLayout(format) && takes(format)) {
      return format;
    }
  }
  return info.texture_formats[0];
}

// Converts a w x h picture of 24-bit pixels into a streaming texture of
// `format` (its own memory, a software renderer's too); false when the
// texture cannot be locked.
bool ConvertInto(SDL_Texture* texture, Uint32 format, const std::uint8_t* pixels, int stride, int w,
                 int h) {
  void* out = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(texture, nullptr, &out, &pitch) != 0) return false;
  if (XrgbLayout(format)) {
    // The usual layout: a byte shuffle beats SDL's generic 24-bit
    // conversion many times over.
    BgrToXrgb(pixels, stride, static_cast<std::uint8_t*>(out), pitch, w, h);
  } else {
    SDL_ConvertPixels(w, h, SDL_PIXELFORMAT_BGR24, pixels, stride, format, out, pitch);
  }
  SDL_UnlockTexture(texture);
  return true;
}

// True for the keys that switch between the window and fullscreen: F11 and
// Alt+Enter.
bool FullscreenKey(const SDL_Keysym& key) {
  if (key.sym == SDLK_F11) return (key.mod & (KMOD_CTRL | KMOD_SHIFT | KMOD_ALT | KMOD_GUI)) == 0;
  return (key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER) && (key.mod & KMOD_ALT) != 0 &&
         (key.mod & (KMOD_CTRL | KMOD_SHIFT | KMOD_GUI)) == 0;
}

// Where the picture lies in the window's pixels.
struct Placement {
  int scale = 1;  // window pixels per picture pixel
  int left = 0;   // the picture's top-left corner
  int top = 0;
};

// The picture at the largest whole scale the output holds, centred.
Placement Place(int outputWidth, int outputHeight, int pictureWidth, int pictureHeight) {
  Placement p;
  if (pictureWidth > 0 && pictureHeight > 0) {
    p.scale = std::max(1, std::min(outputWidth / pictureWidth, outputHeight / pictureHeight));
  }
  p.left = (outputWidth - pictureWidth * p.scale) / 2;
  p.top = (outputHeight - pictureHeight * p.scale) / 2;
  return p;
}

// One open error box: its window, its layout and its OK button's state.
struct Box {
  SDL_Window* window = nullptr;
  Uint32 id = 0;
  const BoxLayout* layout = nullptr;
  int scale = 1;         // box pixels per pixel of its picture
  bool pressed = false;  // the left button went down on OK and is still held
  bool over = false;     // ... and the mouse is on OK
  bool open = true;
  // True when window point (x, y) is on OK.
  bool OnButton(int x, int y) const {
    return layout->button.Contains(FloorDiv(x, scale), FloorDiv(y, scale));
  }
};

}  // namespace

// ---------------------------------------------------------------------------
// The machine's state.

struct SdlPlatform::Impl {
  WindowOptions options;
  SDL_Window* window = nullptr;
  // With a GPU, its renderer scales a picture-sized streaming texture.
  // Without one (renderer null), the window's own surface takes the
  // picture: only what changed since the last picture (`last`, as the game
  // gave it) is converted, enlarged and sent to the screen; the window keeps
  // the rest.
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;  // the last picture, at its own size
  Uint32 textureFormat = 0;
  std::vector<std::uint8_t> last;  // pictureWidth x pictureHeight, 3 bytes a pixel
  std::vector<std::uint8_t> row;   // one row of it converted, 4 bytes a pixel
  bool surfaceCurrent = false;     // the window's surface shows the whole of `last` as placed
  int pictureWidth = 0;            // the picture's size, as the game gave it
  int pictureHeight = 0;
  int clientWidth = 0;  // the window's size in SDL's window units
  int clientHeight = 0;
  double pixelsPerUnitX = 1;  // real pixels per window unit (desktops that scale windows)
  double pixelsPerUnitY = 1;
  Placement place;      // where the picture lies in the window
  int placedWidth = 0;  // the window's size in real pixels when it was placed
  int placedHeight = 0;
  bool fullscreen = false;
  bool startedFullscreen = false;           // ... since the start, never yet in its window
  SDL_Keycode swallowedKey = SDLK_UNKNOWN;  // the fullscreen key, until its release
  unsigned heldButtons = 0;                 // the buttons whose press reached the game
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
  int lastX = 0;                // where the mouse was last seen, in picture pixels
  int lastY = 0;
  std::unique_ptr<SdlAudio> audio;
  TextRaster text;

  ~Impl() {
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
  }

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

  // Chooses how the picture reaches the screen (a GPU's renderer, else the
  // window's surface) and starts it white, like the empty panel behind the
  // picture until the first picture comes.
  void OpenOutput();

  // The window's size in real pixels.
  void OutputSize(int& w, int& h);

  // Converts a rectangle of `last` and enlarges it into the window's
  // surface where it is placed; the part beside the surface is left out.
  // Returns the surface's rectangle that was written (empty when none).
  SDL_Rect PaintSurface(SDL_Surface* surface, const SDL_Rect& area);

  // Takes a picture into `last`; `bands` become the rectangles that changed,
  // each a run of changed rows.
  void TakeChanges(const std::uint8_t* pixels, int width, int height, int stride);
  std::vector<SDL_Rect> bands;
  std::vector<SDL_Rect> written;  // the window's rectangles a picture changed

  // The window scale: the one asked for as far as the display holds it,
  // else the largest that fits the usable desktop's share.
  int OpeningScale();

  // Works out where the picture lies from the window's present size.
  void Replace();

  // The picture pixel under window point (x, y).
  void ToPicture(int x, int y, int& px, int& py) const {
    px = FloorDiv(static_cast<int>(x * pixelsPerUnitX) - place.left, place.scale);
    py = FloorDiv(static_cast<int>(y * pixelsPerUnitY) - place.top, place.scale);
  }

  bool OnPicture(int px, int py) const {
    return px >= 0 && py >= 0 && px < pictureWidth && py < pictureHeight;
  }

  // Converts a picture into the texture, once, and shows it.
  void Draw(const std::uint8_t* pixels, int width, int height, int stride);

  // Shows the last picture again: scaled, centred, black beside it.
  void Redraw();

  // Switches between the window and fullscreen at the desktop's resolution.
  void ToggleFullscreen();

  // Takes a key for the window: the fullscreen keys, pressed and released,
  // and their repeats. False for keys that go to the game.
  bool WindowKey(const SDL_KeyboardEvent& key);

  // Turns a mouse button event into the game's; false when it is dropped.
  bool MouseButtonEvent(const SDL_MouseButtonEvent& e, Event& event);

  // The error box: a small window of its own, modal for the game's window,
  // until Return, Space, Escape, a click on OK or its close box. The game's
  // window takes no input meanwhile; the terminate signal closes the box and
  // then the game's window.
  void RunBox(const std::string& title, const BoxLayout& layout);

  // The click that led to a box holds the mouse; the box needs it, and the
  // game gets the release once the box is gone.
  void HandMouseToBox();

  // Opens the box's window at the picture's scale, centred on the game's
  // window (or on the screen before it shows), shown and focused.
  Box OpenBox(const std::string& title, const BoxLayout& layout);

  // Draws the box's picture into its window, scaled with sharp pixels.
  void PaintBox(const Box& box);

  // One event while the box is open. Keys belong to the box wherever the
  // focus lies; the game's window takes no input, only repaints.
  void BoxEvent(Box& box, const SDL_Event& e);

  // Return, Space and Escape close the box.
  static void BoxKey(Box& box, SDL_Keycode key);

  // OK is pressed like a button: down on it, up on it.
  void BoxButton(Box& box, const SDL_MouseButtonEvent& e);

  // The box's close box closes it; either window is repainted when exposed.
  void BoxWindowEvent(Box& box, const SDL_WindowEvent& e);

  // Takes the window's next input from SDL's queue; false when there is none.
  bool NextInput(Event& event);
};

// ---------------------------------------------------------------------------
// Showing the picture.

void SdlPlatform::Impl::OutputSize(int& w, int& h) {
  w = h = 0;
  if (renderer) {
    if (SDL_GetRendererOutputSize(renderer, &w, &h) != 0) w = h = 0;
  } else if (SDL_Surface* surface = SDL_GetWindowSurface(window)) {
    w = surface->w;  // made anew at the window's present size
    h = surface->h;
  }
}

void SdlPlatform::Impl::Replace() {
  int w = 0, h = 0, unitsW = 0, unitsH = 0;
  OutputSize(w, h);
  if (w <= 0 || h <= 0) return;
  SDL_GetWindowSize(window, &unitsW, &unitsH);
  pixelsPerUnitX = unitsW > 0 ? double(w) / unitsW : 1;
  pixelsPerUnitY = unitsH > 0 ? double(h) / unitsH : 1;
  place = Place(w, h, pictureWidth, pictureHeight);
  placedWidth = w;
  placedHeight = h;
  surfaceCurrent = false;
}

void SdlPlatform::Impl::Draw(const std::uint8_t* pixels, int width, int height, int stride) {
  int w = std::min(width, pictureWidth);
  int h = std::min(height, pictureHeight);
  if (w <= 0 || h <= 0) return;
  if (renderer) {
    if (texture && ConvertInto(texture, textureFormat, pixels, stride, w, h)) Redraw();
    return;
  }
  TakeChanges(pixels, w, h, stride);
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (!surface) return;
  if (!surfaceCurrent || surface->w != placedWidth || surface->h != placedHeight) {
    Redraw();  // all anew, placed again where the window changed size
    return;
  }
  written.clear();
  for (const SDL_Rect& band : bands) {
    const SDL_Rect r = PaintSurface(surface, band);
    if (r.w > 0 && r.h > 0) written.push_back(r);
  }
  // Only the changes go to the screen.
  if (!written.empty()) {
    SDL_UpdateWindowSurfaceRects(window, written.data(), static_cast<int>(written.size()));
  }
}

void SdlPlatform::Impl::Redraw() {
  int w = 0, h = 0;
  OutputSize(w, h);
  if (w <= 0 || h <= 0) return;
  if (w != placedWidth || h != placedHeight) Replace();
  const SDL_Rect picture{place.left, place.top, pictureWidth * place.scale,
                         pictureHeight * place.scale};
  // Only the margins are filled: the picture covers the rest.
  const SDL_Rect margins[4] = {
      {0, 0, w, std::max(0, picture.y)},
      {0, picture.y + picture.h, w, std::max(0, h - picture.y - picture.h)},
      {0, picture.y, std::max(0, picture.x), picture.h},
      {picture.x + picture.w, picture.y, std::max(0, w - picture.x - picture.w), picture.h},
  };
  if (renderer) {
    if (!texture) return;
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    for (const SDL_Rect& margin : margins) {
      if (margin.w > 0 && margin.h > 0) SDL_RenderFillRect(renderer, &margin);
    }
    SDL_RenderCopy(renderer, texture, nullptr, &picture);
    SDL_RenderPresent(renderer);
    return;
  }
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (!surface) return;
  for (const SDL_Rect& margin : margins) {
    if (margin.w > 0 && margin.h > 0)
      SDL_FillRect(surface, &margin, SDL_MapRGB(surface->format, 0, 0, 0));
  }
  PaintSurface(surface, SDL_Rect{0, 0, pictureWidth, pictureHeight});
  SDL_UpdateWindowSurface(window);
  surfaceCurrent = true;
}

void SdlPlatform::Impl::ToggleFullscreen() {
  if (!window) return;
  if (SDL_SetWindowFullscreen(window, fullscreen ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
    return;
  }
  fullscreen = !fullscreen;
  if (!fullscreen && startedFullscreen) {
    // A window that opened fullscreen was never where it was placed.
    startedFullscreen = false;
    if (moved) PlaceWindow();
  }
  Replace();
  Redraw();
}

void SdlPlatform::Impl::OpenOutput() {
  renderer = GpuRenderer(window);
  if (!renderer) {
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface && XrgbLayout(surface->format->format)) {
      last.assign(static_cast<std::size_t>(pictureWidth) * pictureHeight * 3, 0xFF);
      row.resize(static_cast<std::size_t>(pictureWidth) * 4);
      return;
    }
    // A surface of an unusual layout: SDL's software renderer converts.
    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    // No surface at all (a video driver without one): any renderer, even
    // an emulated GL, rather than no picture.
    if (!renderer) renderer = SDL_CreateRenderer(window, -1, 0);
  }
  if (!renderer) throw std::runtime_error(std::string("SDL renderer: ") + SDL_GetError());
  textureFormat = PictureFormat(renderer, window);
  texture = SDL_CreateTexture(renderer, textureFormat, SDL_TEXTUREACCESS_STREAMING,
                              std::max(pictureWidth, 1), std::max(pictureHeight, 1));
  if (!texture) throw std::runtime_error(std::string("SDL texture: ") + SDL_GetError());
  SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
  SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
  void* out = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(texture, nullptr, &out, &pitch) == 0) {
    std::memset(out, 0xFF, static_cast<std::size_t>(pitch) * std::max(pictureHeight, 1));
    SDL_UnlockTexture(texture);
  }
}

SDL_Rect SdlPlatform::Impl::PaintSurface(SDL_Surface* surface, const SDL_Rect& area) {
  const int k = place.scale;
  // The picture pixels whose blocks lie wholly on the surface (all of them
  // unless the screen is smaller than the picture).
  const int x0 = std::max(area.x, FloorDiv(-place.left + k - 1, k));
  const int y0 = std::max(area.y, FloorDiv(-place.top + k - 1, k));
  const int x1 = std::min(area.x + area.w, FloorDiv(surface->w - place.left, k));
  const int y1 = std::min(area.y + area.h, FloorDiv(surface->h - place.top, k));
  if (x1 <= x0 || y1 <= y0) return SDL_Rect{0, 0, 0, 0};
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return SDL_Rect{0, 0, 0, 0};
  const std::size_t lastStride = static_cast<std::size_t>(pictureWidth) * 3;
  const int w = x1 - x0;
  auto* pixels = static_cast<std::uint8_t*>(surface->pixels);
  for (int y = y0; y < y1; ++y) {
    const std::uint8_t* from = &last[y * lastStride + x0 * 3];
    std::uint8_t* to = pixels + std::ptrdiff_t{place.top + y * k} * surface->pitch +
                       std::ptrdiff_t{place.left + x0 * k} * 4;
    if (k == 1) {
      BgrToXrgb(from, static_cast<int>(lastStride), to, surface->pitch, w, 1);
    } else {
      // A row at a time, so that the converted row is still in the cache.
      BgrToXrgb(from, static_cast<int>(lastStride), row.data(), w * 4, w, 1);
      ScaleXrgb(row.data(), w * 4, to, surface->pitch, w, 1, k);
    }
  }
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  return SDL_Rect{place.left + x0 * k, place.top + y0 * k, w * k, (y1 - y0) * k};
}

void SdlPlatform::Impl::TakeChanges(const std::uint8_t* pixels, int width, int height, int stride) {
  bands.clear();
  const std::size_t lastStride = static_cast<std::size_t>(pictureWidth) * 3;
  const std::size_t bytes = static_cast<std::size_t>(width) * 3;
  bool open = false;  // the last row changed: its band goes on
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = pixels + std::ptrdiff_t{y} * stride;
    std::uint8_t* kept = &last[y * lastStride];
    if (std::memcmp(in, kept, bytes) == 0) {
      open = false;
      continue;
    }
    // The changed columns of the row, narrowed from both ends.
    int first = 0, end = width;
    while (std::memcmp(in + first * 3, kept + first * 3, 3) == 0) ++first;
    while (std::memcmp(in + (end - 1) * 3, kept + (end - 1) * 3, 3) == 0) --end;
    std::memcpy(kept + first * 3, in + first * 3, static_cast<std::size_t>(end - first) * 3);
    if (!open) {
      bands.push_back(SDL_Rect{first, y, end - first, 1});
      open = true;
      continue;
    }
    SDL_Rect& band = bands.back();
    const int right = std::max(band.x + band.w, end);
    band.x = std::min(band.x, first);
    band.w = right - band.x;
    band.h += 1;
  }
}

int SdlPlatform::Impl::OpeningScale() {
  const int display = std::max(0, SDL_GetWindowDisplayIndex(window));
  SDL_Rect usable{0, 0, 0, 0}, whole{0, 0, 0, 0};
  if (SDL_GetDisplayUsableBounds(display, &usable) != 0) usable = SDL_Rect{0, 0, 0, 0};
  if (SDL_GetDisplayBounds(display, &whole) != 0) whole = usable;
  const auto pixels = [this](const SDL_Rect& r, int& w, int& h) {
    w = static_cast<int>(r.w * pixelsPerUnitX);
    h = static_cast<int>(r.h * pixelsPerUnitY);
  };
  int w = 0, h = 0;
  if (options.scale > 0) {
    pixels(whole, w, h);
    const int most = FittingScale(w, h, pictureWidth, pictureHeight, 100);
    return whole.w > 0 ? std::min(options.scale, most) : options.scale;
  }
  pixels(usable, w, h);
  return FittingScale(w, h, pictureWidth, pictureHeight, kDesktopShare);
}

// ---------------------------------------------------------------------------
// Start, end, clocks and files.

SdlPlatform::SdlPlatform(const WindowOptions& options) : impl_(std::make_unique<Impl>()) {
  impl_->options = options;
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // Windows then reports sizes in real pixels and leaves the picture unscaled.
  SDL_SetHint("SDL_WINDOWS_DPI_AWARENESS", "permonitorv2");
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
  impl_.reset();  // the window and its renderer go before the video subsystem
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

// ---------------------------------------------------------------------------
// The window.

void SdlPlatform::CreateWindow(const std::string& caption, int clientWidth, int clientHeight) {
  Impl& m = *impl_;
  if (m.window) return;
  m.pictureWidth = std::max(clientWidth, 0);
  m.pictureHeight = std::max(clientHeight, 0);
  // Where no GPU draws, the picture goes straight into the window's own
  // surface; SDL must not back that surface with a GL texture
  // (without a GPU, GL is itself emulated in software at many times the cost).
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  m.window = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                              std::max(m.pictureWidth, 1), std::max(m.pictureHeight, 1),
                              SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI);
  if (!m.window) throw std::runtime_error(std::string("SDL window: ") + SDL_GetError());
  m.OpenOutput();
  m.Replace();  // the desktop's pixels per window unit
  // The window is sized in real pixels: on a desktop that scales windows it
  // is given fewer of its units.
  const int scale = m.OpeningScale();
  m.clientWidth = static_cast<int>(std::ceil(m.pictureWidth * scale / m.pixelsPerUnitX));
  m.clientHeight = static_cast<int>(std::ceil(m.pictureHeight * scale / m.pixelsPerUnitY));
  SDL_SetWindowSize(m.window, std::max(m.clientWidth, 1), std::max(m.clientHeight, 1));
  if (m.options.fullscreen &&
      SDL_SetWindowFullscreen(m.window, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0) {
    m.fullscreen = m.startedFullscreen = true;
  }
  m.Replace();
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

// ---------------------------------------------------------------------------
// Input.

void SdlPlatform::PostUserMessage(int message) {
  impl_->order.Post(message);
}

void SdlPlatform::PostQuit() {
  impl_->order.PostQuit();
}

bool SdlPlatform::Impl::WindowKey(const SDL_KeyboardEvent& key) {
  if (key.type == SDL_KEYUP) {
    if (key.keysym.sym != swallowedKey) return false;
    swallowedKey = SDLK_UNKNOWN;
    return true;
  }
  if (!FullscreenKey(key.keysym)) return false;
  swallowedKey = key.keysym.sym;
  if (!key.repeat) ToggleFullscreen();
  return true;
}

bool SdlPlatform::Impl::MouseButtonEvent(const SDL_MouseButtonEvent& e, Event& event) {
  if (e.button == SDL_BUTTON_LEFT) {
    event.button = MouseButton::Left;
  } else if (e.button == SDL_BUTTON_RIGHT) {
    event.button = MouseButton::Right;
  } else if (e.button == SDL_BUTTON_MIDDLE) {
    event.button = MouseButton::Middle;
  } else {
    return false;
  }
  const bool down = e.type == SDL_MOUSEBUTTONDOWN;
  const unsigned bit = 1u << static_cast<int>(event.button);
  int x = 0, y = 0;
  ToPicture(e.x, e.y, x, y);
  // A press beside the picture is nobody's, and so is its release.
  if (down ? !OnPicture(x, y) : (heldButtons & bit) == 0) return false;
  heldButtons = down ? heldButtons | bit : heldButtons & ~bit;
  if (event.button == MouseButton::Left) {
    SDL_CaptureMouse(down ? SDL_TRUE : SDL_FALSE);
    leftDown = down;
  }
  lastX = event.x = x;
  lastY = event.y = y;
  event.kind = down ? Event::Kind::MouseDown : Event::Kind::MouseUp;
  return true;
}

bool SdlPlatform::Impl::NextInput(Event& event) {
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    event = Event{};
    switch (e.type) {
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        if (MouseButtonEvent(e.button, event)) return true;
        continue;
      case SDL_MOUSEMOTION:
        ToPicture(e.motion.x, e.motion.y, lastX, lastY);
        event.kind = Event::Kind::MouseMove;
        event.x = lastX;
        event.y = lastY;
        return true;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (WindowKey(e.key)) continue;
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
          case SDL_WINDOWEVENT_SIZE_CHANGED:
            Replace();
            Redraw();
            break;
          case SDL_WINDOWEVENT_EXPOSED:
          case SDL_WINDOWEVENT_SHOWN:
          case SDL_WINDOWEVENT_RESTORED:
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
    m.heldButtons &= ~(1u << static_cast<int>(MouseButton::Left));
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

// ---------------------------------------------------------------------------
// The error box and the audio.

void SdlPlatform::Impl::RunBox(const std::string& title, const BoxLayout& layout) {
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  HandMouseToBox();
  Box box = OpenBox(title, layout);
  if (!box.window) return;
  PaintBox(box);
  while (box.open) {
    SDL_Event e;
    // A bounded wait: the terminate signal is noticed within it.
    if (SDL_WaitEventTimeout(&e, 200)) BoxEvent(box, e);
  }
  SDL_DestroyWindow(box.window);
  if (shown && window) SDL_RaiseWindow(window);
}

void SdlPlatform::Impl::HandMouseToBox() {
  if (!leftDown) return;
  SDL_CaptureMouse(SDL_FALSE);
  leftDown = false;
  releasePending = true;
}

Box SdlPlatform::Impl::OpenBox(const std::string& title, const BoxLayout& layout) {
  Box box;
  box.layout = &layout;
  box.scale = std::max(1, static_cast<int>(place.scale / std::max(1.0, pixelsPerUnitX)));
  const int w = layout.width * box.scale, h = layout.height * box.scale;
  int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
  if (shown && window) {
    int left = 0, top = 0, windowW = 0, windowH = 0;
    SDL_GetWindowPosition(window, &left, &top);
    SDL_GetWindowSize(window, &windowW, &windowH);
    x = left + (windowW - w) / 2;
    y = top + (windowH - h) / 2;
  }
  box.window =
      SDL_CreateWindow(title.c_str(), x, y, w, h, SDL_WINDOW_HIDDEN | SDL_WINDOW_SKIP_TASKBAR);
  if (!box.window) return box;
  if (shown && window) SDL_SetWindowModalFor(box.window, window);
  SDL_ShowWindow(box.window);
  SDL_RaiseWindow(box.window);
  SDL_SetWindowInputFocus(box.window);
  box.id = SDL_GetWindowID(box.window);
  return box;
}

void SdlPlatform::Impl::PaintBox(const Box& box) {
  const BoxLayout& layout = *box.layout;
  std::vector<std::uint8_t> picture = DrawErrorBox(text, layout, box.pressed && box.over);
  SDL_Surface* surface = SDL_GetWindowSurface(box.window);
  SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
      picture.data(), layout.width, layout.height, 24, layout.width * 3, SDL_PIXELFORMAT_BGR24);
  if (surface && source) {
    SDL_Rect whole{0, 0, layout.width * box.scale, layout.height * box.scale};
    SDL_BlitScaled(source, nullptr, surface, &whole);
    SDL_UpdateWindowSurface(box.window);
  }
  if (source) SDL_FreeSurface(source);
}

void SdlPlatform::Impl::BoxEvent(Box& box, const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT:
      terminating = closePending = true;
      box.open = false;
      break;
    case SDL_KEYDOWN:
      BoxKey(box, e.key.keysym.sym);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      BoxButton(box, e.button);
      break;
    case SDL_MOUSEMOTION:
      if (box.pressed && e.motion.windowID == box.id &&
          box.over != box.OnButton(e.motion.x, e.motion.y)) {
        box.over = !box.over;
        PaintBox(box);
      }
      break;
    case SDL_WINDOWEVENT:
      BoxWindowEvent(box, e.window);
      break;
    default:
      break;
  }
}

void SdlPlatform::Impl::BoxKey(Box& box, SDL_Keycode key) {
  switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
    case SDLK_SPACE:
    case SDLK_ESCAPE:
      box.open = false;
      break;
    default:
      break;
  }
}

void SdlPlatform::Impl::BoxButton(Box& box, const SDL_MouseButtonEvent& e) {
  if (e.button != SDL_BUTTON_LEFT) return;
  if (e.type == SDL_MOUSEBUTTONDOWN) {
    if (e.windowID == box.id && box.OnButton(e.x, e.y)) {
      box.pressed = box.over = true;
      PaintBox(box);
    }
  } else if (box.pressed) {
    box.open = !(e.windowID == box.id && box.OnButton(e.x, e.y));
    box.pressed = box.over = false;
    if (box.open) PaintBox(box);
  }
}

void SdlPlatform::Impl::BoxWindowEvent(Box& box, const SDL_WindowEvent& e) {
  const Uint32 gameId = window ? SDL_GetWindowID(window) : 0;
  if (e.windowID == box.id) {
    if (e.event == SDL_WINDOWEVENT_CLOSE) box.open = false;
    if (e.event == SDL_WINDOWEVENT_EXPOSED || e.event == SDL_WINDOWEVENT_SHOWN) PaintBox(box);
  } else if (e.windowID == gameId && e.event == SDL_WINDOWEVENT_EXPOSED) {
    Redraw();
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
