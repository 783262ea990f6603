#include "tools/marigold-dat/DatFile.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "game/StoryCommands.h"
#include "platform/Encoding.h"
#include "script/GaleScript.h"
#include "script/GaleUtility.h"

namespace mgdat {
namespace {

class TraceHost : public TScriptHost {
 public:
  explicit TraceHost(const FileReader& reader) : reader_(reader) {}
  void Beep() override { ++beeps; }
  void Terminate() override { terminated = true; }
  bool ReadFile(const std::string& path, std::string& bytes) override {
    return reader_(path, bytes);
  }
  int beeps = 0;
  bool terminated = false;

 private:
  const FileReader& reader_;
};

std::string JsonWords(const TWordList& words) {
  std::string out = "[";
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i != 0) out += ',';
    out += JsonString(platform::Cp932ToUtf8(words[i]));
  }
  return out + "]";
}

}  // namespace

std::string JsonString(std::string_view utf8) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (const char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (b < 0x20) {
          out += "\\u00";
          out += kHex[b >> 4];
          out += kHex[b & 0x0F];
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

TraceResult Trace(const std::string& gameName, const TraceOptions& options, std::ostream& out,
                  const FileReader& reader) {
  TraceResult result;
  TraceHost host(reader);
  TGaleScript script(host, gameName, !options.plain);
  result.beeps = host.beeps;
  if (script.Pages.empty()) return result;
  result.loaded = true;

  std::vector<TWordList> commands;
  TWordList batch;
  std::vector<std::pair<std::string, std::string>> buttons;  // caption, target
  std::vector<std::string> vanished;
  script.SetBatchLimit(story::kMaxStoryLines);
  script.SetBatchHandler([&](const TWordList& lines) { batch = lines; });
  for (const story::Command& command : story::kCommands) {
    script.RegisterCommand(std::string(command.word), [&, id = command.id](const TWordList& words) {
      commands.push_back(words);
      switch (id) {
        case story::Id::Button:
          // As the game adds it: a vanished caption shows no button.
          if (words.size() > story::Of(story::Id::Button).required &&
              std::find(vanished.begin(), vanished.end(), words[1]) == vanished.end()) {
            buttons.emplace_back(words[1], words[5]);
          }
          break;
        case story::Id::VanishButton:
          if (words.size() >= 2) vanished.push_back(words[1]);
          break;
        case story::Id::HeatyJump:
          for (std::size_t i = 0; 2 + 2 * i < words.size(); ++i) {
            if (StrToInt(words[1 + 2 * i]) <= options.heat) {
              script.JumpToLabel(words[2 + 2 * i]);
              break;
            }
          }
          break;
        default:
          break;
      }
    });
  }
  // A label asked for that the story does not hold would silently start at
  // the top.
  const TScriptUnit& page = *script.Pages.back();
  if (options.labelMustExist && std::find(page.Lines.begin(), page.Lines.begin() + page.Count,
                                          options.label) == page.Lines.begin() + page.Count) {
    throw std::runtime_error("no label '" + platform::Cp932ToUtf8(options.label) +
                             "' in the story");
  }
  script.JumpToLabel(options.label);

  std::size_t picks = 0;
  for (std::int64_t n = 1; n <= options.maxDeliveries; ++n) {
    commands.clear();
    batch.clear();
    buttons.clear();
    result.deliveries = n;
    try {
      script.DeliverNext();
    } catch (const std::exception& e) {
      out << "{\"delivery\":" << n << ",\"error\":" << JsonString(e.what()) << "}\n";
      if (script.Ended != 0) break;
      continue;
    }
    out << "{\"delivery\":" << n << ",\"commands\":[";
    for (std::size_t i = 0; i < commands.size(); ++i) {
      if (i != 0) out << ',';
      out << JsonWords(commands[i]);
    }
    out << "],\"batch\":" << JsonWords(batch);
    if (!buttons.empty()) {
      out << ",\"buttons\":[";
      for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (i != 0) out << ',';
        out << JsonWords({buttons[i].first, buttons[i].second});
      }
      out << ']';
    }
    out << ",\"ended\":" << (script.Ended != 0 ? "true" : "false") << "}\n";
    if (script.Ended != 0) break;
    if (buttons.empty()) continue;
    // The game waits here until a button is clicked.
    if (picks >= options.choices.size()) {
      out << "{\"stopped\":\"choice\"}\n";
      result.stoppedAtChoice = true;
      break;
    }
    const int pick = options.choices[picks++];
    if (pick < 1 || static_cast<std::size_t>(pick) > buttons.size()) {
      result.badChoice = "pick " + std::to_string(picks) + " is button " + std::to_string(pick) +
                         ", but the choice of delivery " + std::to_string(n) + " shows " +
                         std::to_string(buttons.size());
      break;
    }
    const std::string& target = buttons[static_cast<std::size_t>(pick - 1)].second;
    if (target != story::kThroughTarget) script.JumpToLabel(target);
  }
  result.ended = script.Ended != 0;
  result.beeps = host.beeps;
  return result;
}

}  // namespace mgdat
