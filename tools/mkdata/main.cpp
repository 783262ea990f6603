// marigold-mkdata OUTDIR [DEMODIR]: generates the bundled demo data into
// OUTDIR/dat. marigold-mkdata --icons OUTDIR: paints the program's icon into
// OUTDIR/NxN/apps/marigold.png. The same sources always give byte-identical
// files.
#include <exception>
#include <iostream>
#include <string>

#include "tools/mkdata/MakeData.h"

int main(int argc, char** argv) {
  const bool icons = argc == 3 && std::string(argv[1]) == "--icons";
  if (!icons && (argc < 2 || argc > 3 || argv[1][0] == '-')) {
    std::cerr << "usage: marigold-mkdata OUTDIR [DEMODIR]\n"
                 "       marigold-mkdata --icons OUTDIR\n";
    return 2;
  }
  try {
    if (icons) {
      const auto paths = mkdata::MakeIcons(argv[2]);
      std::cout << "marigold-mkdata: " << paths.size() << " icons in " << argv[2] << "\n";
    } else {
      const auto names = mkdata::MakeData(argv[1], argc == 3 ? argv[2] : MKDATA_DEMO_DIR);
      std::cout << "marigold-mkdata: " << names.size() << " files in " << argv[1] << "/dat\n";
    }
  } catch (const std::exception& e) {
    std::cerr << "marigold-mkdata: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
