// Real audio through SDL2_mixer.
// Implements: the audio device, MIDI pieces checked then handed to the
//   music synthesiser (sdl/SdlMusic.h: FluidSynth on Linux, the system's on
//   Windows), WAV sounds on one mixer channel (once or looping), the beep.
// Not here: when music and sound start or stop (sound/), and the recording
//   outputs the headless machine uses (platform/headless/RecordingAudio).
#include "platform/sdl/SdlAudio.h"

#include <SDL.h>        // the audio subsystem
#include <SDL_mixer.h>  // the mix: WAV chunks on a channel
#ifndef _WIN32
#include <alsa/error.h>  // snd_lib_error_set_handler: ALSA's own error printing
#endif

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/MidiCheck.h"
#include "platform/sdl/SdlMusic.h"

namespace platform {
namespace {

constexpr int kChunkFrames = 1024;  // a device buffer: 32 ms, the longest a sound waits to start
constexpr std::uintmax_t kMaxMidiBytes = 16u << 20;
constexpr int kSoundChannel = 0;  // the game's one sound
constexpr int kBeepChannel = 1;   // the system beep

// Play options of MusicOut.
constexpr int kRepeat = 7;

#ifndef _WIN32
// ALSA prints every failed look-up of a sound card to the error stream by
// itself, eight lines on a machine without one; the one line Open writes
// says all a player needs. SDL loads the same libasound, so this handler is
// the one it reports through.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}
#endif

}  // namespace

struct SdlAudio::Impl {
  class Music final : public MusicOut {
   public:
    explicit Music(Impl& impl) : impl_(impl) {}
    void SetDevice(int, int) override {}  // the device was opened with the audio
    void LoadFile(const std::string& path, int) override { impl_.LoadPiece(path); }
    void Play(int options, int, int) override { impl_.StartPiece(options == kRepeat); }
    void Stop() override { impl_.StopPiece(); }
    void Free() override {
      impl_.StopPiece();
      impl_.piece.clear();
      impl_.piece.shrink_to_fit();
    }

   private:
    Impl& impl_;
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
  ~Impl() { Close(); }

  void Open();
  void Close();

  void LoadPiece(const std::string& path);
  void StartPiece(bool repeat);
  void StopPiece();

  void StartSound(const std::string& path, bool loop);
  void HaltSound();
  void MakeBeep();

  bool subsystem = false;
  bool mixer = false;

  std::unique_ptr<SdlMusic> synth;  // null: no music can be heard
  std::string piece;                // the loaded piece, checked; empty: none or refused
  std::string dataFolder = ".";     // where game file names are looked up

  Mix_Chunk* sound = nullptr;
  std::vector<Sint16> beepSamples;
  Mix_Chunk* beep = nullptr;

  Music music{*this};
  Sound soundOut{*this};
};

void SdlAudio::Impl::Open() {
#ifndef _WIN32
  snd_lib_error_set_handler(&QuietAlsa);
#endif
  auto without = [] {
    std::fprintf(stderr, "marigold: no audio device (%s); playing without sound\n", SDL_GetError());
  };
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return without();
  subsystem = true;
  // Exactly kAudioRate, 16-bit stereo: SDL converts for the device if
  // needed, and the synthesiser and the beep can write that format directly.
  // 32 kHz rather than 44.1 kHz: the synthesiser and the mix do a quarter
  // less work, which is most of what a running game costs. All that is lost
  // is the band above 16 kHz: the demo's sounds, like those mkdata writes,
  // are 22 kHz files with nothing there, and the music has some 50 dB less
  // there than in the whole.
  if (Mix_OpenAudioDevice(kAudioRate, AUDIO_S16SYS, 2, kChunkFrames, nullptr, 0) != 0)
    return without();
  mixer = true;
  Mix_AllocateChannels(2);
  MakeBeep();
  synth = OpenSdlMusic(kAudioRate);
}

void SdlAudio::Impl::Close() {
  synth.reset();
  if (mixer) Mix_HaltChannel(-1);
  if (sound != nullptr) Mix_FreeChunk(sound);
  if (beep != nullptr) Mix_FreeChunk(beep);
  sound = nullptr;
  beep = nullptr;
  if (mixer) Mix_CloseAudio();
  if (subsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  mixer = false;
  subsystem = false;
}

void SdlAudio::Impl::LoadPiece(const std::string& path) {
  piece.clear();
  if (synth == nullptr) return;
  try {
    const std::optional<GameFile> found = FindGameFile(dataFolder, path);
    if (!found || !found->regular) return;
    std::error_code ec;
    const auto size = std::filesystem::file_size(NativePath(found->path), ec);
    if (ec || size > kMaxMidiBytes) return;  // far too big for a piece
    std::string bytes;
    if (!ReadNativeFile(found->path, bytes)) return;
    if (!CheckMidi(bytes).ok) return;
    piece = std::move(bytes);
  } catch (...) {
    piece.clear();  // unreadable: nothing loaded
  }
}

void SdlAudio::Impl::StartPiece(bool repeat) {
  if (synth == nullptr) return;
  if (piece.empty()) {
    synth->Stop();
    return;
  }
  synth->Start(piece, repeat);
}

void SdlAudio::Impl::StopPiece() {
  if (synth != nullptr) synth->Stop();
}

void SdlAudio::Impl::HaltSound() {
  if (!mixer) return;
  Mix_HaltChannel(kSoundChannel);  // the chunk is only freed once nothing plays it
  if (sound != nullptr) Mix_FreeChunk(sound);
  sound = nullptr;
}

void SdlAudio::Impl::StartSound(const std::string& path, bool loop) {
  if (!mixer) return;
  HaltSound();
  const std::optional<GameFile> found = FindGameFile(dataFolder, path);
  if (!found || !found->regular) return;
  sound = Mix_LoadWAV(found->path.c_str());
  if (sound == nullptr) return;
  Mix_PlayChannel(kSoundChannel, sound, loop ? -1 : 0);
}

void SdlAudio::Impl::MakeBeep() {
  // 120 ms of 880 Hz, stereo, with 5 ms ramps so it does not click.
  const int frames = kAudioRate * 120 / 1000;
  const int ramp = kAudioRate * 5 / 1000;
  beepSamples.resize(std::size_t(frames) * 2);
  for (int i = 0; i < frames; ++i) {
    double gain = 0.3;
    if (i < ramp) gain *= double(i) / ramp;
    if (frames - i < ramp) gain *= double(frames - i) / ramp;
    const auto value = Sint16(
        std::lround(gain * 32767.0 * std::sin(2.0 * std::numbers::pi * 880.0 * i / kAudioRate)));
    beepSamples[std::size_t(i) * 2] = value;
    beepSamples[std::size_t(i) * 2 + 1] = value;
  }
  beep = Mix_QuickLoad_RAW(reinterpret_cast<Uint8*>(beepSamples.data()),
                           Uint32(beepSamples.size() * sizeof(Sint16)));
}

SdlAudio::SdlAudio(std::string dataFolder) : impl_(std::make_unique<Impl>()) {
  impl_->dataFolder = std::move(dataFolder);
}
SdlAudio::~SdlAudio() = default;

MusicOut& SdlAudio::Music() {
  return impl_->music;
}
SoundOut& SdlAudio::Sound() {
  return impl_->soundOut;
}

void SdlAudio::Beep() {
  if (impl_->beep != nullptr) Mix_PlayChannel(kBeepChannel, impl_->beep, 0);
}

bool SdlAudio::DeviceOpen() const {
  return impl_->mixer;
}
bool SdlAudio::MusicReady() const {
  return impl_->synth != nullptr && impl_->synth->Ready();
}

}  // namespace platform
