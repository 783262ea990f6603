// Writes the whole bundled data folder: OUTDIR/dat/ with the pictures,
// music, sounds, and the packed story and sayings.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace mkdata {

// UTF-8 text of a line file to its stored form: CP932 lines, each scrambled
// as the game reads it back. Throws std::runtime_error naming the line that
// CP932 cannot hold.
std::string PackLines(const std::string& utf8, const std::string& what);

// font.bmp: twelve 25x40 glyphs (0-9, ":", ".") drawn in black with the
// game's own text code on white, the key colour at each glyph's top-left.
std::vector<unsigned char> DrawFontStrip();

// What goes into a data folder: the texts to pack, and the generated pictures,
// music and sounds to write (an empty set: all of them). The digit strip,
// story.dat and saying.dat are always written.
struct DataFiles {
  std::string storyText;   // UTF-8
  std::string sayingText;  // UTF-8
  std::set<std::string> pictures;
  std::set<std::string> music;
  std::set<std::string> sounds;
};

// Writes the files into outDir/dat (made when missing). Returns the names
// written. Throws on any failure; a text CP932 cannot hold is found before
// anything is written.
std::vector<std::string> WriteDataFolder(const std::string& outDir, const DataFiles& files);

// Generates every file into outDir/dat, reading story.txt and saying.txt
// from demoDir. Returns the names written. Throws on any failure
// (cli::PathError for a folder or file that cannot be used).
std::vector<std::string> MakeData(const std::string& outDir, const std::string& demoDir);

// The sizes the program's icon is made in, in pixels.
inline constexpr int kIconSizes[] = {48, 128, 256};

// Writes the program's icon as PNG pictures laid out as an icon theme holds
// them: outDir/NxN/apps/marigold.png for each size. Returns the paths
// written. Throws on any failure.
std::vector<std::string> MakeIcons(const std::string& outDir);

}  // namespace mkdata
