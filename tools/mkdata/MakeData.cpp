#include "tools/mkdata/MakeData.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/Encoding.h"
#include "platform/ImageWrite.h"
#include "script/MyCrypt.h"
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
  // Line by line: CP932, then the game's own scrambling; CR LF line ends.
  std::string out;
  std::size_t start = 0, lineNo = 1;
  while (start < utf8.size()) {
    std::size_t end = utf8.find('\n', start);
    if (end == std::string::npos) end = utf8.size();
    std::string line = utf8.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string cp;
    std::size_t bad = 0;
    if (!platform::Utf8ToCp932(line, cp, bad)) {
      throw std::runtime_error(what + ":" + std::to_string(lineNo) +
                               ": not representable in CP932 at byte " + std::to_string(bad));
    }
    out += ScrambleLine(cp);
    out += "\r\n";
    start = end + 1;
    ++lineNo;
  }
  return out;
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
      platform::WriteJpeg((dat / f.fileName).string(), p.bgr.data(), p.width, p.height, p.Stride(),
                          92);
      written.push_back(f.fileName);
    } else {
      write(f.fileName, AsString(platform::EncodeBmp(p.bgr.data(), p.width, p.height, p.Stride())));
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
