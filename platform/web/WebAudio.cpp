// Audio in the page.
// Implements: SDL's audio device (Web Audio underneath, fed from the
//   browser's audio callback on the one thread), WAV sounds decoded by SDL
//   and converted once to the device's format, one at a time (once or
//   looping), the beep mixed over them, and MIDI pieces checked as on the
//   desktop, then handed to the page's synthesiser (Module.marigoldMusic:
//   start(bytes, repeat), stop()).
// Not here: when music and sound start or stop (sound/), and the page's
//   synthesiser itself (the page's script).
#include "platform/web/WebAudio.h"

#include <SDL.h>
#include <emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/MidiCheck.h"

namespace platform {
namespace {

constexpr int kWantedRate = 32000;  // as the desktop; the browser may insist on its own
constexpr int kDeviceFrames = 1024;
constexpr std::size_t kMaxMidiBytes = 16u << 20;
constexpr int kRepeat = 7;  // the play option that repeats a piece

// The page's synthesiser, when the page has one.
EM_JS(void, mg_music_start, (const void* data, int size, int repeat), {
  var music = Module["marigoldMusic"];
  if (music) music.start(HEAPU8.slice(data, data + size), repeat != 0);
});
EM_JS(void, mg_music_stop, (), {
  var music = Module["marigoldMusic"];
  if (music) music.stop();
});

// A sound in the device's format: 16-bit stereo frames.
struct Samples {
  std::vector<Sint16> data;
  std::size_t at = 0;  // the next sample to play
  bool loop = false;
  bool Playing() const { return at < data.size(); }
};

}  // namespace

struct WebAudio::Impl {
  class Music final : public MusicOut {
   public:
    void SetDevice(int, int) override {}
    void LoadFile(const std::string& path, int) override { Load(path); }
    void Play(int options, int, int) override {
      if (piece_.empty()) {
        mg_music_stop();
        return;
      }
      mg_music_start(piece_.data(), static_cast<int>(piece_.size()), options == kRepeat ? 1 : 0);
    }
    void Stop() override { mg_music_stop(); }
    void Free() override {
      mg_music_stop();
      piece_.clear();
      piece_.shrink_to_fit();
    }

   private:
    void Load(const std::string& path) {
      piece_.clear();
      try {
        std::string bytes;
        if (!ReadGameFile(".", path, bytes) || bytes.size() > kMaxMidiBytes) return;
        if (!CheckMidi(bytes).ok) return;
        piece_ = std::move(bytes);
      } catch (...) {
        piece_.clear();  // unreadable: nothing loaded
      }
    }

    std::string piece_;  // the loaded piece, checked; empty: none or refused
  };

  class Sound final : public SoundOut {
   public:
    explicit Sound(Impl& impl) : impl_(impl) {}
    void Play(const std::string& path, bool loop) override { impl_.StartSound(path, loop); }
    void Purge() override { impl_.HaltSound(); }

   private:
    Impl& impl_;
  };

  Impl() { Open(); }
  ~Impl() {
    if (device != 0) SDL_CloseAudioDevice(device);
    if (subsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  void Open() {
    auto without = [] {
      std::fprintf(stderr, "marigold: no audio device (%s); playing without sound\n",
                   SDL_GetError());
    };
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return without();
    subsystem = true;
    SDL_AudioSpec want{};
    want.freq = kWantedRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kDeviceFrames;
    want.callback = &Impl::Mix;
    want.userdata = this;
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device == 0) return without();
    MakeBeep();
    SDL_PauseAudioDevice(device, 0);
  }

  // Decodes a WAV file of the game into the device's format; empty when it
  // is missing or cannot be decoded.
  std::vector<Sint16> Decode(const std::string& path) const {
    std::string bytes;
    try {
      if (!ReadGameFile(".", path, bytes)) return {};
    } catch (...) {
      return {};
    }
    SDL_AudioSpec wav{};
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (rw == nullptr || SDL_LoadWAV_RW(rw, 1, &wav, &buffer, &length) == nullptr) return {};
    std::vector<Sint16> out;
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, wav.format, wav.channels, wav.freq, AUDIO_S16SYS, 2, have.freq) >=
        0) {
      std::vector<Uint8> work(std::size_t(length) * std::max(cvt.len_mult, 1));
      std::copy(buffer, buffer + length, work.begin());
      cvt.buf = work.data();
      cvt.len = static_cast<int>(length);
      if (cvt.needed == 0 || SDL_ConvertAudio(&cvt) == 0) {
        const int bytesOut = cvt.needed ? cvt.len_cvt : static_cast<int>(length);
        out.resize(std::size_t(bytesOut) / sizeof(Sint16));
        std::copy(work.begin(), work.begin() + out.size() * sizeof(Sint16),
                  reinterpret_cast<Uint8*>(out.data()));
      }
    }
    SDL_FreeWAV(buffer);
    return out;
  }

  void StartSound(const std::string& path, bool loop) {
    if (device == 0) return;
    HaltSound();
    std::vector<Sint16> decoded = Decode(path);
    SDL_LockAudioDevice(device);
    sound.data = std::move(decoded);
    sound.at = 0;
    sound.loop = loop;
    SDL_UnlockAudioDevice(device);
  }

  void HaltSound() {
    if (device == 0) return;
    SDL_LockAudioDevice(device);
    sound.data.clear();
    sound.at = 0;
    SDL_UnlockAudioDevice(device);
  }

  void MakeBeep() {
    // 120 ms of 880 Hz with 5 ms ramps, as on the desktop.
    const int rate = have.freq;
    const int frames = rate * 120 / 1000;
    const int ramp = rate * 5 / 1000;
    beep.data.resize(std::size_t(frames) * 2);
    for (int i = 0; i < frames; ++i) {
      double gain = 0.3;
      if (i < ramp) gain *= double(i) / ramp;
      if (frames - i < ramp) gain *= double(frames - i) / ramp;
      const auto value =
          Sint16(std::lround(gain * 32767.0 * std::sin(2.0 * std::numbers::pi * 880.0 * i / rate)));
      beep.data[std::size_t(i) * 2] = value;
      beep.data[std::size_t(i) * 2 + 1] = value;
    }
    beep.at = beep.data.size();  // not playing
  }

  // Adds what a sound has for this buffer; a looping one starts again.
  static void Add(Samples& s, Sint32* mix, std::size_t count) {
    std::size_t i = 0;
    while (i < count && s.Playing()) {
      mix[i++] += s.data[s.at++];
      if (!s.Playing() && s.loop && !s.data.empty()) s.at = 0;
    }
  }

  static void SDLCALL Mix(void* self, Uint8* stream, int len) {
    auto& impl = *static_cast<Impl*>(self);
    const std::size_t count = std::size_t(len) / sizeof(Sint16);
    impl.mix.assign(count, 0);
    Add(impl.sound, impl.mix.data(), count);
    Add(impl.beep, impl.mix.data(), count);
    auto* out = reinterpret_cast<Sint16*>(stream);
    for (std::size_t i = 0; i < count; ++i) {
      out[i] = static_cast<Sint16>(std::clamp<Sint32>(impl.mix[i], -32768, 32767));
    }
  }

  bool subsystem = false;
  SDL_AudioDeviceID device = 0;
  SDL_AudioSpec have{};
  Samples sound;
  Samples beep;
  std::vector<Sint32> mix;  // the callback's sum, kept to spare allocations

  Music music;
  Sound soundOut{*this};
};

WebAudio::WebAudio() : impl_(std::make_unique<Impl>()) {}
WebAudio::~WebAudio() = default;

MusicOut& WebAudio::Music() {
  return impl_->music;
}
SoundOut& WebAudio::Sound() {
  return impl_->soundOut;
}

void WebAudio::Beep() {
  if (impl_->device == 0) return;
  SDL_LockAudioDevice(impl_->device);
  impl_->beep.at = 0;
  SDL_UnlockAudioDevice(impl_->device);
}

}  // namespace platform
