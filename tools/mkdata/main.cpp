// marigold-mkdata OUTDIR [DEMODIR]: generates the bundled demo data into
// OUTDIR/dat. The same sources always give byte-identical files.
#include <iostream>

#include "app/CommandLine.h"
#include "tools/mkdata/MakeData.h"

int main(int argc, char** argv) {
  const cli::Command command{
      "marigold-mkdata",
      "usage: marigold-mkdata OUTDIR [DEMODIR]\n",
      "Generates the bundled demo data (pictures, music, sounds, the packed story and\n"
      "sayings) into OUTDIR/dat, reading story.txt and saying.txt from DEMODIR (default\n"
      "the source tree's demo folder). The same sources always give the same bytes.\n",
      {},
      {},
      1,
      2};
  return cli::Run("marigold-mkdata", [&] {
    const cli::Parsed parsed = cli::Parse(command, {argv + 1, argv + argc});
    const std::string& out = parsed.operands[0];
    const auto names =
        mkdata::MakeData(out, parsed.operands.size() == 2 ? parsed.operands[1] : MKDATA_DEMO_DIR);
    std::cout << "marigold-mkdata: " << names.size() << " files in " << out << "/dat\n";
    return 0;
  });
}
