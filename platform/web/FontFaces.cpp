// Font faces in the web build. Implements platform/FontFaces.h with no font
// service to ask: the IPA P gothic file packaged with the page
// (/fonts/ipagp.ttf in the page's file system) first, then the Debian
// package's copy of the same file, which the programs node runs find on the
// machine's own file system.
#include "platform/FontFaces.h"

#include <filesystem>
#include <system_error>

namespace platform {
namespace {

constexpr const char* kPackagedFile = "/fonts/ipagp.ttf";
constexpr const char* kDebianFile = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf";

}  // namespace

std::vector<FaceFile> FaceCandidates() {
  return {{kPackagedFile, 0}, {kDebianFile, 0}};
}

FT_Error OpenFace(FT_Library library, const FaceFile& file, FT_Face* face) {
  return FT_New_Face(library, file.path.c_str(), file.index, face);
}

std::string ShippedFontPath() {
  std::error_code ec;
  if (std::filesystem::is_regular_file(kPackagedFile, ec)) return kPackagedFile;
  return kDebianFile;
}

}  // namespace platform
