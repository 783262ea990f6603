// Real audio through SDL2_mixer and FluidSynth.
// Implements: the audio device, MIDI pieces checked then synthesised by one
//   FluidSynth synth (the SoundFont loaded once) fed through SDL_mixer's
//   music hook, WAV sounds on one mixer channel (once or looping), the beep.
// Not here: when music and sound start or stop (sound/), and the recording
//   outputs the headless machine uses (platform/headless/RecordingAudio).
#include "platform/sdl/SdlAudio.h"

#include <SDL.h>         // the audio subsystem and its lock
#include <SDL_mixer.h>   // the mix: WAV chunks on a channel, the music hook
#include <alsa/error.h>  // snd_lib_error_set_handler: ALSA's own error printing
#include <fluidsynth.h>  // MIDI synthesis from a SoundFont

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <numbers>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Files.h"
#include "platform/MidiCheck.h"

namespace platform {
namespace {

constexpr int kRate = 44100;
constexpr int kChunkFrames = 1024;
constexpr std::uintmax_t kMaxMidiBytes = 16u << 20;
constexpr int kSoundChannel = 0;  // the game's one sound
constexpr int kBeepChannel = 1;   // the system beep
constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// Play options of MusicOut.
constexpr int kRepeat = 7;

void QuietFluidSynth() {
  for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
    fluid_set_log_function(level, nullptr, nullptr);
  }
}

// ALSA prints every failed look-up of a sound card to the error stream by
// itself, eight lines on a machine without one; the one line Open writes
// says all a player needs. SDL loads the same libasound, so this handler is
// the one it reports through.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

std::vector<std::string> SoundFontPaths() {
  const char* env = std::getenv("SDL_SOUNDFONTS");
  if (env == nullptr || *env == '\0') return {kDefaultSoundFont};
  std::vector<std::string> paths;
  std::string_view rest(env);
  while (!rest.empty()) {
    const std::size_t cut = rest.find_first_of(":;");
    const std::string_view part = rest.substr(0, cut);
    if (!part.empty()) paths.emplace_back(part);
    if (cut == std::string_view::npos) break;
    rest.remove_prefix(cut + 1);
  }
  return paths;
}

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
  void OpenSynth();

  void LoadPiece(const std::string& path);
  void StartPiece(bool repeat);
  void StopPiece();
  void DropPlayerLocked();

  void StartSound(const std::string& path, bool loop);
  void HaltSound();
  void MakeBeep();

  static void SDLCALL Render(void* self, Uint8* stream, int len);

  bool subsystem = false;
  bool mixer = false;

  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  fluid_player_t* player = nullptr;  // the piece that plays; one per piece
  // Held by the audio thread while it renders and by the caller while it
  // changes the player; the audio thread never waits for it.
  std::mutex synthLock;
  std::string piece;             // the loaded piece, checked; empty: none or refused
  std::string dataFolder = ".";  // where game file names are looked up

  Mix_Chunk* sound = nullptr;
  std::vector<Sint16> beepSamples;
  Mix_Chunk* beep = nullptr;

  Music music{*this};
  Sound soundOut{*this};
};

void SdlAudio::Impl::Open() {
  snd_lib_error_set_handler(&QuietAlsa);
  auto without = [] {
    std::fprintf(stderr, "marigold: no audio device (%s); playing without sound\n", SDL_GetError());
  };
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return without();
  subsystem = true;
  // Exactly 44100 Hz, 16-bit stereo: SDL converts for the device if needed,
  // and the synthesiser and the beep can write that format directly.
  if (Mix_OpenAudioDevice(kRate, AUDIO_S16SYS, 2, kChunkFrames, nullptr, 0) != 0) return without();
  mixer = true;
  Mix_AllocateChannels(2);
  MakeBeep();
  OpenSynth();
}

void SdlAudio::Impl::OpenSynth() {
  QuietFluidSynth();
  settings = new_fluid_settings();
  if (settings == nullptr) return;
  fluid_settings_setnum(settings, "synth.sample-rate", kRate);
  fluid_settings_setint(settings, "synth.lock-memory", 0);
  fluid_settings_setnum(settings, "synth.gain", 0.5);
  // The pieces are small ensembles: 64 voices are plenty, and the synth
  // walks every voice slot for every block it renders.
  fluid_settings_setint(settings, "synth.polyphony", 64);
  // Chorus costs a good share of the synth's time and adds little to these
  // pieces; reverb stays.
  fluid_settings_setint(settings, "synth.chorus.active", 0);
  fluid_settings_setstr(settings, "player.timing-source", "sample");
  fluid_settings_setint(settings, "player.reset-synth", 1);
  synth = new_fluid_synth(settings);
  if (synth == nullptr) return;
  bool loaded = false;
  for (const std::string& path : SoundFontPaths()) {
    if (fluid_is_soundfont(path.c_str()) &&
        fluid_synth_sfload(synth, path.c_str(), 1) != FLUID_FAILED) {
      loaded = true;
      break;
    }
  }
  if (!loaded) {
    delete_fluid_synth(synth);
    synth = nullptr;
    return;
  }
  Mix_HookMusic(&Impl::Render, this);
}

void SdlAudio::Impl::Close() {
  if (mixer) {
    Mix_HookMusic(nullptr, nullptr);  // returns once the audio thread has left Render
    Mix_HaltChannel(-1);
  }
  if (player != nullptr) {
    delete_fluid_player(player);
    player = nullptr;
  }
  if (synth != nullptr) delete_fluid_synth(synth);
  if (settings != nullptr) delete_fluid_settings(settings);
  synth = nullptr;
  settings = nullptr;
  if (sound != nullptr) Mix_FreeChunk(sound);
  if (beep != nullptr) Mix_FreeChunk(beep);
  sound = nullptr;
  beep = nullptr;
  if (mixer) Mix_CloseAudio();
  if (subsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  mixer = false;
  subsystem = false;
}

void SDLCALL SdlAudio::Impl::Render(void* self, Uint8* stream, int len) {
  auto& impl = *static_cast<Impl*>(self);
  // SDL_mixer hands over a silent buffer. While the caller is changing
  // pieces, this buffer simply stays silent.
  std::unique_lock<std::mutex> hold(impl.synthLock, std::try_to_lock);
  if (!hold.owns_lock() || impl.synth == nullptr) return;
  auto* samples = reinterpret_cast<Sint16*>(stream);
  fluid_synth_write_s16(impl.synth, len / 4, samples, 0, 2, samples, 1, 2);
}

void SdlAudio::Impl::LoadPiece(const std::string& path) {
  piece.clear();
  if (synth == nullptr) return;
  try {
    const std::optional<GameFile> found = FindGameFile(dataFolder, path);
    if (!found || !found->regular) return;
    std::error_code ec;
    const auto size = std::filesystem::file_size(found->path, ec);
    if (ec || size > kMaxMidiBytes) return;  // far too big for a piece
    std::string bytes;
    if (!ReadNativeFile(found->path, bytes)) return;
    if (!CheckMidi(bytes).ok) return;
    piece = std::move(bytes);
  } catch (...) {
    piece.clear();  // unreadable: nothing loaded
  }
}

void SdlAudio::Impl::DropPlayerLocked() {
  if (player != nullptr) {
    fluid_player_stop(player);
    delete_fluid_player(player);
    player = nullptr;
  }
  fluid_synth_all_sounds_off(synth, -1);
  fluid_synth_system_reset(synth);
}

void SdlAudio::Impl::StartPiece(bool repeat) {
  if (synth == nullptr) return;
  std::lock_guard<std::mutex> hold(synthLock);
  DropPlayerLocked();
  if (piece.empty()) return;
  player = new_fluid_player(synth);
  if (player == nullptr) return;
  if (fluid_player_add_mem(player, piece.data(), piece.size()) != FLUID_OK) {
    delete_fluid_player(player);
    player = nullptr;
    return;
  }
  fluid_player_set_loop(player, repeat ? -1 : 1);
  fluid_player_play(player);
}

void SdlAudio::Impl::StopPiece() {
  if (synth == nullptr) return;
  std::lock_guard<std::mutex> hold(synthLock);
  DropPlayerLocked();
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
  const int frames = kRate * 120 / 1000;
  const int ramp = kRate * 5 / 1000;
  beepSamples.resize(std::size_t(frames) * 2);
  for (int i = 0; i < frames; ++i) {
    double gain = 0.3;
    if (i < ramp) gain *= double(i) / ramp;
    if (frames - i < ramp) gain *= double(frames - i) / ramp;
    const auto value =
        Sint16(std::lround(gain * 32767.0 * std::sin(2.0 * std::numbers::pi * 880.0 * i / kRate)));
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
  return impl_->synth != nullptr;
}

}  // namespace platform
