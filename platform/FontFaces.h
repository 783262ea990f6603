// Where the text rasteriser's face comes from on this machine: the
// candidate font files in order of preference, and opening one with
// FreeType by its UTF-8 name. One implementation per system: fontconfig on
// Linux (FontFaces.cpp), the Windows fonts folder on Windows
// (windows/FontFaces.cpp), the font packaged with the page on the web
// (web/FontFaces.cpp).
#pragma once

// FreeType: the library and face handles OpenFace works with.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <vector>

namespace platform {

// One face of a font file: its UTF-8 path and its index in the file.
struct FaceFile {
  std::string path;
  int index = 0;
};

// The faces to try, best first; possibly empty.
std::vector<FaceFile> FaceCandidates();

// Opens one face with FreeType (FT_New_Face's results and errors).
FT_Error OpenFace(FT_Library library, const FaceFile& file, FT_Face* face);

// The IPA P gothic font file the Windows package ships beside the programs
// (fonts/ipagp.ttf in the running executable's folder, UTF-8). On Linux,
// when there is none beside the program, the Debian package's copy of that
// same file. The replay tool draws with it on both systems.
std::string ShippedFontPath();

}  // namespace platform
