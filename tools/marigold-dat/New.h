// "marigold-dat new DIR": a playable starter game to begin one's own from.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace mgdat {

// The "new" subcommand; `args` are the words after "new". Exit status 0 when
// the game was written, 1 when DIR holds a game already or writing failed,
// 2 on bad usage.
int RunNew(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace mgdat
