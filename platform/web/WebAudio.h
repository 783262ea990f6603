// Audio in the page: WAV sounds, one at a time, and the beep mixed into
// SDL's audio device (the page's Web Audio), and MIDI music handed to the
// synthesiser the page runs beside the game (js-synthesizer: FluidSynth with
// the same SoundFont as on Linux).
#pragma once

#include <memory>

#include "platform/Platform.h"

namespace platform {

// Opens SDL's audio device on construction. The page allows sound only after
// a gesture, so the game is started from one. Without a device, a
// synthesiser or a decodable file everything is silence; nothing here ever
// fails loudly.
class WebAudio {
 public:
  WebAudio();
  ~WebAudio();
  WebAudio(const WebAudio&) = delete;
  WebAudio& operator=(const WebAudio&) = delete;

  MusicOut& Music();
  SoundOut& Sound();

  // A short tone mixed over the game's sound, not cutting it.
  void Beep();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
