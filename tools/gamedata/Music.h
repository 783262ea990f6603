// The game's music, composed here note by note: each piece is a format 1
// Standard MIDI File for General MIDI instruments that ends on a bar line
// with every note released, so it loops without a seam.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mkdata {

struct MusicPiece {
  std::string fileName;  // as the script names it, e.g. "garden.mid"
  std::vector<std::uint8_t> bytes;
  double seconds;  // playing time of one pass
};

// flaremorning.mid (title), garden.mid (the garden), ember.mid (the tense
// piece of the flame altar and the time-out).
std::vector<MusicPiece> ComposeMusic();

}  // namespace mkdata
