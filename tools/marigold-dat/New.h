// "marigold-dat new DIR": a playable starter game to begin one's own from.
#pragma once

#include <iosfwd>
#include <string>

namespace mgdat {

// Writes the starter game into `dir` and says so on `out`; exit status 0.
// Throws cli::PathError, changing nothing, when `dir` holds a game already
// (dat/, story.txt or saying.txt), and when a file cannot be written.
int RunNew(const std::string& dir, std::ostream& out);

}  // namespace mgdat
