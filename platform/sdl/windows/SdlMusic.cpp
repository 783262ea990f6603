// Music on Windows: the system's MIDI synthesiser through SDL_mixer's
// native MIDI (winmm), as the game always played it. Implements
// platform/sdl/SdlMusic.h; the mixer's rate does not matter to it. A machine
// with no MIDI output at all gets no music: there, winmm's stream opening
// fails, and Wine's crashes when tried again after such a failure.
#include "platform/sdl/SdlMusic.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <windows.h>
// midiOutGetNumDevs: whether the system has a MIDI output to play on.
#include <mmsystem.h>

namespace platform {
namespace {

class NativeMusic final : public SdlMusic {
 public:
  ~NativeMusic() override { Drop(); }

  void Start(const std::string& piece, bool repeat) override {
    Drop();
    piece_ = piece;  // SDL_mixer reads from it while the piece plays
    SDL_RWops* source = SDL_RWFromConstMem(piece_.data(), static_cast<int>(piece_.size()));
    if (source == nullptr) return;
    music_ = Mix_LoadMUSType_RW(source, MUS_MID, SDL_TRUE);
    if (music_ != nullptr) Mix_PlayMusic(music_, repeat ? -1 : 1);
  }

  void Stop() override { Drop(); }

 private:
  void Drop() {
    if (music_ == nullptr) return;
    Mix_HaltMusic();
    Mix_FreeMusic(music_);
    music_ = nullptr;
  }

  Mix_Music* music_ = nullptr;
  std::string piece_;
};

}  // namespace

std::unique_ptr<SdlMusic> OpenSdlMusic(int) {
  if (midiOutGetNumDevs() == 0) return nullptr;
  return std::make_unique<NativeMusic>();
}

}  // namespace platform
