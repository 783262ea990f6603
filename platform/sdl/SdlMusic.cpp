// Music on Linux: FluidSynth renders the piece into SDL_mixer's music hook.
// Implements platform/sdl/SdlMusic.h. The SoundFont is the first that loads of
// the paths listed in SDL_SOUNDFONTS (separated by ':' or ';'), or else
// /usr/share/sounds/sf2/TimGM6mb.sf2; it is loaded once, on a thread of its
// own started when opening, so the window need not wait for it: a piece
// started meanwhile begins once the SoundFont is in.
#include "platform/sdl/SdlMusic.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <fluidsynth.h>

#ifdef __GLIBC__
#include <malloc.h>  // malloc_trim
#endif

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

namespace platform {
namespace {

constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr int kVoices = 48;
// Straight-line interpolation between a sample's points instead of the default
// fourth-order: about a quarter less of the synth's time, and on the demo's
// pieces the only measurable change is a trace more energy above 11 kHz
// (still 46 dB below the whole). A channel falls back to the default on every
// reset of the synth (and the player resets it at each repeat), so it is set
// again for the channel of every event the player sends.
constexpr int kInterpolation = FLUID_INTERP_LINEAR;
// The music is rendered ahead in runs of this many frames (four device
// buffers, 128 ms) and handed out a device buffer at a time: the synth is
// woken a quarter as often and most of what it works on is still in the
// cache after a run's first block, which takes about a fifth off the audio
// thread's time, while the device buffer, and so the delay of a sound
// effect, stays short. What is heard does not change: a piece starts and
// stops at the same device buffer as before (changing pieces drops what was
// rendered ahead), and a piece rendered in runs differs from one rendered a
// device buffer at a time only some 42 dB down, with no third of an octave
// and no note changed.
constexpr int kRunFrames = 4096;

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
    if (loader_.joinable()) loader_.join();
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
    // The synth's time grows with the voices sounding. The pieces have four
    // or five parts, and the busiest asks for about 90 voices at FluidSynth's
    // default of 256; past 48 the synth takes voices in their release first,
    // and that piece rendered with 48 and with 256 stays within 0.3 dB in 95 %
    // of its 23 ms steps, no third of an octave of any step 6 dB down.
    fluid_settings_setint(settings_, "synth.polyphony", kVoices);
    // Reverb and chorus stay on: the pieces ask for reverb on every part, and
    // the SoundFont's strings carry a full chorus send; without chorus the
    // tense piece is 3 dB quieter and its strings lose their width.
    fluid_settings_setint(settings_, "synth.reverb.active", 1);
    fluid_settings_setint(settings_, "synth.chorus.active", 1);
    fluid_settings_setstr(settings_, "player.timing-source", "sample");
    fluid_settings_setint(settings_, "player.reset-synth", 1);
    synth_ = new_fluid_synth(settings_);
    if (synth_ == nullptr) return false;
    Mix_HookMusic(&FluidMusic::Render, this);
    loader_ = std::thread([this] { Load(); });
    return true;
  }

  bool Ready() override {
    std::unique_lock<std::mutex> hold(lock_);
    loaded_.wait(hold, [this] { return state_ != State::Loading; });
    return state_ == State::Ready;
  }

  void Start(const std::string& piece, bool repeat) override {
    std::lock_guard<std::mutex> hold(lock_);
    if (state_ == State::Loading) {
      pending_ = piece;
      pendingRepeat_ = repeat;
      return;
    }
    StartLocked(piece, repeat);
  }

  void Stop() override {
    std::lock_guard<std::mutex> hold(lock_);
    pending_.clear();
    if (state_ == State::Ready) DropPlayerLocked();
  }

 private:
  enum class State { Loading, Ready, Failed };

  // On the loader thread: the first SoundFont that loads, then the piece
  // started meanwhile. Until then nothing else touches the synth: Start keeps
  // the piece, Stop only forgets it, and Render leaves the buffer silent.
  void Load() {
    bool loaded = false;
    for (const std::string& path : SoundFontPaths()) {
      if (fluid_is_soundfont(path.c_str()) &&
          fluid_synth_sfload(synth_, path.c_str(), 1) != FLUID_FAILED) {
        loaded = true;
        break;
      }
    }
#ifdef __GLIBC__
    // The loading's scratch memory was freed into this thread's own heap,
    // where nothing else would reuse it: hand it back.
    malloc_trim(0);
#endif
    std::lock_guard<std::mutex> hold(lock_);
    state_ = loaded ? State::Ready : State::Failed;
    if (loaded && !pending_.empty()) StartLocked(pending_, pendingRepeat_);
    pending_.clear();
    pending_.shrink_to_fit();
    loaded_.notify_all();
  }

  void StartLocked(const std::string& piece, bool repeat) {
    if (state_ != State::Ready) return;
    DropPlayerLocked();
    player_ = new_fluid_player(synth_);
    if (player_ == nullptr) return;
    fluid_player_set_playback_callback(player_, &FluidMusic::Event, synth_);
    if (fluid_player_add_mem(player_, piece.data(), piece.size()) != FLUID_OK) {
      delete_fluid_player(player_);
      player_ = nullptr;
      return;
    }
    fluid_player_set_loop(player_, repeat ? -1 : 1);
    fluid_player_play(player_);
  }

  void DropPlayerLocked() {
    if (player_ != nullptr) {
      fluid_player_stop(player_);
      delete_fluid_player(player_);
      player_ = nullptr;
    }
    aheadAt_ = ahead_.size();
    fluid_synth_all_sounds_off(synth_, -1);
    fluid_synth_system_reset(synth_);
  }

  // Every event of the piece, on its way from the player to the synth.
  static int Event(void* synth, fluid_midi_event_t* event) {
    auto* to = static_cast<fluid_synth_t*>(synth);
    const int type = fluid_midi_event_get_type(event);
    if (type >= 0x80 && type < 0xF0) {
      fluid_synth_set_interp_method(to, fluid_midi_event_get_channel(event), kInterpolation);
    }
    return fluid_synth_handle_midi_event(to, event);
  }

  static void SDLCALL Render(void* self, Uint8* stream, int len) {
    auto& music = *static_cast<FluidMusic*>(self);
    // SDL_mixer hands over a silent buffer. While the caller is changing
    // pieces, this buffer simply stays silent.
    std::unique_lock<std::mutex> hold(music.lock_, std::try_to_lock);
    if (!hold.owns_lock() || music.state_ != State::Ready) return;
    music.RenderAhead(reinterpret_cast<Sint16*>(stream), static_cast<std::size_t>(len) / 2);
  }

  // Fills count samples (left and right interleaved) from the run rendered
  // ahead, rendering the next run whenever it is used up.
  void RenderAhead(Sint16* out, std::size_t count) {
    while (count > 0) {
      if (aheadAt_ == ahead_.size()) {
        fluid_synth_write_s16(synth_, kRunFrames, ahead_.data(), 0, 2, ahead_.data(), 1, 2);
        aheadAt_ = 0;
      }
      const std::size_t take = std::min(count, ahead_.size() - aheadAt_);
      std::memcpy(out, ahead_.data() + aheadAt_, take * sizeof(Sint16));
      aheadAt_ += take;
      out += take;
      count -= take;
    }
  }

  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  fluid_player_t* player_ = nullptr;  // the piece that plays; one per piece
  std::vector<Sint16> ahead_ = std::vector<Sint16>(2 * kRunFrames);  // the run rendered ahead
  std::size_t aheadAt_ = 2 * kRunFrames;  // its first sample not handed out yet
  // Held by the audio thread while it renders, by the caller while it
  // changes the player and by the loader when it is done; the audio thread
  // never waits for it.
  std::mutex lock_;
  State state_ = State::Loading;
  std::condition_variable loaded_;  // state_ left Loading
  std::string pending_;             // the piece started while loading; empty: none
  bool pendingRepeat_ = false;
  std::thread loader_;
};

}  // namespace

std::unique_ptr<SdlMusic> OpenSdlMusic(int rate) {
  auto music = std::make_unique<FluidMusic>();
  if (!music->Open(rate)) return nullptr;
  return music;
}

}  // namespace platform
