// The sound player: one WAV sound at a time through the platform's sound output.
#pragma once

#include <cstdint>
#include <string>

namespace platform {
class Platform;
class SoundOut;
}  // namespace platform

extern std::uint8_t WaveInstanceFlag;

class TGaleWave {
 public:
  explicit TGaleWave(platform::Platform& platform);
  ~TGaleWave();
  TGaleWave(const TGaleWave&) = delete;
  TGaleWave& operator=(const TGaleWave&) = delete;

  // Replaces whatever sound plays; repeats while loop is nonzero.
  void Play(const std::string& path, std::uint8_t loop);
  void Stop();

  std::string Path;
  std::uint8_t Looping = 0;

 private:
  platform::SoundOut* out_ = nullptr;  // none for a refused instance
};
