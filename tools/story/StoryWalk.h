// The one walk over a story that the story tools share (trace, graph, lint):
// its lines taken as the interpreter takes them, the ways each names to a
// label (#goto, a button's target or THROUGH, each #heatyJump branch, the
// game's own jump at the end of the sayings), read off the rows of
// game/StoryCommands.h, the interpreter's search for a label, and the
// passages in file order as the game delivers them.
#pragma once

#include <string>
#include <vector>

#include "game/StoryCommands.h"
#include "script/GaleScript.h"

namespace storywalk {

// How the interpreter takes one entry: its own kinds, a registered story
// command, or a story line.
enum class Kind { kEmpty, kLabel, kEnd, kGoto, kCommand, kText };

// One script entry as the loader stores it (CP932), classified.
struct Entry {
  std::string text;                         // the stored entry
  Kind kind = Kind::kText;                  // how the interpreter takes it
  const story::Command* command = nullptr;  // its row, for kCommand
  TWordList words;                          // its words, the first being the command
};

// One line of a story as the loader stores and the interpreter takes it.
Entry MakeEntry(const std::string& line);

// Every line of a story, in file order.
std::vector<Entry> MakeEntries(const std::vector<std::string>& lines);

// True for an entry that runs the given command.
bool Runs(const Entry& entry, story::Id id);

// Calls fn(param, index) for every argument word a command reads, and for
// every required one that is missing (index past the words).
template <typename Fn>
void ForEachArgument(const story::Command& command, const TWordList& words, Fn fn) {
  if (command.pairs) {
    for (std::size_t at = 1; at + 1 < words.size(); at += 2) {
      fn(command.params[0], at);
      fn(command.params[1], at + 1);
    }
    return;
  }
  for (std::size_t i = 0; i < command.Count(); ++i) {
    if (i + 1 < words.size() || i < command.required) fn(command.params[i], i + 1);
  }
}

// One way an entry names to a label.
struct Way {
  enum class By {
    kGoto,     // #goto: jumps at once
    kButton,   // a button's click jumps there
    kThrough,  // a button's click reads on (target is story::kThroughTarget)
    kBranch,   // a label argument of a command that jumps as it runs (#heatyJump)
    kGame,     // the game jumps there itself (the end of the sayings)
  };
  By by = By::kGoto;    // how the way is taken
  std::string target;   // the word naming the label (CP932), as written
  std::string caption;  // kButton, kThrough: the caption; kBranch: the word paired with it
};

// The ways a story command names, in word order: a label or target argument
// that is given, and for #saying the game's jump to story::kSayEndLabel.
std::vector<Way> WaysOf(const story::Command& command, const TWordList& words);

// The ways an entry names: #goto's label, or its command's ways.
std::vector<Way> WaysOf(const Entry& entry);

// The index the interpreter's JumpToLabel moves the cursor to from `cursor`:
// the first entry equal to `label` after it, else the first from the top;
// `cursor` itself when `label` is no label or not found. The entries and a
// repeat of the last one form the page.
int JumpFrom(const std::vector<Entry>& entries, int cursor, const std::string& label);

// Where the file-order walk stands.
struct Step {
  int index;                        // 0-based entry
  const Entry& entry;               // the entry there
  const std::vector<int>& passage;  // the story lines gathered for the passage so far
};

// What the file-order walk meets; each does nothing unless overridden.
class PassageVisitor {
 public:
  virtual ~PassageVisitor() = default;
  // A label; a passage gathered before it has ended first.
  virtual void Label(const Step&) {}
  // A story line, already counted into the passage.
  virtual void Text(const Step&) {}
  // A registered story command.
  virtual void Command(const Step&) {}
  // #goto; the passage ends after it.
  virtual void Goto(const Step&) {}
  // #end; the passage ends after it.
  virtual void End(const Step&) {}
  // The passage gathered so far is delivered or cut off; `lines` are its
  // story lines (possibly none after #goto, #end and at the file's end).
  virtual void PassageEnds(const std::vector<int>& /*lines*/) {}
};

// Walks the entries the game may run (all but the file's last line) in file
// order, jumps aside, cutting them into passages as the game delivers them:
// at an empty line or a label after story lines, at the batch limit of
// story::kMaxStoryLines lines, after #goto and #end, and at the end.
void WalkPassages(const std::vector<Entry>& entries, PassageVisitor& visitor);

}  // namespace storywalk
