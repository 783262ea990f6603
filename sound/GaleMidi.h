// The music player: one piece at a time through the platform's MIDI output.
#pragma once

#include <cstdint>
#include <string>

namespace platform {
class Platform;
class MusicOut;
}  // namespace platform

// One live instance at a time; a second one beeps and holds nothing.
extern std::uint8_t MidiInstanceFlag;

class TGaleMidi {
 public:
  explicit TGaleMidi(platform::Platform& platform);
  ~TGaleMidi();
  TGaleMidi(const TGaleMidi&) = delete;
  TGaleMidi& operator=(const TGaleMidi&) = delete;

  // Stops what plays, loads the file (CP932 game name) and plays it, repeating
  // when loop is exactly 1.
  void Play(const std::string& path, int loop);
  void Stop();

  std::uint8_t Playing = 0;

 private:
  std::uint8_t spare_ = 0;             // cleared at creation and by every Play
  platform::MusicOut* out_ = nullptr;  // none for a refused instance
};
