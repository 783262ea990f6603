#include "tools/gamedata/MakeData.h"

#include <filesystem>
#include <set>
#include <stdexcept>
#include <system_error>

#include "app/CommandLine.h"
#include "app/StoryText.h"
#include "game/BaseFiles.h"
#include "tools/gamedata/Music.h"
#include "tools/gamedata/Pictures.h"
#include "tools/gamedata/Sounds.h"
#include "tools/imagewrite/ImageWrite.h"

namespace mkdata {
namespace {

namespace fs = std::filesystem;

template <typename Bytes>
std::string AsString(const Bytes& b) {
  return std::string(b.begin(), b.end());
}

}  // namespace

std::string PackLines(const std::string& utf8, const std::string& what) {
  try {
    return storytext::PackText(utf8);
  } catch (const storytext::PackError& e) {
    throw std::runtime_error(what + ": " + e.what());
  }
}

std::vector<std::string> WriteDataFolder(const std::string& outDir, const DataFiles& files) {
  // Packed first: a text CP932 cannot hold stops the run before any file or
  // folder is made.
  const std::string story = PackLines(files.storyText, "story.txt");
  const std::string sayings = PackLines(files.sayingText, "saying.txt");
  const fs::path dat = fs::path(outDir) / "dat";
  std::error_code ec;
  fs::create_directories(dat, ec);
  if (ec) throw cli::PathError(dat.string(), ec.message());
  std::vector<std::string> written;
  auto write = [&](const std::string& name, const std::string& bytes) {
    cli::WriteFile(dat / name, bytes);
    written.push_back(name);
  };
  auto wanted = [](const std::set<std::string>& only, const std::string& name) {
    return only.empty() || only.count(name) != 0;
  };

  for (const PictureFile& f : PaintPictures(files.pictures)) {
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
  write(std::string(basefiles::kDigitStrip), AsString(DrawFontStrip()));
  for (const MusicPiece& m : ComposeMusic()) {
    if (wanted(files.music, m.fileName)) write(m.fileName, AsString(m.bytes));
  }
  for (const SoundFile& s : SynthesiseSounds()) {
    if (wanted(files.sounds, s.fileName)) write(s.fileName, AsString(s.bytes));
  }
  write(std::string(basefiles::kStory), story);
  write(std::string(basefiles::kSayings), sayings);
  return written;
}

std::vector<std::string> MakeData(const std::string& outDir, const std::string& demoDir) {
  const fs::path demo(demoDir);
  cli::RequireFolder(demo);
  DataFiles files;
  files.storyText = cli::ReadFile(demo / "story.txt");
  files.sayingText = cli::ReadFile(demo / "saying.txt");
  return WriteDataFolder(outDir, files);
}

std::vector<std::string> MakeIcons(const std::string& outDir) {
  std::vector<std::string> written;
  for (const int size : kIconSizes) {
    const std::string box = std::to_string(size) + "x" + std::to_string(size);
    const fs::path dir = fs::path(outDir) / box / "apps";
    fs::create_directories(dir);
    const Picture icon = PaintIcon(size);
    const std::string path = (dir / "marigold.png").string();
    imagewrite::WritePng(path, icon.bgr.data(), icon.width, icon.height, icon.Stride());
    written.push_back(path);
  }
  return written;
}

}  // namespace mkdata
