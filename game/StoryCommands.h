// The story commands the game registers, each written once here: its word,
// the kinds of its arguments and the limit it fills, with the limits
// themselves. The game pairs each row with its handler; the story checker,
// the tracer and the fuzz targets read the same rows, so a new command or a
// changed limit is one edit here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "script/GaleUtility.h"

namespace story {

// Places the game holds; a script that needs more stops with an error.
inline constexpr std::int32_t kMaxButtons = 10;     // buttons of one passage
inline constexpr std::int32_t kMaxSubImages = 10;   // overlays since the last #image
inline constexpr std::int32_t kMaxVanished = 10;    // vanished captions of a whole game
inline constexpr std::int32_t kMaxStoryLines = 10;  // story lines of one passage
// The heat ceiling never rises above this.
inline constexpr std::int32_t kHeatCeiling = 999;
// The story font size every passage starts with.
inline constexpr std::int32_t kDefaultFontSize = 20;
// The #button target that goes on with the story without a jump.
inline constexpr std::string_view kThroughTarget = "THROUGH";

// The labels the game itself jumps to: a click on the title, the clock
// running out, and the sayings scroller typing its last saying.
inline constexpr std::string_view kStartLabel = "@start";
inline constexpr std::string_view kGameOverLabel = "@gameover";
inline constexpr std::string_view kSayEndLabel = "@sayend";

// What an argument word is taken as.
enum class Arg : std::uint8_t {
  Number,   // a decimal 32-bit integer
  Label,    // a jump target ("@..."); an unknown one jumps nowhere
  Target,   // a label, or kThroughTarget (exact capitals)
  File,     // a name below the data folder
  Caption,  // text drawn in the story font
};

// The limit a command takes one more place of.
enum class Limit : std::uint8_t { None, Buttons, SubImages, Vanished, Count };

// How many places a limit has.
constexpr std::int32_t Capacity(Limit limit) {
  switch (limit) {
    case Limit::Buttons:
      return kMaxButtons;
    case Limit::SubImages:
      return kMaxSubImages;
    case Limit::Vanished:
      return kMaxVanished;
    case Limit::None:
    case Limit::Count:
      break;
  }
  return 0;
}

// The commands, in the order the game registers them (the first that
// matches a word runs).
enum class Id : std::uint8_t {
  Midi,
  Wave,
  WaveByLoop,
  Image,
  Font,
  Button,
  HeatyJump,
  ImageSub,
  HeatUp,
  HeatSpark,
  VanishButton,
  Finalize,
  Saying,
  StopTimer,
  Count
};

// One argument: its kind and the name messages give it.
struct Param {
  Arg kind = Arg::Number;
  std::string_view name;
};

// One story command.
struct Command {
  Id id;
  std::string_view word;          // compared without regard to ASCII letter case
  std::array<Param, 5> params{};  // its arguments in order; unused ones have no name
  std::uint8_t required = 0;      // how many of the first ones the game fails without
  bool whole = false;             // checks all its arguments at once (one error for any missing)
  bool pairs = false;             // its arguments repeat as (params[0], params[1]) to the end
  bool picture = false;           // its file is a picture (else a sound; missing: nothing plays)
  bool jumps = false;             // may jump to one of its labels as soon as it runs
  bool stopsClock = false;        // stops the countdown
  Limit limit = Limit::None;      // takes one place of this limit
  Limit clears = Limit::None;     // empties this limit

  // How many arguments it reads (a pair for `pairs`).
  constexpr std::size_t Count() const {
    std::size_t n = 0;
    while (n < params.size() && !params[n].name.empty()) ++n;
    return n;
  }
};

inline constexpr std::size_t kCommandCount = static_cast<std::size_t>(Id::Count);

inline constexpr std::array<Command, kCommandCount> kCommands{{
    {.id = Id::Midi, .word = "#midi", .params = {{{Arg::File, "music"}}}},
    {.id = Id::Wave, .word = "#wave", .params = {{{Arg::File, "sound"}}}},
    {.id = Id::WaveByLoop, .word = "#waveByLoop", .params = {{{Arg::File, "sound"}}}},
    {.id = Id::Image,
     .word = "#image",
     .params = {{{Arg::File, "picture name"}}},
     .required = 1,
     .picture = true,
     .clears = Limit::SubImages},
    {.id = Id::Font, .word = "#font", .params = {{{Arg::Number, "font size"}}}, .required = 1},
    {.id = Id::Button,
     .word = "#button",
     .params = {{{Arg::Caption, "caption"},
                 {Arg::Number, "size"},
                 {Arg::Number, "x"},
                 {Arg::Number, "y"},
                 {Arg::Target, "target"}}},
     .required = 5,
     .whole = true,
     .limit = Limit::Buttons},
    {.id = Id::HeatyJump,
     .word = "#heatyJump",
     .params = {{{Arg::Number, "threshold"}, {Arg::Label, "label"}}},
     .pairs = true,
     .jumps = true},
    {.id = Id::ImageSub,
     .word = "#imagesub",
     .params = {{{Arg::File, "picture name"}, {Arg::Number, "x"}, {Arg::Number, "y"}}},
     .required = 3,
     .picture = true,
     .limit = Limit::SubImages},
    {.id = Id::HeatUp, .word = "#heatUp", .params = {{{Arg::Number, "amount"}}}, .required = 1},
    {.id = Id::HeatSpark, .word = "#heatSpark"},
    {.id = Id::VanishButton,
     .word = "#vanishButton",
     .params = {{{Arg::Caption, "caption"}}},
     .required = 1,
     .limit = Limit::Vanished},
    {.id = Id::Finalize, .word = "#finalize", .stopsClock = true},
    {.id = Id::Saying, .word = "#saying"},
    {.id = Id::StopTimer, .word = "#stopTimer", .stopsClock = true},
}};

static_assert(kCommands.size() == 14, "the game has fourteen story commands");

// Row i describes Id i, so a row is found by its id.
constexpr bool RowsInIdOrder() {
  for (std::size_t i = 0; i < kCommands.size(); ++i) {
    if (kCommands[i].id != static_cast<Id>(i)) return false;
  }
  return true;
}
static_assert(RowsInIdOrder(), "kCommands rows must follow the order of Id");

// The row of a command.
constexpr const Command& Of(Id id) {
  return kCommands[static_cast<std::size_t>(id)];
}

// The command a word names, as the game matches it, or nullptr.
inline const Command* Find(const std::string& word) {
  for (const Command& command : kCommands) {
    if (SameTextIgnoringCase(word, std::string(command.word))) return &command;
  }
  return nullptr;
}

}  // namespace story
