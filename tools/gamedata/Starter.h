// The starter game "marigold-dat new" writes: a short commented story and
// its sayings in Japanese, and a data folder made by the demo's generator.
#pragma once

#include <stdexcept>

#include <string>
#include <vector>
#include "app/CommandLine.h"

namespace mkdata {

// The folder already holds a game (dat/, story.txt or saying.txt): the path
// found and why nothing was written.
class StarterExists : public cli::PathError {
 public:
  using cli::PathError::PathError;
};

// The starter's story source (UTF-8).
extern const char* const kStarterStory;
// The starter's sayings, one a line (UTF-8).
extern const char* const kStarterSayings;

// Writes dir/story.txt, dir/saying.txt and dir/dat/ with every file the
// starter needs, the packed story and sayings among them. Throws
// StarterExists, changing nothing, when dir holds a game already; other
// failures throw std::runtime_error. Returns the paths written, below dir.
std::vector<std::string> MakeStarter(const std::string& dir);

}  // namespace mkdata
