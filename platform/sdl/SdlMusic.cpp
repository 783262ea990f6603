// Music on Linux: FluidSynth renders the piece into SDL_mixer's music hook.
// Implements platform/sdl/SdlMusic.h. The SoundFont is the first that loads of
// the paths listed in SDL_SOUNDFONTS (separated by ':' or ';'), or else
// /usr/share/sounds/sf2/TimGM6mb.sf2; it is loaded once, when opening.
#include "platform/sdl/SdlMusic.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <fluidsynth.h>

#include <cstdlib>
#include <mutex>
#include <string_view>
#include <vector>

namespace platform {
namespace {

constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

void QuietFluidSynth() {
  for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
    fluid_set_log_function(level, nullptr, nullptr);
  }
}

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

class FluidMusic final : public SdlMusic {
 public:
  ~FluidMusic() override {
    Mix_HookMusic(nullptr, nullptr);  // returns once the audio thread has left Render
    if (player_ != nullptr) delete_fluid_player(player_);
    if (synth_ != nullptr) delete_fluid_synth(synth_);
    if (settings_ != nullptr) delete_fluid_settings(settings_);
  }

  // False when there is no synthesiser or no SoundFont loads.
  bool Open(int rate) {
    QuietFluidSynth();
    settings_ = new_fluid_settings();
    if (settings_ == nullptr) return false;
    fluid_settings_setnum(settings_, "synth.sample-rate", rate);
    fluid_settings_setint(settings_, "synth.lock-memory", 0);
    fluid_settings_setnum(settings_, "synth.gain", 0.5);
    // The pieces are small ensembles: 64 voices are plenty, and the synth
    // walks every voice slot for every block it renders.
    fluid_settings_setint(settings_, "synth.polyphony", 64);
    // Chorus costs a good share of the synth's time and adds little to these
    // pieces; reverb stays.
    fluid_settings_setint(settings_, "synth.chorus.active", 0);
    fluid_settings_setstr(settings_, "player.timing-source", "sample");
    fluid_settings_setint(settings_, "player.reset-synth", 1);
    synth_ = new_fluid_synth(settings_);
    if (synth_ == nullptr) return false;
    for (const std::string& path : SoundFontPaths()) {
      if (fluid_is_soundfont(path.c_str()) &&
          fluid_synth_sfload(synth_, path.c_str(), 1) != FLUID_FAILED) {
        Mix_HookMusic(&FluidMusic::Render, this);
        return true;
      }
    }
    return false;
  }

  void Start(const std::string& piece, bool repeat) override {
    std::lock_guard<std::mutex> hold(lock_);
    DropPlayerLocked();
    player_ = new_fluid_player(synth_);
    if (player_ == nullptr) return;
    if (fluid_player_add_mem(player_, piece.data(), piece.size()) != FLUID_OK) {
      delete_fluid_player(player_);
      player_ = nullptr;
      return;
    }
    fluid_player_set_loop(player_, repeat ? -1 : 1);
    fluid_player_play(player_);
  }

  void Stop() override {
    std::lock_guard<std::mutex> hold(lock_);
    DropPlayerLocked();
  }

 private:
  void DropPlayerLocked() {
    if (player_ != nullptr) {
      fluid_player_stop(player_);
      delete_fluid_player(player_);
      player_ = nullptr;
    }
    fluid_synth_all_sounds_off(synth_, -1);
    fluid_synth_system_reset(synth_);
  }

  static void SDLCALL Render(void* self, Uint8* stream, int len) {
    auto& music = *static_cast<FluidMusic*>(self);
    // SDL_mixer hands over a silent buffer. While the caller is changing
    // pieces, this buffer simply stays silent.
    std::unique_lock<std::mutex> hold(music.lock_, std::try_to_lock);
    if (!hold.owns_lock()) return;
    auto* samples = reinterpret_cast<Sint16*>(stream);
    fluid_synth_write_s16(music.synth_, len / 4, samples, 0, 2, samples, 1, 2);
  }

  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  fluid_player_t* player_ = nullptr;  // the piece that plays; one per piece
  // Held by the audio thread while it renders and by the caller while it
  // changes the player; the audio thread never waits for it.
  std::mutex lock_;
};

}  // namespace

std::unique_ptr<SdlMusic> OpenSdlMusic(int rate) {
  auto music = std::make_unique<FluidMusic>();
  if (!music->Open(rate)) return nullptr;
  return music;
}

}  // namespace platform
