// marigold-mkdata OUTDIR [DEMODIR]: generates the bundled demo data into
// OUTDIR/dat. The same sources always give byte-identical files.
#include <exception>
#include <iostream>

#include "platform/Console.h"
#include "platform/TextRaster.h"
#include "tools/mkdata/MakeData.h"

int main(int argc, char** argv) {
  platform::PrepareConsole();
  // The same font file on every system, so the same data come out.
  platform::UseShippedFont();
  if (argc < 2 || argc > 3) {
    std::cerr << "usage: marigold-mkdata OUTDIR [DEMODIR]\n";
    return 2;
  }
  try {
    const auto names = mkdata::MakeData(argv[1], argc == 3 ? argv[2] : MKDATA_DEMO_DIR);
    std::cout << "marigold-mkdata: " << names.size() << " files in " << argv[1] << "/dat\n";
  } catch (const std::exception& e) {
    std::cerr << "marigold-mkdata: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
