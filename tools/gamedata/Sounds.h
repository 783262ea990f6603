// The game's sound effects, synthesised: 16-bit mono PCM WAV files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mkdata {

constexpr int kSampleRate = 22050;

struct SoundFile {
  std::string fileName;  // e.g. "ash.wav"
  std::vector<std::uint8_t> bytes;
  bool loops;  // made to repeat without a seam
};

// A RIFF/WAVE file of 16-bit mono samples.
std::vector<std::uint8_t> EncodeWav(const std::vector<std::int16_t>& samples, int sampleRate);

// ash.wav (accepted gauge click), dun.wav (refused click), fire.wav (looping
// fire ambience), bell.wav (a temple bell, once).
std::vector<SoundFile> SynthesiseSounds();

}  // namespace mkdata
