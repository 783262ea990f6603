// Font faces on Linux. Implements platform/FontFaces.h through fontconfig:
// IPAPGothic first (its proportional file before anything else the family
// lists), then any face that covers Japanese, then any face at all; files
// open by their own names. The Windows version is windows/FontFaces.cpp.
#include "platform/FontFaces.h"

#include "platform/Files.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <tuple>

namespace platform {
namespace {

constexpr const char* kPreferredFamily = "IPAPGothic";
constexpr const char* kPreferredFile = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf";

// Candidates of one fontconfig query, in a stable order.
std::vector<FaceFile> ListFaces(FcPattern* pattern) {
  std::vector<FaceFile> result;
  FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_INDEX, FC_SCALABLE, nullptr);
  FcFontSet* set = FcFontList(nullptr, pattern, objects);
  if (set) {
    for (int i = 0; i < set->nfont; ++i) {
      FcChar8* file = nullptr;
      int index = 0;
      FcBool scalable = FcFalse;
      if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) != FcResultMatch) continue;
      FcPatternGetInteger(set->fonts[i], FC_INDEX, 0, &index);
      if (FcPatternGetBool(set->fonts[i], FC_SCALABLE, 0, &scalable) == FcResultMatch &&
          !scalable) {
        continue;
      }
      result.push_back({reinterpret_cast<const char*>(file), index});
    }
    FcFontSetDestroy(set);
  }
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  std::sort(result.begin(), result.end(), [](const FaceFile& a, const FaceFile& b) {
    return std::tie(a.path, a.index) < std::tie(b.path, b.index);
  });
  return result;
}

}  // namespace

std::vector<FaceFile> FaceCandidates() {
  std::vector<FaceFile> all;
  if (FcInit()) {
    FcPattern* preferred = FcPatternCreate();
    FcPatternAddString(preferred, FC_FAMILY, reinterpret_cast<const FcChar8*>(kPreferredFamily));
    std::vector<FaceFile> first = ListFaces(preferred);
    std::stable_partition(first.begin(), first.end(),
                          [](const FaceFile& f) { return f.path == kPreferredFile; });
    all.insert(all.end(), first.begin(), first.end());
    all.push_back({kPreferredFile, 0});
    FcPattern* japanese = FcPatternCreate();
    FcPatternAddString(japanese, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    std::vector<FaceFile> second = ListFaces(japanese);
    all.insert(all.end(), second.begin(), second.end());
    std::vector<FaceFile> third = ListFaces(FcPatternCreate());
    all.insert(all.end(), third.begin(), third.end());
    // Nothing else in the program asks fontconfig anything; let it go.
    FcFini();
  } else {
    all.push_back({kPreferredFile, 0});
  }
  return all;
}

FT_Error OpenFace(FT_Library library, const FaceFile& file, FT_Face* face) {
  return FT_New_Face(library, file.path.c_str(), file.index, face);
}

std::string ShippedFontPath() {
  // Beside the program when it is there (as in the Windows package), else
  // the Debian package's copy of the same file.
  const std::string folder = ProgramFolder();
  std::error_code ec;
  if (!folder.empty() && std::filesystem::is_regular_file(folder + "fonts/ipagp.ttf", ec)) {
    return folder + "fonts/ipagp.ttf";
  }
  return kPreferredFile;
}

}  // namespace platform
