// Audio outputs that play nothing and remember every call, in order, with its
// arguments. The headless platform owns one of each; tests read the log or
// watch each call as it happens through onCall.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace platform {

// One call on an audio output.
//   Music: "SetDevice" (a = device, b = flags), "LoadFile" (file, a = flags),
//          "Play" (a = options, b, c), "Stop", "Free".
//   Sound: "PlaySound" (file, a = 1 when looping, else 0), "Purge".
// Unused fields stay empty or 0.
struct AudioCall {
  std::string what;
  std::string file;
  int a = 0;
  int b = 0;
  int c = 0;

  bool operator==(const AudioCall&) const = default;
};

// "LoadFile(dat\x.mid, 1)", "Play(7, 0, 0)", "Stop()": for logs and test output.
std::string ToString(const AudioCall& call);

// The log both recording outputs keep: every call in order, and an observer
// told of each as it happens.
class AudioCallLog {
 public:
  std::vector<AudioCall> calls;
  std::function<void(const AudioCall&)> onCall;  // called after each record, if set
  bool keep = true;                              // false: calls only go to onCall

 protected:
  // Logs one call (unless `keep` is off) and tells the observer.
  void Record(AudioCall call);
};

class RecordingMusicOut : public MusicOut, public AudioCallLog {
 public:
  void SetDevice(int device, int flags) override;
  void LoadFile(const std::string& path, int flags) override;
  void Play(int options, int a, int b) override;
  void Stop() override;
  void Free() override;

  // What a listener would hear now, followed from the calls: the loaded file
  // (CP932 game name), whether a piece was started and not stopped since,
  // and whether it repeats (option 7).
  std::string loaded;
  bool playing = false;
  bool looping = false;
};

class RecordingSoundOut : public SoundOut, public AudioCallLog {
 public:
  void Play(const std::string& path, bool loop) override;
  void Purge() override;

  // The sound last started and not purged since (empty: none), and whether it repeats.
  std::string current;
  bool looping = false;
};

}  // namespace platform
