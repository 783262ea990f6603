#include "sound/GaleWave.h"

#include "platform/Platform.h"
#include "sound/OneInstance.h"

std::uint8_t WaveInstanceFlag = 0;

TGaleWave::TGaleWave(platform::Platform& platform) {
  if (!TakeInstance(WaveInstanceFlag, platform)) return;  // refused: it holds nothing
  out_ = &platform.Sound();
  Stop();  // silences any sound the program still plays
}

TGaleWave::~TGaleWave() {
  if (out_ == nullptr) return;  // a refused instance changes nothing
  Stop();
  WaveInstanceFlag = 0;
}

void TGaleWave::Play(const std::string& path, std::uint8_t loop) {
  Looping = loop;
  Path = path;
  if (out_ != nullptr) out_->Play(Path, Looping != 0);
}

void TGaleWave::Stop() {
  if (out_ != nullptr) out_->Purge();
  Looping = 0;
  Path.clear();
}
