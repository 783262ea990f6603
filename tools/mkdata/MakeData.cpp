#include "tools/mkdata/MakeData.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tools/imagewrite/ImageWrite.h"
#include "tools/marigold-dat/DatFile.h"
#include "tools/mkdata/Music.h"
#include "tools/mkdata/Pictures.h"
#include "tools/mkdata/Sounds.h"

namespace mkdata {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

template <typename Bytes>
std::string AsString(const Bytes& b) {
  return std::string(b.begin(), b.end());
}

}  // namespace

std::string PackLines(const std::string& utf8, const std::string& what) {
  try {
    return mgdat::PackText(utf8);
  } catch (const mgdat::PackError& e) {
    throw std::runtime_error(what + ": " + e.what());
  }
}

std::vector<std::string> MakeData(const std::string& outDir, const std::string& demoDir) {
  const fs::path dat = fs::path(outDir) / "dat";
  fs::create_directories(dat);
  std::vector<std::string> written;
  auto write = [&](const std::string& name, const std::string& bytes) {
    WriteBytes(dat / name, bytes);
    written.push_back(name);
  };

  for (const PictureFile& f : PaintPictures()) {
    const Picture& p = f.picture;
    if (f.format == PictureFormat::Jpeg) {
      imagewrite::WriteJpeg((dat / f.fileName).string(), p.bgr.data(), p.width, p.height,
                            p.Stride(), 92);
      written.push_back(f.fileName);
    } else {
      write(f.fileName,
            AsString(imagewrite::EncodeBmp(p.bgr.data(), p.width, p.height, p.Stride())));
    }
  }
  write("font.bmp", AsString(DrawFontStrip()));
  for (const MusicPiece& m : ComposeMusic()) write(m.fileName, AsString(m.bytes));
  for (const SoundFile& s : SynthesiseSounds()) write(s.fileName, AsString(s.bytes));
  const fs::path demo(demoDir);
  write("story.dat", PackLines(ReadText(demo / "story.txt"), "story.txt"));
  write("saying.dat", PackLines(ReadText(demo / "saying.txt"), "saying.txt"));
  return written;
}

}  // namespace mkdata
