#include "tools/marigold-dat/DatFile.h"

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

#include "app/StoryText.h"
#include "platform/Encoding.h"
#include "script/GaleScript.h"
#include "script/GaleUtility.h"
#include "tools/story/Json.h"
#include "tools/story/StoryWalk.h"

namespace mgdat {
namespace {

class TraceHost : public TScriptHost {
 public:
  explicit TraceHost(FileReader reader) : reader_(std::move(reader)) {}
  void Beep() override { ++beeps; }
  void Terminate() override { terminated = true; }
  bool ReadFile(const std::string& path, std::string& bytes) override {
    return reader_(path, bytes);
  }
  int beeps = 0;
  bool terminated = false;

 private:
  FileReader reader_;
};

// The reader the story is loaded through: a plain story is the author's
// UTF-8 text, packed as author mode packs it (a character CP932 lacks
// throws storytext::PackError, naming its line and column).
FileReader StoryReader(const std::string& gameName, bool plain, const FileReader& reader) {
  if (!plain) return reader;
  return [gameName, &reader](const std::string& name, std::string& bytes) {
    if (!reader(name, bytes)) return false;
    if (name == gameName) bytes = storytext::PackText(bytes);
    return true;
  };
}

// A button a delivery shows: its caption and target (CP932).
using Button = std::pair<std::string, std::string>;

// What the game's commands did during one delivery, recorded as the game
// would act on them: a vanished caption shows no button, and #heatyJump
// takes the first branch the heat reaches.
class Recorder {
 public:
  Recorder(TGaleScript& script, std::int32_t heat) : script_(script), heat_(heat) {
    script.SetBatchLimit(story::kMaxStoryLines);
    script.SetBatchHandler([this](const TWordList& lines) { batch = lines; });
    for (const story::Command& command : story::kCommands) {
      script.RegisterCommand(std::string(command.word),
                             [this, &command](const TWordList& words) { Record(command, words); });
    }
  }

  // Forgets the last delivery.
  void Clear() {
    commands.clear();
    batch.clear();
    buttons.clear();
  }

  std::vector<TWordList> commands;  // every command run, in order
  TWordList batch;                  // the story lines delivered
  std::vector<Button> buttons;      // the buttons shown

 private:
  void Record(const story::Command& command, const TWordList& words) {
    commands.push_back(words);
    if (command.id == story::Id::VanishButton) {
      if (words.size() >= 2) vanished_.push_back(words[1]);
      return;
    }
    for (const storywalk::Way& way : storywalk::WaysOf(command, words)) {
      switch (way.by) {
        case storywalk::Way::By::kButton:
        case storywalk::Way::By::kThrough:
          if (std::find(vanished_.begin(), vanished_.end(), way.caption) == vanished_.end()) {
            buttons.emplace_back(way.caption, way.target);
          }
          break;
        case storywalk::Way::By::kBranch:
          if (StrToInt(way.caption) <= heat_) {
            script_.JumpToLabel(way.target);
            return;
          }
          break;
        case storywalk::Way::By::kGoto:
        case storywalk::Way::By::kGame:
          break;
      }
    }
  }

  TGaleScript& script_;
  std::int32_t heat_;
  std::vector<std::string> vanished_;  // captions #vanishButton hid
};

// Jumps to the first label; one the story does not hold, when it must
// exist, throws instead of silently starting at the top.
void StartAt(TGaleScript& script, const TraceOptions& options) {
  const TScriptUnit& page = *script.Pages.back();
  const auto lines = page.Lines.begin();
  if (options.labelMustExist &&
      std::find(lines, lines + page.Count, options.label) == lines + page.Count) {
    throw std::runtime_error("no label '" + platform::Cp932ToUtf8(options.label) +
                             "' in the story");
  }
  script.JumpToLabel(options.label);
}

// One delivery's JSON line.
void PrintDelivery(std::ostream& out, std::int64_t n, const Recorder& recorded, bool ended) {
  out << "{\"delivery\":" << n << ",\"commands\":[";
  for (std::size_t i = 0; i < recorded.commands.size(); ++i) {
    if (i != 0) out << ',';
    out << storyjson::Words(recorded.commands[i]);
  }
  out << "],\"batch\":" << storyjson::Words(recorded.batch);
  if (!recorded.buttons.empty()) {
    out << ",\"buttons\":[";
    for (std::size_t i = 0; i < recorded.buttons.size(); ++i) {
      if (i != 0) out << ',';
      out << storyjson::Words({recorded.buttons[i].first, recorded.buttons[i].second});
    }
    out << ']';
  }
  out << ",\"ended\":" << (ended ? "true" : "false") << "}\n";
}

// Clicks the next pick among the buttons delivery `n` shows, as the game
// waits for a click there; false when the trace stops (no pick left, or one
// that names no button shown).
bool Pick(TGaleScript& script, const std::vector<Button>& buttons, std::int64_t n,
          const TraceOptions& options, std::size_t& picks, std::ostream& out, TraceResult& result) {
  if (picks >= options.choices.size()) {
    out << "{\"stopped\":\"choice\"}\n";
    result.stoppedAtChoice = true;
    return false;
  }
  const int pick = options.choices[picks++];
  if (pick < 1 || static_cast<std::size_t>(pick) > buttons.size()) {
    result.badChoice = "pick " + std::to_string(picks) + " is button " + std::to_string(pick) +
                       ", but the choice of delivery " + std::to_string(n) + " shows " +
                       std::to_string(buttons.size());
    return false;
  }
  const std::string& target = buttons[static_cast<std::size_t>(pick - 1)].second;
  if (target != story::kThroughTarget) script.JumpToLabel(target);
  return true;
}

}  // namespace

TraceResult Trace(const std::string& gameName, const TraceOptions& options, std::ostream& out,
                  const FileReader& reader) {
  TraceResult result;
  TraceHost host(StoryReader(gameName, options.plain, reader));
  TGaleScript script(host, gameName, true);
  result.beeps = host.beeps;
  if (script.Pages.empty()) return result;
  result.loaded = true;

  Recorder recorded(script, options.heat);
  StartAt(script, options);
  std::size_t picks = 0;
  for (std::int64_t n = 1; n <= options.maxDeliveries; ++n) {
    recorded.Clear();
    result.deliveries = n;
    try {
      script.DeliverNext();
    } catch (const std::exception& e) {
      out << "{\"delivery\":" << n << ",\"error\":" << storyjson::String(e.what()) << "}\n";
      if (script.Ended != 0) break;
      continue;
    }
    PrintDelivery(out, n, recorded, script.Ended != 0);
    if (script.Ended != 0) break;
    if (recorded.buttons.empty()) continue;
    if (!Pick(script, recorded.buttons, n, options, picks, out, result)) break;
  }
  result.ended = script.Ended != 0;
  result.beeps = host.beeps;
  return result;
}

}  // namespace mgdat
