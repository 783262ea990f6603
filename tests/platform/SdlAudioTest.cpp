// Real audio through SDL's "disk" driver, which writes the mixed output to a
// file at about the pace a sound card would take it. The tests read that file
// back and look at its loudness over time. Positions are counted in samples
// of the file, not in wall time, so a busy machine only makes them slower.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define MG_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MG_ASAN 1
#endif
#endif
#ifdef MG_ASAN
// From the sanitizer runtime (its header is not always installed).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

#include "platform/sdl/SdlAudio.h"
#include "tests/platform/AudioFiles.h"

namespace {

using namespace soundtest;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::int64_t kRate = platform::kAudioRate;
constexpr double kLoud = 300.0;  // RMS of a note or tone, well above this
constexpr double kQuiet = 40.0;  // dither and the last of a reverb tail stay below

// Ends the whole program if a test is stuck, for instance in an audio thread
// that never lets go, so a fault shows as a failure instead of a hang.
class Watchdog {
 public:
  explicit Watchdog(int seconds)
      : thread_([this, seconds] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (!done_cv_.wait_for(lock, std::chrono::seconds(seconds), [this] { return done_; })) {
            std::fprintf(stderr, "watchdog: test stuck for %d s, giving up\n", seconds);
            std::_Exit(3);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    done_cv_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_cv_;
  bool done_ = false;
  std::thread thread_;
};

class DiskAudio : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/mg-sound-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    disk_ = dir_ + "/out.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", disk_.c_str(), 1);
    unsetenv("SDL_SOUNDFONTS");
  }
  void TearDown() override {
    audio_.reset();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  void Open() {
    audio_ = std::make_unique<platform::SdlAudio>(dir_);
    ASSERT_TRUE(audio_->DeviceOpen());
  }

  // Writes a file into the data folder; returns the name the audio is given.
  std::string Put(const std::string& name, const std::string& bytes) {
    WriteFile(dir_ + "/" + name, bytes);
    return name;
  }
  std::string PutFolder(const std::string& name) {
    fs::create_directories(dir_ + "/" + name);
    return name;
  }

  std::int64_t Frames() const {
    std::error_code ec;
    const auto size = fs::file_size(disk_, ec);
    return ec ? 0 : std::int64_t(size / 4);
  }

  // Waits until the file holds `frames` frames; false after `seconds` of wall time.
  bool WaitFrames(std::int64_t frames, int seconds = 10) const {
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (Frames() < frames) {
      if (Clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }

  // Lets `seconds` of audio pass after frame `from`.
  void Pass(std::int64_t from, double seconds) {
    ASSERT_TRUE(WaitFrames(from + std::int64_t(seconds * kRate)))
        << "the audio output stopped moving";
  }

  // Root mean square of both channels over [from + a, from + b) seconds.
  double Rms(std::int64_t from, double a, double b) const {
    const std::int64_t first = from + std::int64_t(a * kRate);
    const std::int64_t count = std::int64_t((b - a) * kRate);
    std::vector<std::int16_t> samples(std::size_t(count) * 2);
    std::ifstream in(disk_, std::ios::binary);
    in.seekg(first * 4);
    in.read(reinterpret_cast<char*>(samples.data()), std::streamsize(samples.size() * 2));
    const std::size_t got = std::size_t(in.gcount()) / 2;
    double sum = 0;
    for (std::size_t i = 0; i < got; ++i) sum += double(samples[i]) * samples[i];
    return got == 0 ? 0.0 : std::sqrt(sum / double(got));
  }

  // Loudness of each window of `step` seconds over [a, b) after `from`.
  std::vector<double> Windows(std::int64_t from, double a, double b, double step = 0.1) const {
    std::vector<double> out;
    for (double t = a; t + step <= b + 1e-9; t += step) out.push_back(Rms(from, t, t + step));
    return out;
  }

  static double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }
  static double Max(const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); }

  void PlayPiece(const std::string& path, int options) {
    audio_->Music().Stop();
    audio_->Music().LoadFile(path, 1);
    audio_->Music().Play(options, 0, 0);
  }

  std::string dir_;
  std::string disk_;
  std::unique_ptr<platform::SdlAudio> audio_;
};

TEST_F(DiskAudio, RepeatedPieceKeepsSoundingAndASinglePlayEnds) {
  Watchdog dog(60);
  Open();
  ASSERT_TRUE(audio_->MusicReady()) << "no SoundFont loaded";
  const std::string piece = Put("note.mid", OneNotePiece(96));  // half a second

  std::int64_t mark = Frames();
  PlayPiece(piece, 7);
  Pass(mark, 2.5);
  const auto repeated = Windows(mark, 0.3, 2.5);
  EXPECT_GT(Min(repeated), kLoud) << "a repeated piece fell silent";

  audio_->Music().Stop();
  mark = Frames();
  // The mixer's buffers and the reverb's tail may still sound for a moment.
  Pass(mark, 0.9);
  EXPECT_LT(Max(Windows(mark, 0.5, 0.9)), kQuiet) << "Stop did not end the piece";

  mark = Frames();
  PlayPiece(piece, 6);
  Pass(mark, 3.0);
  EXPECT_GT(Rms(mark, 0.1, 0.4), kLoud) << "a single play was not heard";
  EXPECT_LT(Max(Windows(mark, 2.2, 3.0)), kQuiet) << "a single play went on";
}

// The music is rendered ahead of the device: starting a piece must drop what
// was rendered ahead of the last, whatever point of it playback reached.
TEST_F(DiskAudio, APieceStartsWithinADeviceBufferOrTwo) {
  Watchdog dog(60);
  Open();
  ASSERT_TRUE(audio_->MusicReady()) << "no SoundFont loaded";
  const std::string note = Put("note.mid", OneNotePiece(96));
  // Four seconds of rest (768 ticks), then a volume change.
  const std::string rest =
      Put("rest.mid",
          Header(0, 1, 96) + Chunk("MTrk", Bytes({0x86, 0x00, 0xB0, 0x07, 100}) + EndOfTrack()));
  for (int round = 0; round < 6; ++round) {
    PlayPiece(rest, 7);
    Pass(Frames(), 0.2 + 0.017 * round);
    PlayPiece(note, 7);
    const std::int64_t mark = Frames();
    Pass(mark, 0.3);
    const auto loudness = Windows(mark, 0.0, 0.3, 0.005);
    const auto heard =
        std::find_if(loudness.begin(), loudness.end(), [](double w) { return w > kLoud; });
    ASSERT_NE(heard, loudness.end()) << "the piece was not heard, round " << round;
    // It is heard from the next device buffer on (32 ms); a run rendered
    // ahead and kept would hold it back by up to three buffers more.
    EXPECT_LT(0.005 * double(heard - loudness.begin()), 0.06)
        << "the piece started late, round " << round;
  }
}

TEST_F(DiskAudio, PiecesStartedWhileTheSoundFontLoadsPlayOnceItIsInUnlessStopped) {
  Watchdog dog(60);
  const std::string piece = Put("note.mid", OneNotePiece(96));
  // Started at once, as the title does: the SoundFont is still loading.
  Open();
  std::int64_t mark = Frames();
  PlayPiece(piece, 7);
  ASSERT_TRUE(audio_->MusicReady()) << "no SoundFont loaded";
  Pass(mark, 2.5);
  EXPECT_GT(Max(Windows(mark, 0.0, 2.5)), kLoud) << "the piece started while loading was lost";
  EXPECT_GT(Min(Windows(Frames() - kRate, 0.0, 1.0 - 0.1)), kLoud) << "it did not repeat";

  // Started and stopped while loading: nothing plays.
  audio_.reset();
  Open();
  mark = Frames();
  PlayPiece(piece, 7);
  audio_->Music().Stop();
  ASSERT_TRUE(audio_->MusicReady());
  Pass(mark, 1.5);
  EXPECT_LT(Max(Windows(mark, 0.0, 1.5)), kQuiet) << "a stopped piece played";
}

TEST_F(DiskAudio, EveryStartOfASoundReplacesTheOneThatPlays) {
  Watchdog dog(60);
  Open();
  const std::string hum = Put("hum.wav", ToneWav(440, 300));
  const std::string click = Put("click.wav", ToneWav(1000, 150));

  // A looping hum, cut by a short click: after the click, silence.
  std::int64_t mark = Frames();
  audio_->Sound().Play(hum, true);
  Pass(mark, 1.0);
  EXPECT_GT(Min(Windows(mark, 0.15, 0.95)), kLoud) << "the looping sound did not repeat";
  mark = Frames();
  audio_->Sound().Play(click, false);
  Pass(mark, 0.8);
  EXPECT_GT(Rms(mark, 0.0, 0.25), kLoud);
  EXPECT_LT(Max(Windows(mark, 0.35, 0.8)), kQuiet) << "the replaced sound kept playing";

  // A missing file and an undecodable one also end the sound, and play nothing.
  for (const std::string& bad :
       {std::string("missing.wav"), Put("broken.wav", "RIFF\x10\x00\x00\x00WAVEjunkjunk")}) {
    audio_->Sound().Play(hum, true);
    mark = Frames();
    Pass(mark, 0.3);
    audio_->Sound().Play(bad, true);
    mark = Frames();
    Pass(mark, 0.6);
    EXPECT_LT(Max(Windows(mark, 0.2, 0.6)), kQuiet) << bad;
  }

  // Purge stops a looping sound.
  audio_->Sound().Play(hum, true);
  mark = Frames();
  Pass(mark, 0.3);
  audio_->Sound().Purge();
  mark = Frames();
  Pass(mark, 0.6);
  EXPECT_LT(Max(Windows(mark, 0.2, 0.6)), kQuiet);
}

TEST_F(DiskAudio, BeepDoesNotCutTheSound) {
  Watchdog dog(60);
  Open();
  const std::string hum = Put("hum.wav", ToneWav(440, 300, 0.15));
  audio_->Sound().Play(hum, true);
  std::int64_t mark = Frames();
  Pass(mark, 0.3);
  const double humOnly = Rms(mark, 0.1, 0.3);
  audio_->Beep();
  mark = Frames();
  Pass(mark, 0.8);
  EXPECT_GT(Max(Windows(mark, 0.0, 0.3, 0.05)), humOnly * 1.5) << "the beep was not heard";
  const auto after = Windows(mark, 0.4, 0.8);
  EXPECT_GT(Min(after), humOnly * 0.8) << "the beep cut the sound";
  EXPECT_LT(Max(after), humOnly * 1.2);
}

TEST_F(DiskAudio, DamagedOrMissingPiecesAreSilenceAndTheAudioGoesOn) {
  Watchdog dog(60);
  Open();
  ASSERT_TRUE(audio_->MusicReady());
  const std::string good = Put("good.mid", OneNotePiece(96));
  const std::string whole = OneNotePiece(96);
  const std::vector<std::string> bad = {
      Put("truncated.mid", whole.substr(0, whole.size() - 5)),
      Put("empty.mid", ""),
      Put("garbage.mid",
          "MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60MTrk\xff\xff\xff\xf0 garbage"),
      Put("noend.mid", Header(0, 1, 96) + Chunk("MTrk", Bytes({0x00, 0x90, 60, 100}))),
      Put("instant.mid",
          Header(0, 1, 96) + Chunk("MTrk", Bytes({0x00, 0x90, 60, 100}) + EndOfTrack())),
      "missing.mid",
      PutFolder("folder.mid"),
  };
  for (const std::string& path : bad) {
    std::int64_t mark = Frames();
    PlayPiece(good, 7);
    Pass(mark, 0.4);
    ASSERT_GT(Rms(mark, 0.1, 0.4), kLoud);

    PlayPiece(path, 7);
    mark = Frames();
    Pass(mark, 1.0);  // the audio thread is still running
    // The good piece's note, let go at the change, dies away within 0.3 s.
    EXPECT_LT(Max(Windows(mark, 0.3, 1.0)), kQuiet) << path;
  }
}

TEST_F(DiskAudio, WithoutASoundFontMusicIsSilentAndSoundsStillPlay) {
  Watchdog dog(60);
  setenv("SDL_SOUNDFONTS", (dir_ + "/none.sf2").c_str(), 1);
  Put("fake.sf2", "RIFF junk");
  Open();
  EXPECT_FALSE(audio_->MusicReady());
  std::int64_t mark = Frames();
  PlayPiece(Put("good.mid", OneNotePiece(96)), 7);
  audio_->Sound().Play(Put("hum.wav", ToneWav(440, 2000)), false);
  Pass(mark, 0.6);
  EXPECT_GT(Rms(mark, 0.2, 0.6), kLoud);
  audio_->Sound().Purge();
  mark = Frames();
  Pass(mark, 0.5);
  EXPECT_LT(Max(Windows(mark, 0.2, 0.5)), kQuiet);
}

// Memory in use, in bytes: the resident size, or under AddressSanitizer (whose
// quarantine keeps freed blocks resident for a while) the live heap.
std::int64_t Resident() {
#ifdef MG_ASAN
  return std::int64_t(__sanitizer_get_current_allocated_bytes());
#endif
  std::ifstream statm("/proc/self/statm");
  std::int64_t size = 0, resident = 0;
  statm >> size >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

TEST_F(DiskAudio, StartingPiecesOverAndOverNeitherGrowsMemoryNorStallsTheCaller) {
  Watchdog dog(90);
  Open();
  ASSERT_TRUE(audio_->MusicReady());
  // A piece of some size, so that each start has real work in it.
  std::string events = Bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});
  for (int i = 0; i < 2000; ++i)
    events += Bytes({0x00, 0x90, 48 + i % 24, 80, 0x08, 0x80, 48 + i % 24, 0});
  const std::string piece =
      Put("long.mid", Header(0, 1, 96) + Chunk("MTrk", events + EndOfTrack()));

  auto start = [&] {
    const auto t0 = Clock::now();
    PlayPiece(piece, 7);
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  };
  auto render = [&] { Pass(Frames(), 0.05); };  // lets the synthesiser parse and play it

  for (int i = 0; i < 5; ++i) {
    start();
    render();
  }
  const std::int64_t before = Resident();
  std::vector<double> costs;
  for (int i = 0; i < 30; ++i) {
    costs.push_back(start());
    render();
  }
  const std::int64_t after = Resident();
  audio_->Music().Stop();

  std::sort(costs.begin(), costs.end());
  double sum = 0;
  for (double c : costs) sum += c;
  std::printf(
      "[ measure  ] piece start (Stop + LoadFile + Play): median %.3f ms, mean %.3f ms, max %.3f "
      "ms\n",
      costs[costs.size() / 2], sum / double(costs.size()), costs.back());
  std::printf("[ measure  ] memory in use: %.1f MiB before, %.1f MiB after 30 starts (%+.1f KiB)\n",
              double(before) / 1048576.0, double(after) / 1048576.0,
              double(after - before) / 1024.0);
  EXPECT_LT(after - before, 4 << 20) << "memory grew with every piece";
}

TEST(NoAudioDevice, EverythingIsSilentAndNothingFails) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  platform::SdlAudio audio;
  EXPECT_FALSE(audio.DeviceOpen());
  EXPECT_FALSE(audio.MusicReady());
  audio.Music().SetDevice(-1, 0);
  audio.Music().LoadFile("dat\\flaremorning.mid", 1);
  audio.Music().Play(7, 0, 0);
  audio.Music().Stop();
  audio.Music().Free();
  audio.Sound().Play("dat\\ash.wav", true);
  audio.Sound().Purge();
  audio.Beep();
  unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
