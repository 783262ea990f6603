// Real audio through SDL2_mixer: MIDI music (synthesised by FluidSynth with a
// General MIDI SoundFont on Linux, by the system's synthesiser on Windows:
// platform/sdl/SdlMusic.h), and WAV sounds on one channel.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"

namespace platform {

// The rate the mix runs at, the device is opened at and the music is
// synthesised at, in frames a second.
inline constexpr int kAudioRate = 32000;

// Opens the audio device on construction (initialising SDL's audio subsystem
// itself). Without a device, a SoundFont or a decodable file everything is
// silence; nothing here ever fails loudly.
//
// On Linux the SoundFont is the first that loads of the paths listed in the
// environment variable SDL_SOUNDFONTS (separated by ':' or ';'), or else
// /usr/share/sounds/sf2/TimGM6mb.sf2. It is loaded once, here.
class SdlAudio {
 public:
  // Game files named to Music and Sound are looked up below dataFolder.
  explicit SdlAudio(std::string dataFolder = ".");
  ~SdlAudio();
  SdlAudio(const SdlAudio&) = delete;
  SdlAudio& operator=(const SdlAudio&) = delete;

  MusicOut& Music();
  SoundOut& Sound();

  // A short tone on a channel of its own, so it does not cut the game's sound.
  void Beep();

  // Whether the audio device is open, and whether music can be heard (a
  // device and a loaded SoundFont).
  bool DeviceOpen() const;
  bool MusicReady() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
