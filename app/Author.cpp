#include "app/Author.h"

#include <cstdint>
#include <exception>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "app/StoryText.h"
#include "app/UnitForm.h"
#include "engine/GaleForm.h"
#include "game/BaseFiles.h"
#include "game/UnitCommon.h"
#include "platform/Encoding.h"
#include "platform/NativeFiles.h"

namespace {

// A file of the game folder: `name` below `folder` ("" is the working folder).
std::string Below(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  return last == '/' || last == '\\' ? folder + name : folder + "/" + name;
}

std::string ReadText(const std::string& path) {
  std::string bytes;
  if (!platform::ReadNativeFile(path, bytes)) throw std::runtime_error("cannot read " + path);
  return bytes;
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
  log_ << "marigold: dat/" << basefiles::kStory << ":" << script.BatchFirstIndex + 1 << ": passage"
       << std::endl;
  ShowCaption(script.BatchLabel);
}

void TAuthorMode::ShowCaption(const std::string& label) {
  if (!app_) return;
  std::string caption = app_->Title;
  if (!label.empty()) caption += " \xE2\x80\x94 " + platform::Cp932ToUtf8(label);  // an em dash
  app_->Platform().SetCaption(caption);
}

bool TAuthorMode::PackIfNewer(const std::string& text, const std::string& packed) {
  const std::string textPath = Below(gameFolder_, text);
  const std::string packedPath = Below(gameFolder_, packed);
  const std::optional<std::int64_t> textWritten = platform::ModifiedTime(textPath);
  if (!textWritten) return true;  // the packed file is the only source
  const std::optional<std::int64_t> packedWritten = platform::ModifiedTime(packedPath);
  if (packedWritten && *textWritten <= *packedWritten) return true;
  try {
    // Written beside the packed file and renamed over it: a failed write
    // leaves the old one.
    int error = 0;
    if (!platform::ReplaceNativeFile(packedPath, storytext::PackText(ReadText(textPath)), &error)) {
      throw std::system_error(error, std::generic_category(), "cannot write " + packedPath);
    }
    // As new as its text: the next F5 packs only after the text changes again.
    if (!platform::SetModifiedTime(packedPath, *textWritten, &error)) {
      throw std::system_error(error, std::generic_category(),
                              "cannot set the time of " + packedPath);
    }
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
  const std::string story = "dat/" + std::string(basefiles::kStory);
  const std::string sayings = "dat/" + std::string(basefiles::kSayings);
  if (!PackIfNewer("story.txt", story) || !PackIfNewer("saying.txt", sayings)) {
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
    log_ << "marigold: reloaded " << story << " and " << sayings << std::endl;
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
