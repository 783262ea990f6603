// SDL for the machine-independent services. Implements DecodeBitmapWithSdl
// (platform/sdl/SdlShared.h) and ProgramFolder (platform/NativeFiles.h);
// neither needs SDL to be initialised.
#include "platform/sdl/SdlShared.h"

#include <SDL.h>

#include <cstring>
#include <memory>

#include "platform/NativeFiles.h"

namespace platform {
namespace {

struct SurfaceFree {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceFree>;

}  // namespace

std::optional<Picture> DecodeBitmapWithSdl(std::string_view bytes) {
  SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (!stream) return std::nullopt;
  SurfacePtr loaded(SDL_LoadBMP_RW(stream, 1));
  if (!loaded) return std::nullopt;
  SurfacePtr bgr(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_BGR24, 0));
  if (!bgr) return std::nullopt;
  Picture picture;
  picture.width = bgr->w;
  picture.height = bgr->h;
  const std::size_t rowBytes = static_cast<std::size_t>(bgr->w) * 3;
  picture.bgr.resize(rowBytes * bgr->h);
  if (SDL_LockSurface(bgr.get()) != 0) return std::nullopt;
  for (int y = 0; y < bgr->h; ++y) {
    std::memcpy(
        picture.bgr.data() + y * rowBytes,
        static_cast<const std::uint8_t*>(bgr->pixels) + static_cast<std::size_t>(y) * bgr->pitch,
        rowBytes);
  }
  SDL_UnlockSurface(bgr.get());
  return picture;
}

std::string ProgramFolder() {
  char* base = SDL_GetBasePath();
  if (base == nullptr) return {};
  std::string folder = base;
  SDL_free(base);
  return folder;
}

}  // namespace platform
