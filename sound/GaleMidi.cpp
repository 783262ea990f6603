#include "sound/GaleMidi.h"

#include "platform/Platform.h"
#include "sound/OneInstance.h"

std::uint8_t MidiInstanceFlag = 0;

// Option words of MusicOut::Play.
namespace {
constexpr int kPlayRepeat = 7;
constexpr int kPlayOnce = 6;
}  // namespace

TGaleMidi::TGaleMidi(platform::Platform& platform) {
  if (!TakeInstance(MidiInstanceFlag, platform)) return;  // refused: it holds nothing
  out_ = &platform.Music();
  out_->SetDevice(-1, 0);
  Playing = 0;
}

TGaleMidi::~TGaleMidi() {
  if (out_ == nullptr) return;  // a refused instance changes nothing
  Stop();
  out_->Free();
  MidiInstanceFlag = 0;
}

void TGaleMidi::Play(const std::string& path, int loop) {
  Stop();
  spare_ = 0;
  if (out_ != nullptr) {
    out_->LoadFile(path, 1);
    out_->Play(loop == 1 ? kPlayRepeat : kPlayOnce, 0, 0);
  }
  Playing = 1;
}

void TGaleMidi::Stop() {
  if (out_ != nullptr) out_->Stop();
  Playing = 0;
}
