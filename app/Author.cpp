#include "app/Author.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <utility>

#include "engine/GaleForm.h"
#include "app/StoryText.h"
#include "app/UnitForm.h"
#include "game/UnitCommon.h"
#include "platform/Encoding.h"
#include "platform/Files.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::string bytes;
  if (!platform::ReadNativeFile(path.string(), bytes)) {
    throw std::runtime_error("cannot read " + path.string());
  }
  return bytes;
}

// Writes beside the file and renames over it: a failed write leaves the old one.
void ReplaceFile(const fs::path& path, const std::string& bytes) {
  fs::path temporary = path;
  temporary += ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      fs::remove(temporary, ignored);
      throw std::runtime_error("cannot write " + temporary.string());
    }
  }
  fs::rename(temporary, path);
}

}  // namespace

TAuthorMode::TAuthorMode(std::ostream& log, std::string gameFolder)
    : log_(log), gameFolder_(std::move(gameFolder)) {}

void TAuthorMode::Attach(TApplication& app, TFormMain& form) {
  app_ = &app;
  Game.PassageShown = [this] { PassageShown(); };
  form.KeyPressed = [this](int key) {
    if (key == kReloadKey) Reload();
  };
}

void TAuthorMode::PassageShown() {
  if (!Game.StoryScript) return;
  const TGaleScript& script = *Game.StoryScript;
  log_ << "marigold: dat/story.dat:" << script.BatchFirstIndex + 1 << ": passage" << std::endl;
  ShowCaption(script.BatchLabel);
}

void TAuthorMode::ShowCaption(const std::string& label) {
  if (!app_) return;
  std::string caption = app_->Title;
  if (!label.empty()) caption += " \xE2\x80\x94 " + platform::Cp932ToUtf8(label);  // an em dash
  app_->Platform().SetCaption(caption);
}

bool TAuthorMode::PackIfNewer(const std::string& text, const std::string& packed) {
  const fs::path textPath = fs::path(gameFolder_) / text;
  const fs::path packedPath = fs::path(gameFolder_) / packed;
  std::error_code ec;
  if (!fs::exists(textPath, ec)) return true;  // the packed file is the only source
  if (fs::exists(packedPath, ec) &&
      fs::last_write_time(textPath, ec) <= fs::last_write_time(packedPath, ec)) {
    return true;
  }
  try {
    ReplaceFile(packedPath, storytext::PackText(ReadText(textPath)));
    // As new as its text: the next F5 packs only after the text changes again.
    fs::last_write_time(packedPath, fs::last_write_time(textPath));
  } catch (const storytext::PackError& e) {
    log_ << "marigold: " << text << ":" << e.line() << ":" << e.column() << ": " << e.what()
         << "; nothing reloaded" << std::endl;
    return false;
  } catch (const std::exception& e) {
    log_ << "marigold: " << packed << ": " << e.what() << "; nothing reloaded" << std::endl;
    return false;
  }
  log_ << "marigold: packed " << text << " into " << packed << std::endl;
  return true;
}

bool TAuthorMode::Reload() {
  if (!PackIfNewer("story.txt", "dat/story.dat") || !PackIfNewer("saying.txt", "dat/saying.dat")) {
    return false;
  }
  const std::string label = Game.StoryScript ? Game.StoryScript->BatchLabel : std::string();
  // The passage gone back to is reported after the reload itself.
  bool shown = false;
  Game.PassageShown = [&shown] { shown = true; };
  std::string target;
  try {
    target = ReloadStory(label);
  } catch (const std::exception& e) {
    // A story that cannot be loaded leaves the old one running; an error of
    // the passage gone back to shows its box as any script error does.
    Game.PassageShown = [this] { PassageShown(); };
    if (app_) app_->ShowException(e);
    return false;
  }
  Game.PassageShown = [this] { PassageShown(); };
  if (target.empty()) {
    log_ << "marigold: reloaded dat/story.dat and dat/saying.dat" << std::endl;
    return true;
  }
  log_ << "marigold: reloaded; back to " << platform::Cp932ToUtf8(target);
  if (target != label && !label.empty()) {
    log_ << " (the story no longer holds " << platform::Cp932ToUtf8(label) << ")";
  }
  log_ << std::endl;
  if (shown) PassageShown();
  return true;
}
