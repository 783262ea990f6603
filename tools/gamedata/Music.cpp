#include "tools/gamedata/Music.h"

#include <algorithm>
#include <sstream>

#include "game/BaseFiles.h"
#include "tools/gamedata/MidiWriter.h"

namespace mkdata {
namespace {

constexpr int kDivision = 480;
constexpr std::uint32_t kEighth = kDivision / 2;

std::vector<int> Chord(const std::string& pitches) {
  std::istringstream in(pitches);
  std::vector<int> keys;
  std::string p;
  while (in >> p) keys.push_back(KeyOf(p));
  return keys;
}

// One bar of broken chord in eighths: pattern picks chord tones by index.
void Arpeggio(MidiTrack& track, int channel, std::uint32_t barTick, const std::vector<int>& chord,
              const std::vector<int>& pattern, int transpose, int velocity) {
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const int key = chord.at(static_cast<std::size_t>(pattern[i])) + transpose;
    const int accent = i == 0 ? 12 : (i % 2 == 0 ? 4 : 0);
    // Each tone rings into the next, but never past the bar line.
    const std::uint32_t left = static_cast<std::uint32_t>(pattern.size() - i) * kEighth;
    const std::uint32_t length = std::min<std::uint32_t>(kEighth * 2 - 40, left);
    track.Note(channel, barTick + static_cast<std::uint32_t>(i) * kEighth, length, key,
               velocity + accent);
  }
}

// A piece in 4/4 being written: its song, tempo and length in bars.
class Piece {
 public:
  Piece(int bpm, int bars) : song(kDivision, bpm, 4), bpm_(bpm), bars_(bars) {}

  // A new track for one instrument: its channel's program (none on the drum
  // channel 9), volume, pan and reverb set at the start.
  MidiTrack& Voice(const std::string& name, int channel, int program, int volume, int pan,
                   int reverb) {
    MidiTrack& track = song.AddTrack(name);
    if (channel != 9) track.Program(channel, 0, program);
    track.Controller(channel, 0, 7, volume);
    track.Controller(channel, 0, 10, pan);
    track.Controller(channel, 0, 91, reverb);
    return track;
  }

  // Calls writeBar(bar, tick) for every bar in order, `tick` where it starts.
  template <typename WriteBar>
  void EachBar(WriteBar writeBar) {
    std::uint32_t tick = 0;
    for (int bar = 0; bar < bars_; ++bar) {
      writeBar(bar, tick);
      tick += song.TicksPerBar();
    }
  }

  // The file, ending on the last bar line.
  MusicPiece Finish(const std::string& fileName) const {
    const std::uint32_t end = static_cast<std::uint32_t>(bars_) * song.TicksPerBar();
    return {fileName, song.Encode(end), bars_ * 4 * 60.0 / bpm_};
  }

  MidiSong song;

 private:
  int bpm_;
  int bars_;
};

MusicPiece FlareMorning() {
  constexpr int bars = 12;
  Piece piece(84, bars);
  MidiTrack& koto = piece.Voice("koto", 0, 107, 100, 44, 50);
  MidiTrack& flute = piece.Voice("shakuhachi", 1, 77, 96, 76, 70);
  MidiTrack& strings = piece.Voice("strings", 2, 49, 70, 64, 90);

  const char* chords[bars] = {"D3 A3 D4 F4",   "D3 A3 D4 F4", "D3 A3 D4 F4",   "C3 G3 C4 E4",
                              "Bb2 F3 Bb3 D4", "C3 G3 C4 E4", "D3 A3 D4 F4",   "F2 C3 F3 A3",
                              "G2 D3 G3 Bb3",  "D3 A3 D4 F4", "Bb2 F3 Bb3 D4", "D3 A3 D4 F4"};
  const char* melody[bars] = {"r/8",
                              "r/8",
                              "D5/3 F5/1 G5/2 A5/2",
                              "C6/3 A5/1 G5/4",
                              "F5/2 G5/2 A5/2 D5/2",
                              "C5/6 r/2",
                              "D5/3 F5/1 G5/2 A5/2",
                              "D6/3 C6/1 A5/4",
                              "G5/2 A5/2 F5/2 G5/2",
                              "D5/6 r/2",
                              "A5/4 G5/2 F5/2",
                              "E5/2 F5/2 D5/4"};
  const std::vector<int> pattern{0, 1, 2, 3, 2, 3, 1, 2};
  piece.EachBar([&](int bar, std::uint32_t tick) {
    const std::vector<int> chord = Chord(chords[bar]);
    Arpeggio(koto, 0, tick, chord, pattern, 12, 70);
    for (std::size_t i = 1; i < chord.size(); ++i) {
      strings.Note(2, tick, piece.song.TicksPerBar(), chord[i], 48);
    }
    WriteLine(flute, 1, tick, kEighth, melody[bar], 92);
  });
  return piece.Finish(std::string(basefiles::kTitleMusic));
}

MusicPiece Garden() {
  constexpr int bars = 16;
  Piece piece(96, bars);
  MidiTrack& harp = piece.Voice("harp", 0, 46, 96, 40, 60);
  MidiTrack& flute = piece.Voice("flute", 1, 73, 100, 80, 70);
  MidiTrack& pad = piece.Voice("pad", 2, 89, 60, 64, 90);
  MidiTrack& bass = piece.Voice("bass", 3, 32, 90, 64, 30);

  const char* chords[bars] = {"G2 D3 G3 B3", "E2 B2 E3 G3",  "C3 G3 C4 E4",  "D3 A3 D4 F#4",
                              "G2 D3 G3 B3", "E2 B2 E3 G3",  "A2 E3 A3 C4",  "D3 A3 D4 F#4",
                              "C3 G3 C4 E4", "D3 A3 D4 F#4", "B2 F#3 B3 D4", "E2 B2 E3 G3",
                              "C3 G3 C4 E4", "D3 A3 D4 F#4", "G2 D3 G3 B3",  "G2 D3 G3 B3"};
  const char* melody[bars] = {
      "r/2 D5/2 E5/2 G5/2",  "B5/4 A5/2 G5/2",       "E5/3 D5/1 E5/2 G5/2", "A5/6 r/2",
      "r/2 D5/2 E5/2 G5/2",  "B5/4 D6/2 B5/2",       "A5/3 G5/1 E5/2 A5/2", "F#5/2 A5/4 r/2",
      "G5/3 E5/1 G5/2 C6/2", "B5/2 A5/2 F#5/2 A5/2", "B5/4 A5/2 F#5/2",     "G5/6 r/2",
      "E5/2 G5/2 A5/2 C6/2", "B5/3 A5/1 F#5/4",      "G5/4 D5/2 E5/2",      "G5/6 r/2"};
  const std::vector<int> pattern{0, 2, 3, 2, 1, 2, 3, 2};
  const std::uint32_t half = piece.song.TicksPerBar() / 2;
  piece.EachBar([&](int bar, std::uint32_t tick) {
    const std::vector<int> chord = Chord(chords[bar]);
    Arpeggio(harp, 0, tick, chord, pattern, 12, 62);
    for (std::size_t i = 1; i < chord.size(); ++i)
      pad.Note(2, tick, piece.song.TicksPerBar(), chord[i], 40);
    bass.Note(3, tick, half - 60, chord[0], 80);
    bass.Note(3, tick + half, half - 60, chord[0] + 7, 66);
    WriteLine(flute, 1, tick, kEighth, melody[bar], 88);
  });
  return piece.Finish("garden.mid");
}

MusicPiece Ember() {
  constexpr int bars = 16;
  Piece piece(138, bars);
  MidiTrack& strings = piece.Voice("strings", 0, 48, 92, 50, 40);
  MidiTrack& taiko = piece.Voice("taiko", 1, 116, 110, 64, 40);
  MidiTrack& flute = piece.Voice("shakuhachi", 2, 77, 96, 84, 80);
  MidiTrack& cello = piece.Voice("cello", 3, 42, 80, 64, 50);
  MidiTrack& drums = piece.Voice("drums", 9, 0, 80, 64, 30);

  const char* roots[bars] = {"E3", "E3", "E3", "E3", "E3", "E3", "E3", "E3",
                             "F3", "F3", "F3", "F3", "E3", "E3", "E3", "E3"};
  const char* melody[bars] = {
      "r/8",  "r/8",        "r/8",   "r/8",      "B4/8",      "C5/4 B4/4", "A4/8",      "B4/6 r/2",
      "C5/8", "Db5/4 C5/4", "Bb4/8", "A4/6 r/2", "E5/4 F5/4", "E5/8",      "B4/4 C5/4", "B4/6 r/2"};
  const int ostinato[8] = {0, 0, 1, 0, 0, 0, 6, 5};
  piece.EachBar([&](int bar, std::uint32_t tick) {
    const int root = KeyOf(roots[bar]);
    for (int i = 0; i < 8; ++i) {
      strings.Note(0, tick + static_cast<std::uint32_t>(i) * kEighth, kEighth - 30,
                   root + ostinato[i], i % 4 == 0 ? 84 : 64);
    }
    WriteLine(taiko, 1, tick, kEighth, "E2/2 r/1 E2/1 E2/2 E2/1 E2/1", 100);
    cello.Note(3, tick, piece.song.TicksPerBar() - 20, root - 12, 70);
    WriteLine(flute, 2, tick, kEighth, melody[bar], 96);
    if (bar >= 4) {
      for (int i = 0; i < 8; ++i) {
        drums.Note(9, tick + static_cast<std::uint32_t>(i) * kEighth, 60, 42, i % 2 == 0 ? 56 : 36);
      }
    }
    if (bar >= 8) {
      drums.Note(9, tick + 3 * kEighth, 120, 41, 80);
      drums.Note(9, tick + 7 * kEighth, 120, 43, 70);
    }
  });
  return piece.Finish("ember.mid");
}

}  // namespace

std::vector<MusicPiece> ComposeMusic() {
  return {FlareMorning(), Garden(), Ember()};
}

}  // namespace mkdata
