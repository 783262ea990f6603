// Font faces on Windows. Implements platform/FontFaces.h: the Japanese
// gothic faces of the Windows fonts folder (MS PGothic first), then the IPA
// gothic font shipped beside the executable, then any other face of the
// fonts folder; files are opened by their UTF-16 names (FreeType's own
// fopen would take the ANSI code page).
#include "platform/FontFaces.h"

#include "platform/Files.h"

#include <windows.h>
// For SHGetKnownFolderPath and FOLDERID_Fonts.
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace platform {
namespace {

namespace fs = std::filesystem;

fs::path FontsFolder() {
  PWSTR folder = nullptr;
  fs::path result;
  if (SHGetKnownFolderPath(FOLDERID_Fonts, 0, nullptr, &folder) == S_OK) result = folder;
  CoTaskMemFree(folder);
  if (result.empty()) {
    wchar_t windows[MAX_PATH];
    const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    if (n > 0 && n < MAX_PATH) result = fs::path(windows) / L"Fonts";
  }
  return result;
}

// FreeType reads the file through a FILE* opened by its UTF-16 name.
unsigned long ReadStream(FT_Stream stream, unsigned long offset, unsigned char* buffer,
                         unsigned long count) {
  auto* file = static_cast<std::FILE*>(stream->descriptor.pointer);
  if (_fseeki64(file, static_cast<long long>(offset), SEEK_SET) != 0) return count == 0 ? 1 : 0;
  return count == 0 ? 0 : static_cast<unsigned long>(std::fread(buffer, 1, count, file));
}

void CloseStream(FT_Stream stream) {
  std::fclose(static_cast<std::FILE*>(stream->descriptor.pointer));
  delete stream;
}

// The faces of one file whose family name is one of `families`, in the
// order of that list.
std::vector<FaceFile> FacesNamed(FT_Library library, const fs::path& file,
                                 std::initializer_list<std::string_view> families) {
  std::vector<std::pair<std::size_t, FaceFile>> found;
  const std::string path = Utf8Path(file);
  FT_Long count = 1;
  for (FT_Long index = 0; index < count; ++index) {
    FT_Face face = nullptr;
    if (OpenFace(library, {path, static_cast<int>(index)}, &face) != 0) break;
    count = face->num_faces;
    const std::string_view family = face->family_name ? face->family_name : "";
    const auto at = std::find(families.begin(), families.end(), family);
    if (at != families.end()) {
      found.push_back(
          {static_cast<std::size_t>(at - families.begin()), {path, static_cast<int>(index)}});
    }
    FT_Done_Face(face);
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<FaceFile> result;
  for (auto& f : found) result.push_back(std::move(f.second));
  return result;
}

}  // namespace

FT_Error OpenFace(FT_Library library, const FaceFile& file, FT_Face* face) {
  std::FILE* f = _wfopen(NativePath(file.path).c_str(), L"rb");
  if (f == nullptr) return FT_Err_Cannot_Open_Resource;
  if (_fseeki64(f, 0, SEEK_END) != 0) {
    std::fclose(f);
    return FT_Err_Cannot_Open_Stream;
  }
  const long long size = _ftelli64(f);
  if (size <= 0 || size > 0x7FFFFFFF) {
    std::fclose(f);
    return FT_Err_Cannot_Open_Stream;
  }
  auto* stream = new FT_StreamRec{};
  stream->size = static_cast<unsigned long>(size);
  stream->descriptor.pointer = f;
  stream->read = ReadStream;
  stream->close = CloseStream;
  FT_Open_Args args{};
  args.flags = FT_OPEN_STREAM;
  args.stream = stream;
  // FreeType closes the stream itself, on failure too.
  return FT_Open_Face(library, &args, file.index, face);
}

std::string ShippedFontPath() {
  // The program's folder ends in its separator; empty when it cannot be told.
  return ProgramFolder() + "fonts\\ipagp.ttf";
}

std::vector<FaceFile> FaceCandidates() {
  std::vector<FaceFile> all;
  const fs::path fonts = FontsFolder();
  FT_Library library = nullptr;
  if (!fonts.empty() && FT_Init_FreeType(&library) == 0) {
    std::error_code ec;
    if (fs::exists(fonts / L"msgothic.ttc", ec)) {
      auto gothic =
          FacesNamed(library, fonts / L"msgothic.ttc", {"MS PGothic", "MS UI Gothic", "MS Gothic"});
      all.insert(all.end(), gothic.begin(), gothic.end());
    }
    FT_Done_FreeType(library);
  }
  all.push_back({ShippedFontPath(), 0});
  // Anything else the fonts folder holds, in a stable order.
  std::vector<FaceFile> rest;
  std::error_code ec;
  if (!fonts.empty()) {
    for (fs::directory_iterator it(fonts, ec), end; !ec && it != end; it.increment(ec)) {
      std::wstring ext = it->path().extension().wstring();
      for (wchar_t& c : ext) c = static_cast<wchar_t>(towlower(c));
      if (ext == L".ttf" || ext == L".ttc" || ext == L".otf")
        rest.push_back({Utf8Path(it->path()), 0});
    }
  }
  std::sort(rest.begin(), rest.end(),
            [](const FaceFile& a, const FaceFile& b) { return a.path < b.path; });
  all.insert(all.end(), rest.begin(), rest.end());
  return all;
}

}  // namespace platform
