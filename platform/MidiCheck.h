// A full structural check of a Standard MIDI File before it goes to the
// synthesiser. FluidSynth's player keeps retrying a piece it cannot parse
// when asked to repeat it, which freezes the audio thread; a piece that
// passes here parses cleanly every time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

struct MidiCheckResult {
  bool ok = false;
  std::string reason;            // why the file was refused; empty when ok
  int format = 0;                // 0, 1 or 2
  int tracks = 0;                // track chunks checked (the header's count)
  int division = 0;              // ticks per quarter note
  int notes = 0;                 // note-on events with a nonzero velocity
  std::int64_t lengthTicks = 0;  // the longest track, in ticks
};

// Accepts a file when: it starts with an "MThd" chunk of length 6; the format
// is 0, 1 or 2; there are 1..128 tracks (format 0: exactly 1); the division
// counts ticks per quarter note and is nonzero; every chunk lies inside the
// file and has a plain ASCII name; each of the header's tracks is found as an
// "MTrk" chunk in which every event is well formed (delta times of at most
// four bytes, running status only after a channel message, data bytes below
// 0x80, sysex and meta lengths inside the track, the meta events FluidSynth
// checks with their fixed lengths, a nonzero tempo) and an end-of-track event
// is present; and the piece lasts at least one tick. Chunks after the last
// needed track are not read.
MidiCheckResult CheckMidi(std::string_view bytes);

}  // namespace platform
