// Walks the demo story through the game's own interpreter along every choice
// (bounded in depth), with the time-out and the end of the sayings as extra
// choices, and checks what the game relies on: passages fit the frame,
// buttons are placed legally, every command and label is used and every
// ending is reached.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "gfx/GaleBmp.h"
#include "platform/Files.h"
#include "platform/TextRaster.h"
#include "script/GaleScript.h"
#include "tools/gamedata/MakeData.h"

namespace fs = std::filesystem;

namespace {

class FileHost : public TScriptHost {
 public:
  void Beep() override {}
  void Terminate() override { terminated = true; }
  bool ReadFile(const std::string& path, std::string& bytes) override {
    return platform::ReadNativeFile(path, bytes);
  }
  bool terminated = false;
};

struct Button {
  std::string caption, target;
  int left, top, right, bottom;
};

struct Coverage {
  std::set<std::string> commands, labels, problems;
  int endings = 0, gameovers = 0, runs = 0;
};

constexpr int kOriginX = 30, kOriginY = 60;  // every marked background's marker

// One play-through following `choices`; returns how many options the first
// undecided choice had (0 when the run ended or hit the step limit).
int Play(const std::string& storyPath, const std::vector<int>& choices, Coverage& cov,
         TGaleBitmap& measure) {
  FileHost host;
  TGaleScript script(host, storyPath, true);
  script.SetBatchLimit(10);
  std::vector<Button> buttons;
  std::set<std::string> vanished;
  int fontSize = 20, heat = 0, heatLimit = 0;
  bool heatChosen = false, saying = false, sayingsDone = false, clock = true, inGameover = false;
  std::string where = "@start";

  TWordList batch;
  script.SetBatchHandler([&](const TWordList& lines) { batch = lines; });
  auto on = [&](const std::string& name, std::function<void(const TWordList&)> f) {
    script.RegisterCommand(name, [&, name, f](const TWordList& w) {
      cov.commands.insert(name + (w.size() > 1 ? "+" : ""));
      if (f) f(w);
    });
  };
  on("#midi", nullptr);
  on("#wave", nullptr);
  on("#waveByLoop", nullptr);
  on("#image", [&](const TWordList& w) {
    if (w.size() < 2 || !fs::exists(fs::path(storyPath).parent_path() / w[1]))
      cov.problems.insert("missing picture in " + where);
  });
  on("#font", [&](const TWordList& w) { fontSize = std::stoi(w.at(1)); });
  on("#button", [&](const TWordList& w) {
    if (w.size() < 6) return cov.problems.insert("short #button in " + where), void();
    if (vanished.count(w[1])) return;
    const int size = std::stoi(w[2]), x = std::stoi(w[3]), y = std::stoi(w[4]);
    buttons.push_back(
        {w[1], w[5], x, y, static_cast<int>(w[1].size()) * size / 2 + x + 20, y + size + 20});
  });
  on("#heatyJump", [&](const TWordList& w) {
    for (std::size_t i = 1; i + 1 < w.size(); i += 2) {
      if (std::stoi(w[i]) <= heat) {
        cov.labels.insert(w[i + 1]);
        script.JumpToLabel(w[i + 1]);
        break;
      }
    }
    heat = 0;
  });
  on("#imagesub", [&](const TWordList& w) {
    if (w.size() < 4 || !fs::exists(fs::path(storyPath).parent_path() / w[1]))
      cov.problems.insert("bad #imagesub in " + where);
  });
  on("#heatUp", [&](const TWordList& w) { heatLimit += std::stoi(w.at(1)); });
  on("#heatSpark", [&](const TWordList&) { heatLimit *= 3; });
  on("#vanishButton", [&](const TWordList& w) { vanished.insert(w.at(1)); });
  on("#finalize", [&](const TWordList&) { clock = false; });
  on("#saying", [&](const TWordList&) { saying = true; });
  on("#stopTimer", [&](const TWordList&) { clock = false; });

  std::size_t next = 0;
  auto advance = [&]() {
    // The ceiling also climbs by itself while the clock runs (about three
    // seconds of reading per passage), up to 50.
    if (clock && heatLimit < 50) heatLimit = std::min(50, heatLimit + 3);
    saying = false;
    fontSize = 20;
    batch.clear();
    script.DeliverNext();
    if (batch.size() > 10) cov.problems.insert("passage over 10 lines after " + where);
    for (std::size_t i = 0; i < batch.size(); ++i) {
      measure.SetFont(fontSize, fsBold, 0);
      const int right = kOriginX + measure.TextWidth(batch[i]) + 2;
      const int bottom = kOriginY + static_cast<int>(i) * (fontSize + 5) + fontSize + 2;
      if (right > 600) cov.problems.insert("line too wide after " + where + ": " + batch[i]);
      if (bottom > 400 || (bottom > 350 && right > 375))
        cov.problems.insert("line too low after " + where);
    }
    if (inGameover && clock) cov.problems.insert("@gameover passage leaves the clock running");
    inGameover = false;
  };
  auto jump = [&](const std::string& label) {
    where = label;
    cov.labels.insert(label);
    script.JumpToLabel(label);
  };

  jump("@start");
  advance();
  for (int step = 0; step < 200 && !script.Ended; ++step) {
    // The options at this point: the click (or a button), the time-out
    // while the clock runs, the end of the sayings while they show.
    std::vector<std::function<void()>> options;
    for (const Button& b : buttons) {
      options.push_back([&, b]() {
        if (b.target != "THROUGH") jump(b.target);
        buttons.clear();
        advance();
      });
    }
    if (buttons.empty()) options.push_back([&]() { advance(); });
    // The player fills the gauge up to its ceiling (or halfway) before going on.
    if (buttons.empty() && heat < heatLimit && !heatChosen) {
      options.push_back([&]() { heat = heatLimit, heatChosen = true; });
      options.push_back([&]() { heat = heatLimit / 2, heatChosen = true; });
    }
    if (clock && step > 0) {
      options.push_back([&]() {
        buttons.clear();
        jump("@gameover");
        inGameover = true;
        cov.gameovers++;
        advance();
      });
    }
    if (saying && !sayingsDone) {
      options.push_back([&]() {
        sayingsDone = true;
        buttons.clear();
        jump("@sayend");
        advance();
      });
    }
    for (const Button& b : buttons) {
      if (b.left < 0 || b.top < 0 || b.right > 599 || b.bottom > 399 ||
          (b.right >= 350 && b.top < 50) || (b.right >= 375 && b.bottom >= 350))
        cov.problems.insert("button out of place: " + b.target);
    }
    if (buttons.size() > 10) cov.problems.insert("more than 10 buttons");
    if (next >= choices.size()) return static_cast<int>(options.size());
    options.at(static_cast<std::size_t>(choices[next++]))();
  }
  if (script.Ended) cov.endings++;
  return 0;
}

TEST(DemoStory, EveryWayThroughIsSoundAndEveryPartIsReached) {
  const fs::path dir = fs::temp_directory_path() / ("mkdata-walk-" + std::to_string(::getpid()));
  mkdata::MakeData(dir.string(), MARIGOLD_SOURCE_DIR "/demo");
  const std::string story = (dir / "dat" / "story.dat").string();
  platform::TextRaster text;
  TGaleBitmap measure;
  measure.UseText(text);
  Coverage cov;
  // Depth-first over choice prefixes; also every heat level at the altar.
  std::vector<std::vector<int>> todo{{}};
  while (!todo.empty() && cov.runs < 4000) {
    std::vector<int> prefix = todo.back();
    todo.pop_back();
    ++cov.runs;
    const int options = Play(story, prefix, cov, measure);
    if (prefix.size() >= 12) continue;
    for (int i = options - 1; i >= 0; --i) {
      prefix.push_back(i);
      todo.push_back(prefix);
      prefix.pop_back();
    }
  }
  fs::remove_all(dir);

  for (const std::string& p : cov.problems) ADD_FAILURE() << p;
  for (const char* c : {"#midi", "#midi+", "#wave", "#wave+", "#waveByLoop+", "#image+", "#font+",
                        "#button+", "#heatyJump+", "#imagesub+", "#heatUp+", "#heatSpark",
                        "#vanishButton+", "#finalize", "#saying", "#stopTimer"}) {
    EXPECT_TRUE(cov.commands.count(c)) << c << " is never run";
  }
  for (const char* l : {"@start", "@lantern", "@pond", "@voices", "@crossroads", "@gameover",
                        "@sayend", "@endHigh", "@endMid", "@endLow"}) {
    EXPECT_TRUE(cov.labels.count(l)) << l << " is never reached";
  }
  EXPECT_GT(cov.endings, 3);
  EXPECT_GT(cov.gameovers, 0);
}

}  // namespace
