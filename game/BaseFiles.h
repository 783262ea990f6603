// The files every game folder's dat/ must hold besides the pictures, music
// and sounds its story names: the game loads them by these names itself.
#pragma once

#include <array>
#include <string_view>

namespace basefiles {

// One file the game loads by name, and what it is for (UTF-8, for authors).
struct BaseFile {
  std::string_view name;     // below dat/, as the game names it
  std::string_view purpose;  // what the game uses it for
  bool packedText;           // made by packing a text (story.dat, saying.dat)
};

inline constexpr std::string_view kTitlePicture = "title.bmp";
inline constexpr std::string_view kDigitStrip = "font.bmp";
inline constexpr std::string_view kSandClock = "sandclock.bmp";
inline constexpr std::string_view kTitleMusic = "flaremorning.mid";
inline constexpr std::string_view kHeatTaken = "ash.wav";
inline constexpr std::string_view kHeatRefused = "dun.wav";
inline constexpr std::string_view kStory = "story.dat";
inline constexpr std::string_view kSayings = "saying.dat";

// Every base file, in the order the game first needs them.
inline constexpr std::array<BaseFile, 8> kBaseFiles{{
    {kStory, "the packed story (marigold-dat pack story.txt dat/story.dat)", true},
    {kSayings,
     "the packed sayings the #saying scroller types (marigold-dat pack saying.txt "
     "dat/saying.dat)",
     true},
    {kDigitStrip, "the clock's digits: twelve 25x40 glyphs 0-9 \":\" \".\" side by side", false},
    {kSandClock, "the sand clock drawn in the bottom-right corner", false},
    {kTitlePicture, "the title screen", false},
    {kTitleMusic, "the title music", false},
    {kHeatTaken, "the sound of a click the heat gauge takes", false},
    {kHeatRefused, "the sound of a click at the heat ceiling", false},
}};

}  // namespace basefiles
