// The tracer follows a story as the game would: heat decides #heatyJump, a
// choice lists its buttons and waits for a pick, THROUGH reads on.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/StoryText.h"
#include "platform/Files.h"
#include "tools/marigold-dat/DatFile.h"

namespace {

struct Walk {
  std::string output;
  mgdat::TraceResult result;
};

// The demo story packed as the build packs it, once for all walks.
std::string PackedDemo() {
  static const std::string path = [] {
    std::ifstream in(std::string(MARIGOLD_SOURCE_DIR) + "/demo/story.txt", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const auto file = std::filesystem::temp_directory_path() /
                      ("marigold-trace-demo-" + std::to_string(getpid()) + ".dat");
    std::ofstream(file, std::ios::binary) << storytext::PackText(text.str());
    return file.string();
  }();
  return path;
}

Walk TraceDemo(int heat, std::vector<int> choices) {
  mgdat::TraceOptions options;
  options.heat = heat;
  options.choices = std::move(choices);
  std::ostringstream out;
  Walk walk;
  walk.result =
      mgdat::Trace(PackedDemo(), options, out, [](const std::string& name, std::string& bytes) {
        return platform::ReadGameFile(name.starts_with('/') ? "/" : ".", name, bytes);
      });
  walk.output = out.str();
  return walk;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(TraceDemo, EachEndingByHeatAndChoice) {
  struct Case {
    int heat;
    std::vector<int> choices;
    const char* ending;
  };
  const Case cases[] = {
      {60, {2}, "紅蓮の結末"},
      {59, {2}, "熾火の結末"},
      {25, {2}, "熾火の結末"},
      {24, {2}, "灰の結末"},
      {0, {2}, "灰の結末"},
      // Through the lantern first: it vanishes, the second choice has two buttons.
      {80, {1, 1}, "紅蓮の結末"},
  };
  for (const Case& c : cases) {
    const Walk walk = TraceDemo(c.heat, c.choices);
    SCOPED_TRACE("heat " + std::to_string(c.heat));
    EXPECT_TRUE(walk.result.ended) << walk.output;
    EXPECT_FALSE(walk.result.stoppedAtChoice);
    EXPECT_NE(walk.output.find(c.ending), std::string::npos) << walk.output;
    for (const char* other : {"紅蓮の結末", "熾火の結末", "灰の結末"}) {
      if (std::string(other) != c.ending) {
        EXPECT_EQ(walk.output.find(other), std::string::npos);
      }
    }
    EXPECT_NE(Lines(walk.output).back().find("\"ended\":true"), std::string::npos);
  }
}

TEST(TraceDemo, StopsAtTheFirstChoiceAndListsItsButtons) {
  const Walk walk = TraceDemo(0, {});
  const auto lines = Lines(walk.output);
  ASSERT_EQ(lines.size(), 4u) << walk.output;
  EXPECT_NE(lines[2].find("\"buttons\":[[\"灯籠を覗く\",\"@lantern\"],[\"奥へ進む\",\"THROUGH\"],"
                          "[\"池のほとり\",\"@pond\"]]"),
            std::string::npos)
      << lines[2];
  EXPECT_EQ(lines[3], "{\"stopped\":\"choice\"}");
  EXPECT_TRUE(walk.result.stoppedAtChoice);
  EXPECT_FALSE(walk.result.ended);
  // Deliveries without buttons carry no list.
  EXPECT_EQ(lines[0].find("\"buttons\""), std::string::npos);
}

TEST(TraceDemo, VanishedCaptionsAndPicksThatNameNoButton) {
  // The lantern's #vanishButton hides its button from the next choice.
  const Walk again = TraceDemo(0, {1});
  const auto lines = Lines(again.output);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.back(), "{\"stopped\":\"choice\"}");
  const std::string& choice = lines[lines.size() - 2];
  EXPECT_EQ(choice.find("\"buttons\":[[\"灯籠を覗く\""), std::string::npos) << choice;
  EXPECT_NE(choice.find("\"buttons\":[[\"奥へ進む\",\"THROUGH\"],[\"池のほとり\",\"@pond\"]]"),
            std::string::npos)
      << choice;

  const Walk bad = TraceDemo(0, {4});
  EXPECT_FALSE(bad.result.badChoice.empty());
  EXPECT_FALSE(bad.result.ended);
  EXPECT_EQ(bad.output.find("\"stopped\""), std::string::npos);
}

}  // namespace
