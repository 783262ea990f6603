// The story authors' file work beside packing (app/StoryText.h): a trace of
// a story as the game would run it.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "game/StoryCommands.h"

namespace mgdat {

// What a trace follows and how far.
struct TraceOptions {
  bool plain = false;  // the file is the author's UTF-8 text, not a scrambled line file
  std::string label{story::kStartLabel};  // CP932 label to jump to first
  bool labelMustExist = false;  // a label the story lacks throws instead of starting at the top
  std::int64_t maxDeliveries = 1000;
  std::int32_t heat = 0;     // the heat every #heatyJump sees
  std::vector<int> choices;  // 1-based buttons picked, one per choice in order
};

// Reads a file by its game name; false when missing, throws when unreadable.
using FileReader = std::function<bool(const std::string& gameName, std::string& bytes)>;

// How a trace went.
struct TraceResult {
  bool loaded = false;  // false: the file was missing (nothing traced)
  int beeps = 0;
  bool ended = false;
  bool stoppedAtChoice = false;  // a choice came with no pick left
  std::string badChoice;         // UTF-8: a pick that names no button shown
  std::int64_t deliveries = 0;
};

// Loads the story at `gameName` as the game does (batch limit 10, batch mode,
// the game's commands as recorders; a `plain` story packed first as author
// mode packs it), jumps to the label and prints one JSON object per delivery
// to `out`. It follows the story as the game would, along the story walk's
// ways (tools/story/StoryWalk.h): #heatyJump chooses by `heat`,
// #vanishButton hides captions, and a delivery that shows buttons lists them
// and waits for the next pick of `choices` (THROUGH reads on); with none left
// it prints {"stopped":"choice"} and stops. Throws std::runtime_error for an
// unreadable or overlong story, a plain one with a character CP932 lacks, or
// a label it lacks (see labelMustExist).
TraceResult Trace(const std::string& gameName, const TraceOptions& options, std::ostream& out,
                  const FileReader& reader);

}  // namespace mgdat
