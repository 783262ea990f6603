// marigold-mkdata OUTDIR [DEMODIR]: generates the bundled demo data into
// OUTDIR/dat. marigold-mkdata --icons OUTDIR: paints the program's icon into
// OUTDIR/NxN/apps/marigold.png. The same sources always give byte-identical
// files.
#include <iostream>

#include "app/CommandLine.h"
#include "platform/TextRaster.h"
#include "tools/gamedata/MakeData.h"

int main(int argc, char** argv) {
  // The same font file on every system, so the same data come out.
  platform::UseShippedFont();
  const cli::Command command{
      "marigold-mkdata",
      "usage: marigold-mkdata OUTDIR [DEMODIR]\n"
      "       marigold-mkdata --icons OUTDIR\n",
      "Generates the bundled demo data (pictures, music, sounds, the packed story and\n"
      "sayings) into OUTDIR/dat, reading story.txt and saying.txt from DEMODIR (default\n"
      "the source tree's demo folder). The same sources always give the same bytes.\n"
      "  --icons  paint the program's icon instead, as OUTDIR/NxN/apps/marigold.png in\n"
      "           every size an icon theme is given\n",
      {"--icons"},
      {},
      1,
      2};
  return cli::Main(command, argc, argv, [&](const cli::Parsed& parsed) {
    const std::string& out = parsed.operands[0];
    if (parsed.Has("--icons")) {
      if (parsed.operands.size() != 1)
        throw cli::UsageError("--icons takes OUTDIR alone: " + parsed.operands[1], command.usage);
      const auto paths = mkdata::MakeIcons(out);
      std::cout << "marigold-mkdata: " << paths.size() << " icons in " << out << "\n";
      return 0;
    }
    const auto names =
        mkdata::MakeData(out, parsed.operands.size() == 2 ? parsed.operands[1] : MKDATA_DEMO_DIR);
    std::cout << "marigold-mkdata: " << names.size() << " files in " << out << "/dat\n";
    return 0;
  });
}
