// The story walk the tools share: the ways a line names, where passages end
// and where the interpreter's label search lands.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/story/StoryWalk.h"

namespace {

using storywalk::Way;

// "by target caption" for each way of a line.
std::vector<std::string> Ways(const std::string& line) {
  static const char* const kBy[] = {"goto", "button", "through", "branch", "game"};
  std::vector<std::string> out;
  for (const Way& way : storywalk::WaysOf(storywalk::MakeEntry(line))) {
    out.push_back(std::string(kBy[static_cast<int>(way.by)]) + " " + way.target + " " +
                  way.caption);
  }
  return out;
}

TEST(StoryWalk, WaysALineNames) {
  const struct {
    const char* line;
    std::vector<std::string> ways;
  } cases[] = {
      {"#goto @a", {"goto @a "}},
      {"#goto", {}},
      {"#button left 20 0 300 @l", {"button @l left"}},
      {"#BUTTON on 20 0 300 THROUGH", {"through THROUGH on"}},
      {"#button on 20 0 300 Through", {"button Through on"}},  // not the exact capitals
      {"#button short 20 0", {}},
      {"#heatyJump 30 @hot 0 @cold 5", {"branch @hot 30", "branch @cold 0"}},
      {"#saying", {"game @sayend "}},
      {"#vanishButton left", {}},
      {"a story line", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Ways(c.line), c.ways) << c.line;
}

// Records the walk as one word per event.
class Recorder : public storywalk::PassageVisitor {
 public:
  std::string events;
  void Label(const storywalk::Step& s) override { Add("L", s.index); }
  void Text(const storywalk::Step& s) override { Add("T", s.index); }
  void Command(const storywalk::Step& s) override { Add("C", s.index); }
  void Goto(const storywalk::Step& s) override { Add("G", s.index); }
  void End(const storywalk::Step& s) override { Add("E", s.index); }
  void PassageEnds(const std::vector<int>& lines) override {
    std::string shown = "P";
    for (int line : lines) shown += "." + std::to_string(line);
    events += shown + " ";
  }

 private:
  void Add(const char* what, int index) { events += what + std::to_string(index) + " "; }
};

TEST(StoryWalk, PassagesEndAsTheGameDeliversThem) {
  const std::vector<std::string> eleven(11, "line");
  std::vector<std::string> long_passage = {"@start"};
  long_passage.insert(long_passage.end(), eleven.begin(), eleven.end());
  long_passage.push_back("// never run");
  const struct {
    const char* what;
    std::vector<std::string> lines;
    std::string events;
  } cases[] = {
      {"empty lines and labels end a passage only after story lines",
       {"@start", "", "a", "#heatUp 1", "", "@b", "b", "@c", "#goto @b", "// last"},
       "L0 T2 C3 P.2 L5 T6 P.6 L7 G8 P P "},
      {"#end ends what was gathered; the last line never runs",
       {"a", "#end", "b", "#end"},
       "T0 E1 P.0 T2 P.2 "},
      {"the batch limit cuts a passage of eleven lines", long_passage,
       "L0 T1 T2 T3 T4 T5 T6 T7 T8 T9 T10 P.1.2.3.4.5.6.7.8.9.10 T11 P.11 "},
  };
  for (const auto& c : cases) {
    Recorder recorder;
    storywalk::WalkPassages(storywalk::MakeEntries(c.lines), recorder);
    EXPECT_EQ(recorder.events, c.events) << c.what;
  }
}

TEST(StoryWalk, LabelSearchLooksAheadThenFromTheTop) {
  const auto entries = storywalk::MakeEntries({"@a", "x", "@b", "y", "@a", "// end"});
  EXPECT_EQ(storywalk::JumpFrom(entries, 1, "@a"), 4);  // the next one after the cursor
  EXPECT_EQ(storywalk::JumpFrom(entries, 4, "@a"), 0);  // else the first from the top
  EXPECT_EQ(storywalk::JumpFrom(entries, 3, "@b"), 2);
  EXPECT_EQ(storywalk::JumpFrom(entries, 3, "@gone"), 3);
  EXPECT_EQ(storywalk::JumpFrom(entries, 3, "b"), 3);  // no label
}

}  // namespace
