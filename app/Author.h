// Author mode ("marigold --author"): the game as a story author runs it while
// writing. Each passage shown names its story line on the error stream and
// its label in the caption; F5 packs what changed, reloads the story and the
// sayings and goes back to the passage's label, keeping heat and clock.
#pragma once

#include <iosfwd>
#include <string>

class TFormMain;
class TApplication;

class TAuthorMode {
 public:
  // Reports go to `log`; `gameFolder` holds story.txt, saying.txt and dat/
  // ("" is the working folder). Reports name the files below it.
  TAuthorMode(std::ostream& log, std::string gameFolder);

  // Hooks the mode into a running game: its passages and its keys. (Error
  // boxes reach the error stream in every mode, with their story line.)
  void Attach(TApplication& app, TFormMain& form);

  // Writes "marigold: dat/story.dat:LINE: passage" for the passage just taken
  // and puts its label into the caption.
  void PassageShown();

  // The F5 key: packs story.txt and saying.txt where newer than their packed
  // files, then reloads. A text that cannot be packed is reported with its
  // line and column and nothing is reloaded. False when nothing was reloaded.
  bool Reload();

 private:
  // Packs `text` into `packed` (both below the game folder) when the text
  // exists and is newer; false (after reporting) when it cannot be packed.
  bool PackIfNewer(const std::string& text, const std::string& packed);
  void ShowCaption(const std::string& label);

  std::ostream& log_;
  std::string gameFolder_;
  TApplication* app_ = nullptr;
};

// The virtual-key code of F5.
constexpr int kReloadKey = 116;
