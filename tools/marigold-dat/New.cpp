#include "tools/marigold-dat/New.h"

#include <exception>
#include <ostream>

#include "app/CommandLine.h"
#include "tools/gamedata/Starter.h"

namespace mgdat {

int RunNew(const std::string& dir, std::ostream& out) {
  std::vector<std::string> written;
  try {
    written = mkdata::MakeStarter(dir);
  } catch (const cli::PathError&) {
    throw;
  } catch (const std::exception& e) {
    throw cli::PathError(dir, e.what());
  }
  out << "marigold-dat: a new game in " << dir << " (" << written.size() << " files)\n"
      << "  edit " << dir << "/story.txt, then play it with: marigold --author " << dir << "\n";
  return 0;
}

}  // namespace mgdat
