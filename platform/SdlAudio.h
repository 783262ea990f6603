// Real audio through SDL2_mixer: MIDI music synthesised by FluidSynth with a
// General MIDI SoundFont, and WAV sounds on one channel.
#pragma once

#include <memory>

#include "platform/Platform.h"

namespace platform {

// Opens the audio device on construction (initialising SDL's audio subsystem
// itself). Without a device, a SoundFont or a decodable file everything is
// silence; nothing here ever fails loudly.
class SdlAudio {
 public:
  SdlAudio();
  ~SdlAudio();
  SdlAudio(const SdlAudio&) = delete;
  SdlAudio& operator=(const SdlAudio&) = delete;

  MusicOut& Music();
  SoundOut& Sound();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
