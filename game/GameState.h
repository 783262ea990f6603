// The game's state: everything the tick, the input and the story commands
// move, and everything the painters read. One GameState, `Game`, per program;
// the update routines (UnitCommon) change it, the painters (UnitBmp) only
// read it and draw the random numbers their trembling takes.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/Frame.h"
#include "game/StoryCommands.h"
#include "gfx/GaleBmp.h"
#include "script/GaleScript.h"

class TGaleMidi;
class TGaleWave;
class TGaleTimer;
namespace platform {
class Platform;
}

// The game's one pseudo-random generator, seeded once.
// Inline: drawn many times a frame.
class TRandom {
 public:
  void Seed(std::uint64_t seed) { state_ = seed; }
  // A uniform integer 0 .. n - 1 (n >= 1), from splitmix64's upper half.
  std::int32_t Next(std::int32_t n) {
    if (n < 1) BadBound();
    const std::uint64_t high = NextWord() >> 32;
    return static_cast<std::int32_t>((high * static_cast<std::uint64_t>(n)) >> 32);
  }
  // All 64 bits of the next number (seeds the title shimmer's generator).
  std::uint64_t NextWord() {
    state_ += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

 private:
  [[noreturn]] static void BadBound();
  std::uint64_t state_ = 0x853c49e6748fea9bULL;
};

struct TMarigoldButton {
  std::string Caption;  // CP932
  std::int32_t CaptionSize = 0;
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;   // inclusive
  std::int32_t Bottom = 0;  // inclusive
  std::string Target;       // a label, or "THROUGH"
};

struct TSubImage {
  std::unique_ptr<TGaleBitmap> Surface;
  std::int32_t X = 0;
  std::int32_t Y = 0;
};

using story::kMaxButtons;
using story::kMaxStoryLines;
using story::kMaxSubImages;
using story::kMaxVanished;
// Rows of the sayings scroller.
constexpr std::int32_t kSayingRows = 4;

struct GameState {
  // Mode and layers.
  std::string Mode = "TITLE";
  std::function<void()> FramePainter;

  // Countdown and gauge.
  std::int32_t TimeLeft = 180000;
  bool ClockRunning = false;
  bool GaugeActive = false;
  std::int32_t Heat = 0;
  std::int32_t HeatLimit = 0;

  // Held mouse button.
  bool MouseHeld = false;
  std::int32_t HoldTicks = 0;
  std::int32_t HoldX = 0;
  std::int32_t HoldY = 0;

  // Story text and its layout.
  std::array<std::string, kMaxStoryLines> StoryLines;
  std::int32_t StoryLineCount = 0;
  std::int32_t FontSize = 0;
  static constexpr std::int32_t DefaultFontSize = story::kDefaultFontSize;
  TColorRef TextColor = 0;
  std::int32_t TextOriginX = 0;
  std::int32_t TextOriginY = 0;

  // Surfaces (made by CreateSurfaces, released by FreeSurfaces).
  std::unique_ptr<TGaleBitmap> FrameSurface;
  std::unique_ptr<TGaleBitmap> BackgroundSurface;
  std::array<TSubImage, kMaxSubImages> SubImages;
  std::int32_t SubImageCount = 0;
  std::array<std::unique_ptr<TGaleBitmap>, 12> DigitGlyphs;
  std::unique_ptr<TGaleBitmap> SandClockSurface;

  // Buttons.
  std::array<TMarigoldButton, kMaxButtons> Buttons;
  std::int32_t ButtonCount = 0;
  std::int32_t HoverButton = -1;
  std::array<std::string, kMaxVanished> VanishedNames;
  std::int32_t VanishedCount = 0;

  // Sayings.
  std::vector<std::string> SayingList;
  bool SayingActive = false;
  bool SayingsDone = false;
  std::array<std::string, kSayingRows> SayingRows;
  std::int32_t SayingRow = 0;
  std::int32_t SayingScroll = 0;
  std::int32_t SayingIndex = 0;
  std::int32_t SayingCharPos = 0;

  // Engine objects (made by InitGame, released by DoneGame).
  std::unique_ptr<TGaleMidi> MusicPlayer;
  std::unique_ptr<TGaleWave> SoundPlayer;
  std::unique_ptr<TGaleTimer> TaskTimer;
  std::unique_ptr<TScriptHost> ScriptHost;
  std::unique_ptr<TGaleScript> StoryScript;

  TRandom Random;
  platform::Platform* Machine = nullptr;  // the paint box, beep and audio

  // Told after each passage is taken for showing (author mode).
  std::function<void()> PassageShown;
  // The overlays there were before the passage on screen was gathered.
  std::int32_t SubImagesBeforePassage = 0;
};

// The one game state.
extern GameState Game;

// random(n) of the game's one generator.
inline std::int32_t random(std::int32_t n) {
  return Game.Random.Next(n);
}
