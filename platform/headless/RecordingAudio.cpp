// Audio outputs for the headless machine.
// Implements: every MusicOut and SoundOut call remembered in order with its
//   arguments in one kind of log, and handed to an observer as it happens.
// Not here: any sound.
#include "platform/headless/RecordingAudio.h"

#include <utility>

namespace platform {

std::string ToString(const AudioCall& call) {
  std::string text = call.what + "(";
  if (call.what == "Stop" || call.what == "Free" || call.what == "Purge") return text + ")";
  if (call.what == "LoadFile" || call.what == "PlaySound") {
    return text + call.file + ", " + std::to_string(call.a) + ")";
  }
  if (call.what == "SetDevice") {
    return text + std::to_string(call.a) + ", " + std::to_string(call.b) + ")";
  }
  return text + std::to_string(call.a) + ", " + std::to_string(call.b) + ", " +
         std::to_string(call.c) + ")";
}

void AudioCallLog::Record(AudioCall call) {
  if (!keep) {
    if (onCall) onCall(call);
    return;
  }
  calls.push_back(std::move(call));
  if (onCall) onCall(calls.back());
}

void RecordingMusicOut::SetDevice(int device, int flags) {
  Record({"SetDevice", "", device, flags, 0});
}

void RecordingMusicOut::LoadFile(const std::string& path, int flags) {
  loaded = path;
  playing = false;
  looping = false;
  Record({"LoadFile", path, flags, 0, 0});
}

void RecordingMusicOut::Play(int options, int a, int b) {
  playing = !loaded.empty();
  looping = playing && options == 7;
  Record({"Play", "", options, a, b});
}

void RecordingMusicOut::Stop() {
  playing = false;
  looping = false;
  Record({"Stop", "", 0, 0, 0});
}

void RecordingMusicOut::Free() {
  loaded.clear();
  playing = false;
  looping = false;
  Record({"Free", "", 0, 0, 0});
}

void RecordingSoundOut::Play(const std::string& path, bool loop) {
  current = path;
  looping = loop;
  Record({"PlaySound", path, loop ? 1 : 0, 0, 0});
}

void RecordingSoundOut::Purge() {
  current.clear();
  looping = false;
  Record({"Purge", "", 0, 0, 0});
}

}  // namespace platform
