// The music and sound players over recording outputs.
#include <gtest/gtest.h>

#include <vector>

#include "platform/headless/HeadlessPlatform.h"
#include "platform/headless/RecordingAudio.h"
#include "sound/GaleMidi.h"
#include "sound/GaleWave.h"

namespace {

using platform::AudioCall;

// The headless machine, with short names for the outputs these tests read.
class FakePlatform : public platform::HeadlessPlatform {
 public:
  platform::RecordingMusicOut& music = RecordedMusic();
  platform::RecordingSoundOut& sound = RecordedSound();
};

std::vector<std::string> Log(const std::vector<AudioCall>& calls) {
  std::vector<std::string> out;
  for (const AudioCall& call : calls) out.push_back(platform::ToString(call));
  return out;
}

using Lines = std::vector<std::string>;

TEST(GaleMidi, LifecycleSelectsTheDeviceOnceAndReleasesAtTheEnd) {
  FakePlatform pf;
  {
    TGaleMidi midi(pf);
    EXPECT_EQ(MidiInstanceFlag, 1);
    EXPECT_EQ(midi.Playing, 0);
    EXPECT_EQ(Log(pf.music.calls), Lines({"SetDevice(-1, 0)"}));
    pf.music.calls.clear();
  }
  EXPECT_EQ(Log(pf.music.calls), Lines({"Stop()", "Free()"}));
  EXPECT_EQ(MidiInstanceFlag, 0);
  EXPECT_EQ(pf.BeepCount(), 0);
}

TEST(GaleMidi, PlayStopsLoadsAndRepeatsOnlyForLoopOne) {
  FakePlatform pf;
  TGaleMidi midi(pf);
  pf.music.calls.clear();

  midi.Play("dat\\flaremorning.mid", 1);
  EXPECT_EQ(midi.Playing, 1);
  EXPECT_EQ(Log(pf.music.calls),
            Lines({"Stop()", "LoadFile(dat\\flaremorning.mid, 1)", "Play(7, 0, 0)"}));
  EXPECT_TRUE(pf.music.playing && pf.music.looping);

  for (int loop : {0, 2, -1, 256}) {
    pf.music.calls.clear();
    midi.Play("dat\\b.mid", loop);
    EXPECT_EQ(Log(pf.music.calls), Lines({"Stop()", "LoadFile(dat\\b.mid, 1)", "Play(6, 0, 0)"}))
        << "loop " << loop;
  }

  pf.music.calls.clear();
  midi.Stop();
  midi.Stop();  // harmless when nothing plays
  EXPECT_EQ(midi.Playing, 0);
  EXPECT_EQ(Log(pf.music.calls), Lines({"Stop()", "Stop()"}));
  EXPECT_FALSE(pf.music.playing);
}

TEST(GaleMidi, SecondInstanceBeepsHoldsNothingAndLeavesTheFirstPlaying) {
  FakePlatform pf;
  TGaleMidi first(pf);
  first.Play("dat\\a.mid", 1);
  pf.music.calls.clear();
  {
    TGaleMidi second(pf);
    EXPECT_EQ(pf.BeepCount(), 1);
    EXPECT_EQ(second.Playing, 0);
    second.Play("dat\\b.mid", 1);
    second.Stop();
  }
  EXPECT_TRUE(pf.music.calls.empty()) << platform::ToString(pf.music.calls.front());
  EXPECT_EQ(MidiInstanceFlag, 1);
  EXPECT_TRUE(pf.music.playing);
  EXPECT_EQ(pf.music.loaded, "dat\\a.mid");
}

TEST(GaleMidi, AcceptedAgainAfterTheFirstIsDestroyed) {
  FakePlatform pf;
  { TGaleMidi first(pf); }
  TGaleMidi next(pf);
  EXPECT_EQ(pf.BeepCount(), 0);
  EXPECT_EQ(Log(pf.music.calls),
            Lines({"SetDevice(-1, 0)", "Stop()", "Free()", "SetDevice(-1, 0)"}));
}

TEST(GaleWave, LifecyclePurgesAtCreationAndDestruction) {
  FakePlatform pf;
  {
    TGaleWave wave(pf);
    EXPECT_EQ(WaveInstanceFlag, 1);
    EXPECT_EQ(Log(pf.sound.calls), Lines({"Purge()"}));
    EXPECT_TRUE(wave.Path.empty());
    EXPECT_EQ(wave.Looping, 0);
    wave.Play("dat\\a.wav", 1);
    pf.sound.calls.clear();
  }
  EXPECT_EQ(Log(pf.sound.calls), Lines({"Purge()"}));
  EXPECT_EQ(WaveInstanceFlag, 0);
  EXPECT_TRUE(pf.sound.current.empty());
}

TEST(GaleWave, PlayKeepsPathAndLoopAndEveryStartReplacesTheSound) {
  FakePlatform pf;
  TGaleWave wave(pf);
  pf.sound.calls.clear();

  wave.Play("dat\\rain.wav", 1);
  EXPECT_EQ(wave.Path, "dat\\rain.wav");
  EXPECT_EQ(wave.Looping, 1);
  wave.Play("dat\\ash.wav", 0);
  EXPECT_EQ(wave.Path, "dat\\ash.wav");
  EXPECT_EQ(wave.Looping, 0);
  wave.Play("dat\\wind.wav", 2);  // any nonzero value repeats
  EXPECT_EQ(wave.Looping, 2);
  EXPECT_EQ(Log(pf.sound.calls), Lines({"PlaySound(dat\\rain.wav, 1)", "PlaySound(dat\\ash.wav, 0)",
                                        "PlaySound(dat\\wind.wav, 1)"}));

  pf.sound.calls.clear();
  wave.Stop();
  EXPECT_EQ(Log(pf.sound.calls), Lines({"Purge()"}));
  EXPECT_TRUE(wave.Path.empty());
  EXPECT_EQ(wave.Looping, 0);
}

TEST(GaleWave, SecondInstanceBeepsAndChangesNothing) {
  FakePlatform pf;
  TGaleWave first(pf);
  first.Play("dat\\rain.wav", 1);
  pf.sound.calls.clear();
  {
    TGaleWave second(pf);
    EXPECT_EQ(pf.BeepCount(), 1);
    second.Play("dat\\x.wav", 0);
    second.Stop();
  }
  EXPECT_TRUE(pf.sound.calls.empty());
  EXPECT_EQ(WaveInstanceFlag, 1);
  EXPECT_EQ(pf.sound.current, "dat\\rain.wav");
  EXPECT_EQ(first.Path, "dat\\rain.wav");
}

TEST(RecordingAudio, ForwardsEachRecordToTheCallbackInOrder) {
  platform::RecordingMusicOut music;
  platform::RecordingSoundOut sound;
  std::vector<std::string> seen;
  music.onCall = [&](const AudioCall& c) { seen.push_back("music " + platform::ToString(c)); };
  sound.onCall = [&](const AudioCall& c) { seen.push_back("sound " + platform::ToString(c)); };
  music.LoadFile("dat\\a.mid", 1);
  music.Play(6, 0, 0);
  sound.Play("dat\\b.wav", true);
  music.Free();
  sound.Purge();
  EXPECT_EQ(seen, Lines({"music LoadFile(dat\\a.mid, 1)", "music Play(6, 0, 0)",
                         "sound PlaySound(dat\\b.wav, 1)", "music Free()", "sound Purge()"}));
  EXPECT_EQ(music.calls.size(), 3u);
  EXPECT_EQ(music.calls[1], (AudioCall{"Play", "", 6, 0, 0}));
  EXPECT_TRUE(music.loaded.empty());
  EXPECT_FALSE(music.playing);
  EXPECT_TRUE(sound.current.empty());
}

}  // namespace
