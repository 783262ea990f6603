#include "tools/marigold-dat/New.h"

#include <exception>
#include <ostream>

#include "tools/mkdata/Starter.h"

namespace mgdat {
namespace {

const char kNewUsage[] =
    "usage: marigold-dat new DIR\n"
    "Writes a small playable game to start from: DIR/story.txt and DIR/saying.txt\n"
    "(UTF-8, commented) and DIR/dat/ with every picture, piece of music and sound\n"
    "the game needs and the packed story and sayings. Play it with\n"
    "'marigold --author DIR'. When DIR already holds dat/, story.txt or saying.txt,\n"
    "nothing is changed and the exit status is 1.\n";

}  // namespace

int RunNew(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    out << kNewUsage;
    return 0;
  }
  if (args.size() != 1 || args[0].empty() || (args[0][0] == '-' && args[0] != "-")) {
    err << kNewUsage;
    return 2;
  }
  const std::string& dir = args[0];
  try {
    const auto written = mkdata::MakeStarter(dir);
    out << "marigold-dat: a new game in " << dir << " (" << written.size() << " files)\n"
        << "  edit " << dir << "/story.txt, then play it with: marigold --author " << dir << "\n";
  } catch (const mkdata::StarterExists& e) {
    err << "marigold-dat: " << e.what() << "\n";
    return 1;
  } catch (const std::exception& e) {
    err << "marigold-dat: " << dir << ": " << e.what() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace mgdat
