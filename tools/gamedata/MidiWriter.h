// A small Standard MIDI File writer: format 1, a conductor track for tempo and
// metre, then one track per part. Events are kept with absolute ticks and
// written in time order, note-offs before note-ons at the same tick, so a
// note repeated back to back is never cut.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace mkdata {

class MidiTrack {
 public:
  explicit MidiTrack(std::string name) : name_(std::move(name)) {}

  void Program(int channel, std::uint32_t tick, int program);
  void Controller(int channel, std::uint32_t tick, int controller, int value);
  // A note from `tick` lasting `length` ticks (length > 0).
  void Note(int channel, std::uint32_t tick, std::uint32_t length, int key, int velocity);
  // Meta events; only the conductor track should carry tempo and metre.
  void Tempo(std::uint32_t tick, int beatsPerMinute);
  void TimeSignature(std::uint32_t tick, int numerator, int denominatorPower);

  // Latest tick that any event of this track reaches.
  std::uint32_t LastTick() const { return last_; }

  // The whole MTrk chunk; the end-of-track event sits at `endTick`, which
  // must not lie before the last event.
  std::vector<std::uint8_t> Encode(std::uint32_t endTick) const;

 private:
  struct Event {
    std::uint32_t tick;
    int order;  // 0 meta, 1 set-up, 2 note-off, 3 note-on: ties broken this way
    std::uint32_t sequence;
    std::vector<std::uint8_t> bytes;
  };
  void Add(std::uint32_t tick, int order, std::vector<std::uint8_t> bytes);

  std::string name_;
  std::vector<Event> events_;
  std::uint32_t last_ = 0;
};

class MidiSong {
 public:
  MidiSong(int ticksPerQuarter, int beatsPerMinute, int beatsPerBar);

  int TicksPerQuarter() const { return division_; }
  std::uint32_t TicksPerBar() const { return static_cast<std::uint32_t>(division_ * beatsPerBar_); }
  MidiTrack& Conductor() { return tracks_.front(); }
  MidiTrack& AddTrack(const std::string& name);

  // The file bytes: every track ends at `lengthTicks` (a bar line for a clean
  // loop). Throws std::logic_error when a note runs past it.
  std::vector<std::uint8_t> Encode(std::uint32_t lengthTicks) const;

 private:
  int division_;
  int beatsPerBar_;
  std::deque<MidiTrack> tracks_;  // stable references for AddTrack callers
};

// Parses a line of notes: tokens "C5/2", "F#4/1", "Bb3/3", "r/4" (rest) with
// the length in units; "." inside a pitch token is not allowed. Appends the
// notes to the track from `tick` on and returns the tick after the last one.
// Throws std::invalid_argument on a malformed token.
std::uint32_t WriteLine(MidiTrack& track, int channel, std::uint32_t tick, std::uint32_t unit,
                        const std::string& line, int velocity);

// MIDI key number of a pitch name such as "C4" (60), "F#3", "Bb5".
int KeyOf(const std::string& pitch);

}  // namespace mkdata
