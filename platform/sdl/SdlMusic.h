// The music half of the SDL audio: one checked General MIDI piece at a time,
// played into the open SDL_mixer device. One implementation per system:
// FluidSynth with a SoundFont on Linux (SdlMusic.cpp), the system's MIDI
// synthesiser through SDL_mixer's native MIDI on Windows
// (windows/SdlMusic.cpp).
#pragma once

#include <memory>
#include <string>

namespace platform {

class SdlMusic {
 public:
  virtual ~SdlMusic() = default;
  // Starts the piece (a whole Standard MIDI File, already checked) from its
  // beginning, once or repeating without end; replaces whatever played.
  virtual void Start(const std::string& piece, bool repeat) = 0;
  // Silences the music at once.
  virtual void Stop() = 0;
  // Whether music can be heard (the synthesiser has its instruments); may
  // wait for them to load.
  virtual bool Ready() { return true; }
};

// The music for a mixer opened at `rate` Hz, 16-bit stereo; null when no
// synthesiser can be had (then the game's music is silence).
std::unique_ptr<SdlMusic> OpenSdlMusic(int rate);

}  // namespace platform
