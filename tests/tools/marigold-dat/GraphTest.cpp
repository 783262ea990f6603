// The story graph: which ways between labels it draws, and how.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/marigold-dat/Graph.h"

namespace {

using Style = graph::Edge::Style;

// "from -> to [caption] style" for each edge, in order.
std::vector<std::string> Edges(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const graph::Edge& e : graph::BuildGraph(lines).edges) {
    out.push_back(e.from + " -> " + e.to + " [" + e.caption + "] " +
                  (e.style == Style::kJump     ? "jump"
                   : e.style == Style::kReadOn ? "read-on"
                                               : "game"));
  }
  return out;
}

using Expected = std::vector<std::string>;

TEST(StoryGraph, WaysBetweenLabels) {
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    Expected edges;
  };
  const Case cases[] = {
      {"goto, and reading on into the next label",
       {"@start", "a", "", "@b", "b", "#goto @start", "", "@c", "c", "// end"},
       {"@start -> @b [] read-on", "@b -> @start [] jump", "(title) -> @start [click] game"}},
      {"buttons; the one that reads on labels the way on",
       {"@start", "pick", "#button left 20 0 300 @l", "#button on 20 200 300 THROUGH", "",
        "went on", "", "@l", "#end", "// end"},
       {"@start -> @l [left] jump", "@start -> @l [on] read-on", "(title) -> @start [click] game"}},
      {"a choice without a way on closes the label",
       {"@start", "pick", "#button x 20 0 300 @x", "", "never", "", "@x", "#end", "// end"},
       {"@start -> @x [x] jump", "(title) -> @start [click] game"}},
      {"heat thresholds; one of 0 always jumps",
       {"@start", "a", "", "#heatyJump 30 @hot 0 @cold", "", "@hot", "#end", "@cold", "#end",
        "// end"},
       {"@start -> @hot [heat >= 30] jump", "@start -> @cold [heat >= 0] jump",
        "(title) -> @start [click] game"}},
      {"the game's own jumps",
       {"@start", "#saying", "a", "", "@sayend", "b", "#end", "@gameover", "#finalize", "c", "",
        "#end", "// end"},
       {"@start -> @sayend [sayings end] game", "@start -> @sayend [] read-on",
        "(title) -> @start [click] game", "(clock runs out) -> @gameover [time out] game"}},
      {"the last line never runs",
       {"@start", "a", "", "#goto @x"},
       {"(title) -> @start [click] game"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Edges(c.lines), c.edges) << c.what;
  }
}

TEST(StoryGraph, DotMarksMissingLabelsAndDrawsSvg) {
  const std::string dot =
      graph::ToDot(graph::BuildGraph({"@start", "a", "#goto @gone", "", "// end"}));
  EXPECT_NE(dot.find("\"@gone\" [color=red, fontcolor=red, label=\"@gone (missing)\"]"),
            std::string::npos)
      << dot;
  EXPECT_NE(dot.find("\"@start\" -> \"@gone\" [style=solid];"), std::string::npos) << dot;
  EXPECT_NE(dot.find("\"(title)\" [shape=plaintext];"), std::string::npos) << dot;

  if (std::system("command -v dot >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "Graphviz's dot missing (scripts/setup installs graphviz)";
  }
  const auto folder =
      std::filesystem::temp_directory_path() / ("marigold-graph-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "story.txt") << "@start\na\n#goto @start\n\n// end\n";
  std::ostringstream out;
  EXPECT_EQ(
      graph::RunGraph((folder / "story.txt").string(), true, (folder / "story.svg").string(), out),
      0);
  std::ifstream svg(folder / "story.svg");
  std::stringstream text;
  text << svg.rdbuf();
  EXPECT_NE(text.str().find("<svg"), std::string::npos);
  EXPECT_NE(text.str().find("@start"), std::string::npos);
  EXPECT_EQ(out.str(), "");
  std::filesystem::remove_all(folder);
}

}  // namespace
