#include "tools/marigold-dat/Graph.h"

#ifdef _WIN32
#include <process.h>  // _spawnlp: runs dot without a shell
#else
#include <spawn.h>     // posix_spawnp: runs dot without a shell
#include <sys/wait.h>  // waitpid
#include <unistd.h>    // getpid
#endif

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <set>
#include <tuple>

#include "app/CommandLine.h"
#include "game/StoryCommands.h"
#include "platform/Encoding.h"
#include "script/GaleUtility.h"
#include "tools/marigold-dat/Lint.h"
#include "tools/story/StoryWalk.h"

#ifndef _WIN32
extern char** environ;
#endif

namespace graph {
namespace {

namespace fs = std::filesystem;

std::string Utf8(const std::string& cp932) {
  return platform::Cp932ToUtf8(cp932);
}

// A Graphviz string: quoted, with quotes and backslashes escaped.
std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c == '\n' ? ' ' : c;
  }
  return out + "\"";
}

bool IsNumber(const std::string& word) {
  try {
    StrToInt(word);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// The graph built along the one walk over the story's passages.
class Builder : public storywalk::PassageVisitor {
 public:
  StoryGraph Build(const std::vector<std::string>& lines) {
    storywalk::WalkPassages(storywalk::MakeEntries(lines), *this);
    const std::string start(story::kStartLabel);
    const std::string gameOver(story::kGameOverLabel);
    for (const std::string& label : seen_) {
      if (label == start) Add({kTitleNode, label, "click", Edge::Style::kGame});
      if (label == gameOver) Add({kClockNode, label, "time out", Edge::Style::kGame});
    }
    return std::move(graph_);
  }

 private:
  void Add(Edge edge) {
    if (known_.insert(edge).second) graph_.edges.push_back(std::move(edge));
  }

  void Jump(const std::string& to, const std::string& caption,
            Edge::Style style = Edge::Style::kJump) {
    if (open_) Add({section_, Utf8(to), caption, style});
  }

  // The passage gathered so far ends; one that waits for buttons, none of
  // them reading on, leaves no way to what follows.
  void PassageEnds(const std::vector<int>&) override {
    if (buttons_ > 0 && !readsOn_) open_ = false;
    buttons_ = 0;
    readsOn_ = false;
  }

  void Label(const storywalk::Step& step) override {
    PassageEnds({});
    const std::string label = Utf8(step.entry.words.front());
    if (open_ && !section_.empty()) Add({section_, label, through_, Edge::Style::kReadOn});
    through_.clear();
    if (std::find(seen_.begin(), seen_.end(), label) == seen_.end()) {
      seen_.push_back(label);
      graph_.labels.push_back(label);
    }
    section_ = label;
    open_ = true;
  }

  void End(const storywalk::Step&) override { open_ = false; }

  void Goto(const storywalk::Step& step) override {
    for (const storywalk::Way& way : storywalk::WaysOf(step.entry)) Jump(way.target, "");
    open_ = false;
  }

  void Command(const storywalk::Step& step) override {
    bool always = false;
    for (const storywalk::Way& way : storywalk::WaysOf(step.entry)) {
      switch (way.by) {
        case storywalk::Way::By::kButton:
          ++buttons_;
          Jump(way.target, Utf8(way.caption));
          break;
        case storywalk::Way::By::kThrough:
          ++buttons_;
          through_ = Utf8(way.caption);
          readsOn_ = true;
          break;
        case storywalk::Way::By::kBranch:
          Jump(way.target, "heat >= " + way.caption);
          // The heat is never below 0: such a threshold is always reached.
          if (IsNumber(way.caption) && StrToInt(way.caption) <= 0) always = true;
          break;
        case storywalk::Way::By::kGame:
          Jump(way.target, "sayings end", Edge::Style::kGame);
          break;
        case storywalk::Way::By::kGoto:
          break;
      }
    }
    if (always) open_ = false;
  }

  StoryGraph graph_;
  std::set<Edge> known_;
  std::vector<std::string> seen_;
  std::string section_;  // the label whose passages are read (UTF-8); "" before the first
  bool open_ = true;     // the story can reach the entry being read
  int buttons_ = 0;
  bool readsOn_ = false;  // a button of the passage reads on
  std::string through_;   // the caption of a button that reads on, since the last label
};

const char* StyleName(Edge::Style style) {
  switch (style) {
    case Edge::Style::kJump:
      return "solid";
    case Edge::Style::kReadOn:
      return "dashed";
    case Edge::Style::kGame:
      return "dotted";
  }
  return "solid";
}

// Runs dot on the graph text; an error message, or nothing on success.
std::optional<std::string> RenderSvg(const std::string& dot, const std::string& out) {
  const fs::path input =
      fs::temp_directory_path() /
      ("marigold-graph-" + std::to_string(reinterpret_cast<std::uintptr_t>(&dot)) + ".dot");
  {
    std::ofstream file(input, std::ios::binary);
    file << dot;
    if (!file) return "cannot write " + input.string();
  }
  const std::string in = input.string();
  bool started = false;
  bool drawn = false;
#ifdef _WIN32
  const intptr_t status = _spawnlp(_P_WAIT, "dot", "dot", "-Tsvg", "-o", out.c_str(), in.c_str(),
                                   static_cast<const char*>(nullptr));
  started = status != -1;
  drawn = status == 0;
#else
  std::vector<std::string> words{"dot", "-Tsvg", "-o", out, in};
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  started = posix_spawnp(&child, "dot", nullptr, nullptr, argv.data(), environ) == 0;
  int status = 0;
  if (started) waitpid(child, &status, 0);
  drawn = started && WIFEXITED(status) && WEXITSTATUS(status) == 0;
#endif
  std::error_code ignored;
  fs::remove(input, ignored);
  if (!started) {
    return std::string(
        "cannot run Graphviz's dot (Debian package graphviz; scripts/setup installs it)");
  }
  if (!drawn) return std::string("Graphviz's dot could not draw it");
  return std::nullopt;
}

}  // namespace

bool Edge::operator<(const Edge& other) const {
  return std::tie(from, to, caption, style) <
         std::tie(other.from, other.to, other.caption, other.style);
}

StoryGraph BuildGraph(const std::vector<std::string>& lines) {
  return Builder().Build(lines);
}

std::string ToDot(const StoryGraph& graph) {
  std::string dot =
      "digraph story {\n"
      "  node [shape=box, style=rounded, fontname=\"IPAGothic\"];\n"
      "  edge [fontname=\"IPAGothic\", fontsize=11];\n";
  std::set<std::string> drawn;
  for (const std::string& label : graph.labels) {
    dot += "  " + Quote(label) + ";\n";
    drawn.insert(label);
  }
  for (const Edge& edge : graph.edges) {
    for (const std::string& node : {edge.from, edge.to}) {
      if (!drawn.insert(node).second) continue;
      if (node == kTitleNode || node == kClockNode) {
        dot += "  " + Quote(node) + " [shape=plaintext];\n";
      } else {
        dot += "  " + Quote(node) +
               " [color=red, fontcolor=red, label=" + Quote(node + " (missing)") + "];\n";
      }
    }
  }
  for (const Edge& edge : graph.edges) {
    dot += "  " + Quote(edge.from) + " -> " + Quote(edge.to) + " [";
    if (!edge.caption.empty()) dot += "label=" + Quote(edge.caption) + ", ";
    dot += "style=" + std::string(StyleName(edge.style)) + "];\n";
  }
  return dot + "}\n";
}

int RunGraph(const std::string& path, bool plain, const std::optional<std::string>& svg,
             std::ostream& out) {
  std::vector<lint::Diagnostic> problems;  // bytes the game cannot read: lint's business
  const std::string dot = ToDot(BuildGraph(lint::ReadStoryLines(path, plain, problems)));
  if (!svg) {
    out << dot;
    return 0;
  }
  if (const auto failure = RenderSvg(dot, *svg)) throw cli::PathError(*svg, *failure);
  return 0;
}

}  // namespace graph
