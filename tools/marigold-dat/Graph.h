// "marigold-dat graph": a story's labels and the ways between them, as a
// Graphviz graph.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace graph {

// One way from a label to another (names UTF-8).
struct Edge {
  enum class Style { kJump, kReadOn, kGame };  // solid, dashed, dotted
  std::string from;
  std::string to;
  std::string caption;  // a button's caption, a threshold, the game's reason
  Style style = Style::kJump;
  bool operator<(const Edge& other) const;
};

struct StoryGraph {
  std::vector<std::string> labels;  // every label, in file order, once
  std::vector<Edge> edges;          // in file order, each once
};

// Node names the game itself jumps from.
inline constexpr const char* kTitleNode = "(title)";
inline constexpr const char* kClockNode = "(clock runs out)";

// The graph of a story given as its CP932 lines: an edge for each #goto, each
// button (its caption), each #heatyJump branch ("heat >= N"), reading on from
// a label's passages into the next label (when the way there is open; labelled
// with the caption of the button that reads on, if one does), and
// the game's own jumps: the title's click to story::kStartLabel, the clock
// to story::kGameOverLabel, the end of the sayings to story::kSayEndLabel
// from each label whose passages show them, all along the story walk
// (tools/story/StoryWalk.h). The file's last line is never run and adds
// nothing.
StoryGraph BuildGraph(const std::vector<std::string>& lines);

// The graph in Graphviz's language (UTF-8). Labels the story jumps to but
// does not hold are drawn in red.
std::string ToDot(const StoryGraph& graph);

// The "graph" subcommand: the graph of the story at `path` on `out`, or with
// `svg` drawn by Graphviz's dot into that file. Exit status 0; throws
// cli::PathError when the story cannot be read or dot cannot draw it.
int RunGraph(const std::string& path, bool plain, const std::optional<std::string>& svg,
             std::ostream& out);

}  // namespace graph
