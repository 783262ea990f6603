// Builders for the MIDI and WAV bytes the sound tests feed to the players.
#pragma once

#include <cmath>
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <numbers>
#include <string>

namespace soundtest {

inline std::string Be32(std::uint32_t v) {
  return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}
inline std::string Be16(std::uint16_t v) {
  return {char(v >> 8), char(v)};
}
inline std::string Le32(std::uint32_t v) {
  return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}
inline std::string Le16(std::uint16_t v) {
  return {char(v), char(v >> 8)};
}

inline std::string VarLen(std::uint32_t v) {
  std::string out(1, char(v & 0x7F));
  while ((v >>= 7) != 0) out.insert(out.begin(), char(0x80 | (v & 0x7F)));
  return out;
}

inline std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += char(v);
  return out;
}

inline std::string Chunk(const std::string& name, const std::string& body) {
  return name + Be32(std::uint32_t(body.size())) + body;
}

inline std::string Header(int format, int tracks, int division) {
  return Chunk("MThd", Be16(std::uint16_t(format)) + Be16(std::uint16_t(tracks)) +
                           Be16(std::uint16_t(division)));
}

inline std::string EndOfTrack(std::uint32_t delta = 0) {
  return VarLen(delta) + Bytes({0xFF, 0x2F, 0x00});
}

// One note (middle C on a piano) held for `ticks` at 96 ticks per quarter
// and 120 beats per minute, so 96 ticks are half a second.
inline std::string NoteTrack(std::uint32_t ticks, int key = 60) {
  return Bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}) +  // tempo 500000 us
         Bytes({0x00, 0xC0, 0x00}) +                          // program: piano
         Bytes({0x00, 0x90, key, 100}) +                      // note on
         VarLen(ticks) + Bytes({0x80, key, 0}) +              // note off
         EndOfTrack();
}

inline std::string OneNotePiece(std::uint32_t ticks = 96) {
  return Header(0, 1, 96) + Chunk("MTrk", NoteTrack(ticks));
}

// 16-bit PCM WAV, 44100 Hz mono, a sine of the given frequency.
inline std::string ToneWav(double hz, int ms, double amplitude = 0.5) {
  const int rate = 44100;
  const int frames = rate * ms / 1000;
  std::string data;
  for (int i = 0; i < frames; ++i) {
    const double s = amplitude * std::sin(2.0 * std::numbers::pi * hz * i / rate);
    data += Le16(std::uint16_t(std::int16_t(std::lround(s * 32767.0))));
  }
  return "RIFF" + Le32(std::uint32_t(36 + data.size())) + "WAVE" + "fmt " + Le32(16) + Le16(1) +
         Le16(1) + Le32(rate) + Le32(rate * 2) + Le16(2) + Le16(16) + "data" +
         Le32(std::uint32_t(data.size())) + data;
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace soundtest
